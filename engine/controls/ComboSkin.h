// Combo boxes of the three styles: the frame, the field of a drop-down list and the drop button,
// drawn by the engine in place of the system's; the edit and the list inside are fields of their
// own.
#pragma once

#include <windows.h>

namespace velum {

LRESULT CALLBACK ComboProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace velum
