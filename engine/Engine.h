// The engine's state and the skinning of windows, shared by the exported functions and the
// window procedures.
#pragma once

#include <windows.h>

#include <memory>

#include "Painter.h"

namespace velum {

// The theme in use, or null while the engine is not attached.
ThemeResources* CurrentTheme();

// The window's DPI (96 when Windows cannot tell).
int WindowDpi(HWND hwnd);

// True for the windows the engine skins: top-level windows with a caption.
bool WantsFrameSkin(HWND hwnd);

void SkinFrameWindow(HWND hwnd);
void SkinPopupMenu(HWND hwnd);
// While Wine tracks a skinned menu bar: moves a mouse point from the bar the user sees to
// Wine's own layout of it. True when the point changed.
bool MapMenuPoint(POINT& screen);
// Called before Windows minimises, maximises or restores a window (a ShowWindow command).
void BeforeMinMax(HWND hwnd, int command);
// Re-lays out and repaints every skinned window after the theme changed. On the first
// skinning of a window its client area keeps its size.
void RefreshSkinnedWindows();
// Removes every subclass and gives back every menu and window region the engine changed.
void UnskinAll();

}  // namespace velum
