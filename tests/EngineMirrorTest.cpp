// A right-to-left window (WS_EX_LAYOUTRTL), as Arabic and Hebrew programs make them, under the
// engine: its caption and bar mirrored as Windows mirrors them, each part answering the mouse
// where it is drawn, and its title reading as it does left to right.
#include <windows.h>

#include "EngineTestKit.h"

using namespace enginetest;

namespace {

// Latin letters read the same way in either reading order; no two halves mirror each other.
constexpr wchar_t kTitle[] = L"Lp7FqR";

// The title's pixels on the X screen: whatever in the caption between the buttons and the icon
// is not the caption's background, cut to the rectangle it covers.
struct Ink {
    int width = 0, height = 0;
    std::vector<bool> on;
    friend bool operator==(const Ink&, const Ink&) = default;
};

Ink Mirrored(const Ink& ink)
{
    Ink m = ink;
    for (int y = 0; y < ink.height; ++y)
        for (int x = 0; x < ink.width; ++x)
            m.on[static_cast<size_t>(y * ink.width + x)] =
                ink.on[static_cast<size_t>(y * ink.width + ink.width - 1 - x)];
    return m;
}

TITLEBARINFOEX TitleBarInfo(HWND hwnd)
{
    TITLEBARINFOEX info{};
    info.cbSize = sizeof info;
    SendMessageW(hwnd, WM_GETTITLEBARINFOEX, 0, reinterpret_cast<LPARAM>(&info));
    return info;
}

RECT Centre(const RECT& r)
{
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2, 0, 0};
}

// What in `area` of the X screen is not the background, cut to the rectangle it covers.
Ink InkIn(const RECT& area, const velum::Fill& background)
{
    XScreen screen;
    RECT box{area.right, area.bottom, area.left, area.top};
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (!InFill(screen.At(x, y), background))
                box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, y), std::max<LONG>(box.right, x + 1),
                       std::max<LONG>(box.bottom, y + 1)};
    Ink ink;
    if (box.right <= box.left)
        return ink;
    ink.width = box.right - box.left;
    ink.height = box.bottom - box.top;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x)
            ink.on.push_back(!InFill(screen.At(x, y), background));
    return ink;
}

Ink TitleInk(HWND hwnd, const velum::Theme& t)
{
    RECT w{};
    GetWindowRect(hwnd, &w);
    const TITLEBARINFOEX info = TitleBarInfo(hwnd);
    RECT buttons{};
    UnionRect(&buttons, &info.rgrect[2], &info.rgrect[5]);
    const auto& m = t.metrics;
    const int f = std::max(1, m.frameWidth);
    // The icon, 16 px with 6 px either side, is at the end away from the buttons.
    const int icon = f + 6 + 16 + 6;
    const bool buttonsLeft = buttons.left - w.left < (w.right - w.left) / 2;
    const int from = buttonsLeft ? buttons.right : w.left + icon;
    const int to = buttonsLeft ? w.right - icon : buttons.left;
    return InkIn({from, w.top + f, to, w.top + f + m.captionHeight}, t.caption.background);
}

// Until the X screen shows the fill at both ends of r, inside its edge, or three seconds pass.
bool ScreenShows(const RECT& r, const velum::Fill& fill)
{
    return WaitUntil([&] {
        XScreen screen;
        return InFill(screen.At(r.left + 2, r.top + 3), fill) && InFill(screen.At(r.right - 3, r.top + 3), fill);
    });
}

std::string At(const RECT& r)
{
    return std::to_string((r.left + r.right) / 2) + " " + std::to_string((r.top + r.bottom) / 2);
}

const wchar_t* const kThemes[] = {L"velum.vlm", L"midnight.vlm"};

}  // namespace

// The close button is drawn at the caption's left and the first bar item at the bar's right,
// each where the window answers it: the close button hit-tests HTCLOSE and lights up under the
// pointer, the item lights up under it, and a plain press on the item opens its menu under it,
// its right edge on the item's; a plain click on the close button closes the window.
TEST(Engine, RightToLeftCaptionButtonsAndBarItemsAnswerWhereTheyAreDrawn)
{
    if (!testdata::HostHas(L"/usr/bin/xdotool"))
        GTEST_SKIP() << "needs xdotool, which drives the X pointer of the build machine";
    for (const wchar_t* name : kThemes) {
        SCOPED_TRACE(harness::Utf8(name));
        const velum::Theme t = LoadExpected(SkinFile(name));
        UiThread ui(WS_EX_LAYOUTRTL);
        HWND hwnd = ui.Window();
        ASSERT_EQ(ui.AttachEx(SkinFile(name)), VELUM_OK);
        ui.Activate();
        ExpectFrame(hwnd, t, true, "attached");
        RECT w{};
        GetWindowRect(hwnd, &w);
        const int f = std::max(1, t.metrics.frameWidth);

        const RECT close = TitleBarInfo(hwnd).rgrect[5];
        EXPECT_LT(close.right - w.left, (w.right - w.left) / 2) << "the close button is not at the left";
        const RECT centre = Centre(close);
        EXPECT_EQ(SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(centre.left, centre.top)), HTCLOSE);
        ASSERT_TRUE(Xdotool("mousemove " + At(close)));
        EXPECT_TRUE(ScreenShows(close, t.closeHot.background)) << "no close button lights up under the pointer";

        HMENU bar = GetMenu(hwnd);
        // Asked on the window's thread, as its program asks.
        RECT item{};
        ASSERT_TRUE(ui.Call([&] { return static_cast<int>(GetMenuItemRect(hwnd, bar, 0, &item)); }));
        EXPECT_GE(item.right, w.right - f - 4) << "the first bar item is not at the right";
        ASSERT_TRUE(Xdotool("mousemove " + At(item)));
        EXPECT_TRUE(ScreenShows(item, t.menuBarHot.background)) << "no bar item lights up under the pointer";
        ASSERT_TRUE(Xdotool("click 1"));
        HWND popup = WaitForPopup(true);
        ASSERT_NE(popup, nullptr) << "the press opened no menu";
        EXPECT_EQ(reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0)), GetSubMenu(bar, 0));
        RECT p{};
        GetWindowRect(popup, &p);
        EXPECT_EQ(p.right, item.right) << "the menu is not aligned to the item's right edge";
        EXPECT_EQ(p.top, item.bottom) << "the menu is not under the item";
        ui.Call([] { return static_cast<int>(EndMenu()); });
        ASSERT_EQ(WaitForPopup(false), nullptr);

        ASSERT_TRUE(Xdotool("mousemove " + At(close) + " sleep 0.1 click 1"));
        EXPECT_TRUE(WaitUntil([hwnd] { return !IsWindow(hwnd); })) << "the click did not close the window";
    }
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2);
}

// The title of a right-to-left window stands at the caption's right, beside the icon, and its
// glyphs are those of the same title left to right, not their mirror image.
TEST(Engine, ARightToLeftTitleReadsAsItDoesLeftToRight)
{
    for (const wchar_t* name : kThemes) {
        SCOPED_TRACE(harness::Utf8(name));
        const velum::Theme t = LoadExpected(SkinFile(name));
        Ink ink[2];
        for (const DWORD exStyle : {DWORD{0}, DWORD{WS_EX_LAYOUTRTL}}) {
            UiThread ui(exStyle);
            HWND hwnd = ui.Window();
            ui.Call([hwnd] { return static_cast<int>(SetWindowTextW(hwnd, kTitle)); });
            ASSERT_EQ(ui.AttachEx(SkinFile(name)), VELUM_OK);
            ui.Activate();
            ExpectFrame(hwnd, t, true, exStyle != 0 ? "right to left" : "left to right");
            ink[exStyle != 0] = TitleInk(hwnd, t);
        }
        ASSERT_GT(ink[0].width, 20) << "no title found left to right";
        ASSERT_NE(ink[0], Mirrored(ink[0])) << "the title must not be its own mirror image";
        EXPECT_EQ(ink[1].width, ink[0].width);
        EXPECT_TRUE(ink[1] == ink[0]) << (ink[1] == Mirrored(ink[0]) ? "the title is mirrored" : "the title differs");
    }
}

// A right-to-left check box, drawn through the engine's back buffer, has its box at the right
// and its label in the glyphs it has left to right.
TEST(Engine, ARightToLeftCheckBoxsLabelReadsAsItDoesLeftToRight)
{
    const velum::Theme t = LoadExpected(SkinFile(L"midnight.vlm"));
    Ink ink[2];
    for (const DWORD exStyle : {DWORD{0}, DWORD{WS_EX_LAYOUTRTL}}) {
        UiThread ui(exStyle);
        HWND box = nullptr;
        ui.Call([&] {
            box = CreateWindowExW(0, L"BUTTON", kTitle, WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 10, 10, 150, 24,
                                  ui.Window(), nullptr, nullptr, nullptr);
            return 0;
        });
        ASSERT_EQ(ui.AttachEx(SkinFile(L"midnight.vlm")), VELUM_OK);
        ui.Activate();
        ExpectFrame(ui.Window(), t, true, exStyle != 0 ? "right to left" : "left to right");
        RECT r{};
        GetWindowRect(box, &r);
        // The box, 13 px, and the gap beside it, at the side the layout puts it.
        const bool rtl = exStyle != 0;
        const Ink boxSide =
            InkIn(rtl ? RECT{r.right - 13, r.top, r.right, r.bottom} : RECT{r.left, r.top, r.left + 13, r.bottom},
                  t.window.background);
        EXPECT_GE(boxSide.width, 10) << "no box at the " << (rtl ? "right" : "left");
        ink[rtl] = InkIn({r.left + (rtl ? 0 : 16), r.top, r.right - (rtl ? 16 : 0), r.bottom}, t.window.background);
    }
    ASSERT_GT(ink[0].width, 20) << "no label found left to right";
    EXPECT_TRUE(ink[1] == ink[0]) << (ink[1] == Mirrored(ink[0]) ? "the label is mirrored" : "the label differs");
}
