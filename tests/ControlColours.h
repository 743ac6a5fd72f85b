// What the tests of skinned controls share: the shipped themes' folder and the colours a theme
// gives controls, as the engine derives them.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "ControlPalette.h"
#include "ThemeFile.h"

namespace harness {

// The source tree's Skin folder as Wine sees it; VELUM_SOURCE_DIR is a wide string literal.
inline std::wstring SkinFolder()
{
    std::wstring path = L"Z:" VELUM_SOURCE_DIR L"\\Skin";
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

inline velum::ControlPalette PaletteOf(const std::wstring& file)
{
    auto parsed = velum::LoadThemeFile(std::filesystem::path(file), "");
    if (!parsed.theme)
        throw std::runtime_error("theme does not parse");
    return velum::DeriveControlPalette(*parsed.theme);
}

inline COLORREF Ref(velum::Color c)
{
    return RGB(c.r, c.g, c.b);
}

inline std::string Hex(COLORREF c)
{
    char text[16];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

}  // namespace harness
