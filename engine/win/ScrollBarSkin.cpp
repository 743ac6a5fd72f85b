#include "ScrollBarSkin.h"

#include <algorithm>
#include <array>
#include <map>
#include <set>

#include "ClientArea.h"
#include "ControlClasses.h"
#include "Engine.h"
#include "FrameLayout.h"
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
    const int cx = GetSystemMetrics(SM_CXVSCROLL);
    const int cy = GetSystemMetrics(SM_CYHSCROLL);
    const bool vertical = HasVertical(hwnd), horizontal = HasHorizontal(hwnd);
    const bool left = OnTheLeft(hwnd);
    if (vertical)
        b.vertical = left ? RECT{c.left - cx, c.top, c.left, c.bottom} : RECT{c.right, c.top, c.right + cx, c.bottom};
    if (horizontal)
        b.horizontal = {c.left, c.bottom, c.right, c.bottom + cy};
    if (vertical && horizontal)
        b.corner = left ? RECT{c.left - cx, c.bottom, c.left, c.bottom + cy} : RECT{c.right, c.bottom, c.right + cx, c.bottom + cy};
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

enum class Towards { Up, Down, Left, Right };

void DrawArrow(HDC dc, const RECT& r, Towards towards, Color c, int dpi)
{
    const int half = std::max(2, Scale(4, dpi));
    const int x = (r.left + r.right) / 2;
    const int y = (r.top + r.bottom) / 2;
    Pen pen(dc, c, 1);
    for (int i = 0; i < half; ++i) {
        // Rows of the triangle from its tip.
        const int along = i - half / 2;
        switch (towards) {
        case Towards::Up:
            MoveToEx(dc, x - i, y + along, nullptr);
            LineTo(dc, x + i + 1, y + along);
            break;
        case Towards::Down:
            MoveToEx(dc, x - i, y - along, nullptr);
            LineTo(dc, x + i + 1, y - along);
            break;
        case Towards::Left:
            MoveToEx(dc, x + along, y - i, nullptr);
            LineTo(dc, x + along, y + i + 1);
            break;
        case Towards::Right:
            MoveToEx(dc, x - along, y - i, nullptr);
            LineTo(dc, x - along, y + i + 1);
            break;
        }
    }
}

const Style& ArrowStyle(const ScrollPalette& p, DWORD state)
{
    if ((state & STATE_SYSTEM_UNAVAILABLE) != 0)
        return p.arrowDisabled;
    if ((state & STATE_SYSTEM_PRESSED) != 0)
        return p.arrowPressed;
    return p.arrow;
}

// One bar, in window coordinates: track, both arrows and the thumb where the system has it.
void PaintBar(HDC dc, HWND hwnd, LONG object, bool vertical, const RECT& windowRect, int dpi)
{
    SCROLLBARINFO info{};
    info.cbSize = sizeof info;
    if (!GetScrollBarInfo(hwnd, object, &info) || (info.rgstate[0] & STATE_SYSTEM_INVISIBLE) != 0)
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
    const int arrow = ArrowLength(length, GetSystemMetrics(vertical ? SM_CYVSCROLL : SM_CXHSCROLL));
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
        const Style& lowLook = ArrowStyle(p, lowState);
        const Style& highLook = ArrowStyle(p, highState);
        PaintStyle(target, low, lowLook);
        PaintStyle(target, high, highLook);
        DrawArrow(target, low, vertical ? Towards::Up : Towards::Left, lowLook.text, dpi);
        DrawArrow(target, high, vertical ? Towards::Down : Towards::Right, highLook.text, dpi);
    }
    if (!disabled && info.xyThumbBottom > info.xyThumbTop) {
        RECT thumb = bar;
        if (vertical) {
            thumb.top = bar.top + info.xyThumbTop;
            thumb.bottom = bar.top + info.xyThumbBottom;
        } else {
            thumb.left = bar.left + info.xyThumbTop;
            thumb.right = bar.left + info.xyThumbBottom;
        }
        // The thumb stands a pixel off the track's sides.
        if (vertical)
            InflateRect(&thumb, -1, 0);
        else
            InflateRect(&thumb, 0, -1);
        PaintStyle(target, thumb, (info.rgstate[3] & STATE_SYSTEM_PRESSED) != 0 ? p.thumbPressed : p.thumb);
    }
    if (buffer.Ok())
        buffer.Commit();
}

// ---- Scroll bar controls ----

std::set<HWND>& Controls()
{
    static std::set<HWND> controls;
    return controls;
}

// Size boxes and grips are not bars.
bool IsBar(HWND hwnd)
{
    return (GetWindowLongPtrW(hwnd, GWL_STYLE) & (SBS_SIZEBOX | SBS_SIZEGRIP)) == 0;
}

// The engine draws a control whose parent leaves its colours to the system: a parent that
// answers WM_CTLCOLORSCROLLBAR with a brush of its own keeps the system's drawing.
bool ParentLeavesColours(HWND hwnd, HDC dc)
{
    HWND parent = GetParent(hwnd);
    if (parent == nullptr)
        return true;
    const auto wParam = reinterpret_cast<WPARAM>(dc);
    const auto lParam = reinterpret_cast<LPARAM>(hwnd);
    const auto answer = reinterpret_cast<HBRUSH>(SendMessageW(parent, WM_CTLCOLORSCROLLBAR, wParam, lParam));
    return answer == nullptr || IsSystemBrush(answer) ||
           answer == reinterpret_cast<HBRUSH>(DefWindowProcW(parent, WM_CTLCOLORSCROLLBAR, wParam, lParam));
}

void PaintControl(HWND hwnd, HDC dc)
{
    RECT window{};
    GetWindowRect(hwnd, &window);
    const bool vertical = (GetWindowLongPtrW(hwnd, GWL_STYLE) & SBS_VERT) != 0;
    PaintBar(dc, hwnd, OBJID_CLIENT, vertical, window, WindowDpi(hwnd));
}

bool EngineDraws(HWND hwnd, HDC dc)
{
    return IsBar(hwnd) && ParentLeavesColours(hwnd, dc);
}

// What changes a bar's look: the system draws it at once, the engine after it.
bool ChangesLook(UINT message)
{
    switch (message) {
    case WM_LBUTTONDOWN:  // returns once the system's tracking of the click has ended
    case WM_LBUTTONUP:
    case WM_KEYDOWN:
    case WM_ENABLE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case SBM_SETPOS:
    case SBM_SETRANGE:
    case SBM_SETRANGEREDRAW:
    case SBM_SETSCROLLINFO:
    case SBM_ENABLE_ARROWS: return true;
    default: return false;
    }
}

LRESULT CALLBACK ScrollBarControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (CurrentTheme() == nullptr || Controls().count(hwnd) == 0)
        return PassOn(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_NCDESTROY:
        Controls().erase(hwnd);
        return PassOn(hwnd, message, wParam, lParam);
    case WM_PAINT: {
        HDC probe = GetDC(hwnd);
        const bool ours = probe != nullptr && EngineDraws(hwnd, probe);
        if (probe != nullptr)
            ReleaseDC(hwnd, probe);
        if (!ours)
            break;
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        PaintControl(hwnd, dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    default: break;
    }
    const LRESULT result = CallPrevious(hwnd, message, wParam, lParam);
    if (ChangesLook(message) && Controls().count(hwnd) != 0)
        RepaintScrollBarControl(hwnd);
    return result;
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

void ReserveScrollBars(HWND hwnd, RECT& client)
{
    const int cx = GetSystemMetrics(SM_CXVSCROLL);
    const int cy = GetSystemMetrics(SM_CYHSCROLL);
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
}

void RepaintScrollBars(HWND hwnd)
{
    if (!IsWindowVisible(hwnd) || IsIconic(hwnd))
        return;
    WindowDc dc(hwnd);
    if (dc.get() != nullptr)
        PaintScrollBars(hwnd, dc.get());
}

bool SkinScrollBarControl(HWND hwnd)
{
    if (Controls().count(hwnd) != 0)
        return true;
    if (ControlFamilyOf(hwnd) != ControlFamily::ScrollBar || !InstallSubclass(hwnd, ScrollBarControlProc))
        return false;
    Controls().insert(hwnd);
    return true;
}

void RepaintScrollBarControl(HWND hwnd)
{
    if (Controls().count(hwnd) == 0 || !IsWindowVisible(hwnd))
        return;
    HDC dc = GetDC(hwnd);
    if (dc == nullptr)
        return;
    if (EngineDraws(hwnd, dc))
        PaintControl(hwnd, dc);
    ReleaseDC(hwnd, dc);
}

void RefreshScrollBarControls()
{
    for (HWND hwnd : Controls())
        InvalidateRect(hwnd, nullptr, TRUE);
}

void UnskinScrollBarControls()
{
    const auto controls = std::move(Controls());
    Controls().clear();
    for (HWND hwnd : controls) {
        RemoveSubclass(hwnd);
        InvalidateRect(hwnd, nullptr, TRUE);
    }
}

}  // namespace velum
