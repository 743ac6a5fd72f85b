// Which system control a child window is built on, whatever its class is called.
#pragma once

#include <windows.h>

#include "ControlKinds.h"

namespace velum {

// The family of the system control the window is, or is a superclass of: by its class name,
// then by the name Windows gives the class it is built on (RealGetWindowClassW), then by its
// class's window procedure, which a superclass registered under another name often keeps.
ControlFamily ControlFamilyOf(HWND hwnd);

// The window's style bits (GWL_STYLE).
inline DWORD StyleOf(HWND hwnd)
{
    return static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
}

}  // namespace velum
