// The program and the engine at the display's DPI, which the test prefix sets (Wine reads
// HKCU\Control Panel\Desktop\LogPixels): Zentora's client area, the engine's caption, caption
// buttons and menu bar at their 96 DPI sizes scaled, and the title and menu text not cut off.
// The suite runs it three times: in the usual 96 DPI prefix, and in ones at 120 and 144 DPI.
// Moving a window to a monitor of another DPI is a message sent to the window, which the test
// sends itself: Wine never changes a monitor's DPI.
//
// Wine 8 gives every process the display's DPI, aware or not, so a program that never declared
// itself DPI aware would pass here and still be stretched by Windows. The manifest is checked on
// its own for that.
// Windows 10's DPI calls, which the test uses to make and measure a per-monitor-aware window.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0A00
#undef WINVER
#define WINVER 0x0A00
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "ControlPalette.h"
#include "ProgramHarness.h"
#include "TestData.h"
#include "ThemeFile.h"
#include "ThemeFixture.h"
#include "images/PngWriter.h"
#include "Velum.h"

namespace {

using harness::Engine;
using harness::ProgramFolder;
using harness::Running;

int ExpectedDpi()
{
    const char* text = std::getenv("ZENTORA_TEST_DPI");
    return text != nullptr && *text != '\0' ? std::atoi(text) : 96;
}

int Scale(int pixels, int dpi)
{
    return MulDiv(pixels, dpi, 96);
}

std::wstring SkinFile(const std::wstring& name)
{
    return testdata::DataFolder() + L"\\Skin\\" + name;
}

velum::Theme LoadTheme(const std::wstring& name)
{
    const velum::ParseResult parsed = velum::LoadThemeFile(std::filesystem::path(SkinFile(name)), "");
    if (!parsed.theme)
        throw std::runtime_error("test theme does not parse");
    return *parsed.theme;
}

// Where the frame starts: the client area's top left corner, window-relative.
POINT ClientOrigin(HWND hwnd)
{
    RECT w{};
    GetWindowRect(hwnd, &w);
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    return {origin.x - w.left, origin.y - w.top};
}

// A run of the same WM_NCHITTEST answer along one line of the window, window-relative.
struct Span {
    int from = -1, to = -1;  // to is one past the end; from < 0 when the answer never came
    int Length() const { return from < 0 ? 0 : to - from; }
};

Span HitSpan(HWND hwnd, LRESULT code, bool alongX, int fixed, int length)
{
    RECT w{};
    GetWindowRect(hwnd, &w);
    Span span;
    for (int i = 0; i < length; ++i) {
        const int x = w.left + (alongX ? i : fixed), y = w.top + (alongX ? fixed : i);
        if (SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(x, y)) != code)
            continue;
        if (span.from < 0)
            span.from = i;
        span.to = i + 1;
    }
    return span;
}

bool Near(COLORREF c, const velum::Fill& f)
{
    auto within = [](int v, int a, int b) { return v >= std::min(a, b) - 24 && v <= std::max(a, b) + 24; };
    return within(GetRValue(c), f.from.r, f.to.r) && within(GetGValue(c), f.from.g, f.to.g) &&
           within(GetBValue(c), f.from.b, f.to.b);
}

// The box around every pixel in `area` that is not the background: the drawn text.
RECT InkBox(HWND hwnd, const RECT& area, const velum::Fill& background)
{
    RECT ink{area.right, area.bottom, area.left, area.top};
    HDC dc = GetWindowDC(hwnd);
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) {
            if (Near(GetPixel(dc, x, y), background))
                continue;
            ink = {std::min(ink.left, static_cast<LONG>(x)), std::min(ink.top, static_cast<LONG>(y)),
                   std::max(ink.right, static_cast<LONG>(x + 1)), std::max(ink.bottom, static_cast<LONG>(y + 1))};
        }
    ReleaseDC(hwnd, dc);
    return ink;
}

// The text's size in the theme's font at the DPI, measured by the test itself.
SIZE TextExtent(const velum::Font& font, int dpi, const std::wstring& text)
{
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(font.sizePt, dpi, 72);
    lf.lfWeight = font.weight;
    lf.lfCharSet = DEFAULT_CHARSET;
    const std::wstring face = harness::Widen(font.faces.front());
    face.copy(lf.lfFaceName, LF_FACESIZE - 1);
    HFONT made = CreateFontIndirectW(&lf);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, made);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(made);
    return size;
}

void Pump(DWORD ms)
{
    const ULONGLONG end = GetTickCount64() + ms;
    MSG msg;
    while (GetTickCount64() < end) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    }
}

}  // namespace

TEST(Dpi, TheDisplayHasTheDpiOfTheTestPrefix)
{
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSX), ExpectedDpi());
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), ExpectedDpi());
    ReleaseDC(nullptr, screen);
}

// 8235 x 5085 twips is a size in inches: 549 x 339 pixels at 96 DPI, 824 x 509 at 144.
TEST(Dpi, ZentorasClientAreaKeepsItsSizeInInchesUnderTheEngine)
{
    const int dpi = ExpectedDpi();
    ProgramFolder folder(Engine::Real);
    folder.AddTheme(L"velum.vlm", harness::ReadBytes(SkinFile(L"velum.vlm")));
    harness::WriteBytes(folder.IniPath(), "[SETUP]\r\nSKIN=velum.vlm\r\n");
    Running app(folder);
    HWND main = app.WaitForMainWindow();
    ASSERT_NE(main, nullptr) << app.Stderr();
    RECT client{};
    GetClientRect(main, &client);
    EXPECT_EQ(client.right, Scale(549, dpi));
    EXPECT_EQ(client.bottom, Scale(339, dpi));
    // Frame, caption and one row of menu bar above the client area, each scaled.
    const velum::Metrics m = LoadTheme(L"velum.vlm").metrics;
    const int frame = std::max(1, Scale(m.frameWidth, dpi));
    const POINT origin = ClientOrigin(main);
    EXPECT_EQ(origin.x, frame);
    EXPECT_EQ(origin.y, frame + Scale(m.captionHeight, dpi) + Scale(m.menuBarHeight, dpi));
    EXPECT_EQ(app.Close(), 0u);
}

TEST(Dpi, ZentorasManifestDeclaresItDpiAware)
{
    const std::wstring exe = harness::BuildFolder() + L"\\Zentora.exe";
    HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(found, nullptr) << "no application manifest";
    const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
    const std::string manifest(bytes, SizeofResource(module, found));
    FreeLibrary(module);
    const size_t aware = manifest.find("dpiAware");
    ASSERT_NE(aware, std::string::npos) << manifest;
    EXPECT_EQ(manifest.compare(manifest.find('>', aware) + 1, 4, "true"), 0) << manifest;
}

// The engine's frame measured where a user meets it: the hit test that decides what a click
// does, Wine's menu-bar rectangles that decide which menu opens, and the pixels of the text.
TEST(Dpi, CaptionButtonsAndMenuBarScaleAndTheirTextFits)
{
    const int dpi = ExpectedDpi();
    const velum::Theme t = LoadTheme(L"velum.vlm");
    const velum::Metrics& m = t.metrics;
    const std::wstring title = L"Zentora 主题";
    const std::vector<std::wstring> items = {L"主题", L"帮助"};

    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"VelumDpiTest";
    RegisterClassW(&wc);
    HMENU bar = CreateMenu();
    for (const auto& item : items)
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(CreatePopupMenu()), item.c_str());
    // Away from the window: a pointer resting on a button or item makes it hot.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2);
    const std::string theme = harness::Ansi(SkinFile(L"velum.vlm"));
    ASSERT_EQ(Velum_AttachEx(theme.c_str(), ""), VELUM_OK);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW, 30, 30, Scale(420, dpi),
                                Scale(260, dpi), nullptr, bar, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    Pump(300);
    // The engine keeps the client size the program asked for, so the outer size is its own.
    RECT w{};
    GetWindowRect(hwnd, &w);
    const int width = w.right - w.left, height = w.bottom - w.top;

    const int frame = std::max(1, Scale(m.frameWidth, dpi));
    const int captionHeight = Scale(m.captionHeight, dpi);
    const int barHeight = Scale(m.menuBarHeight, dpi);
    const int captionMiddle = frame + captionHeight / 2;

    // Each caption button: its size, and the gap that separates it from the next.
    const struct {
        const char* name;
        LRESULT code;
    } buttons[] = {{"close", HTCLOSE}, {"maximise", HTMAXBUTTON}, {"minimise", HTMINBUTTON}};
    std::vector<Span> across;
    for (const auto& button : buttons) {
        SCOPED_TRACE(button.name);
        const Span row = HitSpan(hwnd, button.code, true, captionMiddle, width);
        EXPECT_EQ(row.Length(), Scale(m.buttonWidth, dpi));
        const Span column = HitSpan(hwnd, button.code, false, (row.from + row.to) / 2, height);
        EXPECT_EQ(column.Length(), std::min(Scale(m.buttonHeight, dpi), captionHeight));
        across.push_back(row);
    }
    const Span close = across[0], max = across[1], min = across[2];
    EXPECT_EQ(width - frame - close.to, Scale(4, dpi));
    EXPECT_EQ(close.from - max.to, Scale(2, dpi));
    EXPECT_EQ(max.from - min.to, Scale(2, dpi));

    // Caption and menu bar heights, down a column between the title and the buttons.
    const Span caption = HitSpan(hwnd, HTCAPTION, false, close.from - Scale(60, dpi), height);
    EXPECT_EQ(caption.from, frame);
    EXPECT_EQ(caption.Length(), captionHeight);
    const Span menu = HitSpan(hwnd, HTMENU, false, width - frame - Scale(20, dpi), height);
    EXPECT_EQ(menu.from, frame + captionHeight);
    EXPECT_EQ(menu.Length(), barHeight);
    EXPECT_EQ(ClientOrigin(hwnd).y, frame + captionHeight + barHeight);

    // Wine's rectangle of each bar item starts where the engine draws it and is wide enough for
    // its text in the menu font at this DPI. Its height is Wine's own: Wine gives owner-drawn
    // bar items the system's menu height whatever they ask for, so the row is the hit test's.
    for (size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(harness::Utf8(items[i]));
        RECT r{};
        ASSERT_TRUE(GetMenuItemRect(hwnd, bar, static_cast<UINT>(i), &r));
        OffsetRect(&r, -w.left, -w.top);
        EXPECT_EQ(r.top, frame + captionHeight);
        r.top = menu.from;
        r.bottom = menu.to;
        const SIZE text = TextExtent(t.menuFont, dpi, items[i]);
        EXPECT_GE(r.right - r.left, text.cx + 2 * Scale(m.menuItemPadding, dpi));
        EXPECT_GE(r.bottom - r.top, text.cy);
        // The drawn text has room on every side: nothing of it is cut off at the item's edges.
        const RECT ink = InkBox(hwnd, {r.left, r.top, r.right, r.bottom - 1}, t.menuBar.background);
        EXPECT_GT(ink.left, r.left);
        EXPECT_LT(ink.right, r.right);
        EXPECT_GT(ink.top, r.top);
        EXPECT_LT(ink.bottom, r.bottom - 1);  // the bar's bottom line is the border
        EXPECT_GE(ink.right - ink.left, text.cx * 3 / 4) << "the text is not drawn in the scaled font";
    }

    // The title: drawn whole, in the scaled caption font, between the icon and the buttons.
    const Span icon = HitSpan(hwnd, HTSYSMENU, true, captionMiddle, width);
    ASSERT_GT(icon.Length(), 0);
    EXPECT_EQ(icon.Length(), Scale(16, dpi));
    const RECT titleArea{icon.to + 1, frame + 1, min.from - 1, frame + captionHeight - 1};
    const SIZE text = TextExtent(t.captionFont, dpi, title);
    EXPECT_LE(text.cx, titleArea.right - titleArea.left);
    EXPECT_LE(text.cy, captionHeight);
    const RECT ink = InkBox(hwnd, titleArea, t.caption.background);
    EXPECT_GE(ink.right - ink.left, text.cx * 3 / 4) << "the title is not drawn whole in the scaled font";
    EXPECT_LT(ink.right, titleArea.right);
    EXPECT_GT(ink.top, titleArea.top);
    EXPECT_LT(ink.bottom, titleArea.bottom);

    // A popup item a row of the theme high, with its label and shortcut inside it.
    HMENU popup = GetSubMenu(bar, 0);
    const std::wstring label = L"第一项(&F)", shortcut = L"Ctrl+Shift+F";
    AppendMenuW(popup, MF_STRING, 11, (label + L"\t" + shortcut).c_str());
    AppendMenuW(popup, MF_STRING, 12, L"amber.vlm");
    RECT item{};
    RECT itemInk{};
    std::thread measurer([&] {
        const ULONGLONG end = GetTickCount64() + 5000;
        std::vector<HWND> open;
        while (open.empty() && GetTickCount64() < end) {
            Sleep(50);
            open = harness::WindowsOf(GetCurrentProcessId(), L"#32768", true);
        }
        if (!open.empty()) {
            Sleep(300);
            RECT p{};
            GetWindowRect(open.front(), &p);
            if (GetMenuItemRect(hwnd, popup, 0, &item)) {
                OffsetRect(&item, -p.left, -p.top);
                // Wine's item rectangle reaches over the popup's one-pixel outline.
                RECT inside{std::max(item.left, 1L), item.top, std::min(item.right, p.right - p.left - 1), item.bottom};
                itemInk = InkBox(open.front(), inside, t.popup.background);
            }
        }
        while (!harness::WindowsOf(GetCurrentProcessId(), L"#32768", true).empty() && GetTickCount64() < end + 5000) {
            EndMenu();
            Sleep(100);
        }
    });
    TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_TOPALIGN, w.left + Scale(40, dpi), w.top + Scale(120, dpi), 0, hwnd,
                   nullptr);
    measurer.join();
    ASSERT_FALSE(IsRectEmpty(&item)) << "the popup did not open";
    EXPECT_EQ(item.bottom - item.top, Scale(m.menuItemHeight, dpi));
    const SIZE labelText = TextExtent(t.popupFont, dpi, L"第一项(F)");
    const SIZE shortcutText = TextExtent(t.popupFont, dpi, shortcut);
    EXPECT_GE(item.right - item.left, labelText.cx + shortcutText.cx + 2 * Scale(m.menuItemPadding, dpi));
    EXPECT_GT(itemInk.left, item.left + 1);
    EXPECT_LT(itemInk.right, item.right - 1);
    EXPECT_GT(itemInk.top, item.top);
    EXPECT_LT(itemInk.bottom, item.bottom);
    EXPECT_GE(itemInk.right - itemInk.left, (labelText.cx + shortcutText.cx) * 3 / 4);

    DestroyWindow(hwnd);
    EXPECT_EQ(Velum_Detach(), VELUM_OK);
}

namespace {

// A frame image of `side` pixels: corners of `corner` pixels, their outer half in `cornerColour`
// and their inner half white, the edges between them `edgeColour`, the centre dark.
std::string FrameArt(int side, int corner, std::uint32_t cornerColour, std::uint32_t edgeColour)
{
    std::vector<std::uint32_t> p(static_cast<std::size_t>(side * side), 0xFF101010);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const bool edgeX = x < corner || x >= side - corner, edgeY = y < corner || y >= side - corner;
            const bool inner = std::min(x, side - 1 - x) >= corner / 2 && std::min(y, side - 1 - y) >= corner / 2;
            if (edgeX && edgeY)
                p[static_cast<std::size_t>(y * side + x)] = inner ? 0xFFFFFFFF : cornerColour;
            else if (edgeX || edgeY)
                p[static_cast<std::size_t>(y * side + x)] = edgeColour;
        }
    return testimages::Png(side, side, p);
}

}  // namespace

// An image's version for the display's DPI is drawn as it is; without one, the version for the
// largest DPI below is scaled smoothly, its corners growing with the DPI.
TEST(Dpi, ImagesTakeTheirVersionForTheDpiOrAreScaledSmoothly)
{
    const int dpi = ExpectedDpi();
    constexpr std::uint32_t kBase = 0xFFC00000, kAt144 = 0xFF00A000, kAt192 = 0xFF0000C0, kEdge = 0xFF808080;
    const std::wstring folder = harness::BuildFolder() + L"\\dpi-images-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    harness::WriteBytes(folder + L"\\base.png", FrameArt(16, 6, kBase, kEdge));
    harness::WriteBytes(folder + L"\\at144.png", FrameArt(24, 9, kAt144, kEdge));
    harness::WriteBytes(folder + L"\\at192.png", FrameArt(32, 12, kAt192, kEdge));
    const std::string common = "[Metrics]\nframe-width = 6\ncorner-radius = 0\n[Frame]\nimage = base.png\n"
                               "image-margins = 6\n";
    harness::WriteBytes(folder + L"\\with144.vlm", common + "image-144 = at144.png\n");
    harness::WriteBytes(folder + L"\\with192.vlm", common + "image-192 = at192.png\n");

    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VelumDpiImages";
    RegisterClassW(&wc);
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"art", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 30, Scale(300, dpi),
                                Scale(200, dpi), nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    const auto pixel = [&](int x, int y) {
        HDC dc = GetWindowDC(hwnd);
        const COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(hwnd, dc);
        return c;
    };
    const auto ref = [](std::uint32_t argb) { return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF); };
    const int corner = Scale(6, dpi);
    const struct {
        const wchar_t* theme;
        std::uint32_t corner;  // the colour inside the corner
        bool scaled;           // drawn from a version for a lower DPI
    } cases[] = {
        {L"with144.vlm", dpi >= 144 ? kAt144 : kBase, dpi != 96 && dpi != 144},
        {L"with192.vlm", dpi >= 192 ? kAt192 : kBase, dpi != 96 && dpi != 192},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(harness::Ansi(c.theme));
        ASSERT_EQ(Velum_AttachEx(harness::Ansi(folder + L"\\" + c.theme).c_str(), ""), VELUM_OK);
        Pump(300);
        const COLORREF white = RGB(255, 255, 255);
        if (!c.scaled) {
            // Drawn as it is: the corner's two halves at their size, the edge after it.
            EXPECT_EQ(pixel(1, 1), ref(c.corner));
            EXPECT_EQ(pixel(corner - 1, corner - 1), white);
            EXPECT_EQ(pixel(corner, corner / 2), ref(kEdge));
            continue;
        }
        // Scaled: the corner at its size for this DPI, its colours filtered, the edge beside it
        // untouched by it; inside the corner the step from one half to the other is a mix of
        // both, not one or the other as a block.
        const auto alike = [](COLORREF a, COLORREF b) {
            return std::abs(GetRValue(a) - GetRValue(b)) <= 16 && std::abs(GetGValue(a) - GetGValue(b)) <= 16 &&
                   std::abs(GetBValue(a) - GetBValue(b)) <= 16;
        };
        EXPECT_TRUE(alike(pixel(1, 1), ref(c.corner))) << std::hex << pixel(1, 1);
        EXPECT_TRUE(alike(pixel(corner - 1, corner - 1), white)) << std::hex << pixel(corner - 1, corner - 1);
        EXPECT_EQ(pixel(corner, corner / 2), ref(kEdge));
        bool mixed = false;
        for (int x = 1; x < corner - 1; ++x)
            mixed = mixed || (!alike(pixel(x, corner - 2), ref(c.corner)) && !alike(pixel(x, corner - 2), white));
        EXPECT_TRUE(mixed) << "no pixel between the corner's two colours";
    }
    Velum_Detach();
    DestroyWindow(hwnd);
    for (const wchar_t* f : {L"base.png", L"at144.png", L"at192.png", L"with144.vlm", L"with192.vlm"})
        DeleteFileW((folder + L"\\" + f).c_str());
    RemoveDirectoryW(folder.c_str());
}

namespace {

// A per-monitor-aware program's window that takes the rectangle WM_DPICHANGED suggests, as
// Microsoft asks such programs to.
LRESULT CALLBACK TakesSuggestedRect(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DPICHANGED) {
        const auto* r = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(hwnd, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// The thread's windows made from now on have this awareness; Wine 8 knows per monitor v1 only.
DPI_AWARENESS_CONTEXT MakeWindowsAware(bool perMonitor)
{
    if (!perMonitor)
        return SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_UNAWARE);
    DPI_AWARENESS_CONTEXT previous = SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    return previous != nullptr ? previous : SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
}

bool InEither(COLORREF c, const velum::Fill& a, const velum::Fill& b)
{
    return Near(c, a) || Near(c, b);
}

}  // namespace

// A per-monitor-aware window moved to a monitor of another DPI: the client area scales with the
// DPI, the theme's frame, caption buttons and scroll bars are drawn at the new DPI where the hit
// test finds them, and the rectangle the program takes is the window's. A window the system
// stretches (unaware) stays laid out at its DPI.
TEST(Dpi, APerMonitorAwareWindowFollowsADpiChange)
{
    const velum::Theme t = LoadTheme(L"velum.vlm");
    const velum::Metrics& m = t.metrics;
    const velum::Fill track = velum::DeriveControlPalette(t).scroll.track.background;
    WNDCLASSW wc{};
    wc.lpfnWndProc = TakesSuggestedRect;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"VelumDpiChange";
    RegisterClassW(&wc);
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2);
    ASSERT_EQ(Velum_AttachEx(harness::Ansi(SkinFile(L"velum.vlm")).c_str(), ""), VELUM_OK);

    const struct {
        const char* name;
        bool aware;
        std::vector<int> dpis;  // sent one after the other
    } cases[] = {
        {"per-monitor aware", true, {144, 96, 120}},
        {"unaware", false, {144}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HMENU bar = CreateMenu();
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(CreatePopupMenu()), L"主题");
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(CreatePopupMenu()), L"帮助");
        const DPI_AWARENESS_CONTEXT previous = MakeWindowsAware(c.aware);
        HWND hwnd =
            CreateWindowExW(0, wc.lpszClassName, L"DPI", WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL, 30, 30,
                            Scale(420, ExpectedDpi()), Scale(300, ExpectedDpi()), nullptr, bar, nullptr, nullptr);
        SetThreadDpiAwarenessContext(previous);
        ASSERT_NE(hwnd, nullptr);
        SCROLLINFO range{sizeof range, SIF_ALL, 0, 100, 10, 0, 0};
        SetScrollInfo(hwnd, SB_VERT, &range, FALSE);
        SetScrollInfo(hwnd, SB_HORZ, &range, FALSE);
        ShowWindow(hwnd, SW_SHOW);
        UpdateWindow(hwnd);
        Pump(200);
        int dpi = static_cast<int>(GetDpiForWindow(hwnd));
        for (const int to : c.dpis) {
            SCOPED_TRACE(std::to_string(dpi) + " to " + std::to_string(to));
            RECT w{}, client{};
            GetWindowRect(hwnd, &w);
            GetClientRect(hwnd, &client);
            const int laidOut = c.aware ? to : dpi;
            const int frame = std::max(1, Scale(m.frameWidth, laidOut));
            const int captionHeight = Scale(m.captionHeight, laidOut);
            const int top = frame + captionHeight + Scale(m.menuBarHeight, laidOut);
            const int barWidth = GetSystemMetricsForDpi(SM_CXVSCROLL, static_cast<UINT>(laidOut));
            const int barHeight = GetSystemMetricsForDpi(SM_CYHSCROLL, static_cast<UINT>(laidOut));
            // The size the window asks for at the new DPI: the client area scaled, the theme's
            // frame and the scroll bars at the new DPI around it. An unaware window is never
            // asked, and the system scales it linearly.
            const SIZE scaledClient{MulDiv(client.right, to, dpi), MulDiv(client.bottom, to, dpi)};
            SIZE size{w.right - w.left, w.bottom - w.top};
            const LRESULT answered =
                SendMessageW(hwnd, WM_GETDPISCALEDSIZE, static_cast<WPARAM>(to), reinterpret_cast<LPARAM>(&size));
            if (c.aware) {
                EXPECT_EQ(answered, TRUE);
                EXPECT_EQ(size.cx, scaledClient.cx + barWidth + 2 * frame);
                EXPECT_EQ(size.cy, scaledClient.cy + barHeight + top + frame);
            } else {
                EXPECT_EQ(answered, FALSE);
                size = {MulDiv(w.right - w.left, to, dpi), MulDiv(w.bottom - w.top, to, dpi)};
            }
            RECT suggested{w.left, w.top, w.left + size.cx, w.top + size.cy};
            SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
            Pump(200);

            // The program's rectangle is the window's (an unaware window's is the system's to
            // scale), and the client area what the frame at the DPI it is laid out at leaves.
            GetWindowRect(hwnd, &w);
            if (c.aware) {
                EXPECT_EQ(w.left, suggested.left);
                EXPECT_EQ(w.top, suggested.top);
                EXPECT_EQ(w.right, suggested.right);
                EXPECT_EQ(w.bottom, suggested.bottom);
            }
            const int width = w.right - w.left, height = w.bottom - w.top;
            GetClientRect(hwnd, &client);
            EXPECT_EQ(ClientOrigin(hwnd).x, frame);
            EXPECT_EQ(ClientOrigin(hwnd).y, top);
            EXPECT_EQ(client.right, width - 2 * frame - barWidth);
            EXPECT_EQ(client.bottom, height - top - frame - barHeight);
            if (c.aware) {
                EXPECT_EQ(client.right, scaledClient.cx);
                EXPECT_EQ(client.bottom, scaledClient.cy);
            }

            // Hit tests at the DPI: caption, close button, scroll bars.
            const int captionMiddle = frame + captionHeight / 2;
            const Span close = HitSpan(hwnd, HTCLOSE, true, captionMiddle, width);
            EXPECT_EQ(close.Length(), Scale(m.buttonWidth, laidOut));
            EXPECT_EQ(width - frame - close.to, Scale(4, laidOut));
            const Span caption = HitSpan(hwnd, HTCAPTION, false, close.from - Scale(60, laidOut), height);
            EXPECT_EQ(caption.from, frame);
            EXPECT_EQ(caption.Length(), captionHeight);
            const Span vertical = HitSpan(hwnd, HTVSCROLL, true, top + client.bottom / 2, width);
            EXPECT_EQ(vertical.from, frame + client.right);
            EXPECT_EQ(vertical.Length(), barWidth);
            const Span horizontal = HitSpan(hwnd, HTHSCROLL, false, frame + client.right / 2, height);
            EXPECT_EQ(horizontal.from, top + client.bottom);
            EXPECT_EQ(horizontal.Length(), barHeight);

            // The pixels where the hit tests put each part: the frame's edge, the caption's
            // bottom, the close button's glyph centred on its span, the scroll bar's track.
            HDC dc = GetWindowDC(hwnd);
            const int middle = top + client.bottom / 2;
            EXPECT_TRUE(InEither(GetPixel(dc, frame - 1, middle), t.frame.background, t.frameInactive.background));
            EXPECT_FALSE(InEither(GetPixel(dc, frame, middle), t.frame.background, t.frameInactive.background));
            const int captionBottom = frame + captionHeight;
            EXPECT_TRUE(InEither(GetPixel(dc, width / 2, captionBottom - 1), t.caption.background,
                                 t.captionInactive.background));
            EXPECT_TRUE(Near(GetPixel(dc, width / 2, captionBottom), t.menuBar.background));
            for (int x = vertical.from; x < vertical.to; ++x)
                EXPECT_TRUE(Near(GetPixel(dc, x, middle), track)) << "vertical bar at " << x;
            for (int y = horizontal.from; y < horizontal.to; ++y)
                EXPECT_TRUE(Near(GetPixel(dc, frame + client.right / 2, y), track)) << "horizontal bar at " << y;
            ReleaseDC(hwnd, dc);
            const RECT glyphArea{close.from - Scale(2, laidOut), frame + 1, close.to + Scale(2, laidOut),
                                 captionBottom - 1};
            const RECT glyph = InkBox(hwnd, glyphArea, t.caption.background);
            EXPECT_GE(glyph.left, close.from);
            EXPECT_LE(glyph.right, close.to);
            EXPECT_LE(std::abs((glyph.left + glyph.right) - (close.from + close.to)), 2);
            dpi = laidOut;
        }
        DestroyWindow(hwnd);
    }
    EXPECT_EQ(Velum_Detach(), VELUM_OK);
}
