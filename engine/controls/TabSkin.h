// Tab controls drawn in the theme's colours: the tabs (normal, under the pointer, selected,
// disabled) and the page's border and background. The control keeps its own clicks and keys.
#pragma once

#include <windows.h>

namespace velum {

// Whether the engine draws this tab control now: owner-drawn tabs, tabs with pictures, and tabs
// drawn as buttons, at the bottom or on the side keep the system's drawing.
bool EngineDrawsTab(HWND hwnd);
// Paints the whole control for WM_PAINT or WM_PRINTCLIENT; `hot` is the tab under the pointer.
void PaintTab(HWND hwnd, UINT message, WPARAM wParam, int hot);
// The tab at a point given as a mouse message's lParam, or -1.
int TabAt(HWND hwnd, LPARAM point);

}  // namespace velum
