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
    return palette;
}

}  // namespace velum
