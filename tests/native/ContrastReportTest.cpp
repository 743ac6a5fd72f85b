// What velum-check says of a theme's contrast: small files with known colour pairs, each pair's
// report (ratio rounded down to two decimals, the figure it needs, line and column of the key
// that sets it, warning or note), or nothing where it reads.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ContrastReport.h"

namespace velum {
namespace {

std::string Report(const char* file, const char* scheme, const char* what, const ThemeImageSet* images)
{
    const ParseResult parsed = ParseTheme(file, "t.vlm", scheme);
    if (!parsed.theme)
        return "does not parse";
    for (const ContrastPair& pair : MeasureContrast(*parsed.theme, LocateColours(file, scheme), images)) {
        if (pair.what == what) {
            const auto d = ContrastDiagnostic(pair, "t.vlm", parsed.theme->scheme);
            return d ? FormatDiagnostic(*d) : "";
        }
    }
    return "no such pair";
}

TEST(ContrastReport, PairsReportTheirRatioPlaceAndKind)
{
    constexpr char kImage[] = "[Caption]\nbackground = #FFFFFF\ntext = #FFFFFF\nimage = c.png\n";
    const struct {
        const char *file, *scheme, *what, *expected;
        std::optional<std::uint32_t> captionPixel{};  // the caption image's every pixel, 0xAARRGGBB
    } cases[] = {
        // The place of the key that sets the text.
        {"[Caption]\nbackground = #A0A0A0\ntext = #C0C0C0\n", "", "caption text",
         "t.vlm:3:8: warning: caption text #C0C0C0 on #A0A0A0 reads 1.43:1, text needs 4.5:1"},
        // #767676 on white is 4.54:1, #777777 4.478...:1, rounded down so it never shows as 4.48.
        {"[Popup]\nbackground = #FFFFFF\ntext = #767676\n", "", "menu item text", ""},
        {"[Popup]\nbackground = #FFFFFF\ntext = #777777\n", "", "menu item text",
         "t.vlm:3:8: warning: menu item text #777777 on #FFFFFF reads 4.47:1, text needs 4.5:1"},
        // A gradient reads as its worse end.
        {"[MenuBar]\ntext = #000000\nbackground = #FFFFFF #595959\n", "", "menu bar text",
         "t.vlm:2:8: warning: menu bar text #000000 on #595959 reads 2.99:1, text needs 4.5:1"},
        // Only the background set: its place. #1F2328 is the built-in menu bar text.
        {"[MenuBar]\nbackground = #303030\n", "", "menu bar text",
         "t.vlm:2:14: warning: menu bar text #1F2328 on #303030 reads 1.19:1, text needs 4.5:1"},
        // A glyph needs 3:1, not 4.5:1.
        {"[CaptionButton.Hot]\nbackground = #FFFFFF\ntext = #767676\n", "", "hot caption button glyph", ""},
        {"[CaptionButton.Hot]\nbackground = #FFFFFF\ntext = #A0A0A0\n", "", "hot caption button glyph",
         "t.vlm:3:8: warning: hot caption button glyph #A0A0A0 on #FFFFFF reads 2.61:1, glyphs need 3:1"},
        // The close button's pressed state comes from [CaptionButton.Hot]'s text through [CloseButton.Hot].
        {"[CaptionButton.Hot]\ntext = #FFFFFF\n[CloseButton.Hot]\nbackground = #F08080\n", "",
         "pressed close button glyph",
         "t.vlm:2:8: warning: pressed close button glyph #FFFFFF on #F08080 reads 2.59:1, glyphs need 3:1"},
        // An inactive caption is a note, never a warning.
        {"[Caption.Inactive]\nbackground = #E0E0E0\ntext = #A0A0A0\n", "", "inactive caption text",
         "t.vlm:3:8: note: inactive caption text #A0A0A0 on #E0E0E0 reads 1.98:1 (text needs 4.5:1; disabled and "
         "inactive parts are exempt)"},
        // A derived control colour: the button's face is a step from the window towards its text,
        // the text the window's, so the place is [Window]'s text.
        {"[Window]\nbackground = #FFFFFF\ntext = #767676\n", "", "button text",
         "t.vlm:3:8: warning: button text #767676 on #EFEFEF reads 3.95:1, text needs 4.5:1"},
        {"[Window]\nbackground = #FFFFFF\ntext = #767676\n", "", "disabled button text",
         "t.vlm:3:8: note: disabled button text #C9C9C9 on #F7F7F7 reads 1.54:1 (text needs 4.5:1; disabled and "
         "inactive parts are exempt)"},
        // A field's border needs 3:1 on the window; the focus border is [Popup.Selected]'s background.
        {"[Window]\nbackground = #FFFFFF\ntext = #000000\n[Edit]\nborder = #C0C0C0\n", "", "edit border",
         "t.vlm:5:10: warning: edit border #C0C0C0 on #FFFFFF reads 1.81:1, borders need 3:1"},
        {"[Window]\nbackground = #FFFFFF\n[Popup.Selected]\nbackground = #A0C0FF\n", "", "focused edit border",
         "t.vlm:4:14: warning: focused edit border #A0C0FF on #FFFFFF reads 1.82:1, focus indicators need 3:1"},
        // The selected list item takes [Popup.Selected]'s colours.
        {"[Popup.Selected]\nbackground = #3FA884\ntext = #FFFFFF\n", "", "selected list item text",
         "t.vlm:3:8: warning: selected list item text #FFFFFF on #3FA884 reads 2.93:1, text needs 4.5:1"},
        // A scheme's own key, and the scheme named.
        {"[Caption]\nbackground = #202020\ntext = #FFFFFF\n[Dark:Caption]\ntext = #404040\n", "Dark", "caption text",
         "t.vlm:5:8: warning: caption text #404040 on #202020 reads 1.57:1, text needs 4.5:1 [scheme Dark]"},
        {"[Caption]\nbackground = #202020\ntext = #FFFFFF\n[Dark:Caption]\ntext = #404040\n", "", "caption text", ""},
        // Over an image, the pixels the text stands on; its clear pixels show the caption's
        // colour. Without the images the colours stand.
        {kImage, "", "caption text",
         "t.vlm:3:8: warning: caption text #FFFFFF on #808080 (in c.png) reads 3.94:1, text needs 4.5:1", 0xFF808080},
        {kImage, "", "caption text", "", 0xFF000000},
        {kImage, "", "caption text",
         "t.vlm:3:8: warning: caption text #FFFFFF on #FFFFFF (in c.png) reads 1.00:1, text needs 4.5:1", 0x00000000},
        {kImage, "", "caption text",
         "t.vlm:3:8: warning: caption text #FFFFFF on #FFFFFF reads 1.00:1, text needs 4.5:1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        ThemeImageSet images;
        if (c.captionPixel)
            images.caption = LoadedImage{Image{4, 4, std::vector<std::uint32_t>(16, *c.captionPixel)}, {}};
        EXPECT_EQ(Report(c.file, c.scheme, c.what, c.captionPixel ? &images : nullptr), c.expected);
    }
}

}  // namespace
}  // namespace velum
