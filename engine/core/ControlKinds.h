// The system control families the engine can draw, told from a window class name, and what a
// button's or a static's style makes of it. Portable C++ with no Windows headers: the class
// names and style bits are the documented values, so the table is tested natively.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace velum {

enum class ControlFamily {
    Unknown,
    Button,
    Static,
    Edit,
    ListBox,
    ComboBox,
    ComboList,  // the list a combo box drops
    ScrollBar,
    StatusBar,
    Toolbar,
    Progress,
    Trackbar,
    UpDown,
    Tab,
    ListView,
    Header,
    TreeView,
    Tooltip,
};

struct SystemControlClass {
    std::wstring_view name;
    ControlFamily family;
};

// Every class the system registers for a control the engine knows, in user32 and in comctl32.
std::span<const SystemControlClass> SystemControlClasses();

// The family of a class name, compared as Windows compares class names (ASCII letters without
// case). A name from an activation context ("6.0.7601.17514!Button") counts as the name after
// its '!'. Unknown for any other name.
ControlFamily FamilyOfClassName(std::wstring_view name);

enum class ButtonKind {
    Push,
    DefaultPush,
    CheckBox,    // two states
    ThreeState,  // three states
    Radio,
    GroupBox,
    OwnerDrawn,
    Other,  // user buttons, push boxes, split buttons and command links
};

struct ButtonStyle {
    ButtonKind kind = ButtonKind::Push;
    bool automatic = false;  // the button changes its own check state when clicked
    bool pushLike = false;   // a check box or radio button that looks like a push button
    bool picture = false;    // shows an icon or a bitmap instead of its text
    bool flat = false;
};

ButtonStyle ButtonStyleOf(std::uint32_t style);

// Whether the engine draws a button of this style: what the program draws itself (owner-drawn
// buttons) and pictures stay as the program made them, and so do kinds the engine has no look
// for.
bool EngineDrawsButton(const ButtonStyle& button);

enum class ComboKind {
    Simple,        // the list always shown below the edit
    DropDown,      // an edit and a button that drops the list
    DropDownList,  // a field showing the selected item and a button that drops the list
};

// A combo box's kind from its style (a style of type 0, which the system treats as simple,
// counts as simple).
ComboKind ComboKindOf(std::uint32_t style);

// Whether the program draws the items of a list box or combo box of this style itself
// (LBS_OWNERDRAWFIXED and LBS_OWNERDRAWVARIABLE have the values of their CBS_ twins).
bool OwnerDrawsItems(std::uint32_t style);

}  // namespace velum
