#include "ButtonSkin.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "ControlClasses.h"
#include "Engine.h"
#include "WindowRegistry.h"

namespace velum {

namespace {

struct ButtonState {
    bool hot = false;
};

std::map<HWND, ButtonState>& Buttons()
{
    static std::map<HWND, ButtonState> buttons;
    return buttons;
}

ButtonStyle ButtonStyleOf(HWND hwnd)
{
    return velum::ButtonStyleOf(StyleOf(hwnd));
}

bool LooksPushed(const ButtonStyle& style)
{
    return style.kind == ButtonKind::Push || style.kind == ButtonKind::DefaultPush || style.pushLike;
}

// The parent says which colours a button stands on. Only the engine's own answer, given where
// the program left the colours to the system, lets the engine draw the button.
bool ParentAnswersWithThemeBrush(HWND hwnd, HDC dc, const ButtonStyle& style)
{
    HWND parent = GetParent(hwnd);
    if (parent == nullptr)
        return false;
    const UINT message = LooksPushed(style) ? WM_CTLCOLORBTN : WM_CTLCOLORSTATIC;
    const auto brush = reinterpret_cast<HBRUSH>(
        SendMessageW(parent, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd)));
    return brush != nullptr && brush == CurrentTheme()->WindowBrush();
}

bool EngineDraws(HWND hwnd, HDC dc)
{
    if (CurrentTheme() == nullptr || Buttons().count(hwnd) == 0)
        return false;
    const ButtonStyle style = ButtonStyleOf(hwnd);
    return EngineDrawsButton(style) && ParentAnswersWithThemeBrush(hwnd, dc, style);
}

std::wstring TextOf(HWND hwnd)
{
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

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

ButtonLook ReadLook(HWND hwnd)
{
    ButtonLook look;
    look.style = ButtonStyleOf(hwnd);
    look.windowStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
    look.state = CallPrevious(hwnd, BM_GETSTATE, 0, 0);
    look.enabled = IsWindowEnabled(hwnd) != FALSE;
    look.hot = Buttons()[hwnd].hot;
    const auto ui = static_cast<UINT>(SendMessageW(hwnd, WM_QUERYUISTATE, 0, 0));
    look.showFocus = GetFocus() == hwnd && (ui & UISF_HIDEFOCUS) == 0;
    look.prefix = (ui & UISF_HIDEACCEL) != 0 ? DT_HIDEPREFIX : 0;
    look.font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
    if (look.font == nullptr)
        look.font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    look.text = TextOf(hwnd);
    look.dpi = WindowDpi(hwnd);
    return look;
}

int Px(int pixels, const ButtonLook& look)
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

void PaintPushButton(HDC dc, const RECT& rc, const ButtonLook& look, const ControlPalette& palette)
{
    const ButtonPalette& p = palette.button;
    const bool pressed = (look.state & BST_PUSHED) != 0 || (look.style.pushLike && (look.state & BST_CHECKED) != 0);
    const Style& face = !look.enabled ? p.disabled : pressed ? p.pressed : look.hot ? p.hot : p.normal;
    PaintStyle(dc, rc, face);
    if (look.style.kind == ButtonKind::DefaultPush && look.enabled) {
        Outline(dc, rc, p.defaultBorder);
        RECT inner = rc;
        InflateRect(&inner, -1, -1);
        Outline(dc, inner, p.defaultBorder);
    }
    RECT text = rc;
    InflateRect(&text, -Px(4, look), -Px(2, look));
    if (pressed)
        OffsetRect(&text, 1, 1);
    ScopedSelect font(dc, look.font);
    DrawLabel(dc, text, look, DT_CENTER, face.text);
    if (look.showFocus) {
        RECT focus = rc;
        InflateRect(&focus, -Px(3, look), -Px(3, look));
        FocusAround(dc, focus, p.focus, face.background.from);
    }
}

void PaintCheckOrRadio(HDC dc, const RECT& rc, const ButtonLook& look, const ControlPalette& palette)
{
    const ButtonPalette& p = palette.button;
    FillSolid(dc, rc, palette.background);
    const Style& box = !look.enabled                    ? p.boxDisabled
                       : (look.state & BST_PUSHED) != 0 ? p.boxPressed
                       : look.hot                       ? p.boxHot
                                                        : p.box;
    const int size = Px(13, look);
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

    if (look.style.kind == ButtonKind::Radio) {
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
            const int inset = Px(4, look);
            Ellipse(dc, mark.left + inset, mark.top + inset, mark.right - inset, mark.bottom - inset);
        }
    } else {
        PaintStyle(dc, mark, box);
        if ((look.state & BST_INDETERMINATE) != 0) {
            RECT square = mark;
            InflateRect(&square, -Px(3, look), -Px(3, look));
            FillSolid(dc, square, box.text);
        } else if ((look.state & BST_CHECKED) != 0) {
            RECT glyph = mark;
            InflateRect(&glyph, -Px(2, look), -Px(2, look));
            DrawGlyph(dc, glyph, Glyph::Check, box.text, look.dpi);
        }
    }

    RECT text = rc;
    const int gap = Px(4, look);
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
    Outline(dc, frame, p.groupFrame);
    if (look.text.empty())
        return;
    RECT text = rc;
    text.left += Px(8, look);
    text.right -= Px(8, look);
    DrawTextW(dc, look.text.c_str(), -1, &text, DT_CALCRECT | DT_SINGLELINE | look.prefix);
    // The caption sits where the style says along the top edge.
    const int width = text.right - text.left;
    const UINT across = AlignmentOf(look.windowStyle, DT_LEFT).horizontal;
    if (across != DT_LEFT) {
        text.left = across == DT_RIGHT ? rc.right - Px(8, look) - width : (rc.left + rc.right - width) / 2;
        text.right = text.left + width;
    }
    RECT behind = text;
    InflateRect(&behind, Px(2, look), 0);
    FillSolid(dc, behind, palette.background);
    DrawLabel(dc, text, look, DT_LEFT, look.enabled ? p.groupText : p.labelDisabled);
}

void Paint(HWND hwnd, HDC target)
{
    const ButtonLook look = ReadLook(hwnd);
    const ControlPalette& palette = CurrentTheme()->Controls();
    RECT rc;
    GetClientRect(hwnd, &rc);
    if (look.style.kind == ButtonKind::GroupBox) {
        PaintGroupBox(target, rc, look, palette);
        return;
    }
    BackBuffer buffer(target, rc);
    HDC dc = buffer.Ok() ? buffer.Dc() : target;
    if (LooksPushed(look.style))
        PaintPushButton(dc, rc, look, palette);
    else
        PaintCheckOrRadio(dc, rc, look, palette);
    if (buffer.Ok())
        buffer.Commit();
}

bool EngineDrawsNow(HWND hwnd)
{
    HDC probe = GetDC(hwnd);
    if (probe == nullptr)
        return false;
    const bool draws = EngineDraws(hwnd, probe);
    ReleaseDC(hwnd, probe);
    return draws;
}

LRESULT OnPaint(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (wParam != 0) {
        const auto dc = reinterpret_cast<HDC>(wParam);
        if (!EngineDraws(hwnd, dc))
            return CallPrevious(hwnd, message, wParam, lParam);
        Paint(hwnd, dc);
        return 0;
    }
    if (!EngineDrawsNow(hwnd))
        return CallPrevious(hwnd, message, wParam, lParam);
    PAINTSTRUCT ps;
    if (HDC dc = BeginPaint(hwnd, &ps))
        Paint(hwnd, dc);
    EndPaint(hwnd, &ps);
    return 0;
}

// The system's button draws straight onto the window when its state changes (a press, a
// check, the focus), outside WM_PAINT; the engine draws over it at once.
void DrawOverSystemNow(HWND hwnd)
{
    if (Buttons().count(hwnd) == 0 || !IsWindowVisible(hwnd))
        return;
    HDC dc = GetDC(hwnd);
    if (dc == nullptr)
        return;
    if (EngineDraws(hwnd, dc))
        Paint(hwnd, dc);
    ReleaseDC(hwnd, dc);
}

bool ChangesButtonLook(UINT message)
{
    switch (message) {
    case BM_SETSTATE:
    case BM_SETCHECK:
    case BM_SETSTYLE:
    case BM_CLICK:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETTEXT:
    case WM_SETFONT:
    case WM_UPDATEUISTATE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CAPTURECHANGED: return true;
    default: return false;
    }
}

void SetHot(HWND hwnd, bool hot)
{
    auto found = Buttons().find(hwnd);
    if (found == Buttons().end() || found->second.hot == hot)
        return;
    found->second.hot = hot;
    if (hot) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd, 0};
        TrackMouseEvent(&track);
    }
    DrawOverSystemNow(hwnd);
}

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (CurrentTheme() == nullptr || Buttons().count(hwnd) == 0)
        return PassOn(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_PAINT:
    case WM_PRINTCLIENT: return OnPaint(hwnd, message, wParam, lParam);
    case WM_NCDESTROY: Buttons().erase(hwnd); return PassOn(hwnd, message, wParam, lParam);
    default: break;
    }
    const LRESULT result = CallPrevious(hwnd, message, wParam, lParam);
    if (message == WM_MOUSEMOVE)
        SetHot(hwnd, true);
    else if (message == WM_MOUSELEAVE)
        SetHot(hwnd, false);
    else if (ChangesButtonLook(message))
        DrawOverSystemNow(hwnd);
    return result;
}

}  // namespace

bool SkinButton(HWND hwnd)
{
    if (Buttons().count(hwnd) != 0)
        return true;
    if (ControlFamilyOf(hwnd) != ControlFamily::Button)
        return false;
    if (!InstallSubclass(hwnd, ButtonProc))
        return false;
    Buttons()[hwnd] = {};
    return true;
}

void RefreshButtons()
{
    for (const auto& [hwnd, state] : Buttons())
        InvalidateRect(hwnd, nullptr, TRUE);
}

void UnskinButtons()
{
    // Out of the registry first: a button given back only passes its messages on.
    std::vector<HWND> buttons;
    for (const auto& [hwnd, state] : Buttons())
        buttons.push_back(hwnd);
    Buttons().clear();
    for (HWND hwnd : buttons) {
        RemoveSubclass(hwnd);
        InvalidateRect(hwnd, nullptr, TRUE);
    }
}

}  // namespace velum
