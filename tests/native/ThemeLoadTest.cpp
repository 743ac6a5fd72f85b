#include "ThemeLoad.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace velum {
namespace {

// Hands out `file` in pieces of at most `chunk` bytes, noting how far into it it was asked to read.
struct PieceReader {
    std::string file;
    std::size_t chunk;
    std::size_t failAt = SIZE_MAX;  // fail once this many bytes were handed out
    std::size_t given = 0;
    std::size_t reach = 0;

    ChunkReader Reader()
    {
        return [this](char* buffer, std::size_t size) -> std::optional<std::size_t> {
            reach = std::max(reach, given + size);
            if (given >= failAt)
                return std::nullopt;
            const std::size_t n = std::min({size, chunk, file.size() - given});
            std::copy_n(file.data() + given, n, buffer);
            given += n;
            return n;
        };
    }
};

TEST(ReadCapped, ReadsWholeFilesUpToTheCapInAnyPieces)
{
    const std::size_t cap = kMaxThemeFileBytes;
    const struct {
        std::size_t size;
        std::size_t chunk;
        ReadStatus expected;
    } cases[] = {
        {0, 4096, ReadStatus::Ok},
        {1, 1, ReadStatus::Ok},
        {65536, 65536, ReadStatus::Ok},  // exactly the first buffer
        {65537, 4096, ReadStatus::Ok},   // one byte into the second
        {cap, 7, ReadStatus::Ok},
        {cap, SIZE_MAX, ReadStatus::Ok},
        {cap + 1, SIZE_MAX, ReadStatus::TooLarge},
        {cap + 1, 3, ReadStatus::TooLarge},
        {3 * cap, SIZE_MAX, ReadStatus::TooLarge},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.size) + " bytes in pieces of " + std::to_string(c.chunk));
        PieceReader file{std::string(c.size, 'x'), c.chunk};
        for (std::size_t i = 0; i < c.size; i += 4099)
            file.file[i] = static_cast<char>('a' + i % 26);  // so a misplaced piece shows
        std::string bytes = "stale";
        EXPECT_EQ(ReadCapped(file.Reader(), bytes), c.expected);
        EXPECT_EQ(bytes, c.expected == ReadStatus::Ok ? file.file : "");
        EXPECT_LE(file.reach, cap + 1);
    }
}

TEST(ReadCapped, AFailedOrOverclaimingReadIsAFailure)
{
    PieceReader failing{std::string(100000, 'x'), 4096, 8192};
    std::string bytes = "stale";
    EXPECT_EQ(ReadCapped(failing.Reader(), bytes), ReadStatus::Failed);
    EXPECT_EQ(bytes, "");
    const ChunkReader liar = [](char*, std::size_t size) -> std::optional<std::size_t> { return size + 1; };
    EXPECT_EQ(ReadCapped(liar, bytes), ReadStatus::Failed);
}

std::string Marked(std::string_view utf8)
{
    return "<" + std::string(utf8) + ">";
}

TEST(ParseForAttach, StatusAndErrorText)
{
    const std::string schemes = "[Caption]\n[A:Caption]\n[B:Caption]\n[C:Caption]\n[D:Caption]\n[Fifth:Caption]\n";
    const struct {
        const char* what;
        std::string bytes;
        const char* scheme;
        LoadStatus expected;
        std::string error;
    } cases[] = {
        {"default scheme", schemes, "", LoadStatus::Ok, ""},
        {"fifth scheme", schemes, "Fifth", LoadStatus::Ok, ""},
        {"fifth scheme, other case", schemes, "fIFTH", LoadStatus::Ok, ""},
        {"no such scheme", schemes, "Sixth", LoadStatus::NoSuchScheme,
         "C:\\t.vlm: the theme has no scheme named \"Sixth\""},
        {"broken base", "[Caption]\ntext = red\n[Dark:Caption]\n", "", LoadStatus::Broken,
         "<t.vlm:2:8: error: expected a colour like #RRGGBB, found 'red'>"},
        {"broken scheme that exists", "[Caption]\n[Dark:Caption]\ntext = red\n", "DARK", LoadStatus::Broken,
         "<t.vlm:3:8: error: expected a colour like #RRGGBB, found 'red'>"},
        {"one byte too many", std::string(kMaxThemeFileBytes + 1, '\n'), "", LoadStatus::TooLarge,
         "C:\\t.vlm: the theme file is larger than 1048576 bytes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const LoadedTheme loaded = ParseForAttach(c.bytes, "C:\\t.vlm", "t.vlm", c.scheme, Marked);
        EXPECT_EQ(loaded.status, c.expected);
        EXPECT_EQ(loaded.theme.has_value(), c.expected == LoadStatus::Ok);
        EXPECT_EQ(loaded.error, c.error);
    }
}

// Every parse through the kept themes gives what a fresh parse of the same bytes, path and
// scheme gives, whatever was parsed before: edits, other schemes and paths, failures, eviction.
TEST(ParsedThemes, GiveWhatAFreshParseGives)
{
    const auto file = [](int captionHeight, const char* darkText = "#EEEEEE") {
        return "[Metrics]\ncaption-height = " + std::to_string(captionHeight) + "\n[Window]\nbackground = #F0F0F0\n" +
               "[Dark:Window]\nbackground = #202020\ntext = " + darkText + "\n";
    };
    const std::string big = file(40) + std::string(64 * 1024, '\n');
    const struct {
        std::string bytes;
        const char* path;
        const char* scheme;
    } steps[] = {
        {file(28), "a.vlm", ""},
        {file(28), "a.vlm", "Dark"},
        {file(28), "a.vlm", ""},
        {file(30), "a.vlm", ""},
        {file(28), "a.vlm", ""},
        {file(28), "b.vlm", ""},
        {file(28), "a.vlm", "dark"},
        {file(28, "red"), "a.vlm", "Dark"},
        {file(28, "red"), "a.vlm", "Dark"},
        {file(28), "a.vlm", "Dusk"},
        {file(31), "c.vlm", ""},
        {file(32), "d.vlm", ""},
        {file(33), "e.vlm", ""},
        {file(28), "a.vlm", ""},
        {file(28), "a.vlm", "Dark"},
        {big, "f.vlm", ""},
        {big + " ", "f.vlm", ""},
        {big, "f.vlm", ""},
    };
    ParsedThemes kept;
    int step = 0;
    for (const auto& s : steps) {
        SCOPED_TRACE(step++);
        const LoadedTheme fresh = ParseForAttach(s.bytes, "C:\\t.vlm", s.path, s.scheme, Marked);
        const LoadedTheme got = kept.Parse(s.bytes, "C:\\t.vlm", s.path, s.scheme, Marked);
        EXPECT_EQ(got.status, fresh.status);
        EXPECT_EQ(got.error, fresh.error);
        ASSERT_EQ(got.theme.has_value(), fresh.theme.has_value());
        if (fresh.theme)
            EXPECT_TRUE(*got.theme == *fresh.theme);
    }
}

TEST(ParsedThemes, SettleOnlyWhenTheLastWriteIsOldEnough)
{
    constexpr std::int64_t now = 1'000'000'000'000;
    const struct {
        std::int64_t written;
        bool settled;
    } cases[] = {
        {now - kSettledTime - 1, true},  {now - kSettledTime, true},
        {now - kSettledTime + 1, false}, {now, false},
        {now + 10'000'000, false},       {0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.written);
        EXPECT_EQ(Settled(FileStamp{100, 0, c.written}, now), c.settled);
    }
}

// A parse is recalled without reading the file only by the stamp the file had, settled, when it
// was read: any other stamp, path or scheme, a read of an unsettled file since, a failed parse
// or eviction each leave it to a fresh read.
TEST(ParsedThemes, RecallAFileOnlyByTheStampItSettledWith)
{
    const auto file = [](int captionHeight) {
        return "[Metrics]\ncaption-height = " + std::to_string(captionHeight) +
               "\n[Dark:Window]\nbackground = #202020\n";
    };
    const FileStamp a{120, 5, 700};
    const auto captionOf = [](const std::optional<Theme>& t) { return t ? t->metrics.captionHeight : -1; };

    ParsedThemes kept;
    ASSERT_TRUE(kept.Parse(file(28), "C:\\a.vlm", "a.vlm", "", Marked, a).theme);
    ASSERT_TRUE(kept.Parse(file(28), "C:\\a.vlm", "a.vlm", "Dark", Marked, a).theme);
    const struct {
        const char* what;
        const char* path;
        const char* scheme;
        FileStamp stamp;
        int caption;  // -1: nothing recalled
    } cases[] = {
        {"same file, same stamp", "a.vlm", "", a, 28},          {"its other scheme", "a.vlm", "Dark", a, 28},
        {"a scheme spelled otherwise", "a.vlm", "dark", a, -1}, {"one byte longer", "a.vlm", "", {121, 5, 700}, -1},
        {"written later", "a.vlm", "", {120, 5, 701}, -1},      {"made again", "a.vlm", "", {120, 6, 700}, -1},
        {"another file with that stamp", "b.vlm", "", a, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(captionOf(kept.Recall(c.path, c.scheme, c.stamp)), c.caption);
    }

    // The same bytes read again before the file settled: the stamp no longer vouches for them.
    ASSERT_TRUE(kept.Parse(file(28), "C:\\a.vlm", "a.vlm", "", Marked, std::nullopt).theme);
    EXPECT_EQ(captionOf(kept.Recall("a.vlm", "", a)), -1);
    EXPECT_EQ(captionOf(kept.Recall("a.vlm", "Dark", a)), 28);

    // Edited: the new bytes under their own stamp, the old stamp gives the old parse no more
    // than the file could go back to it.
    const FileStamp edited{121, 5, 900};
    ASSERT_TRUE(kept.Parse(file(30), "C:\\a.vlm", "a.vlm", "", Marked, edited).theme);
    EXPECT_EQ(captionOf(kept.Recall("a.vlm", "", edited)), 30);

    // A broken file is never kept, so never recalled.
    const FileStamp broken{3, 5, 950};
    EXPECT_FALSE(kept.Parse("[Metrics", "C:\\a.vlm", "a.vlm", "", Marked, broken).theme);
    EXPECT_EQ(captionOf(kept.Recall("a.vlm", "", broken)), -1);

    // Four other files push the first ones out.
    for (int i = 0; i < 4; ++i) {
        const std::string path = "o" + std::to_string(i) + ".vlm";
        ASSERT_TRUE(kept.Parse(file(40 + i), "C:\\o.vlm", path, "", Marked, FileStamp{9, 9, i}).theme);
    }
    EXPECT_EQ(captionOf(kept.Recall("a.vlm", "", edited)), -1);
    EXPECT_EQ(captionOf(kept.Recall("o3.vlm", "", FileStamp{9, 9, 3})), 43);
}

TEST(CopyErrorText, CutsToTheBufferAndAlwaysEndsIt)
{
    const std::string text = "t.vlm: no";  // 9 bytes
    const struct {
        int size;
        std::string expected;  // the whole buffer of 12 bytes afterwards; '#' is untouched
    } cases[] = {
        {-1, "############"},
        {0, "############"},
        {1, std::string(1, '\0') + "###########"},
        {4, std::string("t.v\0", 4) + "########"},
        {9, std::string("t.vlm: n\0", 9) + "###"},
        {10, std::string("t.vlm: no\0", 10) + "##"},
        {12, std::string("t.vlm: no\0", 10) + "##"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        std::string buffer(12, '#');
        EXPECT_EQ(CopyErrorText(text, buffer.data(), c.size), 9);
        EXPECT_EQ(buffer, c.expected);
    }
    EXPECT_EQ(CopyErrorText(text, nullptr, 100), 9);
    EXPECT_EQ(CopyErrorText("", nullptr, 0), 0);
    // In wide characters, counted as characters.
    std::wstring wide(6, L'#');
    EXPECT_EQ(CopyErrorText(std::wstring_view(L"t.vlm: no"), wide.data(), 4), 9);
    EXPECT_EQ(wide, std::wstring(L"t.v\0##", 6));
}

}  // namespace
}  // namespace velum
