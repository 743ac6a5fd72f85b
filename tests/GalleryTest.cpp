// The control gallery under the real engine: the colours of its push buttons, check boxes and
// radio buttons in every shipped theme, a theme picked from its Theme menu with the mouse
// through X, its command that disables every control, and theme switches that leave no object
// behind.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "ControlTestKit.h"
#include "GalleryDialog.h"
#include "ModuleSkin.h"
#include "ThemeSwatches.h"
#include "resource.h"

namespace {

using kit::Hex;
using kit::PaletteOf;
using kit::Pump;
using kit::Ref;
using kit::SkinFolder;
using velum::Color;

// Runs xdotool on the test display, as a person's mouse: Wine starts a Unix program given by
// its path, but gives back no handle to wait on, so callers wait for what it does.
bool Xdotool(const std::wstring& arguments)
{
    std::wstring command = L"/usr/bin/xdotool " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    if (process.hThread != nullptr)
        CloseHandle(process.hThread);
    if (process.hProcess != nullptr)
        CloseHandle(process.hProcess);
    return true;
}

template <class Condition>
bool WaitFor(Condition condition, int ms)
{
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(ms);
    while (!condition()) {
        if (GetTickCount64() > end)
            return false;
        Sleep(20);
    }
    return true;
}

std::wstring Point(const POINT& p)
{
    return std::to_wstring(p.x) + L" " + std::to_wstring(p.y);
}

POINT Centre(const RECT& r)
{
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

HWND OpenPopup()
{
    HWND popup = FindWindowW(L"#32768", nullptr);
    return popup != nullptr && IsWindowVisible(popup) ? popup : nullptr;
}

// A colour the test expects at one point of one control, from the theme's palette.
struct Probe {
    int id;
    int x, y;  // negative: from the right or bottom edge; kMiddle: the middle row
    COLORREF (*expected)(const velum::ControlPalette&);
    const char* what;
};

// The box of a check box or radio button: 13 pixels at 96 DPI, at the left, centred.
constexpr int kBox = 13;
constexpr int kMiddle = 10000;
constexpr int kBoxMiddle = 10001;
constexpr int kBoxTop = 10002;

const Probe kProbes[] = {
    {IDC_PUSH, 4, kMiddle, [](const auto& p) { return Ref(p.button.normal.background.from); }, "push face"},
    {IDC_PUSH_DEFAULT, 0, kMiddle, [](const auto& p) { return Ref(p.button.defaultBorder); }, "default outline"},
    {IDC_PUSH_DEFAULT, 1, kMiddle, [](const auto& p) { return Ref(p.button.defaultBorder); }, "default inner outline"},
    {IDC_PUSH_DISABLED, 4, kMiddle, [](const auto& p) { return Ref(p.button.disabled.background.from); },
     "disabled face"},
    {IDC_CHECK_OFF, -2, 1, [](const auto& p) { return Ref(p.background); }, "check box background"},
    {IDC_CHECK_OFF, 0, kBoxMiddle, [](const auto& p) { return Ref(p.button.box.border); }, "check box border"},
    {IDC_CHECK_OFF, 6, kBoxTop + 2, [](const auto& p) { return Ref(p.button.box.background.from); },
     "check box inside"},
    {IDC_CHECK_MIXED, 6, kBoxMiddle, [](const auto& p) { return Ref(p.button.box.text); }, "indeterminate square"},
    {IDC_CHECK_DISABLED, 0, kBoxMiddle, [](const auto& p) { return Ref(p.button.boxDisabled.border); },
     "disabled check box border"},
    {IDC_RADIO_ON, 6, kBoxMiddle, [](const auto& p) { return Ref(p.button.box.text); }, "radio dot"},
    {IDC_RADIO_OFF, 6, kBoxMiddle, [](const auto& p) { return Ref(p.button.box.background.from); }, "radio inside"},
    {IDC_RADIO_DISABLED, 6, kBoxMiddle, [](const auto& p) { return Ref(p.button.boxDisabled.background.from); },
     "disabled radio inside"},
    {IDC_BUTTONS_GROUP, 0, -1, [](const auto& p) { return Ref(p.button.groupFrame); }, "group frame"},
};

class Gallery : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&controls);
    }

    void SetUp() override
    {
        // The pointer away from the dialog, so no control shows its hot look.
        kit::PointerAway();
        gallery_ = std::make_unique<GalleryDialog>(GetModuleHandleW(nullptr));
        gallery_->Create(SkinFolder());
        gallery_->ApplyStartTheme();
        SetWindowPos(Window(), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        SetForegroundWindow(Window());
        Pump(300);
    }
    void TearDown() override
    {
        gallery_.reset();
        Pump(50);
    }

    HWND Window() const { return gallery_->Window(); }
    const ThemeMenu& Themes() const { return gallery_->Themes(); }
    HMENU ThemePopup() const { return GetSubMenu(GetMenu(Window()), 0); }

    bool Checked(size_t index) const
    {
        return (GetMenuState(ThemePopup(), IDM_FIRST_THEME + static_cast<UINT>(index), MF_BYCOMMAND) & MF_CHECKED) != 0;
    }

    void Pick(size_t index) { SendMessageW(Window(), WM_COMMAND, IDM_FIRST_THEME + index, 0); }

    COLORREF PixelAt(const Probe& probe) const
    {
        HWND control = GetDlgItem(Window(), probe.id);
        RECT rc;
        GetClientRect(control, &rc);
        const int boxTop = (rc.bottom - kBox) / 2;
        const int x = probe.x < 0 ? rc.right + probe.x : probe.x;
        const int y = probe.y == kMiddle      ? rc.bottom / 2
                      : probe.y == kBoxMiddle ? boxTop + kBox / 2
                      : probe.y >= kBoxTop    ? boxTop + probe.y - kBoxTop
                      : probe.y < 0           ? rc.bottom + probe.y
                                              : probe.y;
        HDC dc = GetDC(control);
        const COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(control, dc);
        return c;
    }

    // How many pixels inside the box of a check box have the mark's colour.
    int MarkPixels(int id, COLORREF mark) const
    {
        HWND control = GetDlgItem(Window(), id);
        RECT rc;
        GetClientRect(control, &rc);
        const int boxTop = (rc.bottom - kBox) / 2;
        HDC dc = GetDC(control);
        int count = 0;
        for (int y = boxTop + 1; y < boxTop + kBox - 1; ++y)
            for (int x = 1; x < kBox - 1; ++x)
                count += GetPixel(dc, x, y) == mark ? 1 : 0;
        ReleaseDC(control, dc);
        return count;
    }

    // Every probe and the check marks, in the colours of the theme the gallery shows.
    void ExpectThemeColours(size_t index)
    {
        const std::string name = harness::Utf8(Themes().Name(index));
        const auto palette = PaletteOf(Themes().Path(index));
        for (const Probe& probe : kProbes)
            EXPECT_EQ(Hex(PixelAt(probe)), Hex(probe.expected(palette))) << name << ": " << probe.what;
        EXPECT_GT(MarkPixels(IDC_CHECK_ON, Ref(palette.button.box.text)), 8) << name << ": check mark";
        EXPECT_GT(MarkPixels(IDC_CHECK_DISABLED, Ref(palette.button.boxDisabled.text)), 8)
            << name << ": disabled check mark";
    }

    std::unique_ptr<GalleryDialog> gallery_;
};

// The Theme menu of a folder: files only, in name order whatever their case, "&" shown as
// itself, and greyed where the engine could not be given the name intact.
TEST(GalleryThemeMenu, ListsTheFolderAsTheEngineCanTakeIt)
{
    const std::filesystem::path folder = std::filesystem::path(harness::BuildFolder()) / L"gallery-menu";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder / L"a folder.vlm");
    // U+0E01 (Thai) is not in the test's code page, 936.
    for (const wchar_t* name : {L"b.vlm", L"A&B.vlm", L"c\u0E01.vlm", L"\u4E3B\u9898.vlm", L"readme"})
        std::ofstream(folder / name) << "[Theme]\n";
    const struct {
        const wchar_t* name;
        const wchar_t* text;
        bool grayed;
    } expected[] = {
        {L"A&B.vlm", L"A&&B.vlm", false},
        {L"b.vlm", L"b.vlm", false},
        {L"c\u0E01.vlm", L"c\u0E01.vlm", true},
        {L"readme", L"readme", false},
        {L"\u4E3B\u9898.vlm", L"\u4E3B\u9898.vlm", false},
    };

    HMENU popup = CreatePopupMenu();
    ThemeMenu menu(popup, 100);
    menu.Fill(folder.wstring());
    ASSERT_EQ(menu.Count(), std::size(expected));
    ASSERT_EQ(GetMenuItemCount(popup), static_cast<int>(std::size(expected)));
    for (size_t i = 0; i < std::size(expected); ++i) {
        wchar_t text[64] = L"sentinel";
        GetMenuStringW(popup, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
        EXPECT_EQ(menu.Name(i), expected[i].name) << i;
        EXPECT_EQ(std::wstring(text), expected[i].text) << i;
        EXPECT_EQ((GetMenuState(popup, static_cast<UINT>(i), MF_BYPOSITION) & MF_GRAYED) != 0, expected[i].grayed) << i;
        EXPECT_EQ(menu.Usable(i), !expected[i].grayed) << i;
        EXPECT_EQ(menu.IndexOfCommand(100 + static_cast<UINT>(i)), i);
    }
    EXPECT_EQ(menu.IndexOfCommand(99), std::nullopt);
    EXPECT_EQ(menu.IndexOfCommand(100 + static_cast<UINT>(std::size(expected))), std::nullopt);
    EXPECT_EQ(menu.IndexOfName(L"B.VLM"), 1u);

    // An empty folder, or one that is not there: one greyed item, and no theme.
    std::filesystem::remove_all(folder);
    for (int pass = 0; pass < 2; ++pass) {
        menu.Fill(folder.wstring());
        EXPECT_EQ(menu.Count(), 0u);
        EXPECT_EQ(GetMenuItemCount(popup), 1);
        EXPECT_NE(GetMenuState(popup, 0, MF_BYPOSITION) & MF_GRAYED, 0u);
        EXPECT_EQ(menu.IndexOfCommand(100), std::nullopt);
        std::filesystem::create_directories(folder);
    }
    std::filesystem::remove_all(folder);
    DestroyMenu(popup);
}

// A theme the engine refuses: the look and the check mark stay, and the status bar says why.
TEST(GalleryBrokenTheme, APickTheEngineRefusesKeepsTheThemeInUseAndSaysWhy)
{
    const std::filesystem::path folder = std::filesystem::path(harness::BuildFolder()) / L"gallery-broken";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(testdata::DataFolder() + L"\\Skin\\velum.vlm", folder / L"velum.vlm");
    std::filesystem::copy_file(testdata::DataFolder() + L"\\tests\\native\\broken\\bad-colour.vlm",
                               folder / L"bad-colour.vlm");
    {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&controls);
        GalleryDialog gallery(GetModuleHandleW(nullptr));
        gallery.Create(folder.wstring());
        gallery.ApplyStartTheme();
        HMENU popup = GetSubMenu(GetMenu(gallery.Window()), 0);
        const auto broken = gallery.Themes().IndexOfName(L"bad-colour.vlm");
        const auto velum = gallery.Themes().IndexOfName(L"velum.vlm");
        ASSERT_TRUE(broken && velum);
        HWND push = GetDlgItem(gallery.Window(), IDC_PUSH);
        const auto face = [push] {
            HDC dc = GetDC(push);
            const COLORREF c = GetPixel(dc, 4, 10);
            ReleaseDC(push, dc);
            return c;
        };
        ShowWindow(gallery.Window(), SW_SHOWNOACTIVATE);
        Pump(200);
        const COLORREF before = face();

        SendMessageW(gallery.Window(), WM_COMMAND, IDM_FIRST_THEME + static_cast<UINT>(*broken), 0);
        Pump(200);
        EXPECT_NE(GetMenuState(popup, IDM_FIRST_THEME + static_cast<UINT>(*velum), MF_BYCOMMAND) & MF_CHECKED, 0u);
        EXPECT_EQ(GetMenuState(popup, IDM_FIRST_THEME + static_cast<UINT>(*broken), MF_BYCOMMAND) & MF_CHECKED, 0u);
        EXPECT_EQ(Hex(face()), Hex(before));
        wchar_t status[512] = L"sentinel";
        GetDlgItemTextW(gallery.Window(), IDC_STATUS, status, 512);
        const std::wstring text = status;
        EXPECT_EQ(text.rfind(L"\u65E0\u6CD5\u5E94\u7528 bad-colour.vlm: ", 0), 0u) << harness::Utf8(text);  // 无法应用
        EXPECT_GT(text.size(), std::wstring(L"\u65E0\u6CD5\u5E94\u7528 bad-colour.vlm: ").size() + 5)
            << "the engine's reason: " << harness::Utf8(text);
    }
    Pump(50);
    std::filesystem::remove_all(folder);
}

TEST_F(Gallery, ListsEveryShippedThemeAndStartsWithVelum)
{
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(testdata::DataFolder() + L"\\Skin"))
        files += entry.is_regular_file() ? 1 : 0;
    ASSERT_GE(files, 8u);
    EXPECT_EQ(Themes().Count(), files);
    // The themes, then a separator and the watch item.
    EXPECT_EQ(GetMenuItemCount(ThemePopup()), static_cast<int>(files) + 2);
    EXPECT_EQ(GetMenuItemID(ThemePopup(), static_cast<int>(files) + 1), static_cast<UINT>(IDM_WATCH_THEME));
    const auto velum = Themes().IndexOfName(L"velum.vlm");
    ASSERT_TRUE(velum.has_value());
    for (size_t i = 0; i < Themes().Count(); ++i)
        EXPECT_EQ(Checked(i), i == *velum) << harness::Utf8(Themes().Name(i));
    EXPECT_NE(GetWindowLongW(GetDlgItem(Window(), IDC_PUSH_DEFAULT), GWL_STYLE) & BS_DEFPUSHBUTTON, 0)
        << "the default button keeps its look";
}

TEST_F(Gallery, EveryShippedThemeGivesButtonsAndBoxesItsColours)
{
    for (size_t i = 0; i < Themes().Count(); ++i) {
        Pick(i);
        Pump(150);
        EXPECT_TRUE(Checked(i));
        // A theme with artwork shows its images' pixels; the engine's image tests look at those.
        if (!kit::HasImages(Themes().Path(i)))
            ExpectThemeColours(i);
    }
}

// A person picks two themes in turn: a plain click on 主题(T), then one on the theme.
TEST_F(Gallery, AThemePickedFromTheMenuWithTheMouseTakesEffect)
{
    if (!testdata::HostHas(L"/usr/bin/xdotool"))
        GTEST_SKIP() << testdata::kNoXdotool;
    for (const wchar_t* name : {L"midnight.vlm", L"contrast.vlm"}) {
        const auto index = Themes().IndexOfName(name);
        ASSERT_TRUE(index.has_value()) << harness::Utf8(name);
        RECT bar;
        ASSERT_TRUE(GetMenuItemRect(Window(), GetMenu(Window()), 0, &bar));

        // The menu's modal loop runs on this thread once the click arrives: the clicks are
        // made from another, which finds the item in the open popup.
        std::atomic<bool> clicked{false};
        std::string problem;
        std::thread person([&] {
            if (!Xdotool(L"mousemove " + Point(Centre(bar)) + L" click 1")) {
                problem = "cannot start /usr/bin/xdotool";
                return;
            }
            HWND popup = nullptr;
            if (!WaitFor([&] { return (popup = OpenPopup()) != nullptr; }, 5000)) {
                problem = "no menu opened";
                return;
            }
            Sleep(300);
            RECT item;
            if (!GetMenuItemRect(Window(), ThemePopup(), static_cast<UINT>(*index), &item)) {
                problem = "no rectangle for the item";
                return;
            }
            clicked = Xdotool(L"mousemove " + Point(Centre(item)) + L" click 1");
        });
        const ULONGLONG end = GetTickCount64() + 10000;
        while (GetTickCount64() < end && !Checked(*index))
            Pump(20);
        person.join();
        ASSERT_TRUE(problem.empty()) << harness::Utf8(name) << ": " << problem;
        ASSERT_TRUE(clicked);
        ASSERT_TRUE(Checked(*index)) << harness::Utf8(name) << " was not applied";
        size_t checked = 0;
        for (size_t i = 0; i < Themes().Count(); ++i)
            checked += Checked(i) ? 1 : 0;
        EXPECT_EQ(checked, 1u) << "items checked after picking " << harness::Utf8(name);
        ASSERT_TRUE(WaitFor([] { return OpenPopup() == nullptr; }, 3000)) << "the menu stayed open";

        // Away from the dialog again, so nothing shows its hot look.
        ASSERT_TRUE(Xdotool(L"mousemove 1020 760"));
        Pump(400);
        ExpectThemeColours(*index);
    }
}

TEST_F(Gallery, DisableAllDisablesEveryControlAndGivesBackEachOnesState)
{
    const auto index = Themes().IndexOfName(L"midnight.vlm");
    ASSERT_TRUE(index.has_value());
    Pick(*index);
    const auto palette = PaletteOf(Themes().Path(*index));
    const struct {
        int id;
        bool enabledBefore;
    } controls[] = {
        {IDC_PUSH, true},
        {IDC_PUSH_DISABLED, false},
        {IDC_CHECK_OFF, true},
        {IDC_CHECK_DISABLED, false},
        {IDC_RADIO_DISABLED, false},
        {IDC_EDIT, true},
        {IDC_LIST_LONG, true},
        {IDC_TREEVIEW, true},
    };

    SendMessageW(Window(), WM_COMMAND, IDM_DISABLE_ALL, 0);
    Pump(150);
    for (const auto& c : controls)
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(Window(), c.id))) << c.id;
    EXPECT_NE(GetMenuState(GetMenu(Window()), IDM_DISABLE_ALL, MF_BYCOMMAND) & MF_CHECKED, 0u);
    EXPECT_EQ(Hex(PixelAt(kProbes[0])), Hex(Ref(palette.button.disabled.background.from))) << "push face, disabled";
    EXPECT_EQ(Hex(PixelAt({IDC_CHECK_OFF, 0, kBoxMiddle, nullptr, ""})), Hex(Ref(palette.button.boxDisabled.border)))
        << "check box border, disabled";

    SendMessageW(Window(), WM_COMMAND, IDM_DISABLE_ALL, 0);
    Pump(150);
    for (const auto& c : controls)
        EXPECT_EQ(IsWindowEnabled(GetDlgItem(Window(), c.id)) != FALSE, c.enabledBefore) << c.id;
    EXPECT_EQ(GetMenuState(GetMenu(Window()), IDM_DISABLE_ALL, MF_BYCOMMAND) & MF_CHECKED, 0u);
    ExpectThemeColours(*index);
}

TEST_F(Gallery, AThousandSwitchesLeaveTheObjectCountsAsTheyWere)
{
    const size_t themes = Themes().Count();
    ASSERT_GT(themes, 1u);
    const auto switchAndPaint = [&](int times) {
        // Wine takes some 60 ms to paint the whole dialog, so not every switch paints: one in
        // (2 x themes + 1), which lands on each theme in turn.
        const int period = 2 * static_cast<int>(themes) + 1;
        for (int i = 0; i < times; ++i) {
            Pick(static_cast<size_t>(i) % themes);
            if (i % period == period - 1)
                Pump(0);
        }
        Pump(0);
    };
    // Each theme painted once first: the engine keeps one brush a colour for a program that asks
    // GetSysColorBrush while attached (the gallery's own strip does), since the program may hold it.
    for (size_t i = 0; i < themes; ++i) {
        Pick(i);
        Pump(100);
    }
    switchAndPaint(static_cast<int>(themes) * 2);
    const harness::ObjectCounts before = harness::CountObjects();
    switchAndPaint(1000);
    const harness::ObjectCounts after = harness::CountObjects();
    EXPECT_EQ(after.gdi, before.gdi) << "GDI objects before " << before.gdi << ", after " << after.gdi;
    EXPECT_EQ(after.user, before.user) << "USER objects before " << before.user << ", after " << after.user;
}

}  // namespace

// The strip the gallery draws itself: in every theme, each swatch in the colour the engine gives
// for its part; the engine leaves the strip's procedure alone.
TEST_F(Gallery, ItsOwnStripTakesEachThemesColours)
{
    HWND strip = GetDlgItem(Window(), IDC_SWATCHES);
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(GetWindowLongPtrW(strip, GWLP_WNDPROC), static_cast<LONG_PTR>(GetClassLongPtrW(strip, GCLP_WNDPROC)))
        << "the engine subclassed the strip";
    for (size_t i = 0; i < Themes().Count(); ++i) {
        Pick(i);
        Pump(150);
        for (size_t s = 0; s < std::size(ThemeSwatches::kSwatches); ++s) {
            const auto& swatch = ThemeSwatches::kSwatches[s];
            const int expected = ModuleSkin::Velum_GetThemeColor(swatch.part, swatch.state, "background");
            ASSERT_NE(expected, -1) << swatch.part;
            const RECT r = ThemeSwatches::SwatchRect(strip, s);
            HDC dc = GetDC(strip);
            const COLORREF seen = GetPixel(dc, r.left + 2, (r.top + r.bottom) / 2);
            ReleaseDC(strip, dc);
            EXPECT_EQ(Hex(seen), Hex(static_cast<COLORREF>(expected)))
                << harness::Utf8(Themes().Name(i)) << ": " << swatch.part << " " << swatch.state;
        }
    }
}
