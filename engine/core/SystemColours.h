// The colours the system's own drawing asks for by index (GetSysColor): dialogs and property
// pages, common dialogs, rich edit's automatic colours, owner-drawn lists a system dialog draws.
// While a theme is in use the skinned thread is answered with the theme's colours, so what the
// system draws there belongs to the theme. Portable: the indices are Windows' COLOR_* values.
#pragma once

#include <array>
#include <optional>

#include "ControlPalette.h"
#include "ThemeFile.h"

namespace velum {

// Windows' COLOR_* indices, 0 to 30.
enum SystemColour : int {
    kScrollBar = 0,
    kDesktop = 1,
    kActiveCaption = 2,
    kInactiveCaption = 3,
    kMenu = 4,
    kWindowColour = 5,
    kWindowFrame = 6,
    kMenuText = 7,
    kWindowText = 8,
    kCaptionText = 9,
    kActiveBorder = 10,
    kInactiveBorder = 11,
    kAppWorkspace = 12,
    kHighlight = 13,
    kHighlightText = 14,
    kButtonFace = 15,
    kButtonShadow = 16,
    kGrayText = 17,
    kButtonText = 18,
    kInactiveCaptionText = 19,
    kButtonHighlight = 20,
    kDarkShadow3D = 21,
    kLight3D = 22,
    kInfoText = 23,
    kInfoBackground = 24,
    kHotLight = 26,
    kGradientActiveCaption = 27,
    kGradientInactiveCaption = 28,
    kMenuHighlight = 29,
    kMenuBarColour = 30,
};
inline constexpr int kSystemColourCount = 31;

// The theme's answer for each index; none where the system's stays (the desktop, index 25).
using SystemColourTable = std::array<std::optional<Color>, kSystemColourCount>;
SystemColourTable ThemeSystemColours(const Theme& theme, const ControlPalette& controls);

}  // namespace velum
