// The windows the engine draws: the hook that sees a thread's new windows, the subclass each
// one gets, and skinning or giving back all of them at once.
#include "WindowRegistry.h"

#include <map>
#include <memory>
#include <set>
#include <vector>

#include "ButtonSkin.h"
#include "CommonControlSkin.h"
#include "ControlClasses.h"
#include "Engine.h"
#include "FieldSkin.h"
#include "FrameWindow.h"
#include "PopupMenu.h"
#include "ScrollBarSkin.h"
#include "ScrolledWindow.h"

namespace velum {

namespace {

HINSTANCE engineModule = nullptr;

struct EngineState {
    DWORD thread = 0;
    // Unhooked when skinning stops, or when the engine is unloaded while still attached (a hook
    // left behind would call into unmapped code).
    UniqueHook hook;
    UniqueHook menuHook;
    std::unique_ptr<ThemeResources> theme;
};

EngineState& State()
{
    static EngineState state;
    return state;
}

// Subclassing without comctl32: under Wine, loading comctl32 costs more than everything else
// the engine does at a program's start. Each window keeps the procedure it had, which gets
// every message the engine does not answer itself.
struct Subclass {
    WNDPROC previous;
    WNDPROC ours;
};

std::map<HWND, Subclass>& Subclasses()
{
    static std::map<HWND, Subclass> subclasses;
    return subclasses;
}

std::map<HWND, std::unique_ptr<FrameWindow>>& Frames()
{
    static std::map<HWND, std::unique_ptr<FrameWindow>> frames;
    return frames;
}

std::set<HWND>& Popups()
{
    static std::set<HWND> popups;
    return popups;
}

// The windows asked once, while attached, which control they are: a switch does not ask again
// (that takes several calls into the system for every window of the thread).
std::set<HWND>& Examined()
{
    static std::set<HWND> examined;
    return examined;
}

// True for the windows the engine skins: top-level windows with a caption.
bool WantsFrameSkin(DWORD style)
{
    return (style & WS_CHILD) == 0 && (style & WS_CAPTION) == WS_CAPTION;
}

void SkinFrameWindow(HWND hwnd)
{
    if (Frames().count(hwnd) != 0)
        return;
    Frames()[hwnd] = std::make_unique<FrameWindow>(hwnd);
    if (Subclasses().count(hwnd) == 0 && !InstallSubclass(hwnd, FrameWindow::Proc))
        Frames().erase(hwnd);
}

// The controls the engine draws, told apart by the system class they are built on.
// `creating`: from the CBT hook, before the control has made itself.
void SkinControl(HWND hwnd, bool creating)
{
    // A new window is always asked: its handle may be one a window of the set had.
    if (!Examined().insert(hwnd).second && !creating)
        return;
    switch (const ControlFamily family = ControlFamilyOf(hwnd)) {
    case ControlFamily::Button: SkinButton(hwnd); break;
    case ControlFamily::Edit:
    case ControlFamily::ListBox:
    case ControlFamily::ComboBox:
    case ControlFamily::ComboList: SkinField(hwnd, family); break;
    case ControlFamily::ScrollBar: SkinScrollBarControl(hwnd); break;
    case ControlFamily::Unknown: SkinScrolledWindow(hwnd); break;  // a panel may have scroll bars
    default: SkinCommonControl(hwnd, creating); break;
    }
}

void SkinPopupMenu(HWND hwnd)
{
    if (Popups().count(hwnd) != 0)
        return;
    Popups().insert(hwnd);
    if (Subclasses().count(hwnd) == 0 && !InstallSubclass(hwnd, PopupProc))
        Popups().erase(hwnd);
}

LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_MINMAX && CurrentTheme() != nullptr) {
        if (FrameWindow* frame = FindFrame(reinterpret_cast<HWND>(wParam)))
            frame->BeforeMinMax(static_cast<int>(LOWORD(lParam)));
    }
    if (code == HCBT_CREATEWND && CurrentTheme() != nullptr) {
        auto hwnd = reinterpret_cast<HWND>(wParam);
        const auto* create = reinterpret_cast<const CBT_CREATEWNDW*>(lParam)->lpcs;
        wchar_t className[16] = L"";
        GetClassNameW(hwnd, className, 16);
        if (lstrcmpW(className, L"#32768") == 0)
            SkinPopupMenu(hwnd);
        else if (WantsFrameSkin(static_cast<DWORD>(create->style)))
            SkinFrameWindow(hwnd);
        else
            SkinControl(hwnd, true);  // tooltips and the list a combo box drops are pop-ups
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Wine's menu tracking hit-tests its own layout of a menu bar: every mouse message it looks at
// passes through here first, where a point on a skinned bar is moved to Wine's layout.
LRESULT CALLBACK MenuFilterHook(int code, WPARAM wParam, LPARAM lParam)
{
    // Wine's tracking of a right click on a caption filters the messages it waits through too.
    if (code == MSGF_MAX && CurrentTheme() != nullptr) {
        const auto* msg = reinterpret_cast<const MSG*>(lParam);
        if (msg->message == WM_RBUTTONUP)
            if (FrameWindow* frame = FindFrame(msg->hwnd))
                frame->RightButtonReleased(msg->pt);
    }
    if (code == MSGF_MENU && CurrentTheme() != nullptr) {
        auto* msg = reinterpret_cast<MSG*>(lParam);
        if (msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST) {
            // Wine's tracking reads the point from lParam, which holds screen coordinates while
            // a menu is tracked; a message whose lParam says otherwise keeps it.
            const POINT seen = msg->pt;
            for (auto& [hwnd, window] : Frames()) {
                if (window->MapMenuPoint(msg->pt)) {
                    if (msg->lParam == MAKELPARAM(seen.x, seen.y))
                        msg->lParam = MAKELPARAM(msg->pt.x, msg->pt.y);
                    break;
                }
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL CALLBACK SkinExistingControl(HWND hwnd, LPARAM)
{
    SkinControl(hwnd, false);
    return TRUE;
}

BOOL CALLBACK SkinExisting(HWND hwnd, LPARAM)
{
    // The children of a window the engine already knew were made under its hook, which took
    // each of them as it was made; only a window new to the engine has its children looked at.
    const bool known = Frames().count(hwnd) != 0 || Examined().count(hwnd) != 0;
    if (WantsFrameSkin(static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE))))
        SkinFrameWindow(hwnd);
    else
        SkinControl(hwnd, false);  // tooltips and dropped lists are windows of their own
    if (!known)
        EnumChildWindows(hwnd, SkinExistingControl, 0);
    return TRUE;
}

void RefreshSkinnedWindows()
{
    for (auto& [hwnd, window] : Frames())
        window->Refresh();
    RefreshButtons();
    RefreshFields();
    RefreshCommonControls();
    RefreshScrollBarControls();
    RefreshScrolledWindows();
    RefreshPopupBackgrounds(CurrentTheme()->PopupBrush());
    for (HWND popup : Popups())
        RedrawWindow(popup, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
}

void UnskinAll()
{
    for (HWND popup : std::vector<HWND>(Popups().begin(), Popups().end()))
        RemoveSubclass(popup);
    Popups().clear();
    RestoreMenus();
    UnskinButtons();
    UnskinFields();
    UnskinCommonControls();
    UnskinScrollBarControls();
    UnskinScrolledWindows();
    Examined().clear();
    // Out of the registry first: while a window is given back, its messages only pass on.
    const auto frames = std::move(Frames());
    Frames().clear();
    for (auto& [hwnd, window] : frames) {
        ForgetScrollBars(hwnd);
        window->Unskin();
    }
}

}  // namespace

ThemeResources* CurrentTheme()
{
    return State().theme.get();
}

DWORD SkinnedThread()
{
    return State().thread;
}

void SetEngineModule(HINSTANCE module)
{
    engineModule = module;
}

bool SkinThreadWindows(std::unique_ptr<ThemeResources> theme)
{
    EngineState& state = State();
    if (!state.hook) {
        state.hook.reset(SetWindowsHookExW(WH_CBT, CbtHook, engineModule, GetCurrentThreadId()));
        if (!state.hook)
            return false;
        state.thread = GetCurrentThreadId();
        state.menuHook.reset(SetWindowsHookExW(WH_MSGFILTER, MenuFilterHook, engineModule, state.thread));
    }
    // The old resources live until every window has been refreshed with the new ones.
    std::unique_ptr<ThemeResources> previous = std::move(state.theme);
    state.theme = std::move(theme);
    EnumThreadWindows(state.thread, SkinExisting, 0);
    RefreshSkinnedWindows();
    return true;
}

void StopSkinning()
{
    EngineState& state = State();
    if (!state.hook)
        return;
    UnskinAll();
    state.hook.reset();
    state.menuHook.reset();
    state.thread = 0;
    state.theme.reset();
    ReleaseKeptBuffer();
    ReleaseKeptIcons();
    ReleaseKeptButtons();
}

int WindowDpi(HWND hwnd)
{
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow != nullptr) {
        const UINT dpi = getDpiForWindow(hwnd);
        if (dpi != 0)
            return static_cast<int>(dpi);
    }
    return ScreenDpi();
}

bool InstallSubclass(HWND hwnd, WNDPROC ours)
{
    SetLastError(0);
    const auto previous =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ours)));
    if (previous == nullptr && GetLastError() != 0)
        return false;
    Subclasses()[hwnd] = {previous, ours};
    return true;
}

LRESULT CallPrevious(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto found = Subclasses().find(hwnd);
    if (found == Subclasses().end() || found->second.previous == nullptr)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    return CallWindowProcW(found->second.previous, hwnd, message, wParam, lParam);
}

// When a program subclassed the window after the engine, the engine's procedure stays in the
// chain and passes everything on, so neither is lost.
void RemoveSubclass(HWND hwnd)
{
    const auto found = Subclasses().find(hwnd);
    if (found == Subclasses().end())
        return;
    if (GetWindowLongPtrW(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(found->second.ours)) {
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(found->second.previous));
        Subclasses().erase(found);
    }
}

LRESULT PassOn(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CallPrevious(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        Subclasses().erase(hwnd);
        Examined().erase(hwnd);
    }
    return result;
}

FrameWindow* FindFrame(HWND hwnd)
{
    const auto found = Frames().find(hwnd);
    return found != Frames().end() ? found->second.get() : nullptr;
}

void ForgetFrame(HWND hwnd)
{
    Frames().erase(hwnd);
}

bool IsSkinnedPopup(HWND hwnd)
{
    return Popups().count(hwnd) != 0;
}

void ForgetPopup(HWND hwnd)
{
    Popups().erase(hwnd);
}

bool TakeMenuBarPopupPosition(POINT& at)
{
    for (auto& [hwnd, window] : Frames())
        if (window->TakePopupPosition(at))
            return true;
    return false;
}

}  // namespace velum
