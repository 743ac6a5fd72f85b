// The items an MDI client puts on its frame's menu bar while a child is maximised: the child's
// system-menu icon first, and its close, restore and minimise buttons last, right-justified.
// They are bitmap items (HBMMENU_MBAR_* or the child's icon), which Windows and Wine draw in
// the system's look; the engine draws them in the theme's.
#pragma once

#include <windows.h>

#include "FrameLayout.h"
#include "ThemeFile.h"

namespace velum {

enum class BarItemKind { Text, ChildIcon, Minimize, Restore, Close };

// What the bar's item at `position` is. The icon is told by what the MDI client does: a
// bitmap item with a submenu first, while the bar ends with the child's buttons.
BarItemKind BarItemKindOf(HMENU bar, UINT position);

// The item's width on a bar of the theme's height.
int MdiItemWidth(BarItemKind kind, const Metrics& m, int dpi);

// The first of the right-justified items at the bar's end, or the item count when none is.
UINT FirstRightJustified(HMENU bar);

// The maximised MDI child whose items the frame's bar carries, or null.
HWND MaximisedMdiChild(HWND frame);

// Draws a button or the child's icon in the item's rectangle; `pressed` while Wine tracks it.
void PaintMdiItem(HDC dc, HWND frame, HMENU bar, UINT position, BarItemKind kind, const RECT& item, const Theme& t,
                  bool hot, bool pressed, int dpi);

}  // namespace velum
