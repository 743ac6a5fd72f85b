// The look applied before any theme file, and the value of every key a file leaves out.
#include <cstdint>
#include <string>
#include <vector>

#include "ThemeFile.h"

namespace velum {
namespace {

Style MakeStyle(std::uint32_t top, std::uint32_t bottom, std::uint32_t text, std::uint32_t border)
{
    auto rgb = [](std::uint32_t v) {
        return Color{static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8),
                     static_cast<std::uint8_t>(v)};
    };
    return Style{Fill{rgb(top), rgb(bottom), true}, rgb(text), rgb(border), {}};
}

Theme BuildDefaultTheme()
{
    Theme t;
    t.name = "Velum Default";
    const std::vector<std::string> faces = {"Segoe UI", "Microsoft YaHei",
                                            "\xE5\xBE\xAE\xE8\xBD\xAF\xE9\x9B\x85\xE9\xBB\x91", "WenQuanYi Zen Hei",
                                            "Tahoma"};
    t.captionFont = Font{faces, 9, 600};
    t.menuFont = Font{faces, 9, 400};
    t.popupFont = t.menuFont;
    t.window = MakeStyle(0xF6F7F9, 0xF6F7F9, 0x1F2328, 0xD0D7DE);
    t.frame = MakeStyle(0x3A66A0, 0x3A66A0, 0xFFFFFF, 0x2F5585);
    t.frameInactive = MakeStyle(0xD5DBE3, 0xD5DBE3, 0x6B7480, 0xB3BCC8);
    t.caption = MakeStyle(0x4B7DBA, 0x3A66A0, 0xFFFFFF, 0x2F5585);
    t.captionInactive = MakeStyle(0xE3E8EE, 0xD5DBE3, 0x6B7480, 0xB3BCC8);
    t.button = MakeStyle(0x4B7DBA, 0x3A66A0, 0xFFFFFF, 0x3A66A0);
    t.buttonHot = MakeStyle(0x6C98CF, 0x5787C2, 0xFFFFFF, 0x8FB2DC);
    t.buttonPressed = MakeStyle(0x2C5283, 0x2C5283, 0xFFFFFF, 0x24466F);
    t.buttonInactive = t.captionInactive;
    t.closeHot = MakeStyle(0xE0474F, 0xC9323A, 0xFFFFFF, 0xA9272E);
    t.menuBar = MakeStyle(0xECEFF3, 0xECEFF3, 0x1F2328, 0xD0D7DE);
    t.menuBarHot = MakeStyle(0xD3E2F4, 0xD3E2F4, 0x12365F, 0x9DB9DD);
    t.popup = MakeStyle(0xFFFFFF, 0xFFFFFF, 0x1F2328, 0xB5BFCB);
    t.popupSelected = MakeStyle(0x3A66A0, 0x3A66A0, 0xFFFFFF, 0x2F5585);
    t.popupDisabled = MakeStyle(0xFFFFFF, 0xFFFFFF, 0x9AA3AE, 0xB5BFCB);
    t.popupSeparator = MakeStyle(0xE1E5EA, 0xE1E5EA, 0x9AA3AE, 0xE1E5EA);
    return t;
}

}  // namespace

Theme DefaultTheme()
{
    static const Theme theme = BuildDefaultTheme();
    return theme;
}

}  // namespace velum
