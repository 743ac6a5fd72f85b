#include "ControlKinds.h"

#include <array>

namespace velum {

namespace {

// The documented style values (winuser.h), spelled here so the core needs no Windows headers.
constexpr std::uint32_t kButtonTypeMask = 0x000F;
constexpr std::uint32_t kButtonIcon = 0x0040;
constexpr std::uint32_t kButtonBitmap = 0x0080;
constexpr std::uint32_t kButtonPushLike = 0x1000;
constexpr std::uint32_t kButtonFlat = 0x8000;
constexpr std::uint32_t kComboTypeMask = 0x0003;
constexpr std::uint32_t kOwnerDrawFixed = 0x0010;
constexpr std::uint32_t kOwnerDrawVariable = 0x0020;

constexpr std::array kClasses{
    SystemControlClass{L"Button", ControlFamily::Button},
    SystemControlClass{L"Static", ControlFamily::Static},
    SystemControlClass{L"Edit", ControlFamily::Edit},
    SystemControlClass{L"ListBox", ControlFamily::ListBox},
    SystemControlClass{L"ComboBox", ControlFamily::ComboBox},
    SystemControlClass{L"ComboLBox", ControlFamily::ComboList},
    SystemControlClass{L"ScrollBar", ControlFamily::ScrollBar},
    SystemControlClass{L"msctls_statusbar32", ControlFamily::StatusBar},
    SystemControlClass{L"ToolbarWindow32", ControlFamily::Toolbar},
    SystemControlClass{L"msctls_progress32", ControlFamily::Progress},
    SystemControlClass{L"msctls_trackbar32", ControlFamily::Trackbar},
    SystemControlClass{L"msctls_updown32", ControlFamily::UpDown},
    SystemControlClass{L"SysTabControl32", ControlFamily::Tab},
    SystemControlClass{L"SysListView32", ControlFamily::ListView},
    SystemControlClass{L"SysHeader32", ControlFamily::Header},
    SystemControlClass{L"SysTreeView32", ControlFamily::TreeView},
    SystemControlClass{L"tooltips_class32", ControlFamily::Tooltip},
};

wchar_t AsciiLower(wchar_t c)
{
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool SameClassName(std::wstring_view a, std::wstring_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    return true;
}

}  // namespace

std::span<const SystemControlClass> SystemControlClasses()
{
    return kClasses;
}

ControlFamily FamilyOfClassName(std::wstring_view name)
{
    // Classes registered through an activation context carry the assembly's version before a
    // '!'; the version never holds one.
    if (const auto bang = name.rfind(L'!'); bang != std::wstring_view::npos)
        name.remove_prefix(bang + 1);
    for (const auto& known : kClasses)
        if (SameClassName(name, known.name))
            return known.family;
    return ControlFamily::Unknown;
}

ButtonStyle ButtonStyleOf(std::uint32_t style)
{
    ButtonStyle button;
    switch (style & kButtonTypeMask) {
    case 0x0: button.kind = ButtonKind::Push; break;
    case 0x1: button.kind = ButtonKind::DefaultPush; break;
    case 0x2: button.kind = ButtonKind::CheckBox; break;
    case 0x3:
        button.kind = ButtonKind::CheckBox;
        button.automatic = true;
        break;
    case 0x4: button.kind = ButtonKind::Radio; break;
    case 0x5: button.kind = ButtonKind::ThreeState; break;
    case 0x6:
        button.kind = ButtonKind::ThreeState;
        button.automatic = true;
        break;
    case 0x7: button.kind = ButtonKind::GroupBox; break;
    case 0x9:
        button.kind = ButtonKind::Radio;
        button.automatic = true;
        break;
    case 0xB: button.kind = ButtonKind::OwnerDrawn; break;
    default: button.kind = ButtonKind::Other; break;
    }
    // The system ignores these bits on group boxes and owner-drawn buttons.
    if (button.kind != ButtonKind::GroupBox && button.kind != ButtonKind::OwnerDrawn) {
        button.picture = (style & (kButtonIcon | kButtonBitmap)) != 0;
        button.flat = (style & kButtonFlat) != 0;
        const bool checkable = button.kind == ButtonKind::CheckBox || button.kind == ButtonKind::ThreeState ||
                               button.kind == ButtonKind::Radio;
        button.pushLike = checkable && (style & kButtonPushLike) != 0;
    }
    return button;
}

bool EngineDrawsButton(const ButtonStyle& button)
{
    return button.kind != ButtonKind::OwnerDrawn && button.kind != ButtonKind::Other && !button.picture;
}

ComboKind ComboKindOf(std::uint32_t style)
{
    switch (style & kComboTypeMask) {
    case 0x2: return ComboKind::DropDown;
    case 0x3: return ComboKind::DropDownList;
    default: return ComboKind::Simple;
    }
}

bool OwnerDrawsItems(std::uint32_t style)
{
    return (style & (kOwnerDrawFixed | kOwnerDrawVariable)) != 0;
}

}  // namespace velum
