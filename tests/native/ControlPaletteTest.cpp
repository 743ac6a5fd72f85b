// Control colours derived from a theme: readable and distinct in every shipped theme and scheme.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "ControlPalette.h"

namespace velum {
namespace {

double Luminance(Color c)
{
    const auto linear = [](std::uint8_t v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.r) + 0.7152 * linear(c.g) + 0.0722 * linear(c.b);
}

// The contrast ratio of the web's accessibility guidelines: 1 (none) to 21.
double Contrast(Color a, Color b)
{
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST(ControlPalette, MixRoundsEachChannel)
{
    const struct {
        Color a, b;
        int percent;
        Color expected;
    } cases[] = {
        {{0, 0, 0}, {255, 255, 255}, 0, {0, 0, 0}},
        {{0, 0, 0}, {255, 255, 255}, 100, {255, 255, 255}},
        {{0, 0, 0}, {255, 255, 255}, 50, {128, 128, 128}},
        {{255, 255, 255}, {0, 0, 0}, 50, {128, 128, 128}},
        {{10, 200, 30}, {30, 100, 30}, 25, {15, 175, 30}},
        {{255, 0, 0}, {0, 0, 255}, 12, {224, 0, 31}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Mix(c.a, c.b, c.percent), c.expected) << c.percent;
}

void ExpectReadable(const Theme& theme, const std::string& where)
{
    const ControlPalette p = DeriveControlPalette(theme);
    const ButtonPalette& b = p.button;
    SCOPED_TRACE(where);
    EXPECT_EQ(p.background, theme.window.background.from);
    for (const Style* face : {&b.normal, &b.hot, &b.pressed})
        EXPECT_GE(Contrast(face->text, face->background.from), 3.0);
    EXPECT_GE(Contrast(b.label, p.background), 3.0);
    EXPECT_GE(Contrast(b.box.text, b.box.background.from), 3.0);
    EXPECT_GE(Contrast(b.groupText, p.background), 3.0);
    // Disabled text is set apart from its face, but less than enabled text.
    EXPECT_GT(Contrast(b.disabled.text, b.disabled.background.from), 1.3);
    EXPECT_LT(Contrast(b.labelDisabled, p.background), Contrast(b.label, p.background));
    // Every state is seen: the face changes from normal to hot to pressed, and the outlines
    // that say hot and default stand out from the normal outline.
    EXPECT_NE(b.normal.background.from, b.hot.background.from);
    EXPECT_NE(b.hot.background.from, b.pressed.background.from);
    EXPECT_NE(b.defaultBorder, b.normal.border);
    EXPECT_NE(b.boxHot.border, b.box.border);
    EXPECT_GT(Contrast(b.groupFrame, p.background), 1.2);
}

TEST(ControlPalette, EveryShippedThemeAndSchemeGivesReadableDistinctControls)
{
    ExpectReadable(DefaultTheme(), "built-in");
    int themes = 0;
    for (const auto& entry : std::filesystem::directory_iterator(VELUM_SOURCE_DIR "/Skin")) {
        std::string bytes;
        Diagnostic error;
        ASSERT_TRUE(ReadThemeFile(entry.path(), bytes, error)) << error.message;
        std::vector<std::string> schemes = ListThemeSchemes(bytes);
        schemes.insert(schemes.begin(), "");
        for (const auto& scheme : schemes) {
            ParseResult parsed = ParseTheme(bytes, entry.path().filename().string(), scheme);
            ASSERT_TRUE(parsed.theme) << entry.path();
            ExpectReadable(*parsed.theme, entry.path().filename().string() + " " + scheme);
        }
        ++themes;
    }
    EXPECT_GE(themes, 8);
}

TEST(ControlPalette, AThemeWithoutControlColoursFollowsItsWindow)
{
    auto result = ParseTheme("[Window]\nbackground = #202020\ntext = #E0E0E0\n", "dark.vlm", "");
    ASSERT_TRUE(result.theme);
    const ControlPalette p = DeriveControlPalette(*result.theme);
    EXPECT_EQ(p.background, (Color{0x20, 0x20, 0x20}));
    EXPECT_EQ(p.button.normal.text, (Color{0xE0, 0xE0, 0xE0}));
    // A dark window gets dark faces: nearer the background than the text.
    EXPECT_LT(Luminance(p.button.normal.background.from), Luminance(Color{0x80, 0x80, 0x80}));
}

}  // namespace
}  // namespace velum
