// The windows the engine draws: the hooks that see a thread's new windows and its menu loops,
// which part draws each window, and skinning, refreshing or giving back all of them at once.
#include "WindowRegistry.h"

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "ButtonSkin.h"
#include "ChildDialogSkin.h"
#include "CommonControlSkin.h"
#include "ControlClasses.h"
#include "Engine.h"
#include "EtchedLineSkin.h"
#include "Exclusions.h"
#include "FieldSkin.h"
#include "FrameWindow.h"
#include "ImportPatches.h"
#include "PopupMenu.h"
#include "ScrollBarControl.h"
#include "ScrollBarSkin.h"
#include "ScrolledWindow.h"
#include "SystemColourAnswers.h"
#include "SystemDrawnSkin.h"
#include "WindowSubclass.h"

namespace velum {

namespace {

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
// Top-level windows with a caption, and MDI children, which have frames of their own.
bool WantsFrameSkin(DWORD style, DWORD exStyle)
{
    return (style & WS_CAPTION) == WS_CAPTION && ((style & WS_CHILD) == 0 || (exStyle & WS_EX_MDICHILD) != 0);
}

bool WantsFrameSkin(HWND hwnd)
{
    return WantsFrameSkin(StyleOf(hwnd), static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)));
}

void SkinFrameWindow(HWND hwnd)
{
    if (Frames().count(hwnd) != 0 || IsExcluded(hwnd))
        return;
    Frames()[hwnd] = std::make_unique<FrameWindow>(hwnd);
    if (!InstallSubclass(hwnd, FrameWindow::Proc))
        Frames().erase(hwnd);
}

// A frame object may be in use by a procedure further up the stack (the program detached or
// destroyed the window from inside one of its messages): it goes once none runs.
void Retire(std::unique_ptr<FrameWindow> frame)
{
    WhenOutsideEngineProcedures([kept = std::shared_ptr<FrameWindow>(std::move(frame))] {});
}

// The controls the engine draws, told apart by the system class they are built on.
// `creating`: from the CBT hook, before the control has made itself.
void SkinControl(HWND hwnd, bool creating)
{
    if (IsExcluded(hwnd))
        return;
    // A new window is always asked: its handle may be one a window of the set had.
    if (!Examined().insert(hwnd).second && !creating)
        return;
    if (WantsFrameSkin(hwnd)) {
        SkinFrameWindow(hwnd);  // an MDI child made before the engine came
        return;
    }
    if ((StyleOf(hwnd) & WS_CHILD) != 0 && IsDialogWindow(hwnd)) {
        SkinChildDialog(hwnd);
        return;
    }
    switch (const ControlFamily family = ControlFamilyOf(hwnd)) {
    case ControlFamily::Button: SkinButton(hwnd); break;
    case ControlFamily::Edit:
    case ControlFamily::ListBox:
    case ControlFamily::ComboBox:
    case ControlFamily::ComboList: SkinField(hwnd, family); break;
    case ControlFamily::ScrollBar: SkinScrollBarControl(hwnd); break;
    case ControlFamily::Static: SkinEtchedLine(hwnd); break;
    case ControlFamily::Unknown:
        if (!SkinSystemDrawnControl(hwnd, creating))
            SkinScrolledWindow(hwnd);  // a panel may have scroll bars
        break;
    default: SkinCommonControl(hwnd, creating); break;
    }
}

void SkinPopupMenu(HWND hwnd)
{
    if (Popups().count(hwnd) != 0)
        return;
    Popups().insert(hwnd);
    if (!InstallSubclass(hwnd, PopupProc))
        Popups().erase(hwnd);
}

std::uint64_t windowsMade = 0;

}  // namespace

std::uint64_t WindowsMadeSoFar()
{
    return windowsMade;
}

LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam)
{
    ImportPatches::CatchUp();
    if (code == HCBT_MINMAX && CurrentTheme() != nullptr) {
        if (FrameWindow* frame = FindFrame(reinterpret_cast<HWND>(wParam)))
            frame->BeforeMinMax(static_cast<int>(LOWORD(lParam)));
    }
    if (code == HCBT_DESTROYWND) {
        Examined().erase(reinterpret_cast<HWND>(wParam));
        ForgetExcludedWindow(reinterpret_cast<HWND>(wParam));
        FollowCommonControls(reinterpret_cast<HWND>(wParam), false);
    }
    if (code == HCBT_CREATEWND) {
        ++windowsMade;
        FollowCommonControls(reinterpret_cast<HWND>(wParam), true);
    }
    if (code == HCBT_CREATEWND && CurrentTheme() != nullptr) {
        auto hwnd = reinterpret_cast<HWND>(wParam);
        const auto* create = reinterpret_cast<const CBT_CREATEWNDW*>(lParam)->lpcs;
        wchar_t className[16] = L"";
        GetClassNameW(hwnd, className, 16);
        if (lstrcmpW(className, L"#32768") == 0) {
            // A menu is tracked for the active window; an excluded one keeps the system's.
            if (!IsExcluded(GetActiveWindow()))
                SkinPopupMenu(hwnd);
        } else if (IsExcludedAtCreation(hwnd, *create)) {
            // left alone, with everything made inside it
        } else if (WantsFrameSkin(static_cast<DWORD>(create->style), create->dwExStyle))
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
    if (code == MSGF_SCROLLBAR && CurrentTheme() != nullptr) {
        const auto* msg = reinterpret_cast<const MSG*>(lParam);
        const bool drawsBar = msg->message == WM_MOUSEMOVE || msg->message == WM_LBUTTONUP ||
                              msg->message == 0x0118;  // WM_SYSTIMER: the held arrow or track repeats
        if (drawsBar && ScrollBarHeld(msg->hwnd))
            PostMessageW(msg->hwnd, HeldScrollBarMessage(), 0, 0);
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

namespace {

BOOL CALLBACK SkinExistingControl(HWND hwnd, LPARAM)
{
    SkinControl(hwnd, false);
    return TRUE;
}

}  // namespace

BOOL CALLBACK SkinExistingWindow(HWND hwnd, LPARAM)
{
    // The children of a window the engine already knew were made under its hook, which took
    // each of them as it was made; only a window new to the engine has its children looked at.
    if (IsExcluded(hwnd))
        return TRUE;
    const bool known = Frames().count(hwnd) != 0 || Examined().count(hwnd) != 0;
    if (WantsFrameSkin(hwnd))
        SkinFrameWindow(hwnd);
    else
        SkinControl(hwnd, false);  // tooltips and dropped lists are windows of their own
    if (!known)
        EnumChildWindows(hwnd, SkinExistingControl, 0);
    return TRUE;
}

namespace {

// A program may create or destroy windows while a frame changes: each is looked up again.
template <class Work>
void ForEachFrame(Work work)
{
    std::vector<HWND> frames;
    for (const auto& [hwnd, window] : Frames())
        frames.push_back(hwnd);
    for (HWND hwnd : frames)
        if (FrameWindow* window = FindFrame(hwnd))
            work(*window);
}

}  // namespace

void RefreshSkinnedWindows()
{
    ForEachFrame([](FrameWindow& window) { window.Refresh(); });
    RefreshButtons();
    RefreshFields();
    RefreshCommonControls();
    RefreshScrollBarControls();
    RefreshScrolledWindows();
    RefreshChildDialogs();
    RefreshSystemDrawnControls();
    RefreshEtchedLines();
    RefreshPopupBackgrounds(CurrentTheme()->PopupBrush());
    for (HWND popup : Popups())
        RedrawWindow(popup, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
}

void FollowCompositorEverywhere()
{
    if (OnSkinnedThread())
        ForEachFrame([](FrameWindow& window) { window.CompositorLoaded(); });
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
    UnskinChildDialogs();
    UnskinSystemDrawnControls();
    UnskinEtchedLines();
    Examined().clear();
    // Out of the registry first: while a window is given back, its messages only pass on.
    auto frames = std::move(Frames());
    Frames().clear();
    for (auto& [hwnd, window] : frames) {
        ForgetScrollBars(hwnd);
        window->Unskin();
        Retire(std::move(window));
    }
    // Windows tells each window's DPI again once the engine no longer hears of its changes.
    ForgetWindowDpi(nullptr);
}

namespace {

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM windows)
{
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(hwnd);
    return TRUE;
}

// Every window of the skinned thread, each top-level window before the windows inside it.
std::vector<HWND> ThreadWindowsNow()
{
    std::vector<HWND> topLevel, all;
    EnumThreadWindows(SkinnedThread(), CollectWindow, reinterpret_cast<LPARAM>(&topLevel));
    for (HWND hwnd : topLevel) {
        all.push_back(hwnd);
        EnumChildWindows(hwnd, CollectWindow, reinterpret_cast<LPARAM>(&all));
    }
    return all;
}

// Gives one window back everything the engine changed of it, as detaching does.
void GiveBackWindow(HWND hwnd)
{
    Examined().erase(hwnd);
    if (Popups().erase(hwnd) != 0)
        RemoveSubclass(hwnd);
    UnskinButtons(hwnd);
    UnskinFields(hwnd);
    UnskinCommonControls(hwnd);
    UnskinScrollBarControls(hwnd);
    UnskinScrolledWindows(hwnd);
    UnskinChildDialogs(hwnd);
    UnskinSystemDrawnControls(hwnd);
    UnskinEtchedLines(hwnd);
    const auto found = Frames().find(hwnd);
    if (found == Frames().end())
        return;
    std::unique_ptr<FrameWindow> frame = std::move(found->second);
    Frames().erase(found);
    ForgetScrollBars(hwnd);
    if ((StyleOf(hwnd) & WS_CHILD) == 0) {
        RestoreMenuTree(GetMenu(hwnd));
        RestoreMenuTree(GetSystemMenu(hwnd, FALSE));
    }
    frame->Unskin();
    Retire(std::move(frame));
}

// A window already there that the engine takes up now, as a frame or by the part for its class,
// shown at once in the theme.
void SkinAfresh(HWND hwnd)
{
    if (WantsFrameSkin(hwnd)) {
        SkinFrameWindow(hwnd);
        if (FrameWindow* frame = FindFrame(hwnd))
            frame->Refresh();
    } else {
        SkinControl(hwnd, false);
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    }
}

}  // namespace

std::vector<HWND> TopLevelWindowsOf(DWORD thread)
{
    std::vector<HWND> windows;
    if (thread != 0)
        EnumThreadWindows(thread, CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

void FollowExclusions()
{
    const std::vector<HWND> windows = ThreadWindowsNow();
    // The windows inside first, so a frame given back repaints them in the system's look.
    for (auto w = windows.rbegin(); w != windows.rend(); ++w)
        if (IsWindow(*w) && IsExcluded(*w))
            GiveBackWindow(*w);
    for (HWND hwnd : windows) {
        if (!IsWindow(hwnd) || IsExcluded(hwnd) || Frames().count(hwnd) != 0 || Examined().count(hwnd) != 0)
            continue;
        SkinAfresh(hwnd);
    }
}

UINT StyleFollowMessage()
{
    static const UINT message = RegisterWindowMessageW(L"Velum.FollowStyle");
    return message;
}

void NoteStyleChange(HWND hwnd, WPARAM which, const STYLESTRUCT* change)
{
    if (which != static_cast<WPARAM>(GWL_STYLE) || change == nullptr)
        return;
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
    if (WantsFrameSkin(change->styleOld, exStyle) != WantsFrameSkin(change->styleNew, exStyle))
        PostMessageW(hwnd, StyleFollowMessage(), 0, 0);
}

void FollowStyleChange(HWND hwnd)
{
    if (CurrentTheme() == nullptr || !IsWindow(hwnd) || IsExcluded(hwnd))
        return;
    const bool wantsFrame = WantsFrameSkin(hwnd);
    if ((Frames().count(hwnd) != 0) == wantsFrame)
        return;
    GiveBackWindow(hwnd);
    SkinAfresh(hwnd);
}

FrameWindow* FindFrame(HWND hwnd)
{
    const auto found = Frames().find(hwnd);
    return found != Frames().end() ? found->second.get() : nullptr;
}

void ForgetFrame(HWND hwnd)
{
    const auto found = Frames().find(hwnd);
    if (found == Frames().end())
        return;
    Retire(std::move(found->second));
    Frames().erase(found);
    ForgetWindowDpi(hwnd);
}

bool IsSkinnedPopup(HWND hwnd)
{
    return Popups().count(hwnd) != 0;
}

void ForgetPopup(HWND hwnd)
{
    Popups().erase(hwnd);
}

bool TakeMenuBarPopupPosition(POINT& at, bool& fromRight)
{
    for (auto& [hwnd, window] : Frames())
        if (window->TakePopupPosition(at, fromRight))
            return true;
    return false;
}

}  // namespace velum
