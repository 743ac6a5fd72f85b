// The engine's themes on a program's window: every shipped theme's colours on every part, the
// frame laid out anew on each switch, schemes, the built-in look, broken and edited theme files,
// no leak over many switches, and detach giving back the system's look.
#include "EngineTestKit.h"

using namespace enginetest;

TEST(Engine, EveryShippedThemeColoursEveryPartAndKeepsItsLook)
{
    const auto themes = ColourThemes();
    ASSERT_GE(themes.size(), 7u);
    UiThread ui;
    HWND hwnd = ui.Window();
    for (const auto& name : themes) {
        SCOPED_TRACE(harness::Utf8(name));
        const velum::Theme t = LoadExpected(SkinFile(name));
        ASSERT_EQ(ui.AttachEx(SkinFile(name)), VELUM_OK) << ui.LastError();
        ui.Activate();
        ExpectFrame(hwnd, t, true, "after Velum_AttachEx");

        ui.Call([hwnd] { return static_cast<int>(SetWindowTextW(hwnd, L"一个新的标题")); });
        ExpectFrame(hwnd, t, true, "after SetWindowText");

        // Another window takes the activation, then gives it back.
        HWND other = nullptr;
        ui.Call([&] {
            other = CreateWindowExW(0, kClass, L"other", WS_OVERLAPPEDWINDOW, 600, 420, 200, 150, nullptr, nullptr,
                                    nullptr, nullptr);
            ShowWindow(other, SW_SHOW);
            SetForegroundWindow(other);
            return 0;
        });
        ExpectFrame(hwnd, t, false, "while inactive");
        ui.Call([&] { return static_cast<int>(DestroyWindow(other)); });
        ui.Activate();
        ExpectFrame(hwnd, t, true, "active again");

        // A menu opened with the keyboard shows the theme's popup colours.
        AltPress('T');
        HWND popup = WaitForPopup(true);
        ASSERT_NE(popup, nullptr) << "Alt+T opened no menu";
        RECT pr{};
        GetWindowRect(popup, &pr);
        const int itemHeight = t.metrics.menuItemHeight;
        const auto hasColour = [&](int y, const velum::Fill& fill) {
            for (int tries = 0; tries < 50; ++tries) {
                if (InFill(WindowPixel(popup, 6, y), fill))
                    return true;
                Sleep(50);
            }
            return false;
        };
        // Keyboard opening selects the first item; the last item is plain.
        EXPECT_TRUE(hasColour(3 + itemHeight / 2, t.popupSelected.background))
            << "selected item is " << Hex(WindowPixel(popup, 6, 3 + itemHeight / 2));
        EXPECT_TRUE(hasColour(pr.bottom - pr.top - 3 - itemHeight / 2, t.popup.background))
            << "plain item is " << Hex(WindowPixel(popup, 6, pr.bottom - pr.top - 3 - itemHeight / 2));
        EXPECT_TRUE(InFill(WindowPixel(popup, 0, (pr.bottom - pr.top) / 2), {t.popup.border, t.popup.border, true}))
            << "popup border is " << Hex(WindowPixel(popup, 0, (pr.bottom - pr.top) / 2));
        Press(VK_ESCAPE);
        Press(VK_ESCAPE);
        EXPECT_EQ(WaitForPopup(false), nullptr);
        ExpectFrame(hwnd, t, true, "after a menu opened and closed");

        ui.Call([hwnd] {
            return static_cast<int>(
                SetWindowPos(hwnd, nullptr, 0, 0, kWidth + 60, kHeight + 40, SWP_NOMOVE | SWP_NOZORDER));
        });
        ExpectFrame(hwnd, t, true, "after a resize");
        ui.Call([hwnd] {
            return static_cast<int>(SetWindowPos(hwnd, nullptr, 0, 0, kWidth, kHeight, SWP_NOMOVE | SWP_NOZORDER));
        });
    }
}

// A switch lays out the new frame whether or not the corners change with it: a new region (or
// none) changes the frame itself under Wine, and without one the engine changes it.
TEST(Engine, EverySwitchLaysOutTheNewFrameWhateverTheCorners)
{
    const std::wstring dir = harness::BuildFolder() + L"\\tests\\frames-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(dir.c_str(), nullptr);
    const std::string velum = harness::ReadBytes(SkinFile(L"velum.vlm"));
    const struct {
        const char* name;
        int caption, frame, menuBar, radius;
    } steps[] = {
        {"first", 28, 4, 24, 6},
        {"same corners, larger frame", 34, 6, 26, 6},
        {"new corners, smaller frame", 22, 2, 20, 10},
        {"square corners", 30, 5, 24, 0},
        {"square again, new frame", 26, 3, 22, 0},
        {"rounded again", 28, 4, 24, 6},
    };
    UiThread ui;
    HWND hwnd = ui.Window();
    RECT outer{};
    GetWindowRect(hwnd, &outer);
    int index = 0;
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        std::string text = velum;
        const auto set = [&](const std::string& key, int value) {
            const size_t at = text.find("\n" + key + " = ");
            ASSERT_NE(at, std::string::npos) << key;
            const size_t end = text.find('\n', at + 1);
            text.replace(at + 1, end - at - 1, key + " = " + std::to_string(value));
        };
        set("caption-height", step.caption);
        set("frame-width", step.frame);
        set("menubar-height", step.menuBar);
        set("corner-radius", step.radius);
        // A new file each time: the engine reads the file at every switch anyway.
        const std::wstring path = dir + L"\\step" + std::to_wstring(index++) + L".vlm";
        harness::WriteBytes(path, text);
        ASSERT_EQ(ui.AttachEx(path), VELUM_OK) << ui.LastError();

        RECT w{};
        GetWindowRect(hwnd, &w);
        POINT origin{0, 0};
        ClientToScreen(hwnd, &origin);
        RECT client{};
        GetClientRect(hwnd, &client);
        if (index > 1) {
            EXPECT_EQ(w.right - w.left, outer.right - outer.left) << "a shown, resizable window keeps its outer size";
            EXPECT_EQ(w.bottom - w.top, outer.bottom - outer.top);
        }
        EXPECT_EQ(origin.x - w.left, step.frame);
        EXPECT_EQ(origin.y - w.top, step.frame + step.caption + step.menuBar);
        EXPECT_EQ(client.right, w.right - w.left - 2 * step.frame);
        EXPECT_EQ(client.bottom, w.bottom - w.top - 2 * step.frame - step.caption - step.menuBar);
        GetWindowRect(hwnd, &outer);
    }
    // The last switch is painted with nothing but the window's own messages.
    ui.Activate();
    ExpectFrame(hwnd, LoadExpected(dir + L"\\step" + std::to_wstring(index - 1) + L".vlm"), true,
                "after the last switch");
    for (int i = 0; i < index; ++i)
        DeleteFileW((dir + L"\\step" + std::to_wstring(i) + L".vlm").c_str());
    RemoveDirectoryW(dir.c_str());
}

TEST(Engine, SchemesSelectTheirColours)
{
    UiThread ui;
    ASSERT_EQ(ui.AttachEx(SkinFile(L"velum.vlm"), "Dark"), VELUM_OK) << ui.LastError();
    ui.Activate();
    ExpectFrame(ui.Window(), LoadExpected(SkinFile(L"velum.vlm"), "Dark"), true, "Dark scheme");
    ASSERT_EQ(ui.AttachEx(SkinFile(L"velum.vlm"), "light"), VELUM_OK) << ui.LastError();
    ExpectFrame(ui.Window(), LoadExpected(SkinFile(L"velum.vlm"), "Light"), true, "scheme names ignore case");
    EXPECT_EQ(ui.AttachEx(SkinFile(L"velum.vlm"), "Sepia"), VELUM_E_SCHEME);
    EXPECT_NE(ui.LastError().find("Sepia"), std::string::npos) << ui.LastError();
}

TEST(Engine, DefaultLookAndWindowsCreatedLater)
{
    UiThread ui;
    ASSERT_EQ(ui.Call([] { return Velum_Attach(); }), VELUM_OK);
    ui.Activate();
    const velum::Theme def = velum::DefaultTheme();
    ExpectFrame(ui.Window(), def, true, "built-in look");

    const velum::Theme jade = LoadExpected(SkinFile(L"jade.vlm"));
    ASSERT_EQ(ui.AttachEx(SkinFile(L"jade.vlm")), VELUM_OK);
    HWND later = nullptr;
    ui.Call([&] {
        HMENU bar = CreateMenu();
        AppendMenuW(bar, MF_STRING, 1, L"文件(&F)");
        later = CreateWindowExW(0, kClass, L"later", WS_OVERLAPPEDWINDOW, 300, 200, 420, 300, nullptr, bar, nullptr,
                                nullptr);
        ShowWindow(later, SW_SHOW);
        SetForegroundWindow(later);
        return 0;
    });
    ExpectFrame(later, jade, true, "a window created after the theme");
    ui.Call([&] { return static_cast<int>(DestroyWindow(later)); });
}

TEST(Engine, BrokenThemesFailAndChangeNothing)
{
    const std::wstring dir =
        harness::BuildFolder() + L"\\tests\\broken-themes-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(dir.c_str(), nullptr);
    const std::string good = harness::ReadBytes(SkinFile(L"jade.vlm"));
    std::string binary;
    for (int i = 0; i < 2048; ++i)
        binary += static_cast<char>((i * 131) & 0xFF);
    const struct {
        const char* name;
        std::string bytes;  // written to a file unless path is set
        std::wstring path;
        int code;
    } cases[] = {
        {"empty", "", {}, VELUM_E_THEME},
        {"binary", binary, {}, VELUM_E_THEME},
        {"truncated in a colour", good.substr(0, good.find("#") + 4), {}, VELUM_E_THEME},
        {"invalid UTF-8", "[Theme]\nname = \xC3\x28\xFF\n", {}, VELUM_E_THEME},
        {"bad colour", "[Caption]\nbackground = #12345G\n", {}, VELUM_E_THEME},
        {"negative metric", "[Metrics]\ncaption-height = -5\n", {}, VELUM_E_THEME},
        {"huge metric", "[Metrics]\nframe-width = 99999999999999999999\n", {}, VELUM_E_THEME},
        {"duplicate sections", "[Caption]\ntext = #FFFFFF\n[Caption]\ntext = #000000\n", {}, VELUM_E_THEME},
        {"50 MB", std::string(50 * 1024 * 1024, ';'), {}, VELUM_E_TOO_LARGE},
        {"a folder's path", "", dir, VELUM_E_FILE},
        {"a missing path", "", dir + L"\\no-such-theme.vlm", VELUM_E_FILE},
    };
    UiThread ui;
    HWND hwnd = ui.Window();
    const velum::Theme jade = LoadExpected(SkinFile(L"jade.vlm"));
    ASSERT_EQ(ui.AttachEx(SkinFile(L"jade.vlm")), VELUM_OK);
    ui.Activate();
    ExpectFrame(hwnd, jade, true, "before");
    const harness::ObjectCounts before = harness::CountObjects();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::wstring path = c.path;
        if (path.empty()) {
            path = dir + L"\\broken.vlm";
            harness::WriteBytes(path, c.bytes);
        }
        for (int i = 0; i < 20; ++i)
            EXPECT_EQ(ui.AttachEx(path), c.code);
        EXPECT_FALSE(ui.LastError().empty());
        ExpectFrame(hwnd, jade, true, "after the failed switch");
    }
    const harness::ObjectCounts after = harness::CountObjects();
    EXPECT_LE(after.gdi, before.gdi + 8);
    EXPECT_LE(after.user, before.user + 8);
    DeleteFileW((dir + L"\\broken.vlm").c_str());
    RemoveDirectoryW(dir.c_str());
}

// A theme file is known again by its size and times only once they have settled: a file edited
// on disk, whether just now or with times set back, is read again at the next switch.
TEST(Engine, AThemeFileEditedOnDiskIsReadAgain)
{
    const std::wstring dir =
        harness::BuildFolder() + L"\\tests\\edited-theme-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(dir.c_str(), nullptr);
    const std::wstring path = dir + L"\\edited.vlm";
    const std::string jade = harness::ReadBytes(SkinFile(L"jade.vlm"));
    std::string red = jade;  // the same size, another caption
    const size_t caption = red.find("background = #2B8166 #1F6E56");
    ASSERT_NE(caption, std::string::npos);
    red.replace(caption, 28, "background = #B22222 #8B1A1A");
    ASSERT_EQ(red.size(), jade.size());
    // Writes the file and, when `hoursBack` is not 0, sets its times that far back.
    const auto write = [&](const std::string& bytes, int hoursBack) {
        harness::WriteBytes(path, bytes);
        if (hoursBack == 0)
            return;
        HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        FILETIME now{};
        GetSystemTimeAsFileTime(&now);
        ULARGE_INTEGER t{{now.dwLowDateTime, now.dwHighDateTime}};
        t.QuadPart -= static_cast<ULONGLONG>(hoursBack) * 36'000'000'000ULL;
        const FILETIME back{t.LowPart, t.HighPart};
        EXPECT_TRUE(SetFileTime(file, &back, &back, &back));
        CloseHandle(file);
    };
    write(red, 0);
    const velum::Theme redTheme = LoadExpected(path);
    const velum::Theme green = LoadExpected(SkinFile(L"jade.vlm"));
    const struct {
        const char* what;
        const std::string* bytes;  // nullptr: the file stays as it is
        int hoursBack;
        const velum::Theme& expected;
    } steps[] = {
        {"an old file", &jade, 2, green},
        {"the same file again", nullptr, 0, green},
        {"edited just now", &red, 0, redTheme},
        {"edited again at once", &jade, 0, green},
        {"edited, with its times set back", &red, 3, redTheme},
        {"edited, with its times set back elsewhere", &jade, 5, green},
        {"and applied once more", nullptr, 0, green},
    };
    UiThread ui;
    HWND hwnd = ui.Window();
    ui.Activate();
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        if (step.bytes != nullptr)
            write(*step.bytes, step.hoursBack);
        ASSERT_EQ(ui.AttachEx(path), VELUM_OK) << ui.LastError();
        ExpectFrame(hwnd, step.expected, true, step.what);
    }
    DeleteFileW(path.c_str());
    RemoveDirectoryW(dir.c_str());
}

TEST(Engine, ThousandSwitchesLeakNoObjects)
{
    UiThread ui;
    ASSERT_EQ(ui.AttachEx(SkinFile(L"velum.vlm")), VELUM_OK);
    const std::string a = harness::Ansi(SkinFile(L"velum.vlm"));
    const std::string b = harness::Ansi(SkinFile(L"midnight.vlm"));
    const auto switchBackAndForth = [&](int times) {
        return ui.Call([&] {
            int failed = 0;
            for (int i = 0; i < times; ++i) {
                failed += Velum_AttachEx(a.c_str(), "") != VELUM_OK;
                failed += Velum_AttachEx(b.c_str(), "") != VELUM_OK;
            }
            return failed;
        });
    };
    // A few rounds first, so caches that fill once (fonts, brushes of the system) are full.
    EXPECT_EQ(switchBackAndForth(20), 0);
    const harness::ObjectCounts before = harness::CountObjects();
    EXPECT_EQ(switchBackAndForth(500), 0);
    const harness::ObjectCounts after = harness::CountObjects();
    EXPECT_LE(after.gdi, before.gdi + 8) << "GDI objects before " << before.gdi << ", after " << after.gdi;
    EXPECT_LE(after.user, before.user + 8) << "USER objects before " << before.user << ", after " << after.user;
}

TEST(Engine, DetachGivesBackTheOriginalLook)
{
    UiThread ui;
    HWND hwnd = ui.Window();
    Sleep(300);
    auto grab = [&] {
        RECT w{};
        GetWindowRect(hwnd, &w);
        std::vector<COLORREF> pixels;
        for (int y = 0; y < w.bottom - w.top; y += 3)
            for (int x = 0; x < w.right - w.left; x += 7)
                pixels.push_back(WindowPixel(hwnd, x, y));
        pixels.push_back(static_cast<COLORREF>(w.right - w.left));
        pixels.push_back(static_cast<COLORREF>(w.bottom - w.top));
        return pixels;
    };
    const auto original = grab();
    ASSERT_EQ(ui.Call([] { return Velum_Attach(); }), VELUM_OK);
    ASSERT_EQ(ui.AttachEx(SkinFile(L"amber.vlm")), VELUM_OK);
    EXPECT_NE(grab(), original);
    ASSERT_EQ(ui.Call([] { return Velum_Detach(); }), VELUM_OK);
    const auto restored = grab();
    ASSERT_EQ(restored.size(), original.size());
    size_t differing = 0;
    for (size_t i = 0; i < original.size(); ++i)
        differing += original[i] != restored[i];
    EXPECT_EQ(differing, 0u);
}
