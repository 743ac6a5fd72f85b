// Drawings kept as bitmaps between paints: caption buttons and icons, which the frame draws the
// same way on every paint.
#pragma once

#include <windows.h>

#include "Painter.h"

namespace velum {

// PaintStyle and then DrawGlyph on r, copied from a kept bitmap of the same drawing: caption
// buttons are painted with every frame paint, and only in a few looks.
void PaintGlyphButton(HDC dc, const RECT& r, const Style& style, Glyph glyph, Color c, int dpi);
// Frees the kept button bitmaps.
void ReleaseKeptButtons();

// Draws an icon as DrawIconEx(DI_NORMAL) draws it at that size. The frame draws the same icon
// at the same size on every paint, and DrawIconEx makes memory DCs and scales the icon each
// time: an icon whose drawing a premultiplied bitmap reproduces exactly is kept as one and
// blended from there. Others are drawn by DrawIconEx every time.
void DrawIconSized(HDC dc, int x, int y, HICON icon, int cx, int cy);
// Frees the kept icon bitmaps.
void ReleaseKeptIcons();

}  // namespace velum
