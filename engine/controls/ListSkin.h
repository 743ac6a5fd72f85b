// List boxes and the lists combo boxes drop: the selected items in the theme's selection
// colours, drawn over the system's drawing of the list.
#pragma once

#include <windows.h>

namespace velum {

LRESULT CALLBACK ListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace velum
