// Dialogs made as child windows: property-sheet pages, the page inside a common dialog, a
// program's own panels made from a template. Their background and the colours of the controls
// on them follow the theme, as a skinned frame's client area does; a colour the page's own
// procedure chose stays.
#pragma once

#include <windows.h>

namespace velum {

// Subclasses the child dialog; false when it cannot be.
bool SkinChildDialog(HWND hwnd);
// Repaints every skinned child dialog, and the controls on it, in the current theme.
void RefreshChildDialogs();
// Gives every child dialog back its procedure and the system's colours; with `only`, that window alone.
void UnskinChildDialogs(HWND only = nullptr);

}  // namespace velum
