// Edit controls: the frame an edit draws inside its client area, and its selected text in the
// theme's selection colours.
#pragma once

#include <windows.h>

namespace velum {

LRESULT CALLBACK EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace velum
