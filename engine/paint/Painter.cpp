#include "Painter.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "AnsiText.h"
#include "ThemeArtwork.h"

namespace velum {

namespace {

void Line(HDC dc, int x1, int y1, int x2, int y2)
{
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

}  // namespace

void Line(HDC dc, int x1, int y1, int x2, int y2, Color c)
{
    Pen pen(dc, c, 1);
    Line(dc, x1, y1, x2, y2);
}

void DrawArrow(HDC dc, POINT centre, Towards towards, int rows, Color c)
{
    Pen pen(dc, c, 1);
    const int x = centre.x, y = centre.y;
    for (int i = 0; i < rows; ++i) {
        // Row i from the tip is 2i + 1 pixels wide.
        const int along = i - rows / 2;
        switch (towards) {
        case Towards::Up: Line(dc, x - i, y + along, x + i + 1, y + along); break;
        case Towards::Down: Line(dc, x - i, y - along, x + i + 1, y - along); break;
        case Towards::Left: Line(dc, x + along, y - i, x + along, y + i + 1); break;
        case Towards::Right: Line(dc, x - along, y - i, x - along, y + i + 1); break;
        }
    }
}

BITMAPINFO TopDownInfo(int width, int height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

UniqueBitmap TopDownBitmap(HDC dc, int width, int height, void*& bits)
{
    const BITMAPINFO info = TopDownInfo(width, height);
    bits = nullptr;
    return UniqueBitmap(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
}

bool IsSystemBrush(HBRUSH brush)
{
    const auto value = reinterpret_cast<ULONG_PTR>(brush);
    if (value != 0 && value <= COLOR_MENUBAR + 1)
        return true;
    for (int i = 0; brush != nullptr && i <= COLOR_MENUBAR; ++i)
        if (brush == GetSysColorBrush(i))
            return true;
    return false;
}

Color ColorOfRef(COLORREF c)
{
    return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

COLORREF ToColorRef(Color c)
{
    return RGB(c.r, c.g, c.b);
}

void FillSolid(HDC dc, const RECT& r, Color c)
{
    SetBkColor(dc, ToColorRef(c));
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

void FillWith(HDC dc, const RECT& r, const Fill& fill)
{
    if (r.right <= r.left || r.bottom <= r.top)
        return;
    if (fill.from == fill.to) {
        FillSolid(dc, r, fill.from);
        return;
    }
    TRIVERTEX vertices[2] = {
        {r.left, r.top, static_cast<COLOR16>(fill.from.r << 8), static_cast<COLOR16>(fill.from.g << 8),
         static_cast<COLOR16>(fill.from.b << 8), 0},
        {r.right, r.bottom, static_cast<COLOR16>(fill.to.r << 8), static_cast<COLOR16>(fill.to.g << 8),
         static_cast<COLOR16>(fill.to.b << 8), 0},
    };
    GRADIENT_RECT rect{0, 1};
    if (!GradientFill(dc, vertices, 2, &rect, 1, fill.vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H))
        FillSolid(dc, r, fill.from);
}

void Outline(HDC dc, const RECT& r, Color c)
{
    if (r.right - r.left < 1 || r.bottom - r.top < 1)
        return;
    FillSolid(dc, {r.left, r.top, r.right, r.top + 1}, c);
    FillSolid(dc, {r.left, r.bottom - 1, r.right, r.bottom}, c);
    FillSolid(dc, {r.left, r.top, r.left + 1, r.bottom}, c);
    FillSolid(dc, {r.right - 1, r.top, r.right, r.bottom}, c);
}

namespace {

// The style's fill with its image over it, if any: a plain fill is blended with the image once
// and kept with it. False when it has no image.
bool FillAndImage(HDC dc, const RECT& r, const Style& s)
{
    if (s.image && s.background.from == s.background.to && DrawStyleImage(dc, r, s.image, 0, s.background.from))
        return true;
    FillWith(dc, r, s.background);
    return DrawStyleImage(dc, r, s.image);
}

}  // namespace

void PaintStyle(HDC dc, const RECT& r, const Style& s)
{
    if (!FillAndImage(dc, r, s))
        Outline(dc, r, s.border);
}

void PaintFace(HDC dc, const RECT& r, const Style& s)
{
    FillAndImage(dc, r, s);
}

void DrawGlyph(HDC dc, const RECT& r, Glyph glyph, Color c, int dpi)
{
    const int size =
        std::min({Scale(10, dpi), static_cast<int>(r.right - r.left) - 4, static_cast<int>(r.bottom - r.top) - 4});
    if (size < 3)
        return;
    const int stroke = std::max(1, Scale(1, dpi));
    const int x = r.left + (r.right - r.left - size) / 2;
    const int y = r.top + (r.bottom - r.top - size) / 2;
    switch (glyph) {
    case Glyph::Minimize: FillSolid(dc, {x, y + size - stroke - size / 4, x + size, y + size - size / 4}, c); break;
    case Glyph::Maximize:
        Outline(dc, {x, y, x + size, y + size}, c);
        FillSolid(dc, {x, y, x + size, y + stroke + 1}, c);
        break;
    case Glyph::Restore: {
        const int off = size / 4;
        const int inner = size - off;
        Outline(dc, {x, y + off, x + inner, y + size}, c);  // the front window
        FillSolid(dc, {x, y + off, x + inner, y + off + stroke + 1}, c);
        FillSolid(dc, {x + off, y, x + size, y + stroke}, c);  // what shows of the one behind
        FillSolid(dc, {x + size - stroke, y, x + size, y + inner}, c);
        FillSolid(dc, {x + off, y, x + off + stroke, y + off}, c);
        FillSolid(dc, {x + inner, y + inner - stroke, x + size, y + inner}, c);
        break;
    }
    case Glyph::Close: {
        Pen pen(dc, c, stroke + 1);
        Line(dc, x, y, x + size, y + size);
        Line(dc, x + size - 1, y, x - 1, y + size);
        break;
    }
    case Glyph::SubmenuArrow: {
        const int h = size / 2;
        for (int i = 0; i <= h; ++i)
            FillSolid(dc, {x + h / 2 + i, y + size / 2 - (h - i), x + h / 2 + i + 1, y + size / 2 + (h - i) + 1}, c);
        break;
    }
    case Glyph::Check: {
        Pen pen(dc, c, stroke + 1);
        Line(dc, x, y + size / 2, x + size / 3, y + size - 2);
        Line(dc, x + size / 3, y + size - 2, x + size, y + 1);
        break;
    }
    }
}

}  // namespace velum
