// Who shapes a skinned window's corners and draws its outer edge: the engine with a window
// region, or the compositor of Windows 11 (build 22000 on), which rounds and shadows a window
// itself but gives up both for a window with a region. Portable, so the choice is tested apart
// from the system.
#pragma once

#include <cstdint>

#include "ThemeFile.h"

namespace velum {

// The first Windows build whose compositor takes a corner preference and a border colour.
inline constexpr unsigned long kCompositorCornersBuild = 22000;
// The radius Windows 11 gives a window's corners with the small preference, at 96 DPI; above it
// the full radius (8 px) is nearer.
inline constexpr int kSmallCompositorRadius = 4;

// The values DwmSetWindowAttribute takes for DWMWA_WINDOW_CORNER_PREFERENCE.
enum class CornerPreference : std::uint32_t { Default = 0, DoNotRound = 1, Round = 2, RoundSmall = 3 };

// The values DwmSetWindowAttribute takes for DWMWA_BORDER_COLOR besides a COLORREF.
inline constexpr std::uint32_t kBorderColourDefault = 0xFFFFFFFF;
inline constexpr std::uint32_t kBorderColourNone = 0xFFFFFFFE;

struct WindowCornersInput {
    unsigned long windowsBuild = 0;  // 0 when not known
    int cornerRadius = 0;            // the theme's, at 96 DPI
    bool shapedByImage = false;      // a frame image cuts the window's outline
    Color border;                    // the outer edge the theme draws around the frame
};

struct WindowCorners {
    bool region = false;      // the engine cuts the corners with a window region
    bool compositor = false;  // the compositor is told the corners and the border below
    CornerPreference corner = CornerPreference::Default;
    std::uint32_t borderColour = kBorderColourDefault;  // a COLORREF, or one of the values above
    friend bool operator==(const WindowCorners&, const WindowCorners&) = default;
};

// The compositor rounds where it can: a theme's round corners become its preference, a square
// theme asks for none, and the border it draws takes the theme's edge colour. A frame image's
// outline can only be cut with a region, and before build 22000 every shape is a region.
WindowCorners ChooseWindowCorners(const WindowCornersInput& in);

// What the window falls back to when the compositor refuses the preference: the region of the
// systems before it.
WindowCorners WithoutCompositorCorners(const WindowCornersInput& in);

}  // namespace velum
