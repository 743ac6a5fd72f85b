// What the engine's tests share: a program's window on its own UI thread with a menu bar, the
// engine called on that thread, the pixels that reach the window (GetPixel) and the X screen (a
// root screenshot), and keyboard and mouse input as a person makes it.
#pragma once

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
#include "TestData.h"
#include "images/PngWriter.h"
#include "ThemeFile.h"
#include "ThemeFixture.h"
#include "Velum.h"

namespace enginetest {

inline constexpr UINT kCallMessage = WM_APP + 1;

// The UI thread's keyboard accelerators, as a program's message loop translates them.
inline HACCEL accelerators = nullptr;

// The last menu command the test window received, and how many it received.
inline std::atomic<int> lastCommand{0};
inline std::atomic<int> commandCount{0};
inline std::atomic<int> closeCount{0};
// What would make Windows' themed default draw its own caption or buttons over the skin: the
// caption and frame repaint messages of the visual styles, and a non-client mouse message that
// names a caption button.
inline std::atomic<int> systemCaptionCues{0};

inline LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE)
        ++closeCount;
    const bool mouse = message == WM_NCMOUSEMOVE || message == WM_NCMOUSEHOVER ||
                       (message >= WM_NCLBUTTONDOWN && message <= WM_NCXBUTTONDBLCLK);
    const bool button = wParam == HTMINBUTTON || wParam == HTMAXBUTTON || wParam == HTCLOSE || wParam == HTHELP;
    if (message == 0x00AE || message == 0x00AF || (mouse && button))
        ++systemCaptionCues;
    if (message == WM_COMMAND && lParam == 0) {
        lastCommand = LOWORD(wParam);
        ++commandCount;
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
inline constexpr wchar_t kClass[] = L"VelumTestWindow";
inline constexpr int kWidth = 520, kHeight = 340;

inline std::wstring SourceFolder()
{
    return testdata::DataFolder();
}

inline std::wstring SkinFile(const std::wstring& name)
{
    return SourceFolder() + L"\\Skin\\" + name;
}

inline std::vector<std::wstring> ShippedThemes()
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

// The shipped themes drawn from colours alone: on them every sampled pixel is a theme colour.
// Themes with artwork have their own tests.
inline std::vector<std::wstring> ColourThemes()
{
    std::vector<std::wstring> names;
    for (const std::wstring& name : ShippedThemes()) {
        auto parsed = velum::LoadThemeFile(std::filesystem::path(SkinFile(name)), "");
        if (parsed.theme && parsed.theme->images == velum::FrameImages{} && parsed.theme->partImages.empty())
            names.push_back(name);
    }
    return names;
}

inline velum::Theme LoadExpected(const std::wstring& file, const std::string& scheme = "")
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
    // exStyle: WS_EX_LAYOUTRTL makes a window as right-to-left programs do.
    explicit UiThread(DWORD exStyle = 0) : exStyle_(exStyle)
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
        hwnd_ = CreateWindowExW(exStyle_, kClass, L"T", WS_OVERLAPPEDWINDOW, 40, 40, kWidth, kHeight, nullptr, bar,
                                nullptr, nullptr);
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

    DWORD exStyle_ = 0;
    HANDLE ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread thread_;
    DWORD threadId_ = 0;
    HWND hwnd_ = nullptr;
    HWND messageWindow_ = nullptr;
};

// A shown top-level window of a class of the test's own, registered on first use.
inline HWND MakeClassWindow(const wchar_t* className, WNDPROC proc, const wchar_t* title, RECT at,
                            HBRUSH background = nullptr)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = background;
    wc.lpszClassName = className;
    RegisterClassW(&wc);
    return CreateWindowExW(0, className, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, at.left, at.top, at.right - at.left,
                           at.bottom - at.top, nullptr, nullptr, nullptr, nullptr);
}

inline COLORREF WindowPixel(HWND hwnd, int x, int y)
{
    HDC dc = GetWindowDC(hwnd);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    return c;
}

// Every pixel of a window, read through its window DC.
inline std::vector<COLORREF> WindowPixels(HWND hwnd)
{
    RECT w{};
    GetWindowRect(hwnd, &w);
    const int width = w.right - w.left, height = w.bottom - w.top;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    HDC dc = GetWindowDC(hwnd);
    BitBlt(memory, 0, 0, width, height, dc, 0, 0, SRCCOPY);
    ReleaseDC(hwnd, dc);
    GdiFlush();
    const auto* p = static_cast<const COLORREF*>(bits);
    std::vector<COLORREF> pixels(p, p + static_cast<std::size_t>(width) * height);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return pixels;
}

// Where two pictures of the same size first differ, row by row; their size when they do not.
inline std::ptrdiff_t FirstDifference(const std::vector<COLORREF>& a, const std::vector<COLORREF>& b)
{
    return std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first - a.begin();
}

// A pixel of the window's client area.
inline COLORREF ClientPixel(HWND hwnd, int x, int y)
{
    HDC dc = GetDC(hwnd);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    return c;
}

// The X server's own pixels: a root screenshot taken by ImageMagick, started from inside Wine.
// Where there is no host shell to start it (on Windows, from the test pack), the screen's own
// pixels as the system composed them.
class XScreen {
public:
    XScreen()
    {
        if (!testdata::HostHas(L"/bin/sh")) {
            ReadScreenDc();
            return;
        }
        // Tests run in several Wine servers at once, which can hand out the same process id:
        // the name also holds the moment.
        LARGE_INTEGER now{};
        QueryPerformanceCounter(&now);
        const std::string file = "/tmp/velum-test-" + std::to_string(sizeof(void*) * 8) + "-" +
                                 std::to_string(GetCurrentProcessId()) + "-" + std::to_string(now.QuadPart) + ".rgb";
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

    // Saves the screenshot as a PNG in the folder VELUM_TEST_PICTURES names (the test pack sets
    // it to its results folder), named after the running test; nothing when it is not set.
    void SaveForTheReport() const
    {
        std::wstring folder(MAX_PATH, L'\0');
        const DWORD length = GetEnvironmentVariableW(L"VELUM_TEST_PICTURES", folder.data(), MAX_PATH);
        if (length == 0 || length >= MAX_PATH || !Ok())
            return;
        folder.resize(length);
        CreateDirectoryW(folder.c_str(), nullptr);
        const auto* test = testing::UnitTest::GetInstance()->current_test_info();
        static int saved = 0;
        const std::string name = std::string(test->test_suite_name()) + "." + test->name() + "-" +
                                 std::to_string(sizeof(void*) * 8) + "bit-" + std::to_string(++saved) + ".png";
        const int height = static_cast<int>(pixels_.size() / 3 / static_cast<size_t>(width_));
        std::vector<std::uint32_t> rgba;
        rgba.reserve(pixels_.size() / 3);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width_; ++x) {
                const COLORREF c = At(x, y);
                rgba.push_back(0xFF000000u | static_cast<std::uint32_t>(GetRValue(c)) << 16 |
                               static_cast<std::uint32_t>(GetGValue(c)) << 8 | GetBValue(c));
            }
        harness::WriteBytes(folder + L"\\" + harness::Widen(name), testimages::Png(width_, height, rgba));
    }
    COLORREF At(int x, int y) const
    {
        const size_t i = (static_cast<size_t>(y) * width_ + x) * 3;
        if (i + 2 >= pixels_.size())
            return CLR_INVALID;
        return RGB(static_cast<std::uint8_t>(pixels_[i]), static_cast<std::uint8_t>(pixels_[i + 1]),
                   static_cast<std::uint8_t>(pixels_[i + 2]));
    }

private:
    void ReadScreenDc()
    {
        width_ = GetSystemMetrics(SM_CXSCREEN);
        const int height = GetSystemMetrics(SM_CYSCREEN);
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width_, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HDC memory = CreateCompatibleDC(nullptr);
        HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (bitmap == nullptr) {
            DeleteDC(memory);
            return;
        }
        HGDIOBJ old = SelectObject(memory, bitmap);
        HDC screen = GetDC(nullptr);
        BitBlt(memory, 0, 0, width_, height, screen, 0, 0, SRCCOPY | CAPTUREBLT);
        ReleaseDC(nullptr, screen);
        GdiFlush();
        const auto* p = static_cast<const std::uint8_t*>(bits);
        pixels_.resize(static_cast<size_t>(width_) * height * 3);
        for (size_t i = 0; i < static_cast<size_t>(width_) * height; ++i) {
            pixels_[i * 3] = static_cast<char>(p[i * 4 + 2]);
            pixels_[i * 3 + 1] = static_cast<char>(p[i * 4 + 1]);
            pixels_[i * 3 + 2] = static_cast<char>(p[i * 4]);
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
    }

    std::string pixels_;
    int width_ = 0;
};

// True when c lies within the fill's two stops (a gradient's pixels lie between them).
inline bool InFill(COLORREF c, const velum::Fill& f)
{
    auto within = [](int v, int a, int b) { return v >= std::min(a, b) - 3 && v <= std::max(a, b) + 3; };
    return c != CLR_INVALID && within(GetRValue(c), f.from.r, f.to.r) && within(GetGValue(c), f.from.g, f.to.g) &&
           within(GetBValue(c), f.from.b, f.to.b);
}

inline std::string Hex(COLORREF c)
{
    char text[16];
    snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

inline std::string Hex(const velum::Fill& f)
{
    return Hex(RGB(f.from.r, f.from.g, f.from.b)) + ".." + Hex(RGB(f.to.r, f.to.g, f.to.b));
}

struct Sample {
    const char* part;
    POINT at;  // window-relative
    velum::Fill expected;
};

// Points on each part of the frame, from the theme's metrics (the test runs at 96 DPI).
inline std::vector<Sample> FrameSamples(HWND hwnd, const velum::Theme& t, bool active)
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
        {"close button", {closeLeft + 3, buttonTop + 3}, (active ? t.button : t.buttonInactive).background},
        {"menu bar", {width - f - 12, f + m.captionHeight + m.menuBarHeight / 2}, t.menuBar.background},
        {"client area", {width / 2, height - f - 30}, t.window.background},
    };
    if (m.frameWidth >= 3)
        samples.push_back({"frame", {f / 2 + 1, height / 2}, (active ? t.frame : t.frameInactive).background});
    return samples;
}

// Waits until every sample shows its colour on the window, then checks the X screen too.
inline void ExpectFrame(HWND hwnd, const velum::Theme& t, bool active, const std::string& when)
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
        if (attempt == 19)
            screen.SaveForTheReport();
        Sleep(150);
    }
    for (const auto& m : mismatches)
        ADD_FAILURE() << "X screen: " << m;
}

inline void Key(WORD vk, bool up)
{
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof in);
}

inline void Press(WORD vk)
{
    Key(vk, false);
    Key(vk, true);
    Sleep(120);
}

inline void AltPress(WORD vk)
{
    Key(VK_MENU, false);
    Key(vk, false);
    Key(vk, true);
    Key(VK_MENU, true);
    Sleep(200);
}

inline HWND WaitForPopup(bool open)
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

// A plain click at a screen point, as a person makes it: pressed, held a moment, released.
inline void ClickWith(int x, int y, DWORD down, DWORD up)
{
    SetCursorPos(x, y);
    Sleep(100);
    INPUT in[2]{};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = down;
    in[1].mi.dwFlags = up;
    SendInput(1, &in[0], sizeof(INPUT));
    Sleep(100);
    SendInput(1, &in[1], sizeof(INPUT));
    Sleep(200);
}

inline void Click(int x, int y)
{
    ClickWith(x, y, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
}

inline void RightClick(int x, int y)
{
    ClickWith(x, y, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
}

// How many pixels of a window rectangle have a fill's colour, read until `want` says the count
// is right or two seconds pass.
inline int FillPixels(HWND hwnd, RECT r, const velum::Fill& fill, const std::function<bool(int)>& want)
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

inline void MouseButton(DWORD flags)
{
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    SendInput(1, &in, sizeof in);
    Sleep(150);
}

// Runs xdotool on the X display the program shows on, as a person's pointer.
inline bool Xdotool(const std::string& arguments)
{
    std::wstring command = L"Z:\\usr\\bin\\xdotool " + harness::Widen(arguments);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

template <typename Done>
inline bool WaitUntil(Done done, int ms = 3000)
{
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(ms);
    while (!done()) {
        if (GetTickCount64() > end)
            return false;
        Sleep(30);
    }
    return true;
}

}  // namespace enginetest
