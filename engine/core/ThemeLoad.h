// What the engine does with a theme file between opening it and applying it: the capped read,
// the scheme check, the error text, and the copy of that text into a caller's buffer.
// Portable C++ with no Windows headers, so the unit tests and the fuzzer reach it natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ThemeFile.h"

namespace velum {

// Fills up to `size` bytes at `buffer` and returns how many it wrote, 0 at the end of the file,
// or nothing when the read failed.
using ChunkReader = std::function<std::optional<std::size_t>(char* buffer, std::size_t size)>;

enum class ReadStatus { Ok, TooLarge, Failed };

// Reads a whole theme file through `read`, asking for at most kMaxThemeFileBytes + 1 bytes in
// all: one byte past the limit tells a file too large, whatever size it claimed when opened.
// `bytes` holds the file only when the result is Ok.
ReadStatus ReadCapped(const ChunkReader& read, std::string& bytes);

// The outcome of a load, numbered as the engine's VELUM_* result codes.
enum class LoadStatus { Ok = 0, TooLarge = 2, Broken = 3, NoSuchScheme = 4 };

struct LoadedTheme {
    LoadStatus status = LoadStatus::Ok;
    std::optional<Theme> theme;  // set only when status is Ok
    std::string error;           // the engine's error text; empty when status is Ok
};

// Turns UTF-8 text (a parser diagnostic) into the code page of the engine's error texts.
using TextConverter = std::string (*)(std::string_view utf8);

// "path: the theme file is larger than N bytes"
std::string TooLargeText(std::string_view shownPath);

// Parses the bytes of a file the engine read, with `scheme` as the caller spelled it (any case).
// `shownPath` is the path as the caller gave it, in the error texts' code page; `utf8Path` names
// the file in the parser's diagnostics, whose first error becomes the text through `convert`.
LoadedTheme ParseForAttach(std::string_view bytes, std::string_view shownPath, std::string_view utf8Path,
                           std::string_view scheme, TextConverter convert);

// What the file system tells of a theme file without opening it: its size, and its creation and
// last write times in 100 ns units since any fixed start (the same for `now` below).
struct FileStamp {
    std::uint64_t size = 0;
    std::int64_t created = 0;
    std::int64_t written = 0;
    bool operator==(const FileStamp&) const = default;
};

// A file whose last write lies this long before the moment it is read has settled: a later write
// gives it a later time than the one read, even on a file system that keeps times to 2 seconds.
constexpr std::int64_t kSettledTime = 3 * 10'000'000;

// True when the file with `stamp`, looked at `now`, may be known again by its stamp alone.
bool Settled(const FileStamp& stamp, std::int64_t now);

// The last few themes parsed for attaching. Users switch back and forth between the same few
// files, and a parse is about a tenth of a switch's own work: bytes, path and scheme (as
// spelled) the same as a kept parse's give its theme again; failed parses, and files over
// kKeptBytes, are not kept. Reading the file costs about as much again, so a parse is also
// recalled by path, scheme and stamp alone, when the file had settled when it was read: an
// edited file always has a new stamp, and one written just before it is read is read every time.
class ParsedThemes {
public:
    // `stamp`: the file's stamp taken before its bytes were read, when it had settled then.
    LoadedTheme Parse(std::string_view bytes, std::string_view shownPath, std::string_view utf8Path,
                      std::string_view scheme, TextConverter convert, std::optional<FileStamp> stamp = std::nullopt);
    // The theme of a kept parse of the file at `utf8Path` read with `stamp`, or nothing.
    std::optional<Theme> Recall(std::string_view utf8Path, std::string_view scheme, const FileStamp& stamp);

private:
    struct Kept {
        std::string bytes, utf8Path, scheme;
        std::optional<FileStamp> stamp;
        Theme theme;
    };
    static constexpr std::size_t kKept = 4;
    static constexpr std::size_t kKeptBytes = 64 * 1024;
    std::vector<Kept> kept_;  // the most recently used first
};

// The images a theme names, read from `folder` (the theme file's) and decoded: the frame's in
// the order of FrameImages, then the menus' and controls' in the order of Theme::partImages.
// Whole or nothing: the first image that cannot be used (missing, unreadable, undecodable, over
// the caps, a strip or margins that do not fit) gives `error`, at the line and column of the
// key that names it in `fileName`.
struct LoadedImage {
    Image image;
    std::vector<std::pair<int, Image>> variants;  // by DPI, as PartImage::variants
};
struct ThemeImageSet {
    std::optional<LoadedImage> caption, captionInactive, frame, frameInactive, button, closeHot;
    std::vector<LoadedImage> parts;
    std::optional<Diagnostic> error;
};
ThemeImageSet LoadThemeImages(const Theme& theme, const std::filesystem::path& folder, std::string_view fileName);

// Scheme names compare without regard to ASCII case, as the parser selects them.
bool SameSchemeName(std::string_view a, std::string_view b);

// Copies as much of `text` as fits into `buffer` of `size` bytes, always ending it with a NUL,
// and returns the length of the whole text. A null buffer or a size of 0 or less gets nothing.
int CopyErrorText(std::string_view text, char* buffer, int size);
// The same in wchar_t units.
int CopyErrorText(std::wstring_view text, wchar_t* buffer, int size);

}  // namespace velum
