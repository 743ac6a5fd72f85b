#include "ButtonSkin.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ButtonPaint.h"
#include "ControlClasses.h"
#include "ControlPaint.h"
#include "Engine.h"
#include "Handles.h"
#include "PartWindows.h"
#include "WindowRegistry.h"

namespace velum {

namespace {

struct ButtonState {
    bool hot = false;
    // For a button the program subclassed before the engine came, whether the program paints it
    // itself, as its first paint showed: then the engine draws nothing of it.
    std::optional<bool> programPaints;
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

// The system's button asks its parent for its colours as it draws. Watching for that question
// tells whether a program's procedure below the engine let the system draw the button.
thread_local HWND watchedButton = nullptr;
thread_local bool systemDrew = false;

LRESULT CALLBACK WatchColourQuestions(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if ((sent->message == WM_CTLCOLORBTN || sent->message == WM_CTLCOLORSTATIC) &&
            reinterpret_cast<HWND>(sent->lParam) == watchedButton)
            systemDrew = true;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Passes the message on to the program's procedure below the engine, and tells whether the
// system drew the button meanwhile.
bool SystemDrewDuring(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    const HWND outerButton = std::exchange(watchedButton, hwnd);
    const bool outerDrew = std::exchange(systemDrew, false);
    {
        const UniqueHook watch(SetWindowsHookExW(WH_CALLWNDPROC, WatchColourQuestions, nullptr, GetCurrentThreadId()));
        result = CallPrevious(hwnd, message, wParam, lParam);
    }
    const bool drew = systemDrew;
    watchedButton = outerButton;
    systemDrew = outerDrew;
    return drew;
}

bool ProgramPaints(HWND hwnd)
{
    const auto found = Buttons().find(hwnd);
    return found != Buttons().end() && found->second.programPaints.value_or(false);
}

// Not yet known whether the program paints the button it subclassed before the engine came.
bool ProgramMayPaint(HWND hwnd)
{
    const auto found = Buttons().find(hwnd);
    if (found == Buttons().end() || found->second.programPaints)
        return false;
    // Below the engine is the system's procedure: the engine draws the button, and need not ask
    // again.
    if (!ProgramProcedureBelow(hwnd)) {
        found->second.programPaints = false;
        return false;
    }
    return true;
}

// The system's button draws straight onto the window when its state changes (a press, a
// check, the focus), outside WM_PAINT; the engine draws over it at once.
void DrawOverSystemNow(HWND hwnd)
{
    if (Buttons().count(hwnd) != 0 && !ProgramPaints(hwnd))
        velum::DrawOverSystemNow(
            hwnd, [hwnd](HDC dc) { return EngineDraws(hwnd, dc); }, [hwnd](HDC dc) { Paint(hwnd, dc); });
}

// The first paint of a button the program subclassed before the engine came goes to the
// program: the engine draws over it only if the system drew it, and from then on draws such a
// button itself, or leaves it to the program.
LRESULT OnPaintOverProgram(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    const bool drew = SystemDrewDuring(hwnd, message, wParam, lParam, result);
    if (auto found = Buttons().find(hwnd); found != Buttons().end())
        found->second.programPaints = !drew;
    if (!drew)
        return result;
    if (message == WM_PRINTCLIENT && wParam != 0) {
        const auto dc = reinterpret_cast<HDC>(wParam);
        if (EngineDraws(hwnd, dc))
            Paint(hwnd, dc);
    } else {
        DrawOverSystemNow(hwnd);
    }
    return result;
}

LRESULT OnPaint(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (ProgramPaints(hwnd))
        return CallPrevious(hwnd, message, wParam, lParam);
    if (ProgramMayPaint(hwnd))
        return OnPaintOverProgram(hwnd, message, wParam, lParam);
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
    // Below the engine, a program's procedure may handle the change itself; the system's
    // drawing is drawn over only where the system drew.
    LRESULT result = 0;
    bool drew = true;
    if (ChangesButtonLook(message) && ProgramMayPaint(hwnd))
        drew = SystemDrewDuring(hwnd, message, wParam, lParam, result);
    else
        result = CallPrevious(hwnd, message, wParam, lParam);
    if (message == WM_MOUSEMOVE)
        SetHot(hwnd, true);
    else if (message == WM_MOUSELEAVE)
        SetHot(hwnd, false);
    else if (ChangesButtonLook(message) && drew)
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
