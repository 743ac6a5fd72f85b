// Control colours derived from a theme: readable and distinct in every shipped theme and scheme.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "ControlPalette.h"
#include "SystemColours.h"
#include "ThemeDocument.h"

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
        {{0, 0, 0}, {255, 255, 255}, 0, {0, 0, 0}},        {{0, 0, 0}, {255, 255, 255}, 100, {255, 255, 255}},
        {{0, 0, 0}, {255, 255, 255}, 50, {128, 128, 128}}, {{255, 255, 255}, {0, 0, 0}, 50, {128, 128, 128}},
        {{10, 200, 30}, {30, 100, 30}, 25, {15, 175, 30}}, {{255, 0, 0}, {0, 0, 255}, 12, {224, 0, 31}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Mix(c.a, c.b, c.percent), c.expected) << c.percent;
}

void ExpectReadableText(const Style& style, const char* what, double least = 3.0)
{
    EXPECT_GE(Contrast(style.text, style.background.from), least) << what;
    EXPECT_GE(Contrast(style.text, style.background.to), least) << what << " (gradient's end)";
}

void ExpectApart(Color a, Color b, const char* what, double least = 1.1)
{
    EXPECT_GE(Contrast(a, b), least) << what;
}

// Two states are told apart by their face's colour, or by their images.
bool Differ(const Style& a, const Style& b)
{
    return a.background.from != b.background.from || a.image != b.image;
}

void ExpectReadable(const Theme& theme, const std::string& where)
{
    const ControlPalette p = DeriveControlPalette(theme);
    const ButtonPalette& b = p.button;
    SCOPED_TRACE(where);
    EXPECT_EQ(p.background, theme.window.background.from);
    ExpectReadableText(b.normal, "button");
    ExpectReadableText(b.hot, "hot button");
    ExpectReadableText(b.pressed, "pressed button");
    EXPECT_GE(Contrast(b.label, p.background), 3.0);
    ExpectReadableText(b.box, "check mark");
    ExpectReadableText(b.boxHot, "hot check mark");
    ExpectReadableText(b.boxPressed, "pressed check mark");
    EXPECT_GE(Contrast(b.groupText, p.background), 3.0);
    // Disabled text is set apart from its face, but less than enabled text.
    EXPECT_GT(Contrast(b.disabled.text, b.disabled.background.from), 1.3);
    EXPECT_LT(Contrast(b.disabled.text, b.disabled.background.from), Contrast(b.normal.text, b.normal.background.from));
    EXPECT_LT(Contrast(b.labelDisabled, p.background), Contrast(b.label, p.background));
    EXPECT_GT(Contrast(b.labelDisabled, p.background), 1.3);
    // Every state is seen: the face changes from normal to hot to pressed, and the outlines
    // that say hot and default stand out from the normal outline.
    EXPECT_TRUE(Differ(b.normal, b.hot));
    EXPECT_TRUE(Differ(b.hot, b.pressed));
    EXPECT_NE(b.defaultBorder, b.normal.border);
    EXPECT_NE(b.boxHot.border, b.box.border);
    ExpectApart(b.box.border, p.background, "check box outline", 1.2);
    EXPECT_GT(Contrast(b.groupFrame, p.background), 1.2);

    const FieldPalette& f = p.field;
    ExpectReadableText(f.normal, "edit");
    ExpectReadableText(f.readOnly, "read-only edit");
    ExpectReadableText(f.list, "list");
    ExpectReadableText(f.selected, "selected item");
    ExpectReadableText(f.selectedInactive, "selected item, unfocused");
    EXPECT_GT(Contrast(f.disabled.text, f.disabled.background.from), 1.3);
    EXPECT_LT(Contrast(f.disabled.text, f.disabled.background.from), Contrast(f.normal.text, f.normal.background.from));
    ExpectApart(f.normal.border, p.background, "edit border", 1.2);
    ExpectApart(f.selected.background.from, f.list.background.from, "selection on the list", 1.3);
    EXPECT_NE(f.focusBorder, f.normal.border);

    const ScrollPalette& s = p.scroll;
    ExpectReadableText(s.arrow, "scroll arrow");
    ExpectReadableText(s.arrowHot, "hot scroll arrow");
    ExpectReadableText(s.arrowPressed, "pressed scroll arrow");
    EXPECT_GT(Contrast(s.arrowDisabled.text, s.arrowDisabled.background.from), 1.2);
    EXPECT_LT(Contrast(s.arrowDisabled.text, s.arrowDisabled.background.from),
              Contrast(s.arrow.text, s.arrow.background.from));
    if (!s.thumb.image)
        ExpectApart(s.thumb.background.from, s.track.background.from, "thumb on its track", 1.2);
    EXPECT_TRUE(Differ(s.arrowHot, s.arrow));
    EXPECT_TRUE(Differ(s.thumbHot, s.thumb));
    EXPECT_TRUE(Differ(s.thumbPressed, s.thumbHot));

    const CommonPalette& c = p.common;
    ExpectApart(c.progress.text, c.progress.background.from, "progress bar on its track", 1.5);
    EXPECT_EQ(c.progress.text, c.progressBar.background.from);
    ExpectReadableText(c.tab, "tab");
    ExpectReadableText(c.tabHot, "hot tab");
    ExpectReadableText(c.tabSelected, "selected tab");
    EXPECT_TRUE(Differ(c.tab, c.tabSelected));
    EXPECT_TRUE(Differ(c.tab, c.tabHot));
    ExpectReadableText(c.header, "header");
    ExpectReadableText(c.headerHot, "hot header");
    ExpectReadableText(c.headerPressed, "pressed header");
    EXPECT_TRUE(Differ(c.header, c.headerHot));
    EXPECT_TRUE(Differ(c.headerHot, c.headerPressed));
    ExpectReadableText(c.statusBar, "status bar");
    ExpectReadableText(c.tooltip, "tooltip");
}

// What the system draws with the theme's answers to its colour questions must read as its own
// drawing does: text on its background, and 3-D edges lit above the face and shaded below it.
void ExpectReadableSystemColours(const Theme& theme)
{
    const SystemColourTable c = ThemeSystemColours(theme, DeriveControlPalette(theme));
    const auto at = [&c](SystemColour i) { return c[static_cast<std::size_t>(i)].value_or(Color{}); };
    const struct {
        SystemColour text, background;
    } pairs[] = {{kButtonText, kButtonFace}, {kWindowText, kWindowColour}, {kHighlightText, kHighlight},
                 {kMenuText, kMenu},         {kInfoText, kInfoBackground}, {kHotLight, kWindowColour}};
    for (const auto& pair : pairs)
        EXPECT_GE(Contrast(at(pair.text), at(pair.background)), 3.0)
            << "colour " << pair.text << " on " << pair.background;
    EXPECT_GT(Contrast(at(kGrayText), at(kButtonFace)), 1.3) << "disabled text on the face";
    // Lit edges lighter than the face, shaded ones darker; a black face leaves its shadows
    // nowhere darker to go.
    EXPECT_GT(Luminance(at(kButtonHighlight)), Luminance(at(kLight3D)));
    EXPECT_GT(Luminance(at(kLight3D)), Luminance(at(kButtonFace)));
    EXPECT_GE(Luminance(at(kButtonFace)), Luminance(at(kButtonShadow)));
    EXPECT_GE(Luminance(at(kButtonShadow)), Luminance(at(kDarkShadow3D)));
    if (Luminance(at(kButtonFace)) > 0)
        EXPECT_GT(Luminance(at(kButtonFace)), Luminance(at(kDarkShadow3D)));
    EXPECT_FALSE(c[kDesktop].has_value()) << "the desktop is not the theme's";
}

TEST(ControlPalette, EveryShippedThemeAndSchemeGivesReadableDistinctControls)
{
    ExpectReadable(DefaultTheme(), "built-in");
    int themes = 0;
    for (const auto& entry : std::filesystem::directory_iterator(VELUM_SOURCE_DIR "/Skin")) {
        if (!entry.is_regular_file())
            continue;  // a theme's folder of images
        std::string bytes;
        Diagnostic error;
        ASSERT_TRUE(ReadThemeFile(entry.path(), bytes, error)) << error.message;
        std::vector<std::string> schemes = ListThemeSchemes(bytes);
        schemes.insert(schemes.begin(), "");
        for (const auto& scheme : schemes) {
            ParseResult parsed = ParseTheme(bytes, entry.path().filename().string(), scheme);
            ASSERT_TRUE(parsed.theme) << entry.path();
            ExpectReadable(*parsed.theme, entry.path().filename().string() + " " + scheme);
            ExpectReadableSystemColours(*parsed.theme);
            // A shipped theme chooses its control colours rather than leaving them to derivation.
            for (const parse::SectionInfo& section : parse::kSections) {
                if (section.control != nullptr && section.keys != 0)
                    EXPECT_NE((*parsed.theme).controls.*section.control, StyleKeys{})
                        << entry.path().filename() << " leaves out [" << section.name << "]";
            }
        }
        ++themes;
    }
    EXPECT_GE(themes, 8);
}

constexpr Color Rgb(std::uint32_t v)
{
    return Color{static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
}

// On a black window with white text and a blue selection, each control colour comes from its own
// section, else from its element's section, else from the window: one table row per rule.
TEST(ControlPalette, SectionsSetTheirColoursAndStatesFollowTheirElement)
{
    const std::string window = "[Window]\nbackground = #000000\ntext = #FFFFFF\n"
                               "[Popup.Selected]\nbackground = #0000FF\ntext = #FFFFFF\n";
    using Get = Color (*)(const ControlPalette&);
    struct Case {
        const char* sections;
        Get get;
        Color expected;
        const char* scheme = "";
    };
    const Case cases[] = {
        // Push buttons: the window's step, the section's colour, and states moved from either.
        {"", [](const ControlPalette& p) { return p.button.normal.background.from; }, Rgb(0x1F1F1F)},
        {"[Button]\nbackground = #646464\n", [](const ControlPalette& p) { return p.button.normal.background.from; },
         Rgb(0x646464)},
        {"[Button]\nbackground = #646464\n", [](const ControlPalette& p) { return p.button.hot.background.from; },
         Rgb(0x727272)},
        {"[Button]\nbackground = #646464\n", [](const ControlPalette& p) { return p.button.pressed.background.from; },
         Rgb(0x838383)},
        {"[Button]\nbackground = #646464\n", [](const ControlPalette& p) { return p.button.disabled.background.from; },
         Rgb(0x323232)},
        {"[Button]\nbackground = #646464\n[Button.Hot]\nbackground = #808080\n",
         [](const ControlPalette& p) { return p.button.hot.background.from; }, Rgb(0x808080)},
        {"[Button.Hot]\ntext = #FFFF00\n", [](const ControlPalette& p) { return p.button.hot.text; }, Rgb(0xFFFF00)},
        {"[Button.Hot]\ntext = #FFFF00\n", [](const ControlPalette& p) { return p.button.hot.background.from; },
         Rgb(0x333333)},
        {"[Button]\nborder = #111111\n", [](const ControlPalette& p) { return p.button.hot.border; }, Rgb(0x0000FF)},
        {"[Button]\ntext = #C0C0C0\n", [](const ControlPalette& p) { return p.button.pressed.text; }, Rgb(0xC0C0C0)},
        {"", [](const ControlPalette& p) { return p.button.defaultBorder; }, Rgb(0x0000FF)},
        {"[Button.Default]\nborder = #00FF00\n", [](const ControlPalette& p) { return p.button.defaultBorder; },
         Rgb(0x00FF00)},
        {"[Defaults]\nborder = #FF0000\n", [](const ControlPalette& p) { return p.button.normal.border; },
         Rgb(0x666666)},
        // Check boxes: the mark follows the label unless it has its own colour, in every state.
        {"[CheckBox]\ntext = #C0C0C0\n", [](const ControlPalette& p) { return p.button.box.text; }, Rgb(0xC0C0C0)},
        {"[CheckBox]\nmark = #00FF00\ntext = #C0C0C0\n", [](const ControlPalette& p) { return p.button.label; },
         Rgb(0xC0C0C0)},
        {"[CheckBox]\nmark = #00FF00\ntext = #C0C0C0\n", [](const ControlPalette& p) { return p.button.boxHot.text; },
         Rgb(0x00FF00)},
        {"[CheckBox]\nbackground = #202020\n", [](const ControlPalette& p) { return p.button.boxHot.background.from; },
         Rgb(0x202020)},
        {"", [](const ControlPalette& p) { return p.button.labelDisabled; }, Rgb(0x666666)},
        {"[CheckBox.Disabled]\ntext = #404040\n", [](const ControlPalette& p) { return p.button.labelDisabled; },
         Rgb(0x404040)},
        {"[GroupBox]\nborder = #ABCDEF\n", [](const ControlPalette& p) { return p.button.groupFrame; }, Rgb(0xABCDEF)},
        // Fields: a list without a section of its own looks like the edit fields.
        {"[Edit]\nbackground = #101010\n", [](const ControlPalette& p) { return p.field.normal.background.from; },
         Rgb(0x101010)},
        {"[Edit]\nbackground = #101010\n", [](const ControlPalette& p) { return p.field.list.background.from; },
         Rgb(0x101010)},
        {"[List]\nbackground = #202020\n", [](const ControlPalette& p) { return p.field.list.background.from; },
         Rgb(0x202020)},
        {"[List]\nbackground = #202020\n", [](const ControlPalette& p) { return p.field.normal.background.from; },
         Rgb(0x0A0A0A)},
        {"[Edit]\ntext = #C0C0C0\n", [](const ControlPalette& p) { return p.field.readOnly.text; }, Rgb(0xC0C0C0)},
        {"[Edit.ReadOnly]\nbackground = #121212\n",
         [](const ControlPalette& p) { return p.field.readOnly.background.from; }, Rgb(0x121212)},
        {"[Edit.Disabled]\ntext = #777777\n", [](const ControlPalette& p) { return p.field.disabled.text; },
         Rgb(0x777777)},
        {"", [](const ControlPalette& p) { return p.field.selected.background.from; }, Rgb(0x0000FF)},
        {"[List.Selected]\nbackground = #00FF00\n",
         [](const ControlPalette& p) { return p.field.selected.background.from; }, Rgb(0x00FF00)},
        {"[Edit.Focused]\nborder = #FF00FF\n", [](const ControlPalette& p) { return p.field.focusBorder; },
         Rgb(0xFF00FF)},
        // Scroll bars: arrows dimmed at rest unless coloured; the thumb's states move from it.
        {"", [](const ControlPalette& p) { return p.scroll.arrow.text; }, Rgb(0x999999)},
        {"", [](const ControlPalette& p) { return p.scroll.arrowHot.text; }, Rgb(0xFFFFFF)},
        {"[ScrollBar]\ntext = #FF0000\n", [](const ControlPalette& p) { return p.scroll.arrow.text; }, Rgb(0xFF0000)},
        {"[ScrollBar]\ntext = #FF0000\n", [](const ControlPalette& p) { return p.scroll.arrowHot.text; },
         Rgb(0xFFFFFF)},
        {"[ScrollBar]\nbackground = #303030\n",
         [](const ControlPalette& p) { return p.scroll.arrowPressed.background.from; }, Rgb(0x666666)},
        {"[ScrollBar.Pressed]\ntext = #FF0000\n", [](const ControlPalette& p) { return p.scroll.arrowPressed.text; },
         Rgb(0xFF0000)},
        {"[ScrollBar.Hot]\nbackground = #404040\n",
         [](const ControlPalette& p) { return p.scroll.arrowHot.background.from; }, Rgb(0x404040)},
        {"[ScrollBar]\nbackground = #303030\n", [](const ControlPalette& p) { return p.scroll.arrow.background.from; },
         Rgb(0x303030)},
        {"[ScrollBar.Thumb]\nbackground = #808080\n",
         [](const ControlPalette& p) { return p.scroll.thumbHot.background.from; }, Rgb(0x969696)},
        {"", [](const ControlPalette& p) { return p.scroll.thumbPressed.background.from; }, Rgb(0x0000FF)},
        {"[ScrollBar.Thumb.Pressed]\nbackground = #00FF00\n",
         [](const ControlPalette& p) { return p.scroll.thumbPressed.background.from; }, Rgb(0x00FF00)},
        // Common controls.
        {"", [](const ControlPalette& p) { return p.common.progress.text; }, Rgb(0x0000FF)},
        {"[Progress.Bar]\nbackground = #00FF00 #008000\n",
         [](const ControlPalette& p) { return p.common.progress.text; }, Rgb(0x00FF00)},
        {"[Progress.Bar]\nbackground = #00FF00 #008000\n",
         [](const ControlPalette& p) { return p.common.progressBar.background.to; }, Rgb(0x008000)},
        {"[Tab]\nbackground = #303030\n", [](const ControlPalette& p) { return p.common.tabHot.background.from; },
         Rgb(0x434343)},
        {"[Tab]\nbackground = #303030\n", [](const ControlPalette& p) { return p.common.tabSelected.background.from; },
         Rgb(0x000000)},
        {"[Tab]\ntext = #EEEEEE\n", [](const ControlPalette& p) { return p.common.tabSelected.text; }, Rgb(0xEEEEEE)},
        {"[Header.Pressed]\nbackground = #ABABAB\n",
         [](const ControlPalette& p) { return p.common.headerPressed.background.from; }, Rgb(0xABABAB)},
        {"[StatusBar]\ntext = #FEFEFE\n", [](const ControlPalette& p) { return p.common.statusBar.text; },
         Rgb(0xFEFEFE)},
        {"[Tooltip]\nborder = #EDEDED\n", [](const ControlPalette& p) { return p.common.tooltip.border; },
         Rgb(0xEDEDED)},
        // Schemes lay their control sections over the base ones, as for every other section.
        {"[Dark:Button]\nbackground = #646464\n",
         [](const ControlPalette& p) { return p.button.normal.background.from; }, Rgb(0x646464), "Dark"},
        {"[Dark:Button]\nbackground = #646464\n",
         [](const ControlPalette& p) { return p.button.normal.background.from; }, Rgb(0x1F1F1F)},
        {"[Button]\nbackground = #646464\n[Dark:Button.Hot]\nborder = #00FF00\n",
         [](const ControlPalette& p) { return p.button.hot.background.from; }, Rgb(0x727272), "Dark"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.sections) + "scheme '" + c.scheme + "'");
        const ParseResult parsed = ParseTheme(window + c.sections, "t.vlm", c.scheme);
        ASSERT_TRUE(parsed.theme);
        EXPECT_TRUE(parsed.diagnostics.empty());
        EXPECT_EQ(c.get(DeriveControlPalette(*parsed.theme)), c.expected);
    }
}

// A derived state keeps its element's gradient, both stops moved, and its direction.
TEST(ControlPalette, ADerivedStateKeepsItsElementsGradient)
{
    const ParseResult parsed = ParseTheme("[Window]\nbackground = #000000\ntext = #FFFFFF\n"
                                          "[Button]\nbackground = #000000 #646464\ngradient = horizontal\n"
                                          "[Tab]\nbackground = #000000 #646464\n[Tab.Hot]\ngradient = horizontal\n",
                                          "t.vlm", "");
    ASSERT_TRUE(parsed.theme);
    const ControlPalette p = DeriveControlPalette(*parsed.theme);
    EXPECT_EQ(p.button.hot.background, (Fill{Rgb(0x171717), Rgb(0x727272), false}));
    EXPECT_EQ(p.common.tab.background, (Fill{Rgb(0x000000), Rgb(0x646464), true}));
    EXPECT_EQ(p.common.tabHot.background, (Fill{Rgb(0x171717), Rgb(0x727272), false}));
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
