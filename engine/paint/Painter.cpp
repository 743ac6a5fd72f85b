#include "Painter.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "AnsiText.h"

namespace velum {

namespace {

int CALLBACK FaceFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found)
{
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool FaceInstalled(const std::wstring& face)
{
    if (face.empty() || face.size() >= LF_FACESIZE)
        return false;
    // Asking the font system is slow, and theme switches ask about the same few faces.
    static std::map<std::wstring, bool> known;
    if (const auto found = known.find(face); found != known.end())
        return found->second;
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    face.copy(lf.lfFaceName, face.size());
    bool found = false;
    const WindowDc screen(nullptr);
    EnumFontFamiliesExW(screen.get(), &lf, FaceFound, reinterpret_cast<LPARAM>(&found), 0);
    known[face] = found;
    return found;
}

UniqueFont CreateThemeFont(const Font& font, int dpi)
{
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(font.sizePt, dpi, 72);
    lf.lfWeight = font.weight;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    std::wstring chosen = L"Tahoma";
    for (const auto& face : font.faces) {
        const std::wstring wide = FromUtf8(face);
        if (FaceInstalled(wide)) {
            chosen = wide;
            break;
        }
    }
    chosen.copy(lf.lfFaceName, std::min<size_t>(chosen.size(), LF_FACESIZE - 1));
    return UniqueFont(CreateFontIndirectW(&lf));
}

// Fonts are kept across theme switches: Wine realizes each new font object from its file again,
// which costs more than the rest of a switch, and users switch between the same few themes.
std::map<std::string, std::shared_ptr<UniqueFont>>& FontCache()
{
    static std::map<std::string, std::shared_ptr<UniqueFont>> cache;
    return cache;
}

std::shared_ptr<UniqueFont> MakeFont(const Font& font, int dpi)
{
    std::string key = std::to_string(dpi) + "/" + std::to_string(font.sizePt) + "/" + std::to_string(font.weight);
    for (const auto& face : font.faces)
        key += "/" + face;
    auto& cache = FontCache();
    if (const auto found = cache.find(key); found != cache.end())
        return found->second;
    constexpr size_t kKeptFonts = 24;
    if (cache.size() >= kKeptFonts)
        TrimFontCache();
    auto made = std::make_shared<UniqueFont>(CreateThemeFont(font, dpi));
    if (*made)
        cache[key] = made;
    return made;
}

void Line(HDC dc, int x1, int y1, int x2, int y2)
{
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

// Every frame change measures the menu bar's items several times over (Wine's layout of the
// bar, the engine's), each measure a font selected and the text shaped again: sizes are kept
// by font and text. A font is only ever freed by TrimFontCache, which forgets them all, so a
// handle the system gives out again is never taken for the old font.
std::map<std::pair<HFONT, std::wstring>, SIZE>& TextSizes()
{
    static std::map<std::pair<HFONT, std::wstring>, SIZE> sizes;
    return sizes;
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

void TrimFontCache()
{
    auto& cache = FontCache();
    for (auto it = cache.begin(); it != cache.end();)
        it = it->second.use_count() == 1 ? cache.erase(it) : std::next(it);
    TextSizes().clear();
}

SIZE MeasureText(HFONT font, const std::wstring& text)
{
    auto& sizes = TextSizes();
    auto key = std::make_pair(font, text);
    if (const auto found = sizes.find(key); found != sizes.end())
        return found->second;
    static const UniqueDc measuring(CreateCompatibleDC(nullptr));
    ScopedSelect select(measuring.get(), font);
    RECT r{0, 0, 0, 0};
    DrawTextW(measuring.get(), text.empty() ? L" " : text.c_str(), -1, &r, DT_SINGLELINE | DT_CALCRECT);
    const SIZE size{r.right - r.left, r.bottom - r.top};
    // Menus of many items measured in many fonts: the sizes kept stay few.
    constexpr size_t kKeptSizes = 512;
    if (sizes.size() >= kKeptSizes)
        sizes.clear();
    sizes.emplace(std::move(key), size);
    return size;
}

namespace {

// An icon's drawing at one size, as premultiplied pixels (nullptr when they cannot stand for it).
struct KeptIcon {
    HICON icon;
    int cx;
    int cy;
    UniqueBitmap pixels;
};

// Small bitmaps kept between paints, under one lock, with a memory DC to copy them from.
template <class Entry>
struct KeptBitmaps {
    std::mutex lock;
    std::vector<Entry> entries;
    UniqueDc dc;
    HGDIOBJ dcDefaultBitmap = nullptr;

    // The DC to copy from, made on first use; nullptr when it cannot be made. Under the lock.
    HDC Dc()
    {
        if (!dc) {
            dc.reset(CreateCompatibleDC(nullptr));
            if (dc)
                dcDefaultBitmap = GetCurrentObject(dc.get(), OBJ_BITMAP);
        }
        return dc.get();
    }
    // The entry `matches` finds, or the one `make` draws, kept after forgetting them all when
    // `most` are kept already. Under the lock.
    template <class Matches, class Make>
    Entry& FindOrMake(size_t most, Matches matches, Make make)
    {
        if (const auto found = std::find_if(entries.begin(), entries.end(), matches); found != entries.end())
            return *found;
        if (entries.size() >= most)
            Forget();
        entries.push_back(make());
        return entries.back();
    }
    void Release()
    {
        const std::lock_guard<std::mutex> hold(lock);
        Forget();
        dc.reset();
    }

private:
    void Forget()
    {
        if (dc)
            SelectObject(dc.get(), dcDefaultBitmap);
        entries.clear();
    }
};

KeptBitmaps<KeptIcon>& IconsKept()
{
    static KeptBitmaps<KeptIcon> kept;
    return kept;
}

// The icon drawn by DrawIconEx on black gives its premultiplied colour, on white how much of
// the background shows through. A third drawing on grey must match the blend those predict,
// or the icon (one that inverts what lies under it, say) is not kept.
UniqueBitmap PremultipliedIcon(HDC dc, HICON icon, int cx, int cy)
{
    const size_t count = static_cast<size_t>(cx) * static_cast<size_t>(cy);
    constexpr std::uint32_t kBackgrounds[] = {0x000000, 0xFFFFFF, 0x808080};
    std::vector<std::uint32_t> drawn[3];
    for (int i = 0; i < 3; ++i) {
        void* memory = nullptr;
        UniqueBitmap canvas = TopDownBitmap(nullptr, cx, cy, memory);
        auto* bits = static_cast<std::uint32_t*>(memory);
        if (!canvas || bits == nullptr)
            return UniqueBitmap();
        std::fill(bits, bits + count, kBackgrounds[i]);
        {
            ScopedSelect select(dc, canvas.get());
            if (!DrawIconEx(dc, 0, 0, icon, cx, cy, 0, nullptr, DI_NORMAL))
                return UniqueBitmap();
            GdiFlush();
        }
        drawn[i].assign(bits, bits + count);
    }
    void* memory = nullptr;
    UniqueBitmap result = TopDownBitmap(nullptr, cx, cy, memory);
    auto* out = static_cast<std::uint32_t*>(memory);
    if (!result || out == nullptr)
        return UniqueBitmap();
    for (size_t p = 0; p < count; ++p) {
        const auto channel = [&](int image, int shift) { return static_cast<int>((drawn[image][p] >> shift) & 0xFF); };
        const int through = channel(1, 0) - channel(0, 0);
        if (through < 0 || through > 255)
            return UniqueBitmap();
        const int alpha = 255 - through;
        for (int shift : {0, 8, 16}) {
            const int colour = channel(0, shift);
            // The blend AlphaBlend makes of this pixel over grey.
            if (channel(1, shift) - colour != through || colour > alpha ||
                channel(2, shift) != colour + (0x80 * through + 127) / 255)
                return UniqueBitmap();
        }
        out[p] = (drawn[0][p] & 0xFFFFFF) | (static_cast<std::uint32_t>(alpha) << 24);
    }
    return result;
}

struct KeptButton {
    Style style;
    Glyph glyph;
    Color colour;
    int width;
    int height;
    int dpi;
    UniqueBitmap pixels;
};

KeptBitmaps<KeptButton>& ButtonsKept()
{
    static KeptBitmaps<KeptButton> kept;
    return kept;
}

}  // namespace

void PaintGlyphButton(HDC dc, const RECT& r, const Style& style, Glyph glyph, Color c, int dpi)
{
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    if (width <= 0 || height <= 0)
        return;
    auto& kept = ButtonsKept();
    {
        const std::lock_guard<std::mutex> hold(kept.lock);
        if (HDC source = kept.Dc()) {
            // Three buttons in a few states and looks; more than 32 are seldom painted twice.
            const KeptButton& found = kept.FindOrMake(
                32,
                [&](const KeptButton& k) {
                    return k.style == style && k.glyph == glyph && k.colour == c && k.width == width &&
                           k.height == height && k.dpi == dpi;
                },
                [&] {
                    void* bits = nullptr;
                    UniqueBitmap pixels = TopDownBitmap(nullptr, width, height, bits);
                    if (pixels) {
                        // Drawn as on the target, at the origin: fills, outlines and glyph lines
                        // are the same wherever the rectangle lies.
                        SelectObject(source, pixels.get());
                        const int saved = SaveDC(source);
                        const RECT at{0, 0, width, height};
                        PaintStyle(source, at, style);
                        DrawGlyph(source, at, glyph, c, dpi);
                        RestoreDC(source, saved);
                    }
                    return KeptButton{style, glyph, c, width, height, dpi, std::move(pixels)};
                });
            if (found.pixels) {
                SelectObject(source, found.pixels.get());
                if (BitBlt(dc, r.left, r.top, width, height, source, 0, 0, SRCCOPY))
                    return;
            }
        }
    }
    PaintStyle(dc, r, style);
    DrawGlyph(dc, r, glyph, c, dpi);
}

void ReleaseKeptButtons()
{
    ButtonsKept().Release();
}

void DrawIconSized(HDC dc, int x, int y, HICON icon, int cx, int cy)
{
    if (icon == nullptr || cx <= 0 || cy <= 0)
        return;
    auto& kept = IconsKept();
    {
        const std::lock_guard<std::mutex> hold(kept.lock);
        if (HDC source = kept.Dc()) {
            // Programs show few icons; a handle freed and given out again is new to the system.
            const KeptIcon& found = kept.FindOrMake(
                16, [&](const KeptIcon& k) { return k.icon == icon && k.cx == cx && k.cy == cy; },
                [&] {
                    return KeptIcon{icon, cx, cy, PremultipliedIcon(source, icon, cx, cy)};
                });
            if (found.pixels) {
                SelectObject(source, found.pixels.get());
                const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
                if (GdiAlphaBlend(dc, x, y, cx, cy, source, 0, 0, cx, cy, blend))
                    return;
            }
        }
    }
    DrawIconEx(dc, x, y, icon, cx, cy, 0, nullptr, DI_NORMAL);
}

void ReleaseKeptIcons()
{
    IconsKept().Release();
}

UniqueBitmap TopDownBitmap(HDC dc, int width, int height, void*& bits)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
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

COLORREF ToColorRef(Color c)
{
    return RGB(c.r, c.g, c.b);
}

ThemeResources::ThemeResources(Theme theme)
    : theme_(std::move(theme)), popupBrush_(CreateSolidBrush(ToColorRef(theme_.popup.background.from))),
      windowBrush_(CreateSolidBrush(ToColorRef(theme_.window.background.from))), controls_(DeriveControlPalette(theme_))
{
    const Fonts& fonts = FontsFor(ScreenDpi());
    fontsOk_ = *fonts.caption && *fonts.menu && *fonts.popup;
    for (int i = 0; i < kFieldLooks; ++i)
        fieldBrushes_[i].reset(
            CreateSolidBrush(ToColorRef(FieldStyle(controls_.field, static_cast<FieldLook>(i)).background.from)));
}

bool ThemeResources::IsFieldBrush(HBRUSH brush) const
{
    for (const auto& owned : fieldBrushes_)
        if (brush != nullptr && brush == owned.get())
            return true;
    return false;
}

bool ThemeResources::Complete() const
{
    for (const auto& owned : fieldBrushes_)
        if (!owned)
            return false;
    return popupBrush_ && windowBrush_ && fontsOk_;
}

const Style& FieldStyle(const FieldPalette& palette, FieldLook look)
{
    switch (look) {
    case FieldLook::Disabled: return palette.disabled;
    case FieldLook::ReadOnly: return palette.readOnly;
    case FieldLook::Normal: break;
    }
    return palette.normal;
}

ThemeResources::Fonts& ThemeResources::FontsFor(int dpi)
{
    auto found = fonts_.find(dpi);
    if (found != fonts_.end())
        return found->second;
    Fonts& fonts = fonts_[dpi];
    fonts.caption = MakeFont(theme_.captionFont, dpi);
    fonts.menu = MakeFont(theme_.menuFont, dpi);
    fonts.popup = MakeFont(theme_.popupFont, dpi);
    return fonts;
}

HFONT ThemeResources::PopupDefaultFont(int dpi)
{
    Fonts& fonts = FontsFor(dpi);
    if (!fonts.popupDefault) {
        Font bold = theme_.popupFont;
        bold.weight = std::max(bold.weight, 700);
        fonts.popupDefault = MakeFont(bold, dpi);
    }
    // A font that could not be made falls back to the items' own.
    return *fonts.popupDefault ? fonts.popupDefault->get() : fonts.popup->get();
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

void PaintStyle(HDC dc, const RECT& r, const Style& s)
{
    FillWith(dc, r, s.background);
    Outline(dc, r, s.border);
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

namespace {

struct KeptBuffer {
    UniqueDc dc;
    UniqueBitmap bitmap;
    std::optional<ScopedSelect> selected;
    SIZE size{0, 0};
    bool inUse = false;
};

KeptBuffer& Kept()
{
    static KeptBuffer kept;
    return kept;
}

// Larger areas (a caption band across a very wide screen, a bar of many rows) get a bitmap of
// their own rather than growing the kept one past this.
constexpr LONG kKeptPixels = 1 << 18;

// The kept DC with a bitmap of at least `size`, or nullptr when it is busy or cannot be made.
HDC TakeKept(HDC target, SIZE size)
{
    KeptBuffer& kept = Kept();
    if (kept.inUse || size.cx * size.cy > kKeptPixels)
        return nullptr;
    if (!kept.dc || size.cx > kept.size.cx || size.cy > kept.size.cy) {
        const SIZE grown{std::max(size.cx, kept.size.cx), std::max(size.cy, kept.size.cy)};
        if (grown.cx * grown.cy > kKeptPixels)
            return nullptr;
        kept.selected.reset();
        kept.bitmap.reset();
        if (!kept.dc)
            kept.dc.reset(CreateCompatibleDC(target));
        kept.bitmap.reset(CreateCompatibleBitmap(target, grown.cx, grown.cy));
        if (!kept.dc || !kept.bitmap) {
            ReleaseKeptBuffer();
            return nullptr;
        }
        kept.selected.emplace(kept.dc.get(), kept.bitmap.get());
        kept.size = grown;
    }
    kept.inUse = true;
    return kept.dc.get();
}

}  // namespace

void ReleaseKeptBuffer()
{
    KeptBuffer& kept = Kept();
    if (kept.inUse)
        return;
    kept.selected.reset();
    kept.bitmap.reset();
    kept.dc.reset();
    kept.size = {0, 0};
}

BackBuffer::BackBuffer(HDC target, const RECT& area, Kind kind) : target_(target), area_(area)
{
    const SIZE size{std::max(1L, static_cast<LONG>(area.right - area.left)),
                    std::max(1L, static_cast<LONG>(area.bottom - area.top))};
    if (kind == Kind::Kept) {
        dc_ = TakeKept(target, size);
        // The kept DC goes back as it was, so each painter finds the defaults a new DC has.
        if (dc_ != nullptr && (savedState_ = SaveDC(dc_)) == 0) {
            Kept().inUse = false;
            dc_ = nullptr;
        }
    }
    if (dc_ == nullptr) {
        ownDc_.reset(CreateCompatibleDC(target));
        ownBitmap_.reset(CreateCompatibleBitmap(target, size.cx, size.cy));
        if (!ownDc_ || !ownBitmap_)
            return;
        selected_.emplace(ownDc_.get(), ownBitmap_.get());
        dc_ = ownDc_.get();
    }
    SetWindowOrgEx(dc_, area.left, area.top, nullptr);
}

BackBuffer::~BackBuffer()
{
    if (savedState_ != 0) {
        RestoreDC(dc_, savedState_);
        Kept().inUse = false;
    }
}

void BackBuffer::Commit() const
{
    BitBlt(target_, area_.left, area_.top, area_.right - area_.left, area_.bottom - area_.top, dc_, area_.left,
           area_.top, SRCCOPY);
}

}  // namespace velum
