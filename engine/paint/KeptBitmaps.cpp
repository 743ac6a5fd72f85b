#include "KeptBitmaps.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace velum {

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
    // An image belongs to the theme in use, which the kept pixels would outlive.
    if (style.image) {
        PaintStyle(dc, r, style);
        DrawGlyph(dc, r, glyph, c, dpi);
        return;
    }
    auto& kept = ButtonsKept();
    {
        const std::lock_guard<std::mutex> hold(kept.lock);
        if (HDC source = kept.Dc()) {
            // Three buttons in a few states and looks; more than 32 are seldom painted twice.
            const KeptButton& found = kept.FindOrMake(
                32,
                [&](const KeptButton& button) {
                    return button.style == style && button.glyph == glyph && button.colour == c &&
                           button.width == width && button.height == height && button.dpi == dpi;
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
                16, [&](const KeptIcon& shown) { return shown.icon == icon && shown.cx == cx && shown.cy == cy; },
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

}  // namespace velum
