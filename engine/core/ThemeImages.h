// Artwork a theme file names: how a part's image is cut and drawn (sizing margins, a strip of
// states, stretched or tiled), the checks on the path that names it, and decoding PNG and BMP
// files into premultiplied pixels. Portable, so the unit tests and the fuzzer reach it natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velum {

// Sizing margins in the image's pixels: the corners keep their size, the edges between them and
// the centre are stretched or tiled to the part's size.
struct ImageMargins {
    int left = 0, top = 0, right = 0, bottom = 0;
    friend bool operator==(const ImageMargins&, const ImageMargins&) = default;
};

// A version of an image drawn for a larger DPI: its pixels and margins are the image's at that
// DPI, so the margins are the 96 DPI ones scaled.
struct ImageVariant {
    int dpi = 96;
    std::string path;
    int line = 0, column = 0;
    friend bool operator==(const ImageVariant&, const ImageVariant&) = default;
};

inline constexpr int kMinVariantDpi = 97, kMaxVariantDpi = 480;

struct PartImage {
    std::string path;  // as the file writes it: relative to the theme file's folder
    ImageMargins margins;
    int states = 1;           // a strip of this many states of equal size
    bool horizontal = false;  // the states side by side, not one above the other
    bool tile = false;        // edges and centre repeat rather than stretch
    bool shape = false;       // the window's outline follows the corners' alpha ([Frame] only)
    // Where text and glyphs go inside the part, at 96 DPI; none: where they go without an image.
    std::optional<ImageMargins> content{};
    int line = 0, column = 0;              // where the image key is, for errors
    std::vector<ImageVariant> variants{};  // by rising DPI
    friend bool operator==(const PartImage&, const PartImage&) = default;
};

// Which of a theme's part images a style draws, and which state of its strip; none by default.
struct ImageRef {
    int index = -1;  // into Theme::partImages
    int state = 0;
    explicit operator bool() const { return index >= 0; }
    friend bool operator==(const ImageRef&, const ImageRef&) = default;
};

// Pixels as 0xAARRGGBB with the colour premultiplied by alpha, rows top to bottom.
struct Image {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
};

inline constexpr int kMaxImageSide = 4096;
// All the images of one theme, decoded.
inline constexpr std::size_t kMaxThemeImageBytes = 64u * 1024 * 1024;
// An image file larger than this is refused before it is decoded.
inline constexpr std::size_t kMaxImageFileBytes = 16u * 1024 * 1024;

// Why a path may not name a theme's image, or "" when it may: it must stay inside the theme's
// folder (no "..", drive, rooted or UNC path) and name a file.
std::string ImagePathProblem(std::string_view path);

struct DecodedImage {
    std::optional<Image> image;
    std::string error;  // set when there is no image
};

// Decodes a PNG or BMP file's bytes; larger than kMaxImageSide on a side is an error.
DecodedImage DecodeImage(std::string_view bytes);

// The transparent pixels (alpha below half) of the four corners of an image's first state, as
// runs along each row, relative to each corner's own top left: what a window shaped by its
// frame image leaves out at its corners, which are drawn at their size.
struct ShapeRun {
    int y, x0, x1;  // x1 past the last pixel
    friend bool operator==(const ShapeRun&, const ShapeRun&) = default;
};
struct CornerCutouts {
    ImageMargins size;  // the corners: left and top of the top-left one, and so on
    std::vector<ShapeRun> topLeft, topRight, bottomLeft, bottomRight;
    bool Empty() const { return topLeft.empty() && topRight.empty() && bottomLeft.empty() && bottomRight.empty(); }
    friend bool operator==(const CornerCutouts&, const CornerCutouts&) = default;
};
CornerCutouts CutoutsOf(const PartImage& named, const Image& image);

// The cut of the image's version for `dpi`: the margins scaled from 96 DPI, rounded.
PartImage AtDpi(const PartImage& named, int dpi);

// The image scaled smoothly (each state apart, so no state bleeds into the next) from the DPI
// `fromDpi` its cut is for to `toDpi`, with its cut at that DPI.
struct ScaledImage {
    Image image;
    PartImage named;
};
ScaledImage ScaleImage(const Image& image, const PartImage& named, int fromDpi, int toDpi);

// A rectangle of a part in the part's own pixels: from x0, y0 up to, not including, x1, y1.
struct PixelArea {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    int Width() const { return x1 - x0; }
    int Height() const { return y1 - y0; }
    friend bool operator==(const PixelArea&, const PixelArea&) = default;
};

// The pixels within `area` of a part `width` by `height` drawn from state `state` of `image` as
// `named` cuts it: the corners at their size (shrunk in proportion when the part is smaller than
// the margins), the edges and the centre stretched to the nearest pixel or tiled from the top
// left. Premultiplied like the image; with `under` (0xRRGGBB), blended over that colour and so
// opaque. A state outside the strip draws the first.
Image NineSlice(const Image& image, const PartImage& named, int state, int width, int height, PixelArea area,
                std::optional<std::uint32_t> under = std::nullopt);

// Whether every pixel is fully opaque.
bool Opaque(const Image& image);

// Why the cut a theme names does not fit the image (a strip that does not divide, margins wider or taller
// than one state), or "".
std::string ImageFitProblem(const PartImage& named, const Image& image);

}  // namespace velum
