// Themes with artwork on a program's window: a frame image nine-sliced around the window at
// several sizes, its edges stretched or tiled, a caption's strip of active and inactive states,
// the menus' and controls' images in their states, and images the engine must refuse, each
// with the look kept.
#include <windows.h>

#include <commctrl.h>

#include "EngineTestKit.h"
#include "images/PngWriter.h"

using namespace enginetest;

namespace {

constexpr std::uint32_t kTopLeft = 0xFFC00000, kTopRight = 0xFF00C000, kBottomLeft = 0xFF0000C0,
                        kBottomRight = 0xFFC0C000, kTop = 0xFF305070, kBottom = 0xFF706050, kLeft = 0xFF703050,
                        kLeftLower = 0xFF2080A0, kRight = 0xFF507030, kCentre = 0xFF202020;

// 24x24: 6-pixel corners, edges between them; the left edge is two colours, 6 rows each.
std::string FrameImage()
{
    std::vector<std::uint32_t> p(24 * 24, kCentre);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x) {
            const bool left = x < 6, right = x >= 18, top = y < 6, bottom = y >= 18;
            std::uint32_t& c = p[static_cast<std::size_t>(y * 24 + x)];
            if (top)
                c = left ? kTopLeft : right ? kTopRight : kTop;
            else if (bottom)
                c = left ? kBottomLeft : right ? kBottomRight : kBottom;
            else if (left)
                c = y < 12 ? kLeft : kLeftLower;
            else if (right)
                c = kRight;
        }
    return testimages::Png(24, 24, p);
}

COLORREF Ref(std::uint32_t argb)
{
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

class ThemeFolder {
public:
    ThemeFolder() : path_(harness::BuildFolder() + L"\\tests\\images-" + std::to_wstring(GetCurrentProcessId()))
    {
        CreateDirectoryW((harness::BuildFolder() + L"\\tests").c_str(), nullptr);
        CreateDirectoryW(path_.c_str(), nullptr);
        CreateDirectoryW((path_ + L"\\art").c_str(), nullptr);
    }
    ~ThemeFolder()
    {
        for (const auto& f : files_)
            DeleteFileW(f.c_str());
        RemoveDirectoryW((path_ + L"\\art").c_str());
        RemoveDirectoryW(path_.c_str());
    }
    std::wstring Write(const std::wstring& name, const std::string& bytes)
    {
        const std::wstring file = path_ + L"\\" + name;
        harness::WriteBytes(file, bytes);
        files_.push_back(file);
        return file;
    }

private:
    std::wstring path_;
    std::vector<std::wstring> files_;
};

const char kFrameTheme[] = R"([Theme]
name = Art
[Metrics]
frame-width = 6
caption-height = 26
menubar-height = 22
corner-radius = 0
[Frame]
background = #000000
image = art/frame.png
image-margins = 6
)";

}  // namespace

TEST(EngineImages, AFrameImageIsNineSlicedAroundTheWindowAtEverySize)
{
    ThemeFolder folder;
    folder.Write(L"art\\frame.png", FrameImage());
    UiThread ui;
    HWND hwnd = ui.Window();
    for (const bool tile : {false, true}) {
        const std::wstring theme =
            folder.Write(tile ? L"tiled.vlm" : L"stretched.vlm",
                         std::string(kFrameTheme) + (tile ? "image-fill = tile\n" : "image-fill = stretch\n"));
        ASSERT_EQ(ui.AttachEx(theme), VELUM_OK) << ui.LastError();
        for (const SIZE size : {SIZE{320, 200}, SIZE{521, 347}, SIZE{760, 530}}) {
            SCOPED_TRACE((tile ? "tiled, " : "stretched, ") + std::to_string(size.cx) + "x" + std::to_string(size.cy));
            ui.Call([&] {
                return static_cast<int>(SetWindowPos(hwnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER));
            });
            ui.Activate();
            const int w = size.cx, h = size.cy;
            // The corners, every pixel as in the image.
            const struct {
                int x, y;
                std::uint32_t colour;
            } corners[] = {
                {0, 0, kTopLeft}, {w - 6, 0, kTopRight}, {0, h - 6, kBottomLeft}, {w - 6, h - 6, kBottomRight}};
            ASSERT_TRUE(WaitUntil([&] { return WindowPixel(hwnd, 0, 0) == Ref(kTopLeft); }))
                << Hex(WindowPixel(hwnd, 0, 0));
            for (const auto& c : corners) {
                int wrong = 0;
                for (int y = 0; y < 6; ++y)
                    for (int x = 0; x < 6; ++x)
                        wrong += WindowPixel(hwnd, c.x + x, c.y + y) != Ref(c.colour) ? 1 : 0;
                EXPECT_EQ(wrong, 0) << "corner at " << c.x << "," << c.y;
            }
            // The edges: top, right and bottom one colour along their length; the left one two,
            // which stretch into one half each, or repeat every 12 rows from the top.
            EXPECT_EQ(WindowPixel(hwnd, w / 2, 2), Ref(kTop));
            EXPECT_EQ(WindowPixel(hwnd, w - 3, h / 2), Ref(kRight));
            EXPECT_EQ(WindowPixel(hwnd, w / 2, h - 3), Ref(kBottom));
            const int edge = h - 12;
            for (const int y : {6 + 3, 6 + 9, 6 + 12 + 3, 6 + 12 + 9, h - 6 - 4}) {
                const int along = y - 6;
                const bool upper = tile ? along % 12 < 6 : along < edge / 2;
                if (!tile && std::abs(along - edge / 2) < 2)
                    continue;
                EXPECT_EQ(Hex(WindowPixel(hwnd, 2, y)), Hex(Ref(upper ? kLeft : kLeftLower))) << "left edge, row " << y;
            }
        }
    }
}

// A caption image of two states: the active window shows the first, an inactive one the second.
TEST(EngineImages, ACaptionStripShowsTheActiveAndInactiveStates)
{
    ThemeFolder folder;
    constexpr std::uint32_t kActive = 0xFF3060C0, kInactive = 0xFF909090;
    std::vector<std::uint32_t> strip(4 * 8, kActive);
    for (std::size_t i = 16; i < strip.size(); ++i)
        strip[i] = kInactive;
    folder.Write(L"art\\caption.png", testimages::Png(4, 8, strip));
    const std::wstring theme = folder.Write(L"caption.vlm", "[Caption]\nimage = art/caption.png\nimage-states = 2\n");
    UiThread ui;
    HWND hwnd = ui.Window();
    ASSERT_EQ(ui.AttachEx(theme), VELUM_OK) << ui.LastError();
    const velum::Theme t = LoadExpected(theme);
    const int f = t.metrics.frameWidth;
    RECT r{};
    GetWindowRect(hwnd, &r);
    const POINT at{(r.right - r.left) / 2 + 60, f + 3};
    ui.Activate();
    EXPECT_TRUE(WaitUntil([&] { return WindowPixel(hwnd, at.x, at.y) == Ref(kActive); }))
        << Hex(WindowPixel(hwnd, at.x, at.y));
    HWND other = nullptr;
    ui.Call([&] {
        other = CreateWindowExW(0, kClass, L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 420, 200, 150, nullptr,
                                nullptr, nullptr, nullptr);
        SetForegroundWindow(other);
        return 0;
    });
    EXPECT_TRUE(WaitUntil([&] { return WindowPixel(hwnd, at.x, at.y) == Ref(kInactive); }))
        << Hex(WindowPixel(hwnd, at.x, at.y));
    ui.Call([&] { return static_cast<int>(DestroyWindow(other)); });
}

// A caption-button strip: the close button in its normal, hot, pressed and inactive states
// shows each state's part of the strip, under the mouse as a person moves and presses it.
TEST(EngineImages, ACaptionButtonStripShowsEachState)
{
    ThemeFolder folder;
    const std::uint32_t states[] = {0xFF204080, 0xFF3070C0, 0xFF102040, 0xFF707070, 0xFF505050};
    std::vector<std::uint32_t> strip;
    for (const std::uint32_t c : states)
        strip.insert(strip.end(), 8 * 8, c);
    folder.Write(L"art/buttons.png", testimages::Png(8, 40, strip));
    const std::wstring theme =
        folder.Write(L"buttons.vlm", "[CaptionButton]\nimage = art/buttons.png\nimage-states = 5\n");
    UiThread ui;
    HWND hwnd = ui.Window();
    ASSERT_EQ(ui.AttachEx(theme), VELUM_OK) << ui.LastError();
    ui.Activate();
    const velum::Theme t = LoadExpected(theme);
    const Sample close = FrameSamples(hwnd, t, true)[1];
    ASSERT_STREQ(close.part, "close button");
    RECT w{};
    GetWindowRect(hwnd, &w);
    const auto shows = [&](std::uint32_t c) {
        return WaitUntil([&] { return WindowPixel(hwnd, close.at.x, close.at.y) == Ref(c); });
    };
    EXPECT_TRUE(shows(states[0])) << "normal: " << Hex(WindowPixel(hwnd, close.at.x, close.at.y));
    SetCursorPos(w.left + close.at.x + 4, w.top + close.at.y + 4);
    EXPECT_TRUE(shows(states[1])) << "hot: " << Hex(WindowPixel(hwnd, close.at.x, close.at.y));
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    EXPECT_TRUE(shows(states[2])) << "pressed: " << Hex(WindowPixel(hwnd, close.at.x, close.at.y));
    // Let go away from the button: the window stays.
    SetCursorPos(w.left + 200, w.bottom + 100);
    Sleep(150);
    MouseButton(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(IsWindow(hwnd));
    HWND other = nullptr;
    ui.Call([&] {
        other = CreateWindowExW(0, kClass, L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 420, 200, 150, nullptr,
                                nullptr, nullptr, nullptr);
        SetForegroundWindow(other);
        return 0;
    });
    EXPECT_TRUE(shows(states[3])) << "inactive: " << Hex(WindowPixel(hwnd, close.at.x, close.at.y));
    ui.Call([&] { return static_cast<int>(DestroyWindow(other)); });
}

// Every image the engine cannot use fails the whole call with the key's line and column, and
// the look in use stays.
TEST(EngineImages, ImagesThatCannotBeUsedAreRefusedWithTheLookKept)
{
    ThemeFolder folder;
    const std::string png = testimages::Png(12, 12, std::vector<std::uint32_t>(144, 0xFF808080));
    folder.Write(L"art\\good.png", png);
    folder.Write(L"art\\truncated.png", png.substr(0, png.size() / 2));
    folder.Write(L"art\\text.png", "[Caption]\nbackground = #FFFFFF\n");
    folder.Write(L"art\\wide.png", testimages::Png(4097, 1, std::vector<std::uint32_t>(4097, 0xFF000000)));
    folder.Write(L"art\\huge.png", png + std::string(16 * 1024 * 1024 + 1 - png.size(), '\0'));
    const struct {
        const char* what;
        std::string keys;
        int code;
        const char* error;
    } cases[] = {
        {"missing", "image = art/none.png", VELUM_E_THEME, ":3:9: error: 'art/none.png': cannot open the image"},
        {"truncated", "image = art/truncated.png", VELUM_E_THEME, "'art/truncated.png': the image cannot be decoded"},
        {"not an image", "image = art/text.png", VELUM_E_THEME, "'art/text.png': not a PNG or BMP image"},
        {"a strip that does not divide", "image = art/good.png\nimage-states = 5", VELUM_E_THEME,
         "do not divide into 5 states"},
        {"margins larger than the image", "image = art/good.png\nimage-margins = 7", VELUM_E_THEME,
         "sizing margins (7 7 7 7) do not fit"},
        {"over the size cap", "image = art/wide.png", VELUM_E_THEME, "at most 4096 on a side"},
        {"a file over the size cap", "image = art/huge.png", VELUM_E_THEME,
         "'art/huge.png': the image file is larger than 16777216 bytes"},
        {"a path leaving the folder", "image = ../art/good.png", VELUM_E_THEME, ":3:9: error: the image path leaves"},
        {"a missing version for a larger DPI", "image = art/good.png\nimage-144 = art/none.png", VELUM_E_THEME,
         ":4:13: error: 'art/none.png': cannot open the image"},
        {"a version whose margins do not fit at its DPI",
         "image = art/good.png\nimage-margins = 5\nimage-144 = art/good.png", VELUM_E_THEME,
         ":5:13: error: 'art/good.png': the sizing margins (8 8 8 8) do not fit"},
    };
    UiThread ui;
    HWND hwnd = ui.Window();
    const std::wstring good = SkinFile(L"midnight.vlm");
    ASSERT_EQ(ui.AttachEx(good), VELUM_OK);
    ui.Activate();
    const velum::Theme kept = LoadExpected(good);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::wstring theme = folder.Write(L"broken.vlm", "[Caption]\nbackground = #FF0000\n" + c.keys + "\n");
        EXPECT_EQ(ui.AttachEx(theme), c.code);
        EXPECT_NE(ui.LastError().find(c.error), std::string::npos) << ui.LastError();
        ExpectFrame(hwnd, kept, true, "after a refused theme");
    }
}

namespace {

// A strip of solid cells, one colour per state.
std::string Strip(const std::vector<std::uint32_t>& colours, bool horizontal, int cell = 4)
{
    const int n = static_cast<int>(colours.size());
    const int w = horizontal ? cell * n : cell, h = horizontal ? cell : cell * n;
    std::vector<std::uint32_t> p(static_cast<std::size_t>(w * h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p[static_cast<std::size_t>(y * w + x)] = colours[static_cast<std::size_t>((horizontal ? x : y) / cell)];
    return testimages::Png(w, h, p);
}

std::vector<std::uint32_t> Shades(std::uint32_t base, int n)
{
    std::vector<std::uint32_t> c;
    for (int i = 0; i < n; ++i)
        c.push_back(base + static_cast<std::uint32_t>(i) * 0x000C0A08u);
    return c;
}

}  // namespace

// Each part of the menus and controls shows its image in each state: the state's place in its
// element's strip, under the mouse as a person moves and presses; detach gives the system's back.
TEST(EngineImages, MenusAndControlsShowTheirStatesImages)
{
    ThemeFolder folder;
    const auto button = Shades(0xFF203040, 5), check = Shades(0xFF402010, 12), radio = Shades(0xFF104020, 8),
               tab = Shades(0xFF301848, 3);
    const std::uint32_t bar = 0xFF2A5A3A, track = 0xFF3A3A6A, fill = 0xFF6A3A2A, statusColour = 0xFF4A5A1A;
    folder.Write(L"art/button.png", Strip(button, false));
    folder.Write(L"art/check.png", Strip(check, true));
    folder.Write(L"art/radio.png", Strip(radio, true));
    folder.Write(L"art/tab.png", Strip(tab, false));
    folder.Write(L"art/bar.png", Strip({bar}, false));
    folder.Write(L"art/track.png", Strip({track}, false));
    folder.Write(L"art/fill.png", Strip({fill}, false));
    folder.Write(L"art/status.png", Strip({statusColour}, false));
    const std::wstring theme = folder.Write(L"controls.vlm", R"([MenuBar]
image = art/bar.png
[Button]
image = art/button.png
image-states = 5
[CheckBox]
image = art/check.png
image-states = 12 horizontal
[RadioButton]
image = art/radio.png
image-states = 8 horizontal
[Tab]
image = art/tab.png
image-states = 3
[Progress]
image = art/track.png
[Progress.Bar]
image = art/fill.png
[StatusBar]
image = art/status.png
)");
    UiThread ui;
    HWND hwnd = ui.Window();
    const auto child = [&](const wchar_t* cls, DWORD style, RECT r) {
        HWND made = nullptr;
        ui.Call([&] {
            made = CreateWindowExW(0, cls, L"", WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
                                   r.bottom - r.top, hwnd, nullptr, nullptr, nullptr);
            return 0;
        });
        return made;
    };
    ui.Call([] {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
        return static_cast<int>(InitCommonControlsEx(&icc));
    });
    HWND push = child(L"Button", BS_PUSHBUTTON, {10, 10, 110, 38});
    HWND defaultPush = child(L"Button", BS_DEFPUSHBUTTON, {120, 10, 220, 38});
    HWND disabledPush = child(L"Button", BS_PUSHBUTTON | WS_DISABLED, {230, 10, 330, 38});
    HWND unchecked = child(L"Button", BS_AUTOCHECKBOX, {10, 50, 120, 70});
    HWND checked = child(L"Button", BS_AUTOCHECKBOX, {130, 50, 240, 70});
    HWND mixed = child(L"Button", BS_AUTO3STATE, {250, 50, 360, 70});
    HWND checkedOff = child(L"Button", BS_AUTOCHECKBOX | WS_DISABLED, {10, 80, 120, 100});
    HWND radioOn = child(L"Button", BS_AUTORADIOBUTTON, {130, 80, 240, 100});
    HWND radioOff = child(L"Button", BS_RADIOBUTTON | WS_DISABLED, {250, 80, 360, 100});
    HWND progress = child(PROGRESS_CLASSW, 0, {10, 110, 210, 130});
    HWND tabs = child(WC_TABCONTROLW, 0, {10, 140, 250, 200});
    HWND statusBar = child(STATUSCLASSNAMEW, 0, {0, 0, 0, 0});
    RECT tab0{}, tab1{};
    ui.Call([&] {
        SendMessageW(checked, BM_SETCHECK, BST_CHECKED, 0);
        SendMessageW(mixed, BM_SETCHECK, BST_INDETERMINATE, 0);
        SendMessageW(checkedOff, BM_SETCHECK, BST_CHECKED, 0);
        SendMessageW(radioOn, BM_SETCHECK, BST_CHECKED, 0);
        SendMessageW(progress, PBM_SETPOS, 50, 0);
        for (const wchar_t* text : {L"One", L"Two"}) {
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = const_cast<wchar_t*>(text);
            SendMessageW(tabs, TCM_INSERTITEMW, 9, reinterpret_cast<LPARAM>(&item));
        }
        SendMessageW(tabs, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&tab0));
        SendMessageW(tabs, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&tab1));
        return 0;
    });
    ASSERT_EQ(ui.AttachEx(theme), VELUM_OK) << ui.LastError();
    ui.Activate();
    const velum::Theme t = LoadExpected(theme);
    RECT status{};
    GetClientRect(statusBar, &status);
    const struct {
        const char* part;
        HWND window;
        POINT at;  // in the window's own coordinates
        std::uint32_t expected;
    } cases[] = {
        {"menu bar", hwnd, FrameSamples(hwnd, t, true)[2].at, bar},
        {"push button", push, {5, 5}, button[0]},
        {"disabled push button", disabledPush, {5, 5}, button[3]},
        {"default push button", defaultPush, {5, 5}, button[4]},
        {"check box", unchecked, {6, 10}, check[0]},
        {"checked check box", checked, {6, 10}, check[4]},
        {"mixed check box", mixed, {6, 10}, check[8]},
        {"disabled checked check box", checkedOff, {6, 10}, check[7]},
        {"checked radio button", radioOn, {6, 10}, radio[4]},
        {"disabled radio button", radioOff, {6, 10}, radio[3]},
        {"progress bar's filled part", progress, {20, 10}, fill},
        {"progress bar's track", progress, {190, 10}, track},
        {"selected tab", tabs, {tab0.left + 3, (tab0.top + tab0.bottom) / 2}, tab[2]},
        {"tab", tabs, {tab1.right - 4, (tab1.top + tab1.bottom) / 2}, tab[0]},
        {"status bar", statusBar, {status.right / 2, status.bottom / 2}, statusColour},
    };
    ASSERT_STREQ(FrameSamples(hwnd, t, true)[2].part, "menu bar");
    for (const auto& c : cases)
        EXPECT_TRUE(WaitUntil([&] { return WindowPixel(c.window, c.at.x, c.at.y) == Ref(c.expected); }))
            << c.part << ": " << Hex(WindowPixel(c.window, c.at.x, c.at.y)) << " instead of " << Hex(Ref(c.expected));

    // Under the mouse, then held down: the push button's hot and pressed states.
    RECT r{};
    GetWindowRect(push, &r);
    SetCursorPos(r.left + 50, r.top + 14);
    EXPECT_TRUE(WaitUntil([&] { return WindowPixel(push, 5, 5) == Ref(button[1]); }))
        << "hot: " << Hex(WindowPixel(push, 5, 5));
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    EXPECT_TRUE(WaitUntil([&] { return WindowPixel(push, 5, 5) == Ref(button[2]); }))
        << "pressed: " << Hex(WindowPixel(push, 5, 5));
    SetCursorPos(r.left + 50, r.bottom + 200);
    Sleep(100);
    MouseButton(MOUSEEVENTF_LEFTUP);

    ui.Call([] { return Velum_Detach(); });
    for (const auto& c : cases)
        EXPECT_TRUE(WaitUntil([&] { return WindowPixel(c.window, c.at.x, c.at.y) != Ref(c.expected); }))
            << c.part << " kept its image after detach";
}

// A switch back to a theme reuses its decoded images while their files are as they were, and
// reads them again once a file has changed.
namespace {

// The program's own procedure, under the engine's: it detaches the engine from inside a
// message the engine passed on.
constexpr UINT kDetachInside = WM_APP + 7;

LRESULT CALLBACK DetachingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kDetachInside)
        return Velum_Detach();
    return RecordingProc(hwnd, message, wParam, lParam);
}

}  // namespace

// Kept for a switch back, an image is read again once its file changes, and once the engine is
// detached, however it is detached.
TEST(EngineImages, ASwitchBackReusesImagesUntilTheirFileChanges)
{
    ThemeFolder folder;
    constexpr std::uint32_t kFirst = 0xFF3060C0, kSecond = 0xFFC06030, kThird = 0xFF30C060;
    const std::wstring image = folder.Write(L"art/caption.png", Strip({kFirst}, false));
    const std::wstring theme = folder.Write(L"caption.vlm", "[Caption]\nimage = art/caption.png\n");
    UiThread ui;
    HWND hwnd = ui.Window();
    const velum::Theme t = LoadExpected(theme);
    const POINT at{(kWidth) / 2 + 60, t.metrics.frameWidth + 3};
    const auto fileTime = [&] {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        GetFileAttributesExW(image.c_str(), GetFileExInfoStandard, &data);
        return data.ftLastWriteTime;
    };
    const auto rewrite = [&](std::uint32_t colour, const FILETIME* keep) {
        harness::WriteBytes(image, Strip({colour}, false));
        if (keep == nullptr)
            return;
        HANDLE file = CreateFileW(image.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        SetFileTime(file, nullptr, nullptr, keep);
        CloseHandle(file);
    };
    ui.Call([&] {
        return static_cast<int>(SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DetachingProc)));
    });
    ASSERT_EQ(ui.AttachEx(theme), VELUM_OK) << ui.LastError();
    ui.Activate();
    const FILETIME written = fileTime();
    FILETIME later = written;
    later.dwLowDateTime += 20'000'000;  // two seconds on
    if (later.dwLowDateTime < written.dwLowDateTime)
        ++later.dwHighDateTime;
    enum class Leave { Switch, Detach, DetachInside };
    const struct {
        const char* change;
        Leave leave;
        std::uint32_t written;
        const FILETIME* time;
        std::uint32_t shown;
    } cases[] = {
        {"same size and time: the kept image", Leave::Switch, kSecond, &written, kFirst},
        {"written later: read again", Leave::Switch, kThird, &later, kThird},
        {"detached, same size and time: read again", Leave::Detach, kFirst, &later, kFirst},
        {"detached inside a message, same size and time: read again", Leave::DetachInside, kSecond, &later, kSecond},
    };
    for (const auto& c : cases) {
        rewrite(c.written, c.time);
        switch (c.leave) {
        case Leave::Switch: ASSERT_EQ(ui.AttachEx(SkinFile(L"midnight.vlm")), VELUM_OK); break;
        case Leave::Detach: ASSERT_EQ(ui.Call([] { return Velum_Detach(); }), VELUM_OK); break;
        case Leave::DetachInside:
            ASSERT_EQ(ui.Call([&] { return static_cast<int>(SendMessageW(hwnd, kDetachInside, 0, 0)); }), VELUM_OK);
            break;
        }
        ASSERT_EQ(ui.AttachEx(theme), VELUM_OK) << ui.LastError();
        EXPECT_TRUE(WaitUntil([&] { return WindowPixel(hwnd, at.x, at.y) == Ref(c.shown); }))
            << c.change << ": " << Hex(WindowPixel(hwnd, at.x, at.y));
    }
}

// A frame image with image-shape = alpha shapes the window: each pixel of its corners is inside
// the window's region exactly where it is opaque, at every size; maximised, the window is whole.
TEST(EngineImages, AShapingFrameImageCutsTheWindowAtItsTransparentCorners)
{
    ThemeFolder folder;
    // 16x16, 6-pixel corners cut to a quarter circle; the rest opaque.
    std::vector<std::uint32_t> p(16 * 16, 0xFF405060);
    const auto clear = [](int x, int y) {
        const int dx = x < 6 ? 6 - x : x >= 10 ? x - 9 : 0, dy = y < 6 ? 6 - y : y >= 10 ? y - 9 : 0;
        return dx > 0 && dy > 0 && dx * dx + dy * dy > 36;
    };
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            if (clear(x, y))
                p[static_cast<std::size_t>(y * 16 + x)] = 0;
    folder.Write(L"art/round.png", testimages::Png(16, 16, p));
    const std::wstring theme = folder.Write(
        L"round.vlm",
        "[Metrics]\nframe-width = 6\n[Frame]\nimage = art/round.png\nimage-margins = 6\nimage-shape = alpha\n");
    UiThread ui;
    HWND hwnd = ui.Window();
    ASSERT_EQ(ui.AttachEx(theme), VELUM_OK) << ui.LastError();
    for (const SIZE size : {SIZE{320, 200}, SIZE{533, 301}}) {
        ui.Call([&] {
            return static_cast<int>(SetWindowPos(hwnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER));
        });
        // Each corner pixel in the window's region exactly where the image is opaque; the region
        // follows the size once the window has taken it.
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        int wrong = -1;
        WaitUntil([&] {
            if (GetWindowRgn(hwnd, region) == ERROR)
                return false;
            wrong = 0;
            for (const POINT corner :
                 {POINT{0, 0}, POINT{size.cx - 6, 0}, POINT{0, size.cy - 6}, POINT{size.cx - 6, size.cy - 6}})
                for (int y = 0; y < 6; ++y)
                    for (int x = 0; x < 6; ++x) {
                        const int ix = corner.x == 0 ? x : 10 + x, iy = corner.y == 0 ? y : 10 + y;
                        wrong += (PtInRegion(region, corner.x + x, corner.y + y) != FALSE) == clear(ix, iy) ? 1 : 0;
                    }
            return wrong == 0;
        });
        EXPECT_EQ(wrong, 0) << size.cx << "x" << size.cy << " (-1: no region)";
        EXPECT_TRUE(PtInRegion(region, size.cx / 2, 3)) << "the top edge between the corners";
        DeleteObject(region);
    }
    ui.Call([&] { return static_cast<int>(ShowWindow(hwnd, SW_MAXIMIZE)); });
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return GetWindowRgn(hwnd, region) == ERROR; }))
        << "maximised, the window keeps no region";
    DeleteObject(region);
    ui.Call([&] { return static_cast<int>(ShowWindow(hwnd, SW_RESTORE)); });
}

// Content margins say where text goes inside a part drawn from an image: a push button's label
// and a menu-bar item's text keep out of the margins, and sit where they would without them
// when the theme names none.
TEST(EngineImages, TextStaysInsideTheContentMargins)
{
    ThemeFolder folder;
    folder.Write(L"art/face.png", Strip({0xFF202830}, false));
    const std::string faces = "[MenuBar]\nimage = art/face.png\ntext = #FFFFFF\n"
                              "[Button]\nimage = art/face.png\ntext = #FFFFFF\n";
    const std::wstring plain = folder.Write(L"plain.vlm", faces);
    const std::wstring inset = folder.Write(L"inset.vlm", "[MenuBar]\nimage = art/face.png\ntext = #FFFFFF\n"
                                                          "content-margins = 0 0 0 10\n"
                                                          "[Button]\nimage = art/face.png\ntext = #FFFFFF\n"
                                                          "content-margins = 90 0 0 0\n");
    UiThread ui;
    HWND hwnd = ui.Window();
    HWND button = nullptr;
    ui.Call([&] {
        button = CreateWindowExW(0, L"Button", L"按钮", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 160, 30, hwnd,
                                 nullptr, nullptr, nullptr);
        return 0;
    });
    // The extent of the white text pixels inside `r` of `window`, window-relative: left, top,
    // right and bottom, or nothing found.
    const auto textExtent = [](HWND window, RECT r) {
        RECT found{LONG_MAX, LONG_MAX, -1, -1};
        HDC dc = GetWindowDC(window);
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (GetPixel(dc, x, y) == RGB(255, 255, 255)) {
                    found.left = std::min<LONG>(found.left, x);
                    found.top = std::min<LONG>(found.top, y);
                    found.right = std::max<LONG>(found.right, x + 1);
                    found.bottom = std::max<LONG>(found.bottom, y + 1);
                }
        ReleaseDC(window, dc);
        return found;
    };
    const velum::Theme t = LoadExpected(plain);
    const int f = t.metrics.frameWidth, barTop = f + t.metrics.captionHeight, barHeight = t.metrics.menuBarHeight;
    const RECT bar{f, barTop, 200, barTop + barHeight};
    for (const bool withMargins : {false, true}) {
        SCOPED_TRACE(withMargins ? "with content margins" : "without");
        ASSERT_EQ(ui.AttachEx(withMargins ? inset : plain), VELUM_OK) << ui.LastError();
        ui.Activate();
        Sleep(300);
        const RECT label = textExtent(button, {0, 0, 160, 30});
        const RECT item = textExtent(hwnd, bar);
        ASSERT_GE(label.right, 0) << "no label drawn";
        ASSERT_GE(item.right, 0) << "no menu item text drawn";
        if (withMargins) {
            EXPECT_GE(label.left, 90) << "the label reaches into the left margin";
            EXPECT_LE(item.bottom, barTop + barHeight - 10) << "the item's text reaches into the bottom margin";
        } else {
            EXPECT_LT(label.left, 90) << "the label is not centred in the button";
            EXPECT_GT(item.bottom, barTop + barHeight - 10) << "the item's text is not centred in the bar";
        }
    }
}
