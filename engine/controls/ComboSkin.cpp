#include "ComboSkin.h"

#include <algorithm>
#include <string>

#include "ControlPaint.h"
#include "Engine.h"
#include "FieldSkin.h"
#include "WindowRegistry.h"

namespace velum {

namespace {

// Everything about a combo box its look depends on, read once per paint.
struct ComboLook {
    ComboKind kind = ComboKind::Simple;
    COMBOBOXINFO info{};
    bool enabled = true;
    bool focused = false;
    bool dropped = false;
    bool pressed = false;
    bool hot = false;
    int dpi = 96;
};

// Asked at each paint: while its list is open the combo box hears nothing of the pointer, and
// the pointer is elsewhere once the list closes.
bool PointerOver(HWND hwnd)
{
    POINT p;
    if (!GetCursorPos(&p))
        return false;
    HWND under = WindowFromPoint(p);
    return under == hwnd || (under != nullptr && IsChild(hwnd, under));
}

ComboLook ReadLook(HWND hwnd)
{
    ComboLook look;
    look.kind = ComboKindOf(static_cast<std::uint32_t>(GetWindowLongPtrW(hwnd, GWL_STYLE)));
    look.info.cbSize = sizeof look.info;
    if (!GetComboBoxInfo(hwnd, &look.info))
        look.info = {};
    look.enabled = IsWindowEnabled(hwnd) != FALSE;
    look.focused = HasFocusWithin(hwnd);
    look.dropped = SendMessageW(hwnd, CB_GETDROPPEDSTATE, 0, 0) != FALSE;
    look.pressed = (look.info.stateButton & STATE_SYSTEM_PRESSED) != 0;
    look.hot = PointerOver(hwnd);
    look.dpi = WindowDpi(hwnd);
    return look;
}

// The sunken frame the system draws: around the whole control, or in a simple combo box around
// the edit only (its padding of one pixel and an edge of two), the list standing below it.
RECT FrameOf(const ComboLook& look, const RECT& client)
{
    if (look.kind != ComboKind::Simple)
        return client;
    RECT frame = look.info.rcItem;
    InflateRect(&frame, 3, 3);
    return frame;
}

void DrawDropArrow(HDC dc, const RECT& r, Color colour, int dpi)
{
    const int half = std::max(2, Scale(4, dpi));
    const int middle = (r.left + r.right) / 2;
    const int top = (r.top + r.bottom - half) / 2;
    for (int row = 0; row <= half; ++row)
        FillSolid(dc, {middle - half + row, top + row, middle + half - row + 1, top + row + 1}, colour);
}

void PaintButton(HDC dc, const ComboLook& look)
{
    const ButtonPalette& p = CurrentTheme()->Controls().button;
    const Style& face = !look.enabled ? p.disabled : look.pressed ? p.pressed : look.hot ? p.hot : p.normal;
    PaintStyle(dc, look.info.rcButton, face);
    RECT arrow = look.info.rcButton;
    if (look.pressed)
        OffsetRect(&arrow, 1, 1);
    DrawDropArrow(dc, arrow, face.text, look.dpi);
}

std::wstring SelectedText(HWND hwnd)
{
    const LRESULT index = SendMessageW(hwnd, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return {};
    const LRESULT length = SendMessageW(hwnd, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR || length < 0)
        return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied =
        SendMessageW(hwnd, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied == CB_ERR || copied < 0 ? 0 : static_cast<size_t>(copied));
    return text;
}

// A drop-down list's field shows the selected item, highlighted while the combo box has the
// focus and its list is closed, as the system places it.
void PaintSelectedItem(HWND hwnd, HDC dc, const ComboLook& look)
{
    const FieldPalette& p = CurrentTheme()->Controls().field;
    const bool highlighted = look.enabled && look.focused && !look.dropped;
    const Style& s = !look.enabled ? p.disabled : highlighted ? p.selected : p.normal;
    auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
    if (font == nullptr)
        font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    ScopedSelect selectFont(dc, font);
    const std::wstring text = SelectedText(hwnd);
    const RECT& r = look.info.rcItem;
    SetTextColor(dc, ToColorRef(s.text));
    SetBkColor(dc, ToColorRef(s.background.from));
    ExtTextOutW(dc, r.left + 1, r.top + 1, ETO_OPAQUE | ETO_CLIPPED, &r, text.c_str(), static_cast<UINT>(text.size()),
                nullptr);
    if (highlighted)
        DrawFocusRect(dc, &r);
}

void ExcludeChild(HDC dc, HWND hwnd, HWND child)
{
    if (child == nullptr || child == hwnd || !IsWindowVisible(child) || GetParent(child) != hwnd)
        return;
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
    ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
}

// `itemsToo`: the engine draws the whole combo box; without, the system has drawn it with its
// items, and the engine draws the frame and the button around the item.
void Paint(HWND hwnd, HDC target, bool itemsToo)
{
    const ComboLook look = ReadLook(hwnd);
    if (FieldState* field = FindField(hwnd))
        field->hot = look.hot;
    RECT client;
    GetClientRect(hwnd, &client);
    const RECT frame = FrameOf(look, client);
    // The edit and a simple combo box's list are windows of their own, drawn by themselves.
    const int saved = SaveDC(target);
    ExcludeChild(target, hwnd, look.info.hwndItem);
    ExcludeChild(target, hwnd, look.info.hwndList);
    if (!itemsToo && look.kind == ComboKind::DropDownList)
        ExcludeClipRect(target, look.info.rcItem.left, look.info.rcItem.top, look.info.rcItem.right,
                        look.info.rcItem.bottom);
    {
        BackBuffer buffer(target, frame);
        HDC dc = buffer.Ok() ? buffer.Dc() : target;
        const FieldPalette& p = CurrentTheme()->Controls().field;
        const Style& field = look.enabled ? p.normal : p.disabled;
        FillSolid(dc, frame, field.background.from);
        Outline(dc, frame, look.enabled && look.focused ? p.focusBorder : field.border);
        if (itemsToo && look.kind == ComboKind::DropDownList)
            PaintSelectedItem(hwnd, dc, look);
        if (!IsRectEmpty(&look.info.rcButton))
            PaintButton(dc, look);
        if (buffer.Ok())
            buffer.Commit();
    }
    RestoreDC(target, saved);
}

// Draws over what the system drew of an owner-drawn combo box whose items it draws itself.
void FrameSystemItems(HWND hwnd, WPARAM wParam)
{
    HDC dc = wParam != 0 ? reinterpret_cast<HDC>(wParam) : GetDC(hwnd);
    if (dc == nullptr)
        return;
    Paint(hwnd, dc, false);
    if (wParam == 0)
        ReleaseDC(hwnd, dc);
}

LRESULT OnPaint(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!EngineDrawsField(hwnd)) {
        if (!EngineFramesField(hwnd))
            return CallPrevious(hwnd, message, wParam, lParam);
        const LRESULT result = CallPrevious(hwnd, message, wParam, lParam);
        if (FindField(hwnd) != nullptr && CurrentTheme() != nullptr)
            FrameSystemItems(hwnd, wParam);
        return result;
    }
    if (wParam != 0) {
        Paint(hwnd, reinterpret_cast<HDC>(wParam), true);
        return 0;
    }
    PAINTSTRUCT ps;
    if (HDC dc = BeginPaint(hwnd, &ps))
        Paint(hwnd, dc, true);
    EndPaint(hwnd, &ps);
    return 0;
}

// The system draws a drop-down list's field straight onto the window when the selection
// changes, and repaints only the field when the focus moves; the engine draws the whole combo
// box at once.
void DrawOverSystemNow(HWND hwnd)
{
    if (FindField(hwnd) == nullptr)
        return;
    bool itemsToo = false;
    velum::DrawOverSystemNow(
        hwnd,
        [hwnd, &itemsToo](HDC) {
            itemsToo = EngineDrawsField(hwnd);
            return itemsToo || EngineFramesField(hwnd);
        },
        [hwnd, &itemsToo](HDC dc) { Paint(hwnd, dc, itemsToo); });
}

bool ChangesComboLook(UINT message)
{
    switch (message) {
    case WM_COMMAND:  // the list's selection, the edit's focus
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_KEYDOWN:
    case WM_CHAR:
    case WM_CAPTURECHANGED:
    case CB_SETCURSEL:
    case CB_SELECTSTRING:
    case CB_SHOWDROPDOWN: return true;
    default: return false;
    }
}

// Repaints when the pointer came or went since the last paint.
void FollowPointer(HWND hwnd, UINT message)
{
    const FieldState* field = FindField(hwnd);
    if (field == nullptr)
        return;
    if (message == WM_MOUSEMOVE) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd, 0};
        TrackMouseEvent(&track);
    }
    if (field->hot != PointerOver(hwnd))
        DrawOverSystemNow(hwnd);
}

}  // namespace

LRESULT CALLBACK ComboProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (CurrentTheme() == nullptr || FindField(hwnd) == nullptr)
        return PassOn(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_PAINT:
    case WM_PRINTCLIENT: return OnPaint(hwnd, message, wParam, lParam);
    case WM_NCDESTROY: ForgetField(hwnd); return PassOn(hwnd, message, wParam, lParam);
    default: break;
    }
    const LRESULT result = CallPrevious(hwnd, message, wParam, lParam);
    if (message == WM_CREATE)
        SkinComboParts(hwnd);
    else if (message == WM_MOUSEMOVE || message == WM_MOUSELEAVE)
        FollowPointer(hwnd, message);
    else if (ChangesComboLook(message))
        DrawOverSystemNow(hwnd);
    return result;
}

}  // namespace velum
