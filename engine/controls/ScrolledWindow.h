// Scroll bars of windows that are neither frames the engine lays out nor controls it draws: a
// program's own panels and views, the MDI client (which shows its bars when a child window goes
// out of view), and any other window class with WS_VSCROLL or WS_HSCROLL. The system goes on
// laying them out, hit-testing and tracking them; the engine draws over them after each message
// that can have drawn or moved them.
#pragma once

#include <windows.h>

namespace velum {

// Subclasses a child window, or a pop-up window with a scroll bar, of a class the engine draws
// nothing else of. A child may show its bars only later, so every one is followed.
bool SkinScrolledWindow(HWND hwnd);
// Draws every followed window's bars again in the current theme.
void RefreshScrolledWindows();
// Gives every followed window back its procedure and the system's bars; with `only`, that window alone.
void UnskinScrolledWindows(HWND only = nullptr);

}  // namespace velum
