// How a skinned window's size and shape follow the theme: the first skinning at creation, the
// client size kept, the rounded region and its removal around maximise and minimise.
#include "FrameWindow.h"

#include <windowsx.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "ClientArea.h"
#include "ControlClasses.h"
#include "Engine.h"
#include "MdiBarItems.h"
#include "PopupMenu.h"
#include "WindowRegistry.h"
#include "ScrollBarSkin.h"

namespace velum {

bool FrameWindow::ShownAndResizable() const
{
    const LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
    return (style & WS_VISIBLE) && (style & WS_THICKFRAME);
}

// A dialog made while the engine is attached was sized by the system from its template's
// client size, for the system's frame: it gets that client size back. Any other window keeps
// the outer size its program gave it, which the program either worked out through the frame
// arithmetic the engine answers (FrameArithmetic.h) or saved from an earlier session.
LRESULT FrameWindow::OnCreate(UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    RECT frame{0, 0, 0, 0};
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE));
    if (create != nullptr && firstRefresh_ && IsDialogWindow(hwnd_) &&
        AdjustWindowRectEx(&frame, style, menuBar_.Present(), exStyle)) {
        // The system's frame also takes the scroll bars' room from the client area.
        RECT client{0, 0, create->cx - (frame.right - frame.left), create->cy - (frame.bottom - frame.top)};
        ReserveScrollBars(hwnd_, client);
        if (client.right > 0 && client.bottom > 0) {
            KeepClientSize(client);
            originalClient_ = client;
            sizedByEngine_ = WindowSize();
        }
    }
    firstRefresh_ = false;
    return CallPrevious(hwnd_, message, wParam, lParam);
}

void FrameWindow::BeforeMinMax(int command)
{
    // A maximised or minimised window has no rounded corners. Removing them once Windows has
    // placed the window would change the window again behind that placement, which Wine's X11
    // driver then takes for a restore: they go first.
    const bool squares = command == SW_MAXIMIZE || command == SW_MINIMIZE || command == SW_SHOWMINIMIZED ||
                         command == SW_SHOWMINNOACTIVE || command == SW_FORCEMINIMIZE;
    if (squares && hasRegion_ && !settingRegion_) {
        settingRegion_ = true;
        SetWindowRgn(hwnd_, nullptr, FALSE);
        hasRegion_ = false;
        settingRegion_ = false;
    }
}

SIZE FrameWindow::WindowSize() const
{
    RECT w{};
    GetWindowRect(hwnd_, &w);
    return {w.right - w.left, w.bottom - w.top};
}

void FrameWindow::KeepClientSize(const RECT& client)
{
    if (IsZoomed(hwnd_) || IsIconic(hwnd_))
        return;
    RECT now{};
    GetClientRect(hwnd_, &now);
    if (client.right == now.right && client.bottom == now.bottom)
        return;
    RECT window{};
    GetWindowRect(hwnd_, &window);
    SetWindowPos(hwnd_, nullptr, 0, 0, window.right - window.left + (client.right - now.right),
                 window.bottom - window.top + (client.bottom - now.bottom), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FrameWindow::UpdateRegion(bool redraw)
{
    // SetWindowRgn moves the window through SetWindowPos, which lands here again.
    if (settingRegion_)
        return;
    settingRegion_ = true;
    UpdateRegionNow(redraw);
    settingRegion_ = false;
}

namespace {

// The window's rectangle less the transparent pixels of the frame image's corners, which are
// drawn at their size where the window is large enough for them.
UniqueRegion ShapedRegion(SIZE size, const CornerCutouts& c)
{
    if (size.cx < c.size.left + c.size.right || size.cy < c.size.top + c.size.bottom)
        return UniqueRegion(CreateRectRgn(0, 0, size.cx, size.cy));
    // The region is made in one call from its rectangles, row by row through the corners: cut
    // out one run at a time, a shaped window's switch and resize spent more on the region than
    // on painting.
    std::vector<RECT> rects;
    const auto cornerRow = [&](int y, int inCorner, const std::vector<ShapeRun>& left,
                               const std::vector<ShapeRun>& right) {
        int from = 0;
        const auto cut = [&](int x0, int x1) {
            if (x0 > from)
                rects.push_back({from, y, x0, y + 1});
            from = std::max(from, x1);
        };
        for (const ShapeRun& run : left)
            if (run.y == inCorner)
                cut(run.x0, run.x1);
        for (const ShapeRun& run : right)
            if (run.y == inCorner)
                cut(size.cx - c.size.right + run.x0, size.cx - c.size.right + run.x1);
        if (from < size.cx)
            rects.push_back({from, y, size.cx, y + 1});
    };
    for (int y = 0; y < c.size.top; ++y)
        cornerRow(y, y, c.topLeft, c.topRight);
    if (size.cy - c.size.bottom > c.size.top)
        rects.push_back({0, c.size.top, size.cx, size.cy - c.size.bottom});
    for (int y = 0; y < c.size.bottom; ++y)
        cornerRow(size.cy - c.size.bottom + y, y, c.bottomLeft, c.bottomRight);
    std::vector<std::byte> data(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
    auto* header = reinterpret_cast<RGNDATAHEADER*>(data.data());
    *header = {sizeof(RGNDATAHEADER),
               RDH_RECTANGLES,
               static_cast<DWORD>(rects.size()),
               static_cast<DWORD>(rects.size() * sizeof(RECT)),
               {0, 0, size.cx, size.cy}};
    if (!rects.empty())
        std::memcpy(data.data() + sizeof(RGNDATAHEADER), rects.data(), rects.size() * sizeof(RECT));
    return UniqueRegion(
        ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), reinterpret_cast<const RGNDATA*>(data.data())));
}

}  // namespace

void FrameWindow::UpdateRegionNow(bool redraw)
{
    const int radius = Scale(ThemeInUse().metrics.cornerRadius, WindowDpi(hwnd_));
    // A frame image that shapes the window stands in for the corner radius.
    const ThemeArtwork* art = CurrentTheme()->Artwork();
    const ArtImage* shape = art != nullptr && art->frame && art->frame->Named().shape ? &*art->frame : nullptr;
    const SIZE size = WindowSize();
    if ((radius <= 0 && shape == nullptr) || !compositor_.RegionShapes() || IsZoomed(hwnd_) || IsIconic(hwnd_) ||
        ownCaption_) {
        if (hasRegion_) {
            SetWindowRgn(hwnd_, nullptr, TRUE);
            hasRegion_ = false;
        }
        return;
    }
    const std::optional<CornerCutouts> cutouts =
        shape != nullptr ? std::optional<CornerCutouts>(shape->Cutouts(WindowDpi(hwnd_))) : std::nullopt;
    if (hasRegion_ && size.cx == regionSize_.cx && size.cy == regionSize_.cy && radius == regionRadius_ &&
        cutouts == regionCutouts_)
        return;
    // The window owns the region once SetWindowRgn succeeds.
    UniqueRegion region =
        shape != nullptr ? ShapedRegion(size, *cutouts)
                         : UniqueRegion(CreateRoundRectRgn(0, 0, size.cx + 1, size.cy + 1, 2 * radius, 2 * radius));
    // After a resize the redraw paints what the old region clipped away.
    if (region && SetWindowRgn(hwnd_, region.get(), redraw)) {
        region.release();
        hasRegion_ = true;
        regionSize_ = size;
        regionRadius_ = radius;
        regionCutouts_ = cutouts;
    }
}

// The system places a maximised window so that its own frame hangs over the monitor's work
// area (4 px under Wine, 8 at 96 DPI on Windows 10), whatever the frame drawn: with a narrower
// frame the client area went off the screen, with a wider one the frame showed. The overhang is
// read from the placement and the monitor, not from a metric: it becomes the theme's frame, so
// the caption, its buttons and the client area lie on the work area.
LRESULT FrameWindow::OnWindowPosChanging(UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CallPrevious(hwnd_, message, wParam, lParam);
    auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
    if (pos == nullptr || (pos->flags & SWP_NOSIZE) || mdiChild_ || ownCaption_ || !IsZoomed(hwnd_))
        return result;
    // The monitor the window is maximised on, which a placement onto another names.
    const RECT placed{pos->x, pos->y, pos->x + pos->cx, pos->y + pos->cy};
    const HMONITOR on = (pos->flags & SWP_NOMOVE) == 0 ? MonitorFromRect(&placed, MONITOR_DEFAULTTONEAREST)
                                                       : MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(on, &monitor))
        return result;
    const RECT& work = monitor.rcWork;
    const bool coversWork = (pos->flags & SWP_NOMOVE) == 0 && placed.left <= work.left && placed.top <= work.top &&
                            placed.right >= work.right && placed.bottom >= work.bottom;
    if (!coversWork)
        return result;  // the program placed its maximised window itself
    autoHideEdges_ = AutoHideTaskbarEdges(on);
    maximisedAt_ = MaximisedOver(work);
    pos->x = maximisedAt_.left;
    pos->y = maximisedAt_.top;
    pos->cx = maximisedAt_.right - maximisedAt_.left;
    pos->cy = maximisedAt_.bottom - maximisedAt_.top;
    return result;
}

RECT FrameWindow::MaximisedOver(const RECT& work) const
{
    const int frame = std::max(1, Scale(ThemeInUse().metrics.frameWidth, WindowDpi(hwnd_)));
    return {work.left - frame, work.top - frame, work.right + frame, work.bottom + frame};
}

LRESULT FrameWindow::OnWindowPosChanged(UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CallPrevious(hwnd_, message, wParam, lParam);
    const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
    // A frame change alone comes from a theme switch, which repaints the whole window anyway.
    if (!(pos->flags & SWP_NOSIZE)) {
        // A region set while Windows is still placing the window moves the window through a
        // SetWindowPos of its own, behind that placement: the new region waits until it is done.
        if (!regionPending_ && PostMessageW(hwnd_, RegionMessage(), 0, 0))
            regionPending_ = true;
        InvalidateFrame();
    }
    return result;
}

namespace {

BOOL CALLBACK LayOutSkinnedChildFrame(HWND child, LPARAM)
{
    if (FindFrame(child) != nullptr)
        SetWindowPos(child, nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}

}  // namespace

// The system tells a per-monitor-aware window of its new DPI once the window is on a monitor
// of another, with the rectangle it suggests there. The frame is laid out at that DPI from
// the first frame calculation the program's handling causes: the rectangle the program gives
// the window (the suggested one, as Microsoft asks) is taken as it is, the client area being
// what the theme's frame at the new DPI leaves. Windows documents no default resizing here and
// Wine's DefWindowProc does none: a program that passes the message on keeps its rectangle,
// as it would unskinned.
LRESULT FrameWindow::OnDpiChanged(UINT message, WPARAM wParam, LPARAM lParam)
{
    const int dpi = LOWORD(wParam);  // the same along both axes for a desktop program
    if (dpi <= 0 || mdiChild_ || !FollowsDpiChanges(hwnd_))
        return CallPrevious(hwnd_, message, wParam, lParam);
    const HWND hwnd = hwnd_;
    const bool changed = dpi != WindowDpi(hwnd);
    NoteWindowDpi(hwnd, dpi);
    const unsigned calculated = frameCalculations_;
    const LRESULT result = CallPrevious(hwnd, message, wParam, lParam);
    // The program may have destroyed the window, or detached the engine, meanwhile.
    if (!changed || !IsWindow(hwnd) || FindFrame(hwnd) != this)
        return result;
    // Where the program kept the window's size, nothing has laid the frame out anew yet.
    if (frameCalculations_ == calculated)
        SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    // Skinned frames inside it (MDI children) take its DPI too.
    EnumChildWindows(hwnd_, LayOutSkinnedChildFrame, 0);
    UpdateRegion(false);
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    return result;
}

// Before a per-monitor v2 window moves to a monitor of another DPI, the system asks it for its
// size there, and scales the whole window linearly when the program does not say. The engine's
// frame does not scale linearly (each of its parts is rounded at the DPI, and the system's
// scroll bars are its metric at the DPI): the client area is scaled, and the theme's frame and
// the scroll bars at the new DPI put around it. A program that answers itself keeps its answer.
LRESULT FrameWindow::OnGetDpiScaledSize(UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CallPrevious(hwnd_, message, wParam, lParam);
    auto* size = reinterpret_cast<SIZE*>(lParam);
    const int from = WindowDpi(hwnd_);
    const int to = static_cast<int>(wParam);
    if (result != FALSE || size == nullptr || to <= 0 || mdiChild_ || SystemKeepsFrame() || IsIconic(hwnd_) ||
        IsZoomed(hwnd_) || !FollowsDpiChanges(hwnd_))
        return result;
    const FrameStyle style = CurrentStyle();
    const Rect now = LayoutFor(style, size->cx, size->cy, from).client;
    RECT client{now.left, now.top, now.right, now.bottom};
    ReserveScrollBars(hwnd_, client, from);
    // The client area at the new DPI, with the room its scroll bars take there.
    RECT wanted{0, 0, MulDiv(client.right - client.left, to, from), MulDiv(client.bottom - client.top, to, from)};
    const SIZE scaled{wanted.right, wanted.bottom};
    wanted.right += ScrollBarRoom(hwnd_, to).cx;
    wanted.bottom += ScrollBarRoom(hwnd_, to).cy;
    // The frame around it, laid out twice: a menu bar may wrap onto another row at the new width.
    SIZE window{MulDiv(size->cx, to, from), MulDiv(size->cy, to, from)};
    for (int pass = 0; pass < 2; ++pass) {
        const Rect laid = LayoutFor(style, window.cx, window.cy, to).client;
        window.cx += wanted.right - laid.Width();
        window.cy += wanted.bottom - laid.Height();
    }
    if (scaled.cx <= 0 || scaled.cy <= 0 || window.cx <= 0 || window.cy <= 0)
        return result;
    *size = window;
    return TRUE;
}

UINT FrameWindow::RegionMessage()
{
    static const UINT message = RegisterWindowMessageW(L"Velum.UpdateRegion");
    return message;
}

LRESULT FrameWindow::OnRegionMessage()
{
    regionPending_ = false;
    UpdateRegion(true);
    return 0;
}

}  // namespace velum
