// Buttons under the engine: their pixels in each shipped theme and state, the ones the engine
// leaves to the program, clicks and keys that still work, and the look Velum_Detach gives back.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "ControlColours.h"
#include "ControlPalette.h"
#include "ProgramHarness.h"
#include "ThemeFile.h"
#include "Velum.h"

namespace {

using harness::Hex;
using harness::PaletteOf;
using harness::Ref;
using harness::SkinFolder;
using velum::Color;

enum Id { kPush = 1, kDefault, kCheck, kRadio, kThree, kGroup, kDisabled, kOwnerDrawn, kOwnColours };

constexpr COLORREF kOwnerGreen = RGB(0, 200, 0);
constexpr COLORREF kProgramRed = RGB(200, 0, 0);

std::map<int, int> clicks;  // BN_CLICKED by control id
HBRUSH programBrush = nullptr;

LRESULT CALLBACK HostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED)
        ++clicks[LOWORD(wParam)];
    if (message == WM_DRAWITEM) {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        HBRUSH green = CreateSolidBrush(kOwnerGreen);
        FillRect(item->hDC, &item->rcItem, green);
        DeleteObject(green);
        return TRUE;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// A program that chose its controls' colours itself.
LRESULT CALLBACK OwnColoursProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CTLCOLORSTATIC || message == WM_CTLCOLORBTN) {
        SetBkColor(reinterpret_cast<HDC>(wParam), kProgramRed);
        return reinterpret_cast<LRESULT>(programBrush);
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void Pump(int ms)
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

std::vector<std::wstring> ShippedThemes()
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

int Attach(const std::wstring& file)
{
    return Velum_AttachEx(harness::Ansi(file).c_str(), "");
}

COLORREF Pixel(HWND hwnd, int x, int y)
{
    HDC dc = GetDC(hwnd);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    return c;
}

// Wine tells a window the mouse left it from a timer: states that follow the pointer take a
// moment to show.
COLORREF PixelOnceSettled(HWND hwnd, int x, int y, COLORREF expected)
{
    COLORREF c = Pixel(hwnd, x, y);
    for (int i = 0; i < 40 && c != expected; ++i) {
        Pump(50);
        c = Pixel(hwnd, x, y);
    }
    return c;
}

void Key(WORD vk)
{
    INPUT in[2]{};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = vk;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
    Pump(150);
}

void Mouse(DWORD flags)
{
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    SendInput(1, &in, sizeof in);
    Pump(150);
}

void MoveOnto(HWND hwnd, int x, int y)
{
    POINT p{x, y};
    ClientToScreen(hwnd, &p);
    SetCursorPos(p.x, p.y);
    Pump(150);
}

// A window like a dialog: every button kind, a disabled and an owner-drawn one, and beside it
// a window of a program that colours its controls itself.
class Buttons : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        programBrush = CreateSolidBrush(kProgramRed);
        WNDCLASSW host{};
        host.lpfnWndProc = HostProc;
        host.hInstance = GetModuleHandleW(nullptr);
        host.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        host.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        host.lpszClassName = L"ZtButtonHost";
        RegisterClassW(&host);
        host.lpfnWndProc = OwnColoursProc;
        host.lpszClassName = L"ZtOwnColours";
        RegisterClassW(&host);
    }
    static void TearDownTestSuite() { DeleteObject(programBrush); }

    void SetUp() override
    {
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2);
        clicks.clear();
    }
    void TearDown() override
    {
        Velum_Detach();
        DestroyWindow(host_);
        DestroyWindow(own_);
        Pump(50);
    }

    void Create()
    {
        host_ = CreateWindowExW(0, L"ZtButtonHost", L"Buttons", WS_OVERLAPPEDWINDOW, 30, 30, 420, 260,
                                nullptr, nullptr, nullptr, nullptr);
        const struct {
            Id id;
            const wchar_t* text;
            DWORD style;
            RECT r;
        } controls[] = {
            {kPush, L"&OK", BS_PUSHBUTTON, {10, 10, 110, 38}},
            {kDefault, L"&Default", BS_DEFPUSHBUTTON, {120, 10, 220, 38}},
            {kCheck, L"&Check", BS_AUTOCHECKBOX, {10, 50, 150, 70}},
            {kRadio, L"&Radio", BS_AUTORADIOBUTTON, {10, 80, 150, 100}},
            {kThree, L"&Three", BS_AUTO3STATE, {10, 110, 150, 130}},
            {kGroup, L"&Group", BS_GROUPBOX, {200, 50, 380, 150}},
            {kDisabled, L"Off", BS_PUSHBUTTON | WS_DISABLED, {10, 140, 110, 168}},
            {kOwnerDrawn, L"", BS_OWNERDRAW, {120, 140, 190, 168}},
        };
        for (const auto& c : controls)
            CreateWindowExW(0, L"Button", c.text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | c.style, c.r.left, c.r.top,
                            c.r.right - c.r.left, c.r.bottom - c.r.top, host_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), nullptr, nullptr);
        own_ = CreateWindowExW(0, L"ZtOwnColours", L"Own", WS_OVERLAPPEDWINDOW, 460, 30, 200, 120, nullptr,
                               nullptr, nullptr, nullptr);
        CreateWindowExW(0, L"Button", L"Mine", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 10, 10, 140, 20, own_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kOwnColours)), nullptr, nullptr);
        ShowWindow(own_, SW_SHOW);
        ShowWindow(host_, SW_SHOW);
        SetForegroundWindow(host_);
        Pump(300);
    }

    HWND Button(Id id) const { return GetDlgItem(id == kOwnColours ? own_ : host_, id); }

    // The box of a 20-pixel-high check box or radio button at 96 DPI: 13 pixels, centred.
    static constexpr int kBoxTop = 3;

    HWND host_ = nullptr;
    HWND own_ = nullptr;
};

struct Probe {
    Id id;
    int x, y;
    const char* what;
};

TEST_F(Buttons, EveryShippedThemeDrawsEachKindInItsColoursAndDetachGivesTheSystemsBack)
{
    Create();
    const Probe probes[] = {
        {kPush, 4, 14, "push face"},
        {kDefault, 0, 0, "default outline"},
        {kDefault, 1, 14, "default inner outline"},
        {kCheck, 138, 2, "check box background"},
        {kCheck, 0, kBoxTop + 6, "check box border"},
        {kCheck, 6, kBoxTop + 2, "check box inside"},
        {kRadio, 138, 2, "radio background"},
        {kGroup, 0, 99, "group frame"},
        {kGroup, 179, 99, "group frame right"},
        {kDisabled, 4, 14, "disabled face"},
        {kOwnerDrawn, 35, 14, "owner-drawn"},
        {kOwnColours, 138, 2, "program's own colour"},
    };
    std::vector<COLORREF> unskinned;
    for (const auto& p : probes)
        unskinned.push_back(Pixel(Button(p.id), p.x, p.y));
    EXPECT_EQ(unskinned.back(), kProgramRed);

    const auto themes = ShippedThemes();
    ASSERT_GE(themes.size(), 8u);
    for (const auto& name : themes) {
        const std::wstring file = SkinFolder() + L"\\" + name;
        ASSERT_EQ(Attach(file), VELUM_OK) << harness::Utf8(name);
        Pump(250);
        const auto palette = PaletteOf(file);
        const auto& b = palette.button;
        const COLORREF expected[] = {
            Ref(b.normal.background.from), Ref(b.defaultBorder), Ref(b.defaultBorder), Ref(palette.background),
            Ref(b.box.border), Ref(b.box.background.from), Ref(palette.background), Ref(b.groupFrame),
            Ref(b.groupFrame), Ref(b.disabled.background.from), kOwnerGreen, kProgramRed,
        };
        for (size_t i = 0; i < std::size(probes); ++i)
            EXPECT_EQ(Hex(Pixel(Button(probes[i].id), probes[i].x, probes[i].y)), Hex(expected[i]))
                << harness::Utf8(name) << ": " << probes[i].what;
    }

    ASSERT_EQ(Velum_Detach(), VELUM_OK);
    Pump(300);
    for (size_t i = 0; i < std::size(probes); ++i)
        EXPECT_EQ(Hex(Pixel(Button(probes[i].id), probes[i].x, probes[i].y)), Hex(unskinned[i]))
            << "after detach: " << probes[i].what;
}

TEST_F(Buttons, CreatedUnderTheEngineTheyStillWorkByMouseAndKeyboardAndShowTheirStates)
{
    const std::wstring file = SkinFolder() + L"\\midnight.vlm";
    ASSERT_EQ(Attach(file), VELUM_OK);
    Create();
    const auto palette = PaletteOf(file);
    const auto& b = palette.button;

    // Hot, pressed, and a click that reaches the parent.
    HWND push = Button(kPush);
    EXPECT_EQ(Hex(Pixel(push, 4, 14)), Hex(Ref(b.normal.background.from)));
    MoveOnto(push, 50, 14);
    EXPECT_EQ(Hex(PixelOnceSettled(push, 4, 14, Ref(b.hot.background.from))), Hex(Ref(b.hot.background.from))) << "hot";
    Mouse(MOUSEEVENTF_LEFTDOWN);
    EXPECT_EQ(Hex(Pixel(push, 4, 14)), Hex(Ref(b.pressed.background.from))) << "pressed";
    Mouse(MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(clicks[kPush], 1);
    EXPECT_EQ(Hex(Pixel(push, 4, 14)), Hex(Ref(b.hot.background.from))) << "hot after the click";
    MoveOnto(host_, 300, 200);
    EXPECT_EQ(Hex(PixelOnceSettled(push, 4, 14, Ref(b.normal.background.from))), Hex(Ref(b.normal.background.from)))
        << "left";

    // A check box by mouse, then by keyboard; its mark is drawn in the box's text colour.
    HWND check = Button(kCheck);
    const auto markPixels = [&] {
        int count = 0;
        for (int y = kBoxTop + 1; y < kBoxTop + 12; ++y)
            for (int x = 1; x < 12; ++x)
                count += Pixel(check, x, y) == Ref(b.box.text) ? 1 : 0;
        return count;
    };
    EXPECT_EQ(markPixels(), 0);
    MoveOnto(check, 6, 10);
    Mouse(MOUSEEVENTF_LEFTDOWN);
    Mouse(MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(clicks[kCheck], 1);
    EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_GT(markPixels(), 8) << "the check mark";
    MoveOnto(host_, 300, 200);
    SetFocus(check);
    Key(VK_SPACE);
    EXPECT_EQ(clicks[kCheck], 2);
    EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(markPixels(), 0);

    // Three states in turn, and a radio button.
    HWND three = Button(kThree);
    SetFocus(three);
    Key(VK_SPACE);
    Key(VK_SPACE);
    EXPECT_EQ(SendMessageW(three, BM_GETCHECK, 0, 0), BST_INDETERMINATE);
    EXPECT_EQ(Hex(Pixel(three, 6, kBoxTop + 6)), Hex(Ref(b.box.text))) << "the indeterminate square";
    HWND radio = Button(kRadio);
    MoveOnto(radio, 6, 10);
    Mouse(MOUSEEVENTF_LEFTDOWN);
    Mouse(MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(SendMessageW(radio, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(Hex(Pixel(radio, 6, kBoxTop + 6)), Hex(Ref(b.boxHot.text))) << "the radio's dot";

    // The focus rectangle once the window shows focus, as after a key press.
    SendMessageW(host_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
    SetFocus(push);
    Pump(150);
    int dots = 0;
    for (int x = 3; x < 97; ++x)
        dots += Pixel(push, x, 3) != Ref(b.normal.background.from) ? 1 : 0;
    EXPECT_GT(dots, 20) << "focus rectangle";
    // A disabled button is drawn disabled, enabled again it is drawn as before.
    EnableWindow(push, FALSE);
    Pump(100);
    EXPECT_EQ(Hex(Pixel(push, 10, 14)), Hex(Ref(b.disabled.background.from)));
    EnableWindow(push, TRUE);
    Pump(100);
    EXPECT_EQ(Hex(Pixel(push, 10, 14)), Hex(Ref(b.normal.background.from)));
}

TEST_F(Buttons, SwitchesWithButtonsPaintedAndUsedLeakNoObjects)
{
    Create();
    const std::string a = harness::Ansi(SkinFolder() + L"\\velum.vlm");
    const std::string b = harness::Ansi(SkinFolder() + L"\\midnight.vlm");
    HWND check = Button(kCheck);
    const auto switchAndPaint = [&](int times) {
        int failed = 0;
        for (int i = 0; i < times; ++i) {
            failed += Velum_AttachEx(i % 2 == 0 ? a.c_str() : b.c_str(), "") != VELUM_OK;
            SendMessageW(check, BM_CLICK, 0, 0);
            SendMessageW(Button(kPush), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
            RedrawWindow(host_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            Pump(0);
        }
        return failed;
    };
    EXPECT_EQ(switchAndPaint(20), 0);
    const harness::ObjectCounts before = harness::CountObjects();
    EXPECT_EQ(switchAndPaint(300), 0);
    const harness::ObjectCounts after = harness::CountObjects();
    EXPECT_LE(after.gdi, before.gdi + 8) << "GDI objects before " << before.gdi << ", after " << after.gdi;
    EXPECT_LE(after.user, before.user + 8) << "USER objects before " << before.user << ", after " << after.user;
}

}  // namespace
