// A window's own scroll bars (WS_VSCROLL, WS_HSCROLL) on a frame the engine lays out: the room
// they take from the client area, their hit test, and their drawing in the theme's colours.
// Where they are and how they work stays the system's: they take the room the system gives
// them, and are drawn where the system's own tracking of a click expects them.
#pragma once

#include <windows.h>

namespace velum {

// Takes the scroll bars' room from a window's client rectangle, as the system's frame does.
void ReserveScrollBars(HWND hwnd, RECT& client);
// HTVSCROLL, HTHSCROLL, or HTSIZE for the box where both meet, for a screen point on the
// window's scroll bars; HTNOWHERE elsewhere.
LRESULT HitTestScrollBars(HWND hwnd, POINT screen);
// Draws the window's scroll bars onto its window DC.
void PaintScrollBars(HWND hwnd, HDC windowDc);
// Draws them again at once, after the system drew its own over them.
void RepaintScrollBars(HWND hwnd);
// Draws them again if their position, range or page changed since the engine last drew them.
void RepaintScrollBarsIfMoved(HWND hwnd);
// Forgets what was drawn for a window that is going.
void ForgetScrollBars(HWND hwnd);

}  // namespace velum
