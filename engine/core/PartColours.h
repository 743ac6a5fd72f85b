// A theme's colours by the names its file gives them: a part (a section such as "Caption" or
// "Button"), one of its states ("Hot", "Inactive"...) and a colour key ("background", "text"...),
// answered with the colour the engine draws, also where the file leaves the key out. For programs
// that draw parts of their own windows in the theme's colours.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ControlPalette.h"

namespace velum {

struct PartColour {
    std::optional<Color> colour;
    std::string error;  // why there is none: an unknown part, state or key
};

// `state` may be empty for the part's own look. Names compare without regard to ASCII case.
PartColour ColourOfPart(const Theme& theme, const ControlPalette& controls, std::string_view part,
                        std::string_view state, std::string_view key);

}  // namespace velum
