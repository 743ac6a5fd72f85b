#include "ThemeArtwork.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <optional>

#include "AnsiText.h"
#include "Engine.h"
#include "Painter.h"
#include "ThemeResources.h"
#include "ThemeLoad.h"

namespace velum {

namespace {

// Kept compositions per image: the frame needs its band and three edges for each of its two
// states; a part on several windows, one per size it is drawn at.
constexpr std::size_t kKeptComposed = 12;
// A composition larger than this is drawn and let go rather than kept (4 MiB).
constexpr long long kKeptComposedPixels = 1 << 20;

}  // namespace

ArtImage::ArtImage(const PartImage& named, const LoadedImage& loaded) : named_(named), made_(std::make_unique<Made>())
{
    levels_.push_back(std::make_unique<Level>(Level{96, named, loaded.image, std::nullopt}));
    for (const auto& [dpi, image] : loaded.variants)
        levels_.push_back(std::make_unique<Level>(Level{dpi, AtDpi(named, dpi), image, std::nullopt}));
}

const ArtImage::Level* ArtImage::LevelFor(int dpi) const
{
    const Level* best = levels_.front().get();
    for (const auto& level : levels_)
        if (level->dpi <= dpi)
            best = level.get();
    if (best->dpi == dpi)
        return best;
    for (const auto& level : made_->scaled)
        if (level->dpi == dpi)
            return level.get();
    ScaledImage scaled = ScaleImage(best->pixels, best->named, best->dpi, dpi);
    made_->scaled.push_back(
        std::make_unique<Level>(Level{dpi, std::move(scaled.named), std::move(scaled.image), std::nullopt}));
    return made_->scaled.back().get();
}

CornerCutouts ArtImage::Cutouts(int dpi) const
{
    if (!named_.shape)
        return {};
    // Asked at every resize of a shaped window: the pixels are read once per DPI.
    const std::lock_guard<std::mutex> hold(made_->lock);
    const Level* level = LevelFor(dpi);
    if (!level->cutouts)
        level->cutouts = CutoutsOf(level->named, level->pixels);
    return *level->cutouts;
}

const ArtImage::Composed* ArtImage::ComposedFor(const Level* level, int state, int width, int height,
                                                const PixelArea& area, std::optional<std::uint32_t> under) const
{
    std::vector<std::unique_ptr<Composed>>& kept = made_->composed;
    const auto found = std::find_if(kept.begin(), kept.end(), [&](const auto& c) {
        return c->level == level && c->state == state && c->width == width && c->height == height && c->area == area &&
               c->under == under;
    });
    if (found != kept.end()) {
        std::rotate(kept.begin(), found, found + 1);
        return kept.front().get();
    }
    auto made = std::make_unique<Composed>(Composed{level, state, width, height, area, under, {}, {}});
    Image pixels = NineSlice(level->pixels, level->named, state, width, height, area, under);
    if (under || Opaque(pixels)) {
        made->pixels = std::move(pixels);
    } else {
        void* bits = nullptr;
        made->bitmap = TopDownBitmap(nullptr, pixels.width, pixels.height, bits);
        if (!made->bitmap || bits == nullptr)
            return nullptr;
        std::memcpy(bits, pixels.pixels.data(), pixels.pixels.size() * sizeof(pixels.pixels[0]));
    }
    if (kept.size() >= kKeptComposed)
        kept.pop_back();
    kept.insert(kept.begin(), std::move(made));
    return kept.front().get();
}

void ArtImage::Draw(HDC dc, const RECT& dest, int state, int dpi, std::optional<Color> under) const
{
    RECT clip{}, visible{};
    const int clipped = GetClipBox(dc, &clip);
    if (clipped == ERROR)
        clip = dest;  // a DC that cannot tell gets the whole part
    if (clipped == NULLREGION || !IntersectRect(&visible, &dest, &clip))
        return;
    const PixelArea area{visible.left - dest.left, visible.top - dest.top, visible.right - dest.left,
                         visible.bottom - dest.top};
    const std::optional<std::uint32_t> colour =
        under ? std::optional<std::uint32_t>((std::uint32_t{under->r} << 16) | (under->g << 8) | under->b)
              : std::nullopt;
    const std::lock_guard<std::mutex> hold(made_->lock);
    const Level* level = LevelFor(dpi > 0 ? dpi : GetDeviceCaps(dc, LOGPIXELSY));
    const Composed* composed = ComposedFor(level, state, dest.right - dest.left, dest.bottom - dest.top, area, colour);
    if (composed == nullptr)
        return;
    const int w = area.Width(), h = area.Height();
    if (!composed->bitmap) {
        const BITMAPINFO info = TopDownInfo(w, h);
        StretchDIBits(dc, visible.left, visible.top, w, h, 0, 0, w, h, composed->pixels.pixels.data(), &info,
                      DIB_RGB_COLORS, SRCCOPY);
    } else if (UniqueDc source(CreateCompatibleDC(dc)); source) {
        const ScopedSelect selected(source.get(), composed->bitmap.get());
        const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        AlphaBlend(dc, visible.left, visible.top, w, h, source.get(), 0, 0, w, h, blend);
    }
    // Too large to keep: drawn once and let go.
    if (static_cast<long long>(w) * h > kKeptComposedPixels)
        made_->composed.erase(made_->composed.begin());
}

std::unique_ptr<ThemeArtwork> LoadArtwork(const Theme& theme, const std::wstring& folder, const std::string& shownFile,
                                          std::string& error)
{
    ThemeImageSet set = LoadThemeImages(theme, std::filesystem::path(folder), shownFile);
    if (set.error) {
        error = FormatDiagnostic(*set.error);
        return nullptr;
    }
    auto artwork = std::make_unique<ThemeArtwork>();
    const struct {
        const std::optional<PartImage>& named;
        const std::optional<LoadedImage>& decoded;
        std::optional<ArtImage>& image;
    } parts[] = {
        {theme.images.caption, set.caption, artwork->caption},
        {theme.images.captionInactive, set.captionInactive, artwork->captionInactive},
        {theme.images.frame, set.frame, artwork->frame},
        {theme.images.frameInactive, set.frameInactive, artwork->frameInactive},
        {theme.images.button, set.button, artwork->button},
        {theme.images.closeHot, set.closeHot, artwork->closeHot},
    };
    for (const auto& part : parts) {
        if (!part.named || !part.decoded)
            continue;
        part.image.emplace(*part.named, *part.decoded);
    }
    for (std::size_t i = 0; i < set.parts.size() && i < theme.partImages.size(); ++i) {
        artwork->parts.emplace_back(theme.partImages[i], set.parts[i]);
    }
    return artwork;
}

namespace {

struct KeptArtwork {
    std::wstring folder;
    FrameImages images;
    std::vector<PartImage> parts;
    std::vector<std::uint64_t> stamps;  // each file's size and time written, in the order read
    std::shared_ptr<const ThemeArtwork> artwork;
};

std::vector<KeptArtwork>& Kept()
{
    static std::vector<KeptArtwork> kept;
    return kept;
}

// Every image file's size and time written, its DPI versions' too, or nothing when one cannot be
// looked at (loading then reports why).
std::optional<std::vector<std::uint64_t>> Stamps(const Theme& theme, const std::wstring& folder)
{
    // Each file once, though several parts may name it.
    std::vector<const std::string*> paths;
    const auto addPath = [&](const std::string& path) {
        if (std::none_of(paths.begin(), paths.end(), [&](const std::string* p) { return *p == path; }))
            paths.push_back(&path);
    };
    const auto add = [&](const PartImage& image) {
        addPath(image.path);
        for (const ImageVariant& variant : image.variants)
            addPath(variant.path);
    };
    for (const auto* image : {&theme.images.caption, &theme.images.captionInactive, &theme.images.frame,
                              &theme.images.frameInactive, &theme.images.button, &theme.images.closeHot})
        if (*image)
            add(**image);
    for (const PartImage& part : theme.partImages)
        add(part);
    std::vector<std::uint64_t> stamps;
    for (const std::string* relative : paths) {
        const std::wstring path = folder + L"\\" + FromUtf8(*relative);
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
            return std::nullopt;
        stamps.push_back((std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow);
        stamps.push_back((std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                         data.ftLastWriteTime.dwLowDateTime);
    }
    return stamps;
}

}  // namespace

std::shared_ptr<const ThemeArtwork> LoadArtworkKept(const Theme& theme, const std::wstring& folder,
                                                    const std::string& shownFile, std::string& error)
{
    constexpr std::size_t kKept = 3;
    std::vector<KeptArtwork>& kept = Kept();
    const std::optional<std::vector<std::uint64_t>> stamps = Stamps(theme, folder);
    if (stamps) {
        const auto found = std::find_if(kept.begin(), kept.end(), [&](const KeptArtwork& k) {
            return k.folder == folder && k.images == theme.images && k.parts == theme.partImages && k.stamps == *stamps;
        });
        if (found != kept.end()) {
            std::rotate(kept.begin(), found, found + 1);
            return kept.front().artwork;
        }
    }
    std::shared_ptr<const ThemeArtwork> artwork = LoadArtwork(theme, folder, shownFile, error);
    if (!artwork || !stamps)
        return artwork;
    if (kept.size() == kKept)
        kept.pop_back();
    kept.insert(kept.begin(), KeptArtwork{folder, theme.images, theme.partImages, *stamps, artwork});
    return artwork;
}

void ForgetKeptArtwork()
{
    Kept().clear();
}

RECT ContentRect(const RECT& part, const Style& style, int dpi, const RECT& otherwise)
{
    const ThemeResources* theme = CurrentTheme();
    if (!style.image || theme == nullptr || theme->Artwork() == nullptr)
        return otherwise;
    const std::vector<PartImage>& named = theme->Get().partImages;
    const auto index = static_cast<std::size_t>(style.image.index);
    if (index >= named.size() || !named[index].content)
        return otherwise;
    const ImageMargins& m = *named[index].content;
    RECT r{part.left + MulDiv(m.left, dpi, 96), part.top + MulDiv(m.top, dpi, 96),
           part.right - MulDiv(m.right, dpi, 96), part.bottom - MulDiv(m.bottom, dpi, 96)};
    if (r.right < r.left)
        r.right = r.left;
    if (r.bottom < r.top)
        r.bottom = r.top;
    return r;
}

bool DrawStyleImage(HDC dc, const RECT& dest, ImageRef image, int extraState, std::optional<Color> under)
{
    if (!image)
        return false;
    const ThemeResources* theme = CurrentTheme();
    const ThemeArtwork* art = theme != nullptr ? theme->Artwork() : nullptr;
    if (art == nullptr || static_cast<std::size_t>(image.index) >= art->parts.size())
        return false;
    art->parts[static_cast<std::size_t>(image.index)].Draw(dc, dest, image.state + extraState, 0, under);
    return true;
}

}  // namespace velum
