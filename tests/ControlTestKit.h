// What the tests of controls under the engine share: the shipped themes and their control
// colours, attaching, pumping messages, reading pixels and moving the pointer.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "ControlPalette.h"
#include "ProgramHarness.h"
#include "TestData.h"
#include "ThemeFile.h"
#include "ThemeFixture.h"
#include "Velum.h"

namespace kit {

inline void Pump(int ms)
{
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(ms);
    MSG msg;
    do {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    } while (GetTickCount64() < end);
}

inline std::wstring SkinFolder()
{
    return testdata::DataFolder() + L"\\Skin";
}

inline std::vector<std::wstring> ShippedThemes()
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((SkinFolder() + L"\\*.vlm").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do
            names.push_back(data.cFileName);
        while (FindNextFileW(find, &data));
        FindClose(find);
    }
    return names;
}

// Whether a theme draws some part from images, where pixels are not the palette's colours.
inline bool HasImages(const std::wstring& file)
{
    auto parsed = velum::LoadThemeFile(std::filesystem::path(file), "");
    return parsed.theme && (parsed.theme->images != velum::FrameImages{} || !parsed.theme->partImages.empty());
}

// The shipped themes drawn from colours alone: on them every pixel of a part is a colour of the
// palette. Themes with artwork have their own tests.
inline std::vector<std::wstring> ColourThemes()
{
    std::vector<std::wstring> names;
    for (const std::wstring& name : ShippedThemes())
        if (!HasImages(SkinFolder() + L"\\" + name))
            names.push_back(name);
    return names;
}

inline velum::ControlPalette PaletteOf(const std::wstring& file)
{
    auto parsed = velum::LoadThemeFile(std::filesystem::path(file), "");
    if (!parsed.theme)
        throw std::runtime_error("theme does not parse");
    return velum::DeriveControlPalette(*parsed.theme);
}

inline int Attach(const std::wstring& file)
{
    return Velum_AttachEx(harness::Ansi(file).c_str(), "");
}

inline COLORREF Ref(velum::Color c)
{
    return RGB(c.r, c.g, c.b);
}

inline COLORREF Pixel(HWND hwnd, int x, int y)
{
    HDC dc = GetDC(hwnd);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    return c;
}

// The system's own colour. Asked from another thread: on the skinned thread the engine answers
// GetSysColor with the theme's colours.
inline COLORREF SystemColour(int index)
{
    COLORREF colour = CLR_INVALID;
    std::thread([&colour, index] { colour = GetSysColor(index); }).join();
    return colour;
}

inline std::string Hex(COLORREF c)
{
    char text[16];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

// A mouse button going down or up (MOUSEEVENTF_LEFTDOWN, ...), then its messages handled.
inline void MouseButton(DWORD flags)
{
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    SendInput(1, &in, sizeof in);
    Pump(150);
}

// A plain left click at a screen point, as a person makes it; the caller pumps its messages.
inline void ClickAt(POINT screen)
{
    SetCursorPos(screen.x, screen.y);
    INPUT click[2]{};
    click[0].type = click[1].type = INPUT_MOUSE;
    click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, click, sizeof(INPUT));
}

// A window class for a test's windows: arrow cursor, the given system colour as background.
inline void RegisterWindowClass(const wchar_t* name, WNDPROC procedure, int background = COLOR_BTNFACE)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = procedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(background + 1));
    wc.lpszClassName = name;
    RegisterClassW(&wc);
}

// The pointer away from every test window, so nothing shows its hot look.
inline void PointerAway()
{
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2);
}

inline void MoveOnto(HWND hwnd, int x, int y)
{
    POINT p{x, y};
    ClientToScreen(hwnd, &p);
    SetCursorPos(p.x, p.y);
    Pump(150);
}

}  // namespace kit
