// Theme images as the portable core sees them: the keys that name and cut them, the paths they
// may take, decoding (premultiplied), and whether a cut fits the image.
#include <gtest/gtest.h>

#include <string>

#include "ThemeFile.h"
#include "ThemeImages.h"
#include "images/PngWriter.h"

namespace velum {
namespace {

TEST(ThemeImages, PathsStayInTheThemesFolder)
{
    const struct {
        const char* path;
        const char* problem;  // "" when allowed
    } cases[] = {
        {"caption.png", ""},
        {"art/caption.png", ""},
        {"art\\dark\\caption.png", ""},
        {"../caption.png", "leaves the theme's folder"},
        {"art/../../x.png", "leaves the theme's folder"},
        {"C:\\themes\\x.png", "names a drive"},
        {"c:x.png", "names a drive"},
        {"/etc/x.png", "rooted"},
        {"\\\\server\\share\\x.png", "rooted"},
        {"art/", "names a folder"},
        {"art//x.png", "empty or '.' part"},
        {"./x.png", "empty or '.' part"},
        {"x?.png", "character file names cannot"},
        {"", "no image file"},
    };
    for (const auto& c : cases) {
        const std::string problem = ImagePathProblem(c.path);
        if (*c.problem == '\0')
            EXPECT_EQ(problem, "") << c.path;
        else
            EXPECT_NE(problem.find(c.problem), std::string::npos) << c.path << ": " << problem;
    }
}

TEST(ThemeImages, DecodesPngIntoPremultipliedPixelsAndRefusesTheRest)
{
    const std::string png = testimages::Png(2, 1, {0xFF102030, 0x80FF0000});
    const DecodedImage decoded = DecodeImage(png);
    ASSERT_TRUE(decoded.image) << decoded.error;
    EXPECT_EQ(decoded.image->width, 2);
    EXPECT_EQ(decoded.image->height, 1);
    EXPECT_EQ(decoded.image->pixels[0], 0xFF102030u);
    EXPECT_EQ(decoded.image->pixels[1], 0x80800000u) << "red at half alpha, premultiplied";

    // A data chunk claiming a gigabyte in a file of a few dozen bytes (found by the fuzzer: the
    // decoder would have asked for that much memory).
    std::string claiming = png;
    const std::size_t idat = claiming.find("IDAT");
    ASSERT_NE(idat, std::string::npos);
    claiming.replace(idat - 4, 4, std::string("\x40\x00\x00\x00", 4));

    const struct {
        const char* what;
        std::string bytes;
        const char* error;
    } broken[] = {
        {"a chunk longer than the file", claiming, "cut short"},
        {"empty", "", "not a PNG or BMP"},
        {"text", "[Caption]\nbackground = #FFFFFF\n", "not a PNG or BMP"},
        {"truncated", png.substr(0, png.size() / 2), "cannot be decoded"},
        {"wider than the cap", testimages::Png(kMaxImageSide + 1, 1, std::vector<std::uint32_t>(kMaxImageSide + 1)),
         "at most 4096 on a side"},
    };
    for (const auto& b : broken) {
        const DecodedImage d = DecodeImage(b.bytes);
        EXPECT_FALSE(d.image) << b.what;
        EXPECT_NE(d.error.find(b.error), std::string::npos) << b.what << ": " << d.error;
    }
}

TEST(ThemeImages, ACutMustFitItsImage)
{
    Image image;
    image.width = 30;
    image.height = 60;
    const struct {
        PartImage named;
        const char* problem;
    } cases[] = {
        {{"a.png", {10, 10, 10, 10}, 3, false}, ""},  // three 30x20 states
        {{"a.png", {15, 0, 15, 0}, 1, false}, ""},    // margins as wide as the image
        {{"a.png", {}, 4, false}, ""},                // four states of 15 rows
        {{"a.png", {}, 7, false}, "do not divide into 7"},
        {{"a.png", {}, 4, true}, "do not divide into 4"},  // 30 columns side by side
        {{"a.png", {16, 0, 15, 0}, 1, false}, "do not fit"},
        {{"a.png", {0, 11, 0, 10}, 3, false}, "do not fit"},  // one state is 20 rows
    };
    for (const auto& c : cases) {
        const std::string problem = ImageFitProblem(c.named, image);
        if (*c.problem == '\0')
            EXPECT_EQ(problem, "") << c.named.states;
        else
            EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
    }
}

TEST(ThemeImages, KeysNameAndCutAPartsImage)
{
    const ParseResult parsed = ParseTheme(R"([Caption]
image = "art/caption bar.png"
image-margins = 8 2 8 3
image-states = 2 vertical
image-fill = tile
[Frame]
image = frame.png
image-margins = 6
[Dark:Frame]
image = dark/frame.png
)",
                                          "t.vlm", "");
    ASSERT_TRUE(parsed.theme);
    const FrameImages& images = parsed.theme->images;
    ASSERT_TRUE(images.caption);
    EXPECT_EQ(images.caption->path, "art/caption bar.png");
    EXPECT_EQ(images.caption->margins, (ImageMargins{8, 2, 8, 3}));
    EXPECT_EQ(images.caption->states, 2);
    EXPECT_TRUE(images.caption->tile);
    EXPECT_EQ(images.caption->line, 2);
    EXPECT_EQ(images.captionInactive, images.caption) << "the inactive caption falls back to the caption's image";
    ASSERT_TRUE(images.frame);
    EXPECT_EQ(images.frame->margins, (ImageMargins{6, 6, 6, 6}));
    EXPECT_FALSE(images.frame->tile);
    EXPECT_EQ(ParseTheme(R"([Frame]
image = frame.png
[Dark:Frame]
image = dark/frame.png
)",
                         "t.vlm", "Dark")
                  .theme->images.frame->path,
              "dark/frame.png");

    const struct {
        const char* text;
        const char* error;
    } broken[] = {
        {"[Caption]\nimage = ../x.png\n", "t.vlm:2:9: error: the image path leaves the theme's folder"},
        {"[Caption]\nimage-margins = 1 2\n", "takes one number, or four"},
        {"[Caption]\nimage-margins = -1\n", "image-margins"},
        {"[Caption]\nimage-states = 0\n", "image-states"},
        {"[Caption]\nimage-states = 2 diagonal\n", "'vertical' (one above the other) or 'horizontal'"},
        {"[Caption]\nimage-fill = repeat\n", "image-fill is 'stretch' or 'tile'"},
        {"[Frame]\nimage-shape = round\n", "image-shape is 'alpha' or 'none'"},
        {"[Caption]\nimage = a.png\nimage-72 = b.png\n", "t.vlm:3:7: error:"},
        {"[Caption]\nimage = a.png\nimage-144 = ../b.png\n", "t.vlm:3:13: error: the image path leaves"},
    };
    for (const auto& b : broken) {
        const ParseResult r = ParseTheme(b.text, "t.vlm", "");
        EXPECT_FALSE(r.theme) << b.text;
        ASSERT_FALSE(r.diagnostics.empty()) << b.text;
        EXPECT_NE(FormatDiagnostic(r.diagnostics.front()).find(b.error), std::string::npos)
            << FormatDiagnostic(r.diagnostics.front());
    }
    // Where nothing is drawn from them: a warning, and the theme loads.
    for (const char* text :
         {"[Window]\nimage = w.png\n", "[CaptionButton.Hot]\nimage = b.png\n", "[Defaults]\nimage = d.png\n",
          "[Caption]\nimage-shape = alpha\n", "[Tooltip]\nimage = t.png\n", "[List]\nimage = l.png\n"}) {
        const ParseResult ignored = ParseTheme(text, "t.vlm", "");
        ASSERT_TRUE(ignored.theme) << text;
        ASSERT_EQ(ignored.diagnostics.size(), 1u) << text;
        EXPECT_EQ(ignored.diagnostics[0].severity, Severity::Warning) << text;
    }
}

// A menu's or control's state without an image of its own shows its element's strip at the
// state's place; an image of its own comes first; each file and cut is kept once.
TEST(ThemeImages, StatesTakeTheirPlaceInTheirElementsStrip)
{
    const ParseResult r = ParseTheme("[Button]\nimage = b.png\nimage-states = 5\n"
                                     "[Button.Pressed]\nimage = pressed.png\n"
                                     "[Tab.Selected]\nimage = b.png\nimage-states = 5\n"
                                     "[MenuBar]\nimage = bar.png\n[RadioButton]\nimage = radio.png\n",
                                     "t.vlm", "");
    ASSERT_TRUE(r.theme);
    EXPECT_TRUE(r.diagnostics.empty());
    const Theme& t = *r.theme;
    ASSERT_EQ(t.partImages.size(), 4u);
    const struct {
        const char* part;
        std::optional<ImageRef> got;
        const char* path;
        int state;
    } cases[] = {
        {"Button", t.controls.button.image, "b.png", 0},
        {"Button.Hot", t.controls.buttonHot.image, "b.png", 1},
        {"Button.Pressed", t.controls.buttonPressed.image, "pressed.png", 0},
        {"Button.Disabled", t.controls.buttonDisabled.image, "b.png", 3},
        {"Button.Default", t.controls.buttonDefault.image, "b.png", 4},
        {"Tab.Selected", t.controls.tabSelected.image, "b.png", 0},
        {"MenuBar", t.menuBar.image, "bar.png", 0},
        {"RadioButton", t.controls.radioButton.image, "radio.png", 0},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(c.got && *c.got) << c.part;
        EXPECT_EQ(t.partImages[static_cast<std::size_t>(c.got->index)].path, c.path) << c.part;
        EXPECT_EQ(c.got->state, c.state) << c.part;
    }
    // A part of another element, and a hot menu-bar item, do not borrow.
    EXPECT_FALSE(t.controls.tab.image);
    EXPECT_FALSE(t.controls.checkBox.image);
    EXPECT_FALSE(t.menuBarHot.image);
}

// The corners' transparent pixels, row by row, relative to each corner, from the first state.
TEST(ThemeImages, CutoutsAreTheCornersTransparentRuns)
{
    // 4x8, two states of 4x4, 2-pixel corners; the first state clear at its very corners, and
    // at the top-left corner's whole first row; the second state all clear.
    constexpr std::uint32_t o = 0xFF000000, c = 0x00000000;
    Image image{4, 8, {c, c, o, c,  //
                       o, o, o, o,  //
                       o, o, o, o,  //
                       c, o, o, c,  //
                       c, c, c, c, c, c, c, c, c, c, c, c, c, c, c, c}};
    PartImage named;
    named.margins = {2, 2, 2, 2};
    named.states = 2;
    const CornerCutouts cut = CutoutsOf(named, image);
    EXPECT_EQ(cut.topLeft, (std::vector<ShapeRun>{{0, 0, 2}}));
    EXPECT_EQ(cut.topRight, (std::vector<ShapeRun>{{0, 1, 2}}));
    EXPECT_EQ(cut.bottomLeft, (std::vector<ShapeRun>{{1, 0, 1}}));
    EXPECT_EQ(cut.bottomRight, (std::vector<ShapeRun>{{1, 1, 2}}));
    EXPECT_TRUE(ParseTheme("[Frame]\nimage = f.png\nimage-shape = alpha\n", "t.vlm", "").theme->images.frame->shape);
}

// Versions for larger DPIs are kept by rising DPI, whatever the order of their keys; their cut
// is the image's scaled.
TEST(ThemeImages, VersionsForLargerDpisComeInOrder)
{
    const ParseResult r = ParseTheme("[Caption]\nimage = a.png\nimage-margins = 4 6 4 6\nimage-192 = c.png\n"
                                     "image-144 = b.png\n",
                                     "t.vlm", "");
    ASSERT_TRUE(r.theme);
    const PartImage& named = *r.theme->images.caption;
    ASSERT_EQ(named.variants.size(), 2u);
    EXPECT_EQ(named.variants[0].dpi, 144);
    EXPECT_EQ(named.variants[0].path, "b.png");
    EXPECT_EQ(named.variants[1].path, "c.png");
    EXPECT_EQ(AtDpi(named, 144).margins, (ImageMargins{6, 9, 6, 9}));
}

// A part drawn from its image: each row of the table is one part pixel and the image pixel it
// must show. The image is 6x6 per state, two states one above the other, 2-pixel margins; each
// pixel's value names its column and row, and its state in the red channel.
TEST(ThemeImages, NineSliceKeepsCornersAndStretchesOrTilesTheRest)
{
    Image image{6, 12, {}};
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 6; ++x)
            image.pixels.push_back(0xFF000000u | (static_cast<std::uint32_t>(y / 6) << 16) |
                                   (static_cast<std::uint32_t>(x) << 8) | static_cast<std::uint32_t>(y % 6));
    const auto pixel = [](int state, int x, int y) {
        return 0xFF000000u | (static_cast<std::uint32_t>(state) << 16) | (static_cast<std::uint32_t>(x) << 8) |
               static_cast<std::uint32_t>(y);
    };
    PartImage named;
    named.margins = {2, 2, 2, 2};
    named.states = 2;
    PartImage tiled = named;
    tiled.tile = true;
    const struct {
        const char* what;
        const PartImage& cut;
        int state, width, height, x, y;
        std::uint32_t shows;
    } cases[] = {
        {"top-left corner", named, 0, 20, 10, 1, 1, pixel(0, 1, 1)},
        {"bottom-right corner", named, 0, 20, 10, 19, 9, pixel(0, 5, 5)},
        {"top-right corner of the second state", named, 1, 20, 10, 18, 0, pixel(1, 4, 0)},
        {"stretched top edge, its first quarter", named, 0, 20, 10, 3, 0, pixel(0, 2, 0)},
        {"stretched top edge, its last quarter", named, 0, 20, 10, 16, 0, pixel(0, 3, 0)},
        {"stretched centre", named, 0, 20, 10, 17, 7, pixel(0, 3, 3)},
        {"tiled top edge repeats every 2", tiled, 0, 20, 10, 6, 0, pixel(0, 2, 0)},
        {"tiled top edge, second of a pair", tiled, 0, 20, 10, 7, 0, pixel(0, 3, 0)},
        {"tiled left edge", tiled, 0, 20, 10, 0, 5, pixel(0, 0, 3)},
        {"a part smaller than the margins: left corner shrunk", named, 0, 2, 2, 0, 0, pixel(0, 1, 1)},
        {"a part smaller than the margins: right corner shrunk", named, 0, 2, 2, 1, 1, pixel(0, 5, 5)},
        {"a state outside the strip draws the first", named, 7, 20, 10, 0, 0, pixel(0, 0, 0)},
    };
    for (const auto& c : cases) {
        const Image whole = NineSlice(image, c.cut, c.state, c.width, c.height, {0, 0, c.width, c.height});
        ASSERT_EQ(whole.pixels.size(), static_cast<std::size_t>(c.width * c.height)) << c.what;
        EXPECT_EQ(whole.pixels[static_cast<std::size_t>(c.y * c.width + c.x)], c.shows) << c.what;
        // Only part of it made: the same pixel.
        const Image one = NineSlice(image, c.cut, c.state, c.width, c.height, {c.x, c.y, c.x + 1, c.y + 1});
        ASSERT_EQ(one.pixels.size(), 1u) << c.what;
        EXPECT_EQ(one.pixels[0], c.shows) << c.what << ", made alone";
    }
}

// Over a colour, a part is blended as the system blends premultiplied pixels, and opaque.
TEST(ThemeImages, NineSliceOverAColourBlendsIt)
{
    const Image image{1, 1, {0x80400000}};  // red 0x80 at half alpha, premultiplied
    const PartImage named;
    const struct {
        std::optional<std::uint32_t> under;
        std::uint32_t shows;
    } cases[] = {
        {std::nullopt, 0x80400000},
        {0x0000FF, 0xFF40007F},  // each channel: source + (under x (255 - 128) + 127) / 255
        {0xFFFFFF, 0xFFBF7F7F},
    };
    for (const auto& c : cases) {
        const Image out = NineSlice(image, named, 0, 3, 2, {0, 0, 3, 2}, c.under);
        EXPECT_EQ(out.pixels, std::vector<std::uint32_t>(6, c.shows));
        EXPECT_EQ(Opaque(out), c.under.has_value());
    }
}

}  // namespace
}  // namespace velum
