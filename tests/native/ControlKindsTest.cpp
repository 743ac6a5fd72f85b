// Control families from class names, and what button and static styles make of a control.
#include <gtest/gtest.h>

#include <string>

#include "ControlKinds.h"

namespace velum {
namespace {

TEST(ControlKinds, ClassNamesNameTheirFamilies)
{
    const struct {
        const wchar_t* name;
        ControlFamily expected;
    } cases[] = {
        {L"Button", ControlFamily::Button},
        {L"BUTTON", ControlFamily::Button},
        {L"button", ControlFamily::Button},
        {L"Static", ControlFamily::Static},
        {L"Edit", ControlFamily::Edit},
        {L"ListBox", ControlFamily::ListBox},
        {L"ComboBox", ControlFamily::ComboBox},
        {L"ComboLBox", ControlFamily::ComboList},
        {L"ScrollBar", ControlFamily::ScrollBar},
        {L"msctls_statusbar32", ControlFamily::StatusBar},
        {L"ToolbarWindow32", ControlFamily::Toolbar},
        {L"msctls_progress32", ControlFamily::Progress},
        {L"msctls_trackbar32", ControlFamily::Trackbar},
        {L"msctls_updown32", ControlFamily::UpDown},
        {L"SysTabControl32", ControlFamily::Tab},
        {L"SysListView32", ControlFamily::ListView},
        {L"SysHeader32", ControlFamily::Header},
        {L"SysTreeView32", ControlFamily::TreeView},
        {L"tooltips_class32", ControlFamily::Tooltip},
        // Registered through an activation context.
        {L"6.0.7601.17514!Button", ControlFamily::Button},
        {L"6.0.2600.0!SysListView32", ControlFamily::ListView},
        // Other names, near misses among them.
        {L"", ControlFamily::Unknown},
        {L"!", ControlFamily::Unknown},
        {L"Button!", ControlFamily::Unknown},
        {L"Buttons", ControlFamily::Unknown},
        {L"Butto", ControlFamily::Unknown},
        {L"ThunderRT6CommandButton", ControlFamily::Unknown},
        {L"#32770", ControlFamily::Unknown},
        {L"MDIClient", ControlFamily::Unknown},
        {L"RichEdit20W", ControlFamily::Unknown},
        // Only ASCII letters compare without case: a dotless capital I is not an I.
        {L"L\u0130stBox", ControlFamily::Unknown},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FamilyOfClassName(c.name), c.expected)
            << std::string(c.name, c.name + std::wstring_view(c.name).size());
}

TEST(ControlKinds, EverySystemClassIsFoundByItsOwnName)
{
    for (const auto& known : SystemControlClasses()) {
        EXPECT_NE(known.family, ControlFamily::Unknown);
        EXPECT_EQ(FamilyOfClassName(known.name), known.family);
    }
}

TEST(ControlKinds, ButtonStyles)
{
    const struct {
        std::uint32_t style;
        ButtonKind kind;
        bool automatic, pushLike, picture, drawn;
    } cases[] = {
        {0x0, ButtonKind::Push, false, false, false, true},
        {0x1, ButtonKind::DefaultPush, false, false, false, true},
        {0x2, ButtonKind::CheckBox, false, false, false, true},
        {0x3, ButtonKind::CheckBox, true, false, false, true},
        {0x4, ButtonKind::Radio, false, false, false, true},
        {0x5, ButtonKind::ThreeState, false, false, false, true},
        {0x6, ButtonKind::ThreeState, true, false, false, true},
        {0x7, ButtonKind::GroupBox, false, false, false, true},
        {0x8, ButtonKind::Other, false, false, false, false},  // user button
        {0x9, ButtonKind::Radio, true, false, false, true},
        {0xA, ButtonKind::Other, false, false, false, false},  // push box
        {0xB, ButtonKind::OwnerDrawn, false, false, false, false},
        {0xC, ButtonKind::Other, false, false, false, false},  // split button
        {0xF, ButtonKind::Other, false, false, false, false},  // default command link
        // Window styles and text alignment change nothing.
        {0x50010003, ButtonKind::CheckBox, true, false, false, true},
        {0x0301, ButtonKind::DefaultPush, false, false, false, true},
        {0x0020 | 0x9, ButtonKind::Radio, true, false, false, true},  // text on the left
        // Pictures stay the program's.
        {0x0040, ButtonKind::Push, false, false, true, false},
        {0x0080 | 0x3, ButtonKind::CheckBox, true, false, true, false},
        // Push-like check boxes and radio buttons; the bit means nothing on a push button.
        {0x1000 | 0x3, ButtonKind::CheckBox, true, true, false, true},
        {0x1000 | 0x9, ButtonKind::Radio, true, true, false, true},
        {0x1000 | 0x6, ButtonKind::ThreeState, true, true, false, true},
        {0x1000, ButtonKind::Push, false, false, false, true},
        // The system ignores picture bits on group boxes and owner-drawn buttons.
        {0x0080 | 0x7, ButtonKind::GroupBox, false, false, false, true},
        {0x0080 | 0xB, ButtonKind::OwnerDrawn, false, false, false, false},
    };
    for (const auto& c : cases) {
        const auto button = ButtonStyleOf(c.style);
        EXPECT_EQ(button.kind, c.kind) << std::hex << c.style;
        EXPECT_EQ(button.automatic, c.automatic) << std::hex << c.style;
        EXPECT_EQ(button.pushLike, c.pushLike) << std::hex << c.style;
        EXPECT_EQ(button.picture, c.picture) << std::hex << c.style;
        EXPECT_EQ(EngineDrawsButton(button), c.drawn) << std::hex << c.style;
    }
    EXPECT_TRUE(ButtonStyleOf(0x8000).flat);
    EXPECT_FALSE(ButtonStyleOf(0x8007).flat);
}

TEST(ControlKinds, OwnerDrawnListsAndCombos)
{
    const struct {
        std::uint32_t style;
        bool ownerDraws;
    } cases[] = {
        {0x0000, false},
        {0x0010, true},           // fixed height
        {0x0020, true},           // variable height
        {0x0013, true},           // an owner-drawn drop-down list
        {0x2000 | 0x0010, true},  // a list without data is owner-drawn
        // Notify, sort, multiple and extended selection, tab stops, has strings.
        {0x0001 | 0x0002 | 0x0008 | 0x0800 | 0x0080 | 0x0040, false},
        {0x50000000 | 0x0100 | 0x0200 | 0x0003, false},  // a sorted drop-down list
    };
    for (const auto& c : cases)
        EXPECT_EQ(OwnerDrawsItems(c.style), c.ownerDraws) << std::hex << c.style;
}

}  // namespace
}  // namespace velum
