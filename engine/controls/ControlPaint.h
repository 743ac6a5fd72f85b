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

}  // namespace velum
