// Push buttons, check boxes, radio buttons and group boxes drawn in the theme's colours, with
// the states, access keys and focus rectangles the system draws them with.
#pragma once

#include <windows.h>

namespace velum {

// Subclasses a window built on the system's button. Whether it is drawn is decided at each
// paint: owner-drawn buttons, pictures, and buttons whose parent answers their colour message
// with a brush of its own keep the system's drawing. False for other windows.
bool SkinButton(HWND hwnd);
// Repaints every skinned button in the current theme.
void RefreshButtons();
// Gives every button back its own procedure and look; with `only`, that window alone.
void UnskinButtons(HWND only = nullptr);

}  // namespace velum
