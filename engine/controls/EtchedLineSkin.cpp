#include "EtchedLineSkin.h"

#include "ControlClasses.h"
#include "Engine.h"
#include "PartWindows.h"
#include "SystemColourAnswers.h"
#include "WindowSubclass.h"

namespace velum {

namespace {

PartWindows<NoState>& Lines()
{
    static PartWindows<NoState> windows;
    return windows;
}

// The edges the system draws for each etched style; none for the other styles.
UINT EtchedEdges(DWORD style)
{
    switch (style & SS_TYPEMASK) {
    case SS_ETCHEDHORZ: return BF_TOP | BF_BOTTOM;
    case SS_ETCHEDVERT: return BF_LEFT | BF_RIGHT;
    case SS_ETCHEDFRAME: return BF_RECT;
    default: return 0;
    }
}

void PaintEtched(HWND hwnd, HDC dc, UINT edges)
{
    RECT r{};
    GetClientRect(hwnd, &r);
    DrawThemedEdge(dc, &r, EDGE_ETCHED, edges);
}

LRESULT CALLBACK EtchedLineProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (CurrentTheme() == nullptr || Lines().count(hwnd) == 0)
        return PassOn(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        Lines().erase(hwnd);
        return PassOn(hwnd, message, wParam, lParam);
    }
    const UINT edges = EtchedEdges(StyleOf(hwnd));
    if (edges != 0 && message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        PaintEtched(hwnd, dc, edges);
        EndPaint(hwnd, &ps);
        return 0;
    }
    if (edges != 0 && message == WM_PRINTCLIENT) {
        PaintEtched(hwnd, reinterpret_cast<HDC>(wParam), edges);
        return 0;
    }
    return CallPrevious(hwnd, message, wParam, lParam);
}

}  // namespace

bool SkinEtchedLine(HWND hwnd)
{
    if (Lines().count(hwnd) != 0)
        return true;
    if (EtchedEdges(StyleOf(hwnd)) == 0 || !InstallSubclass(hwnd, EtchedLineProc))
        return false;
    Lines()[hwnd];
    return true;
}

void RefreshEtchedLines()
{
    for (HWND hwnd : Lines().Windows())
        if (EtchedEdges(StyleOf(hwnd)) != 0)
            InvalidateRect(hwnd, nullptr, TRUE);
}

void UnskinEtchedLines(HWND only)
{
    Lines().GiveBack(only, [](HWND hwnd, NoState) {
        if (EtchedEdges(StyleOf(hwnd)) != 0)
            InvalidateRect(hwnd, nullptr, TRUE);
    });
}

}  // namespace velum
