// List-view headers drawn by the engine: items in their normal, hot and pressed looks, sort arrows.
#pragma once

#include <windows.h>

namespace velum {

// WM_PAINT or WM_PRINTCLIENT of a header, `hotItem` and `pressedItem` drawn so (-1: none). A
// header with pictures or owner-drawn items keeps the system's drawing.
LRESULT PaintHeader(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, int hotItem, int pressedItem);
// The item under a point given as a mouse message's lParam, or -1; `onItemOnly`: not on a divider.
int HeaderItemAt(HWND hwnd, LPARAM point, bool onItemOnly);

}  // namespace velum
