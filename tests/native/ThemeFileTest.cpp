#include "ThemeFile.h"
#include "ThemeFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace velum {

// gtest prints values through ADL, which does not look into unnamed namespaces.
std::ostream& operator<<(std::ostream& out, const Color& c)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", c.r, c.g, c.b);
    return out << text;
}

std::ostream& operator<<(std::ostream& out, const Fill& f)
{
    return out << f.from << ' ' << f.to << (f.vertical ? " vertical" : " horizontal");
}

std::ostream& operator<<(std::ostream& out, const Font& f)
{
    for (const std::string& face : f.faces)
        out << '"' << face << "\" ";
    return out << f.sizePt << "pt " << f.weight;
}

namespace {

constexpr Color Rgb(std::uint32_t v)
{
    return Color{static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
}

std::string Dump(const ParseResult& r)
{
    std::string text;
    for (const Diagnostic& d : r.diagnostics)
        text += FormatDiagnostic(d) + "\n";
    return text;
}

ParseResult Parse(std::string_view text, std::string_view scheme = "")
{
    return ParseTheme(text, "t.vlm", scheme);
}

Theme MustParse(std::string_view text, std::string_view scheme = "")
{
    ParseResult r = Parse(text, scheme);
    EXPECT_TRUE(r.theme.has_value()) << text << "\n" << Dump(r);
    return r.theme.value_or(Theme{});
}

std::vector<Diagnostic> OfSeverity(const ParseResult& r, Severity severity)
{
    std::vector<Diagnostic> out;
    for (const Diagnostic& d : r.diagnostics) {
        if (d.severity == severity)
            out.push_back(d);
    }
    return out;
}

TEST(DefaultTheme, IsWhatAFileWithoutStyleKeysResolvesTo)
{
    Theme expected = DefaultTheme();
    EXPECT_EQ(expected.name, "Velum Default");
    expected.name = "Bare";
    EXPECT_EQ(MustParse("[Theme]\nname = Bare\n"), expected);
}

TEST(Fallback, ColoursComeFromTheNearestSectionThatSetsTheKey)
{
    const Theme builtIn = DefaultTheme();
    struct Case {
        const char* what;
        const char* text;
        Color (*get)(const Theme&);
        Color expected;
    };
    const Case cases[] = {
        {"state takes its element's key", "[Caption]\ntext = #111111\n",
         [](const Theme& t) { return t.captionInactive.text; }, Rgb(0x111111)},
        {"state overrides its element", "[Caption]\ntext = #111111\n[Caption.Inactive]\ntext = #222222\n",
         [](const Theme& t) { return t.captionInactive.text; }, Rgb(0x222222)},
        {"falls back key by key", "[Caption]\ntext = #111111\n[Caption.Inactive]\nbackground = #333333\n",
         [](const Theme& t) { return t.captionInactive.text; }, Rgb(0x111111)},
        {"[Defaults] reaches elements", "[Defaults]\nborder = #444444\n",
         [](const Theme& t) { return t.window.border; }, Rgb(0x444444)},
        {"[Defaults] reaches states", "[Defaults]\nborder = #444444\n",
         [](const Theme& t) { return t.popupSelected.border; }, Rgb(0x444444)},
        {"element beats [Defaults] for its states", "[Defaults]\ntext = #444444\n[MenuBar]\ntext = #555555\n",
         [](const Theme& t) { return t.menuBarHot.text; }, Rgb(0x555555)},
        {"built-in value of the same element last", "[Caption]\ntext = #111111\n",
         [](const Theme& t) { return t.menuBar.text; }, builtIn.menuBar.text},
        {"built-in state, not the built-in element", "[Theme]\nname = x\n",
         [](const Theme& t) { return t.closeHot.background.from; }, builtIn.closeHot.background.from},
        {"CloseButton.Hot falls back to CaptionButton.Hot", "[CaptionButton.Hot]\nbackground = #666666\n",
         [](const Theme& t) { return t.closeHot.background.from; }, Rgb(0x666666)},
        {"then to CaptionButton", "[CaptionButton]\ntext = #777777\n", [](const Theme& t) { return t.closeHot.text; },
         Rgb(0x777777)},
        {"Pressed does not take Hot's value",
         "[CaptionButton]\nbackground = #111111\n[CaptionButton.Hot]\nbackground = #222222\n",
         [](const Theme& t) { return t.buttonPressed.background.from; }, Rgb(0x111111)},
        {"Frame.Inactive from Frame", "[Frame]\nborder = #888888\n",
         [](const Theme& t) { return t.frameInactive.border; }, Rgb(0x888888)},
        {"Popup states from Popup", "[Popup]\nbackground = #999999\n",
         [](const Theme& t) { return t.popupSeparator.background.to; }, Rgb(0x999999)},
        {"Popup colours do not follow MenuBar", "[MenuBar]\nbackground = #999999\n",
         [](const Theme& t) { return t.popup.background.from; }, builtIn.popup.background.from},
        {"names are case-insensitive", "[caption.INACTIVE]\nTEXT = #abcdef\n",
         [](const Theme& t) { return t.captionInactive.text; }, Rgb(0xABCDEF)},
        {"comments, blank lines, indentation and tabs", "; one\n# two\n\n  [Caption]\n\t text\t=\t#010203  \n",
         [](const Theme& t) { return t.caption.text; }, Rgb(0x010203)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.get(MustParse(c.text)), c.expected) << c.what;
    }
}

TEST(Fallback, GradientsAndTheirDirection)
{
    struct Case {
        const char* text;
        Fill (*get)(const Theme&);
        Fill expected;
    };
    auto caption = [](const Theme& t) { return t.caption.background; };
    const Case cases[] = {
        {"[Caption]\nbackground = #102030\n", caption, {Rgb(0x102030), Rgb(0x102030), true}},
        {"[Caption]\nbackground = #102030 #405060\n", caption, {Rgb(0x102030), Rgb(0x405060), true}},
        {"[Caption]\nbackground = #102030 \t #405060\ngradient = horizontal\n",
         caption,
         {Rgb(0x102030), Rgb(0x405060), false}},
        {"[Caption]\nbackground = #abcdef #ABCDEF\ngradient = VERTICAL\n",
         caption,
         {Rgb(0xABCDEF), Rgb(0xABCDEF), true}},
        {"[Defaults]\nbackground = #010101 #020202\n[Caption]\ngradient = horizontal\n",
         caption,
         {Rgb(0x010101), Rgb(0x020202), false}},
        {"[Caption]\nbackground = #010101 #020202\ngradient = horizontal\n"
         "[Caption.Inactive]\nbackground = #030303 #040404\n",
         [](const Theme& t) { return t.captionInactive.background; },
         {Rgb(0x030303), Rgb(0x040404), false}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.get(MustParse(c.text)), c.expected) << c.text;
    }
}

TEST(Fallback, Fonts)
{
    const Theme builtIn = DefaultTheme();
    const Font caption = builtIn.captionFont;
    const Font menu = builtIn.menuFont;
    struct Case {
        const char* text;
        Font (*get)(const Theme&);
        Font expected;
    };
    auto captionFont = [](const Theme& t) { return t.captionFont; };
    auto menuFont = [](const Theme& t) { return t.menuFont; };
    auto popupFont = [](const Theme& t) { return t.popupFont; };
    const Case cases[] = {
        {"[Caption]\nfont = \"Segoe UI\", \"Microsoft YaHei\", Tahoma\n",
         captionFont,
         {{"Segoe UI", "Microsoft YaHei", "Tahoma"}, caption.sizePt, caption.weight}},
        {"[Caption]\nfont = Segoe UI ,Tahoma\n", captionFont, {{"Segoe UI", "Tahoma"}, caption.sizePt, caption.weight}},
        {"[Caption]\nfont = \"微软雅黑\", SimSun\n",
         captionFont,
         {{"微软雅黑", "SimSun"}, caption.sizePt, caption.weight}},
        {"[Caption]\nfont = \"Odd, Name\", X\n", captionFont, {{"Odd, Name", "X"}, caption.sizePt, caption.weight}},
        {"[Caption]\nfont-size = 12\nfont-weight = bold\n", captionFont, {caption.faces, 12, 700}},
        {"[MenuBar]\nfont-weight = Normal\n", menuFont, {menu.faces, menu.sizePt, 400}},
        {"[MenuBar]\nfont-weight = 550\n", menuFont, {menu.faces, menu.sizePt, 550}},
        {"[Defaults]\nfont-size = 11\n", captionFont, {caption.faces, 11, caption.weight}},
        {"[Defaults]\nfont-size = 11\n", popupFont, {menu.faces, 11, menu.weight}},
        {"[Defaults]\nfont = A\n[Caption]\nfont-size = 14\n", captionFont, {{"A"}, 14, caption.weight}},
        {"[MenuBar]\nfont = A\nfont-size = 10\n", popupFont, {{"A"}, 10, menu.weight}},
        {"[MenuBar]\nfont = A\nfont-size = 10\n[Popup]\nfont-size = 12\n", popupFont, {{"A"}, 12, menu.weight}},
        {"[MenuBar]\nfont = A\nfont-size = 10\n[Popup]\nfont-size = 12\n", menuFont, {{"A"}, 10, menu.weight}},
        {"[Caption]\nfont = A\n", menuFont, menu},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.get(MustParse(c.text)), c.expected) << c.text;
    }
}

constexpr std::string_view kSchemeFile = "[Theme]\n"
                                         "name = Schemes\n"
                                         "default-scheme = Dark\n"
                                         "[Caption]\n"
                                         "background = #111111\n"
                                         "text = #121212\n"
                                         "[Caption.Inactive]\n"
                                         "background = #131313\n"
                                         "[Dark:Caption]\n"
                                         "background = #222222\n"
                                         "[dark:Caption.Inactive]\n"
                                         "text = #232323\n"
                                         "[Blue:Metrics]\n"
                                         "caption-height = 40\n";

TEST(Schemes, OverlayTheirBaseSectionKeyByKey)
{
    struct Case {
        std::string_view file;
        const char* scheme;
        const char* selected;
        Color captionBackground, captionText, inactiveBackground, inactiveText;
        int captionHeight;
    };
    const Theme builtIn = DefaultTheme();
    const std::string noDefault = std::string(kSchemeFile).replace(kSchemeFile.find("default-scheme"), 21, "");
    const Case cases[] = {
        {kSchemeFile, "", "Dark", Rgb(0x222222), Rgb(0x121212), Rgb(0x131313), Rgb(0x232323), 26},
        {kSchemeFile, "DARK", "Dark", Rgb(0x222222), Rgb(0x121212), Rgb(0x131313), Rgb(0x232323), 26},
        {kSchemeFile, "blue", "Blue", Rgb(0x111111), Rgb(0x121212), Rgb(0x131313), Rgb(0x121212), 40},
        {noDefault, "", "", Rgb(0x111111), Rgb(0x121212), Rgb(0x131313), Rgb(0x121212), 26},
        {noDefault, "Dark", "Dark", Rgb(0x222222), Rgb(0x121212), Rgb(0x131313), Rgb(0x232323), 26},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("scheme '") + c.scheme + "'");
        const Theme t = MustParse(c.file, c.scheme);
        EXPECT_EQ(t.scheme, c.selected);
        EXPECT_EQ(t.name, "Schemes");
        EXPECT_EQ(t.caption.background.from, c.captionBackground);
        EXPECT_EQ(t.caption.text, c.captionText);
        EXPECT_EQ(t.captionInactive.background.from, c.inactiveBackground);
        EXPECT_EQ(t.captionInactive.text, c.inactiveText);
        EXPECT_EQ(t.metrics.captionHeight, c.captionHeight);
        EXPECT_EQ(t.menuBar, builtIn.menuBar);
    }
}

// Control sections keep exactly what the file set: the control palette derives the rest, so
// [Defaults] and the built-in look must not leak in here.
TEST(ControlSections, KeepOnlyTheKeysTheFileSetUnderTheSelectedScheme)
{
    constexpr std::string_view file = "[Defaults]\nbackground = #010101\ntext = #020202\nborder = #030303\n"
                                      "[Button]\nbackground = #111111 #121212\ngradient = horizontal\ntext = #131313\n"
                                      "[Button.Hot]\nborder = #141414\n"
                                      "[CheckBox]\nmark = #151515\n"
                                      "[Dark:Button]\ntext = #212121\n"
                                      "[Dark:Button.Pressed]\nbackground = #222222\n"
                                      "[dark:ScrollBar.Thumb]\nborder = #232323\n";
    const auto rgb2 = [](std::uint32_t v) { return std::pair{Rgb(v), Rgb(v)}; };
    struct Case {
        const char* scheme;
        StyleKeys ControlStyles::*section;
        StyleKeys expected;
    };
    const Case cases[] = {
        {"", &ControlStyles::button, {std::pair{Rgb(0x111111), Rgb(0x121212)}, false, Rgb(0x131313), {}, {}, {}}},
        {"", &ControlStyles::buttonHot, {{}, {}, {}, Rgb(0x141414), {}, {}}},
        {"", &ControlStyles::buttonPressed, {}},
        {"", &ControlStyles::checkBox, {{}, {}, {}, {}, Rgb(0x151515), {}}},
        {"", &ControlStyles::scrollBarThumb, {}},
        {"", &ControlStyles::edit, {}},
        {"Dark", &ControlStyles::button, {std::pair{Rgb(0x111111), Rgb(0x121212)}, false, Rgb(0x212121), {}, {}, {}}},
        {"Dark", &ControlStyles::buttonHot, {{}, {}, {}, Rgb(0x141414), {}, {}}},
        {"Dark", &ControlStyles::buttonPressed, {rgb2(0x222222), {}, {}, {}, {}, {}}},
        {"Dark", &ControlStyles::scrollBarThumb, {{}, {}, {}, Rgb(0x232323), {}, {}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("scheme '") + c.scheme + "'");
        const Theme t = MustParse(file, c.scheme);
        EXPECT_TRUE(t.controls.*c.section == c.expected);
    }
    EXPECT_EQ(DefaultTheme().controls, ControlStyles{});
}

TEST(Schemes, AnEmptySectionNamesASchemeThatLooksLikeTheBase)
{
    Theme base = MustParse("[Caption]\ntext = #010203\n[Light:Defaults]\n");
    Theme light = MustParse("[Caption]\ntext = #010203\n[Light:Defaults]\n", "light");
    EXPECT_EQ(base.scheme, "");
    EXPECT_EQ(light.scheme, "Light");
    light.scheme = "";
    EXPECT_EQ(light, base);
}

TEST(Schemes, AreListedOnceInOrderOfFirstAppearance)
{
    EXPECT_EQ(ListThemeSchemes(kSchemeFile), (std::vector<std::string>{"Dark", "Blue"}));
    EXPECT_EQ(ListThemeSchemes("[Night:Caption]\n[Caption]\n[NIGHT:Popup]\n[Day:Sidebar]\n"),
              (std::vector<std::string>{"Night", "Day"}));
    EXPECT_EQ(ListThemeSchemes("[Caption]\n"), std::vector<std::string>{});
    EXPECT_EQ(ListThemeSchemes("\xFF\xFE"), std::vector<std::string>{});
}

TEST(Schemes, SelectingOneTheFileLacksIsAnError)
{
    struct Case {
        std::string_view file;
        const char* scheme;
        const char* lists;
    };
    const Case cases[] = {
        {kSchemeFile, "Purple", "'Purple' is not defined; the file defines Dark, Blue"},
        {"[Caption]\n", "Dark", "'Dark' is not defined; the file defines no schemes"},
        {"[Caption]\n", "bad\x01\xFF", "'bad\\x01\\xFF' is not defined"},
    };
    for (const Case& c : cases) {
        const ParseResult r = Parse(c.file, c.scheme);
        EXPECT_FALSE(r.theme);
        ASSERT_EQ(r.diagnostics.size(), 1u) << Dump(r);
        EXPECT_EQ(r.diagnostics[0].line, 0);
        EXPECT_NE(r.diagnostics[0].message.find(c.lists), std::string::npos) << r.diagnostics[0].message;
    }
}

TEST(Encoding, BomAndLineEndingsDoNotChangeTheResult)
{
    const std::string lf = "[Theme]\nname = Same\n[Caption]\nbackground = #102030 #405060\nfont = A, B\n";
    std::string crlf;
    for (char c : lf)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const Theme expected = MustParse(lf);
    for (const std::string& text :
         {"\xEF\xBB\xBF" + lf, crlf, "\xEF\xBB\xBF" + crlf, crlf.substr(0, crlf.size() - 2)}) {
        const ParseResult r = Parse(text);
        ASSERT_TRUE(r.theme) << Dump(r);
        EXPECT_EQ(*r.theme, expected);
        EXPECT_TRUE(r.diagnostics.empty()) << Dump(r);
    }
}

struct Broken {
    const char* what;
    std::string text;
    int line;
    int column;
    const char* message;
    const char* scheme = "";
};

// Each input has exactly one error, at the position given.
const Broken kBroken[] = {
    {"empty file", "", 0, 0, "not a theme file: the file is empty"},
    {"BOM and blank lines only", "\xEF\xBB\xBF\r\n\n", 0, 0, "the file is empty"},
    {"plain text", "hello\nworld\n", 0, 0, "not a theme file"},
    {"only unknown sections", "[Sidebar]\nwidth = 1\n", 0, 0, "not a theme file"},
    {"NUL byte", std::string("[Theme]\nname = a\0b\n", 18), 2, 9, "NUL byte"},
    {"UTF-16", std::string("\xFF\xFE[\0T\0", 6), 1, 1, "UTF-16"},
    {"Latin-1 byte", "[Theme]\nname = Caf\xE9\n", 2, 11, "invalid UTF-8 (byte 0xE9)"},
    {"overlong encoding", "[Theme]\nname = \xC0\xAF\n", 2, 8, "invalid UTF-8"},
    {"UTF-16 surrogate", "[Theme]\nname = \xED\xA0\x80\n", 2, 8, "invalid UTF-8"},
    {"past U+10FFFF", "[Theme]\nname = \xF4\x90\x80\x80\n", 2, 8, "invalid UTF-8"},
    {"cut inside a character", "[Theme]\nname = \xE5\xBE", 2, 8, "invalid UTF-8"},
    {"control character", "[Theme]\nname = a\x01", 2, 9, "control character 0x01"},
    {"carriage return alone", "[Theme]\rname = x\n", 1, 8, "carriage return"},
    {"cut inside a header", "[Theme]\nname = x\n[Capt", 3, 6, "no closing ']'"},
    {"cut inside a colour", "[Caption]\nbackground = #12", 2, 14, "'#12' is not a colour"},
    {"column counted after the BOM", "\xEF\xBB\xBF[Caption] x\n[Popup]\n", 1, 11, "unexpected text"},
    {"bad hex digit", "[Caption]\ntext = #12G456\n", 2, 11, "only 0-9 and A-F"},
    {"colour without #", "[Caption]\ntext = red\n", 2, 8, "expected a colour like #RRGGBB, found 'red'"},
    {"three stops", "[Caption]\nbackground = #000000 #111111 #222222\n", 2, 30, "one colour, or two"},
    {"bad second stop", "[Caption]\nbackground = #000000 #11111\n", 2, 22, "'#11111' is not a colour"},
    {"two colours for text", "[Caption]\ntext = #000000 #111111\n", 2, 16, "single colour"},
    {"bad gradient", "[Caption]\ngradient = diagonal\n", 2, 12, "'vertical' or 'horizontal'"},
    {"no '='", "[Caption]\n  text #FFFFFF\n", 2, 3, "expected 'key = value'"},
    {"key before any section", "text = #FFFFFF\n[Caption]\n", 1, 1, "outside any section"},
    {"missing value", "[Caption]\ntext =   \n", 2, 7, "missing value for 'text'"},
    {"missing key", "[Caption]\n = #FFFFFF\n", 2, 2, "missing key"},
    {"space in key", "[Caption]\nfont size = 9\n", 2, 5, "invalid character in key"},
    {"empty section name", "[Caption]\n[ ]\n", 2, 1, "empty section name"},
    {"two scheme prefixes", "[Caption]\n[A:B:C]\n", 2, 5, "at most one scheme prefix"},
    {"missing scheme name", "[Caption]\n[ :Popup]\n", 2, 3, "missing scheme name"},
    {"space in scheme name", "[Caption]\n[Da rk:Popup]\n", 2, 4, "invalid character in scheme name"},
    {"bad character in section name", "[Caption]\n[Pop*up]\n", 2, 5, "invalid character in section name"},
    {"duplicate section", "[Caption]\ntext = #000000\n[caption]\n", 3, 2,
     "duplicate section [caption] (first on line 1)"},
    {"duplicate scheme section", "[Dark:Caption]\n[DARK : caption]\n", 2, 2, "duplicate section"},
    {"duplicate key", "[Caption]\ntext = #000000\nText = #FFFFFF\n", 3, 1,
     "duplicate key 'Text' (first set on line 2)"},
    {"[Theme] in a scheme", "[Dark:Theme]\n[Caption]\n", 1, 2, "can't belong to a scheme"},
    {"negative metric", "[Metrics]\nframe-width = -1\n", 2, 15, "frame-width -1 is out of range (0 to 16)"},
    {"huge metric", "[Metrics]\ncaption-height = 99999999999999999999\n", 2, 18, "out of range (16 to 64)"},
    {"metric with unit", "[Metrics]\ncaption-height = 24px\n", 2, 18, "expected a whole number"},
    {"button taller than caption", "[Metrics]\ncaption-height = 20\nbutton-height = 24\n", 3, 17,
     "button-height 24 is taller than caption-height 20"},
    {"caption lower than built-in button", "[Metrics]\ncaption-height = 16\n", 2, 18, "taller than caption-height 16"},
    {"button taller only in the scheme",
     "[Metrics]\ncaption-height = 30\nbutton-height = 24\n[Low:Metrics]\ncaption-height = 20\n", 5, 18,
     "taller than caption-height 20 in scheme 'Low'", "low"},
    {"font size too large", "[Caption]\nfont-size = 40\n", 2, 13, "font-size 40 is out of range (6 to 36)"},
    {"font weight too heavy", "[Caption]\nfont-weight = 950\n", 2, 15, "out of range (100 to 900)"},
    {"unterminated font quote", "[Caption]\nfont = \"Segoe UI, Tahoma\n", 2, 8, "no closing quote"},
    {"empty font between commas", "[Caption]\nfont = A,,B\n", 2, 10, "missing font name"},
    {"trailing comma in font list", "[Caption]\nfont = A,\n", 2, 9, "missing font name after ','"},
    {"font name too long for Windows", "[Caption]\nfont = " + std::string(32, 'x') + "\n", 2, 8, "longer than 31"},
    {"too many font names", "[Caption]\nfont = a,b,c,d,e,f,g,h,i,j,k,l,m,n,o,p,q\n", 2, 40, "more than 16 font names"},
    {"quote inside a bare font name", "[Caption]\nfont = Seg\"oe\n", 2, 11, "a quote may only open"},
    {"text after a quoted font name", "[Caption]\nfont = \"A\" B\n", 2, 12, "expected ','"},
    {"unterminated theme name", "[Theme]\nname = \"abc\n", 2, 8, "no closing quote"},
    {"TAB inside a theme name", "[Theme]\nname = a\tb\n", 2, 9, "TAB in the theme name"},
    {"TAB inside a quoted theme name", "[Theme]\nname = \" a\tb \"\n", 2, 11, "TAB in the theme name"},
    {"TAB inside a font name", "[Caption]\nfont = Segoe\tUI, Tahoma\n", 2, 13, "TAB in the font name"},
    {"TAB inside a quoted font name", "[Caption]\nfont = A, \"B\tC\"\n", 2, 13, "TAB in the font name"},
    {"undefined default scheme", "[Theme]\ndefault-scheme = Dusk\n[Night:Caption]\n", 2, 18,
     "default-scheme 'Dusk' is not defined; the file defines Night"},
    {"bad default scheme name", "[Theme]\ndefault-scheme = Du sk\n[Caption]\n", 2, 20, "invalid character in scheme"},
    {"bad colour in a control state", "[Button.Hot]\nborder = #12345\n", 2, 10, "'#12345' is not a colour"},
    {"bad mark colour", "[CheckBox]\nmark = #00FF0G\n", 2, 14, "only 0-9 and A-F"},
    {"three stops on a thumb", "[ScrollBar.Thumb]\nbackground = #000000 #111111 #222222\n", 2, 30,
     "one colour, or two"},
    {"bad gradient on a tab", "[Tab.Selected]\ngradient = radial\n", 2, 12, "'vertical' or 'horizontal'"},
    {"two colours for a list's text", "[List]\ntext = #000000 #FFFFFF\n", 2, 16, "single colour"},
    {"duplicate control section", "[Edit]\n[Dark:Edit]\n[EDIT]\n", 3, 2, "duplicate section [EDIT] (first on line 1)"},
    {"duplicate key in a control scheme", "[Dark:Tooltip]\ntext = #000000\ntext = #000000\n", 3, 1, "duplicate key"},
    {"unknown scheme selected", "[Night:Caption]\n", 0, 0, "'Dusk' is not defined", "Dusk"},
};

TEST(Errors, BrokenInputsGiveOneErrorAtTheRightPlace)
{
    for (const Broken& b : kBroken) {
        SCOPED_TRACE(b.what);
        const ParseResult r = Parse(b.text, b.scheme);
        EXPECT_FALSE(r.theme);
        const std::vector<Diagnostic> errors = OfSeverity(r, Severity::Error);
        ASSERT_EQ(errors.size(), 1u) << Dump(r);
        EXPECT_EQ(errors[0].file, "t.vlm");
        EXPECT_EQ(errors[0].line, b.line) << Dump(r);
        EXPECT_EQ(errors[0].column, b.column) << Dump(r);
        EXPECT_NE(errors[0].message.find(b.message), std::string::npos) << Dump(r);
    }
}

// Tabs around a name are layout, like spaces; only one inside a name is refused (above).
TEST(Names, TabsAroundANameAreDropped)
{
    const Theme t = MustParse("[Theme]\nname =\t\"\tVelum Blue\t\"\t\n[Caption]\nfont =\tA B\t,\t\"C\"\t, D\t\n");
    EXPECT_EQ(t.name, "Velum Blue");
    EXPECT_EQ(t.captionFont.faces, (std::vector<std::string>{"A B", "C", "D"}));
}

TEST(Errors, UnknownThingsAreWarningsAndTheThemeStillLoads)
{
    struct Case {
        const char* text;
        int line;
        int column;
        const char* message;
    };
    const Case cases[] = {
        {"[Caption]\n[Sidebar]\nwidth = oops\n", 2, 2, "unknown section [Sidebar]"},
        {"[Caption]\n[Dark:Sidebar]\n", 2, 7, "unknown section [Sidebar]"},
        {"[Caption]\ncolour = #000000\n", 2, 1, "unknown key 'colour' in [Caption]"},
        {"[Metrics]\ntitle-height = 20\n", 2, 1, "unknown key 'title-height' in [Metrics]"},
        {"[Theme]\nauthor = me\n", 2, 1, "unknown key 'author' in [Theme]"},
        {"[Caption.Inactive]\nfont-size = 9\n", 2, 1, "has no effect in [Caption.Inactive]"},
        {"[Button]\nfont = Tahoma\n", 2, 1, "'font' has no effect in [Button]; fonts belong in"},
        {"[ScrollBar.Thumb]\ntext = #000000\n", 2, 1, "'text' has no effect in [ScrollBar.Thumb]"},
        {"[Button.Default]\nbackground = #000000\n", 2, 1, "'background' has no effect in [Button.Default]"},
        {"[GroupBox]\ngradient = vertical\n", 2, 1, "'gradient' has no effect in [GroupBox]"},
        {"[Progress.Bar]\n  border = #000000\n", 2, 3, "'border' has no effect in [Progress.Bar]"},
        {"[Dark:Caption]\nmark = #000000\n", 2, 1, "'mark' has no effect in [Caption]; it colours the mark in"},
        {"[Edit]\nmark = #000000\n", 2, 1, "'mark' has no effect in [Edit]"},
        {"[CheckBox.Hot]\ntext = #000000\n", 2, 1, "'text' has no effect in [CheckBox.Hot]"},
        {"[Edit.Focused]\ntext = #000000\n", 2, 1, "'text' has no effect in [Edit.Focused]"},
        {"[Button]\n[Button.Focus]\n", 2, 2, "unknown section [Button.Focus]"},
        {"[Tooltip]\nshadow = #000000\n", 2, 1, "unknown key 'shadow' in [Tooltip]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const ParseResult r = Parse(c.text);
        EXPECT_TRUE(r.theme);
        ASSERT_EQ(r.diagnostics.size(), 1u) << Dump(r);
        EXPECT_EQ(r.diagnostics[0].severity, Severity::Warning);
        EXPECT_EQ(r.diagnostics[0].line, c.line);
        EXPECT_EQ(r.diagnostics[0].column, c.column);
        EXPECT_NE(r.diagnostics[0].message.find(c.message), std::string::npos) << Dump(r);
    }
}

TEST(Errors, ProblemsAreReportedAllAtOnceInLineOrder)
{
    const ParseResult r = Parse("[Metrics]\ncaption-height = 20\nbutton-height = 24\n[Caption]\ntext = x\nfoo = 1\n");
    ASSERT_EQ(r.diagnostics.size(), 3u) << Dump(r);
    EXPECT_EQ(r.diagnostics[0].line, 3);
    EXPECT_EQ(r.diagnostics[1].line, 5);
    EXPECT_EQ(r.diagnostics[2].line, 6);
    EXPECT_EQ(r.diagnostics[2].severity, Severity::Warning);
}

TEST(Errors, AFileWhoseOnlyHeaderIsBrokenStillPointsAtIt)
{
    const ParseResult r = Parse("[Caption\ntext = #FFFFFF\n");
    ASSERT_EQ(r.diagnostics.size(), 2u) << Dump(r);
    EXPECT_EQ(r.diagnostics[0].line, 0);
    EXPECT_NE(r.diagnostics[0].message.find("not a theme file"), std::string::npos);
    EXPECT_EQ(r.diagnostics[1].line, 1);
    EXPECT_EQ(r.diagnostics[1].column, 9);
}

TEST(Errors, AFloodOfBadLinesIsCutShort)
{
    std::string text = "[Caption]\n";
    for (int i = 0; i < 5000; ++i)
        text += "junk\n";
    const ParseResult r = Parse(text);
    EXPECT_FALSE(r.theme);
    ASSERT_EQ(r.diagnostics.size(), 101u);
    EXPECT_EQ(r.diagnostics.back().message, "4900 more problems not shown");
    EXPECT_EQ(r.diagnostics.back().severity, Severity::Error);
}

TEST(Errors, LongValuesAreShortenedInMessages)
{
    const ParseResult r = Parse("[Caption]\ntext = " + std::string(10000, 'z') + "\n");
    ASSERT_EQ(r.diagnostics.size(), 1u);
    EXPECT_LT(r.diagnostics[0].message.size(), 120u) << r.diagnostics[0].message;
}

TEST(Errors, SizeCapIsInclusive)
{
    std::string text = "[Caption]\n";
    while (text.size() < kMaxThemeFileBytes)
        text += "; padding padding padding padding\n";
    text.resize(kMaxThemeFileBytes - 1);
    text += '\n';
    EXPECT_TRUE(Parse(text).theme) << Dump(Parse(text));
    text += '\n';
    const ParseResult over = Parse(text);
    EXPECT_FALSE(over.theme);
    ASSERT_EQ(over.diagnostics.size(), 1u);
    EXPECT_EQ(over.diagnostics[0].line, 0);
    EXPECT_NE(over.diagnostics[0].message.find("limited to 1048576 bytes"), std::string::npos);
}

TEST(Metrics, EachKeySetsItsFieldWithinItsRange)
{
    struct Case {
        const char* key;
        int value;
        int Metrics::*field;  // nullptr: the value is out of range
    };
    const Case cases[] = {
        {"caption-height", 16, &Metrics::captionHeight},
        {"caption-height", 64, &Metrics::captionHeight},
        {"caption-height", 15, nullptr},
        {"caption-height", 65, nullptr},
        {"frame-width", 0, &Metrics::frameWidth},
        {"frame-width", 16, &Metrics::frameWidth},
        {"frame-width", 17, nullptr},
        {"button-width", 16, &Metrics::buttonWidth},
        {"button-width", 64, &Metrics::buttonWidth},
        {"button-width", 65, nullptr},
        {"button-height", 12, &Metrics::buttonHeight},
        {"button-height", 48, &Metrics::buttonHeight},
        {"button-height", 11, nullptr},
        {"button-height", 49, nullptr},
        {"menubar-height", 48, &Metrics::menuBarHeight},
        {"menubar-height", 49, nullptr},
        {"menu-item-height", 16, &Metrics::menuItemHeight},
        {"menu-item-height", 15, nullptr},
        {"menu-item-padding", 32, &Metrics::menuItemPadding},
        {"menu-item-padding", 33, nullptr},
        {"corner-radius", 16, &Metrics::cornerRadius},
        {"corner-radius", 17, nullptr},
    };
    for (const Case& c : cases) {
        // Keeps the button no taller than the caption whatever the row sets.
        const std::string other =
            std::string_view(c.key) == "caption-height" ? "button-height = 12\n" : "caption-height = 64\n";
        const ParseResult r = Parse("[Metrics]\n" + other + c.key + " = " + std::to_string(c.value) + "\n");
        EXPECT_EQ(r.theme.has_value(), c.field != nullptr) << c.key << " " << c.value << "\n" << Dump(r);
        if (r.theme && c.field) {
            EXPECT_EQ(r.theme->metrics.*c.field, c.value) << c.key;
        }
    }
}

TEST(FormatDiagnostic, PrintsOnlyThePositionItHas)
{
    struct Case {
        Diagnostic d;
        const char* expected;
    };
    const Case cases[] = {
        {{"a.vlm", 3, 7, Severity::Error, "bad"}, "a.vlm:3:7: error: bad"},
        {{"a.vlm", 3, 0, Severity::Warning, "meh"}, "a.vlm:3: warning: meh"},
        {{"a.vlm", 0, 0, Severity::Error, "too big"}, "a.vlm: error: too big"},
        {{"", 1, 1, Severity::Error, "x"}, "<theme>:1:1: error: x"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatDiagnostic(c.d), c.expected);
}

std::filesystem::path SkinDir()
{
    return std::filesystem::path(VELUM_SOURCE_DIR) / "Skin";
}

std::vector<std::filesystem::path> SkinFiles()
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(SkinDir())) {
        if (entry.path().extension() == ".vlm")
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

TEST(ShippedThemes, EverySchemeParsesCleanlyAndKeepsPartsApart)
{
    const auto files = SkinFiles();
    ASSERT_GE(files.size(), 7u);
    std::set<std::string> names;
    std::set<std::tuple<int, int, int>> captions;
    for (const auto& path : files) {
        SCOPED_TRACE(path.filename().string());
        std::string bytes;
        Diagnostic error;
        ASSERT_TRUE(ReadThemeFile(path, bytes, error)) << FormatDiagnostic(error);
        std::vector<std::string> schemes = ListThemeSchemes(bytes);
        schemes.insert(schemes.begin(), "");
        for (const std::string& scheme : schemes) {
            SCOPED_TRACE("scheme '" + scheme + "'");
            const ParseResult r = ParseTheme(bytes, path.string(), scheme);
            ASSERT_TRUE(r.theme) << Dump(r);
            EXPECT_TRUE(r.diagnostics.empty()) << Dump(r);
            const Theme& t = *r.theme;
            // Screenshot tests tell the parts apart by colour.
            const std::vector<Color> parts = {t.caption.background.from, t.menuBar.background.from,
                                              t.window.background.from, t.popup.background.from,
                                              t.popupSelected.background.from};
            std::set<std::tuple<int, int, int>> seen;
            for (const Color& c : parts) {
                EXPECT_TRUE(seen.insert({c.r, c.g, c.b}).second)
                    << c << ": caption, menu bar, window, popup and selection need distinct backgrounds";
            }
            EXPECT_NE(t.caption.background, t.captionInactive.background);
            EXPECT_NE(t.caption.text, t.caption.background.from);
            EXPECT_NE(t.popupSelected.text, t.popupSelected.background.from);
            if (scheme.empty()) {
                EXPECT_TRUE(names.insert(t.name).second) << "two themes are called " << t.name;
                const Color c = t.caption.background.from;
                EXPECT_TRUE(captions.insert({c.r, c.g, c.b}).second) << "two themes share a caption colour";
            }
        }
    }
}

TEST(ShippedThemes, DefaultThemeHasLightAndDarkSchemes)
{
    const ParseResult light = LoadThemeFile(SkinDir() / "velum.vlm", "");
    ASSERT_TRUE(light.theme) << Dump(light);
    EXPECT_EQ(light.theme->scheme, "Light");
    const ParseResult dark = LoadThemeFile(SkinDir() / "velum.vlm", "dark");
    ASSERT_TRUE(dark.theme) << Dump(dark);
    EXPECT_EQ(dark.theme->scheme, "Dark");
    EXPECT_NE(dark.theme->window.background, light.theme->window.background);
}

class ReadThemeFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = std::filesystem::temp_directory_path() /
               ("velum-theme-test-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::filesystem::path Write(const char* name, const std::string& bytes)
    {
        const auto path = dir_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    std::filesystem::path dir_;
};

TEST_F(ReadThemeFileTest, RefusesWhatItCannotUseAndNamesThePath)
{
    struct Case {
        std::filesystem::path path;
        bool ok;
        const char* message;
    };
    const Case cases[] = {
        {Write("fits.vlm", std::string(kMaxThemeFileBytes, ';')), true, ""},
        {Write("big.vlm", std::string(kMaxThemeFileBytes + 1, ';')), false, "larger than 1048576 bytes"},
        {dir_ / "absent.vlm", false, "no such file"},
        {dir_, false, "is a directory"},
    };
    for (const Case& c : cases) {
        std::string bytes = "stale";
        Diagnostic error;
        EXPECT_EQ(ReadThemeFile(c.path, bytes, error), c.ok) << c.path;
        if (c.ok) {
            EXPECT_EQ(bytes.size(), kMaxThemeFileBytes);
        } else {
            EXPECT_TRUE(bytes.empty());
            EXPECT_EQ(error.file, c.path.string());
            EXPECT_NE(error.message.find(c.message), std::string::npos) << error.message;
        }
    }
}

}  // namespace
}  // namespace velum
