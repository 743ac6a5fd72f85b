#include "PartColours.h"

#include <array>
#include <functional>

namespace velum {

namespace {

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// What one part in one state is drawn with: a style, and for check boxes the mark.
struct PartLook {
    Style style;
    std::optional<Color> mark;
};

using LookOf = PartLook (*)(const Theme&, const ControlPalette&);

struct NamedPart {
    std::string_view part;
    std::string_view state;  // "" for the part's own look
    LookOf look;
};

Style WithBorder(Style s, Color border)
{
    s.border = border;
    return s;
}

Style WithText(Style s, Color text)
{
    s.text = text;
    return s;
}

PartLook Plain(const Style& style)
{
    return {style, std::nullopt};
}

PartLook Box(const Style& box, Color label)
{
    // The box's style carries the mark as its text; the label is the text beside it.
    return {WithText(box, label), box.text};
}

// clang-format off
constexpr std::array kParts = {
    NamedPart{"Window", "", [](const Theme& t, const ControlPalette&) { return Plain(t.window); }},
    NamedPart{"Frame", "", [](const Theme& t, const ControlPalette&) { return Plain(t.frame); }},
    NamedPart{"Frame", "Inactive", [](const Theme& t, const ControlPalette&) { return Plain(t.frameInactive); }},
    NamedPart{"Caption", "", [](const Theme& t, const ControlPalette&) { return Plain(t.caption); }},
    NamedPart{"Caption", "Inactive", [](const Theme& t, const ControlPalette&) { return Plain(t.captionInactive); }},
    NamedPart{"CaptionButton", "", [](const Theme& t, const ControlPalette&) { return Plain(t.button); }},
    NamedPart{"CaptionButton", "Hot", [](const Theme& t, const ControlPalette&) { return Plain(t.buttonHot); }},
    NamedPart{"CaptionButton", "Pressed", [](const Theme& t, const ControlPalette&) { return Plain(t.buttonPressed); }},
    NamedPart{"CaptionButton", "Inactive", [](const Theme& t, const ControlPalette&) { return Plain(t.buttonInactive); }},
    NamedPart{"CloseButton", "Hot", [](const Theme& t, const ControlPalette&) { return Plain(t.closeHot); }},
    NamedPart{"CloseButton", "Pressed", [](const Theme& t, const ControlPalette&) { return Plain(t.closeHot); }},
    NamedPart{"MenuBar", "", [](const Theme& t, const ControlPalette&) { return Plain(t.menuBar); }},
    NamedPart{"MenuBar", "Hot", [](const Theme& t, const ControlPalette&) { return Plain(t.menuBarHot); }},
    NamedPart{"Popup", "", [](const Theme& t, const ControlPalette&) { return Plain(t.popup); }},
    NamedPart{"Popup", "Selected", [](const Theme& t, const ControlPalette&) { return Plain(t.popupSelected); }},
    NamedPart{"Popup", "Disabled", [](const Theme& t, const ControlPalette&) { return Plain(t.popupDisabled); }},
    NamedPart{"Popup", "Separator", [](const Theme& t, const ControlPalette&) { return Plain(t.popupSeparator); }},
    NamedPart{"Button", "", [](const Theme&, const ControlPalette& c) { return Plain(c.button.normal); }},
    NamedPart{"Button", "Hot", [](const Theme&, const ControlPalette& c) { return Plain(c.button.hot); }},
    NamedPart{"Button", "Pressed", [](const Theme&, const ControlPalette& c) { return Plain(c.button.pressed); }},
    NamedPart{"Button", "Disabled", [](const Theme&, const ControlPalette& c) { return Plain(c.button.disabled); }},
    NamedPart{"Button", "Default", [](const Theme&, const ControlPalette& c) {
        return Plain(WithBorder(c.button.normal, c.button.defaultBorder)); }},
    NamedPart{"CheckBox", "", [](const Theme&, const ControlPalette& c) { return Box(c.button.box, c.button.label); }},
    NamedPart{"CheckBox", "Hot", [](const Theme&, const ControlPalette& c) { return Box(c.button.boxHot, c.button.label); }},
    NamedPart{"CheckBox", "Pressed", [](const Theme&, const ControlPalette& c) {
        return Box(c.button.boxPressed, c.button.label); }},
    NamedPart{"CheckBox", "Disabled", [](const Theme&, const ControlPalette& c) {
        return Box(c.button.boxDisabled, c.button.labelDisabled); }},
    NamedPart{"GroupBox", "", [](const Theme&, const ControlPalette& c) {
        return Plain(Style{{c.background, c.background, true}, c.button.groupText, c.button.groupFrame, {}}); }},
    NamedPart{"Edit", "", [](const Theme&, const ControlPalette& c) { return Plain(c.field.normal); }},
    NamedPart{"Edit", "Disabled", [](const Theme&, const ControlPalette& c) { return Plain(c.field.disabled); }},
    NamedPart{"Edit", "ReadOnly", [](const Theme&, const ControlPalette& c) { return Plain(c.field.readOnly); }},
    NamedPart{"Edit", "Focused", [](const Theme&, const ControlPalette& c) {
        return Plain(WithBorder(c.field.normal, c.field.focusBorder)); }},
    NamedPart{"List", "", [](const Theme&, const ControlPalette& c) { return Plain(c.field.list); }},
    NamedPart{"List", "Selected", [](const Theme&, const ControlPalette& c) { return Plain(c.field.selected); }},
    NamedPart{"ScrollBar", "", [](const Theme&, const ControlPalette& c) {
        return Plain(WithText(c.scroll.track, c.scroll.arrow.text)); }},
    NamedPart{"ScrollBar", "Hot", [](const Theme&, const ControlPalette& c) { return Plain(c.scroll.arrowHot); }},
    NamedPart{"ScrollBar", "Pressed", [](const Theme&, const ControlPalette& c) { return Plain(c.scroll.arrowPressed); }},
    NamedPart{"ScrollBar", "Disabled", [](const Theme&, const ControlPalette& c) { return Plain(c.scroll.arrowDisabled); }},
    NamedPart{"ScrollBar.Thumb", "", [](const Theme&, const ControlPalette& c) { return Plain(c.scroll.thumb); }},
    NamedPart{"ScrollBar.Thumb", "Hot", [](const Theme&, const ControlPalette& c) { return Plain(c.scroll.thumbHot); }},
    NamedPart{"ScrollBar.Thumb", "Pressed", [](const Theme&, const ControlPalette& c) {
        return Plain(c.scroll.thumbPressed); }},
    NamedPart{"Progress", "", [](const Theme&, const ControlPalette& c) { return Plain(c.common.progress); }},
    NamedPart{"Progress.Bar", "", [](const Theme&, const ControlPalette& c) { return Plain(c.common.progressBar); }},
    NamedPart{"Tab", "", [](const Theme&, const ControlPalette& c) { return Plain(c.common.tab); }},
    NamedPart{"Tab", "Hot", [](const Theme&, const ControlPalette& c) { return Plain(c.common.tabHot); }},
    NamedPart{"Tab", "Selected", [](const Theme&, const ControlPalette& c) { return Plain(c.common.tabSelected); }},
    NamedPart{"Header", "", [](const Theme&, const ControlPalette& c) { return Plain(c.common.header); }},
    NamedPart{"Header", "Hot", [](const Theme&, const ControlPalette& c) { return Plain(c.common.headerHot); }},
    NamedPart{"Header", "Pressed", [](const Theme&, const ControlPalette& c) { return Plain(c.common.headerPressed); }},
    NamedPart{"StatusBar", "", [](const Theme&, const ControlPalette& c) { return Plain(c.common.statusBar); }},
    NamedPart{"Tooltip", "", [](const Theme&, const ControlPalette& c) { return Plain(c.common.tooltip); }},
};
// clang-format on

}  // namespace

PartColour ColourOfPart(const Theme& theme, const ControlPalette& controls, std::string_view part,
                        std::string_view state, std::string_view key)
{
    if (SameName(state, "Normal"))
        state = {};
    const NamedPart* found = nullptr;
    bool partKnown = false;
    for (const NamedPart& p : kParts) {
        if (!SameName(p.part, part))
            continue;
        partKnown = true;
        if (SameName(p.state, state)) {
            found = &p;
            break;
        }
    }
    if (!partKnown)
        return {std::nullopt, "no part named \"" + std::string(part) + "\""};
    if (found == nullptr)
        return {std::nullopt, "the part \"" + std::string(part) + "\" has no state \"" + std::string(state) + "\""};
    const PartLook look = found->look(theme, controls);
    if (SameName(key, "background"))
        return {look.style.background.from, {}};
    if (SameName(key, "background-end"))
        return {look.style.background.to, {}};
    if (SameName(key, "text"))
        return {look.style.text, {}};
    if (SameName(key, "border"))
        return {look.style.border, {}};
    if (SameName(key, "mark") && look.mark)
        return {*look.mark, {}};
    return {std::nullopt, "the part \"" + std::string(part) + "\" has no colour \"" + std::string(key) + "\""};
}

}  // namespace velum
