// Wine tracks menus against its own layout of the frame, made at the system's caption and frame
// sizes. These keep it in step with the frame the engine draws: its bar laid out where the engine
// draws it, mouse points mapped onto it, and the system menu opened from the drawn icon and
// caption.
#include "FrameWindow.h"

#include <windowsx.h>

#include <algorithm>

#include "ClientArea.h"
#include "Engine.h"
#include "MdiBarItems.h"
#include "PopupMenu.h"
#include "WindowRegistry.h"

namespace velum {

// Wine keeps a layout of the menu bar of its own, made by the default WM_NCCALCSIZE at the
// system's frame and caption sizes, and its menu tracking hit-tests that layout. Laying it out
// again where the engine draws the bar keeps GetMenuItemRect and Wine's tracking in step with
// what the user sees.
void FrameWindow::LayOutSystemBar(int windowWidth, const FrameStyle& style)
{
    using DrawMenuBarTempFn = DWORD(WINAPI*)(HWND, HDC, RECT*, HMENU, HFONT);
    static const auto drawMenuBarTemp = reinterpret_cast<DrawMenuBarTempFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "DrawMenuBarTemp")));
    HMENU bar = GetMenu(hwnd_);
    if (drawMenuBarTemp == nullptr || bar == nullptr || GetMenuItemCount(bar) <= 0)
        return;
    static UniqueDc scratch(CreateCompatibleDC(nullptr));
    const int dpi = WindowDpi(hwnd_);
    // The system lays a right-to-left window's bar out left to right and mirrors it itself.
    FrameStyle leftToRight = style;
    leftToRight.rightToLeft = false;
    const FrameLayout l = LayoutFor(leftToRight, windowWidth, 1 << 14);
    for (int pass = 0; pass < 2; ++pass) {
        // Any change of an item makes Wine forget the bar's size, so the call lays it out.
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_DATA;
        if (!GetMenuItemInfoW(bar, 0, TRUE, &info) || !SetMenuItemInfoW(bar, 0, TRUE, &info))
            return;
        // Wine starts the items one pixel below the rectangle's top and at its left, where the
        // drawn bar starts its rows: the rectangles programs and assistive tools ask for are then
        // the drawn items'.
        const int rowLeft = l.barItems.empty() ? l.menuBar.left : l.barItems.front().left;
        RECT r{rowLeft, l.menuBar.top - 1, l.menuBar.right, l.menuBar.bottom - 1};
        layingOutSystemBar_ = true;
        drawMenuBarTemp(hwnd_, scratch.get(), &r, bar, CurrentTheme()->MenuFont(dpi));
        layingOutSystemBar_ = false;
        // Windows and Wine widen owner-drawn bar items by a few average characters: learn by
        // how much from the first item, and ask for that much less.
        RECT first{};
        RECT window{};
        if (!GetMenuItemRect(hwnd_, bar, 0, &first) || !GetWindowRect(hwnd_, &window))
            return;
        const int asked = MenuBar::ItemWidth(bar, 0, dpi) - std::max(0, systemBarExtra_);
        const int extra = (first.right - first.left) - asked;
        if (extra == std::max(0, systemBarExtra_) || first.right - window.left >= l.menuBar.right)
            return;
        systemBarExtra_ = extra;
    }
}

bool FrameWindow::MapMenuPoint(POINT& screen)
{
    // A point on one of the engine's bar items goes to the middle of Wine's rectangle of that
    // item, and a point on the engine's icon to Wine's; a point Wine would take for its bar but
    // that is not on the engine's goes off the window, so both agree on what is under the mouse.
    if (WindowFromPoint(screen) != hwnd_)
        return false;
    const FrameLayout l = Layout();
    RECT w{};
    GetWindowRect(hwnd_, &w);
    const Point p{screen.x - w.left, screen.y - w.top};
    if (l.icon.Contains(p)) {
        screen = SystemIconPoint();
        return true;
    }
    if (!menuBar_.Present())
        return false;
    HMENU bar = GetMenu(hwnd_);
    const int item = BarItemAt(l, p);
    if (item >= 0) {
        RECT r{};
        if (!TrackedItemRect(hwnd_, bar, static_cast<UINT>(item), r))
            return false;
        screen = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        return true;
    }
    // Wine takes what lies between its smaller caption and the client area for its bar.
    if (l.caption.Contains(p)) {
        screen = {w.left - 1, w.top - 1};
        return true;
    }
    for (int i = 0, n = GetMenuItemCount(bar); i < n; ++i) {
        RECT r{};
        if (TrackedItemRect(hwnd_, bar, static_cast<UINT>(i), r) && PtInRect(&r, screen)) {
            screen = {w.left - 1, w.top - 1};
            return true;
        }
    }
    return false;
}

bool FrameWindow::DrawnBarItemRect(HMENU menu, UINT item, RECT& r) const
{
    if (!menuBar_.Present() || menu != GetMenu(hwnd_) || (GetWindowLongPtrW(hwnd_, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) == 0)
        return false;
    const FrameLayout l = Layout();
    RECT w{};
    if (item >= l.barItems.size() || !GetWindowRect(hwnd_, &w))
        return false;
    const Rect& drawn = l.barItems[item];
    r = {w.left + drawn.left, w.top + drawn.top, w.left + drawn.right, w.top + drawn.bottom};
    return true;
}

POINT FrameWindow::SystemIconPoint() const
{
    // Wine hit-tests its own caption: its icon is a square of its caption's height inside its
    // own frame.
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)) & ~WS_CAPTION, FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)));
    RECT w{};
    GetWindowRect(hwnd_, &w);
    // A right-to-left window's icon is at its caption's right end.
    if (GetWindowLongPtrW(hwnd_, GWL_EXSTYLE) & WS_EX_LAYOUTRTL)
        return {w.right + frame.left - 4, w.top - frame.top + 3};
    return {w.left - frame.left + 3, w.top - frame.top + 3};
}

// Wine follows a right click on the caption until the release and opens the system menu if
// its own hit test, made for its smaller caption, still finds the caption there. The engine
// asks its own hit test instead, and opens the menu where Wine's default did not.
LRESULT FrameWindow::OnNcRButtonDown(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (wParam != HTCAPTION && wParam != HTSYSMENU)
        return CallPrevious(hwnd_, message, wParam, lParam);
    const HWND hwnd = hwnd_;
    rightReleased_ = false;
    contextMenuSent_ = false;
    const LRESULT result = CallPrevious(hwnd, message, wParam, lParam);
    if (FindFrame(hwnd) != this || contextMenuSent_ || !rightReleased_)
        return result;
    const LPARAM at = MAKELPARAM(rightRelease_.x, rightRelease_.y);
    const LRESULT hit = OnNcHitTest(at);
    if (hit == HTCAPTION || hit == HTSYSMENU)
        SendMessageW(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), at);
    return result;
}

void FrameWindow::RightButtonReleased(POINT screen)
{
    rightReleased_ = true;
    rightRelease_ = screen;
}

LRESULT FrameWindow::OnContextMenu(UINT message, WPARAM wParam, LPARAM lParam)
{
    contextMenuSent_ = true;
    const LRESULT hit = reinterpret_cast<HWND>(wParam) == hwnd_ && lParam != -1 ? OnNcHitTest(lParam) : HTNOWHERE;
    if (hit != HTCAPTION && hit != HTSYSMENU)
        return CallPrevious(hwnd_, message, wParam, lParam);
    const HWND hwnd = hwnd_;
    menuLoopSeen_ = false;
    const LRESULT result = CallPrevious(hwnd, message, wParam, lParam);
    if (FindFrame(hwnd) != this || menuLoopSeen_ || !(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_SYSMENU))
        return result;
    // What the default does on its caption; the system menu's commands come as WM_SYSCOMMAND.
    if (HMENU system = GetSystemMenu(hwnd, FALSE))
        TrackPopupMenu(system, TPM_LEFTBUTTON | TPM_RIGHTBUTTON, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), 0, hwnd,
                       nullptr);
    return result;
}

}  // namespace velum
