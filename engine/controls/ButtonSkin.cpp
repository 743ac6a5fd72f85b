#include "ButtonSkin.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "ButtonPaint.h"
#include "ControlClasses.h"
#include "ControlPaint.h"
#include "Engine.h"
#include "PartWindows.h"
#include "WindowRegistry.h"

namespace velum {

namespace {

struct ButtonState {
    bool hot = false;
};

PartWindows<ButtonState>& Buttons()
{
    static PartWindows<ButtonState> buttons;
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
        PaintCheckBox(dc, rc, look, palette);
    if (buffer.Ok())
        buffer.Commit();
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
    if (!DrawsOnWindow(hwnd, [hwnd](HDC dc) { return EngineDraws(hwnd, dc); }))
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
    if (Buttons().count(hwnd) != 0)
        velum::DrawOverSystemNow(
            hwnd, [hwnd](HDC dc) { return EngineDraws(hwnd, dc); }, [hwnd](HDC dc) { Paint(hwnd, dc); });
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

void UnskinButtons(HWND only)
{
    Buttons().GiveBack(only, [](HWND hwnd, const ButtonState&) { InvalidateRect(hwnd, nullptr, TRUE); });
}

}  // namespace velum
