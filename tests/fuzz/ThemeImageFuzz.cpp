// Feeds arbitrary bytes to the image path of a theme: the input is split into a theme file and
// an image file (its first two bytes say where). The theme is parsed; the image bytes are
// decoded, and every image the theme names is checked against them, as the engine does when it
// attaches. Checks: a decoded image is within the caps, holds one pixel per place and colours
// premultiplied by alpha; a cut reported as fitting really fits in one state.
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
