// A theme's images, read from the files it names beside it and kept as premultiplied pixels for
// the theme's life, and how one is drawn into a part: nine-sliced (corners kept, edges and centre
// stretched or tiled) and blended over what is below by its alpha. Each part is composed once
// for each size and state it is drawn at and kept as a 32-bit DIB section or, opaque, as pixels.
#pragma once

#include <windows.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Handles.h"
#include "ThemeFile.h"
#include "ThemeLoad.h"

namespace velum {

class ArtImage {
public:
    ArtImage(const PartImage& named, const LoadedImage& loaded);
    const PartImage& Named() const { return named_; }
    // Draws state `state` of the strip over `dest` at `dpi` (0: the DC's): the theme's version
    // for the largest DPI not above it, scaled smoothly when it is not for `dpi` itself. Only
    // what the DC's clip box lets through is drawn. With `under`, the part is drawn over that
    // colour, as filling `dest` with it first would.
    void Draw(HDC dc, const RECT& dest, int state, int dpi = 0, std::optional<Color> under = std::nullopt) const;
    // The corners' transparent pixels at `dpi`, for an image that shapes its window.
    CornerCutouts Cutouts(int dpi) const;

private:
    struct Level {
        int dpi = 96;
        PartImage named;  // the cut at this DPI
        Image pixels;
        mutable std::optional<CornerCutouts> cutouts;  // worked out when first asked for, under the lock
    };
    // A part as drawn at one size, state and DPI, the area of it a paint needed: made once and
    // copied at every paint, since blending and stretching through the system cost far more.
    struct Composed {
        const Level* level;
        int state, width, height;
        PixelArea area;
        std::optional<std::uint32_t> under;
        Image pixels;         // opaque ones: copied straight from memory
        UniqueBitmap bitmap;  // the rest: blended from a bitmap
    };
    // What drawing makes and keeps, behind one lock: windows on several threads share the image.
    struct Made {
        std::mutex lock;
        std::vector<std::unique_ptr<Level>> scaled;       // for other DPIs, when first drawn
        std::vector<std::unique_ptr<Composed>> composed;  // most recently used first
    };
    const Level* LevelFor(int dpi) const;  // with made_->lock held
    const Composed* ComposedFor(const Level* level, int state, int width, int height, const PixelArea& area,
                                std::optional<std::uint32_t> under) const;  // with made_->lock held

    PartImage named_;
    std::vector<std::unique_ptr<Level>> levels_;  // 96 DPI first, then the theme's versions
    std::unique_ptr<Made> made_;
};

struct ThemeArtwork {
    std::optional<ArtImage> caption, captionInactive, frame, frameInactive, button, closeHot;
    std::vector<ArtImage> parts;  // Theme::partImages, in its order
};

// Draws the image a style names, if any, from the artwork of the theme in use: `extraState`
// moves further along its strip (a check box's checked states); `under` as for ArtImage::Draw.
// False when there is none.
bool DrawStyleImage(HDC dc, const RECT& dest, ImageRef image, int extraState = 0,
                    std::optional<Color> under = std::nullopt);

// Where text and glyphs go in `part`: inside the content margins of the image the style draws,
// scaled to `dpi`, when it names them; else `otherwise`.
RECT ContentRect(const RECT& part, const Style& style, int dpi, const RECT& otherwise);

// Reads, decodes and checks every image the theme names, relative to `folder`. Whole or nothing:
// on the first image that cannot be used, returns null and sets `error` to
// "FILE:LINE:COLUMN: error: ..." for the key that names it (`shownFile` is the theme file as
// the caller named it, UTF-8).
std::unique_ptr<ThemeArtwork> LoadArtwork(const Theme& theme, const std::wstring& folder, const std::string& shownFile,
                                          std::string& error);

// LoadArtwork through a memory of the last few themes' artwork: a switch back to a theme whose
// image files are as they were (size and time written) reuses its bitmaps instead of reading
// and decoding them again.
std::shared_ptr<const ThemeArtwork> LoadArtworkKept(const Theme& theme, const std::wstring& folder,
                                                    const std::string& shownFile, std::string& error);
// Lets go of the kept artwork (at detach); themes in use keep theirs.
void ForgetKeptArtwork();

}  // namespace velum
