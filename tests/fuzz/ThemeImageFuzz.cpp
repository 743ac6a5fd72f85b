// Feeds arbitrary bytes to the image path of a theme: the input is split into a theme file and
// an image file (its first two bytes say where). The theme is parsed; the image bytes are
// decoded, and every image the theme names is checked against them, as the engine does when it
// attaches. Checks: a decoded image is within the caps, holds one pixel per place and colours
// premultiplied by alpha; a cut reported as fitting really fits in one state, and the part drawn
// from it at any size is that size and premultiplied too.
#include "ThemeFile.h"
#include "ThemeImages.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

namespace {

void Require(bool ok)
{
    if (!ok)
        std::abort();
}

void CheckFit(const std::optional<velum::PartImage>& named, const velum::Image& image)
{
    if (!named)
        return;
    Require(velum::ImagePathProblem(named->path).empty());
    if (!velum::ImageFitProblem(*named, image).empty())
        return;
    const int states = named->states;
    Require(states >= 1);
    const int w = named->horizontal ? image.width / states : image.width;
    const int h = named->horizontal ? image.height : image.height / states;
    Require((named->horizontal ? image.width : image.height) % states == 0);
    Require(named->margins.left + named->margins.right <= w && named->margins.top + named->margins.bottom <= h);
    // Drawn as the engine draws it: larger, smaller than its margins, a part of it, over a
    // colour. Every state, also one past the strip.
    const struct {
        int width, height;
        velum::PixelArea area;
    } parts[] = {{std::min(w + 7, 64), std::min(h + 3, 64), {0, 0, 64, 64}},
                 {1, 1, {0, 0, 1, 1}},
                 {std::max(1, w / 2), std::max(1, h / 2), {0, 0, 64, 64}},
                 {40, 30, {3, 5, 17, 29}}};
    for (int state = 0; state <= states; ++state)
        for (const auto& part : parts)
            for (const bool over : {false, true}) {
                const velum::Image out = velum::NineSlice(image, *named, state, part.width, part.height, part.area,
                                                          over ? std::optional<std::uint32_t>(0x336699) : std::nullopt);
                Require(out.width == std::min(part.area.x1, part.width) - part.area.x0 &&
                        out.height == std::min(part.area.y1, part.height) - part.area.y0);
                Require(out.pixels.size() ==
                        static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height));
                for (const std::uint32_t p : out.pixels) {
                    const std::uint32_t a = p >> 24;
                    Require(((p >> 16) & 0xFF) <= a && ((p >> 8) & 0xFF) <= a && (p & 0xFF) <= a);
                    Require(!over || a == 255);
                }
            }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::size_t split = std::min<std::size_t>(size - 2, (std::size_t{data[0]} << 8) | data[1]);
    const std::string_view rest(reinterpret_cast<const char*>(data) + 2, size - 2);
    const std::string_view themeBytes = rest.substr(0, split);
    const std::string_view imageBytes = rest.substr(split);

    const velum::DecodedImage decoded = velum::DecodeImage(imageBytes);
    Require(decoded.image.has_value() == decoded.error.empty());
    if (!decoded.image)
        return 0;
    const velum::Image& image = *decoded.image;
    Require(image.width >= 1 && image.height >= 1);
    Require(image.width <= velum::kMaxImageSide && image.height <= velum::kMaxImageSide);
    Require(image.pixels.size() == static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height));
    for (const std::uint32_t p : image.pixels) {
        const std::uint32_t a = p >> 24;
        Require(((p >> 16) & 0xFF) <= a && ((p >> 8) & 0xFF) <= a && (p & 0xFF) <= a);
    }
    const velum::ParseResult parsed = velum::ParseTheme(themeBytes, "fuzz.vlm", "");
    if (!parsed.theme)
        return 0;
    const velum::FrameImages& images = parsed.theme->images;
    CheckFit(images.caption, image);
    CheckFit(images.captionInactive, image);
    CheckFit(images.frame, image);
    CheckFit(images.frameInactive, image);
    return 0;
}
