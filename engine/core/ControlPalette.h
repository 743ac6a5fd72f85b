// The colours the engine draws controls with, derived from a theme's window, popup and frame
// colours, so that every theme file, also one written before controls were drawn, gives
// controls that belong to its windows. Never from the system's colours.
#pragma once

#include "ThemeFile.h"

namespace velum {

struct ButtonPalette {
    // Push buttons: face, text and border of each state.
    Style normal, hot, pressed, disabled;
    Color defaultBorder;  // the default push button's outline
    Color focus;          // the focus rectangle's dots
    // Check boxes and radio buttons: the box (background, mark as text, border) and its label.
    Style box, boxHot, boxPressed, boxDisabled;
    Color label, labelDisabled;
    // Group boxes: the frame line and the caption.
    Color groupFrame, groupText;
};

struct ControlPalette {
    Color background;  // what check boxes, radio buttons and group captions stand on
    ButtonPalette button;
};

ControlPalette DeriveControlPalette(const Theme& theme);

// a + (b - a) * percent / 100 on each channel, rounded.
Color Mix(Color a, Color b, int percent);

}  // namespace velum
