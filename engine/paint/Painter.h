// Drawing for the engine: the primitives every skinned part is drawn with (fills, outlines,
// lines, arrows, glyphs). The theme's GDI objects are in ThemeResources, the back buffer in
// BackBuffer, the bitmaps kept between paints in KeptBitmaps.
#pragma once

#include <windows.h>

#include "FrameLayout.h"
#include "BackBuffer.h"
#include "Handles.h"
#include "ScreenDpi.h"
#include "ThemeFile.h"
#include "ThemeResources.h"

namespace velum {

COLORREF ToColorRef(Color c);
Color ColorOfRef(COLORREF c);

// The system's own colour brushes: COLOR_x + 1 as a class brush, or GetSysColorBrush's.
bool IsSystemBrush(HBRUSH brush);

inline RECT ToRECT(const Rect& r)
{
    return {r.left, r.top, r.right, r.bottom};
}

// A solid pen selected into a DC while it lives.
class Pen {
public:
    Pen(HDC dc, Color c, int width) : pen_(CreatePen(PS_SOLID, width, ToColorRef(c))), select_(dc, pen_.get()) {}

private:
    UniquePen pen_;
    ScopedSelect select_;
};

// A one-pixel line from (x1, y1) up to, not including, (x2, y2).
void Line(HDC dc, int x1, int y1, int x2, int y2, Color c);

enum class Towards { Up, Down, Left, Right };
// A filled triangle of `rows` one-pixel rows, 1, 3, 5... pixels wide from its tip, pointing
// `towards`, its rows centred on `centre`: the arrows of scroll bars, up-down controls and
// sorted header items.
void DrawArrow(HDC dc, POINT centre, Towards towards, int rows, Color c);

// Fills a rectangle with a solid colour or a two-stop gradient.
void FillWith(HDC dc, const RECT& r, const Fill& fill);
void FillSolid(HDC dc, const RECT& r, Color c);
// A one-pixel outline just inside r.
void Outline(HDC dc, const RECT& r, Color c);
// Background and outline of a style; a style with an image shows it over the background instead
// of the outline.
void PaintStyle(HDC dc, const RECT& r, const Style& s);
// Background of a style and its image, if any: for bars and areas that have no outline.
void PaintFace(HDC dc, const RECT& r, const Style& s);

enum class Glyph { Minimize, Maximize, Restore, Close, SubmenuArrow, Check };
void DrawGlyph(HDC dc, const RECT& r, Glyph glyph, Color c, int dpi);
// A 32-bit top-down DIB section of that size, its pixels at `bits`.
UniqueBitmap TopDownBitmap(HDC dc, int width, int height, void*& bits);
// The header of such a bitmap, for pixels kept in memory and drawn with StretchDIBits.
BITMAPINFO TopDownInfo(int width, int height);

// The DC of a whole window, frame included, released when it goes; of the screen for nullptr.
// A right-to-left window's DC is mirrored: Order::Screen takes it in the screen's order, x
// growing to the right from the window's left edge, as the frame's layout is made.
class WindowDc {
public:
    enum class Order { Window, Screen };
    explicit WindowDc(HWND hwnd, Order order = Order::Window) : hwnd_(hwnd), dc_(GetWindowDC(hwnd))
    {
        if (dc_ != nullptr && order == Order::Screen && ((layout_ = GetLayout(dc_)) & LAYOUT_RTL) != 0)
            SetLayout(dc_, 0);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc()
    {
        if (dc_ == nullptr)
            return;
        if ((layout_ & LAYOUT_RTL) != 0)
            SetLayout(dc_, layout_);
        ReleaseDC(hwnd_, dc_);
    }
    HDC get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
    DWORD layout_ = 0;  // what Order::Screen changed, given back before the DC goes
};

}  // namespace velum
