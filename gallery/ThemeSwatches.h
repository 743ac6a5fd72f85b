// A strip the gallery draws itself, as a program draws a part of its own window: a swatch per
// part in the colours of the theme in use, which it asks the engine for, or in the system's
// colours when no theme is in use. The engine leaves the strip alone, and the gallery repaints it
// when the engine says the look changed.
#pragma once

#include <windows.h>

#include <cstddef>

namespace ThemeSwatches {

inline constexpr wchar_t kClass[] = L"VelumGallerySwatches";

struct Swatch {
    const char* part;
    const char* state;
    const wchar_t* label;
    int systemBackground;  // COLOR_* without a theme
    int systemText;
};

inline constexpr Swatch kSwatches[] = {
    {"Caption", "", L"标题栏", COLOR_ACTIVECAPTION, COLOR_CAPTIONTEXT},
    {"MenuBar", "", L"菜单栏", COLOR_MENU, COLOR_MENUTEXT},
    {"Popup", "Selected", L"选中的菜单项", COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT},
    {"Button", "", L"按钮", COLOR_BTNFACE, COLOR_BTNTEXT},
    {"Edit", "", L"编辑框", COLOR_WINDOW, COLOR_WINDOWTEXT},
    {"List", "Selected", L"列表选中项", COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT},
    {"Tooltip", "", L"提示", COLOR_INFOBK, COLOR_INFOTEXT},
};

// Registers the strip's window class once per process.
void Register(HINSTANCE instance);

// Where swatch `index` is drawn in the strip's client area.
RECT SwatchRect(HWND strip, std::size_t index);

}  // namespace ThemeSwatches
