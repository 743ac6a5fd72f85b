// A theme's colours asked by name, as programs ask for them: each name leads to the colour the
// engine draws that part with, including what the file leaves out, and a wrong name says which.
#include <gtest/gtest.h>

#include <string>

#include "ControlPalette.h"
#include "Contrast.h"
#include "PartColours.h"

namespace velum {
namespace {

constexpr char kTheme[] = R"([Caption]
background = #102030 #405060
text = #FFFFFF
[Caption.Inactive]
background = #707070
[Button]
background = #E0E0E0
text = #101010
border = #808080
[Button.Default]
border = #0000FF
[CheckBox]
background = #FAFAFA
text = #202020
mark = #00A000
)";

TEST(PartColours, NamesLeadToTheColoursTheEngineDraws)
{
    const ParseResult parsed = ParseTheme(kTheme, "t.vlm", "");
    ASSERT_TRUE(parsed.theme);
    const Theme& t = *parsed.theme;
    const ControlPalette c = DeriveControlPalette(t);
    const struct {
        const char *part, *state, *key;
        Color expected;
    } cases[] = {
        {"Caption", "", "background", {0x10, 0x20, 0x30}},
        {"caption", "normal", "Background-End", {0x40, 0x50, 0x60}},
        {"Caption", "Inactive", "background", {0x70, 0x70, 0x70}},
        {"Caption", "Inactive", "text", {0xFF, 0xFF, 0xFF}},  // from [Caption]
        {"Button", "", "border", {0x80, 0x80, 0x80}},
        {"Button", "Default", "border", {0x00, 0x00, 0xFF}},
        {"Button", "Default", "background", {0xE0, 0xE0, 0xE0}},
        {"Button", "Hot", "background", c.button.hot.background.from},  // derived: the file has no [Button.Hot]
        {"CheckBox", "", "mark", {0x00, 0xA0, 0x00}},
        {"CheckBox", "", "text", {0x20, 0x20, 0x20}},
        {"CheckBox", "Disabled", "text", c.button.labelDisabled},
        {"ScrollBar.Thumb", "Pressed", "background", c.scroll.thumbPressed.background.from},
        {"Edit", "Focused", "border", c.field.focusBorder},
        {"Window", "", "background", t.window.background.from},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(std::string(k.part) + "/" + k.state + "/" + k.key);
        const PartColour got = ColourOfPart(t, c, k.part, k.state, k.key);
        ASSERT_TRUE(got.colour) << got.error;
        EXPECT_EQ(*got.colour, k.expected);
    }
    const struct {
        const char *part, *state, *key, *error;
    } wrong[] = {
        {"Captions", "", "background", "no part named \"Captions\""},
        {"Caption", "Hot", "background", "the part \"Caption\" has no state \"Hot\""},
        {"CloseButton", "", "background", "the part \"CloseButton\" has no state \"\""},
        {"Button", "", "mark", "the part \"Button\" has no colour \"mark\""},
        {"Edit", "", "colour", "the part \"Edit\" has no colour \"colour\""},
    };
    for (const auto& w : wrong) {
        const PartColour got = ColourOfPart(t, c, w.part, w.state, w.key);
        EXPECT_FALSE(got.colour) << w.part;
        EXPECT_EQ(got.error, w.error);
    }
}

// The contrast ratio against WCAG's own figures: the extremes, the grey that just misses 4.5:1
// on white and the one that just makes it, and the order of the pair not mattering.
TEST(Contrast, RatiosMatchTheirDefinition)
{
    const struct {
        Color a, b;
        double ratio;
    } cases[] = {
        {{0, 0, 0}, {255, 255, 255}, 21.0},          {{255, 255, 255}, {0, 0, 0}, 21.0},
        {{0x77, 0x77, 0x77}, {255, 255, 255}, 4.48}, {{0x76, 0x76, 0x76}, {255, 255, 255}, 4.54},
        {{0, 0, 255}, {0x2A, 0x2B, 0x33}, 1.64},     {{0x12, 0x34, 0x56}, {0x12, 0x34, 0x56}, 1.0},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(ContrastRatio(c.a, c.b), c.ratio, 0.01) << int(c.a.r) << "," << int(c.b.r);
}

}  // namespace
}  // namespace velum
