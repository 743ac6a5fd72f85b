// Which of the engine and the compositor shapes a skinned window, by Windows build and theme.
#include <gtest/gtest.h>

#include "WindowCorners.h"

namespace velum {
namespace {

TEST(WindowCorners, TheCompositorRoundsWhereItCanAndARegionShapesTheRest)
{
    const Color edge{0x12, 0x34, 0x56};
    const std::uint32_t edgeRef = 0x563412;
    using P = CornerPreference;
    const struct {
        const char* what;
        unsigned long build;
        int radius;
        bool image;
        WindowCorners expected;
    } cases[] = {
        {"Windows 10, square", 19045, 0, false, {false, false, P::Default, kBorderColourDefault}},
        {"Windows 10, rounded", 19045, 6, false, {true, false, P::Default, kBorderColourDefault}},
        {"Windows 10, image", 19045, 0, true, {true, false, P::Default, kBorderColourDefault}},
        {"build unknown, rounded", 0, 6, false, {true, false, P::Default, kBorderColourDefault}},
        {"Windows 11, square", 22000, 0, false, {false, true, P::DoNotRound, edgeRef}},
        {"Windows 11, small radius", 22621, 1, false, {false, true, P::RoundSmall, edgeRef}},
        {"Windows 11, 4 px", 22621, 4, false, {false, true, P::RoundSmall, edgeRef}},
        {"Windows 11, 5 px", 22621, 5, false, {false, true, P::Round, edgeRef}},
        {"Windows 11, large radius", 26100, 12, false, {false, true, P::Round, edgeRef}},
        {"Windows 11, image", 22621, 6, true, {true, true, P::DoNotRound, kBorderColourNone}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const WindowCorners got = ChooseWindowCorners({c.build, c.radius, c.image, edge});
        EXPECT_EQ(got.region, c.expected.region);
        EXPECT_EQ(got.compositor, c.expected.compositor);
        EXPECT_EQ(got.corner, c.expected.corner);
        EXPECT_EQ(got.borderColour, c.expected.borderColour);
    }
}

}  // namespace
}  // namespace velum
