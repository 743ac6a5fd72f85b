#include "ThemeLoad.h"

#include <fstream>

#include <algorithm>
#include <climits>
#include <cstring>
#include <fstream>
#include <vector>

#include "ThemeText.h"

namespace velum {

ReadStatus ReadCapped(const ChunkReader& read, std::string& bytes)
{
    constexpr std::size_t kLimit = kMaxThemeFileBytes + 1;
    constexpr std::size_t kFirstChunk = 64 * 1024;  // most themes fit: no megabyte per switch
    bytes.clear();
    std::string got;
    std::size_t filled = 0;
    for (;;) {
        if (filled == got.size()) {
            if (got.size() == kLimit)
                break;
            got.resize(std::min(kLimit, std::max(kFirstChunk, got.size() * 2)));
        }
        const std::optional<std::size_t> n = read(got.data() + filled, got.size() - filled);
        if (!n)
            return ReadStatus::Failed;
        if (*n == 0)
            break;
        // A reader that claims more than it was offered is broken; trusting it would overrun.
        if (*n > got.size() - filled)
            return ReadStatus::Failed;
        filled += *n;
    }
    if (filled > kMaxThemeFileBytes)
        return ReadStatus::TooLarge;
    got.resize(filled);
    bytes = std::move(got);
    return ReadStatus::Ok;
}

std::string TooLargeText(std::string_view shownPath)
{
    return std::string(shownPath) + ": the theme file is larger than " + std::to_string(kMaxThemeFileBytes) + " bytes";
}

bool Settled(const FileStamp& stamp, std::int64_t now)
{
    return stamp.written <= now - kSettledTime;
}

LoadedTheme ParsedThemes::Parse(std::string_view bytes, std::string_view shownPath, std::string_view utf8Path,
                                std::string_view scheme, TextConverter convert, std::optional<FileStamp> stamp)
{
    const auto found = std::find_if(kept_.begin(), kept_.end(), [&](const Kept& k) {
        return k.bytes == bytes && k.utf8Path == utf8Path && k.scheme == scheme;
    });
    if (found != kept_.end()) {
        found->stamp = stamp;
        std::rotate(kept_.begin(), found, found + 1);
        LoadedTheme out;
        out.theme = kept_.front().theme;
        return out;
    }
    LoadedTheme loaded = ParseForAttach(bytes, shownPath, utf8Path, scheme, convert);
    if (loaded.theme && bytes.size() <= kKeptBytes) {
        if (kept_.size() == kKept)
            kept_.pop_back();
        kept_.insert(kept_.begin(),
                     Kept{std::string(bytes), std::string(utf8Path), std::string(scheme), stamp, *loaded.theme});
    }
    return loaded;
}

std::optional<Theme> ParsedThemes::Recall(std::string_view utf8Path, std::string_view scheme, const FileStamp& stamp)
{
    const auto found = std::find_if(kept_.begin(), kept_.end(), [&](const Kept& k) {
        return k.stamp && *k.stamp == stamp && k.utf8Path == utf8Path && k.scheme == scheme;
    });
    if (found == kept_.end())
        return std::nullopt;
    std::rotate(kept_.begin(), found, found + 1);
    return kept_.front().theme;
}

bool SameSchemeName(std::string_view a, std::string_view b)
{
    return parse::EqualsIgnoreCase(a, b);
}

LoadedTheme ParseForAttach(std::string_view bytes, std::string_view shownPath, std::string_view utf8Path,
                           std::string_view scheme, TextConverter convert)
{
    LoadedTheme out;
    if (bytes.size() > kMaxThemeFileBytes) {
        out.status = LoadStatus::TooLarge;
        out.error = TooLargeText(shownPath);
        return out;
    }
    ParseResult parsed = ParseTheme(bytes, utf8Path, scheme);
    if (parsed.theme) {
        out.theme = std::move(parsed.theme);
        return out;
    }
    // A scheme the file never defines gets its own code, so a caller can fall back to the default.
    if (!scheme.empty()) {
        const std::vector<std::string> schemes = ListThemeSchemes(bytes);
        if (std::none_of(schemes.begin(), schemes.end(),
                         [&](const std::string& s) { return SameSchemeName(s, scheme); })) {
            out.status = LoadStatus::NoSuchScheme;
            out.error = std::string(shownPath) + ": the theme has no scheme named \"" + std::string(scheme) + "\"";
            return out;
        }
    }
    out.status = LoadStatus::Broken;
    const auto firstError = std::find_if(parsed.diagnostics.begin(), parsed.diagnostics.end(),
                                         [](const Diagnostic& d) { return d.severity == Severity::Error; });
    if (firstError != parsed.diagnostics.end())
        out.error = convert(FormatDiagnostic(*firstError));
    if (out.error.empty())
        out.error = std::string(shownPath) + ": not a usable theme file";
    return out;
}

namespace {

// The whole file, or why not.
std::string ReadImageFile(const std::filesystem::path& path, std::string& bytes)
{
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        return "is a folder, not an image";
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::filesystem::exists(path, ec) ? "cannot open the image" : "cannot open the image: no such file";
    // Sized from the file, not the cap: a buffer of the cap for every image made loading a theme
    // of twenty small images take a fifth of a second.
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || !in.seekg(0, std::ios::beg))
        return "cannot read the image";
    if (static_cast<std::uintmax_t>(size) > kMaxImageFileBytes)
        return "the image file is larger than " + std::to_string(kMaxImageFileBytes) + " bytes";
    bytes.resize(static_cast<std::size_t>(size));
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad() || static_cast<std::size_t>(in.gcount()) != bytes.size())
        return "cannot read the image";
    return {};
}

template <class Char>
int CopyText(std::basic_string_view<Char> text, Char* buffer, int size)
{
    const std::size_t length = std::min<std::size_t>(text.size(), INT_MAX);
    if (buffer != nullptr && size > 0) {
        const std::size_t n = std::min(length, static_cast<std::size_t>(size) - 1);
        if (n > 0)
            std::memcpy(buffer, text.data(), n * sizeof(Char));
        buffer[n] = Char{};
    }
    return static_cast<int>(length);
}

}  // namespace

ThemeImageSet LoadThemeImages(const Theme& theme, const std::filesystem::path& folder, std::string_view fileName)
{
    ThemeImageSet set;
    std::size_t decodedBytes = 0;
    // One file as the cut `named` says, or false with the error at `line` and `column`.
    const auto loadOne = [&](const std::string& path, const PartImage& cut, int line, int column, Image& out) {
        const auto fail = [&](const std::string& why) {
            set.error = Diagnostic{std::string(fileName), line, column, Severity::Error, "'" + path + "': " + why};
            return false;
        };
        std::string bytes;
        // Either separator, on every system.
        std::u8string relative(path.begin(), path.end());
        std::replace(relative.begin(), relative.end(), u8'\\', u8'/');
        if (const std::string problem = ReadImageFile(folder / std::filesystem::path(relative), bytes);
            !problem.empty())
            return fail(problem);
        DecodedImage decoded = DecodeImage(bytes);
        if (!decoded.image)
            return fail(decoded.error);
        if (const std::string problem = ImageFitProblem(cut, *decoded.image); !problem.empty())
            return fail(problem);
        decodedBytes += decoded.image->pixels.size() * sizeof(std::uint32_t);
        if (decodedBytes > kMaxThemeImageBytes)
            return fail("the theme's images take more than " + std::to_string(kMaxThemeImageBytes / (1024 * 1024)) +
                        " MiB decoded");
        out = std::move(*decoded.image);
        return true;
    };
    // The image and its versions for larger DPIs, or false.
    const auto load = [&](const PartImage& named, std::optional<LoadedImage>& out) {
        LoadedImage loaded;
        if (!loadOne(named.path, named, named.line, named.column, loaded.image))
            return false;
        for (const ImageVariant& v : named.variants) {
            Image image;
            if (!loadOne(v.path, AtDpi(named, v.dpi), v.line, v.column, image))
                return false;
            loaded.variants.emplace_back(v.dpi, std::move(image));
        }
        out = std::move(loaded);
        return true;
    };
    const FrameImages& images = theme.images;
    const struct {
        const std::optional<PartImage>& named;
        std::optional<LoadedImage>& image;
    } frameParts[] = {
        {images.caption, set.caption}, {images.captionInactive, set.captionInactive},
        {images.frame, set.frame},     {images.frameInactive, set.frameInactive},
        {images.button, set.button},   {images.closeHot, set.closeHot},
    };
    for (const auto& part : frameParts) {
        if (part.named && !load(*part.named, part.image))
            return set;
    }
    for (const PartImage& named : theme.partImages) {
        std::optional<LoadedImage> image;
        if (!load(named, image))
            return set;
        set.parts.push_back(std::move(*image));
    }
    return set;
}

int CopyErrorText(std::string_view text, char* buffer, int size)
{
    return CopyText(text, buffer, size);
}

int CopyErrorText(std::wstring_view text, wchar_t* buffer, int size)
{
    return CopyText(text, buffer, size);
}

}  // namespace velum
