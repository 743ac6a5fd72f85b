// Progress bars drawn by the engine: track, border and the filled part.
#pragma once

#include <windows.h>

namespace velum {

// WM_PAINT or WM_PRINTCLIENT of a progress bar; a marquee keeps the system's drawing.
LRESULT PaintProgress(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace velum
