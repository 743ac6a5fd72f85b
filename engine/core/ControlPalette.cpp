#include "ControlPalette.h"

namespace velum {

namespace {

Style Solid(Color background, Color text, Color border)
{
    return {{background, background, true}, text, border, {}};
}

// The keys a control section set, laid over the colours it would otherwise have.
Style With(Style style, const StyleKeys& keys)
{
    if (keys.background) {
        style.background.from = keys.background->first;
        style.background.to = keys.background->second;
    }
    if (keys.vertical)
        style.background.vertical = *keys.vertical;
    if (keys.text)
        style.text = *keys.text;
    if (keys.border)
        style.border = *keys.border;
    if (keys.image)
        style.image = *keys.image;
    return style;
}

// A check box's section: the mark is the style's text; its label is kept apart.
Style WithBox(Style style, const StyleKeys& keys)
{
    StyleKeys box = keys;
    box.text = keys.mark;
    return With(style, box);
}

// A state's look when its own section is silent: its element's face moved towards `colour`,
// both stops of a gradient alike, so the state stays of the element's look.
Style Shifted(Style style, Color colour, int percent)
{
    style.background.from = Mix(style.background.from, colour, percent);
    style.background.to = Mix(style.background.to, colour, percent);
    return style;
}

Style Bordered(Style style, Color border)
{
    style.border = border;
    return style;
}

void DeriveButtons(ControlPalette& palette, const Theme& theme, Color accent)
{
    const ControlStyles& k = theme.controls;
    const Color back = palette.background;
    const Color text = theme.window.text;
    const auto toward = [&](int percent) { return Mix(back, text, percent); };
    ButtonPalette& b = palette.button;

    // Faces are steps from the window's background towards its text; hot and pressed go further
    // from whatever the normal face is, and take the accent as their outline.
    b.normal = With(Solid(toward(12), text, toward(40)), k.button);
    const Style& n = b.normal;
    b.hot = With(Bordered(Shifted(n, n.text, 9), accent), k.buttonHot);
    b.pressed = With(Bordered(Shifted(n, n.text, 20), accent), k.buttonPressed);
    Style disabled = Bordered(Shifted(n, back, 50), Mix(n.border, back, 45));
    disabled.text = Mix(disabled.background.from, n.text, 36);
    b.disabled = With(disabled, k.buttonDisabled);
    b.defaultBorder = k.buttonDefault.border.value_or(accent);
    b.focus = text;

    b.label = k.checkBox.text.value_or(text);
    b.box = WithBox(Solid(back, b.label, toward(55)), k.checkBox);
    const Style& box = b.box;
    b.boxHot = WithBox(Bordered(box, accent), k.checkBoxHot);
    b.boxPressed = WithBox(Bordered(Shifted(box, b.label, 20), accent), k.checkBoxPressed);
    Style boxDisabled = Bordered(Shifted(box, b.label, 6), Mix(box.border, box.background.from, 45));
    boxDisabled.text = Mix(box.background.from, box.text, 40);
    b.boxDisabled = WithBox(boxDisabled, k.checkBoxDisabled);
    b.labelDisabled = k.checkBoxDisabled.text.value_or(Mix(back, b.label, 40));

    b.groupFrame = k.groupBox.border.value_or(toward(35));
    b.groupText = k.groupBox.text.value_or(text);
    b.defaultImage = k.buttonDefault.image.value_or(ImageRef{});
    b.radio = k.radioButton.image.value_or(ImageRef{});
    b.groupImage = k.groupBox.image.value_or(ImageRef{});
}

void DeriveFields(ControlPalette& palette, const Theme& theme, Color accent)
{
    const ControlStyles& k = theme.controls;
    const Color back = palette.background;
    const Color text = theme.window.text;
    FieldPalette& f = palette.field;

    // Fields sit a step off the window's background, so an edit reads as a place to type in
    // on light and dark themes alike. Disabled and read-only ones stand on the window's
    // background, as the system's do.
    f.normal = With(Solid(Mix(back, text, 4), text, Mix(back, text, 35)), k.edit);
    const Style& e = f.normal;
    f.disabled = With(Solid(back, Mix(back, e.text, 40), Mix(e.border, back, 37)), k.editDisabled);
    f.readOnly = With(Solid(back, e.text, Mix(e.border, back, 20)), k.editReadOnly);
    f.list = With(e, k.list);
    f.focusBorder = k.editFocused.border.value_or(accent);
    f.focusImage = k.editFocused.image.value_or(ImageRef{});
    const Style& selected = theme.popupSelected;
    f.selected = With(Solid(selected.background.from, selected.text, selected.background.from), k.listSelected);
    f.selectedInactive = Solid(Mix(back, text, 25), text, Mix(back, text, 25));
}

void DeriveScrollBars(ControlPalette& palette, const Theme& theme, Color accent)
{
    const ControlStyles& k = theme.controls;
    const Color back = palette.background;
    const Color text = theme.window.text;
    ScrollPalette& s = palette.scroll;

    // Arrow buttons are the track's, their arrows dimmed text at rest; under the mouse or held
    // down they step towards the window's text and their arrows take it at full strength.
    s.track = With(Solid(Mix(back, text, 6), text, Mix(back, text, 6)), k.scrollBar);
    s.arrow = s.track;
    s.arrow.text = k.scrollBar.text.value_or(Mix(back, text, 60));
    const auto litArrow = [&](int percent) {
        Style arrow = Shifted(s.arrow, text, percent);
        arrow.text = text;
        arrow.border = Mix(s.arrow.border, text, percent);
        return arrow;
    };
    s.arrowHot = With(litArrow(15), k.scrollBarHot);
    s.arrowPressed = With(litArrow(26), k.scrollBarPressed);
    s.arrowDisabled = s.arrow;
    s.arrowDisabled.text = Mix(s.arrow.background.from, s.arrow.text, 35);
    // The arrow strip's fourth state is the disabled arrow.
    if (s.arrowDisabled.image)
        s.arrowDisabled.image.state = 3;

    const Color thumb = Mix(s.track.background.from, text, 23);
    s.thumb = With(Solid(thumb, text, thumb), k.scrollBarThumb);
    s.thumbHot = With(Shifted(Bordered(s.thumb, Mix(s.thumb.border, text, 17)), text, 17), k.scrollBarThumbHot);
    s.thumbPressed = With(Solid(accent, text, accent), k.scrollBarThumbPressed);
}

void DeriveCommon(ControlPalette& palette, const Theme& theme, Color accent)
{
    const ControlStyles& k = theme.controls;
    const Color back = palette.background;
    const Color text = theme.window.text;
    const auto toward = [&](int percent) { return Mix(back, text, percent); };
    CommonPalette& c = palette.common;

    c.progressBar = With(Solid(accent, accent, accent), k.progressBar);
    c.progress = With(Solid(toward(10), c.progressBar.background.from, toward(35)), k.progress);
    c.progress.text = c.progressBar.background.from;

    // The selected tab merges into the page below it, which has the window's background.
    c.tab = With(Solid(toward(10), text, toward(35)), k.tab);
    c.tabHot = With(Shifted(c.tab, c.tab.text, 9), k.tabHot);
    c.tabSelected = With(Solid(back, c.tab.text, c.tab.border), k.tabSelected);
    c.header = With(Solid(toward(10), text, toward(30)), k.header);
    c.headerHot = With(Shifted(c.header, c.header.text, 9), k.headerHot);
    c.headerPressed = With(Shifted(c.header, c.header.text, 20), k.headerPressed);
    c.statusBar = With(Solid(theme.menuBar.background.from, theme.menuBar.text, toward(20)), k.statusBar);
    c.tooltip = With(Solid(theme.popup.background.from, theme.popup.text, theme.popup.border), k.tooltip);
}

}  // namespace

Color Mix(Color a, Color b, int percent)
{
    const auto channel = [percent](std::uint8_t from, std::uint8_t to) {
        const int value = from * 100 + (to - from) * percent;
        return static_cast<std::uint8_t>((value + (value >= 0 ? 50 : -50)) / 100);
    };
    return {channel(a.r, b.r), channel(a.g, b.g), channel(a.b, b.b)};
}

ControlPalette DeriveControlPalette(const Theme& theme)
{
    // Controls stand on the window's background; the selection colour of popups is the accent
    // a hovered, pressed or default control takes where the theme names none.
    const Color accent = theme.popupSelected.background.from;
    ControlPalette palette;
    palette.background = theme.window.background.from;
    DeriveButtons(palette, theme, accent);
    DeriveFields(palette, theme, accent);
    DeriveScrollBars(palette, theme, accent);
    DeriveCommon(palette, theme, accent);
    return palette;
}

}  // namespace velum
