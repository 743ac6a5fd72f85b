#include "WindowCorners.h"

namespace velum {

namespace {

std::uint32_t ColourRef(Color c)
{
    return static_cast<std::uint32_t>(c.r) | static_cast<std::uint32_t>(c.g) << 8 |
           static_cast<std::uint32_t>(c.b) << 16;
}

}  // namespace

WindowCorners WithoutCompositorCorners(const WindowCornersInput& in)
{
    WindowCorners out;
    out.region = in.shapedByImage || in.cornerRadius > 0;
    return out;
}

WindowCorners ChooseWindowCorners(const WindowCornersInput& in)
{
    if (in.windowsBuild < kCompositorCornersBuild)
        return WithoutCompositorCorners(in);
    WindowCorners out;
    out.compositor = true;
    if (in.shapedByImage) {
        // The image draws its own outline; the compositor keeps out of it.
        out.region = true;
        out.corner = CornerPreference::DoNotRound;
        out.borderColour = kBorderColourNone;
        return out;
    }
    out.corner = in.cornerRadius <= 0                        ? CornerPreference::DoNotRound
                 : in.cornerRadius <= kSmallCompositorRadius ? CornerPreference::RoundSmall
                                                             : CornerPreference::Round;
    out.borderColour = ColourRef(in.border);
    return out;
}

}  // namespace velum
