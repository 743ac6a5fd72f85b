// Drawing for the engine: the GDI objects a theme needs and the primitives every skinned part
// is drawn with.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "ControlPalette.h"
#include "FrameLayout.h"
#include "Handles.h"
#include "ScreenDpi.h"
#include "ThemeFile.h"

namespace velum {

COLORREF ToColorRef(Color c);

// The system's own colour brushes: COLOR_x + 1 as a class brush, or GetSysColorBrush's.
bool IsSystemBrush(HBRUSH brush);

inline RECT ToRECT(const Rect& r)
{
    return {r.left, r.top, r.right, r.bottom};
}

// The three backgrounds a field is drawn on, in the order of kFieldLooks' brushes.
enum class FieldLook { Normal, Disabled, ReadOnly };
inline constexpr int kFieldLooks = 3;
const Style& FieldStyle(const FieldPalette& palette, FieldLook look);

// The GDI objects made from one theme, shared by every skinned window. A theme switch makes a
// new set and frees the old one whole.
class ThemeResources {
public:
    explicit ThemeResources(Theme theme);
    ThemeResources(const ThemeResources&) = delete;
    ThemeResources& operator=(const ThemeResources&) = delete;

    const Theme& Get() const { return theme_; }
    HFONT CaptionFont(int dpi) { return FontsFor(dpi).caption->get(); }
    HFONT MenuFont(int dpi) { return FontsFor(dpi).menu->get(); }
    HFONT PopupFont(int dpi) { return FontsFor(dpi).popup->get(); }
    // A menu's default item is drawn in bold, as the system draws it; made on first use.
    HFONT PopupDefaultFont(int dpi);
    HBRUSH PopupBrush() const { return popupBrush_.get(); }
    HBRUSH WindowBrush() const { return windowBrush_.get(); }
    const ControlPalette& Controls() const { return controls_; }
    // The backgrounds of edit fields, lists and combo boxes, answered to their colour messages.
    HBRUSH FieldBrush(FieldLook look) const { return fieldBrushes_[static_cast<int>(look)].get(); }
    // True when the brush is one of this theme's field backgrounds.
    bool IsFieldBrush(HBRUSH brush) const;
    // True when every object could be made.
    bool Complete() const;

private:
    struct Fonts {
        std::shared_ptr<UniqueFont> caption, menu, popup, popupDefault;
    };
    Fonts& FontsFor(int dpi);

    Theme theme_;
    std::map<int, Fonts> fonts_;
    UniqueBrush popupBrush_;
    UniqueBrush windowBrush_;
    ControlPalette controls_;
    UniqueBrush fieldBrushes_[kFieldLooks];
    bool fontsOk_ = true;
};

// Frees the fonts kept for later themes that no theme uses now.
void TrimFontCache();

// The size of one line of `text` in `font` (one of the kept fonts, or a stock one), `&` taken
// as an access key's mark.
SIZE MeasureText(HFONT font, const std::wstring& text);

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
// Background and outline of a style.
void PaintStyle(HDC dc, const RECT& r, const Style& s);

enum class Glyph { Minimize, Maximize, Restore, Close, SubmenuArrow, Check };
void DrawGlyph(HDC dc, const RECT& r, Glyph glyph, Color c, int dpi);
// PaintStyle and then DrawGlyph on r, copied from a kept bitmap of the same drawing: caption
// buttons are painted with every frame paint, and only in a few looks.
void PaintGlyphButton(HDC dc, const RECT& r, const Style& style, Glyph glyph, Color c, int dpi);
// Frees the kept button bitmaps.
void ReleaseKeptButtons();

// An off-screen bitmap for one area of a target, drawn on in the target's coordinates; Commit
// copies the area to the target DC. It lives only while one part is painted, unless it is the
// kept one (see below); either way it starts with a DC in its default state.
class BackBuffer {
public:
    enum class Kind { Fresh, Kept };
    BackBuffer(HDC target, const RECT& area, Kind kind = Kind::Fresh);
    BackBuffer(const BackBuffer&) = delete;
    BackBuffer& operator=(const BackBuffer&) = delete;
    ~BackBuffer();
    HDC Dc() const { return dc_; }
    bool Ok() const { return dc_ != nullptr; }
    void Commit() const;

private:
    HDC target_;
    RECT area_;
    HDC dc_ = nullptr;
    int savedState_ = 0;  // of the kept buffer's DC, restored when this one goes
    // Destroyed in reverse: the bitmap is selected out before it is deleted, then the DC goes.
    UniqueDc ownDc_;
    UniqueBitmap ownBitmap_;
    std::optional<ScopedSelect> selected_;
};

// A frame's caption band and menu bar are painted on every switch, activation and hover. A new
// bitmap for each costs more under Wine than painting them (its memory is made and touched
// afresh), so one bitmap for them is kept between paints, as large as the largest such area
// asked for so far (Kind::Kept). This frees it.
void ReleaseKeptBuffer();

// A 32-bit top-down DIB section of that size, its pixels at `bits`.
UniqueBitmap TopDownBitmap(HDC dc, int width, int height, void*& bits);

// Draws an icon as DrawIconEx(DI_NORMAL) draws it at that size. The frame draws the same icon
// at the same size on every paint, and DrawIconEx makes memory DCs and scales the icon each
// time: an icon whose drawing a premultiplied bitmap reproduces exactly is kept as one and
// blended from there. Others are drawn by DrawIconEx every time.
void DrawIconSized(HDC dc, int x, int y, HICON icon, int cx, int cy);
// Frees the kept icon bitmaps.
void ReleaseKeptIcons();

// The DC of a whole window, frame included, released when it goes; of the screen for nullptr.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetWindowDC(hwnd)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc()
    {
        if (dc_ != nullptr)
            ReleaseDC(hwnd_, dc_);
    }
    HDC get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

}  // namespace velum
