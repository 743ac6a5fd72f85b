#include "CaptionButtons.h"

#include "ControlPalette.h"
#include "Engine.h"
#include "ThemeResources.h"
#include "KeptBitmaps.h"
#include "Painter.h"

namespace velum {

void CaptionButtons::Paint(HDC dc, const FrameLayout& l, const Theme& t, bool active) const
{
    const bool iconic = IsIconic(hwnd_) != FALSE;
    for (CaptionButton b : {kClose, kMaxRestore, kMinimize}) {
        if (!l.hasButton[b])
            continue;
        const bool enabled = Enabled(b);
        const bool pressed = enabled && pressed_ == b && pressedInside_;
        const bool hot = enabled && (hot_ == b || (pressed_ == b && !pressedInside_));
        const Style* style = active ? &t.button : &t.buttonInactive;
        if (b == kClose && (hot || pressed))
            style = &t.closeHot;
        else if (pressed)
            style = &t.buttonPressed;
        else if (hot)
            style = &t.buttonHot;
        // A minimised window's minimise button restores it, as the system's does.
        const Glyph glyph = b == kClose                  ? Glyph::Close
                            : b == kMinimize             ? (iconic ? Glyph::Restore : Glyph::Minimize)
                            : IsZoomed(hwnd_) && !iconic ? Glyph::Restore
                                                         : Glyph::Maximize;
        const Color glyphColour = enabled ? style->text : Mix(style->background.from, style->text, 40);
        // Artwork: the button strip's state (normal, hot, pressed, inactive, disabled), or the
        // close button's own hot and pressed image; the glyph in the state's colour over it.
        const ThemeArtwork* art = CurrentTheme()->Artwork();
        const bool closeImage = art != nullptr && art->closeHot && b == kClose && (hot || pressed);
        if (art != nullptr && (art->button || closeImage)) {
            const RECT r = ToRECT(l.buttons[b]);
            FillWith(dc, r, style->background);
            if (closeImage)
                art->closeHot->Draw(dc, r, pressed ? 1 : 0);
            else
                art->button->Draw(dc, r, !enabled ? 4 : pressed ? 2 : hot ? 1 : !active ? 3 : 0);
            DrawGlyph(dc, r, glyph, glyphColour, l.dpi);
            continue;
        }
        PaintGlyphButton(dc, ToRECT(l.buttons[b]), *style, glyph, glyphColour, l.dpi);
    }
}

bool CaptionButtons::Enabled(CaptionButton button) const
{
    const LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
    switch (button) {
    case kMinimize: return (style & WS_MINIMIZEBOX) != 0;
    case kMaxRestore: return (style & WS_MAXIMIZEBOX) != 0;
    case kClose: {
        if ((GetClassLongPtrW(hwnd_, GCL_STYLE) & CS_NOCLOSE) != 0)
            return false;
        const UINT state = GetMenuState(GetSystemMenu(hwnd_, FALSE), SC_CLOSE, MF_BYCOMMAND);
        return state == static_cast<UINT>(-1) || (state & (MF_GRAYED | MF_DISABLED)) == 0;
    }
    default: return false;
    }
}

bool CaptionButtons::Hover(CaptionButton under)
{
    if (under == hot_)
        return false;
    hot_ = under;
    return true;
}

bool CaptionButtons::Press(WPARAM hitTest)
{
    switch (hitTest) {
    case HTCLOSE: pressed_ = kClose; break;
    case HTMAXBUTTON: pressed_ = kMaxRestore; break;
    case HTMINBUTTON: pressed_ = kMinimize; break;
    default: return false;
    }
    if (!Enabled(pressed_)) {
        pressed_ = kNoButton;  // taken, as the system takes it: nothing happens
        return true;
    }
    pressedInside_ = true;
    SetCapture(hwnd_);
    return true;
}

bool CaptionButtons::Drag(CaptionButton under)
{
    const bool inside = under == pressed_;
    if (inside == pressedInside_)
        return false;
    pressedInside_ = inside;
    return true;
}

bool CaptionButtons::CaptureLost(HWND newCapture)
{
    if (pressed_ == kNoButton || newCapture == hwnd_)
        return false;
    pressed_ = kNoButton;
    return true;
}

CaptionButton CaptionButtons::Release()
{
    const CaptionButton button = pressedInside_ ? pressed_ : kNoButton;
    pressed_ = kNoButton;
    hot_ = button;
    ReleaseCapture();
    return button;
}

void CaptionButtons::Click(CaptionButton button, POINT screen) const
{
    if (button == kNoButton)
        return;
    const bool iconic = IsIconic(hwnd_) != FALSE;
    const WPARAM command = button == kClose             ? SC_CLOSE
                           : button == kMinimize        ? (iconic ? SC_RESTORE : SC_MINIMIZE)
                           : IsZoomed(hwnd_) && !iconic ? SC_RESTORE
                                                        : SC_MAXIMIZE;
    SendMessageW(hwnd_, WM_SYSCOMMAND, command, MAKELPARAM(screen.x, screen.y));
}

}  // namespace velum
