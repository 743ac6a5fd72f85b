#include "ControlPalette.h"

namespace velum {

namespace {

Style Solid(Color background, Color text, Color border)
{
    return {{background, background, true}, text, border};
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
    // Controls stand on the window's background in its text colour; their faces are steps
    // from the one towards the other, and the selection colour of popups is the accent a
    // hovered or default control takes.
    const Color back = theme.window.background.from;
    const Color text = theme.window.text;
    const Color accent = theme.popupSelected.background.from;
    const auto toward = [&](int percent) { return Mix(back, text, percent); };

    ControlPalette palette;
    palette.background = back;
    ButtonPalette& b = palette.button;
    b.normal = Solid(toward(12), text, toward(40));
    b.hot = Solid(toward(20), text, accent);
    b.pressed = Solid(toward(30), text, accent);
    b.disabled = Solid(toward(6), toward(40), toward(22));
    b.defaultBorder = accent;
    b.focus = text;
    b.box = Solid(back, text, toward(55));
    b.boxHot = Solid(back, text, accent);
    b.boxPressed = Solid(toward(20), text, accent);
    b.boxDisabled = Solid(toward(6), toward(40), toward(30));
    b.label = text;
    b.labelDisabled = toward(40);
    b.groupFrame = toward(35);
    b.groupText = text;

    // Fields sit a step off the window's background, so an edit reads as a place to type in
    // on light and dark themes alike; the selection is the popups' selection.
    FieldPalette& f = palette.field;
    const Style selected = theme.popupSelected;
    f.normal = Solid(toward(4), text, toward(35));
    f.disabled = Solid(back, toward(40), toward(22));
    f.readOnly = Solid(back, text, toward(28));
    f.focusBorder = accent;
    f.selected = Solid(selected.background.from, selected.text, selected.background.from);
    f.selectedInactive = Solid(toward(25), text, toward(25));

    ScrollPalette& s = palette.scroll;
    s.track = Solid(toward(6), text, toward(6));
    s.arrow = Solid(toward(6), toward(60), toward(6));
    s.arrowHot = Solid(toward(20), text, toward(20));
    s.arrowPressed = Solid(toward(30), text, toward(30));
    s.arrowDisabled = Solid(toward(6), toward(25), toward(6));
    s.thumb = Solid(toward(28), text, toward(28));
    s.thumbHot = Solid(toward(40), text, toward(40));
    s.thumbPressed = Solid(accent, text, accent);

    CommonPalette& c = palette.common;
    c.progress = Solid(toward(10), accent, toward(35));
    c.tab = Solid(toward(10), text, toward(35));
    c.tabSelected = Solid(back, text, toward(35));
    c.tabHot = Solid(toward(18), text, toward(35));
    c.header = Solid(toward(10), text, toward(30));
    c.headerHot = Solid(toward(18), text, toward(30));
    c.headerPressed = Solid(toward(28), text, toward(30));
    c.statusBar = Solid(theme.menuBar.background.from, theme.menuBar.text, toward(20));
    c.tooltip = Solid(theme.popup.background.from, theme.popup.text, theme.popup.border);
    return palette;
}

}  // namespace velum
