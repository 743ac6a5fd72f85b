// The windows the engine draws: the frames and popup menus it keeps, found by their window.
#pragma once

#include <windows.h>

#include "WindowSubclass.h"

namespace velum {

class FrameWindow;

// The skinned frame window of hwnd, or null.
FrameWindow* FindFrame(HWND hwnd);
// The window is going: its frame object goes once no procedure of the engine's runs.
void ForgetFrame(HWND hwnd);

bool IsSkinnedPopup(HWND hwnd);
void ForgetPopup(HWND hwnd);

// Where a popup opened from a skinned menu bar should go, if one is about to open.
bool TakeMenuBarPopupPosition(POINT& at);

}  // namespace velum
