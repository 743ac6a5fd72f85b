// What the controls the engine draws whole share: their font, and painting through a back
// buffer for WM_PAINT and WM_PRINTCLIENT alike.
#pragma once

#include <windows.h>

#include "Painter.h"

namespace velum {

inline HFONT FontOf(HWND hwnd)
{
    auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
    return font != nullptr ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

// WM_PAINT or WM_PRINTCLIENT of a control the engine draws whole: `draw` paints the client
// area through a back buffer, in client coordinates.
template <class Draw>
void PaintThroughBuffer(HWND hwnd, UINT message, WPARAM wParam, Draw draw)
{
    PAINTSTRUCT ps;
    HDC target = message == WM_PRINTCLIENT ? reinterpret_cast<HDC>(wParam) : BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    {
        BackBuffer buffer(target, client);
        draw(buffer.Ok() ? buffer.Dc() : target, client);
        if (buffer.Ok())
            buffer.Commit();
    }
    if (message != WM_PRINTCLIENT)
        EndPaint(hwnd, &ps);
}

// Whether the engine draws the control on a DC of its window: `draws(dc)` asks, on the window's
// own DC, which its parent's colour answer may depend on.
template <class Draws>
bool DrawsOnWindow(HWND hwnd, Draws draws)
{
    HDC probe = GetDC(hwnd);
    if (probe == nullptr)
        return false;
    const bool drawn = draws(probe);
    ReleaseDC(hwnd, probe);
    return drawn;
}

// The system draws some controls straight onto the window as they change, outside WM_PAINT:
// the engine draws over that at once, on the window's DC, where `draws(dc)` says it draws the
// control.
template <class Draws, class Draw>
void DrawOverSystemNow(HWND hwnd, Draws draws, Draw draw)
{
    if (!IsWindowVisible(hwnd))
        return;
    HDC dc = GetDC(hwnd);
    if (dc == nullptr)
        return;
    if (draws(dc))
        draw(dc);
    ReleaseDC(hwnd, dc);
}

}  // namespace velum
