// Buttons under the engine: their pixels in each shipped theme and state, the ones the engine
// leaves to the program, clicks and keys that still work, and the look Velum_Detach gives back.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "ControlTestKit.h"

namespace {

using namespace kit;

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

// A window like a dialog: every button kind, a disabled and an owner-drawn one, and beside it
// a window of a program that colours its controls itself.
class Buttons : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        programBrush = CreateSolidBrush(kProgramRed);
        kit::RegisterWindowClass(L"ZtButtonHost", HostProc);
        kit::RegisterWindowClass(L"ZtOwnColours", OwnColoursProc);
    }
    static void TearDownTestSuite() { DeleteObject(programBrush); }

    void SetUp() override
    {
        kit::PointerAway();
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
        host_ = CreateWindowExW(0, L"ZtButtonHost", L"Buttons", WS_OVERLAPPEDWINDOW, 30, 30, 420, 260, nullptr, nullptr,
                                nullptr, nullptr);
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
        own_ = CreateWindowExW(0, L"ZtOwnColours", L"Own", WS_OVERLAPPEDWINDOW, 460, 30, 200, 120, nullptr, nullptr,
                               nullptr, nullptr);
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

    const auto themes = ColourThemes();
    ASSERT_GE(themes.size(), 8u);
    for (const auto& name : themes) {
        const std::wstring file = SkinFolder() + L"\\" + name;
        ASSERT_EQ(Attach(file), VELUM_OK) << harness::Utf8(name);
        Pump(250);
        const auto palette = PaletteOf(file);
        const auto& b = palette.button;
        const COLORREF expected[] = {
            Ref(b.normal.background.from),   Ref(b.defaultBorder), Ref(b.defaultBorder),
            Ref(palette.background),         Ref(b.box.border),    Ref(b.box.background.from),
            Ref(palette.background),         Ref(b.groupFrame),    Ref(b.groupFrame),
            Ref(b.disabled.background.from), kOwnerGreen,          kProgramRed,
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
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    EXPECT_EQ(Hex(Pixel(push, 4, 14)), Hex(Ref(b.pressed.background.from))) << "pressed";
    MouseButton(MOUSEEVENTF_LEFTUP);
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
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    MouseButton(MOUSEEVENTF_LEFTUP);
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
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    MouseButton(MOUSEEVENTF_LEFTUP);
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

// Where the text of a button is: the box around the pixels inside it that differ from its face.
RECT InkBox(HWND button)
{
    RECT r{};
    GetClientRect(button, &r);
    const int inset = 4;
    HDC dc = GetDC(button);
    const COLORREF face = GetPixel(dc, inset, inset);
    RECT box{r.right, r.bottom, -1, -1};
    for (int y = inset; y < r.bottom - inset; ++y) {
        for (int x = inset; x < r.right - inset; ++x) {
            if (GetPixel(dc, x, y) != face) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x);
                box.bottom = std::max<LONG>(box.bottom, y);
            }
        }
    }
    ReleaseDC(button, dc);
    return box;
}

TEST_F(Buttons, TextSitsWhereTheStyleSaysAsTheSystemPutsIt)
{
    const struct {
        DWORD style;
        const char* what;
    } cases[] = {
        {BS_PUSHBUTTON, "centred"},
        {BS_PUSHBUTTON | BS_LEFT, "left"},
        {BS_PUSHBUTTON | BS_RIGHT, "right"},
        {BS_PUSHBUTTON | BS_TOP, "top"},
        {BS_PUSHBUTTON | BS_BOTTOM, "bottom"},
        {BS_PUSHBUTTON | BS_RIGHT | BS_BOTTOM, "bottom right"},
        {BS_AUTOCHECKBOX | BS_RIGHT, "check box, right"},
        {BS_AUTOCHECKBOX | BS_BOTTOM, "check box, bottom"},
    };
    Create();
    const auto place = [&](DWORD style) {
        HWND b = CreateWindowExW(0, L"Button", L"Mm", WS_CHILD | WS_VISIBLE | style, 230, 160, 150, 56, host_, nullptr,
                                 nullptr, nullptr);
        Pump(100);
        const RECT box = InkBox(b);
        DestroyWindow(b);
        return box;
    };
    std::vector<RECT> system;
    for (const auto& c : cases)
        system.push_back(place(c.style));
    ASSERT_EQ(Attach(SkinFolder() + L"\\midnight.vlm"), VELUM_OK);
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].what);
        const RECT skinned = place(cases[i].style);
        ASSERT_GE(skinned.right, skinned.left) << "no text drawn";
        // Fonts and edges differ a little; the place does not.
        const auto centre = [](LONG a, LONG b) { return (a + b) / 2; };
        EXPECT_NEAR(centre(skinned.left, skinned.right), centre(system[i].left, system[i].right), 6);
        EXPECT_NEAR(centre(skinned.top, skinned.bottom), centre(system[i].top, system[i].bottom), 6);
    }
}

}  // namespace

namespace {

// A program that subclassed two push buttons before the engine came: it paints one black itself,
// as a meter, and passes everything of the other on to the system.
constexpr COLORREF kMeterBlack = RGB(0, 0, 0);
std::map<HWND, WNDPROC> subclassPrevious;
HWND meter = nullptr;

LRESULT CALLBACK ProgramSubclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (hwnd == meter && message == WM_ERASEBKGND)
        return TRUE;
    if (hwnd == meter && message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT r;
        GetClientRect(hwnd, &r);
        SetBkColor(dc, kMeterBlack);
        ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
        EndPaint(hwnd, &ps);
        return 0;
    }
    return CallWindowProcW(subclassPrevious[hwnd], hwnd, message, wParam, lParam);
}

}  // namespace

// Attached over buttons the program subclassed first, the engine leaves the program's own
// painting as it is, through repaints, the pointer and the dialog's messages; a subclass that
// paints nothing itself still shows the theme.
TEST_F(Buttons, AButtonTheProgramSubclassedFirstKeepsTheProgramsPainting)
{
    const std::wstring file = SkinFolder() + L"\\midnight.vlm";
    const auto& look = PaletteOf(file).button;
    const COLORREF face = Ref(look.normal.background.from), hot = Ref(look.hot.background.from);
    Create();
    meter = Button(kPush);
    HWND passing = Button(kDisabled);
    EnableWindow(passing, TRUE);
    for (HWND button : {meter, passing})
        subclassPrevious[button] = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ProgramSubclass)));
    ASSERT_EQ(Attach(file), VELUM_OK);
    const struct {
        const char* what;
        UINT message;
        WPARAM wParam;
    } events[] = {
        {"a repaint", WM_PAINT, 0},
        {"the pointer over it", WM_MOUSEMOVE, 0},
        {"the dialog's button style", BM_SETSTYLE, BS_PUSHBUTTON},
        {"the keyboard cues", WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL)},
    };
    for (HWND button : {meter, passing}) {
        for (const auto& e : events) {
            if (e.message == WM_PAINT)
                InvalidateRect(button, nullptr, TRUE);
            else if (e.message == WM_MOUSEMOVE)
                MoveOnto(button, 50, 14);
            else
                SendMessageW(button, e.message, e.wParam, TRUE);
            Pump(150);
            const COLORREF expected = button == meter ? kMeterBlack : e.message == WM_MOUSEMOVE ? hot : face;
            EXPECT_EQ(Hex(Pixel(button, 4, 14)), Hex(expected))
                << (button == meter ? "painting: " : "passing on: ") << e.what;
            MoveOnto(host_, 300, 200);
        }
    }
    Velum_Detach();
    for (const auto& [button, previous] : subclassPrevious)
        SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    subclassPrevious.clear();
}
