#include "ScrolledWindow.h"

#include "BarControlSkin.h"
#include "ClientArea.h"
#include "ControlClasses.h"
#include "Engine.h"
#include "FieldSkin.h"
#include "ScrollBarSkin.h"
#include "PartWindows.h"
#include "WindowRegistry.h"

namespace velum {

namespace {

PartWindows<NoState>& Followed()
{
    static PartWindows<NoState> windows;
    return windows;
}

bool IsFollowed(HWND hwnd)
{
    return CurrentTheme() != nullptr && Followed().count(hwnd) != 0;
}

void RedrawFrameOf(HWND hwnd)
{
    if (HasScrollBars(hwnd))
        RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
}

LRESULT CALLBACK ScrolledWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!IsFollowed(hwnd))
        return PassOn(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        Followed().erase(hwnd);
        ForgetScrollBars(hwnd);
        return PassOn(hwnd, message, wParam, lParam);
    }
    // The MDI client, and a program's panels, erase in a system colour their class names.
    if (message == WM_ERASEBKGND)
        return EraseWithThemeSystemColour(hwnd, message, wParam, lParam);
    // The custom draw of the views and bars on a program's panel is answered as a frame's is.
    if (message == WM_NOTIFY)
        return AnswerCustomDraw(reinterpret_cast<NMHDR*>(lParam), CallPrevious(hwnd, message, wParam, lParam));
    if (LRESULT tracked = 0; HasScrollBars(hwnd) && FollowOwnScrollBars(hwnd, message, wParam, lParam, tracked))
        return tracked;
    const LRESULT result = CallPrevious(hwnd, message, wParam, lParam);
    // A window of the system's own (a rich edit, the MDI client) has its edges drawn by the
    // system in its own colours; a program's panel keeps its edges.
    if (message == WM_NCPAINT && IsFollowed(hwnd) &&
        IsSystemCode(reinterpret_cast<const void*>(GetClassLongPtrW(hwnd, GCLP_WNDPROC))))
        PaintSystemEdges(hwnd);
    // The system draws the bars with the rest of the frame, and again at once whenever the
    // program (or, for the MDI client, the system) sets them: the engine's look goes over both.
    if (IsFollowed(hwnd) && HasScrollBars(hwnd) && IsWindowVisible(hwnd)) {
        if (message == WM_NCPAINT)
            RepaintScrollBars(hwnd);
        else
            RepaintScrollBarsIfMoved(hwnd);
    }
    return result;
}

}  // namespace

bool SkinScrolledWindow(HWND hwnd)
{
    if (Followed().count(hwnd) != 0)
        return true;
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
    if ((style & WS_CHILD) == 0 && (style & (WS_VSCROLL | WS_HSCROLL)) == 0)
        return false;
    if (!InstallSubclass(hwnd, ScrolledWindowProc))
        return false;
    Followed()[hwnd];
    return true;
}

void RefreshScrolledWindows()
{
    for (HWND hwnd : Followed().Windows())
        RedrawFrameOf(hwnd);
}

void UnskinScrolledWindows(HWND only)
{
    Followed().GiveBack(only, [](HWND hwnd, NoState) {
        ForgetScrollBars(hwnd);
        RedrawFrameOf(hwnd);
    });
}

}  // namespace velum
