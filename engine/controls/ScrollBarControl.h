// Scroll bar controls in the theme's colours.
#pragma once

#include <windows.h>

namespace velum {

// Subclasses a scroll bar control (not a size box); false for other windows. A control whose
// parent answers WM_CTLCOLORSCROLLBAR with a brush of its own keeps the system's drawing.
bool SkinScrollBarControl(HWND hwnd);
// Draws a skinned scroll bar control again at once (its owner moved it while handling a scroll).
void RepaintScrollBarControl(HWND hwnd);
void RefreshScrollBarControls();
// Gives every scroll bar control back its own procedure and look; with `only`, that window alone.
void UnskinScrollBarControls(HWND only = nullptr);

}  // namespace velum
