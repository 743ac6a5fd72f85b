// A skinned frame across theme switches and detach: the new layout, menus and region on a
// switch, and the system's frame given back, at the client size the rule keeps, on detach.
#include "FrameWindow.h"

#include "ClientArea.h"
#include "Engine.h"
#include "PopupMenu.h"
#include "WindowRegistry.h"

namespace velum {

void FrameWindow::Refresh()
{
    // A window the user cannot resize, or has not seen yet, keeps its client size on every
    // switch, so nothing in it is clipped; a shown, resizable window keeps its outer size, so it
    // does not jump under the user, and a size its program saved comes back the same next time.
    const bool keepClientSize = !ShownAndResizable();
    const bool first = firstRefresh_;
    firstRefresh_ = false;
    FollowCompositor();
    RECT client{};
    GetClientRect(hwnd_, &client);
    if (HMENU bar = GetMenu(hwnd_))
        ConvertMenu(bar, true);
    // New sizes or fonts need a new layout, Wine's menu bar included; colours alone do not.
    const Theme& t = ThemeInUse();
    if (first || keepClientSize || !(t.metrics == laidOut_.metrics) || !(t.captionFont == laidOut_.captionFont) ||
        !(t.menuFont == laidOut_.menuFont)) {
        laidOut_ = {t.metrics, t.captionFont, t.menuFont};
        // Wine's SetWindowRgn changes the frame as SWP_FRAMECHANGED does, so when the corners
        // change too, the new region goes first and its frame change lays out the new frame; a
        // second one would do all that work again. Windows documents no WM_NCCALCSIZE from
        // SetWindowRgn: without one, the frame is changed here. A window whose client size is
        // kept is resized next, and gets its region at the new size.
        const unsigned calculated = frameCalculations_;
        if (!keepClientSize)
            UpdateRegion(false);
        if (frameCalculations_ == calculated)
            SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                         SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
        eraseUncovered_ = HasNoClassBackground(hwnd_);
    }
    if (keepClientSize) {
        KeepClientSize(client);
        if (first)
            originalClient_ = client;
        sizedByEngine_ = WindowSize();
    }
    UpdateRegion(false);  // the whole window is repainted next
    // Painted when the program next reads its messages, once, rather than here and again by
    // whatever the program repaints after the switch.
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void FrameWindow::Unskin()
{
    // Unless the user has resized the window since the engine did, a shown, resizable window
    // gets back the client size it had before the engine, otherwise it keeps its outer size; any
    // other window keeps its client size.
    RECT client{};
    GetClientRect(hwnd_, &client);
    const SIZE size = WindowSize();
    const bool untouched = size.cx == sizedByEngine_.cx && size.cy == sizedByEngine_.cy;
    if (untouched && ShownAndResizable())
        client = originalClient_;
    const bool keepClientSize = untouched || !ShownAndResizable();
    RemoveSubclass(hwnd_);
    // The system keeps its own note of whether the frame is drawn active, which the engine's
    // WM_NCACTIVATE answers left as it was: it is told the state the frame shows now.
    DefWindowProcW(hwnd_, WM_NCACTIVATE, active_ ? TRUE : FALSE, 0);
    compositor_.GiveBack(hwnd_);
    SetWindowRgn(hwnd_, nullptr, TRUE);
    SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (keepClientSize)
        KeepClientSize(client);
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

}  // namespace velum
