// Status bars drawn by the engine: background, parts, their text and the size grip.
#pragma once

#include <windows.h>

namespace velum {

// WM_PAINT or WM_PRINTCLIENT of a status bar: its parts and their text in the theme's colours.
LRESULT PaintStatusBar(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace velum
