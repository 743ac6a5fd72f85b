// Which system control a child window is built on, whatever its class is called.
#pragma once

#include <windows.h>

#include "ControlKinds.h"

namespace velum {

// The family of the system control the window is, or is a superclass of: by its class name,
// then by the name Windows gives the class it is built on (RealGetWindowClassW), then by its
// class's window procedure, which a superclass registered under another name often keeps.
ControlFamily ControlFamilyOf(HWND hwnd);

// True when the window's class is one of the common controls' (its class procedure is in
// comctl32, whichever version of it the window was made with).
bool IsCommonControlWindow(HWND hwnd);

// True when the code at the address is the system's: a module in the Windows folder.
bool IsSystemCode(const void* address);
// True for code of the program rather than of the system: its executable (Windows' own programs
// lie in the Windows folder too), or any module outside the Windows folder.
bool IsProgramCode(const void* address);

// True when the window is of the system's dialog class (#32770), top-level or child.
inline bool IsDialogWindow(HWND hwnd)
{
    return GetClassLongPtrW(hwnd, GCW_ATOM) == reinterpret_cast<ULONG_PTR>(WC_DIALOG);
}

// The window's style bits (GWL_STYLE).
inline DWORD StyleOf(HWND hwnd)
{
    return static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
}

}  // namespace velum
