// A theme's images, read from the files it names beside it and kept as premultiplied 32-bit DIB
// sections for the theme's life, and how one is drawn into a part: nine-sliced (corners kept,
// edges and centre stretched or tiled) and blended over what is below by its alpha.
#pragma once

#include <windows.h>

#include <memory>
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
    bool Ok() const;
    const PartImage& Named() const { return named_; }
    // Draws state `state` of the strip over `dest` at `dpi` (0: the DC's): the theme's version
    // for the largest DPI not above it, scaled smoothly when it is not for `dpi` itself.
    void Draw(HDC dc, const RECT& dest, int state, int dpi = 0) const;
    // The corners' transparent pixels at `dpi`, for an image that shapes its window.
    CornerCutouts Cutouts(int dpi) const;

private:
    struct Level {
        int dpi = 96;
        PartImage named;  // the cut at this DPI
        int width = 0, height = 0;
        UniqueBitmap bitmap;
        void* bits = nullptr;
        mutable std::optional<CornerCutouts> cutouts;  // worked out when first asked for
    };
    static std::unique_ptr<Level> Make(int dpi, const PartImage& named, const Image& image);
    static Image PixelsOf(const Level& level);
    const Level* LevelFor(int dpi) const;

    PartImage named_;
    std::vector<std::unique_ptr<Level>> levels_;          // 96 DPI first, then the theme's versions
    mutable std::vector<std::unique_ptr<Level>> scaled_;  // made for other DPIs when first drawn
};

struct ThemeArtwork {
    std::optional<ArtImage> caption, captionInactive, frame, frameInactive, button, closeHot;
    std::vector<ArtImage> parts;  // Theme::partImages, in its order
};

// Draws the image a style names, if any, from the artwork of the theme in use: `extraState`
// moves further along its strip (a check box's checked states). False when there is none.
bool DrawStyleImage(HDC dc, const RECT& dest, ImageRef image, int extraState = 0);

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
