#include "ListSkin.h"

#include <string>

#include "ControlClasses.h"
#include "Engine.h"
#include "FieldSkin.h"
#include "ScrollBarSkin.h"
#include "WindowRegistry.h"

namespace velum {

namespace {

// A combo box shows and hides its list's caret with two messages the SDK does not declare.
constexpr UINT kListCaretOn = 0x01A3;
constexpr UINT kListCaretOff = 0x01A4;

// The system draws a list's text itself and the engine keeps it, background and all; only the
// items the system draws in its own selection colours are drawn again. A list that places its
// text at tab stops the program set is not redrawn: the stops cannot be read back.
bool RedrawsItems(HWND hwnd)
{
    return (StyleOf(hwnd) & LBS_USETABSTOPS) == 0;
}

std::wstring ItemText(HWND hwnd, int index)
{
    const LRESULT length = SendMessageW(hwnd, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR || length < 0)
        return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied =
        SendMessageW(hwnd, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied == LB_ERR || copied < 0 ? 0 : static_cast<size_t>(copied));
    return text;
}

// The items the system drew in colours that are not the theme's: the selected ones, and all of
// them while the list is disabled (the system greys their text in its own colour).
void PaintItems(HWND hwnd, HDC dc, ControlFamily family)
{
    const FieldPalette& palette = CurrentTheme()->Controls().field;
    const bool enabled = IsWindowEnabled(hwnd) != FALSE;
    // A combo box's list never has the focus: its selection follows the pointer and is the
    // active one while the list is open.
    const bool active = family == ControlFamily::ComboList || GetFocus() == hwnd;
    const auto ui = static_cast<UINT>(SendMessageW(hwnd, WM_QUERYUISTATE, 0, 0));
    const bool showFocus = family == ControlFamily::ListBox && GetFocus() == hwnd && (ui & UISF_HIDEFOCUS) == 0;
    const auto caret = static_cast<int>(SendMessageW(hwnd, LB_GETCARETINDEX, 0, 0));

    auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
    if (font == nullptr)
        font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    ScopedSelect selectFont(dc, font);
    RECT client;
    GetClientRect(hwnd, &client);
    const auto count = static_cast<int>(SendMessageW(hwnd, LB_GETCOUNT, 0, 0));
    const auto top = static_cast<int>(SendMessageW(hwnd, LB_GETTOPINDEX, 0, 0));
    for (int i = top < 0 ? 0 : top; i < count; ++i) {
        RECT item;
        if (SendMessageW(hwnd, LB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item)) == LB_ERR)
            break;
        if (item.top >= client.bottom || item.left >= client.right)
            break;
        const bool selected = SendMessageW(hwnd, LB_GETSEL, static_cast<WPARAM>(i), 0) > 0;
        if (enabled && !selected)
            continue;
        const Style& chosen = !enabled ? palette.disabled : active ? palette.selected : palette.selectedInactive;
        const Color background =
            enabled || !selected ? chosen.background.from : palette.selectedInactive.background.from;
        SetTextColor(dc, ToColorRef(chosen.text));
        SetBkColor(dc, ToColorRef(background));
        const std::wstring text = ItemText(hwnd, i);
        // Where the system puts an item's text: one pixel in from the item's left edge.
        ExtTextOutW(dc, item.left + 1, item.top, ETO_OPAQUE | ETO_CLIPPED, &item, text.c_str(),
                    static_cast<UINT>(text.size()), nullptr);
        if (showFocus && i == caret)
            DrawFocusRect(dc, &item);
    }
}

void Paint(HWND hwnd, HDC target, ControlFamily family)
{
    RECT client;
    GetClientRect(hwnd, &client);
    BackBuffer buffer(target, client);
    HDC dc = buffer.Ok() ? buffer.Dc() : target;
    CallPrevious(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    PaintItems(hwnd, dc, family);
    if (buffer.Ok())
        buffer.Commit();
}

bool Draws(HWND hwnd)
{
    return RedrawsItems(hwnd) && EngineDrawsField(hwnd);
}

LRESULT OnPaint(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, ControlFamily family)
{
    if (!Draws(hwnd))
        return CallPrevious(hwnd, message, wParam, lParam);
    if (wParam != 0) {
        const LRESULT result = CallPrevious(hwnd, message, wParam, lParam);
        PaintItems(hwnd, reinterpret_cast<HDC>(wParam), family);
        return result;
    }
    PAINTSTRUCT ps;
    if (HDC dc = BeginPaint(hwnd, &ps))
        Paint(hwnd, dc, family);
    EndPaint(hwnd, &ps);
    return 0;
}

// The list draws an item straight onto the window when its selection, caret or focus changes;
// the engine repaints the list at once, through its buffer.
void RedrawListNow(HWND hwnd)
{
    if (FindField(hwnd) != nullptr && IsWindowVisible(hwnd))
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

bool DrawsItems(UINT message)
{
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_KEYDOWN:
    case WM_CHAR:
    case WM_TIMER:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case LB_SETCURSEL:
    case LB_SETSEL:
    case LB_SELITEMRANGE:
    case LB_SELITEMRANGEEX:
    case LB_SETCARETINDEX:
    case LB_SELECTSTRING:
    case LB_SETTOPINDEX:
    case kListCaretOn:
    case kListCaretOff: return true;
    default: return false;
    }
}

// What the pointer moving over a list can change: a combo box's list selects the item under
// it, a list being dragged over extends its selection.
struct Selection {
    LRESULT current, caret, top;
    bool operator==(const Selection&) const = default;
};

Selection SelectionOf(HWND hwnd)
{
    return {SendMessageW(hwnd, LB_GETCURSEL, 0, 0), SendMessageW(hwnd, LB_GETCARETINDEX, 0, 0),
            SendMessageW(hwnd, LB_GETTOPINDEX, 0, 0)};
}

}  // namespace

LRESULT CALLBACK ListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const FieldState* found = FindField(hwnd);
    if (CurrentTheme() == nullptr || found == nullptr)
        return PassOn(hwnd, message, wParam, lParam);
    const ControlFamily family = found->family;
    switch (message) {
    case WM_PAINT:
    case WM_PRINTCLIENT: return OnPaint(hwnd, message, wParam, lParam, family);
    case WM_NCDESTROY: ForgetField(hwnd); return PassOn(hwnd, message, wParam, lParam);
    case WM_MOUSEMOVE: {
        const Selection before = SelectionOf(hwnd);
        const LRESULT result = CallPrevious(hwnd, message, wParam, lParam);
        if (!(SelectionOf(hwnd) == before))
            RedrawListNow(hwnd);
        if (FindField(hwnd) != nullptr)
            RepaintFieldScrollBars(hwnd);  // a list scrolls while a button is held below it
        return result;
    }
    default: break;
    }
    if (LRESULT tracked = 0;
        EngineFollowsBarPointer(hwnd, message) && FollowOwnScrollBars(hwnd, message, wParam, lParam, tracked))
        return tracked;
    const LRESULT result = CallPrevious(hwnd, message, wParam, lParam);
    if (message == WM_NCPAINT)
        PaintFieldBorder(hwnd);
    else if (DrawsItems(message))
        RedrawListNow(hwnd);
    if (message == WM_SETFOCUS || message == WM_KILLFOCUS || message == WM_ENABLE)
        PaintFieldBorder(hwnd);
    if (message != WM_NCPAINT && FindField(hwnd) != nullptr)
        RepaintFieldScrollBars(hwnd);
    return result;
}

}  // namespace velum
