// The engine as a program meets it: a window on its own UI thread, the engine's calls, the
// pixels that reach the window (GetPixel) and the X screen (a root screenshot), and keyboard and
// mouse input.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "ControlPalette.h"
#include "ProgramHarness.h"
#include "ThemeFile.h"
#include "Velum.h"

namespace {

constexpr UINT kCallMessage = WM_APP + 1;

// The UI thread's keyboard accelerators, as a program's message loop translates them.
HACCEL accelerators = nullptr;

// The last menu command the test window received, and how many it received.
std::atomic<int> lastCommand{0};
std::atomic<int> commandCount{0};
std::atomic<int> closeCount{0};

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE)
        ++closeCount;
    if (message == WM_COMMAND && lParam == 0) {
        lastCommand = LOWORD(wParam);
        ++commandCount;
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
constexpr wchar_t kClass[] = L"VelumTestWindow";
constexpr int kWidth = 520, kHeight = 340;

std::wstring SourceFolder()
{
    std::wstring path = L"Z:" VELUM_SOURCE_DIR;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

std::wstring SkinFile(const std::wstring& name)
{
    return SourceFolder() + L"\\Skin\\" + name;
}

std::vector<std::wstring> ShippedThemes()
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((SourceFolder() + L"\\Skin\\*.vlm").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do
            names.push_back(data.cFileName);
        while (FindNextFileW(find, &data));
        FindClose(find);
    }
    return names;
}

velum::Theme LoadExpected(const std::wstring& file, const std::string& scheme = "")
{
    velum::ParseResult parsed = velum::LoadThemeFile(std::filesystem::path(file), scheme);
    if (!parsed.theme)
        throw std::runtime_error("test theme does not parse: " + harness::Utf8(file));
    return *parsed.theme;
}

// A top-level window like a program's main window, with a menu bar, on a thread of its own
// that runs its message loop; the engine is called on that thread.
class UiThread {
public:
    UiThread()
    {
        // Away from where the window will be: a pointer resting on a caption button makes it hot.
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2);
        thread_ = std::thread([this] { Run(); });
        WaitForSingleObject(ready_, 20000);
    }
    ~UiThread()
    {
        if (IsWindow(hwnd_))
            Call([this] {
                Velum_Detach();
                DestroyWindow(hwnd_);
                return 0;
            });
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        thread_.join();
        CloseHandle(ready_);
    }

    HWND Window() const { return hwnd_; }

    int Call(const std::function<int()>& fn) const
    {
        return static_cast<int>(SendMessageW(messageWindow_, kCallMessage, 0, reinterpret_cast<LPARAM>(&fn)));
    }

    int AttachEx(const std::wstring& file, const std::string& scheme = "") const
    {
        const std::string path = harness::Ansi(file);
        return Call([&] { return Velum_AttachEx(path.c_str(), scheme.c_str()); });
    }

    std::string LastError() const
    {
        std::string text(1024, '\0');
        Call([&] { return Velum_GetLastErrorText(text.data(), static_cast<int>(text.size())); });
        return text.c_str();
    }

    void Activate() const
    {
        Call([this] {
            SetForegroundWindow(hwnd_);
            SetActiveWindow(hwnd_);
            return 0;
        });
    }

private:
    static LRESULT CALLBACK CallProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == kCallMessage)
            return (*reinterpret_cast<const std::function<int()>*>(lParam))();
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }

    void Run()
    {
        threadId_ = GetCurrentThreadId();
        WNDCLASSW wc{};
        wc.lpfnWndProc = RecordingProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
        wc.lpszClassName = kClass;
        RegisterClassW(&wc);
        WNDCLASSW calls{};
        calls.lpfnWndProc = CallProc;
        calls.hInstance = GetModuleHandleW(nullptr);
        calls.lpszClassName = L"VelumTestCalls";
        RegisterClassW(&calls);
        messageWindow_ =
            CreateWindowExW(0, L"VelumTestCalls", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);

        HMENU bar = CreateMenu();
        HMENU theme = CreatePopupMenu();
        AppendMenuW(theme, MF_STRING, 101, L"第一项(&F)");
        AppendMenuW(theme, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(theme, MF_STRING | MF_GRAYED, 102, L"禁用项(&D)");
        AppendMenuW(theme, MF_STRING, 103, L"最后一项(&L)");
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(theme), L"主题(&T)");
        HMENU help = CreatePopupMenu();
        AppendMenuW(help, MF_STRING, 201, L"关于(&A)");
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"帮助(&H)");
        hwnd_ = CreateWindowExW(0, kClass, L"T", WS_OVERLAPPEDWINDOW, 40, 40, kWidth, kHeight, nullptr, bar, nullptr,
                                nullptr);
        ShowWindow(hwnd_, SW_SHOW);
        UpdateWindow(hwnd_);
        SetForegroundWindow(hwnd_);
        SetEvent(ready_);
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            if (accelerators != nullptr && TranslateAcceleratorW(hwnd_, accelerators, &msg))
                continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        DestroyWindow(messageWindow_);
    }

    HANDLE ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread thread_;
    DWORD threadId_ = 0;
    HWND hwnd_ = nullptr;
    HWND messageWindow_ = nullptr;
};

COLORREF WindowPixel(HWND hwnd, int x, int y)
{
    HDC dc = GetWindowDC(hwnd);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    return c;
}

// The X server's own pixels: a root screenshot taken by ImageMagick, started from inside Wine.
class XScreen {
public:
    XScreen()
    {
        // Both architectures' tests run at once, each under its own Wine server, which can hand
        // out the same process id.
        const std::string file = "/tmp/velum-test-" + std::to_string(sizeof(void*) * 8) + "-" +
                                 std::to_string(GetCurrentProcessId()) + ".rgb";
        // Written under another name and renamed when complete, as the process handle of a Unix
        // program does not wait for it.
        std::wstring command = L"Z:\\bin\\sh -c \"import -silent -window root -depth 8 rgb:" + harness::Widen(file) +
                               L".part && mv " + harness::Widen(file) + L".part " + harness::Widen(file) + L"\"";
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        std::wstring windowsPath = L"Z:" + harness::Widen(file);
        std::replace(windowsPath.begin(), windowsPath.end(), L'/', L'\\');
        width_ = GetSystemMetrics(SM_CXSCREEN);
        const size_t expected = static_cast<size_t>(width_) * GetSystemMetrics(SM_CYSCREEN) * 3;
        DeleteFileW(windowsPath.c_str());
        if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
        }
        for (int i = 0; i < 400 && pixels_.size() < expected; ++i) {
            Sleep(25);
            pixels_ = harness::ReadBytes(windowsPath);
        }
        DeleteFileW(windowsPath.c_str());
        width_ = GetSystemMetrics(SM_CXSCREEN);
    }
    bool Ok() const { return pixels_.size() >= static_cast<size_t>(width_) * 3; }
    COLORREF At(int x, int y) const
    {
        const size_t i = (static_cast<size_t>(y) * width_ + x) * 3;
        if (i + 2 >= pixels_.size())
            return CLR_INVALID;
        return RGB(static_cast<std::uint8_t>(pixels_[i]), static_cast<std::uint8_t>(pixels_[i + 1]),
                   static_cast<std::uint8_t>(pixels_[i + 2]));
    }

private:
    std::string pixels_;
    int width_ = 0;
};

// True when c lies within the fill's two stops (a gradient's pixels lie between them).
bool InFill(COLORREF c, const velum::Fill& f)
{
    auto within = [](int v, int a, int b) { return v >= std::min(a, b) - 3 && v <= std::max(a, b) + 3; };
    return c != CLR_INVALID && within(GetRValue(c), f.from.r, f.to.r) && within(GetGValue(c), f.from.g, f.to.g) &&
           within(GetBValue(c), f.from.b, f.to.b);
}

std::string Hex(COLORREF c)
{
    char text[16];
    snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

std::string Hex(const velum::Fill& f)
{
    return Hex(RGB(f.from.r, f.from.g, f.from.b)) + ".." + Hex(RGB(f.to.r, f.to.g, f.to.b));
}

struct Sample {
    const char* part;
    POINT at;  // window-relative
    velum::Fill expected;
};

// Points on each part of the frame, from the theme's metrics (the test runs at 96 DPI).
std::vector<Sample> FrameSamples(HWND hwnd, const velum::Theme& t, bool active)
{
    RECT w{};
    GetWindowRect(hwnd, &w);
    const int width = w.right - w.left, height = w.bottom - w.top;
    const auto& m = t.metrics;
    const int f = std::max(1, m.frameWidth);
    const int captionMid = f + m.captionHeight / 2;
    const int closeLeft = width - f - 4 - m.buttonWidth;
    const int buttonTop = f + (m.captionHeight - m.buttonHeight) / 2;
    std::vector<Sample> samples = {
        {"caption", {width / 2 + 60, captionMid}, (active ? t.caption : t.captionInactive).background},
        {"close button", {closeLeft + 3, buttonTop + 3}, t.button.background},
        {"menu bar", {width - f - 12, f + m.captionHeight + m.menuBarHeight / 2}, t.menuBar.background},
        {"client area", {width / 2, height - f - 30}, t.window.background},
    };
    if (m.frameWidth >= 3)
        samples.push_back({"frame", {f / 2 + 1, height / 2}, (active ? t.frame : t.frameInactive).background});
    return samples;
}

// Waits until every sample shows its colour on the window, then checks the X screen too.
void ExpectFrame(HWND hwnd, const velum::Theme& t, bool active, const std::string& when)
{
    SCOPED_TRACE(when);
    // Under Wine a late X focus event can take the activation from a window the test just
    // activated; the look must follow what Windows says the state is.
    for (int i = 0; i < 20 && (GetForegroundWindow() == hwnd) != active; ++i)
        Sleep(50);
    const bool isActive = GetForegroundWindow() == hwnd;
    if (isActive != active)
        std::printf("note: %s: the window is %s\n", when.c_str(), isActive ? "active" : "inactive");
    const auto samples = FrameSamples(hwnd, t, isActive);
    const ULONGLONG end = GetTickCount64() + 5000;
    auto allMatch = [&] {
        return std::all_of(samples.begin(), samples.end(),
                           [&](const Sample& s) { return InFill(WindowPixel(hwnd, s.at.x, s.at.y), s.expected); });
    };
    while (!allMatch() && GetTickCount64() < end)
        Sleep(50);
    for (const auto& s : samples) {
        const COLORREF c = WindowPixel(hwnd, s.at.x, s.at.y);
        EXPECT_TRUE(InFill(c, s.expected))
            << s.part << " at (" << s.at.x << "," << s.at.y << ") is " << Hex(c) << ", theme says " << Hex(s.expected);
    }
    // Wine hands a window's pixels to the X server a little later; wait for them there too.
    RECT w{};
    GetWindowRect(hwnd, &w);
    std::vector<std::string> mismatches;
    for (int attempt = 0; attempt < 20; ++attempt) {
        XScreen screen;
        ASSERT_TRUE(screen.Ok()) << "no root screenshot";
        mismatches.clear();
        for (const auto& s : samples) {
            const COLORREF c = screen.At(w.left + s.at.x, w.top + s.at.y);
            if (!InFill(c, s.expected))
                mismatches.push_back(std::string(s.part) + " is " + Hex(c) + ", theme says " + Hex(s.expected));
        }
        if (mismatches.empty())
            break;
        Sleep(150);
    }
    for (const auto& m : mismatches)
        ADD_FAILURE() << "X screen: " << m;
}

void Key(WORD vk, bool up)
{
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof in);
}

void Press(WORD vk)
{
    Key(vk, false);
    Key(vk, true);
    Sleep(120);
}

void AltPress(WORD vk)
{
    Key(VK_MENU, false);
    Key(vk, false);
    Key(vk, true);
    Key(VK_MENU, true);
    Sleep(200);
}

HWND WaitForPopup(bool open)
{
    const ULONGLONG end = GetTickCount64() + 5000;
    do {
        const auto popups = harness::WindowsOf(GetCurrentProcessId(), L"#32768", true);
        if (open && !popups.empty())
            return popups.front();
        if (!open && popups.empty())
            return nullptr;
        Sleep(30);
    } while (GetTickCount64() < end);
    return nullptr;
}

void Click(int x, int y)
{
    SetCursorPos(x, y);
    Sleep(100);
    INPUT in[2]{};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(1, &in[0], sizeof(INPUT));
    Sleep(100);
    SendInput(1, &in[1], sizeof(INPUT));
    Sleep(200);
}

}  // namespace

TEST(Engine, EveryShippedThemeColoursEveryPartAndKeepsItsLook)
{
    const auto themes = ShippedThemes();
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
    const size_t caption = red.find("background = #2E8B6E #1F6E56");
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

// The leak tests trust the object count: objects kept show, objects freed in any order do not.
TEST(Engine, TheObjectCountSeesKeptObjectsAndNotFreedOnes)
{
    const harness::ObjectCounts before = harness::CountObjects();
    std::vector<HBRUSH> brushes;
    std::vector<HMENU> menus;
    for (int i = 0; i < 40; ++i)
        brushes.push_back(CreateSolidBrush(RGB(i, 0, 0)));
    for (int i = 0; i < 12; ++i)
        menus.push_back(CreateMenu());
    const harness::ObjectCounts kept = harness::CountObjects();
    EXPECT_EQ(kept.gdi, before.gdi + 40);
    EXPECT_EQ(kept.user, before.user + 12);
    // Freed out of order, so the last one freed sits high in the table.
    for (size_t i = 0; i < brushes.size(); i += 2)
        DeleteObject(brushes[i]);
    for (size_t i = 1; i < brushes.size(); i += 2)
        DeleteObject(brushes[i]);
    for (auto it = menus.rbegin(); it != menus.rend(); ++it)
        DestroyMenu(*it);
    const harness::ObjectCounts freed = harness::CountObjects();
    EXPECT_EQ(freed.gdi, before.gdi);
    EXPECT_EQ(freed.user, before.user);
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

TEST(Engine, CaptionButtonsMinimiseAndClose)
{
    UiThread ui;
    HWND hwnd = ui.Window();
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
}

// How many pixels of a window rectangle have a fill's colour, read until `want` says the count
// is right or two seconds pass.
int FillPixels(HWND hwnd, RECT r, const velum::Fill& fill, const std::function<bool(int)>& want)
{
    int count = 0;
    const ULONGLONG end = GetTickCount64() + 2000;
    do {
        count = 0;
        HDC dc = GetWindowDC(hwnd);
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                count += InFill(GetPixel(dc, x, y), fill) ? 1 : 0;
        ReleaseDC(hwnd, dc);
    } while (!want(count) && GetTickCount64() < end && (Sleep(50), true));
    return count;
}

void MouseButton(DWORD flags)
{
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    SendInput(1, &in, sizeof in);
    Sleep(150);
}

// Under the pointer a caption button takes the theme's hot look and, held down, its pressed
// look; released away from it, it does nothing and takes its normal look again.
TEST(Engine, CaptionButtonsShowTheirHotAndPressedLooks)
{
    UiThread ui;
    HWND hwnd = ui.Window();
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
}

// A bar item under the pointer is hot; when another window takes the activation while the
// pointer stays, the item loses its hot look.
TEST(Engine, ABarItemsHotLookGoesWhenTheWindowIsDeactivated)
{
    UiThread ui;
    HWND hwnd = ui.Window();
    const velum::Theme t = LoadExpected(SkinFile(L"midnight.vlm"));
    ASSERT_EQ(ui.AttachEx(SkinFile(L"midnight.vlm")), VELUM_OK);
    ASSERT_FALSE(t.menuBarHot.background == t.menuBar.background);
    ui.Activate();
    ExpectFrame(hwnd, t, true, "before the pointer comes");
    RECT w{};
    GetWindowRect(hwnd, &w);
    const auto& m = t.metrics;
    const int f = std::max(1, m.frameWidth);
    const RECT item{f, f + m.captionHeight, f + 30, f + m.captionHeight + m.menuBarHeight};
    SetCursorPos(w.left + f + 14, w.top + f + m.captionHeight + m.menuBarHeight / 2);
    EXPECT_GT(FillPixels(hwnd, item, t.menuBarHot.background, [](int n) { return n > 20; }), 20) << "hot";
    HWND other = nullptr;
    ui.Call([&other] {
        other = CreateWindowExW(0, kClass, L"Other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 400, 200, 150, nullptr,
                                nullptr, nullptr, nullptr);
        return static_cast<int>(SetForegroundWindow(other));
    });
    EXPECT_EQ(FillPixels(hwnd, item, t.menuBarHot.background, [](int n) { return n == 0; }), 0) << "after deactivation";
    ui.Call([other] { return static_cast<int>(DestroyWindow(other)); });
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

TEST(Engine, AClickOnABarItemOpensItsMenuAndAClickOnAnItemRunsIt)
{
    for (const wchar_t* name : {L"velum.vlm", L"midnight.vlm", L"contrast.vlm"}) {
        SCOPED_TRACE(harness::Utf8(name));
        UiThread ui;
        HWND hwnd = ui.Window();
        const velum::Theme t = LoadExpected(SkinFile(name));
        ASSERT_EQ(ui.AttachEx(SkinFile(name)), VELUM_OK);
        ui.Activate();
        ExpectFrame(hwnd, t, true, "before the click");
        RECT w{};
        GetWindowRect(hwnd, &w);
        const auto& m = t.metrics;
        const int f = std::max(1, m.frameWidth);
        // A plain click, pressed and released without moving, on the first bar item.
        Click(w.left + f + 14, w.top + f + m.captionHeight + m.menuBarHeight / 2);
        HWND popup = WaitForPopup(true);
        ASSERT_NE(popup, nullptr) << "the click opened no menu";
        Sleep(300);
        ASSERT_TRUE(IsWindowVisible(popup)) << "the menu closed at the release";
        RECT p{};
        GetWindowRect(popup, &p);
        EXPECT_EQ(p.top, w.top + f + m.captionHeight + m.menuBarHeight) << "the menu is not under the bar item";
        const int before = commandCount;
        RECT item{};
        ASSERT_TRUE(GetMenuItemRect(hwnd, GetSubMenu(GetMenu(hwnd), 0), 0, &item));
        Click((item.left + item.right) / 2, (item.top + item.bottom) / 2);
        for (int i = 0; i < 50 && commandCount == before; ++i)
            Sleep(50);
        EXPECT_EQ(commandCount, before + 1);
        EXPECT_EQ(lastCommand, 101);
        EXPECT_EQ(WaitForPopup(false), nullptr);
    }
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
    for (const wchar_t* name : {L"lavender.vlm", L"contrast.vlm"}) {
        for (const auto& way : ways) {
            SCOPED_TRACE(harness::Utf8(name) + " through " + way.how);
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
        {"fixed window with a menu",
         [] {
             HMENU bar = CreateMenu();
             AppendMenuW(bar, MF_STRING, 1, L"文件(&F)");
             return CreateWindowExW(0, kClass, L"fixed", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 80, 80, 400, 300,
                                    nullptr, bar, nullptr, nullptr);
         }},
    };
    auto measure = [](HWND h) {
        RECT c{};
        GetClientRect(h, &c);
        return Sizes{{c.right, c.bottom}};
    };
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.kind);
        Sizes plain{};
        {
            UiThread ui;
            ui.Call([&] {
                HWND h = kind.make();
                plain = measure(h);
                DestroyWindow(h);
                return 0;
            });
        }
        for (const wchar_t* name : {L"midnight.vlm", L"contrast.vlm"}) {
            SCOPED_TRACE(harness::Utf8(name));
            UiThread ui;
            ASSERT_EQ(ui.AttachEx(SkinFile(L"amber.vlm")), VELUM_OK);
            ui.Call([&] {
                HWND h = kind.make();
                ShowWindow(h, SW_SHOW);
                const Sizes made = measure(h);
                EXPECT_EQ(made.client.cx, plain.client.cx);
                EXPECT_EQ(made.client.cy, plain.client.cy);
                // A window the user cannot resize keeps its client size through a switch.
                const std::string path = harness::Ansi(SkinFile(name));
                EXPECT_EQ(Velum_AttachEx(path.c_str(), ""), VELUM_OK);
                const bool resizable = (GetWindowLongPtrW(h, GWL_STYLE) & WS_THICKFRAME) != 0;
                if (!resizable) {
                    const Sizes switched = measure(h);
                    EXPECT_EQ(switched.client.cx, plain.client.cx);
                    EXPECT_EQ(switched.client.cy, plain.client.cy);
                }
                DestroyWindow(h);
                return 0;
            });
        }
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
        auto clientPixel = [](HWND h, int x, int y) {
            HDC dc = GetDC(h);
            const COLORREF c = GetPixel(dc, x, y);
            ReleaseDC(h, dc);
            return c;
        };
        EXPECT_EQ(Hex(clientPixel(own, 100, 80)), Hex(RGB(0, 0, 0))) << "the class brush was replaced";
        EXPECT_EQ(Hex(clientPixel(parent, 30, 20)), Hex(RGB(200, 30, 40))) << "the program's WM_CTLCOLORSTATIC lost";
        const velum::Theme t = LoadExpected(SkinFile(name));
        EXPECT_TRUE(InFill(clientPixel(parent, 200, 150), t.window.background)) << "a system brush stays the system's";
    }
    ui.Call([&] {
        DestroyWindow(own);
        DestroyWindow(parent);
        return 0;
    });
}

// Opens the popup at a point of the window on its thread; the menu's tracking runs there until
// the popup closes, when the returned thread ends.
std::thread TrackPopupOnUiThread(const UiThread& ui, HMENU popup)
{
    return std::thread([&ui, popup] {
        ui.Call([&ui, popup] {
            RECT w{};
            GetWindowRect(ui.Window(), &w);
            TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_TOPALIGN, w.left + 60, w.top + 90, 0, ui.Window(), nullptr);
            return 0;
        });
    });
}

TEST(Engine, SubmenuArrowsAreDrawnOnce)
{
    UiThread ui;
    HWND hwnd = ui.Window();
    ASSERT_EQ(ui.AttachEx(SkinFile(L"velum.vlm")), VELUM_OK);
    HMENU popup = CreatePopupMenu();
    HMENU sub = CreatePopupMenu();
    AppendMenuW(sub, MF_STRING, 301, L"里面");
    AppendMenuW(popup, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), L"子菜单(&S)");
    AppendMenuW(popup, MF_STRING, 302, L"普通项");
    ui.Activate();
    PostMessageW(hwnd, WM_NULL, 0, 0);
    std::thread opener = TrackPopupOnUiThread(ui, popup);
    HWND menuWindow = WaitForPopup(true);
    ASSERT_NE(menuWindow, nullptr);
    Sleep(400);
    // A popup's items are placed by the popup itself: with an owner window, Wine answers a
    // rectangle beside the popup.
    RECT item{};
    ASSERT_TRUE(GetMenuItemRect(nullptr, popup, 0, &item));
    // The system's arrow is black; the theme's is its text colour.
    RECT p{};
    GetWindowRect(menuWindow, &p);
    ASSERT_TRUE(item.left >= p.left && item.right <= p.right && item.top >= p.top && item.bottom <= p.bottom)
        << "the item's rectangle is not inside its popup";
    // The theme's arrow is drawn with pens, in the text colour on the popup's background: any
    // other colour at the item's right end is the system's arrow. (Windows draws its arrow after
    // an owner-drawn item; Wine 8 draws none, so here only the theme's arrow can go wrong.)
    const velum::Theme t = LoadExpected(SkinFile(L"velum.vlm"));
    const auto ref = [](velum::Color c) { return RGB(c.r, c.g, c.b); };
    int stray = 0, arrow = 0;
    for (int y = item.top; y < item.bottom; ++y)
        for (int x = item.right - 24; x < item.right; ++x) {
            const COLORREF c = WindowPixel(menuWindow, x - p.left, y - p.top);
            arrow += c == ref(t.popup.text);
            stray += c != ref(t.popup.text) && c != ref(t.popup.background.from);
        }
    EXPECT_GT(arrow, 0) << "the theme's submenu arrow";
    EXPECT_EQ(stray, 0) << "the system's submenu arrow shows beside the theme's";
    Press(VK_ESCAPE);
    Press(VK_ESCAPE);
    opener.join();
    DestroyMenu(popup);
}

// A menu's default item is drawn in bold, as the system draws it: its label covers more of its
// row than the same label on a plain item.
TEST(Engine, AMenusDefaultItemIsBold)
{
    UiThread ui;
    const velum::Theme t = LoadExpected(SkinFile(L"velum.vlm"));
    ASSERT_EQ(ui.AttachEx(SkinFile(L"velum.vlm")), VELUM_OK);
    HMENU popup = CreatePopupMenu();
    AppendMenuW(popup, MF_STRING, 401, L"打开文件 Open");
    AppendMenuW(popup, MF_STRING, 402, L"打开文件 Open");
    SetMenuDefaultItem(popup, 402, FALSE);
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2);  // no item selected
    ui.Activate();
    std::thread opener = TrackPopupOnUiThread(ui, popup);
    HWND menuWindow = WaitForPopup(true);
    ASSERT_NE(menuWindow, nullptr);
    Sleep(400);
    RECT p{};
    GetWindowRect(menuWindow, &p);
    const COLORREF background = RGB(t.popup.background.from.r, t.popup.background.from.g, t.popup.background.from.b);
    int ink[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
        RECT item{};
        ASSERT_TRUE(GetMenuItemRect(nullptr, popup, static_cast<UINT>(i), &item));
        for (int y = item.top; y < item.bottom; ++y)
            for (int x = item.left; x < item.right; ++x)
                ink[i] += WindowPixel(menuWindow, x - p.left, y - p.top) != background;
    }
    EXPECT_GT(ink[1], ink[0] + ink[0] / 10) << "plain " << ink[0] << " pixels of ink, default " << ink[1];
    Press(VK_ESCAPE);
    opener.join();
    DestroyMenu(popup);
}

// A bar too wide for its window goes onto further rows, and the client area starts below the
// last one; widening the window brings the items back onto one row.
TEST(Engine, NarrowWindowWrapsItsMenuBar)
{
    UiThread ui;
    ASSERT_EQ(ui.Call([] { return Velum_Attach(); }), VELUM_OK);
    const velum::Theme t = velum::DefaultTheme();
    const auto& m = t.metrics;
    const int f = std::max(1, m.frameWidth);
    HWND narrow = nullptr;
    ui.Call([&] {
        HMENU bar = CreateMenu();
        for (const wchar_t* item : {L"文件(&F)", L"编辑(&E)", L"视图(&V)", L"主题(&T)", L"窗口(&W)", L"帮助(&H)"})
            AppendMenuW(bar, MF_STRING, 1, item);
        narrow = CreateWindowExW(0, kClass, L"narrow", WS_OVERLAPPEDWINDOW, 300, 200, 180, 300, nullptr, bar, nullptr,
                                 nullptr);
        ShowWindow(narrow, SW_SHOW);
        SetForegroundWindow(narrow);
        return 0;
    });
    auto clientTop = [&] {
        RECT w{};
        GetWindowRect(narrow, &w);
        POINT origin{0, 0};
        ClientToScreen(narrow, &origin);
        return origin.y - w.top;
    };
    const int firstRow = f + m.captionHeight;
    const int top = clientTop();
    EXPECT_GE(top, firstRow + 2 * m.menuBarHeight) << "six items in 180 px need at least two rows";
    EXPECT_EQ((top - firstRow) % m.menuBarHeight, 0) << "client top " << top;
    RECT client{};
    GetClientRect(narrow, &client);
    RECT outer{};
    GetWindowRect(narrow, &outer);
    EXPECT_EQ(client.bottom, outer.bottom - outer.top - top - f);
    // The last row is the bar's, in the bar's colour, up to the frame.
    const int lastRowMiddle = top - m.menuBarHeight / 2;
    for (int attempt = 0;
         attempt < 40 && !InFill(WindowPixel(narrow, 180 - f - 2, lastRowMiddle), t.menuBar.background); ++attempt)
        Sleep(50);
    EXPECT_TRUE(InFill(WindowPixel(narrow, 180 - f - 2, lastRowMiddle), t.menuBar.background))
        << Hex(WindowPixel(narrow, 180 - f - 2, lastRowMiddle));

    ui.Call([&] { return static_cast<int>(SetWindowPos(narrow, nullptr, 0, 0, 900, 300, SWP_NOMOVE | SWP_NOZORDER)); });
    EXPECT_EQ(clientTop(), firstRow + m.menuBarHeight);
    ui.Call([&] { return static_cast<int>(DestroyWindow(narrow)); });
}

namespace {

void RightClick(int x, int y)
{
    SetCursorPos(x, y);
    Sleep(100);
    INPUT in[2]{};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
    SendInput(1, &in[0], sizeof(INPUT));
    Sleep(100);
    SendInput(1, &in[1], sizeof(INPUT));
    Sleep(200);
}

template <typename Done>
bool WaitUntil(Done done, int ms = 3000)
{
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(ms);
    while (!done()) {
        if (GetTickCount64() > end)
            return false;
        Sleep(30);
    }
    return true;
}

std::atomic<int> childSysCommands{0};

int OwnerDrawnItems(HMENU menu)
{
    int count = 0;
    for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE;
        count += GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info) && (info.fType & MFT_OWNERDRAW);
    }
    return count;
}

LRESULT CALLBACK MdiFrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND client = FindWindowExW(hwnd, nullptr, L"MDIClient", nullptr);
    if (message == WM_CREATE) {
        CLIENTCREATESTRUCT ccs{nullptr, 50000};
        CreateWindowExW(WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 0, 0,
                        hwnd, nullptr, nullptr, &ccs);
        return 0;
    }
    return DefFrameProcW(hwnd, client, message, wParam, lParam);
}

LRESULT CALLBACK MdiChildProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SYSCOMMAND)
        ++childSysCommands;
    return DefMDIChildProcW(hwnd, message, wParam, lParam);
}

// An MDI frame with a menu bar and one child, made on the UI thread.
struct MdiFrame {
    HWND frame = nullptr, client = nullptr, child = nullptr;

    static void Register()
    {
        WNDCLASSW fc{};
        fc.lpfnWndProc = MdiFrameProc;
        fc.hInstance = GetModuleHandleW(nullptr);
        fc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        fc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
        fc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
        fc.lpszClassName = L"VelumTestMdiFrame";
        RegisterClassW(&fc);
        WNDCLASSW cc{};
        cc.lpfnWndProc = MdiChildProc;
        cc.hInstance = GetModuleHandleW(nullptr);
        cc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        cc.hIcon = LoadIconW(nullptr, IDI_WARNING);
        cc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        cc.lpszClassName = L"VelumTestMdiChild";
        RegisterClassW(&cc);
    }

    void Make()
    {
        Register();
        HMENU bar = CreateMenu();
        HMENU file = CreatePopupMenu();
        AppendMenuW(file, MF_STRING, 401, L"新建(&N)");
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"文件(&F)");
        HMENU window = CreatePopupMenu();
        AppendMenuW(window, MF_STRING, 402, L"层叠(&C)");
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(window), L"窗口(&W)");
        frame = CreateWindowExW(0, L"VelumTestMdiFrame", L"MDI", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 60, 60, 600,
                                400, nullptr, bar, nullptr, nullptr);
        client = FindWindowExW(frame, nullptr, L"MDIClient", nullptr);
        ShowWindow(frame, SW_SHOW);
        SetForegroundWindow(frame);
        MakeChild();
    }

    void MakeChild()
    {
        MDICREATESTRUCTW mcs{};
        mcs.szClass = L"VelumTestMdiChild";
        mcs.szTitle = L"文档";
        mcs.hOwner = GetModuleHandleW(nullptr);
        mcs.x = mcs.y = 10;
        mcs.cx = 300;
        mcs.cy = 200;
        mcs.style = WS_OVERLAPPEDWINDOW;
        child = reinterpret_cast<HWND>(SendMessageW(client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs)));
        SendMessageW(client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(child), 0);
    }
};

// What became of a maximised MDI child when the user clicked each of the bar's items.
struct MdiOutcome {
    int items = 0;               // bar items while the child is maximised
    bool restored = false;       // after the restore button: neither zoomed nor iconic
    bool minimised = false;      // after the minimise button
    bool closed = false;         // after the close button
    bool iconOpensMenu = false;  // the icon opens a menu right under it
    bool childMenuOwn = true;    // the child's system menu is its own again once closed
    int sysCommands = 0;         // WM_SYSCOMMANDs the child received
    bool operator==(const MdiOutcome&) const = default;
};

std::ostream& operator<<(std::ostream& out, const MdiOutcome& o)
{
    return out << "{items " << o.items << ", restored " << o.restored << ", minimised " << o.minimised << ", closed "
               << o.closed << ", icon opens menu " << o.iconOpensMenu << ", child's menu its own " << o.childMenuOwn
               << ", syscommands " << o.sysCommands << "}";
}

MdiOutcome UseMaximisedMdiChild(const wchar_t* theme)
{
    MdiOutcome outcome;
    UiThread ui;
    MdiFrame mdi;
    if (theme != nullptr) {
        EXPECT_EQ(ui.AttachEx(SkinFile(theme)), VELUM_OK);
    }
    ui.Call([&] {
        mdi.Make();
        return 0;
    });
    HWND frame = mdi.frame;
    HMENU bar = GetMenu(frame);
    outcome.items = GetMenuItemCount(bar);
    const int last = outcome.items - 1;
    RECT w{};
    RECT closeRect{};
    // A maximise leaves the frame's new region pending, and taking it lays the bar out again:
    // the bar is read once the frame's thread has done that, never halfway through it.
    const auto settle = [&] {
        ui.Call([] {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            return 0;
        });
    };
    settle();
    EXPECT_TRUE(ui.Call([&] {
        GetWindowRect(frame, &w);
        return static_cast<int>(GetMenuItemRect(frame, bar, static_cast<UINT>(last), &closeRect));
    }));
    // Wine appends minimise, restore and close, right-justified.
    EXPECT_GE(closeRect.right, w.right - 12) << "the buttons are not at the bar's right end";
    EXPECT_GE(closeRect.left, w.left + (w.right - w.left) / 2) << "the buttons are not at the bar's right end";
    if (theme != nullptr) {
        const velum::Theme t = LoadExpected(SkinFile(theme));
        // Something of the theme's drawing in the middle of each of the child's items.
        for (int i : {0, last - 2, last - 1, last}) {
            SCOPED_TRACE("item " + std::to_string(i));
            RECT r{};
            EXPECT_TRUE(GetMenuItemRect(frame, bar, static_cast<UINT>(i), &r));
            const auto drawn = [&] {
                int differing = 0;
                const int cx = (r.left + r.right) / 2 - w.left, cy = (r.top + r.bottom) / 2 - w.top;
                for (int y = cy - 5; y <= cy + 5; ++y)
                    for (int x = cx - 5; x <= cx + 5; ++x)
                        differing += !InFill(WindowPixel(frame, x, y), t.menuBar.background);
                return differing;
            };
            WaitUntil([&] { return drawn() >= 8; }, 2000);
            EXPECT_GE(drawn(), 8) << "the item's slot is blank";
        }
    }
    ui.Activate();
    const int before = childSysCommands;
    const auto clickItem = [&](int i) {
        RECT r{};
        GetMenuItemRect(frame, GetMenu(frame), static_cast<UINT>(i), &r);
        Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    };
    // Items: the icon, 文件, 窗口, then minimise, restore and close.
    clickItem(0);
    if (HWND popup = WaitForPopup(true)) {
        RECT p{};
        GetWindowRect(popup, &p);
        // Under the bar, where the icon is drawn.
        int barBottom = 0;
        if (theme != nullptr) {
            const auto& m = LoadExpected(SkinFile(theme)).metrics;
            barBottom = w.top + std::max(1, m.frameWidth) + m.captionHeight + m.menuBarHeight;
        } else {
            RECT icon{};
            GetMenuItemRect(frame, bar, 0, &icon);
            barBottom = icon.bottom;
        }
        outcome.iconOpensMenu = std::abs(p.top - barBottom) <= 1 && p.left - w.left >= 0 && p.left - w.left <= 12;
        if (!outcome.iconOpensMenu)
            std::printf("the icon's menu is at (%ld,%ld), the bar ends at y = %d\n", p.left, p.top, barBottom);
        Press(VK_ESCAPE);
        Press(VK_ESCAPE);
        WaitForPopup(false);
        // The child, which the engine does not draw, opens that menu itself once restored.
        outcome.childMenuOwn = OwnerDrawnItems(GetSystemMenu(mdi.child, FALSE)) == 0;
    }
    const auto remaximise = [&] {
        ui.Call([&] {
            return static_cast<int>(SendMessageW(mdi.client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(mdi.child), 0));
        });
        ui.Activate();
        settle();
    };
    clickItem(last - 1);
    outcome.restored = WaitUntil([&] { return !IsZoomed(mdi.child) && !IsIconic(mdi.child); });
    remaximise();
    clickItem(last - 2);
    outcome.minimised = WaitUntil([&] { return IsIconic(mdi.child) != FALSE; });
    remaximise();
    clickItem(last);
    outcome.closed = WaitUntil([&] { return !IsWindow(mdi.child); });
    outcome.sysCommands = childSysCommands - before;
    if (theme != nullptr) {
        // Detaching gives the bar its own items back, the child's bitmaps with them.
        ui.Call([&] {
            mdi.MakeChild();
            return Velum_Detach();
        });
        HMENU after = GetMenu(frame);
        EXPECT_EQ(GetMenuItemCount(after), 6);
        EXPECT_EQ(OwnerDrawnItems(after), 0);
        for (int i = 3; i < GetMenuItemCount(after); ++i) {
            MENUITEMINFOW info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_BITMAP;
            GetMenuItemInfoW(after, static_cast<UINT>(i), TRUE, &info);
            EXPECT_TRUE(info.hbmpItem == HBMMENU_MBAR_MINIMIZE || info.hbmpItem == HBMMENU_MBAR_RESTORE ||
                        info.hbmpItem == HBMMENU_MBAR_CLOSE)
                << "item " << i;
        }
    }
    ui.Call([&] { return static_cast<int>(DestroyWindow(frame)); });
    return outcome;
}

}  // namespace

// With an MDI child maximised, the frame's bar carries the child's icon and buttons: drawn in
// the theme's look, and doing what they do without the engine.
TEST(Engine, MaximisedMdiChildsIconAndButtonsOnTheBar)
{
    const MdiOutcome plain = UseMaximisedMdiChild(nullptr);
    const MdiOutcome expected{6, true, true, true, true, true, 3};
    EXPECT_EQ(plain, expected) << "without the engine";
    for (const wchar_t* name : {L"velum.vlm", L"midnight.vlm"}) {
        SCOPED_TRACE(harness::Utf8(name));
        EXPECT_EQ(UseMaximisedMdiChild(name), plain);
    }
}

namespace {

enum class SysMenuPath { AltSpace, IconClick, CaptionRightClick };

// Where each part of the caption is, with the engine (its theme's metrics) or without (Wine's).
struct CaptionGeometry {
    POINT icon;         // on the icon, below its middle
    POINT lowCaption;   // on the caption, near its bottom edge
    int captionBottom;  // screen y
    int clientTop;      // screen y
};

CaptionGeometry CaptionOf(HWND hwnd, const wchar_t* theme)
{
    RECT w{};
    GetWindowRect(hwnd, &w);
    POINT client{0, 0};
    ClientToScreen(hwnd, &client);
    if (theme != nullptr) {
        const auto& m = LoadExpected(SkinFile(theme)).metrics;
        const int f = std::max(1, m.frameWidth);
        return {{w.left + f + 6 + 8, w.top + f + m.captionHeight / 2 + 5},
                {(w.left + w.right) / 2, w.top + f + m.captionHeight - 3},
                w.top + f + m.captionHeight,
                client.y};
    }
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)) & ~WS_CAPTION, FALSE, 0);
    const int caption = GetSystemMetrics(SM_CYCAPTION);
    return {{w.left - frame.left + caption / 2, w.top - frame.top + caption / 2 + 5},
            {(w.left + w.right) / 2, w.top - frame.top + caption - 3},
            w.top - frame.top + caption,
            client.y};
}

// What the user saw and what the window did when the system menu was opened one way and a
// command chosen from it.
struct SysMenuOutcome {
    bool opened = false;
    bool placed = false;   // under the icon, or at the cursor for a right click
    bool barQuiet = true;  // no menu-bar item highlighted meanwhile
    bool skinned = false;  // the popup in the theme's colours
    bool done = false;     // the command did its work
    bool operator==(const SysMenuOutcome&) const = default;
};

std::ostream& operator<<(std::ostream& out, const SysMenuOutcome& o)
{
    return out << "{opened " << o.opened << ", placed " << o.placed << ", bar quiet " << o.barQuiet << ", skinned "
               << o.skinned << ", done " << o.done << "}";
}

SysMenuOutcome UseSystemMenu(SysMenuPath path, UINT command, const wchar_t* theme)
{
    SysMenuOutcome outcome;
    UiThread ui;
    HWND hwnd = ui.Window();
    if (theme != nullptr) {
        EXPECT_EQ(ui.AttachEx(SkinFile(theme)), VELUM_OK);
    }
    ui.Activate();
    Sleep(300);
    const CaptionGeometry g = CaptionOf(hwnd, theme);
    switch (path) {
    case SysMenuPath::AltSpace: AltPress(VK_SPACE); break;
    case SysMenuPath::IconClick: Click(g.icon.x, g.icon.y); break;
    case SysMenuPath::CaptionRightClick: RightClick(g.lowCaption.x, g.lowCaption.y); break;
    }
    HWND popup = WaitForPopup(true);
    outcome.opened = popup != nullptr;
    if (popup == nullptr)
        return outcome;
    Sleep(300);
    RECT p{};
    GetWindowRect(popup, &p);
    RECT w{};
    GetWindowRect(hwnd, &w);
    if (path == SysMenuPath::CaptionRightClick)
        outcome.placed = std::abs(p.left - g.lowCaption.x) <= 1 && std::abs(p.top - g.lowCaption.y) <= 1;
    else
        outcome.placed = std::abs(p.top - g.captionBottom) <= 1 && p.left >= w.left && p.left <= g.icon.x;
    if (!outcome.placed)
        std::printf("the system menu is at (%ld,%ld); caption bottom %d, icon (%ld,%ld), right click (%ld,%ld)\n",
                    p.left, p.top, g.captionBottom, g.icon.x, g.icon.y, g.lowCaption.x, g.lowCaption.y);
    if (theme != nullptr) {
        const velum::Theme t = LoadExpected(SkinFile(theme));
        const int f = std::max(1, t.metrics.frameWidth);
        outcome.barQuiet =
            InFill(WindowPixel(hwnd, f + 4, g.clientTop - w.top - t.metrics.menuBarHeight / 2), t.menuBar.background);
        const int lastMiddle = p.bottom - p.top - 3 - t.metrics.menuItemHeight / 2;
        outcome.skinned =
            InFill(WindowPixel(popup, 0, (p.bottom - p.top) / 2), {t.popup.border, t.popup.border, true}) &&
            InFill(WindowPixel(popup, 6, lastMiddle), t.popup.background);
    }
    const int closesBefore = closeCount;
    // Wine's items are 最大化(&X) and 关闭(&C). (Wine's GetMenuItemRect answers the next item's
    // rectangle for a system menu's item, so no click.)
    Press(command == SC_MAXIMIZE ? 'X' : 'C');
    if (command == SC_MAXIMIZE)
        outcome.done = WaitUntil([&] { return IsZoomed(hwnd) != FALSE; });
    else if (command == SC_CLOSE)
        outcome.done = WaitUntil([&] { return closeCount == closesBefore + 1 && !IsWindow(hwnd); });
    WaitForPopup(false);
    ui.Call([] { return Velum_Detach(); });
    if (IsWindow(hwnd)) {
        EXPECT_EQ(OwnerDrawnItems(GetSystemMenu(hwnd, FALSE)), 0) << "the system menu was not given back";
    }
    return outcome;
}

}  // namespace

// Alt+Space, a click on the icon and a right click on the caption open the system menu in the
// theme's look, where Windows opens it, and its commands work.
TEST(Engine, SystemMenuOpensWhereWindowsOpensItAndItsCommandsWork)
{
    const struct {
        const char* how;
        SysMenuPath path;
        UINT command;
    } ways[] = {
        {"Alt+Space, 最大化", SysMenuPath::AltSpace, SC_MAXIMIZE},
        {"the icon, 关闭", SysMenuPath::IconClick, SC_CLOSE},
        {"a right click on the caption, 最大化", SysMenuPath::CaptionRightClick, SC_MAXIMIZE},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.how);
        const SysMenuOutcome plain = UseSystemMenu(way.path, way.command, nullptr);
        EXPECT_EQ(plain, (SysMenuOutcome{true, true, true, false, true})) << "without the engine";
        // contrast.vlm's caption is the tallest: its icon's lower half is where Wine's own
        // hit test finds the menu bar.
        for (const wchar_t* name : {L"velum.vlm", L"midnight.vlm", L"contrast.vlm"}) {
            SCOPED_TRACE(harness::Utf8(name));
            EXPECT_EQ(UseSystemMenu(way.path, way.command, name), (SysMenuOutcome{true, true, true, true, true}));
        }
    }
}

// A popup item's shortcut (after the tab) is drawn at the item's right, its access key is
// underlined, and the shortcut still runs its command.
TEST(Engine, ShortcutTextAndAccessKeysAreDrawnAndAcceleratorsStillFire)
{
    UiThread ui;
    ASSERT_EQ(ui.AttachEx(SkinFile(L"midnight.vlm")), VELUM_OK);
    const velum::Theme t = LoadExpected(SkinFile(L"midnight.vlm"));
    ui.Call([] {
        ACCEL keys[] = {{FVIRTKEY | FCONTROL, 'O', 101}};
        accelerators = CreateAcceleratorTableW(keys, 1);
        return 0;
    });
    HMENU popup = CreatePopupMenu();
    AppendMenuW(popup, MF_STRING, 501, L"打开(&O)\tCtrl+O");
    AppendMenuW(popup, MF_STRING, 502, L"打开(O)");
    AppendMenuW(popup, MF_STRING, 503, L"打开(&O)");
    ui.Activate();
    std::thread opener = TrackPopupOnUiThread(ui, popup);
    HWND menuWindow = WaitForPopup(true);
    ASSERT_NE(menuWindow, nullptr);
    Sleep(400);
    RECT p{};
    GetWindowRect(menuWindow, &p);
    const COLORREF background = RGB(t.popup.background.from.r, t.popup.background.from.g, t.popup.background.from.b);
    const auto inked = [](COLORREF c, COLORREF bg) {
        return std::abs(GetRValue(c) - GetRValue(bg)) + std::abs(GetGValue(c) - GetGValue(bg)) +
                   std::abs(GetBValue(c) - GetBValue(bg)) >
               90;
    };
    // Pixels of the item's text in its right third, and the item's left half as a picture.
    const auto look = [&](int position, int& rightInk, std::vector<COLORREF>& left) {
        RECT r{};
        // Wine maps the rectangle through the window it is given; with none, the popup's own.
        EXPECT_TRUE(GetMenuItemRect(nullptr, popup, static_cast<UINT>(position), &r));
        OffsetRect(&r, -p.left, -p.top);
        rightInk = 0;
        left.clear();
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left; x < r.right; ++x) {
                const COLORREF c = WindowPixel(menuWindow, x, y);
                if (x >= r.right - (r.right - r.left) / 3)
                    rightInk += inked(c, background);
                else if (x < (r.left + r.right) / 2)
                    left.push_back(c);
            }
        }
    };
    int shortcutInk = 0, plainInk = 0, keyInk = 0;
    std::vector<COLORREF> withShortcut, withoutKey, withKey;
    look(0, shortcutInk, withShortcut);
    look(1, plainInk, withoutKey);
    look(2, keyInk, withKey);
    EXPECT_GT(shortcutInk, 10) << "no shortcut text at the item's right";
    EXPECT_EQ(plainInk, 0);
    EXPECT_EQ(keyInk, 0);
    EXPECT_NE(withKey, withoutKey) << "the access key is not underlined";
    EXPECT_EQ(withKey, withShortcut) << "the shortcut changed the item's text";
    Press(VK_ESCAPE);
    opener.join();
    DestroyMenu(popup);

    const int before = commandCount;
    Key(VK_CONTROL, false);
    Press('O');
    Key(VK_CONTROL, true);
    EXPECT_TRUE(WaitUntil([&] { return commandCount == before + 1; })) << "Ctrl+O ran no command";
    EXPECT_EQ(lastCommand, 101);
    ui.Call([] {
        DestroyAcceleratorTable(accelerators);
        accelerators = nullptr;
        return 0;
    });
}
