// Scroll bar controls (not size boxes) drawn by the engine, unless their parent answers
// WM_CTLCOLORSCROLLBAR with a brush of its own; the system keeps tracking them.
#include "ScrollBarControl.h"

#include "ControlClasses.h"
#include "ControlPaint.h"
#include "Engine.h"
#include "ScrollBarSkin.h"
#include "PartWindows.h"
#include "WindowRegistry.h"

namespace velum {

namespace {

PartWindows<NoState>& Controls()
{
    static PartWindows<NoState> controls;
    return controls;
}

// Size boxes and grips are not bars.
bool IsBar(HWND hwnd)
{
    return (GetWindowLongPtrW(hwnd, GWL_STYLE) & (SBS_SIZEBOX | SBS_SIZEGRIP)) == 0;
}

// The engine draws a control whose parent leaves its colours to the system: a parent that
// answers WM_CTLCOLORSCROLLBAR with a brush of its own keeps the system's drawing.
bool ParentLeavesSystemColours(HWND hwnd, HDC dc)
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
    PaintScrollBar(dc, hwnd, OBJID_CLIENT, vertical, window, WindowDpi(hwnd));
}

bool EngineDraws(HWND hwnd, HDC dc)
{
    return IsBar(hwnd) && ParentLeavesSystemColours(hwnd, dc);
}

// What changes a bar's look: the system draws it at once, the engine after it.
bool ChangesScrollBarLook(UINT message)
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
        ForgetScrollBars(hwnd);
        return PassOn(hwnd, message, wParam, lParam);
    case WM_PAINT: {
        if (!DrawsOnWindow(hwnd, [hwnd](HDC dc) { return EngineDraws(hwnd, dc); }))
            break;
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        PaintControl(hwnd, dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE: {
        POINT screen{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ClientToScreen(hwnd, &screen);
        if (message == WM_MOUSEMOVE && !PointerOnScrollBar(hwnd)) {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd, 0};
            TrackMouseEvent(&track);
        }
        // A visual style draws its own hover look as the pointer moves: the engine's goes over it.
        const LRESULT result = CallPrevious(hwnd, message, wParam, lParam);
        FollowScrollBarPointer(hwnd, message == WM_MOUSEMOVE ? OBJID_CLIENT : 0, screen);
        RepaintScrollBarControl(hwnd);
        return result;
    }
    case WM_LBUTTONDOWN: {
        POINT screen{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ClientToScreen(hwnd, &screen);
        return PassOnScrollBarPress(hwnd, OBJID_CLIENT, screen, message, wParam, lParam);
    }
    default: break;
    }
    const LRESULT result = CallPrevious(hwnd, message, wParam, lParam);
    if (ChangesScrollBarLook(message) && Controls().count(hwnd) != 0)
        RepaintScrollBarControl(hwnd);
    return result;
}

}  // namespace

bool SkinScrollBarControl(HWND hwnd)
{
    if (Controls().count(hwnd) != 0)
        return true;
    if (ControlFamilyOf(hwnd) != ControlFamily::ScrollBar || !InstallSubclass(hwnd, ScrollBarControlProc))
        return false;
    Controls()[hwnd];
    return true;
}

void RepaintScrollBarControl(HWND hwnd)
{
    if (Controls().count(hwnd) != 0)
        DrawOverSystemNow(
            hwnd, [hwnd](HDC dc) { return EngineDraws(hwnd, dc); }, [hwnd](HDC dc) { PaintControl(hwnd, dc); });
}

void RefreshScrollBarControls()
{
    for (HWND hwnd : Controls().Windows())
        InvalidateRect(hwnd, nullptr, TRUE);
}

void UnskinScrollBarControls(HWND only)
{
    Controls().GiveBack(only, [](HWND hwnd, NoState) {
        ForgetScrollBars(hwnd);
        InvalidateRect(hwnd, nullptr, TRUE);
    });
}

}  // namespace velum
