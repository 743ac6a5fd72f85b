// The close, maximise/restore and minimise buttons of a skinned caption: how they look in each
// state, and their tracking by mouse. The default tracking would paint Wine's own buttons.
#pragma once

#include <windows.h>

#include "FrameLayout.h"
#include "ThemeFile.h"

namespace velum {

class CaptionButtons {
public:
    explicit CaptionButtons(HWND hwnd) : hwnd_(hwnd) {}

    void Paint(HDC dc, const FrameLayout& l, const Theme& t, bool active) const;

    // Each of these returns true when the buttons look different afterwards.
    bool Hover(CaptionButton under);
    // A press on the button a hit-test code names; false when it names no button.
    bool Press(WPARAM hitTest);
    // The mouse moved while a button is held down.
    bool Drag(CaptionButton under);
    bool CaptureLost(HWND newCapture);

    bool Tracking() const { return pressed_ != kNoButton; }
    // Ends a press; returns the button released over it, or kNoButton.
    CaptionButton Release();
    // Carries out what a click on the button asks for; `screen` is where the mouse is.
    void Click(CaptionButton button, POINT screen) const;
    // As the system has it: minimise and maximise follow the window's boxes, close the system
    // menu's Close item and the class's CS_NOCLOSE. A disabled button is drawn greyed and
    // neither lights up nor acts.
    bool Enabled(CaptionButton button) const;

private:
    HWND hwnd_;
    CaptionButton hot_ = kNoButton;
    CaptionButton pressed_ = kNoButton;
    bool pressedInside_ = false;
};

}  // namespace velum
