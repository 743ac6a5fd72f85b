// How buttons of each kind are drawn: push buttons, check boxes and radio buttons, group boxes.
#include "ButtonPaint.h"

#include <algorithm>

#include "ThemeArtwork.h"

namespace velum {

namespace {

int Scaled(int pixels, const ButtonLook& look)
{
    return Scale(pixels, look.dpi);
}

// Where the button's style puts its text: BS_LEFT, BS_RIGHT or BS_CENTER across, BS_TOP,
// BS_BOTTOM or BS_VCENTER down; `horizontal` is the kind's own when the style names none.
struct Alignment {
    UINT horizontal;
    enum { Top, Middle, Bottom } vertical;
};

Alignment AlignmentOf(DWORD style, UINT horizontal)
{
    Alignment a{horizontal, Alignment::Middle};
    switch (style & BS_CENTER) {
    case BS_LEFT: a.horizontal = DT_LEFT; break;
    case BS_RIGHT: a.horizontal = DT_RIGHT; break;
    case BS_CENTER: a.horizontal = DT_CENTER; break;
    default: break;
    }
    switch (style & BS_VCENTER) {
    case BS_TOP: a.vertical = Alignment::Top; break;
    case BS_BOTTOM: a.vertical = Alignment::Bottom; break;
    default: break;
    }
    return a;
}

// Text in r, placed as the style says, also when it wraps onto several lines.
void DrawLabel(HDC dc, RECT r, const ButtonLook& look, UINT horizontal, Color colour)
{
    const Alignment align = AlignmentOf(look.windowStyle, horizontal);
    const bool multiline = (look.windowStyle & BS_MULTILINE) != 0;
    const UINT format = align.horizontal | look.prefix | (multiline ? DT_WORDBREAK : DT_SINGLELINE);
    SetTextColor(dc, ToColorRef(colour));
    SetBkMode(dc, TRANSPARENT);
    RECT measured = r;
    DrawTextW(dc, look.text.c_str(), -1, &measured, format | DT_CALCRECT);
    const int spare = (r.bottom - r.top) - (measured.bottom - measured.top);
    if (spare > 0 && align.vertical != Alignment::Top)
        r.top += align.vertical == Alignment::Bottom ? spare : spare / 2;
    DrawTextW(dc, look.text.c_str(), -1, &r, format);
}

void FocusAround(HDC dc, RECT r, Color colour, Color background)
{
    SetTextColor(dc, ToColorRef(colour));
    SetBkColor(dc, ToColorRef(background));
    DrawFocusRect(dc, &r);
}

// The box (or circle) of a check box or radio button: beside the first line of its text, on
// the side the style says.
RECT BoxRect(HDC dc, const RECT& rc, const ButtonLook& look)
{
    const int size = Scaled(13, look);
    const bool boxOnRight = (look.windowStyle & BS_LEFTTEXT) != 0;
    RECT mark;
    mark.left = boxOnRight ? rc.right - size : rc.left;
    mark.right = mark.left + size;
    // The box stays beside the first line of text, wherever the style puts that line.
    int line = rc.bottom - rc.top;
    const Alignment align = AlignmentOf(look.windowStyle, DT_LEFT);
    if (align.vertical != Alignment::Middle) {
        TEXTMETRICW metrics{};
        ScopedSelect font(dc, look.font);
        GetTextMetricsW(dc, &metrics);
        line = std::min<int>(line, metrics.tmHeight);
    }
    const int lineTop = align.vertical == Alignment::Top      ? rc.top
                        : align.vertical == Alignment::Bottom ? rc.bottom - line
                                                              : rc.top;
    mark.top = lineTop + (line - size) / 2;
    mark.bottom = mark.top + size;
    return mark;
}

void PaintRadioMark(HDC dc, const RECT& mark, const ButtonLook& look, const Style& box)
{
    UniqueBrush fill(CreateSolidBrush(ToColorRef(box.background.from)));
    {
        Pen pen(dc, box.border, 1);
        ScopedSelect brush(dc, fill.get());
        Ellipse(dc, mark.left, mark.top, mark.right, mark.bottom);
    }
    if ((look.state & BST_CHECKED) != 0) {
        UniqueBrush dot(CreateSolidBrush(ToColorRef(box.text)));
        Pen pen(dc, box.text, 1);
        ScopedSelect brush(dc, dot.get());
        const int inset = Scaled(4, look);
        Ellipse(dc, mark.left + inset, mark.top + inset, mark.right - inset, mark.bottom - inset);
    }
}

void PaintCheckMark(HDC dc, const RECT& mark, const ButtonLook& look, const Style& box)
{
    PaintStyle(dc, mark, box);
    if ((look.state & BST_INDETERMINATE) != 0) {
        RECT square = mark;
        InflateRect(&square, -Scaled(3, look), -Scaled(3, look));
        FillSolid(dc, square, box.text);
    } else if ((look.state & BST_CHECKED) != 0) {
        RECT glyph = mark;
        InflateRect(&glyph, -Scaled(2, look), -Scaled(2, look));
        DrawGlyph(dc, glyph, Glyph::Check, box.text, look.dpi);
    }
}

// The label beside the box, and the focus rectangle around the label's first line.
void PaintBoxLabel(HDC dc, const RECT& rc, const RECT& mark, const ButtonLook& look, const ControlPalette& palette)
{
    const ButtonPalette& p = palette.button;
    const bool boxOnRight = (look.windowStyle & BS_LEFTTEXT) != 0;
    RECT text = rc;
    const int gap = Scaled(4, look);
    if (boxOnRight)
        text.right = mark.left - gap;
    else
        text.left = mark.right + gap;
    ScopedSelect font(dc, look.font);
    const Color colour = look.enabled ? p.label : p.labelDisabled;
    DrawLabel(dc, text, look, boxOnRight ? DT_RIGHT : DT_LEFT, colour);
    if (look.showFocus && !look.text.empty()) {
        RECT focus = text;
        DrawTextW(dc, look.text.c_str(), -1, &focus, DT_CALCRECT | DT_SINGLELINE | look.prefix);
        const int height = focus.bottom - focus.top;
        focus.top = text.top + (text.bottom - text.top - height) / 2;
        focus.bottom = focus.top + height;
        if (boxOnRight)
            OffsetRect(&focus, text.right - focus.right, 0);
        InflateRect(&focus, 1, 1);
        IntersectRect(&focus, &focus, &rc);
        FocusAround(dc, focus, p.focus, palette.background);
    }
}

}  // namespace

void PaintCheckBox(HDC dc, const RECT& rc, const ButtonLook& look, const ControlPalette& palette)
{
    const ButtonPalette& p = palette.button;
    FillSolid(dc, rc, palette.background);
    const Style& box = !look.enabled                    ? p.boxDisabled
                       : (look.state & BST_PUSHED) != 0 ? p.boxPressed
                       : look.hot                       ? p.boxHot
                                                        : p.box;
    const RECT mark = BoxRect(dc, rc, look);
    // Artwork: a strip of the unchecked, checked and (check boxes) mixed boxes, four states
    // each: normal, hot, pressed, disabled.
    const bool radio = look.style.kind == ButtonKind::Radio;
    const int checked = (look.state & BST_INDETERMINATE) != 0 ? 2 : (look.state & BST_CHECKED) != 0 ? 1 : 0;
    bool drawn = false;
    if (radio && p.radio) {
        const int state = !look.enabled ? 3 : (look.state & BST_PUSHED) != 0 ? 2 : look.hot ? 1 : 0;
        drawn = DrawStyleImage(dc, mark, p.radio, state + 4 * checked);
    } else if (!radio && box.image) {
        drawn = DrawStyleImage(dc, mark, box.image, 4 * checked);
    }
    if (!drawn && radio)
        PaintRadioMark(dc, mark, look, box);
    else if (!drawn)
        PaintCheckMark(dc, mark, look, box);
    PaintBoxLabel(dc, rc, mark, look, palette);
}

void PaintPushButton(HDC dc, const RECT& rc, const ButtonLook& look, const ControlPalette& palette)
{
    const ButtonPalette& p = palette.button;
    const bool pressed = (look.state & BST_PUSHED) != 0 || (look.style.pushLike && (look.state & BST_CHECKED) != 0);
    Style face = !look.enabled ? p.disabled : pressed ? p.pressed : look.hot ? p.hot : p.normal;
    // The default button at rest shows its own image, which stands for the outline too.
    const bool defaultImage =
        look.style.kind == ButtonKind::DefaultPush && look.enabled && !pressed && !look.hot && p.defaultImage;
    if (defaultImage)
        face.image = p.defaultImage;
    PaintStyle(dc, rc, face);
    if (look.style.kind == ButtonKind::DefaultPush && look.enabled && !defaultImage) {
        Outline(dc, rc, p.defaultBorder);
        RECT inner = rc;
        InflateRect(&inner, -1, -1);
        Outline(dc, inner, p.defaultBorder);
    }
    RECT text = rc;
    InflateRect(&text, -Scaled(4, look), -Scaled(2, look));
    text = ContentRect(rc, face, look.dpi, text);
    if (pressed)
        OffsetRect(&text, 1, 1);
    ScopedSelect font(dc, look.font);
    DrawLabel(dc, text, look, DT_CENTER, face.text);
    if (look.showFocus) {
        RECT focus = rc;
        InflateRect(&focus, -Scaled(3, look), -Scaled(3, look));
        FocusAround(dc, focus, p.focus, face.background.from);
    }
}

// The system draws a group box's frame and caption only: the controls inside stand on the
// parent's background, and may be drawn before it.
void PaintGroupBox(HDC dc, const RECT& rc, const ButtonLook& look, const ControlPalette& palette)
{
    const ButtonPalette& p = palette.button;
    ScopedSelect font(dc, look.font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    RECT frame = rc;
    frame.top += metrics.tmHeight / 2 - 1;
    if (!DrawStyleImage(dc, frame, p.groupImage))
        Outline(dc, frame, p.groupFrame);
    if (look.text.empty())
        return;
    RECT text = rc;
    text.left += Scaled(8, look);
    text.right -= Scaled(8, look);
    DrawTextW(dc, look.text.c_str(), -1, &text, DT_CALCRECT | DT_SINGLELINE | look.prefix);
    // The caption sits where the style says along the top edge.
    const int width = text.right - text.left;
    const UINT across = AlignmentOf(look.windowStyle, DT_LEFT).horizontal;
    if (across != DT_LEFT) {
        text.left = across == DT_RIGHT ? rc.right - Scaled(8, look) - width : (rc.left + rc.right - width) / 2;
        text.right = text.left + width;
    }
    RECT behind = text;
    InflateRect(&behind, Scaled(2, look), 0);
    FillSolid(dc, behind, palette.background);
    DrawLabel(dc, text, look, DT_LEFT, look.enabled ? p.groupText : p.labelDisabled);
}

}  // namespace velum
