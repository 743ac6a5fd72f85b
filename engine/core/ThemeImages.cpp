#include "ThemeImages.h"

#include <climits>

#define STBI_ONLY_PNG
#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_ASSERT(x) ((void)0)
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
#define STBIR_ASSERT(x) ((void)0)
#define STB_IMAGE_RESIZE_STATIC
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include <stb_image_resize.h>

#include <algorithm>
#include <cmath>

namespace velum {

std::string ImagePathProblem(std::string_view path)
{
    if (path.empty())
        return "no image file named";
    if (path.front() == '/' || path.front() == '\\')
        return "the image path is rooted; name a file in the theme's folder or one below it";
    if (path.size() >= 2 && path[1] == ':')
        return "the image path names a drive; name a file in the theme's folder or one below it";
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find_first_of("/\\", start);
        if (end == std::string_view::npos)
            end = path.size();
        const std::string_view part = path.substr(start, end - start);
        if (part == "..")
            return "the image path leaves the theme's folder ('..')";
        if (part.empty() || part == ".")
            return end == path.size() ? "the image path names a folder, not a file"
                                      : "the image path has an empty or '.' part";
        start = end + 1;
    }
    for (const char c : path)
        if (static_cast<unsigned char>(c) < 0x20 || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' ||
            c == '>' || c == '|')
            return "the image path holds a character file names cannot";
    return {};
}

namespace {

// A PNG's chunks each fit in the file. The decoder sizes its buffer for the data chunks by the
// lengths they claim before it reads them, so a file of a few bytes claiming a chunk of a
// gigabyte would have it ask for that much.
bool PngChunksFit(std::string_view bytes)
{
    static constexpr std::string_view kSignature("\x89PNG\r\n\x1a\n", 8);
    if (bytes.substr(0, 8) != kSignature)
        return true;  // not a PNG: a BMP's sizes are its header's, checked against the caps
    std::size_t at = 8;
    while (at + 8 <= bytes.size()) {
        const auto byte = [&](std::size_t i) {
            return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i]));
        };
        const std::uint32_t length = (byte(at) << 24) | (byte(at + 1) << 16) | (byte(at + 2) << 8) | byte(at + 3);
        // Length, type, data and CRC.
        if (length > bytes.size() - at - 8 || bytes.size() - at - 8 - length < 4)
            return false;
        if (bytes.substr(at + 4, 4) == "IEND")
            return true;
        at += 12 + length;
    }
    return false;
}

}  // namespace

DecodedImage DecodeImage(std::string_view bytes)
{
    if (bytes.size() > kMaxImageFileBytes)
        return {std::nullopt, "the image file is larger than " + std::to_string(kMaxImageFileBytes) + " bytes"};
    if (bytes.size() > INT_MAX)
        return {std::nullopt, "the image file is too large"};
    const auto* data = reinterpret_cast<const stbi_uc*>(bytes.data());
    const int length = static_cast<int>(bytes.size());
    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_memory(data, length, &width, &height, &channels))
        return {std::nullopt, "not a PNG or BMP image, or a damaged one"};
    if (!PngChunksFit(bytes))
        return {std::nullopt, "the image cannot be decoded: a part of it is cut short"};
    if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide)
        return {std::nullopt, "the image is " + std::to_string(width) + "x" + std::to_string(height) +
                                  " pixels; at most " + std::to_string(kMaxImageSide) + " on a side"};
    stbi_uc* rgba = stbi_load_from_memory(data, length, &width, &height, &channels, 4);
    if (rgba == nullptr)
        return {std::nullopt, std::string("the image cannot be decoded: ") + stbi_failure_reason()};
    Image image;
    image.width = width;
    image.height = height;
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    image.pixels.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const stbi_uc* p = rgba + i * 4;
        const std::uint32_t a = p[3];
        const auto premultiply = [a](std::uint32_t c) { return (c * a + 127) / 255; };
        image.pixels[i] = (a << 24) | (premultiply(p[0]) << 16) | (premultiply(p[1]) << 8) | premultiply(p[2]);
    }
    stbi_image_free(rgba);
    return {std::move(image), {}};
}

CornerCutouts CutoutsOf(const PartImage& named, const Image& image)
{
    CornerCutouts c;
    c.size = named.margins;
    const int states = std::max(1, named.states);
    const int w = named.horizontal ? image.width / states : image.width;
    const int h = named.horizontal ? image.height : image.height / states;
    const ImageMargins& m = named.margins;
    if (m.left + m.right > w || m.top + m.bottom > h)
        return c;
    const auto runs = [&](int x0, int y0, int cw, int ch, std::vector<ShapeRun>& out) {
        for (int y = 0; y < ch; ++y) {
            int start = -1;
            for (int x = 0; x <= cw; ++x) {
                const bool clear =
                    x < cw && (image.pixels[static_cast<std::size_t>((y0 + y) * image.width + x0 + x)] >> 24) < 128;
                if (clear && start < 0)
                    start = x;
                else if (!clear && start >= 0) {
                    out.push_back({y, start, x});
                    start = -1;
                }
            }
        }
    };
    runs(0, 0, m.left, m.top, c.topLeft);
    runs(w - m.right, 0, m.right, m.top, c.topRight);
    runs(0, h - m.bottom, m.left, m.bottom, c.bottomLeft);
    runs(w - m.right, h - m.bottom, m.right, m.bottom, c.bottomRight);
    return c;
}

PartImage AtDpi(const PartImage& named, int dpi)
{
    PartImage at = named;
    const auto scale = [dpi](int v) { return static_cast<int>(std::lround(v * dpi / 96.0)); };
    at.margins = {scale(named.margins.left), scale(named.margins.top), scale(named.margins.right),
                  scale(named.margins.bottom)};
    return at;
}

ScaledImage ScaleImage(const Image& image, const PartImage& named, int fromDpi, int toDpi)
{
    ScaledImage out;
    const int states = std::max(1, named.states);
    const int w = named.horizontal ? image.width / states : image.width;
    const int h = named.horizontal ? image.height : image.height / states;
    const double factor = static_cast<double>(toDpi) / fromDpi;
    const auto scale = [factor](int v) { return static_cast<int>(std::lround(v * factor)); };
    const int sw = std::max(1, scale(w)), sh = std::max(1, scale(h));
    out.named = named;
    ImageMargins& m = out.named.margins;
    m = {scale(named.margins.left), scale(named.margins.top), scale(named.margins.right), scale(named.margins.bottom)};
    // Rounding may not push the margins past the cell.
    m.right = std::min(m.right, std::max(0, sw - m.left));
    m.bottom = std::min(m.bottom, std::max(0, sh - m.top));
    out.image.width = named.horizontal ? sw * states : sw;
    out.image.height = named.horizontal ? sh : sh * states;
    out.image.pixels.assign(static_cast<std::size_t>(out.image.width) * static_cast<std::size_t>(out.image.height), 0);
    // Each of the nine cells of each state on its own, so that no corner bleeds into an edge
    // and no state into the next. Premultiplied pixels filter channel by channel alike.
    const ImageMargins& from = named.margins;
    const int fromX[4] = {0, from.left, w - from.right, w}, toX[4] = {0, m.left, sw - m.right, sw};
    const int fromY[4] = {0, from.top, h - from.bottom, h}, toY[4] = {0, m.top, sh - m.bottom, sh};
    for (int s = 0; s < states; ++s) {
        const int ox = named.horizontal ? s * w : 0, oy = named.horizontal ? 0 : s * h;
        const int dx = named.horizontal ? s * sw : 0, dy = named.horizontal ? 0 : s * sh;
        for (int row = 0; row < 3; ++row)
            for (int column = 0; column < 3; ++column) {
                const int cw = fromX[column + 1] - fromX[column], ch = fromY[row + 1] - fromY[row];
                const int tw = toX[column + 1] - toX[column], th = toY[row + 1] - toY[row];
                if (cw <= 0 || ch <= 0 || tw <= 0 || th <= 0)
                    continue;
                const auto at = [](const Image& i, int x, int y) {
                    return static_cast<std::size_t>(y) * static_cast<std::size_t>(i.width) +
                           static_cast<std::size_t>(x);
                };
                const auto* source = reinterpret_cast<const unsigned char*>(
                    image.pixels.data() + at(image, ox + fromX[column], oy + fromY[row]));
                auto* target = reinterpret_cast<unsigned char*>(out.image.pixels.data() +
                                                                at(out.image, dx + toX[column], dy + toY[row]));
                stbir_resize_uint8(source, cw, ch, image.width * 4, target, tw, th, out.image.width * 4, 4);
            }
    }
    return out;
}

namespace {

// One axis of a nine-slice: for each part pixel in [from, to), the image pixel it shows, or -1
// where its cell has no pixels in the image.
std::vector<int> SliceAxis(int partSize, int origin, int stateSize, int first, int last, bool tile, int from, int to)
{
    // Margins wider than the part shrink in proportion.
    int outFirst = first, outLast = last;
    if (first + last > partSize && first + last > 0) {
        outFirst = partSize * first / (first + last);
        outLast = partSize - outFirst;
    }
    const int sourceStart[3] = {0, first, stateSize - last};
    const int sourceSize[3] = {first, stateSize - first - last, last};
    const int partStart[3] = {0, outFirst, partSize - outLast};
    const int partSizes[3] = {outFirst, partSize - outFirst - outLast, outLast};
    std::vector<int> map(static_cast<std::size_t>(std::max(0, to - from)), -1);
    int cell = 0;
    for (int at = from; at < to; ++at) {
        while (cell < 2 && at >= partStart[cell] + partSizes[cell])
            ++cell;
        const int offset = at - partStart[cell];
        const int size = sourceSize[cell], span = partSizes[cell];
        if (size <= 0 || span <= 0)
            continue;
        // The corners keep their size: only the middle cell repeats.
        const int source = tile && cell == 1
                               ? offset % size
                               : static_cast<int>((2 * static_cast<long long>(offset) + 1) * size / (2 * span));
        map[static_cast<std::size_t>(at - from)] = origin + sourceStart[cell] + std::clamp(source, 0, size - 1);
    }
    return map;
}

}  // namespace

Image NineSlice(const Image& image, const PartImage& named, int state, int width, int height, PixelArea area,
                std::optional<std::uint32_t> under)
{
    area.x0 = std::clamp(area.x0, 0, std::max(0, width));
    area.x1 = std::clamp(area.x1, area.x0, std::max(0, width));
    area.y0 = std::clamp(area.y0, 0, std::max(0, height));
    area.y1 = std::clamp(area.y1, area.y0, std::max(0, height));
    Image out{area.Width(), area.Height(), {}};
    out.pixels.assign(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height),
                      under ? 0xFF000000u | *under : 0u);
    const int states = std::max(1, named.states);
    const int w = named.horizontal ? image.width / states : image.width;
    const int h = named.horizontal ? image.height : image.height / states;
    const ImageMargins& m = named.margins;
    if (out.pixels.empty() || w <= 0 || h <= 0 || m.left + m.right > w || m.top + m.bottom > h ||
        image.pixels.size() < static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height))
        return out;
    if (state < 0 || state >= states)
        state = 0;
    const std::vector<int> columns =
        SliceAxis(width, named.horizontal ? state * w : 0, w, m.left, m.right, named.tile, area.x0, area.x1);
    const std::vector<int> rows =
        SliceAxis(height, named.horizontal ? 0 : state * h, h, m.top, m.bottom, named.tile, area.y0, area.y1);
    std::uint32_t* target = out.pixels.data();
    for (const int row : rows) {
        if (row < 0) {
            target += out.width;
            continue;
        }
        const std::uint32_t* source =
            image.pixels.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(image.width);
        for (const int column : columns) {
            if (column >= 0) {
                const std::uint32_t p = source[column];
                const std::uint32_t a = p >> 24;
                if (!under || a == 255) {
                    *target = p;
                } else if (a != 0) {
                    // Source over: as the system blends premultiplied pixels.
                    const std::uint32_t d = *target;
                    const auto channel = [&](int shift) {
                        const std::uint32_t s = (p >> shift) & 0xFF, b = (d >> shift) & 0xFF;
                        return std::min(255u, s + (b * (255 - a) + 127) / 255) << shift;
                    };
                    *target = 0xFF000000u | channel(16) | channel(8) | channel(0);
                }
            }
            ++target;
        }
    }
    return out;
}

bool Opaque(const Image& image)
{
    return std::all_of(image.pixels.begin(), image.pixels.end(), [](std::uint32_t p) { return (p >> 24) == 255; });
}

std::string ImageFitProblem(const PartImage& named, const Image& image)
{
    const int along = named.horizontal ? image.width : image.height;
    if (named.states < 1 || along % named.states != 0)
        return "the image's " + std::to_string(along) + " pixels " + (named.horizontal ? "across" : "down") +
               " do not divide into " + std::to_string(named.states) + " states";
    const int width = named.horizontal ? image.width / named.states : image.width;
    const int height = named.horizontal ? image.height : image.height / named.states;
    const ImageMargins& m = named.margins;
    if (m.left + m.right > width || m.top + m.bottom > height)
        return "the sizing margins (" + std::to_string(m.left) + " " + std::to_string(m.top) + " " +
               std::to_string(m.right) + " " + std::to_string(m.bottom) + ") do not fit in one state of " +
               std::to_string(width) + "x" + std::to_string(height) + " pixels";
    return {};
}

}  // namespace velum
