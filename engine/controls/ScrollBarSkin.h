// Scroll bars in the theme's colours: a window's own (WS_VSCROLL, WS_HSCROLL) on a frame the
// engine lays out, with the room they take from the client area and their hit test, and the
// drawing scroll bar controls share (ScrollBarControl). Where they are and how they work stays the system's: they take
// the room the system gives them, and are drawn where the system's own tracking of a click expects them.
#pragma once

#include <windows.h>

namespace velum {

// Takes the scroll bars' room from a window's client rectangle, as the system's frame does, at
// the window's DPI or at `dpi` when one is given.
void ReserveScrollBars(HWND hwnd, RECT& client, int dpi = 0);
// The room a window's own scroll bars take at a DPI: the vertical bar's width, the horizontal
// bar's height; 0 for a bar it does not have.
SIZE ScrollBarRoom(HWND hwnd, int dpi);
// HTVSCROLL, HTHSCROLL, or HTSIZE for the box where both meet, for a screen point on the
// window's scroll bars; HTNOWHERE elsewhere.
LRESULT HitTestScrollBars(HWND hwnd, POINT screen);
// Draws the window's scroll bars onto its window DC.
void PaintScrollBars(HWND hwnd, HDC windowDc);
// Draws them again at once, after the system drew its own over them.
void RepaintScrollBars(HWND hwnd);
// Whether the window has a scroll bar of its own.
bool HasScrollBars(HWND hwnd);
// Whether their position, range or page changed since the engine last drew them.
bool ScrollBarsMoved(HWND hwnd);
// Draws them again if they moved.
void RepaintScrollBarsIfMoved(HWND hwnd);
// Draws the bar `object` (OBJID_VSCROLL, OBJID_HSCROLL, or OBJID_CLIENT for a scroll bar
// control) of a window, whose window rectangle is `windowRect`, onto dc.
void PaintScrollBar(HDC dc, HWND hwnd, LONG object, bool vertical, const RECT& windowRect, int dpi);
// While the system tracks a press on a bar it draws the bar at every mouse move and timer tick,
// and does not always send the window a message after: the thread's message-filter hook posts
// this message to the window after each, and the engine draws the held bar again when it comes.
UINT HeldScrollBarMessage();
// True while the system tracks a press on one of the window's bars, or on the control.
bool ScrollBarHeld(HWND hwnd);
// Draws the held bar again, over what the system drew.
void RedrawHeldScrollBar(HWND hwnd);
// Forgets what was drawn for a window that is going.
void ForgetScrollBars(HWND hwnd);
// The pointer at a screen point over the window's bar `object` (OBJID_VSCROLL, OBJID_HSCROLL,
// OBJID_CLIENT for a control; 0 when it is over none): the part under it is drawn hot.
void FollowScrollBarPointer(HWND hwnd, LONG object, POINT screen);
// Whether the pointer was last seen over one of the window's bars.
bool PointerOnScrollBar(HWND hwnd);
// A press on the window's bar `object`, passed on to the window's procedure before the engine's,
// where the system tracks it until the release: the arrow or thumb under it is drawn pressed
// meanwhile, and the bar drawn again after. Returns the procedure's answer.
LRESULT PassOnScrollBarPress(HWND hwnd, LONG object, POINT screen, UINT message, WPARAM wParam, LPARAM lParam);
// For the subclass of a control with bars of its own, before it passes a mouse message on:
// follows the pointer over the bars, and a press on them. True when it has passed the message
// on itself (a press, which the system tracks until the release), with the answer in `result`.
bool FollowOwnScrollBars(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

}  // namespace velum
