#include "SystemColours.h"

#include "Contrast.h"

namespace velum {

namespace {

int Luminance(Color c)
{
    return (c.r * 299 + c.g * 587 + c.b * 114) / 1000;
}

// Links and hot-tracked items are drawn in the hot-light colour on the window's background: the
// theme's accent, its selection colour, where it stands out there as an underlined link does
// (WCAG's figure for graphics); a theme whose selection is a pale tint gets the accent of its
// fields' selection, or the accent taken towards the text colour until it stands out.
Color HotLight(const Theme& t, const ControlPalette& p)
{
    const Color window = p.field.normal.background.from;
    const Color accent = t.popupSelected.background.from;
    const Color text = p.field.normal.text;
    for (const Color c : {accent, p.field.selected.background.from, Mix(accent, text, 25), Mix(accent, text, 50),
                          Mix(accent, text, 75)})
        if (ContrastRatio(c, window) >= kReadableGraphic)
            return c;
    return text;
}

}  // namespace

SystemColourTable ThemeSystemColours(const Theme& t, const ControlPalette& p)
{
    SystemColourTable table{};
    auto set = [&table](SystemColour index, Color c) { table[static_cast<std::size_t>(index)] = c; };
    const Color face = p.background;
    const Color text = t.window.text;
    // The 3-D edges: lit sides lighter than the face and shaded sides darker, on a dark face
    // as on a light one.
    constexpr Color white{255, 255, 255}, black{0, 0, 0};
    const bool dark = Luminance(face) < 128;
    set(kButtonFace, face);
    set(kButtonText, text);
    set(kButtonHighlight, dark ? Mix(face, white, 30) : Mix(face, white, 80));
    set(kLight3D, dark ? Mix(face, white, 15) : Mix(face, white, 40));
    set(kButtonShadow, dark ? Mix(face, black, 40) : Mix(face, black, 30));
    set(kDarkShadow3D, dark ? Mix(face, black, 70) : Mix(face, black, 60));
    set(kGrayText, p.button.labelDisabled);

    set(kWindowColour, p.field.normal.background.from);
    set(kWindowText, p.field.normal.text);
    set(kWindowFrame, p.field.normal.border);
    set(kHighlight, p.field.selected.background.from);
    set(kHighlightText, p.field.selected.text);
    set(kHotLight, HotLight(t, p));
    set(kScrollBar, p.scroll.track.background.from);
    set(kAppWorkspace, Mix(face, dark ? white : black, 12));

    set(kActiveCaption, t.caption.background.from);
    set(kGradientActiveCaption, t.caption.background.to);
    set(kCaptionText, t.caption.text);
    set(kInactiveCaption, t.captionInactive.background.from);
    set(kGradientInactiveCaption, t.captionInactive.background.to);
    set(kInactiveCaptionText, t.captionInactive.text);
    set(kActiveBorder, t.frame.background.from);
    set(kInactiveBorder, t.frameInactive.background.from);

    set(kMenu, t.popup.background.from);
    set(kMenuText, t.popup.text);
    set(kMenuHighlight, t.popupSelected.background.from);
    set(kMenuBarColour, t.menuBar.background.from);
    set(kInfoBackground, p.common.tooltip.background.from);
    set(kInfoText, p.common.tooltip.text);
    return table;
}

}  // namespace velum
