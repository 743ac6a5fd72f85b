// The colours the engine draws controls with: what the theme's control sections set, and for
// everything they leave out, colours derived from the theme's window, popup and menu-bar
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
    // Images: the default push button's, the radio buttons' strip (the check boxes' is the
    // boxes' own) and the group box's frame.
    ImageRef defaultImage, radio, groupImage;
};

// Edit fields, list boxes and combo boxes' fields and dropped lists: background, text, border.
struct FieldPalette {
    Style normal, disabled, readOnly;  // edit fields and combo boxes' fields
    Style list;                        // list boxes and dropped lists; the edit field's when unset
    Color focusBorder;                 // the border of the field that has the focus
    Style selected;                    // selected text in an edit, the selected item in a list
    Style selectedInactive;            // the same while the control does not have the focus
    ImageRef focusImage;               // the border image of the field that has the focus
};

// Scroll bars: the track, the arrow buttons (text is the arrow) and the thumb, in their states.
struct ScrollPalette {
    Style track;
    Style arrow, arrowHot, arrowPressed, arrowDisabled;
    Style thumb, thumbHot, thumbPressed;
};

// The common controls that take colours but draw their own shapes.
struct CommonPalette {
    Style progress;     // background is the track, text the bar's colour
    Style progressBar;  // the bar itself: its background, a gradient when the theme gives one
    Style tab, tabSelected, tabHot;
    Style header, headerHot, headerPressed;
    Style statusBar;
    Style tooltip;
};

struct ControlPalette {
    Color background;  // what check boxes, radio buttons and group captions stand on
    ButtonPalette button;
    FieldPalette field;
    ScrollPalette scroll;
    CommonPalette common;
};

ControlPalette DeriveControlPalette(const Theme& theme);

// a + (b - a) * percent / 100 on each channel, rounded.
Color Mix(Color a, Color b, int percent);

}  // namespace velum
