#include "ContrastReport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "Contrast.h"
#include "ControlPalette.h"

namespace velum {

namespace {

// A colour key of a section, where a pair's colour may come from.
struct Key {
    std::string_view section, key;
};

// The pixels a part draws under its text or glyph: an image, its cut and state, the part's size
// at 96 DPI and where the text or glyph sits in it.
struct Backdrop {
    const Image* image = nullptr;
    const PartImage* named = nullptr;
    int state = 0;
    int width = 0, height = 0;
    PixelArea area;
};

Color FromPixel(std::uint32_t p)
{
    return {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8), static_cast<std::uint8_t>(p)};
}

std::uint32_t ToPixel(Color c)
{
    return static_cast<std::uint32_t>(c.r) << 16 | static_cast<std::uint32_t>(c.g) << 8 | c.b;
}

// Text runs across the middle half of a part's height, inside the image's side margins and an
// eighth of the width from each side; a glyph is a square of half the part's smaller side at its
// centre.
PixelArea TextArea(int width, int height, const ImageMargins& m)
{
    return {std::max(width / 8, m.left), height / 4, std::min(width - width / 8, width - m.right), height - height / 4};
}

PixelArea GlyphArea(int width, int height)
{
    const int side = std::max(2, std::min(width, height) / 2);
    return {(width - side) / 2, (height - side) / 2, (width + side) / 2, (height + side) / 2};
}

class Measure {
public:
    Measure(const Theme& theme, const ColourPlaces& places, const ThemeImageSet* images)
        : theme_(theme), places_(places), images_(images)
    {
    }

    // A pair: `fore` on `back`, or on the pixels of `art` composed over `back`'s two ends.
    void Add(std::string what, ContrastUse use, bool exempt, Color fore, const Fill& back,
             std::initializer_list<Key> foreKeys, std::initializer_list<Key> backKeys,
             std::optional<Backdrop> art = std::nullopt)
    {
        ContrastPair pair;
        pair.what = std::move(what);
        pair.use = use;
        pair.exempt = exempt;
        pair.fore = fore;
        const auto consider = [&](Color c) {
            const double ratio = ContrastRatio(fore, c);
            if (ratio <= pair.ratio) {
                pair.ratio = ratio;
                pair.back = c;
            }
        };
        if (art && art->image != nullptr) {
            pair.image = art->named->path;
            for (const Color under : {back.from, back.to}) {
                const Image drawn =
                    NineSlice(*art->image, *art->named, art->state, art->width, art->height, art->area, ToPixel(under));
                for (const std::uint32_t p : drawn.pixels)
                    consider(FromPixel(p));
            }
        } else {
            consider(back.from);
            consider(back.to);
        }
        pair.place = PlaceOf(foreKeys);
        if (!pair.place)
            pair.place = PlaceOf(backKeys);
        pairs_.push_back(std::move(pair));
    }

    // A menu's or control's image (ImageRef into the theme's part images) under a part of this size.
    std::optional<Backdrop> Part(const ImageRef& ref, int width, int height, bool glyph = false) const
    {
        if (images_ == nullptr || !ref || static_cast<std::size_t>(ref.index) >= images_->parts.size() ||
            static_cast<std::size_t>(ref.index) >= theme_.partImages.size())
            return std::nullopt;
        const auto i = static_cast<std::size_t>(ref.index);
        return Cut(images_->parts[i].image, theme_.partImages[i], ref.state, width, height, glyph);
    }

    // A frame image (caption, caption buttons) in a state of its strip; `loaded` is a member of
    // the image set, or none.
    std::optional<Backdrop> Frame(const std::optional<LoadedImage> ThemeImageSet::*loaded,
                                  const std::optional<PartImage>& named, int state, int width, int height,
                                  bool glyph = false) const
    {
        if (images_ == nullptr || !(images_->*loaded) || !named)
            return std::nullopt;
        return Cut((images_->*loaded)->image, *named, state, width, height, glyph);
    }

    // The caption band: its own image, else the frame image's rows behind it, else none.
    std::optional<Backdrop> CaptionBand(bool active) const
    {
        const Metrics& m = theme_.metrics;
        const FrameImages& named = theme_.images;
        // An inactive window shows the second state of a strip of two or more.
        const auto state = [&](const std::optional<PartImage>& image) {
            return !active && image && image->states >= 2 ? 1 : 0;
        };
        const auto& caption = active ? named.caption : named.captionInactive;
        if (caption)
            return Frame(active ? &ThemeImageSet::caption : &ThemeImageSet::captionInactive, caption, state(caption),
                         400, m.captionHeight);
        const auto& frame = active ? named.frame : named.frameInactive;
        auto band =
            Frame(active ? &ThemeImageSet::frame : &ThemeImageSet::frameInactive, frame, state(frame), 400, 300);
        if (band)
            band->area = {50, m.frameWidth + m.captionHeight / 4, 350, m.frameWidth + m.captionHeight * 3 / 4};
        return band;
    }

    KeyPlace PlaceOf(std::initializer_list<Key> keys) const
    {
        for (const Key& k : keys) {
            if (const KeyPlace place = places_.At(k.section, k.key))
                return place;
        }
        return {};
    }

    std::vector<ContrastPair> Take() { return std::move(pairs_); }

private:
    static Backdrop Cut(const Image& image, const PartImage& named, int state, int width, int height, bool glyph)
    {
        return {&image, &named, state,
                width,  height, glyph ? GlyphArea(width, height) : TextArea(width, height, named.margins)};
    }

    const Theme& theme_;
    const ColourPlaces& places_;
    const ThemeImageSet* images_;
    std::vector<ContrastPair> pairs_;
};

constexpr auto kText = ContrastUse::Text;
constexpr auto kGlyph = ContrastUse::Glyph;
constexpr auto kBorder = ContrastUse::Border;
constexpr auto kFocus = ContrastUse::Focus;
constexpr bool kExempt = true;
constexpr bool kCounts = false;

// The caption and its buttons.
void MeasureFrame(Measure& add, const Theme& t)
{
    const Metrics& m = t.metrics;
    add.Add("caption text", kText, kCounts, t.caption.text, t.caption.background, {{"Caption", "text"}},
            {{"Caption", "background"}}, add.CaptionBand(true));
    add.Add("inactive caption text", kText, kExempt, t.captionInactive.text, t.captionInactive.background,
            {{"Caption.Inactive", "text"}}, {{"Caption.Inactive", "background"}}, add.CaptionBand(false));

    // The button strip's states are normal, hot, pressed, inactive window and disabled; the close
    // button's own strip, where it has one, hot and pressed.
    const auto button = [&](std::string what, bool exempt, const Style& style, Color glyph, std::string_view section,
                            int state, bool close) {
        const bool own = close && t.images.closeHot;
        const std::optional<Backdrop> art =
            own ? add.Frame(&ThemeImageSet::closeHot, t.images.closeHot, state - 1, m.buttonWidth, m.buttonHeight, true)
                : add.Frame(&ThemeImageSet::button, t.images.button, state, m.buttonWidth, m.buttonHeight, true);
        add.Add(std::move(what), kGlyph, exempt, glyph, style.background, {{section, "text"}},
                {{section, "background"}}, art);
    };
    button("caption button glyph", kCounts, t.button, t.button.text, "CaptionButton", 0, false);
    button("hot caption button glyph", kCounts, t.buttonHot, t.buttonHot.text, "CaptionButton.Hot", 1, false);
    button("pressed caption button glyph", kCounts, t.buttonPressed, t.buttonPressed.text, "CaptionButton.Pressed", 2,
           false);
    button("hot close button glyph", kCounts, t.closeHot, t.closeHot.text, "CloseButton.Hot", 1, true);
    button("pressed close button glyph", kCounts, t.closeHot, t.closeHot.text, "CloseButton.Hot", 2, true);
    button("inactive caption button glyph", kExempt, t.buttonInactive, t.buttonInactive.text, "CaptionButton.Inactive",
           3, false);
    // A disabled button's glyph is its text faded towards its face, as the engine draws it.
    button("disabled caption button glyph", kExempt, t.button, Mix(t.button.background.from, t.button.text, 40),
           "CaptionButton", 4, false);
}

void MeasureMenus(Measure& add, const Theme& t)
{
    const Metrics& m = t.metrics;
    add.Add("menu bar text", kText, kCounts, t.menuBar.text, t.menuBar.background, {{"MenuBar", "text"}},
            {{"MenuBar", "background"}}, add.Part(t.menuBar.image, 300, m.menuBarHeight));
    add.Add("hot menu bar item text", kText, kCounts, t.menuBarHot.text, t.menuBarHot.background,
            {{"MenuBar.Hot", "text"}}, {{"MenuBar.Hot", "background"}},
            add.Part(t.menuBarHot.image, 60, m.menuBarHeight));
    add.Add("menu item text", kText, kCounts, t.popup.text, t.popup.background, {{"Popup", "text"}},
            {{"Popup", "background"}}, add.Part(t.popup.image, 200, m.menuItemHeight * 6));
    add.Add("selected menu item text", kText, kCounts, t.popupSelected.text, t.popupSelected.background,
            {{"Popup.Selected", "text"}}, {{"Popup.Selected", "background"}},
            add.Part(t.popupSelected.image, 200, m.menuItemHeight));
    // A greyed item stands on the popup's own face and image.
    add.Add("disabled menu item text", kText, kExempt, t.popupDisabled.text, t.popupDisabled.background,
            {{"Popup.Disabled", "text"}}, {{"Popup.Disabled", "background"}},
            add.Part(t.popup.image, 200, m.menuItemHeight * 6));
}

// Client-area text and the controls, in the palette the engine derives.
void MeasureControls(Measure& add, const Theme& t, const ControlPalette& c)
{
    const Fill window = t.window.background;
    const ButtonPalette& b = c.button;
    add.Add("window text", kText, kCounts, t.window.text, window, {{"Window", "text"}}, {{"Window", "background"}});

    add.Add("button text", kText, kCounts, b.normal.text, b.normal.background, {{"Button", "text"}, {"Window", "text"}},
            {{"Button", "background"}, {"Window", "background"}}, add.Part(b.normal.image, 90, 24));
    add.Add("hot button text", kText, kCounts, b.hot.text, b.hot.background,
            {{"Button.Hot", "text"}, {"Button", "text"}, {"Window", "text"}},
            {{"Button.Hot", "background"}, {"Button", "background"}, {"Window", "background"}},
            add.Part(b.hot.image, 90, 24));
    add.Add("pressed button text", kText, kCounts, b.pressed.text, b.pressed.background,
            {{"Button.Pressed", "text"}, {"Button", "text"}, {"Window", "text"}},
            {{"Button.Pressed", "background"}, {"Button", "background"}, {"Window", "background"}},
            add.Part(b.pressed.image, 90, 24));
    add.Add("disabled button text", kText, kExempt, b.disabled.text, b.disabled.background,
            {{"Button.Disabled", "text"}, {"Button", "text"}, {"Window", "text"}},
            {{"Button.Disabled", "background"}, {"Button", "background"}, {"Window", "background"}},
            add.Part(b.disabled.image, 90, 24));
    add.Add("button focus rectangle", kFocus, kCounts, b.focus, b.normal.background, {{"Window", "text"}},
            {{"Button", "background"}, {"Window", "background"}}, add.Part(b.normal.image, 90, 24));

    add.Add("check box label", kText, kCounts, b.label, window, {{"CheckBox", "text"}, {"Window", "text"}},
            {{"Window", "background"}});
    add.Add("disabled check box label", kText, kExempt, b.labelDisabled, window,
            {{"CheckBox.Disabled", "text"}, {"CheckBox", "text"}, {"Window", "text"}}, {{"Window", "background"}});
    add.Add("group box caption", kText, kCounts, b.groupText, window, {{"GroupBox", "text"}, {"Window", "text"}},
            {{"Window", "background"}});
    // With an image the box and its mark are the artwork's own.
    if (!b.box.image) {
        const auto mark = [&](std::string what, bool exempt, const Style& box, std::string_view section) {
            add.Add(std::move(what), kGlyph, exempt, box.text, box.background,
                    {{section, "mark"}, {"CheckBox", "mark"}, {"CheckBox", "text"}, {"Window", "text"}},
                    {{section, "background"}, {"CheckBox", "background"}, {"Window", "background"}});
        };
        mark("check mark", kCounts, b.box, "CheckBox");
        mark("hot check mark", kCounts, b.boxHot, "CheckBox.Hot");
        mark("pressed check mark", kCounts, b.boxPressed, "CheckBox.Pressed");
        mark("disabled check mark", kExempt, b.boxDisabled, "CheckBox.Disabled");
        add.Add("check box border", kBorder, kCounts, b.box.border, window,
                {{"CheckBox", "border"}, {"Window", "text"}}, {{"Window", "background"}});
    }

    const FieldPalette& f = c.field;
    const auto field = [&](std::string what, bool exempt, const Style& style, std::initializer_list<Key> fore,
                           std::initializer_list<Key> back) {
        add.Add(std::move(what), kText, exempt, style.text, style.background, fore, back,
                add.Part(style.image, 120, 22));
    };
    field("edit text", kCounts, f.normal, {{"Edit", "text"}, {"Window", "text"}},
          {{"Edit", "background"}, {"Window", "background"}});
    field("read-only edit text", kCounts, f.readOnly, {{"Edit.ReadOnly", "text"}, {"Edit", "text"}, {"Window", "text"}},
          {{"Edit.ReadOnly", "background"}, {"Window", "background"}});
    field("disabled edit text", kExempt, f.disabled, {{"Edit.Disabled", "text"}, {"Edit", "text"}, {"Window", "text"}},
          {{"Edit.Disabled", "background"}, {"Window", "background"}});
    field("list text", kCounts, f.list, {{"List", "text"}, {"Edit", "text"}, {"Window", "text"}},
          {{"List", "background"}, {"Edit", "background"}, {"Window", "background"}});
    field("selected list item text", kCounts, f.selected, {{"List.Selected", "text"}, {"Popup.Selected", "text"}},
          {{"List.Selected", "background"}, {"Popup.Selected", "background"}});
    field("unfocused selected list item text", kExempt, f.selectedInactive, {{"Window", "text"}},
          {{"Window", "background"}});
    // A field drawn from an image has the image for its edge.
    if (!f.normal.image) {
        add.Add("edit border", kBorder, kCounts, f.normal.border, window, {{"Edit", "border"}, {"Window", "text"}},
                {{"Window", "background"}});
        add.Add("list border", kBorder, kCounts, f.list.border, window,
                {{"List", "border"}, {"Edit", "border"}, {"Window", "text"}}, {{"Window", "background"}});
        add.Add("focused edit border", kFocus, kCounts, f.focusBorder, window,
                {{"Edit.Focused", "border"}, {"Popup.Selected", "background"}}, {{"Window", "background"}});
        add.Add("disabled edit border", kBorder, kExempt, f.disabled.border, window,
                {{"Edit.Disabled", "border"}, {"Edit", "border"}, {"Window", "text"}}, {{"Window", "background"}});
    }

    const ScrollPalette& s = c.scroll;
    const auto arrow = [&](std::string what, bool exempt, const Style& style, std::string_view section) {
        add.Add(std::move(what), kGlyph, exempt, style.text, style.background,
                {{section, "text"}, {"ScrollBar", "text"}, {"Window", "text"}},
                {{section, "background"}, {"ScrollBar", "background"}, {"Window", "background"}},
                add.Part(style.image, 17, 17, true));
    };
    arrow("scroll bar arrow", kCounts, s.arrow, "ScrollBar");
    arrow("hot scroll bar arrow", kCounts, s.arrowHot, "ScrollBar.Hot");
    arrow("pressed scroll bar arrow", kCounts, s.arrowPressed, "ScrollBar.Pressed");
    arrow("disabled scroll bar arrow", kExempt, s.arrowDisabled, "ScrollBar");

    const CommonPalette& k = c.common;
    const auto common = [&](std::string what, const Style& style, std::string_view section, std::string_view element,
                            std::string_view fallback, int width) {
        add.Add(std::move(what), kText, kCounts, style.text, style.background,
                {{section, "text"}, {element, "text"}, {fallback, "text"}},
                {{section, "background"}, {element, "background"}, {fallback, "background"}},
                add.Part(style.image, width, 22));
    };
    common("tab text", k.tab, "Tab", "Tab", "Window", 80);
    common("hot tab text", k.tabHot, "Tab.Hot", "Tab", "Window", 80);
    common("selected tab text", k.tabSelected, "Tab.Selected", "Tab", "Window", 80);
    common("column header text", k.header, "Header", "Header", "Window", 100);
    common("hot column header text", k.headerHot, "Header.Hot", "Header", "Window", 100);
    common("pressed column header text", k.headerPressed, "Header.Pressed", "Header", "Window", 100);
    common("status bar text", k.statusBar, "StatusBar", "StatusBar", "MenuBar", 300);
    common("tooltip text", k.tooltip, "Tooltip", "Tooltip", "Popup", 200);
}

std::string Hex(Color c)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", c.r, c.g, c.b);
    return text;
}

// Two decimals, rounded down, so a ratio that falls short never prints as the figure it misses.
std::string Ratio(double ratio)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", std::floor(ratio * 100) / 100);
    return text;
}

}  // namespace

double RequiredContrast(ContrastUse use)
{
    return use == ContrastUse::Text ? kReadableText : kReadableGraphic;
}

std::vector<ContrastPair> MeasureContrast(const Theme& theme, const ColourPlaces& places, const ThemeImageSet* images)
{
    // A set whose images did not all load draws none of them: the colours stand.
    if (images != nullptr && images->error)
        images = nullptr;
    Measure add(theme, places, images);
    MeasureFrame(add, theme);
    MeasureMenus(add, theme);
    MeasureControls(add, theme, DeriveControlPalette(theme));
    return add.Take();
}

std::optional<Diagnostic> ContrastDiagnostic(const ContrastPair& pair, std::string_view fileName,
                                             std::string_view scheme)
{
    const double required = RequiredContrast(pair.use);
    if (pair.ratio >= required)
        return std::nullopt;
    static constexpr std::string_view kNeeds[] = {"text needs", "glyphs need", "borders need", "focus indicators need"};
    const std::string needs =
        std::string(kNeeds[static_cast<std::size_t>(pair.use)]) + (required == kReadableText ? " 4.5:1" : " 3:1");
    std::string message = pair.what + ' ' + Hex(pair.fore) + " on " + Hex(pair.back);
    if (!pair.image.empty())
        message += " (in " + pair.image + ')';
    message += " reads " + Ratio(pair.ratio) + (pair.exempt ? ":1 " : ":1, ");
    message += pair.exempt ? "(" + needs + "; disabled and inactive parts are exempt)" : needs;
    if (!scheme.empty())
        message += " [scheme " + std::string(scheme) + ']';
    return Diagnostic{std::string(fileName), pair.place.line, pair.place.column,
                      pair.exempt ? Severity::Note : Severity::Warning, std::move(message)};
}

}  // namespace velum
