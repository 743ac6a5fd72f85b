// The windows the engine draws, and how it subclasses them.
#pragma once

#include <windows.h>

namespace velum {

class FrameWindow;

// Replaces the window's procedure with `ours`; the old one gets every message passed on.
bool InstallSubclass(HWND hwnd, WNDPROC ours);
// Calls the procedure the window had before the engine (DefWindowProc when there is none).
LRESULT CallPrevious(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Puts the window's own procedure back.
void RemoveSubclass(HWND hwnd);
// Passes a message on once the engine no longer draws the window, and forgets the window when
// it goes.
LRESULT PassOn(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The skinned frame window of hwnd, or null.
FrameWindow* FindFrame(HWND hwnd);
// Destroys the window's frame object: the window is going.
void ForgetFrame(HWND hwnd);

bool IsSkinnedPopup(HWND hwnd);
void ForgetPopup(HWND hwnd);

// Where a popup opened from a skinned menu bar should go, if one is about to open.
bool TakeMenuBarPopupPosition(POINT& at);

}  // namespace velum
