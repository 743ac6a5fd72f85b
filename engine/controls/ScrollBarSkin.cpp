#include "ScrollBarSkin.h"

#include <algorithm>
#include <array>
#include <map>
#include <set>

#include "ControlClasses.h"
#include "Engine.h"
#include "FrameLayout.h"
#include "ScrollBarControl.h"
#include "WindowRegistry.h"

namespace velum {

namespace {

constexpr int kMinimumTrack = 4;  // what the system leaves between two arrows that do not fit

bool HasVertical(HWND hwnd)
{
    return (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VSCROLL) != 0;
}

bool HasHorizontal(HWND hwnd)
{
    return (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_HSCROLL) != 0;
}

bool OnTheLeft(HWND hwnd)
{
    return (GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR) != 0;
}

// The client rectangle in screen coordinates.
RECT ScreenClient(HWND hwnd)
{
    RECT r{};
    GetClientRect(hwnd, &r);
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

struct Bars {
    RECT vertical{}, horizontal{}, corner{};  // screen coordinates; empty when absent
};

Bars BarsOf(HWND hwnd)
{
    Bars b;
    const RECT c = ScreenClient(hwnd);
    const int dpi = WindowDpi(hwnd);
    const int cx = MetricForDpi(SM_CXVSCROLL, dpi);
    const int cy = MetricForDpi(SM_CYHSCROLL, dpi);
    const bool vertical = HasVertical(hwnd), horizontal = HasHorizontal(hwnd);
    const bool left = OnTheLeft(hwnd);
    if (vertical)
        b.vertical = left ? RECT{c.left - cx, c.top, c.left, c.bottom} : RECT{c.right, c.top, c.right + cx, c.bottom};
    if (horizontal)
        b.horizontal = {c.left, c.bottom, c.right, c.bottom + cy};
    if (vertical && horizontal)
        b.corner = left ? RECT{c.left - cx, c.bottom, c.left, c.bottom + cy}
                        : RECT{c.right, c.bottom, c.right + cx, c.bottom + cy};
    return b;
}

// The arrows' length along a bar, as the system works it out: its metric, or less on a bar too
// short for two whole arrows.
int ArrowLength(int length, int metric)
{
    if (length <= 2 * metric + kMinimumTrack)
        return length > kMinimumTrack ? (length - kMinimumTrack) / 2 : 0;
    return metric;
}

// A bar as the system has it (GetScrollBarInfo), at the window's DPI. On Windows the system
// lays the bar out at the window's DPI, and its answer stands. Where a DPI change was only sent
// to the window (Wine), the system's bar is still at the system's DPI: a window's own bar is
// then where the engine's frame has it, its arrows the metric at the window's DPI, and the
// thumb the same share of the track.
bool BarInfo(HWND hwnd, LONG object, bool vertical, SCROLLBARINFO& info)
{
    info = {};
    info.cbSize = sizeof info;
    if (!GetScrollBarInfo(hwnd, object, &info))
        return false;
    const int dpi = WindowDpi(hwnd);
    if (dpi == SystemWindowDpi(hwnd))
        return true;
    if (object == OBJID_VSCROLL || object == OBJID_HSCROLL) {
        const Bars b = BarsOf(hwnd);
        info.rcScrollBar = object == OBJID_VSCROLL ? b.vertical : b.horizontal;
    }
    const RECT& r = info.rcScrollBar;
    const int length = vertical ? r.bottom - r.top : r.right - r.left;
    const int arrow = ArrowLength(length, MetricForDpi(vertical ? SM_CYVSCROLL : SM_CXHSCROLL, dpi));
    const int systemArrow = info.dxyLineButton;
    const int travel = length - 2 * systemArrow, newTravel = length - 2 * arrow;
    if (travel > 0 && newTravel > 0 && info.xyThumbBottom > info.xyThumbTop) {
        info.xyThumbTop = arrow + MulDiv(info.xyThumbTop - systemArrow, newTravel, travel);
        info.xyThumbBottom = arrow + MulDiv(info.xyThumbBottom - systemArrow, newTravel, travel);
    }
    info.dxyLineButton = arrow;
    return true;
}

void DrawArrow(HDC dc, const RECT& r, Towards towards, Color c, int dpi)
{
    DrawArrow(dc, {(r.left + r.right) / 2, (r.top + r.bottom) / 2}, towards, std::max(2, Scale(4, dpi)), c);
}

enum class BarPart { None, LowArrow, HighArrow, Thumb, Track };

// The part of a bar under the pointer, and whether a button holds it down, per window.
struct Pointer {
    LONG object = 0;  // OBJID_VSCROLL, OBJID_HSCROLL or OBJID_CLIENT; 0 for none
    BarPart part = BarPart::None;
    bool pressed = false;
};

std::map<HWND, Pointer>& Pointers()
{
    static std::map<HWND, Pointer> pointers;
    return pointers;
}

BarPart PartAt(HWND hwnd, LONG object, POINT screen)
{
    const bool vertical =
        object == OBJID_VSCROLL || (object == OBJID_CLIENT && (GetWindowLongPtrW(hwnd, GWL_STYLE) & SBS_VERT) != 0);
    SCROLLBARINFO info{};
    if (object == 0 || !BarInfo(hwnd, object, vertical, info) || !PtInRect(&info.rcScrollBar, screen))
        return BarPart::None;
    const RECT& r = info.rcScrollBar;
    const int along = vertical ? screen.y - r.top : screen.x - r.left;
    const int length = vertical ? r.bottom - r.top : r.right - r.left;
    const int arrow = ArrowLength(length, MetricForDpi(vertical ? SM_CYVSCROLL : SM_CXHSCROLL, WindowDpi(hwnd)));
    if (along < arrow)
        return BarPart::LowArrow;
    if (along >= length - arrow)
        return BarPart::HighArrow;
    if (along >= info.xyThumbTop && along < info.xyThumbBottom)
        return BarPart::Thumb;
    return BarPart::Track;
}

// How a part looks: held down, under the pointer, or at rest.
enum class Touch { Rest, Hot, Pressed };

Touch TouchOf(HWND hwnd, LONG object, BarPart part)
{
    const auto found = Pointers().find(hwnd);
    if (found == Pointers().end() || found->second.object != object || found->second.part != part)
        return Touch::Rest;
    return found->second.pressed ? Touch::Pressed : Touch::Hot;
}

const Style& ArrowStyle(const ScrollPalette& p, DWORD state, Touch touch)
{
    if ((state & STATE_SYSTEM_UNAVAILABLE) != 0)
        return p.arrowDisabled;
    if ((state & STATE_SYSTEM_PRESSED) != 0 || touch == Touch::Pressed)
        return p.arrowPressed;
    return touch == Touch::Hot ? p.arrowHot : p.arrow;
}

// Where a dragged thumb is: a program that scrolls as the thumb moves but sets the bar's
// position only once it is let go (an edit does) leaves the position behind, and the system
// draws the thumb where the pointer has it, at the tracking position.
int TrackedThumbTop(HWND hwnd, LONG object, const SCROLLBARINFO& bar, int length, int arrow)
{
    const int which = object == OBJID_VSCROLL ? SB_VERT : object == OBJID_HSCROLL ? SB_HORZ : SB_CTL;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    if (!GetScrollInfo(hwnd, which, &info))
        return bar.xyThumbTop;
    const int thumb = bar.xyThumbBottom - bar.xyThumbTop;
    const int travel = length - 2 * arrow - thumb;
    const int steps = info.nMax - info.nMin + 1 - std::max(static_cast<int>(info.nPage), 1);
    if (travel <= 0 || steps <= 0)
        return bar.xyThumbTop;
    const int shift = MulDiv(info.nTrackPos - info.nPos, travel, steps);
    return std::clamp(bar.xyThumbTop + shift, arrow, arrow + travel);
}

// One bar, in window coordinates: track, both arrows and the thumb where the system has it.
void PaintBar(HDC dc, HWND hwnd, LONG object, bool vertical, const RECT& windowRect, int dpi)
{
    SCROLLBARINFO info{};
    if (!BarInfo(hwnd, object, vertical, info) || (info.rgstate[0] & STATE_SYSTEM_INVISIBLE) != 0)
        return;
    RECT bar = info.rcScrollBar;
    OffsetRect(&bar, -windowRect.left, -windowRect.top);
    if (IsRectEmpty(&bar))
        return;
    const ScrollPalette& p = CurrentTheme()->Controls().scroll;
    const bool disabled = (info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE) != 0;

    BackBuffer buffer(dc, bar);
    HDC target = buffer.Ok() ? buffer.Dc() : dc;
    FillWith(target, bar, p.track.background);
    const int length = vertical ? bar.bottom - bar.top : bar.right - bar.left;
    const int arrow = ArrowLength(length, MetricForDpi(vertical ? SM_CYVSCROLL : SM_CXHSCROLL, dpi));
    RECT low = bar, high = bar;
    if (vertical) {
        low.bottom = low.top + arrow;
        high.top = high.bottom - arrow;
    } else {
        low.right = low.left + arrow;
        high.left = high.right - arrow;
    }
    const DWORD lowState = disabled ? STATE_SYSTEM_UNAVAILABLE : info.rgstate[1];
    const DWORD highState = disabled ? STATE_SYSTEM_UNAVAILABLE : info.rgstate[5];
    if (arrow > 0) {
        const Style& lowLook = ArrowStyle(p, lowState, TouchOf(hwnd, object, BarPart::LowArrow));
        const Style& highLook = ArrowStyle(p, highState, TouchOf(hwnd, object, BarPart::HighArrow));
        PaintStyle(target, low, lowLook);
        PaintStyle(target, high, highLook);
        DrawArrow(target, low, vertical ? Towards::Up : Towards::Left, lowLook.text, dpi);
        DrawArrow(target, high, vertical ? Towards::Down : Towards::Right, highLook.text, dpi);
    }
    if (!disabled && info.xyThumbBottom > info.xyThumbTop) {
        const Touch touch = TouchOf(hwnd, object, BarPart::Thumb);
        const int thumbTop =
            touch == Touch::Pressed ? TrackedThumbTop(hwnd, object, info, length, arrow) : info.xyThumbTop;
        const int thumbBottom = thumbTop + (info.xyThumbBottom - info.xyThumbTop);
        RECT thumb = bar;
        if (vertical) {
            thumb.top = bar.top + thumbTop;
            thumb.bottom = bar.top + thumbBottom;
        } else {
            thumb.left = bar.left + thumbTop;
            thumb.right = bar.left + thumbBottom;
        }
        // The thumb stands a pixel off the track's sides.
        if (vertical)
            InflateRect(&thumb, -1, 0);
        else
            InflateRect(&thumb, 0, -1);
        const bool pressed = (info.rgstate[3] & STATE_SYSTEM_PRESSED) != 0 || touch == Touch::Pressed;
        PaintStyle(target, thumb, pressed ? p.thumbPressed : touch == Touch::Hot ? p.thumbHot : p.thumb);
    }
    if (buffer.Ok())
        buffer.Commit();
}

// What a window's bars showed when the engine last drew them.
using DrawnState = std::array<int, 8>;

DrawnState StateOf(HWND hwnd)
{
    DrawnState state{};
    for (int i = 0; i < 2; ++i) {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_ALL;
        if (GetScrollInfo(hwnd, i == 0 ? SB_VERT : SB_HORZ, &info)) {
            state[static_cast<size_t>(i * 4)] = info.nPos;
            state[static_cast<size_t>(i * 4 + 1)] = static_cast<int>(info.nPage);
            state[static_cast<size_t>(i * 4 + 2)] = info.nMin;
            state[static_cast<size_t>(i * 4 + 3)] = info.nMax;
        }
    }
    return state;
}

std::map<HWND, DrawnState>& Drawn()
{
    static std::map<HWND, DrawnState> drawn;
    return drawn;
}

}  // namespace

SIZE ScrollBarRoom(HWND hwnd, int dpi)
{
    return {HasVertical(hwnd) ? MetricForDpi(SM_CXVSCROLL, dpi) : 0,
            HasHorizontal(hwnd) ? MetricForDpi(SM_CYHSCROLL, dpi) : 0};
}

void ReserveScrollBars(HWND hwnd, RECT& client, int dpi)
{
    if (dpi <= 0)
        dpi = WindowDpi(hwnd);
    const int cx = MetricForDpi(SM_CXVSCROLL, dpi);
    const int cy = MetricForDpi(SM_CYHSCROLL, dpi);
    if (HasVertical(hwnd) && client.right - client.left >= cx) {
        if (OnTheLeft(hwnd))
            client.left += cx;
        else
            client.right -= cx;
    }
    if (HasHorizontal(hwnd) && client.bottom - client.top > cy)
        client.bottom -= cy;
}

LRESULT HitTestScrollBars(HWND hwnd, POINT screen)
{
    const Bars b = BarsOf(hwnd);
    if (PtInRect(&b.corner, screen))
        return HTSIZE;
    if (PtInRect(&b.vertical, screen))
        return HTVSCROLL;
    if (PtInRect(&b.horizontal, screen))
        return HTHSCROLL;
    return HTNOWHERE;
}

void PaintScrollBars(HWND hwnd, HDC windowDc)
{
    if (CurrentTheme() == nullptr || (!HasVertical(hwnd) && !HasHorizontal(hwnd)))
        return;
    RECT window{};
    GetWindowRect(hwnd, &window);
    const int dpi = WindowDpi(hwnd);
    Drawn()[hwnd] = StateOf(hwnd);
    if (HasVertical(hwnd))
        PaintBar(windowDc, hwnd, OBJID_VSCROLL, true, window, dpi);
    if (HasHorizontal(hwnd))
        PaintBar(windowDc, hwnd, OBJID_HSCROLL, false, window, dpi);
    RECT corner = BarsOf(hwnd).corner;
    if (!IsRectEmpty(&corner)) {
        OffsetRect(&corner, -window.left, -window.top);
        FillWith(windowDc, corner, CurrentTheme()->Controls().scroll.track.background);
    }
}

bool HasScrollBars(HWND hwnd)
{
    return HasVertical(hwnd) || HasHorizontal(hwnd);
}

bool ScrollBarsMoved(HWND hwnd)
{
    // While the system tracks a press on a bar it draws the bar at each step (the press itself,
    // each repeat of an arrow, each move of the thumb): the engine draws after every one.
    if (const auto pointer = Pointers().find(hwnd); pointer != Pointers().end() && pointer->second.pressed)
        return true;
    const auto found = Drawn().find(hwnd);
    return found == Drawn().end() || found->second != StateOf(hwnd);
}

void RepaintScrollBarsIfMoved(HWND hwnd)
{
    if (HasScrollBars(hwnd) && ScrollBarsMoved(hwnd))
        RepaintScrollBars(hwnd);
}

void ForgetScrollBars(HWND hwnd)
{
    Drawn().erase(hwnd);
    Pointers().erase(hwnd);
}

// Draws the window's bars, or the control, again.
void Redraw(HWND hwnd, LONG object)
{
    if (object == OBJID_CLIENT)
        RepaintScrollBarControl(hwnd);
    else
        RepaintScrollBars(hwnd);
}

bool PointerOnScrollBar(HWND hwnd)
{
    const auto found = Pointers().find(hwnd);
    return found != Pointers().end() && found->second.object != 0;
}

void FollowScrollBarPointer(HWND hwnd, LONG object, POINT screen)
{
    Pointer& now = Pointers()[hwnd];
    if (now.pressed)
        return;  // the part held down stays so until the system's tracking ends
    const Pointer was = now;
    now.part = PartAt(hwnd, object, screen);
    now.object = now.part == BarPart::None ? 0 : object;
    if (now.part != was.part || now.object != was.object)
        Redraw(hwnd, was.object != 0 ? was.object : now.object);
}

LRESULT PassOnScrollBarPress(HWND hwnd, LONG object, POINT screen, UINT message, WPARAM wParam, LPARAM lParam)
{
    Pointer& now = Pointers()[hwnd];
    now.part = PartAt(hwnd, object, screen);
    now.object = now.part == BarPart::None ? 0 : object;
    // A held track pages on, and the system draws the bar at each step, whether or not the
    // program's position moves: the engine draws after each one too.
    now.pressed = now.part != BarPart::None;
    if (now.pressed)
        Redraw(hwnd, object);
    // Returns once the system's tracking of the press has ended.
    const LRESULT result = CallPrevious(hwnd, message, wParam, lParam);
    Pointers().erase(hwnd);
    Redraw(hwnd, object);
    return result;
}

bool FollowOwnScrollBars(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    const LONG object = wParam == HTVSCROLL ? OBJID_VSCROLL : wParam == HTHSCROLL ? OBJID_HSCROLL : 0;
    const POINT screen{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    switch (message) {
    case WM_NCMOUSEMOVE:
        if (object != 0) {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE | TME_NONCLIENT, hwnd, 0};
            TrackMouseEvent(&track);
        }
        // A visual style draws its own hover look as the pointer moves: the engine's goes over it.
        result = CallPrevious(hwnd, message, wParam, lParam);
        FollowScrollBarPointer(hwnd, object, screen);
        if (object != 0)
            RepaintScrollBars(hwnd);
        return true;
    case WM_NCMOUSELEAVE:
        // A visual style draws its own look of the bars as the pointer leaves them, hot or not.
        result = CallPrevious(hwnd, message, wParam, lParam);
        FollowScrollBarPointer(hwnd, 0, {});
        RepaintScrollBars(hwnd);
        return true;
    case WM_MOUSEMOVE:
        if (const auto found = Pointers().find(hwnd); found != Pointers().end() && found->second.object != 0) {
            result = CallPrevious(hwnd, message, wParam, lParam);
            FollowScrollBarPointer(hwnd, 0, {});
            RepaintScrollBars(hwnd);
            return true;
        }
        return false;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
        if (object == 0)
            return false;
        result = PassOnScrollBarPress(hwnd, object, screen, message, wParam, lParam);
        return true;
    default: return false;
    }
}

UINT HeldScrollBarMessage()
{
    static const UINT message = RegisterWindowMessageW(L"Velum.HeldScrollBar");
    return message;
}

bool ScrollBarHeld(HWND hwnd)
{
    const auto found = Pointers().find(hwnd);
    return found != Pointers().end() && found->second.pressed && found->second.object != 0;
}

void RedrawHeldScrollBar(HWND hwnd)
{
    if (const auto found = Pointers().find(hwnd); found != Pointers().end() && found->second.object != 0)
        Redraw(hwnd, found->second.object);
}

void PaintScrollBar(HDC dc, HWND hwnd, LONG object, bool vertical, const RECT& windowRect, int dpi)
{
    PaintBar(dc, hwnd, object, vertical, windowRect, dpi);
}

void RepaintScrollBars(HWND hwnd)
{
    if (!IsWindowVisible(hwnd) || IsIconic(hwnd))
        return;
    // The bars are placed from the system's screen rectangles: drawn in the screen's order.
    WindowDc dc(hwnd, WindowDc::Order::Screen);
    if (dc.get() != nullptr)
        PaintScrollBars(hwnd, dc.get());
}

}  // namespace velum
