// How buttons of each kind are drawn, from what a paint reads of the button once.
#pragma once

#include <windows.h>

#include <string>

#include "ControlKinds.h"
#include "Painter.h"

namespace velum {

// Everything about a button its look depends on, read once per paint.
struct ButtonLook {
    ButtonStyle style;
    DWORD windowStyle = 0;
    LRESULT state = 0;  // BM_GETSTATE
    bool enabled = true;
    bool hot = false;
    bool showFocus = false;
    UINT prefix = 0;  // DT_HIDEPREFIX while the window hides access keys
    HFONT font = nullptr;
    std::wstring text;
    int dpi = 96;
};

// A push button (also a push-like check box or radio button) in its state: face, default
// border, label, focus.
void PaintPushButton(HDC dc, const RECT& rc, const ButtonLook& look, const ControlPalette& palette);
// A check box or radio button: the box in its state and mark, the label, the focus.
void PaintCheckBox(HDC dc, const RECT& rc, const ButtonLook& look, const ControlPalette& palette);
// A group box's frame and caption, straight on the target: the controls inside stand on the
// parent's background.
void PaintGroupBox(HDC dc, const RECT& rc, const ButtonLook& look, const ControlPalette& palette);

}  // namespace velum
