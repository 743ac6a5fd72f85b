// A window's own scroll bars under the engine: the room they take, where they are, their
// colours in each shipped theme, and what Velum_Detach gives back.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "ControlTestKit.h"

namespace {

using namespace kit;

enum { kBar = 1, kOwnColoursBar };
constexpr COLORREF kOwnGreen = RGB(0, 160, 60);
HBRUSH ownBrush = nullptr;

// Moves the vertical bar to wParam, as a program does in answer to a key or a command.
constexpr UINT kMoveBar = WM_APP + 1;
// Gives the window a vertical bar it did not have: it has more to show than room.
constexpr UINT kShowBar = WM_APP + 2;

LRESULT CALLBACK ScrollingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kMoveBar) {
        SetScrollPos(hwnd, SB_VERT, static_cast<int>(wParam), TRUE);
        return 0;
    }
    if (message == kShowBar) {
        SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 100, 20, 0, 0};
        SetScrollInfo(hwnd, SB_VERT, &info, TRUE);
        return 0;
    }
    if (message == WM_CTLCOLORSCROLLBAR && GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == kOwnColoursBar)
        return reinterpret_cast<LRESULT>(ownBrush);
    if (message == WM_VSCROLL || message == WM_HSCROLL) {
        const auto control = reinterpret_cast<HWND>(lParam);
        const int bar = control != nullptr ? SB_CTL : message == WM_VSCROLL ? SB_VERT : SB_HORZ;
        if (control != nullptr)
            hwnd = control;
        int position = GetScrollPos(hwnd, bar);
        if (LOWORD(wParam) == SB_LINEDOWN)
            ++position;
        else if (LOWORD(wParam) == SB_LINEUP)
            --position;
        SetScrollPos(hwnd, bar, position, TRUE);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

class ScrollBars : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        kit::RegisterWindowClass(L"ZtScrolling", ScrollingProc, COLOR_WINDOW);
        ownBrush = CreateSolidBrush(kOwnGreen);
        INITCOMMONCONTROLSEX init{sizeof init, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES};
        InitCommonControlsEx(&init);
    }
    static void TearDownTestSuite() { DeleteObject(ownBrush); }
    void SetUp() override
    {
        kit::PointerAway();
        hwnd_ = CreateWindowExW(0, L"ZtScrolling", L"Scrolling", WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL, 40, 40,
                                400, 300, nullptr, nullptr, nullptr, nullptr);
        SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 100, 20, 0, 0};
        SetScrollInfo(hwnd_, SB_VERT, &info, FALSE);
        SetScrollInfo(hwnd_, SB_HORZ, &info, FALSE);
        for (const int id : {kBar, kOwnColoursBar}) {
            HWND bar =
                CreateWindowExW(0, L"ScrollBar", L"", WS_CHILD | WS_VISIBLE | SBS_HORZ, 20, id == kBar ? 20 : 60, 240,
                                20, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
            SetScrollInfo(bar, SB_CTL, &info, FALSE);
        }
        ShowWindow(hwnd_, SW_SHOW);
        UpdateWindow(hwnd_);
        Pump(200);
    }
    void TearDown() override
    {
        Velum_Detach();
        DestroyWindow(hwnd_);
        Pump(50);
    }

    // A bar where the window reports it, in its client area's coordinates (it lies outside).
    struct Bar {
        RECT rect;
        int thumbTop, thumbBottom;
    };
    Bar BarOf(LONG object) const
    {
        SCROLLBARINFO info{};
        info.cbSize = sizeof info;
        GetScrollBarInfo(hwnd_, object, &info);
        MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&info.rcScrollBar), 2);
        return {info.rcScrollBar, info.xyThumbTop, info.xyThumbBottom};
    }
    COLORREF WindowPixel(POINT client) const
    {
        POINT screen = client;
        ClientToScreen(hwnd_, &screen);
        RECT window{};
        GetWindowRect(hwnd_, &window);
        HDC dc = GetWindowDC(hwnd_);
        const COLORREF c = GetPixel(dc, screen.x - window.left, screen.y - window.top);
        ReleaseDC(hwnd_, dc);
        return c;
    }
    // Points on the vertical bar: its down arrow's corner, the thumb's middle and the track
    // between the thumb and the down arrow.
    struct Points {
        POINT arrow, thumb, track;
    };
    Points VerticalPoints() const
    {
        const Bar b = BarOf(OBJID_VSCROLL);
        const int x = (b.rect.left + b.rect.right) / 2;
        // The arrow's top row: a gradient starts there.
        return {{b.rect.left + 2, b.rect.bottom - GetSystemMetrics(SM_CYVSCROLL) + 2},
                {x, b.rect.top + (b.thumbTop + b.thumbBottom) / 2},
                {x, b.rect.top + (b.thumbBottom + (b.rect.bottom - b.rect.top) - GetSystemMetrics(SM_CYVSCROLL)) / 2}};
    }

    HWND hwnd_ = nullptr;
};

TEST_F(ScrollBars, AWindowsOwnBarsKeepTheirRoomAndPlaceAndTakeEachThemesColours)
{
    const Points points = VerticalPoints();
    const COLORREF unskinned[] = {WindowPixel(points.arrow), WindowPixel(points.thumb), WindowPixel(points.track)};

    for (const std::wstring& name : ColourThemes()) {
        SCOPED_TRACE(harness::Ansi(name));
        const std::wstring file = SkinFolder() + L"\\" + name;
        ASSERT_EQ(Attach(file), VELUM_OK);
        Pump(100);
        // Beside the client area, as wide as the system makes them: where the system's
        // tracking of a click looks for them.
        RECT c{};
        GetClientRect(hwnd_, &c);
        const RECT v = BarOf(OBJID_VSCROLL).rect, h = BarOf(OBJID_HSCROLL).rect;
        // With both bars, each reaches a pixel into the box where they meet, as the system has it.
        const RECT wantV{c.right, 0, c.right + GetSystemMetrics(SM_CXVSCROLL), c.bottom + 1};
        const RECT wantH{0, c.bottom, c.right + 1, c.bottom + GetSystemMetrics(SM_CYHSCROLL)};
        EXPECT_TRUE(EqualRect(&v, &wantV)) << v.left << "," << v.top << " " << v.right << "," << v.bottom;
        EXPECT_TRUE(EqualRect(&h, &wantH)) << h.left << "," << h.top << " " << h.right << "," << h.bottom;
        const velum::ScrollPalette p = PaletteOf(file).scroll;
        const Points here = VerticalPoints();  // a theme's frame may change the client's size
        EXPECT_EQ(Hex(WindowPixel(here.arrow)), Hex(Ref(p.arrow.background.from))) << "arrow";
        EXPECT_EQ(Hex(WindowPixel(here.thumb)), Hex(Ref(p.thumb.background.from))) << "thumb";
        EXPECT_EQ(Hex(WindowPixel(here.track)), Hex(Ref(p.track.background.from))) << "track";
    }
    Velum_Detach();
    Pump(100);
    EXPECT_EQ(Hex(WindowPixel(points.arrow)), Hex(unskinned[0]));
    EXPECT_EQ(Hex(WindowPixel(points.thumb)), Hex(unskinned[1]));
    EXPECT_EQ(Hex(WindowPixel(points.track)), Hex(unskinned[2]));
}

TEST_F(ScrollBars, MovedByTheProgramOrByAClickTheyKeepTheThemesLook)
{
    const std::wstring file = SkinFolder() + L"\\midnight.vlm";
    ASSERT_EQ(Attach(file), VELUM_OK);
    Pump(100);
    const velum::ScrollPalette p = PaletteOf(file).scroll;
    SendMessageW(hwnd_, kMoveBar, 40, 0);
    Pump(100);
    EXPECT_EQ(Hex(WindowPixel(VerticalPoints().thumb)), Hex(Ref(p.thumb.background.from))) << "moved by its program";
    const Bar b = BarOf(OBJID_VSCROLL);
    POINT arrow{(b.rect.left + b.rect.right) / 2, b.rect.bottom - 4};
    ClientToScreen(hwnd_, &arrow);
    ClickAt(arrow);
    Pump(300);
    EXPECT_EQ(GetScrollPos(hwnd_, SB_VERT), 41) << "a click on the down arrow scrolls a line";
    EXPECT_EQ(Hex(WindowPixel(VerticalPoints().thumb)), Hex(Ref(p.thumb.background.from))) << "after the click";
    EXPECT_EQ(Hex(WindowPixel(VerticalPoints().track)), Hex(Ref(p.track.background.from))) << "after the click";
}

TEST_F(ScrollBars, AScrollBarControlTakesTheThemesColoursUnlessItsParentChoseItsOwn)
{
    HWND bar = GetDlgItem(hwnd_, kBar), own = GetDlgItem(hwnd_, kOwnColoursBar);
    const int arrow = GetSystemMetrics(SM_CXHSCROLL);
    // The thumb starts after the left arrow (position 0); the track is towards the right end.
    const POINT thumb{arrow + 4, 10}, track{240 - arrow - 8, 10}, rightArrow{240 - arrow + 2, 3};
    const COLORREF before[] = {Pixel(bar, thumb.x, thumb.y), Pixel(bar, track.x, track.y),
                               Pixel(own, track.x, track.y)};
    const std::wstring file = SkinFolder() + L"\\ocean.vlm";
    ASSERT_EQ(Attach(file), VELUM_OK);
    Pump(150);
    const velum::ScrollPalette p = PaletteOf(file).scroll;
    EXPECT_EQ(Hex(Pixel(bar, thumb.x, thumb.y)), Hex(Ref(p.thumb.background.from))) << "thumb";
    EXPECT_EQ(Hex(Pixel(bar, track.x, track.y)), Hex(Ref(p.track.background.from))) << "track";
    EXPECT_EQ(Hex(Pixel(bar, rightArrow.x, rightArrow.y)), Hex(Ref(p.arrow.background.from))) << "arrow";
    EXPECT_EQ(Hex(Pixel(own, track.x, track.y)), Hex(before[2])) << "the parent's own colours";

    POINT at = rightArrow;
    ClientToScreen(bar, &at);
    ClickAt(at);
    Pump(300);
    EXPECT_EQ(GetScrollPos(bar, SB_CTL), 1) << "a click on the right arrow moves a line";
    EXPECT_EQ(Hex(Pixel(bar, track.x, track.y)), Hex(Ref(p.track.background.from))) << "after the click";
    kit::PointerAway();
    SetScrollPos(bar, SB_CTL, 0, TRUE);

    Velum_Detach();
    Pump(150);
    EXPECT_EQ(Hex(Pixel(bar, thumb.x, thumb.y)), Hex(before[0]));
    EXPECT_EQ(Hex(Pixel(bar, track.x, track.y)), Hex(before[1]));
}

// A multi-line edit with a bar of its own, holding `lines` lines; `place` is left, top, width
// and height in the parent.
HWND MultiLineEdit(HWND parent, int lines, RECT place)
{
    std::wstring text;
    for (int i = 1; i <= lines; ++i)
        text += L"Line " + std::to_wstring(i) + L"\r\n";
    return CreateWindowExW(WS_EX_CLIENTEDGE, L"Edit", text.c_str(),
                           WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL, place.left, place.top,
                           place.right, place.bottom, parent, nullptr, nullptr, nullptr);
}

// The colour a control's own vertical bar shows at a point along it, in the control's window.
COLORREF BarPixelAt(HWND control, int along)
{
    SCROLLBARINFO info{};
    info.cbSize = sizeof info;
    GetScrollBarInfo(control, OBJID_VSCROLL, &info);
    RECT window{};
    GetWindowRect(control, &window);
    HDC dc = GetWindowDC(control);
    const COLORREF c = GetPixel(dc, (info.rcScrollBar.left + info.rcScrollBar.right) / 2 - window.left,
                                info.rcScrollBar.top - window.top + along);
    ReleaseDC(control, dc);
    return c;
}

// A control's own vertical bar: the colour at its thumb's middle, and on its track.
std::pair<COLORREF, COLORREF> VerticalBarPixels(HWND control)
{
    SCROLLBARINFO info{};
    info.cbSize = sizeof info;
    GetScrollBarInfo(control, OBJID_VSCROLL, &info);
    // Between the thumb and the far arrow, or the near one when the thumb is far down.
    const int after = (info.xyThumbBottom + (info.rcScrollBar.bottom - info.rcScrollBar.top)) / 2;
    const int track = info.xyThumbTop > 40 ? info.xyThumbTop / 2 + 8 : after - 8;
    return {BarPixelAt(control, (info.xyThumbTop + info.xyThumbBottom) / 2), BarPixelAt(control, track)};
}

TEST_F(ScrollBars, AnEditsOwnBarFollowsItsTextInTheThemesColours)
{
    HWND edit = MultiLineEdit(hwnd_, 60, {20, 100, 200, 120});
    const std::wstring file = SkinFolder() + L"\\jade.vlm";
    ASSERT_EQ(Attach(file), VELUM_OK);
    Pump(150);
    const velum::ScrollPalette p = PaletteOf(file).scroll;
    const auto barPixels = [edit] { return VerticalBarPixels(edit); };
    auto [thumb, track] = barPixels();
    EXPECT_EQ(Hex(thumb), Hex(Ref(p.thumb.background.from)));
    EXPECT_EQ(Hex(track), Hex(Ref(p.track.background.from)));
    SendMessageW(edit, EM_LINESCROLL, 0, 30);  // the edit moves its bar as it scrolls
    Pump(100);
    std::tie(thumb, track) = barPixels();
    EXPECT_EQ(Hex(thumb), Hex(Ref(p.thumb.background.from))) << "after scrolling";
    EXPECT_EQ(Hex(track), Hex(Ref(p.track.background.from))) << "after scrolling";
    // Under the pointer, its thumb is hot.
    SCROLLBARINFO info{};
    info.cbSize = sizeof info;
    GetScrollBarInfo(edit, OBJID_VSCROLL, &info);
    SetCursorPos((info.rcScrollBar.left + info.rcScrollBar.right) / 2,
                 info.rcScrollBar.top + (info.xyThumbTop + info.xyThumbBottom) / 2);
    Pump(250);
    EXPECT_EQ(Hex(barPixels().first), Hex(Ref(p.thumbHot.background.from))) << "under the pointer";
    kit::PointerAway();
}

// A press held on a control's own bar, as a person holds it: on the thumb, dragged down, or on
// the track below the thumb, held still. While it is held, the bar keeps the theme's look and
// the thumb is drawn where the pointer has it, though an edit sets its bar's position only once
// the thumb is let go.
TEST_F(ScrollBars, ABarHeldByThePointerKeepsTheThemesLookAndItsThumbFollows)
{
    HWND edit = MultiLineEdit(hwnd_, 200, {20, 100, 160, 150});
    HWND tree = CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE, 200, 100, 160, 150, hwnd_,
                                nullptr, nullptr, nullptr);
    for (int i = 0; i < 100; ++i) {
        std::wstring name = L"Node " + std::to_wstring(i);
        TVINSERTSTRUCTW item{};
        item.hInsertAfter = TVI_LAST;
        item.item.mask = TVIF_TEXT;
        item.item.pszText = name.data();
        SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    const std::wstring file = SkinFolder() + L"\\jade.vlm";
    ASSERT_EQ(Attach(file), VELUM_OK);
    Pump(200);
    const velum::ScrollPalette p = PaletteOf(file).scroll;
    const struct {
        const char* what;
        HWND control;
        bool onThumb;  // else on the track below it
        int drag;      // pixels down while held
    } holds[] = {{"an edit's thumb dragged", edit, true, 40}, {"a tree view's track held", tree, false, 0}};
    for (const auto& h : holds) {
        SCOPED_TRACE(h.what);
        SCROLLBARINFO info{};
        info.cbSize = sizeof info;
        GetScrollBarInfo(h.control, OBJID_VSCROLL, &info);
        const int x = (info.rcScrollBar.left + info.rcScrollBar.right) / 2;
        const int thumbMiddle = (info.xyThumbTop + info.xyThumbBottom) / 2;
        const int trackBelow = info.rcScrollBar.bottom - info.rcScrollBar.top - GetSystemMetrics(SM_CYVSCROLL) - 3;
        const int pressAt = h.onThumb ? thumbMiddle : trackBelow;
        // Sampled while the button is held: on the thumb where the pointer has it, and on the
        // track above it, where the thumb was.
        COLORREF thumb = CLR_INVALID, track = CLR_INVALID;
        bool done = false;
        std::thread person([&] {
            SetCursorPos(x, info.rcScrollBar.top + pressAt);
            INPUT in{};
            in.type = INPUT_MOUSE;
            in.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
            SendInput(1, &in, sizeof in);
            Sleep(200);
            for (int step = 1; step <= 4 && h.drag != 0; ++step) {
                SetCursorPos(x, info.rcScrollBar.top + pressAt + h.drag * step / 4);
                Sleep(60);
            }
            Sleep(h.onThumb ? 300 : 1200);  // a held track pages on until the thumb reaches it
            SCROLLBARINFO now{};
            now.cbSize = sizeof now;
            GetScrollBarInfo(h.control, OBJID_VSCROLL, &now);
            const int shownThumb = h.onThumb ? pressAt + h.drag : (now.xyThumbTop + now.xyThumbBottom) / 2;
            thumb = BarPixelAt(h.control, shownThumb);
            track = BarPixelAt(h.control, h.onThumb ? info.xyThumbTop + 2 : GetSystemMetrics(SM_CYVSCROLL) + 3);
            in.mi.dwFlags = MOUSEEVENTF_LEFTUP;
            SendInput(1, &in, sizeof in);
            done = true;
        });
        while (!done)
            Pump(20);
        person.join();
        Pump(100);
        EXPECT_EQ(Hex(thumb), Hex(Ref((h.onThumb ? p.thumbPressed : p.thumb).background.from))) << "thumb";
        EXPECT_EQ(Hex(track), Hex(Ref(p.track.background.from))) << "track";
    }
}

TEST_F(ScrollBars, AListViewsOwnBarFollowsItsItemsInTheThemesColours)
{
    HWND list = CreateWindowExW(WS_EX_CLIENTEDGE, L"SysListView32", L"",
                                WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_NOCOLUMNHEADER, 240, 100, 140, 120, hwnd_,
                                nullptr, nullptr, nullptr);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = 100;
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    for (int i = 0; i < 60; ++i) {
        std::wstring text = L"Item " + std::to_wstring(i);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = text.data();
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    const std::wstring file = SkinFolder() + L"\\ocean.vlm";
    ASSERT_EQ(Attach(file), VELUM_OK);
    Pump(150);
    const velum::ScrollPalette p = PaletteOf(file).scroll;
    auto [thumb, track] = VerticalBarPixels(list);
    EXPECT_EQ(Hex(thumb), Hex(Ref(p.thumb.background.from)));
    EXPECT_EQ(Hex(track), Hex(Ref(p.track.background.from)));
    SendMessageW(list, LVM_SCROLL, 0, 400);
    Pump(100);
    std::tie(thumb, track) = VerticalBarPixels(list);
    EXPECT_EQ(Hex(thumb), Hex(Ref(p.thumb.background.from))) << "after scrolling";
    EXPECT_EQ(Hex(track), Hex(Ref(p.track.background.from))) << "after scrolling";
}

TEST_F(ScrollBars, TheThumbAndArrowsUnderThePointerAreHot)
{
    const std::wstring file = SkinFolder() + L"\\amber.vlm";
    ASSERT_EQ(Attach(file), VELUM_OK);
    Pump(150);
    const velum::ScrollPalette p = PaletteOf(file).scroll;
    const Points points = VerticalPoints();
    const auto pointAt = [this](POINT client) {
        ClientToScreen(hwnd_, &client);
        SetCursorPos(client.x, client.y);
        Pump(200);
    };
    const auto settled = [this](POINT at, COLORREF want) {
        COLORREF c = WindowPixel(at);
        for (int i = 0; i < 30 && c != want; ++i) {
            Pump(50);
            c = WindowPixel(at);
        }
        return c;
    };
    const struct {
        const char* what;
        POINT pointer, probe;
        COLORREF hot, rest;
    } cases[] = {
        {"thumb", points.thumb, points.thumb, Ref(p.thumbHot.background.from), Ref(p.thumb.background.from)},
        {"down arrow", points.arrow, points.arrow, Ref(p.arrowHot.background.from), Ref(p.arrow.background.from)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        pointAt(c.pointer);
        EXPECT_EQ(Hex(settled(c.probe, c.hot)), Hex(c.hot)) << "under the pointer";
        pointAt({-40, -40});  // off the window
        EXPECT_EQ(Hex(settled(c.probe, c.rest)), Hex(c.rest)) << "once the pointer left";
    }

    HWND bar = GetDlgItem(hwnd_, kBar);
    const POINT thumb{GetSystemMetrics(SM_CXHSCROLL) + 4, 10};
    POINT screen = thumb;
    ClientToScreen(bar, &screen);
    SetCursorPos(screen.x, screen.y);
    Pump(200);
    EXPECT_EQ(Hex(Pixel(bar, thumb.x, thumb.y)), Hex(Ref(p.thumbHot.background.from)))
        << "a scroll bar control's thumb";
    kit::PointerAway();
}

// A program's own panel with both bars, and one that shows its bar only once it has more to
// show. (Wine's MDI client never shows bars of its own, so it cannot be tried here.)
TEST_F(ScrollBars, APanelsOwnBarsTakeTheThemesColours)
{
    const auto child = [this](DWORD exStyle, DWORD style, int x) {
        return CreateWindowExW(exStyle, L"ZtScrolling", L"", WS_CHILD | WS_VISIBLE | style, x, 100, 150, 140, hwnd_,
                               nullptr, nullptr, nullptr);
    };
    HWND panel = child(WS_EX_CLIENTEDGE, WS_VSCROLL | WS_HSCROLL, 20);
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 100, 20, 0, 0};
    SetScrollInfo(panel, SB_VERT, &info, TRUE);
    SetScrollInfo(panel, SB_HORZ, &info, TRUE);
    HWND later = child(0, WS_BORDER, 190);
    Pump(150);
    const auto before = VerticalBarPixels(panel);
    const std::wstring file = SkinFolder() + L"\\midnight.vlm";
    ASSERT_EQ(Attach(file), VELUM_OK);
    Pump(100);
    SendMessageW(later, kShowBar, 0, 0);
    Pump(200);
    ASSERT_TRUE(GetWindowLongPtrW(later, GWL_STYLE) & WS_VSCROLL);
    const velum::ScrollPalette p = PaletteOf(file).scroll;
    const struct {
        const char* what;
        HWND window;
    } windows[] = {{"panel", panel}, {"a bar shown later", later}};
    for (const auto& w : windows) {
        SCOPED_TRACE(w.what);
        const auto [thumb, track] = VerticalBarPixels(w.window);
        EXPECT_EQ(Hex(thumb), Hex(Ref(p.thumb.background.from)));
        EXPECT_EQ(Hex(track), Hex(Ref(p.track.background.from)));
    }

    // Moved by its program, and by a click on its down arrow, which its program answers.
    SendMessageW(panel, kMoveBar, 40, 0);
    Pump(100);
    EXPECT_EQ(Hex(VerticalBarPixels(panel).first), Hex(Ref(p.thumb.background.from))) << "moved by its program";
    SCROLLBARINFO bar{};
    bar.cbSize = sizeof bar;
    GetScrollBarInfo(panel, OBJID_VSCROLL, &bar);
    ClickAt({(bar.rcScrollBar.left + bar.rcScrollBar.right) / 2, bar.rcScrollBar.bottom - 4});
    Pump(300);
    kit::PointerAway();
    Pump(150);
    EXPECT_EQ(GetScrollPos(panel, SB_VERT), 41) << "a click on the down arrow scrolls a line";
    const auto [thumb, track] = VerticalBarPixels(panel);
    EXPECT_EQ(Hex(thumb), Hex(Ref(p.thumb.background.from))) << "after the click";
    EXPECT_EQ(Hex(track), Hex(Ref(p.track.background.from))) << "after the click";

    SendMessageW(panel, kMoveBar, 0, 0);
    Velum_Detach();
    Pump(150);
    const auto after = VerticalBarPixels(panel);
    EXPECT_EQ(Hex(after.first), Hex(before.first)) << "given back";
    EXPECT_EQ(Hex(after.second), Hex(before.second)) << "given back";
}

// What the pointer holds down is read while the system's tracking of the press runs, from a
// timer that tracking loop dispatches; the timer then lets the button go.
struct Held {
    HWND window;
    POINT probe;  // in window coordinates
    COLORREF seen;
};
Held held{};

void CALLBACK ReadWhileHeld(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    HDC dc = GetWindowDC(held.window);
    held.seen = GetPixel(dc, held.probe.x, held.probe.y);
    ReleaseDC(held.window, dc);
    INPUT up{};
    up.type = INPUT_MOUSE;
    up.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(1, &up, sizeof up);
}

TEST_F(ScrollBars, TheThumbAndArrowHeldDownArePressed)
{
    HWND panel = CreateWindowExW(0, L"ZtScrolling", L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL, 20, 100, 150, 140, hwnd_,
                                 nullptr, nullptr, nullptr);
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 100, 20, 0, 0};
    SetScrollInfo(panel, SB_VERT, &info, TRUE);
    const std::wstring file = SkinFolder() + L"\\ocean.vlm";
    ASSERT_EQ(Attach(file), VELUM_OK);
    Pump(150);
    const velum::ScrollPalette p = PaletteOf(file).scroll;
    const int arrow = GetSystemMetrics(SM_CYVSCROLL);
    const struct {
        const char* what;
        HWND window;
        bool thumb;
        COLORREF pressed, rest;
    } cases[] = {
        {"a window's thumb", hwnd_, true, Ref(p.thumbPressed.background.from), Ref(p.thumb.background.from)},
        {"a window's down arrow", hwnd_, false, Ref(p.arrowPressed.background.from), Ref(p.arrow.background.from)},
        {"a panel's thumb", panel, true, Ref(p.thumbPressed.background.from), Ref(p.thumb.background.from)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetScrollPos(c.window, SB_VERT, 0, TRUE);
        Pump(50);
        // In screen coordinates: the point pressed, and a probe two pixels inside the part's corner.
        SCROLLBARINFO b{};
        b.cbSize = sizeof b;
        GetScrollBarInfo(c.window, OBJID_VSCROLL, &b);
        const int x = (b.rcScrollBar.left + b.rcScrollBar.right) / 2;
        const POINT press = c.thumb ? POINT{x, b.rcScrollBar.top + (b.xyThumbTop + b.xyThumbBottom) / 2}
                                    : POINT{x, b.rcScrollBar.bottom - arrow / 2};
        const POINT probe{b.rcScrollBar.left + 2,
                          c.thumb ? b.rcScrollBar.top + b.xyThumbTop + 2 : b.rcScrollBar.bottom - arrow + 2};
        RECT window{};
        GetWindowRect(c.window, &window);
        held = {c.window, {probe.x - window.left, probe.y - window.top}, CLR_INVALID};
        SetCursorPos(press.x, press.y);
        Pump(150);
        SetTimer(nullptr, 0, 200, ReadWhileHeld);
        MouseButton(MOUSEEVENTF_LEFTDOWN);
        Pump(450);
        EXPECT_EQ(Hex(held.seen), Hex(c.pressed)) << "while held";
        kit::PointerAway();
        const auto probeNow = [&c] {
            HDC dc = GetWindowDC(c.window);
            const COLORREF seen = GetPixel(dc, held.probe.x, held.probe.y);
            ReleaseDC(c.window, dc);
            return seen;
        };
        COLORREF after = probeNow();
        for (int i = 0; i < 30 && after != c.rest; ++i) {
            Pump(50);
            after = probeNow();
        }
        EXPECT_EQ(Hex(after), Hex(c.rest)) << "once let go";
    }
}

}  // namespace
