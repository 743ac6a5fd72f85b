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

// One cell of the nine: where it comes from in the state, where it goes in the part.
struct Cell {
    int sx, sy, sw, sh;
    int dx, dy, dw, dh;
};

// Splits `size` at the two margins, shrinking them in proportion when the part is smaller.
void Split(int size, int first, int last, int& outFirst, int& outLast)
{
    if (first + last <= size || first + last == 0) {
        outFirst = first;
        outLast = last;
        return;
    }
    outFirst = size * first / (first + last);
    outLast = size - outFirst;
}

void Blend(HDC dc, HDC source, const Cell& c)
{
    if (c.sw <= 0 || c.sh <= 0 || c.dw <= 0 || c.dh <= 0)
        return;
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, c.dx, c.dy, c.dw, c.dh, source, c.sx, c.sy, c.sw, c.sh, blend);
}

// The cell repeated at its own size across its place, the last copy cut.
void Tile(HDC dc, HDC source, const Cell& c)
{
    if (c.sw <= 0 || c.sh <= 0)
        return;
    for (int y = 0; y < c.dh; y += c.sh)
        for (int x = 0; x < c.dw; x += c.sw) {
            const int w = std::min(c.sw, c.dw - x), h = std::min(c.sh, c.dh - y);
            Blend(dc, source, {c.sx, c.sy, w, h, c.dx + x, c.dy + y, w, h});
        }
}

}  // namespace

std::unique_ptr<ArtImage::Level> ArtImage::Make(int dpi, const PartImage& named, const Image& image)
{
    auto level = std::make_unique<Level>();
    level->dpi = dpi;
    level->named = named;
    level->width = image.width;
    level->height = image.height;
    level->bitmap = TopDownBitmap(nullptr, image.width, image.height, level->bits);
    if (level->bitmap && level->bits != nullptr)
        std::memcpy(level->bits, image.pixels.data(), image.pixels.size() * sizeof(image.pixels[0]));
    return level;
}

Image ArtImage::PixelsOf(const Level& level)
{
    Image image{level.width, level.height, {}};
    if (level.bits != nullptr) {
        const auto* first = static_cast<const std::uint32_t*>(level.bits);
        image.pixels.assign(first,
                            first + static_cast<std::size_t>(level.width) * static_cast<std::size_t>(level.height));
    }
    return image;
}

ArtImage::ArtImage(const PartImage& named, const LoadedImage& loaded) : named_(named)
{
    levels_.push_back(Make(96, named, loaded.image));
    for (const auto& [dpi, image] : loaded.variants)
        levels_.push_back(Make(dpi, AtDpi(named, dpi), image));
}

bool ArtImage::Ok() const
{
    return std::all_of(levels_.begin(), levels_.end(), [](const auto& l) { return l->bitmap && l->bits != nullptr; });
}

const ArtImage::Level* ArtImage::LevelFor(int dpi) const
{
    const Level* best = levels_.front().get();
    for (const auto& level : levels_)
        if (level->dpi <= dpi)
            best = level.get();
    if (best->dpi == dpi)
        return best;
    for (const auto& level : scaled_)
        if (level->dpi == dpi)
            return level.get();
    const ScaledImage scaled = ScaleImage(PixelsOf(*best), best->named, best->dpi, dpi);
    scaled_.push_back(Make(dpi, scaled.named, scaled.image));
    return scaled_.back()->bitmap ? scaled_.back().get() : best;
}

CornerCutouts ArtImage::Cutouts(int dpi) const
{
    if (!named_.shape)
        return {};
    // Asked at every resize of a shaped window: the pixels are read once per DPI.
    const Level* level = LevelFor(dpi);
    if (!level->cutouts)
        level->cutouts = CutoutsOf(level->named, PixelsOf(*level));
    return *level->cutouts;
}

void ArtImage::Draw(HDC dc, const RECT& dest, int state, int dpi) const
{
    const Level* level = LevelFor(dpi > 0 ? dpi : GetDeviceCaps(dc, LOGPIXELSY));
    if (!level->bitmap)
        return;
    const PartImage& named = level->named;
    const int width = level->width, height = level->height;
    // A strip shorter than the states asked for: the states it lacks look like its first.
    const int states = std::max(1, named.states);
    if (state < 0 || state >= states)
        state = 0;
    const int w = named.horizontal ? width / states : width;
    const int h = named.horizontal ? height : height / states;
    const int ox = named.horizontal ? state * w : 0;
    const int oy = named.horizontal ? 0 : state * h;
    const int dw = dest.right - dest.left, dh = dest.bottom - dest.top;
    if (dw <= 0 || dh <= 0)
        return;
    const ImageMargins& m = named.margins;
    int left = 0, right = 0, top = 0, bottom = 0;
    Split(dw, m.left, m.right, left, right);
    Split(dh, m.top, m.bottom, top, bottom);
    UniqueDc source(CreateCompatibleDC(dc));
    if (!source)
        return;
    const ScopedSelect selected(source.get(), level->bitmap.get());
    // Source and destination columns and rows: margin, middle, margin.
    const int sxs[3] = {ox, ox + m.left, ox + w - m.right};
    const int sws[3] = {m.left, w - m.left - m.right, m.right};
    const int dxs[3] = {dest.left, dest.left + left, dest.right - right};
    const int dws[3] = {left, dw - left - right, right};
    const int sys[3] = {oy, oy + m.top, oy + h - m.bottom};
    const int shs[3] = {m.top, h - m.top - m.bottom, m.bottom};
    const int dys[3] = {dest.top, dest.top + top, dest.bottom - bottom};
    const int dhs[3] = {top, dh - top - bottom, bottom};
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) {
            const Cell cell{sxs[column], sys[row], sws[column], shs[row], dxs[column], dys[row], dws[column], dhs[row]};
            // Corners keep their size; edges and the centre stretch or tile.
            if (named.tile && (row == 1 || column == 1))
                Tile(dc, source.get(), cell);
            else
                Blend(dc, source.get(), cell);
        }
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
    // False, with the error at the key that names it, when an image's bitmaps could not be made.
    const auto made = [&](const ArtImage& image) {
        if (image.Ok())
            return true;
        const PartImage& named = image.Named();
        error = FormatDiagnostic({shownFile, named.line, named.column, Severity::Error,
                                  "'" + named.path + "': cannot make a bitmap of the image"});
        return false;
    };
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
        if (!made(*part.image))
            return nullptr;
    }
    for (std::size_t i = 0; i < set.parts.size() && i < theme.partImages.size(); ++i) {
        artwork->parts.emplace_back(theme.partImages[i], set.parts[i]);
        if (!made(artwork->parts.back()))
            return nullptr;
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

// Every image file's size and time written, or nothing when one cannot be looked at (loading
// then reports why).
std::optional<std::vector<std::uint64_t>> Stamps(const Theme& theme, const std::wstring& folder)
{
    std::vector<const PartImage*> named;
    for (const auto* image : {&theme.images.caption, &theme.images.captionInactive, &theme.images.frame,
                              &theme.images.frameInactive, &theme.images.button, &theme.images.closeHot})
        if (*image)
            named.push_back(&**image);
    for (const PartImage& part : theme.partImages)
        named.push_back(&part);
    std::vector<std::uint64_t> stamps;
    for (const PartImage* image : named) {
        std::wstring path = folder + L"\\" + FromUtf8(image->path);
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

bool DrawStyleImage(HDC dc, const RECT& dest, ImageRef image, int extraState)
{
    if (!image)
        return false;
    const ThemeResources* theme = CurrentTheme();
    const ThemeArtwork* art = theme != nullptr ? theme->Artwork() : nullptr;
    if (art == nullptr || static_cast<std::size_t>(image.index) >= art->parts.size())
        return false;
    art->parts[static_cast<std::size_t>(image.index)].Draw(dc, dest, image.state + extraState);
    return true;
}

}  // namespace velum
