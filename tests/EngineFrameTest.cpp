// A skinned frame used as a person uses it: the caption buttons in their states and clicks, the
// caption icon, maximise and restore under rounded corners, the client size a program made its
// window for, the colours a program chose itself, dialogs made as child windows, and what the
// system draws in system colours.
#include <windows.h>

#include <commctrl.h>

#include "Contrast.h"
#include "ControlPalette.h"
#include "EngineTestKit.h"

using namespace enginetest;

TEST(Engine, CaptionButtonsMinimiseAndClose)
{
    UiThread ui;
    HWND hwnd = ui.Window();
    systemCaptionCues = 0;
    const velum::Theme t = LoadExpected(SkinFile(L"crimson.vlm"));
    ASSERT_EQ(ui.AttachEx(SkinFile(L"crimson.vlm")), VELUM_OK);
    ui.Activate();
    ExpectFrame(hwnd, t, true, "before the clicks");
    RECT w{};
    GetWindowRect(hwnd, &w);
    const auto& m = t.metrics;
    const int f = std::max(1, m.frameWidth);
    const int y = w.top + f + m.captionHeight / 2;
    const int closeX = w.right - f - 4 - m.buttonWidth / 2;
    const int minimiseX = closeX - 2 * (m.buttonWidth + 2);

    Click(minimiseX, y);
    for (int i = 0; i < 50 && !IsIconic(hwnd); ++i)
        Sleep(50);
    EXPECT_TRUE(IsIconic(hwnd));
    ui.Call([hwnd] { return static_cast<int>(ShowWindow(hwnd, SW_RESTORE)); });
    ui.Activate();
    ExpectFrame(hwnd, t, true, "restored");

    Click(closeX, y);
    for (int i = 0; i < 50 && IsWindow(hwnd); ++i)
        Sleep(50);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(systemCaptionCues, 0) << "the window's procedure heard a caption button named";
}

// A minimised window's caption keeps its buttons; the one where minimise was restores the
// window, as the system's does. (Off the screen without a window manager, its pixels cannot be
// read here; the differential tests click it where Wine shows minimised windows.)
TEST(Engine, AMinimisedWindowsButtonRestoresIt)
{
    UiThread ui;
    HWND hwnd = ui.Window();
    const velum::Theme t = LoadExpected(SkinFile(L"crimson.vlm"));
    ASSERT_EQ(ui.AttachEx(SkinFile(L"crimson.vlm")), VELUM_OK);
    ui.Call([hwnd] { return static_cast<int>(ShowWindow(hwnd, SW_MINIMIZE)); });
    ASSERT_TRUE(IsIconic(hwnd));
    Sleep(200);
    RECT w{};
    GetWindowRect(hwnd, &w);
    const auto& m = t.metrics;
    const int height = w.bottom - w.top;
    const int buttonHeight = std::min(m.buttonHeight, height);
    const int right = (w.right - w.left) - 4 - 2 * (m.buttonWidth + 2);
    const RECT button{right - m.buttonWidth, (height - buttonHeight) / 2, right, (height + buttonHeight) / 2};
    const LPARAM at = MAKELPARAM(w.left + (button.left + button.right) / 2, w.top + height / 2);
    ui.Call([hwnd, at] {
        SendMessageW(hwnd, WM_NCLBUTTONDOWN, HTMINBUTTON, at);
        return static_cast<int>(SendMessageW(hwnd, WM_LBUTTONUP, 0, 0));
    });
    EXPECT_FALSE(IsIconic(hwnd)) << "the button did not restore the window";
}

// A window whose class has no background erases nothing: where it paints nothing itself (a gap
// between its children), what the screen showed before the engine moved its client area must
// not stay, inside a group box either. It takes the theme's background; its children keep their
// own painting.
TEST(Engine, AWindowWithoutABackgroundKeepsNoStalePixels)
{
    UiThread ui;
    const velum::Theme t = LoadExpected(SkinFile(L"midnight.vlm"));
    HWND hwnd = nullptr;
    ui.Call([&] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VelumTestNoBackground";
        RegisterClassW(&wc);
        hwnd = CreateWindowExW(0, wc.lpszClassName, L"gaps", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 60, 400, 300,
                               nullptr, nullptr, nullptr, nullptr);
        WNDCLASSW child = wc;
        child.hbrBackground = CreateSolidBrush(RGB(0, 128, 0));
        child.lpszClassName = L"VelumTestGreenChild";
        RegisterClassW(&child);
        CreateWindowExW(0, child.lpszClassName, L"", WS_CHILD | WS_VISIBLE, 0, 0, 400, 40, hwnd, nullptr, nullptr,
                        nullptr);
        // A group box draws its frame only: inside it, the window's background shows.
        CreateWindowExW(0, L"BUTTON", L"Group", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 200, 120, 150, 100, hwnd, nullptr,
                        nullptr, nullptr);
        UpdateWindow(hwnd);
        // What the screen showed there before: the window never paints over it.
        HDC dc = GetDC(hwnd);
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        RECT client{};
        GetClientRect(hwnd, &client);
        client.top = 40;
        FillRect(dc, &client, red);
        DeleteObject(red);
        ReleaseDC(hwnd, dc);
        return 0;
    });
    ASSERT_EQ(ui.AttachEx(SkinFile(L"midnight.vlm")), VELUM_OK);
    Sleep(300);
    const auto clientPixel = [hwnd](int x, int y) { return ClientPixel(hwnd, x, y); };
    for (const POINT p : {POINT{200, 60}, POINT{20, 200}, POINT{150, 150}, POINT{275, 175}})
        EXPECT_TRUE(InFill(clientPixel(p.x, p.y), t.window.background))
            << "gap at " << p.x << "," << p.y << " is " << Hex(clientPixel(p.x, p.y));
    EXPECT_EQ(clientPixel(200, 20), RGB(0, 128, 0)) << "the child's own painting";
    ui.Call([hwnd] { return static_cast<int>(DestroyWindow(hwnd)); });
}

// Under the pointer a caption button takes the theme's hot look and, held down, its pressed
// look; released away from it, it does nothing and takes its normal look again. The window's
// own procedure, which passes on to the default as Windows' themed one, hears nothing that
// would have the default draw its caption or buttons over the skin.
TEST(Engine, CaptionButtonsShowTheirHotAndPressedLooks)
{
    UiThread ui;
    HWND hwnd = ui.Window();
    systemCaptionCues = 0;
    const velum::Theme t = LoadExpected(SkinFile(L"velum.vlm"));
    ASSERT_EQ(ui.AttachEx(SkinFile(L"velum.vlm")), VELUM_OK);
    ui.Activate();
    ExpectFrame(hwnd, t, true, "before the pointer comes");
    RECT w{};
    GetWindowRect(hwnd, &w);
    const auto& m = t.metrics;
    const int f = std::max(1, m.frameWidth);
    const int top = f + (m.captionHeight - m.buttonHeight) / 2;
    const struct {
        const char* what;
        int button;  // from the right
        velum::Fill hot, pressed;
    } cases[] = {{"close", 0, t.closeHot.background, t.closeHot.background},
                 {"maximise", 1, t.buttonHot.background, t.buttonPressed.background},
                 {"minimise", 2, t.buttonHot.background, t.buttonPressed.background}};
    ASSERT_FALSE(t.buttonHot.background == t.button.background ||
                 t.buttonPressed.background == t.buttonHot.background || t.closeHot.background == t.button.background)
        << "the theme must tell the looks apart";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const int right = (w.right - w.left) - f - 4 - c.button * (m.buttonWidth + 2);
        // The button's corners, away from its glyph.
        const RECT corner{right - m.buttonWidth + 1, top + 1, right - m.buttonWidth + 4, top + 4};
        const int area = (corner.right - corner.left) * (corner.bottom - corner.top);
        const auto all = [area](int n) { return n == area; };
        SetCursorPos(w.left + right - m.buttonWidth / 2, w.top + top + m.buttonHeight / 2);
        EXPECT_EQ(FillPixels(hwnd, corner, c.hot, all), area) << "hot";
        MouseButton(MOUSEEVENTF_LEFTDOWN);
        EXPECT_EQ(FillPixels(hwnd, corner, c.pressed, all), area) << "pressed";
        // Held away from the button, it is no longer pressed: it only shows where the press went.
        SetCursorPos(w.left + (w.right - w.left) / 2, w.top + (w.bottom - w.top) / 2);
        EXPECT_EQ(FillPixels(hwnd, corner, c.hot, all), area) << "held away from the button";
        MouseButton(MOUSEEVENTF_LEFTUP);
        EXPECT_EQ(FillPixels(hwnd, corner, t.button.background, all), area) << "released away from the button";
        EXPECT_FALSE(IsIconic(hwnd) || IsZoomed(hwnd) || !IsWindow(hwnd)) << "released away from the button";
    }
    SendMessageW(hwnd, 0x00AE, 0, 0);  // WM_NCUAHDRAWCAPTION
    SendMessageW(hwnd, 0x00AF, 0, 0);  // WM_NCUAHDRAWFRAME
    EXPECT_EQ(systemCaptionCues, 0);
}

// Assistive tools place the caption and its buttons from WM_GETTITLEBARINFOEX: each rectangle's
// centre is where the window answers that part, under square, rounded and image themes.
TEST(Engine, TitleBarInfoPlacesTheDrawnCaptionAndButtons)
{
    UiThread ui;
    HWND hwnd = ui.Window();
    const struct {
        int place;
        LRESULT hit;
    } parts[] = {{2, HTMINBUTTON}, {3, HTMAXBUTTON}, {5, HTCLOSE}};
    for (const wchar_t* name : {L"velum.vlm", L"midnight.vlm", L"glass.vlm"}) {
        SCOPED_TRACE(harness::Utf8(name));
        ASSERT_EQ(ui.AttachEx(SkinFile(name)), VELUM_OK);
        TITLEBARINFOEX info{};
        info.cbSize = sizeof info;
        SendMessageW(hwnd, WM_GETTITLEBARINFOEX, 0, reinterpret_cast<LPARAM>(&info));
        const auto hitAtCentre = [hwnd](const RECT& r) {
            return SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
        };
        for (const auto& part : parts) {
            EXPECT_EQ(info.rgstate[part.place] & STATE_SYSTEM_INVISIBLE, 0u) << "place " << part.place;
            EXPECT_EQ(hitAtCentre(info.rgrect[part.place]), part.hit) << "place " << part.place;
        }
        const RECT title{info.rcTitleBar.left, info.rcTitleBar.top, info.rgrect[2].left, info.rcTitleBar.bottom};
        EXPECT_EQ(hitAtCentre(title), HTCAPTION) << "the title bar left of the buttons";
    }
}

// Greyed as the system greys them: maximise on a window without a maximise box, close when the
// system menu's Close is disabled. A click on them does nothing, as without the engine.
TEST(Engine, DisabledCaptionButtonsAreGreyedAndDoNothing)
{
    UiThread ui;
    HWND hwnd = ui.Window();
    ui.Call([hwnd] {
        SetWindowLongPtrW(hwnd, GWL_STYLE, GetWindowLongPtrW(hwnd, GWL_STYLE) & ~WS_MAXIMIZEBOX);
        EnableMenuItem(GetSystemMenu(hwnd, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
        return static_cast<int>(
            SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER));
    });
    const velum::Theme t = LoadExpected(SkinFile(L"crimson.vlm"));
    ASSERT_EQ(ui.AttachEx(SkinFile(L"crimson.vlm")), VELUM_OK);
    ui.Activate();
    ExpectFrame(hwnd, t, true, "before reading the buttons");
    RECT w{};
    GetWindowRect(hwnd, &w);
    const auto& m = t.metrics;
    const int f = std::max(1, m.frameWidth);
    const int top = f + (m.captionHeight - m.buttonHeight) / 2;
    const auto rightOf = [&](int button) { return (w.right - w.left) - f - 4 - button * (m.buttonWidth + 2); };
    const COLORREF glyph = RGB(t.button.text.r, t.button.text.g, t.button.text.b);
    const velum::Color grey = velum::Mix(t.button.background.from, t.button.text, 40);
    const COLORREF greyed = RGB(grey.r, grey.g, grey.b);
    // How many of a button's pixels have the glyph's colour, and the greyed glyph's.
    const auto glyphPixels = [&](int button) {
        std::pair<int, int> counts{0, 0};
        HDC dc = GetWindowDC(hwnd);
        for (int y = top; y < top + m.buttonHeight; ++y)
            for (int x = rightOf(button) - m.buttonWidth; x < rightOf(button); ++x) {
                const COLORREF c = GetPixel(dc, x, y);
                counts.first += c == glyph;
                counts.second += c == greyed;
            }
        ReleaseDC(hwnd, dc);
        return counts;
    };
    const struct {
        const char* what;
        int button;
        bool enabled;
    } cases[] = {{"close", 0, false}, {"maximise", 1, false}, {"minimise", 2, true}};
    // Each button is read until it shows its look: the frame may still be painting.
    const auto looksRight = [&](const auto& c) {
        const auto [bright, grey2] = glyphPixels(c.button);
        return (bright > 0) == c.enabled && (grey2 > 0) == !c.enabled;
    };
    const ULONGLONG end = GetTickCount64() + 3000;
    while (!std::all_of(std::begin(cases), std::end(cases), looksRight) && GetTickCount64() < end)
        Sleep(50);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto [bright, grey2] = glyphPixels(c.button);
        EXPECT_EQ(bright > 0, c.enabled) << bright << " pixels of the glyph's colour";
        EXPECT_EQ(grey2 > 0, !c.enabled) << grey2 << " pixels of the greyed glyph's colour";
    }

    const int y = w.top + f + m.captionHeight / 2;
    Click(w.left + rightOf(1) - m.buttonWidth / 2, y);
    Sleep(400);
    EXPECT_FALSE(IsZoomed(hwnd)) << "maximised by a greyed button";
    Click(w.left + rightOf(0) - m.buttonWidth / 2, y);
    Sleep(400);
    EXPECT_TRUE(IsWindow(hwnd)) << "closed by a greyed button";
}

// A 32-bit top-down DIB section, its pixels at `pixels`.
HBITMAP Canvas32(int width, int height, std::uint32_t*& pixels)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    pixels = static_cast<std::uint32_t*>(bits);
    return bitmap;
}

// A square icon made from its pixels: 0xAARRGGBB colours (an alpha icon when any alpha is set)
// and a mask bit per pixel (set where the background shows, or is inverted).
HICON MakeIcon(int size, const std::function<std::uint32_t(int, int)>& colour,
               const std::function<bool(int, int)>& masked)
{
    std::uint32_t* bits = nullptr;
    HBITMAP color = Canvas32(size, size, bits);
    const int stride = (size + 15) / 16 * 2;  // a monochrome bitmap's rows are whole words
    std::vector<BYTE> maskBits(static_cast<size_t>(stride) * size, 0);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            bits[y * size + x] = colour(x, y);
            if (masked(x, y))
                maskBits[static_cast<size_t>(y) * stride + x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
        }
    HBITMAP mask = CreateBitmap(size, size, 1, 1, maskBits.data());
    ICONINFO ii{TRUE, 0, 0, mask, color};
    HICON icon = CreateIconIndirect(&ii);
    DeleteObject(mask);
    DeleteObject(color);
    return icon;
}

// The frame draws a program's icon as DrawIconEx draws it on the caption's background: every
// pixel, for icons with partial transparency, icons scaled down, and icons whose mask inverts
// what lies under them.
TEST(Engine, TheCaptionIconIsDrawnAsTheSystemDrawsIcons)
{
    UiThread ui;
    HWND hwnd = ui.Window();
    ASSERT_EQ(ui.AttachEx(SkinFile(L"velum.vlm")), VELUM_OK);
    ui.Activate();
    const auto show = [&](HICON icon) {
        ui.Call([&] {
            SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
            return static_cast<int>(RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW));
        });
    };
    const auto pixels = [&](const RECT& r) {
        std::vector<COLORREF> out;
        HDC dc = GetWindowDC(hwnd);
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                out.push_back(GetPixel(dc, x, y));
        ReleaseDC(hwnd, dc);
        return out;
    };
    constexpr COLORREF kLocator = RGB(255, 0, 255);
    HICON locator = MakeIcon(
        16, [](int, int) { return 0x00FF00FFu; }, [](int, int) { return false; });
    HICON blank = MakeIcon(
        16, [](int, int) { return 0u; }, [](int, int) { return true; });
    show(locator);
    RECT caption{};
    GetWindowRect(hwnd, &caption);
    OffsetRect(&caption, -caption.left, -caption.top);
    caption.bottom = 60;
    const std::vector<COLORREF> band = pixels(caption);
    RECT at{caption.right, caption.bottom, 0, 0};
    for (int y = 0; y < caption.bottom; ++y)
        for (int x = 0; x < caption.right; ++x)
            if (band[static_cast<size_t>(y) * caption.right + x] == kLocator)
                at = {std::min<LONG>(at.left, x), std::min<LONG>(at.top, y), std::max<LONG>(at.right, x + 1),
                      std::max<LONG>(at.bottom, y + 1)};
    ASSERT_LT(at.left, at.right) << "no icon on the caption";
    const int cx = at.right - at.left;
    const int cy = at.bottom - at.top;
    show(blank);
    const std::vector<COLORREF> background = pixels(at);

    const struct {
        const char* what;
        int size;
        std::function<std::uint32_t(int, int)> colour;
        std::function<bool(int, int)> masked;
    } cases[] = {
        {"alpha, every level of transparency", 16,
         [](int x, int y) {
             return static_cast<std::uint32_t>(((x * 16 + y) & 0xFF) << 24 | (x * 16) << 16 | (y * 16) << 8 | 200);
         },
         [](int, int) { return false; }},
        {"alpha, scaled down from 32", 32,
         [](int x, int y) { return static_cast<std::uint32_t>(((x * 8 + y * 3) & 0xFF) << 24 | (0x30A050 + x)); },
         [](int, int) { return false; }},
        {"mask and colour, some pixels inverting", 16,
         [](int x, int y) { return x < 8 ? static_cast<std::uint32_t>((x + y) * 0x040404) : 0x2060C0u; },
         [](int x, int) { return x < 8; }},
        {"mask and colour, a round icon", 16,
         [](int x, int y) { return (x - 8) * (x - 8) + (y - 8) * (y - 8) > 40 ? 0u : 0x00C03020u; },
         [](int x, int y) { return (x - 8) * (x - 8) + (y - 8) * (y - 8) > 40; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        HICON icon = MakeIcon(c.size, c.colour, c.masked);
        ASSERT_NE(icon, nullptr);
        // Twice: the first paint may be the one that keeps the icon.
        for (int round = 0; round < 2; ++round) {
            show(icon);
            const std::vector<COLORREF> drawn = pixels(at);
            // What DrawIconEx makes of the icon on the same background.
            std::uint32_t* px = nullptr;
            HBITMAP canvas = Canvas32(cx, cy, px);
            for (size_t i = 0; i < background.size(); ++i)
                px[i] = GetRValue(background[i]) << 16 | GetGValue(background[i]) << 8 | GetBValue(background[i]);
            HDC dc = CreateCompatibleDC(nullptr);
            HGDIOBJ old = SelectObject(dc, canvas);
            DrawIconEx(dc, 0, 0, icon, cx, cy, 0, nullptr, DI_NORMAL);
            GdiFlush();
            int wrong = 0;
            for (size_t i = 0; i < drawn.size(); ++i) {
                const COLORREF want = RGB(px[i] >> 16 & 0xFF, px[i] >> 8 & 0xFF, px[i] & 0xFF);
                if (drawn[i] != want && wrong++ < 3)
                    ADD_FAILURE() << "round " << round << ", pixel (" << i % cx << "," << i / cx
                                  << "): " << Hex(drawn[i]) << ", DrawIconEx gives " << Hex(want);
            }
            EXPECT_EQ(wrong, 0);
            SelectObject(dc, old);
            DeleteDC(dc);
            DeleteObject(canvas);
        }
        show(blank);
        DestroyIcon(icon);
    }
    DestroyIcon(locator);
    DestroyIcon(blank);
}

// A person resizes a window by pressing just inside its edge or corner and dragging: from 1 px
// inside each edge and from 1 and 3 px inside each corner (or, where a rounded corner cuts that
// pixel away, the first pixel below it inside the window), under every shipped theme as
// without one.
TEST(Engine, EdgesAndCornersResizeFromWhereAPersonGrabsThem)
{
    if (GetFileAttributesW(L"Z:\\usr\\bin\\xdotool") == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "needs xdotool, which drives the X pointer of the build machine";
    const struct {
        const char* what;
        int x, y;    // where pressed: 0 the left or top edge, 2 the right or bottom, 1 the middle
        int inset;   // pixels inside the edge
        int dx, dy;  // the drag, inwards
    } grabs[] = {
        {"left", 0, 1, 1, 15, 0},          {"right", 2, 1, 1, -15, 0},          {"top", 1, 0, 1, 0, 15},
        {"bottom", 1, 2, 1, 0, -15},       {"top left", 0, 0, 1, 15, 15},       {"top left", 0, 0, 3, 15, 15},
        {"top right", 2, 0, 1, -15, 15},   {"top right", 2, 0, 3, -15, 15},     {"bottom left", 0, 2, 1, 15, -15},
        {"bottom left", 0, 2, 3, 15, -15}, {"bottom right", 2, 2, 1, -15, -15}, {"bottom right", 2, 2, 3, -15, -15}};
    std::vector<std::wstring> themes{L""};
    for (const std::wstring& name : ShippedThemes())
        themes.push_back(name);
    UiThread ui;
    HWND hwnd = ui.Window();
    const RECT start{60, 60, 60 + kWidth, 60 + kHeight};
    for (const std::wstring& theme : themes) {
        SCOPED_TRACE(theme.empty() ? std::string("unskinned") : harness::Utf8(theme));
        if (!theme.empty()) {
            ASSERT_EQ(ui.AttachEx(SkinFile(theme)), VELUM_OK);
        }
        for (const auto& g : grabs) {
            SCOPED_TRACE(std::string(g.what) + " " + std::to_string(g.inset) + " px in");
            ui.Call([&] {
                SetWindowPos(hwnd, nullptr, start.left, start.top, kWidth, kHeight, SWP_NOZORDER);
                return 0;
            });
            Sleep(100);
            POINT at{g.x == 0   ? g.inset
                     : g.x == 2 ? kWidth - 1 - g.inset
                                : kWidth / 2,
                     g.y == 0   ? g.inset
                     : g.y == 2 ? kHeight - 1 - g.inset
                                : kHeight / 2};
            // Down (or up, at the bottom) along the side edge until the point is the window's.
            HRGN region = CreateRectRgn(0, 0, 0, 0);
            if (GetWindowRgn(hwnd, region) != ERROR)
                while (!PtInRegion(region, at.x, at.y) && at.y > 0 && at.y < kHeight - 1)
                    at.y += g.y == 2 ? -1 : 1;
            DeleteObject(region);
            const int x = start.left + at.x, y = start.top + at.y;
            ASSERT_TRUE(Xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y) + " sleep 0.1 mousedown 1 " +
                                "sleep 0.1 mousemove " + std::to_string(x + g.dx / 2) + " " +
                                std::to_string(y + g.dy / 2) + " sleep 0.1 mousemove " + std::to_string(x + g.dx) +
                                " " + std::to_string(y + g.dy) + " sleep 0.1 mouseup 1"));
            const RECT expected{start.left + (g.x == 0 ? g.dx : 0), start.top + (g.y == 0 ? g.dy : 0),
                                start.right + (g.x == 2 ? g.dx : 0), start.bottom + (g.y == 2 ? g.dy : 0)};
            // Wine reads the pointer's events after xdotool has sent them; the system's sizing
            // loop ends with the button's release.
            RECT now{};
            WaitUntil([&] {
                GUITHREADINFO info{};
                info.cbSize = sizeof info;
                GetWindowRect(hwnd, &now);
                return EqualRect(&now, &expected) && GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &info) &&
                       (info.flags & GUI_INMOVESIZE) == 0;
            });
            EXPECT_TRUE(EqualRect(&now, &expected))
                << "pressed at (" << at.x << "," << at.y << "), now (" << now.left - start.left << ","
                << now.top - start.top << ")-(" << now.right - start.right << "," << now.bottom - start.bottom << ")";
        }
    }
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2);
}

TEST(Engine, MaximiseAndRestoreUnderRoundedCorners)
{
    const struct {
        const char* how;
        std::function<void(HWND)> maximise, restore;
    } ways[] = {
        {"ShowWindow", [](HWND h) { ShowWindow(h, SW_MAXIMIZE); }, [](HWND h) { ShowWindow(h, SW_RESTORE); }},
        {"WM_SYSCOMMAND", [](HWND h) { SendMessageW(h, WM_SYSCOMMAND, SC_MAXIMIZE, 0); },
         [](HWND h) { SendMessageW(h, WM_SYSCOMMAND, SC_RESTORE, 0); }},
    };
    // Midnight's frame (2 px) is narrower than the system's overhang of a maximised window:
    // Wine's 4 px, and 8 px, as Windows 10's, with the system's sizing border raised.
    const struct {
        const wchar_t* name;
        int borderWidth;  // the system's sizing border, 0 for the prefix's own
    } themes[] = {{L"lavender.vlm", 0}, {L"contrast.vlm", 0}, {L"midnight.vlm", 0}, {L"midnight.vlm", 5}};
    for (const auto& [name, borderWidth] : themes) {
        NONCLIENTMETRICSW kept{};
        kept.cbSize = sizeof kept;
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof kept, &kept, 0);
        if (borderWidth != 0) {
            NONCLIENTMETRICSW raised = kept;
            raised.iBorderWidth = borderWidth;
            SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof raised, &raised, 0);
            ASSERT_EQ(GetSystemMetrics(SM_CXFRAME), 8) << "the system's overhang";
        }
        for (const auto& way : ways) {
            SCOPED_TRACE(harness::Utf8(name) + " through " + way.how + " overhang " +
                         std::to_string(GetSystemMetrics(SM_CXFRAME)));
            UiThread ui;
            HWND hwnd = ui.Window();
            ASSERT_EQ(ui.AttachEx(SkinFile(name)), VELUM_OK);
            Sleep(200);
            RECT before{};
            GetWindowRect(hwnd, &before);
            ui.Call([&] {
                way.maximise(hwnd);
                return 0;
            });
            Sleep(500);
            EXPECT_TRUE(IsZoomed(hwnd));
            RECT zoomed{};
            GetWindowRect(hwnd, &zoomed);
            EXPECT_GT(zoomed.right - zoomed.left, before.right - before.left);
            // The caption, its buttons and the client area are on the work area, which the
            // window covers.
            RECT work{}, client{};
            SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
            GetClientRect(hwnd, &client);
            MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
            RECT inside{};
            IntersectRect(&inside, &client, &work);
            EXPECT_TRUE(EqualRect(&inside, &client)) << "client (" << client.left << "," << client.top << ")-("
                                                     << client.right << "," << client.bottom << ")";
            const int frame = std::max(1, LoadExpected(SkinFile(name)).metrics.frameWidth);
            EXPECT_EQ(zoomed.top + frame, work.top) << "the caption's top row";
            EXPECT_EQ(zoomed.right - frame, work.right) << "the close button's edge";
            ui.Call([&] {
                way.restore(hwnd);
                return 0;
            });
            Sleep(500);
            EXPECT_FALSE(IsZoomed(hwnd));
            RECT after{};
            GetWindowRect(hwnd, &after);
            EXPECT_TRUE(EqualRect(&before, &after)) << "restored to (" << after.left << "," << after.top << ")-("
                                                    << after.right << "," << after.bottom << ")";
        }
        if (borderWidth != 0)
            SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof kept, &kept, 0);
    }
}

// A dialog template in memory: a caption, a font, and an OK button against the bottom edge.
std::vector<WORD> DialogTemplate(DWORD style, short cx, short cy)
{
    std::vector<WORD> t(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
    auto* d = reinterpret_cast<DLGTEMPLATE*>(t.data());
    d->style = style | DS_SETFONT | WS_CAPTION | WS_SYSMENU | WS_POPUP;
    d->cdit = 0;
    d->cx = cx;
    d->cy = cy;
    t.push_back(0);  // menu
    t.push_back(0);  // class
    for (const wchar_t* c = L"Dialog"; *c; ++c)
        t.push_back(*c);
    t.push_back(0);
    t.push_back(9);  // point size
    for (const wchar_t* c = L"Tahoma"; *c; ++c)
        t.push_back(*c);
    t.push_back(0);
    return t;
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

// Keeps a sheet hidden: a shown one takes Wine two seconds to close without a window manager.
int CALLBACK HiddenSheet(HWND, UINT message, LPARAM lParam)
{
    if (message == PSCB_PRECREATE) {
        auto* words = reinterpret_cast<WORD*>(lParam);
        auto* style = reinterpret_cast<DWORD*>(words[1] == 0xFFFF ? words + 6 : words);
        *style &= ~static_cast<DWORD>(WS_VISIBLE);
    }
    return 0;
}

// A modeless property sheet, or wizard, of one page made from a template: comctl32 sizes the
// sheet itself, from the page's size and the frame arithmetic.
HWND MakePropertySheet(bool wizard)
{
    static const auto page = DialogTemplate(0, 212, 120);
    PROPSHEETPAGEW psp{};
    psp.dwSize = sizeof psp;
    psp.dwFlags = PSP_DLGINDIRECT;
    psp.pResource = reinterpret_cast<const DLGTEMPLATE*>(page.data());
    psp.pfnDlgProc = PlainDialogProc;
    PROPSHEETHEADERW psh{};
    psh.dwSize = sizeof psh;
    psh.dwFlags = PSH_PROPSHEETPAGE | PSH_MODELESS | PSH_USECALLBACK | (wizard ? PSH_WIZARD : 0);
    psh.pfnCallback = HiddenSheet;
    psh.pszCaption = L"属性";
    psh.nPages = 1;
    psh.ppsp = &psp;
    return reinterpret_cast<HWND>(PropertySheetW(&psh));
}

// What a program sees of its windows: the sizes it laid out its content for.
struct Sizes {
    SIZE client;
    bool operator==(const Sizes& o) const { return client.cx == o.client.cx && client.cy == o.client.cy; }
};

TEST(Engine, WindowsKeepTheClientSizeTheirProgramMadeThemFor)
{
    // Each kind of window, made and measured once without the engine and once under each theme.
    const struct {
        const char* kind;
        std::function<HWND()> make;
        bool everyTheme = false;  // hidden, so quick to close: made under every shipped theme
    } kinds[] = {
        {"dialog from a template",
         [] {
             const auto t = DialogTemplate(DS_MODALFRAME, 274, 207);
             return CreateDialogIndirectParamW(nullptr, reinterpret_cast<const DLGTEMPLATE*>(t.data()), nullptr,
                                               PlainDialogProc, 0);
         }},
        {"dialog with a thick frame",
         [] {
             const auto t = DialogTemplate(WS_THICKFRAME, 300, 210);
             return CreateDialogIndirectParamW(nullptr, reinterpret_cast<const DLGTEMPLATE*>(t.data()), nullptr,
                                               PlainDialogProc, 0);
         }},
        {"property sheet", [] { return MakePropertySheet(false); }, true},
        {"wizard", [] { return MakePropertySheet(true); }, true},
        // A program working out its outer size for a client size through the system's frame
        // arithmetic, either call by call.
        {"fixed window with a menu, sized by AdjustWindowRectEx",
         [] {
             HMENU bar = CreateMenu();
             AppendMenuW(bar, MF_STRING, 1, L"文件(&F)");
             const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
             RECT r{0, 0, 384, 238};
             AdjustWindowRectEx(&r, style, TRUE, 0);
             return CreateWindowExW(0, kClass, L"fixed", style, 80, 80, r.right - r.left, r.bottom - r.top, nullptr,
                                    bar, nullptr, nullptr);
         }},
        {"resizable window with a menu, sized by the frame metrics",
         [] {
             HMENU bar = CreateMenu();
             AppendMenuW(bar, MF_STRING, 1, L"文件(&F)");
             const int frame = GetSystemMetrics(SM_CXSIZEFRAME) + GetSystemMetrics(SM_CXPADDEDBORDER);
             const int width = 384 + 2 * frame;
             const int height = 238 + 2 * frame + GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYMENU);
             return CreateWindowExW(0, kClass, L"sizable", WS_OVERLAPPEDWINDOW, 80, 80, width, height, nullptr, bar,
                                    nullptr, nullptr);
         }},
    };
    auto measure = [](HWND h) {
        RECT c{};
        GetClientRect(h, &c);
        return Sizes{{c.right, c.bottom}};
    };
    std::vector<Sizes> plain;
    {
        UiThread ui;
        for (const auto& kind : kinds)
            ui.Call([&] {
                HWND h = kind.make();
                plain.push_back(measure(h));
                DestroyWindow(h);
                return 0;
            });
    }
    // Made under a theme, then switched to another of other frame sizes.
    UiThread ui;
    for (const std::wstring& theme : ShippedThemes()) {
        const wchar_t* next = theme == L"midnight.vlm" ? L"contrast.vlm" : L"midnight.vlm";
        SCOPED_TRACE(harness::Utf8(theme) + " then " + harness::Utf8(next));
        for (std::size_t k = 0; k < std::size(kinds); ++k) {
            if (!kinds[k].everyTheme && theme != L"amber.vlm")
                continue;
            SCOPED_TRACE(kinds[k].kind);
            ASSERT_EQ(ui.AttachEx(SkinFile(theme)), VELUM_OK);
            ui.Call([&] {
                HWND h = kinds[k].make();
                if (!kinds[k].everyTheme)
                    ShowWindow(h, SW_SHOW);
                const Sizes made = measure(h);
                EXPECT_EQ(made.client.cx, plain[k].client.cx);
                EXPECT_EQ(made.client.cy, plain[k].client.cy);
                // A window the user cannot resize keeps its client size through a switch.
                const std::string path = harness::Ansi(SkinFile(next));
                EXPECT_EQ(Velum_AttachEx(path.c_str(), ""), VELUM_OK);
                const bool resizable = (GetWindowLongPtrW(h, GWL_STYLE) & WS_THICKFRAME) != 0;
                if (!resizable) {
                    const Sizes switched = measure(h);
                    EXPECT_EQ(switched.client.cx, plain[k].client.cx);
                    EXPECT_EQ(switched.client.cy, plain[k].client.cy);
                }
                DestroyWindow(h);
                return 0;
            });
        }
    }
}

// A window with a title bar of its own, as Windows 11's guidance for custom title bars makes one:
// it keeps WS_CAPTION for the system's behaviour, takes the caption into its client area and
// paints its own title row there.
constexpr int kOwnTitleHeight = 24;
constexpr COLORREF kOwnTitle = RGB(10, 160, 60);

LRESULT CALLBACK OwnTitleBarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCALCSIZE: {
        RECT& proposed =
            wParam ? reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : *reinterpret_cast<RECT*>(lParam);
        const LONG top = proposed.top;
        DefWindowProcW(hwnd, message, wParam, lParam);
        proposed.top = top;
        return 0;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT r{};
        GetClientRect(hwnd, &r);
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        r.bottom = kOwnTitleHeight;
        HBRUSH title = CreateSolidBrush(kOwnTitle);
        FillRect(dc, &r, title);
        DeleteObject(title);
        EndPaint(hwnd, &ps);
        return 0;
    }
    default: break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// The engine draws no caption over a window that drew its own: the window looks as it does
// without the engine, under square, rounded and image themes, and after a switch.
TEST(Engine, AWindowThatDrawsItsOwnTitleBarKeepsIt)
{
    UiThread ui;
    HWND hwnd = nullptr;
    const auto look = [&] {
        std::vector<COLORREF> pixels;
        ui.Call([&] {
            RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
            pixels = WindowPixels(hwnd);
            return 0;
        });
        return pixels;
    };
    ui.Call([&] {
        hwnd = MakeClassWindow(L"VelumOwnTitleBar", OwnTitleBarProc, L"own title", {60, 60, 380, 280});
        return 0;
    });
    const std::vector<COLORREF> unskinned = look();
    for (const wchar_t* name : {L"velum.vlm", L"midnight.vlm", L"glass.vlm", L"contrast.vlm"}) {
        SCOPED_TRACE(harness::Utf8(name));
        ASSERT_EQ(ui.AttachEx(SkinFile(name)), VELUM_OK);
        const std::vector<COLORREF> skinned = look();
        ASSERT_EQ(skinned.size(), unskinned.size());
        EXPECT_EQ(FirstDifference(skinned, unskinned), static_cast<std::ptrdiff_t>(skinned.size()))
            << "first differing pixel (in window pixels, row by row)";
        POINT origin{0, 0};
        RECT window{};
        ui.Call([&] { return ClientToScreen(hwnd, &origin) && GetWindowRect(hwnd, &window); });
        EXPECT_EQ(origin.y, window.top) << "the program's title row left the top of the window";
        EXPECT_EQ(Hex(ClientPixel(hwnd, 100, kOwnTitleHeight / 2)), Hex(kOwnTitle));
    }
    ui.Call([&] { return DestroyWindow(hwnd); });
}

// A pane the program floats out of its frame (a class library's docker: a child turned into a
// captioned pop-up) gets the theme's frame, and loses it again when docked back.
TEST(Engine, APaneFloatedOutOfItsFrameIsSkinnedLikeOtherFrames)
{
    UiThread ui;
    HWND pane = nullptr;
    ui.Call([&] {
        pane = CreateWindowExW(0, kClass, L"pane", WS_CHILD | WS_VISIBLE, 10, 10, 200, 120, ui.Window(), nullptr,
                               nullptr, nullptr);
        return 0;
    });
    const auto captionPixel = [&](const velum::Theme& t) {
        RECT w{};
        GetWindowRect(pane, &w);
        return WindowPixel(pane, (w.right - w.left) / 2,
                           std::max(1, t.metrics.frameWidth) + t.metrics.captionHeight / 2);
    };
    for (const wchar_t* name : {L"midnight.vlm", L"velum.vlm"}) {
        SCOPED_TRACE(harness::Utf8(name));
        const velum::Theme t = LoadExpected(SkinFile(name));
        ASSERT_EQ(ui.AttachEx(SkinFile(name)), VELUM_OK);
        ui.Call([&] {
            SetWindowLongPtrW(pane, GWL_STYLE, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_VISIBLE);
            SetParent(pane, nullptr);
            return SetWindowPos(pane, nullptr, 560, 80, 260, 180, SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOACTIVATE);
        });
        const auto themed = [&] {
            const COLORREF c = captionPixel(t);
            return InFill(c, t.caption.background) || InFill(c, t.captionInactive.background);
        };
        EXPECT_TRUE(WaitUntil(themed)) << "floated: caption is " << Hex(captionPixel(t)) << ", theme says "
                                       << Hex(t.caption.background) << " or " << Hex(t.captionInactive.background);
        ui.Call([&] {
            SetWindowLongPtrW(pane, GWL_STYLE, WS_CHILD | WS_VISIBLE);
            SetParent(pane, ui.Window());
            return SetWindowPos(pane, nullptr, 10, 10, 200, 120, SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOACTIVATE);
        });
        Sleep(200);
        POINT origin{0, 0};
        RECT w{};
        ui.Call([&] { return ClientToScreen(pane, &origin) && GetWindowRect(pane, &w); });
        EXPECT_EQ(origin.x, w.left) << "docked back: the frame stayed";
        EXPECT_EQ(origin.y, w.top) << "docked back: the frame stayed";
    }
}

HBRUSH ownBrush = CreateSolidBrush(RGB(0, 0, 0));
HBRUSH staticBrush = CreateSolidBrush(RGB(200, 30, 40));

// A parent that colours its static controls itself.
LRESULT CALLBACK OwnCtlColorProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m == WM_CTLCOLORSTATIC) {
        SetBkColor(reinterpret_cast<HDC>(w), RGB(200, 30, 40));
        return reinterpret_cast<LRESULT>(staticBrush);
    }
    return DefWindowProcW(h, m, w, l);
}

TEST(Engine, AProgramsOwnColoursStay)
{
    // A class with its own black brush, and a static whose parent answers WM_CTLCOLORSTATIC.
    UiThread ui;
    HWND own = nullptr, parent = nullptr;
    ui.Call([&] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = ownBrush;
        wc.lpszClassName = L"VelumOwnBrush";
        RegisterClassW(&wc);
        WNDCLASSW pc{};
        pc.lpfnWndProc = OwnCtlColorProc;
        pc.hInstance = GetModuleHandleW(nullptr);
        pc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        pc.lpszClassName = L"VelumOwnCtlColor";
        RegisterClassW(&pc);
        own = CreateWindowExW(0, L"VelumOwnBrush", L"own", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 60, 300, 200, nullptr,
                              nullptr, nullptr, nullptr);
        parent = CreateWindowExW(0, L"VelumOwnCtlColor", L"ctl", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 400, 60, 300, 200,
                                 nullptr, nullptr, nullptr, nullptr);
        CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 10, 10, 120, 40, parent, nullptr, nullptr, nullptr);
        return 0;
    });
    for (const wchar_t* name : {L"velum.vlm", L"midnight.vlm"}) {
        SCOPED_TRACE(harness::Utf8(name));
        ASSERT_EQ(ui.AttachEx(SkinFile(name)), VELUM_OK);
        ui.Call([&] {
            RedrawWindow(own, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            RedrawWindow(parent, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            return 0;
        });
        Sleep(200);
        EXPECT_EQ(Hex(ClientPixel(own, 100, 80)), Hex(RGB(0, 0, 0))) << "the class brush was replaced";
        EXPECT_EQ(Hex(ClientPixel(parent, 30, 20)), Hex(RGB(200, 30, 40))) << "the program's WM_CTLCOLORSTATIC lost";
        const velum::Theme t = LoadExpected(SkinFile(name));
        EXPECT_TRUE(InFill(ClientPixel(parent, 200, 150), t.window.background)) << "a system brush stays the system's";
    }
    ui.Call([&] {
        DestroyWindow(own);
        DestroyWindow(parent);
        return 0;
    });
}

// A document view that paints its own white page and writes on it in the window-text colour it
// asks the system for, and a parent whose link sets its own dark blue text and answers with the
// face brush it asks the system for: the programs each chose one colour of the pair.
LRESULT CALLBACK OwnPageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT r{};
        GetClientRect(hwnd, &r);
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkMode(dc, TRANSPARENT);
        TextOutW(dc, 10, 10, L"Document text", 13);
        EndPaint(hwnd, &ps);
        return 0;
    }
    if (message == WM_CTLCOLORSTATIC) {
        SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0, 0, 255));
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// How well the text in a part of a window reads: its pixel that stands out most from the
// part's background, which its top left corner shows.
double ContrastIn(HWND hwnd, RECT r)
{
    const std::vector<COLORREF> pixels = WindowPixels(hwnd);
    RECT w{};
    GetWindowRect(hwnd, &w);
    const int width = w.right - w.left;
    const auto at = [&](int x, int y) {
        const COLORREF p = pixels[static_cast<std::size_t>(y) * width + x];
        return velum::Color{GetBValue(p), GetGValue(p), GetRValue(p)};  // a DIB's pixels are 0x00RRGGBB
    };
    const velum::Color background = at(r.left, r.top);
    double best = 1.0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            best = std::max(best, velum::ContrastRatio(at(x, y), background));
    return best;
}

// A property page whose procedure colours its link as the parent above does.
INT_PTR CALLBACK LinkPageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CTLCOLORSTATIC)
        return static_cast<INT_PTR>(OwnPageProc(hwnd, message, wParam, lParam));
    return message == WM_INITDIALOG;
}

// Where the program chose one colour of a pair and the theme would choose the other, the pair
// still reads under every shipped theme: on a window and on a page made as a child dialog.
TEST(Engine, TextReadsWhereTheProgramChoseOneColourOfThePair)
{
    UiThread ui;
    HWND view = nullptr;
    ui.Call([&] {
        view = MakeClassWindow(L"VelumOwnPage", OwnPageProc, L"page", {560, 300, 860, 520},
                               reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
        CreateWindowExW(0, L"Static", L"http://example.org", WS_CHILD | WS_VISIBLE, 10, 60, 200, 24, view, nullptr,
                        nullptr, nullptr);
        auto tpl = DialogTemplate(0, 150, 30);
        reinterpret_cast<DLGTEMPLATE*>(tpl.data())->style = DS_SETFONT | DS_CONTROL | WS_CHILD | WS_VISIBLE;
        HWND page = CreateDialogIndirectParamW(nullptr, reinterpret_cast<const DLGTEMPLATE*>(tpl.data()), view,
                                               LinkPageProc, 0);
        SetWindowPos(page, nullptr, 10, 100, 260, 40, SWP_NOZORDER);
        CreateWindowExW(0, L"Static", L"http://example.org", WS_CHILD | WS_VISIBLE, 0, 0, 200, 24, page, nullptr,
                        nullptr, nullptr);
        return 0;
    });
    // Where each text is, in the view's client area.
    const struct {
        const char* what;
        RECT at;
    } texts[] = {{"the view's own page", {4, 4, 160, 40}},
                 {"the link's own text colour", {10, 60, 210, 84}},
                 {"the page's link", {10, 100, 210, 124}}};
    for (const std::wstring& name : ShippedThemes()) {
        SCOPED_TRACE(harness::Utf8(name));
        ASSERT_EQ(ui.AttachEx(SkinFile(name)), VELUM_OK);
        for (const auto& text : texts) {
            double contrast = 0;
            ui.Call([&] {
                RedrawWindow(view, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
                POINT client{0, 0};
                RECT w{};
                ClientToScreen(view, &client);
                GetWindowRect(view, &w);
                const int dx = client.x - w.left, dy = client.y - w.top;
                contrast =
                    ContrastIn(view, {dx + text.at.left, dy + text.at.top, dx + text.at.right, dy + text.at.bottom});
                return 0;
            });
            EXPECT_GE(contrast, velum::kReadableText) << text.what;
        }
    }
    ui.Call([&] { return DestroyWindow(view); });
}

INT_PTR CALLBACK OwnPageColourProc(HWND, UINT message, WPARAM, LPARAM)
{
    if (message == WM_CTLCOLORDLG)
        return reinterpret_cast<INT_PTR>(staticBrush);
    return message == WM_INITDIALOG;
}

// Dialogs made as child windows (property pages) take the theme's background, and so do the
// labels on them; a page whose procedure chose its own background keeps it.
TEST(Engine, ADialogMadeAsAChildTakesTheThemesColours)
{
    UiThread ui;
    HWND frame = ui.Window();
    const velum::Theme t = LoadExpected(SkinFile(L"midnight.vlm"));
    const struct {
        const char* what;
        DLGPROC procedure;
        bool themed;
    } pages[] = {{"a page left to the system", PlainDialogProc, true},
                 {"a page with its own colour", OwnPageColourProc, false}};
    for (const auto& page : pages) {
        SCOPED_TRACE(page.what);
        HWND dialog = nullptr;
        ui.Call([&] {
            const auto tpl = DialogTemplate(WS_CHILD | WS_VISIBLE | DS_CONTROL, 200, 100);
            dialog = CreateDialogIndirectParamW(nullptr, reinterpret_cast<const DLGTEMPLATE*>(tpl.data()), frame,
                                                page.procedure, 0);
            SetWindowPos(dialog, nullptr, 10, 10, 300, 160, SWP_NOZORDER);
            CreateWindowExW(0, L"STATIC", L"Label", WS_CHILD | WS_VISIBLE, 10, 10, 200, 24, dialog, nullptr, nullptr,
                            nullptr);
            return 0;
        });
        ASSERT_EQ(ui.AttachEx(SkinFile(L"midnight.vlm")), VELUM_OK);
        ui.Call([dialog] {
            return static_cast<int>(
                RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN));
        });
        Sleep(200);
        const auto pixel = [dialog](int x, int y) { return ClientPixel(dialog, x, y); };
        // The page's empty part, and the label's right of its text, which the page leaves to
        // the system either way.
        const COLORREF empty = pixel(150, 120), label = pixel(190, 20);
        if (page.themed)
            EXPECT_TRUE(InFill(empty, t.window.background)) << "the page is " << Hex(empty);
        else
            EXPECT_EQ(Hex(empty), Hex(RGB(200, 30, 40))) << "the page's own colour";
        EXPECT_TRUE(InFill(label, t.window.background)) << "the label is " << Hex(label);
        ASSERT_EQ(ui.Call([] { return Velum_Detach(); }), VELUM_OK);
        ui.Call([dialog] { return static_cast<int>(DestroyWindow(dialog)); });
    }
}

// What the system draws from system colours takes the theme's on the skinned thread, and the
// system's again after detach: a rich edit's automatic background, and the face and text a
// program of the system's own (comctl32's, here the program itself) asks GetSysColor for.
TEST(Engine, WhatTheSystemDrawsInSystemColoursFollowsTheTheme)
{
    LoadLibraryW(L"riched20.dll");
    UiThread ui;
    HWND frame = ui.Window();
    const velum::Theme t = LoadExpected(SkinFile(L"midnight.vlm"));
    const velum::ControlPalette palette = velum::DeriveControlPalette(t);
    HWND rich = nullptr;
    ui.Call([&] {
        rich = CreateWindowExW(0, L"RichEdit20W", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 10, 10, 200, 100, frame,
                               nullptr, nullptr, nullptr);
        return 0;
    });
    ASSERT_NE(rich, nullptr);
    const auto richPixel = [&] {
        ui.Call([rich] {
            return static_cast<int>(RedrawWindow(rich, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW));
        });
        Sleep(100);
        return ClientPixel(rich, 150, 70);
    };
    const COLORREF before = richPixel();
    const DWORD systemFace = GetSysColor(COLOR_BTNFACE);
    ASSERT_EQ(ui.AttachEx(SkinFile(L"midnight.vlm")), VELUM_OK);
    EXPECT_EQ(Hex(richPixel()), Hex(RGB(palette.field.normal.background.from.r, palette.field.normal.background.from.g,
                                        palette.field.normal.background.from.b)))
        << "a rich edit's automatic background";
    const auto face = [&ui] { return ui.Call([] { return static_cast<int>(GetSysColor(COLOR_BTNFACE)); }); };
    EXPECT_EQ(Hex(static_cast<COLORREF>(face())),
              Hex(RGB(palette.background.r, palette.background.g, palette.background.b)))
        << "the skinned thread's face colour";
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), systemFace) << "another thread's face colour";
    ASSERT_EQ(ui.Call([] { return Velum_Detach(); }), VELUM_OK);
    EXPECT_EQ(Hex(richPixel()), Hex(before)) << "after detach";
    EXPECT_EQ(static_cast<DWORD>(face()), systemFace) << "after detach";
    ui.Call([rich] { return static_cast<int>(DestroyWindow(rich)); });
}
