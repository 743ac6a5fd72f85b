// Common controls under the engine: list views, tree views, progress bars, status bars, list-view
// headers, tooltips, tabs, up-down controls, trackbars and toolbars in each shipped theme's
// colours; the colours and custom draw a program chose itself, before or after the engine came;
// what Velum_Detach gives back; and clicks that still work.
#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "ControlTestKit.h"
#include "Contrast.h"
#include "SystemColours.h"

namespace {

using namespace kit;

enum Id {
    kList = 1,
    kTree,
    kProgress,
    kStatus,
    kOwnList,
    kOwnProgress,
    kTab,
    kBuddy,
    kUpDown,
    kTrack,
    kOwnTrack,
    kToolbar
};

constexpr COLORREF kProgramBlue = RGB(20, 40, 200);

// The program draws one trackbar itself through custom draw and leaves the rest to the controls.
LRESULT CALLBACK HostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NOTIFY) {
        auto* draw = reinterpret_cast<NMCUSTOMDRAW*>(lParam);
        if (draw->hdr.code == static_cast<UINT>(NM_CUSTOMDRAW) && draw->hdr.idFrom == kOwnTrack &&
            draw->dwDrawStage == CDDS_PREPAINT) {
            HBRUSH blue = CreateSolidBrush(kProgramBlue);
            FillRect(draw->hdc, &draw->rc, blue);
            DeleteObject(blue);
            return CDRF_SKIPDEFAULT;
        }
    }
    if (message == WM_DRAWITEM) {
        const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        HBRUSH blue = CreateSolidBrush(kProgramBlue);
        FillRect(draw->hDC, &draw->rcItem, blue);
        DeleteObject(blue);
        return TRUE;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// A window of every common control the engine colours, and a list and a progress bar whose
// colours the program set itself.
class CommonControls : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        INITCOMMONCONTROLSEX init{sizeof init,
                                  ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
        InitCommonControlsEx(&init);
        kit::RegisterWindowClass(L"ZtCommonHost", HostProc);
    }

    void SetUp() override { kit::PointerAway(); }
    void TearDown() override
    {
        Velum_Detach();
        DestroyWindow(host_);
        Pump(50);
    }

    HWND Child(const wchar_t* cls, Id id, DWORD style, int x, int y, int w, int h)
    {
        return CreateWindowExW(0, cls, L"", WS_CHILD | WS_VISIBLE | style, x, y, w, h, host_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    }

    void Create()
    {
        host_ = CreateWindowExW(0, L"ZtCommonHost", L"Common", WS_OVERLAPPEDWINDOW, 30, 30, 560, 460, nullptr, nullptr,
                                nullptr, nullptr);
        HWND list = Child(WC_LISTVIEWW, kList, LVS_REPORT, 10, 10, 250, 140);
        for (int column = 0; column < 2; ++column) {
            LVCOLUMNW c{};
            c.mask = LVCF_TEXT | LVCF_WIDTH;
            c.cx = 90;
            c.pszText = const_cast<wchar_t*>(column == 0 ? L"Name" : L"Size");
            SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&c));
        }
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.pszText = const_cast<wchar_t*>(L"First");
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        HWND tree = Child(WC_TREEVIEWW, kTree, TVS_HASLINES, 280, 10, 250, 140);
        TVINSERTSTRUCTW node{};
        node.hInsertAfter = TVI_LAST;
        node.item.mask = TVIF_TEXT;
        node.item.pszText = const_cast<wchar_t*>(L"Root");
        SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&node));
        HWND progress = Child(PROGRESS_CLASSW, kProgress, 0, 10, 160, 250, 20);
        SendMessageW(progress, PBM_SETPOS, 50, 0);
        HWND own = Child(WC_LISTVIEWW, kOwnList, LVS_REPORT, 280, 160, 250, 60);
        SendMessageW(own, LVM_SETBKCOLOR, 0, kProgramBlue);
        HWND ownProgress = Child(PROGRESS_CLASSW, kOwnProgress, 0, 10, 190, 250, 20);
        SendMessageW(ownProgress, PBM_SETPOS, 50, 0);
        SendMessageW(ownProgress, PBM_SETBARCOLOR, 0, kProgramBlue);
        HWND status = Child(STATUSCLASSNAMEW, kStatus, SBARS_SIZEGRIP, 0, 0, 0, 0);
        const int parts[] = {200, -1};
        SendMessageW(status, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
        SendMessageW(status, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(L"Ready"));
        SendMessageW(status, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(L"Line 1"));
        SetWindowLongPtrW(Tabs(0, 10, 220, 250, 100), GWLP_ID, kTab);
        HWND buddy = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 280, 230, 80, 24, host_,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(kBuddy)), nullptr, nullptr);
        HWND upDown = Child(UPDOWN_CLASSW, kUpDown, UDS_ALIGNRIGHT | UDS_SETBUDDYINT | UDS_ARROWKEYS, 0, 0, 0, 0);
        SendMessageW(upDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy), 0);
        SendMessageW(upDown, UDM_SETRANGE32, 0, 10);
        SendMessageW(upDown, UDM_SETPOS32, 0, 5);
        for (const Id id : {kTrack, kOwnTrack}) {
            HWND track = Child(TRACKBAR_CLASSW, id, TBS_AUTOTICKS, id == kTrack ? 280 : 400, 265, 110, 32);
            SendMessageW(track, TBM_SETRANGE, TRUE, MAKELPARAM(0, 10));
            SendMessageW(track, TBM_SETPOS, TRUE, 5);
        }
        HWND toolbar =
            Child(TOOLBARCLASSNAMEW, kToolbar,
                  TBSTYLE_FLAT | TBSTYLE_LIST | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER, 280, 305, 250, 30);
        SendMessageW(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
        SendMessageW(toolbar, TB_SETBITMAPSIZE, 0, MAKELPARAM(0, 0));
        TBBUTTON buttons[2]{};
        for (int i = 0; i < 2; ++i) {
            buttons[i].iBitmap = I_IMAGENONE;
            buttons[i].idCommand = 100 + i;
            buttons[i].fsState = TBSTATE_ENABLED;
            buttons[i].fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE | BTNS_SHOWTEXT;
            buttons[i].iString = reinterpret_cast<INT_PTR>(i == 0 ? L"Open" : L"Save");
        }
        SendMessageW(toolbar, TB_ADDBUTTONSW, 2, reinterpret_cast<LPARAM>(buttons));
        tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, host_,
                                   nullptr, nullptr, nullptr);
        ShowWindow(host_, SW_SHOW);
        SetForegroundWindow(host_);
        Pump(300);
    }

    HWND Control(Id id) const { return GetDlgItem(host_, id); }

    HWND Tabs(DWORD style, int x, int y, int w, int h)
    {
        HWND tab = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, x, y, w, h,
                                   host_, nullptr, nullptr, nullptr);
        for (const wchar_t* name : {L"One", L"Two", L"Three"}) {
            TCITEMW page{};
            page.mask = TCIF_TEXT;
            page.pszText = const_cast<wchar_t*>(name);
            SendMessageW(tab, TCM_INSERTITEMW, SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0),
                         reinterpret_cast<LPARAM>(&page));
        }
        return tab;
    }
    HWND Header() const { return reinterpret_cast<HWND>(SendMessageW(Control(kList), LVM_GETHEADER, 0, 0)); }

    // Points that show each control's colours, read in the control's own client area.
    struct Probe {
        const char* what;
        HWND window;
        int x, y;
        COLORREF expected;
    };
    std::vector<Probe> Probes(const velum::ControlPalette& p) const
    {
        RECT status{}, header{}, second{}, first{}, channel{}, thumb{}, track{}, bar{}, button{};
        GetClientRect(Control(kStatus), &status);
        GetClientRect(Header(), &header);
        SendMessageW(Control(kTab), TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second));
        SendMessageW(Control(kTab), TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
        SendMessageW(Control(kTrack), TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
        SendMessageW(Control(kTrack), TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
        GetClientRect(Control(kTrack), &track);
        GetClientRect(Control(kToolbar), &bar);
        SendMessageW(Control(kToolbar), TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&button));
        return {
            {"tab", Control(kTab), second.left + 4, second.top + 3, Ref(p.common.tab.background.from)},
            {"selected tab", Control(kTab), first.left + 4, first.top + 1, Ref(p.common.tabSelected.background.from)},
            {"tab page", Control(kTab), 120, 80, Ref(p.common.tabSelected.background.from)},
            {"tab page border", Control(kTab), 0, 80, Ref(p.common.tab.border)},
            {"up-down arrow", Control(kUpDown), 3, 3, Ref(p.button.normal.background.from)},
            {"trackbar channel", Control(kTrack), channel.left + 3, (channel.top + channel.bottom) / 2,
             Ref(p.scroll.track.background.from)},
            {"trackbar thumb", Control(kTrack), (thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2,
             Ref(p.scroll.thumb.background.from)},
            {"trackbar background", Control(kTrack), track.right - 2, 1, Ref(p.background)},
            {"program's own trackbar", Control(kOwnTrack), 20, 10, kProgramBlue},
            {"toolbar", Control(kToolbar), bar.right - 4, bar.bottom / 2, Ref(p.background)},
            {"toolbar button", Control(kToolbar), button.left + 2, button.top + 2, Ref(p.background)},
            {"list background", Control(kList), 200, 120, Ref(p.field.normal.background.from)},
            {"tree background", Control(kTree), 200, 120, Ref(p.field.normal.background.from)},
            {"progress track", Control(kProgress), 240, 10, Ref(p.common.progress.background.from)},
            {"progress bar", Control(kProgress), 3, 1, Ref(p.common.progressBar.background.from)},
            {"status bar", Control(kStatus), 150, status.bottom / 2, Ref(p.common.statusBar.background.from)},
            {"header", Header(), 80, header.bottom / 2, Ref(p.common.header.background.from)},
            {"program's own list", Control(kOwnList), 200, 40, kProgramBlue},
            {"program's own bar", Control(kOwnProgress), 20, 10, ownBarUnskinned_},
        };
    }

    // A bar whose colour its program set is drawn as the system draws it (a visual style may
    // ignore the colour): read without the engine.
    void ReadOwnBarUnskinned()
    {
        Create();
        ownBarUnskinned_ = Pixel(Control(kOwnProgress), 20, 10);
        DestroyWindow(host_);
    }

    HWND host_ = nullptr;
    HWND tooltip_ = nullptr;
    COLORREF ownBarUnskinned_ = CLR_INVALID;
};

// Whether any pixel of a rectangle of the window has the colour: text is a few pixels of it.
bool AnyPixel(HWND hwnd, RECT r, COLORREF c)
{
    HDC dc = GetDC(hwnd);
    bool found = false;
    for (int y = r.top; y < r.bottom && !found; ++y)
        for (int x = r.left; x < r.right && !found; ++x)
            found = GetPixel(dc, x, y) == c;
    ReleaseDC(hwnd, dc);
    return found;
}

// Wine tells a window the pointer left from a timer: a look that follows the pointer settles.
COLORREF SettledPixel(HWND hwnd, int x, int y, COLORREF expected)
{
    COLORREF c = Pixel(hwnd, x, y);
    for (int i = 0; i < 40 && c != expected; ++i) {
        Pump(50);
        c = Pixel(hwnd, x, y);
    }
    return c;
}

void ClickHere()
{
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    MouseButton(MOUSEEVENTF_LEFTUP);
}

TEST_F(CommonControls, EveryShippedThemeColoursEachControlAndLeavesTheProgramsOwnColours)
{
    ReadOwnBarUnskinned();
    for (const std::wstring& name : ColourThemes()) {
        SCOPED_TRACE(harness::Ansi(name));
        const std::wstring file = SkinFolder() + L"\\" + name;
        ASSERT_EQ(Attach(file), VELUM_OK);
        Create();  // made under the engine: skinned as they are created
        const velum::ControlPalette p = PaletteOf(file);
        for (const Probe& probe : Probes(p))
            EXPECT_EQ(Hex(Pixel(probe.window, probe.x, probe.y)), Hex(probe.expected)) << probe.what;
        RECT first{};
        SendMessageW(Control(kStatus), SB_GETRECT, 0, reinterpret_cast<LPARAM>(&first));
        EXPECT_TRUE(AnyPixel(Control(kStatus), first, Ref(p.common.statusBar.text))) << "status text";
        RECT column{};
        SendMessageW(Header(), HDM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&column));
        EXPECT_TRUE(AnyPixel(Header(), column, Ref(p.common.header.text))) << "header text";
        RECT tab{}, thumb{}, track{}, button{};
        SendMessageW(Control(kTab), TCM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&tab));
        EXPECT_TRUE(AnyPixel(Control(kTab), tab, Ref(p.common.tab.text))) << "tab text";
        SendMessageW(Control(kTrack), TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
        GetClientRect(Control(kTrack), &track);
        track.top = thumb.bottom;
        EXPECT_TRUE(AnyPixel(Control(kTrack), track, Ref(p.button.label))) << "tics";
        SendMessageW(Control(kToolbar), TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&button));
        EXPECT_TRUE(AnyPixel(Control(kToolbar), button, Ref(p.button.normal.text))) << "toolbar text";
        EXPECT_EQ(Hex(static_cast<COLORREF>(SendMessageW(tooltip_, TTM_GETTIPBKCOLOR, 0, 0))),
                  Hex(Ref(p.common.tooltip.background.from)));
        EXPECT_EQ(Hex(static_cast<COLORREF>(SendMessageW(tooltip_, TTM_GETTIPTEXTCOLOR, 0, 0))),
                  Hex(Ref(p.common.tooltip.text)));
        Velum_Detach();
        DestroyWindow(host_);
        Pump(30);
    }
}

TEST_F(CommonControls, ControlsMadeBeforeTheEngineFollowSwitchesAndDetachGivesTheirColoursBack)
{
    ReadOwnBarUnskinned();
    Create();
    const std::vector<Probe> before = Probes(PaletteOf(SkinFolder() + L"\\velum.vlm"));
    std::vector<COLORREF> unskinned;
    for (const Probe& probe : before)
        unskinned.push_back(Pixel(probe.window, probe.x, probe.y));
    const auto listBack = SendMessageW(Control(kList), LVM_GETBKCOLOR, 0, 0);
    const auto treeText = SendMessageW(Control(kTree), TVM_GETTEXTCOLOR, 0, 0);
    const auto tipBack = SendMessageW(tooltip_, TTM_GETTIPBKCOLOR, 0, 0);

    for (const wchar_t* name : {L"midnight.vlm", L"amber.vlm"}) {
        SCOPED_TRACE(harness::Ansi(name));
        const std::wstring file = SkinFolder() + L"\\" + name;
        ASSERT_EQ(Attach(file), VELUM_OK);
        Pump(200);
        for (const Probe& probe : Probes(PaletteOf(file)))
            EXPECT_EQ(Hex(Pixel(probe.window, probe.x, probe.y)), Hex(probe.expected)) << probe.what;
    }
    Velum_Detach();
    Pump(200);
    for (size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(Hex(Pixel(before[i].window, before[i].x, before[i].y)), Hex(unskinned[i])) << before[i].what;
    EXPECT_EQ(SendMessageW(Control(kList), LVM_GETBKCOLOR, 0, 0), listBack);
    EXPECT_EQ(SendMessageW(Control(kTree), TVM_GETTEXTCOLOR, 0, 0), treeText);
    EXPECT_EQ(SendMessageW(tooltip_, TTM_GETTIPBKCOLOR, 0, 0), tipBack);
}

TEST_F(CommonControls, AColourTheProgramSetsUnderTheEngineTakesTheControlBack)
{
    ASSERT_EQ(Attach(SkinFolder() + L"\\midnight.vlm"), VELUM_OK);
    Create();
    HWND list = Control(kList);
    const COLORREF systemBack = SystemColour(COLOR_WINDOW);
    SendMessageW(list, LVM_SETTEXTCOLOR, 0, kProgramBlue);
    Pump(150);
    // The theme's dark background is gone with its light text: the program's blue text stands
    // on the system's background, as it would without the engine.
    EXPECT_EQ(Hex(Pixel(list, 200, 120)), Hex(systemBack));
    EXPECT_EQ(static_cast<COLORREF>(SendMessageW(list, LVM_GETTEXTCOLOR, 0, 0)), kProgramBlue);
    ASSERT_EQ(Attach(SkinFolder() + L"\\amber.vlm"), VELUM_OK);
    Pump(150);
    EXPECT_EQ(Hex(Pixel(list, 200, 120)), Hex(systemBack)) << "a switch leaves it alone";
    Velum_Detach();
    Pump(100);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageW(list, LVM_GETTEXTCOLOR, 0, 0)), kProgramBlue);
}

TEST_F(CommonControls, AHeaderItemUnderThePointerIsHotAndTheSwitchesLeakNothing)
{
    const std::wstring file = SkinFolder() + L"\\ocean.vlm";
    ASSERT_EQ(Attach(file), VELUM_OK);
    Create();
    const velum::ControlPalette p = PaletteOf(file);
    HWND header = Header();
    RECT column{};
    SendMessageW(header, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&column));
    const int x = column.right - 6, y = (column.top + column.bottom) / 2;
    MoveOnto(header, column.left + 20, y);
    EXPECT_EQ(Hex(Pixel(header, x, y)), Hex(Ref(p.common.headerHot.background.from)));
    kit::PointerAway();
    COLORREF c = Pixel(header, x, y);
    for (int i = 0; i < 40 && c != Ref(p.common.header.background.from); ++i) {
        Pump(50);
        c = Pixel(header, x, y);
    }
    EXPECT_EQ(Hex(c), Hex(Ref(p.common.header.background.from))) << "back to normal once the pointer left";

    const std::string a = harness::Ansi(file), b = harness::Ansi(SkinFolder() + L"\\midnight.vlm");
    for (int i = 0; i < 10; ++i)
        Velum_AttachEx((i % 2 ? a : b).c_str(), "");
    Pump(100);
    const harness::ObjectCounts before = harness::CountObjects();
    for (int i = 0; i < 200; ++i) {
        Velum_AttachEx((i % 2 ? a : b).c_str(), "");
        if (i % 20 == 0)
            Pump(20);  // painted now and then, as a person switching sees it
    }
    Pump(100);
    const harness::ObjectCounts after = harness::CountObjects();
    EXPECT_LE(after.gdi, before.gdi + 8);
    EXPECT_LE(after.user, before.user + 8);
}

}  // namespace

namespace {

TEST_F(CommonControls, TabsArrowsAndToolbarButtonsFollowThePointerAndClicksStillWork)
{
    const std::wstring file = SkinFolder() + L"\\ocean.vlm";
    ASSERT_EQ(Attach(file), VELUM_OK);
    Create();
    const velum::ControlPalette p = PaletteOf(file);

    HWND tab = Control(kTab);
    RECT second{};
    SendMessageW(tab, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second));
    MoveOnto(tab, (second.left + second.right) / 2, (second.top + second.bottom) / 2);
    EXPECT_EQ(Hex(SettledPixel(tab, second.left + 4, second.top + 3, Ref(p.common.tabHot.background.from))),
              Hex(Ref(p.common.tabHot.background.from)))
        << "hot tab";
    ClickHere();
    EXPECT_EQ(SendMessageW(tab, TCM_GETCURSEL, 0, 0), 1);
    // Above its focus rectangle: the selected tab stands two pixels higher than the others.
    EXPECT_EQ(Hex(Pixel(tab, second.left + 4, second.top - 1)), Hex(Ref(p.common.tabSelected.background.from)))
        << "the clicked tab is selected";

    HWND upDown = Control(kUpDown);
    RECT arrows{};
    GetClientRect(upDown, &arrows);
    const struct {
        int y;         // where the pointer presses, in the up-down's client area
        int probeY;    // a point of the same arrow's face
        int position;  // the position after the click
    } clicks[] = {
        {arrows.bottom / 4, 3, 6},
        {arrows.bottom / 4, 3, 7},
        {arrows.bottom * 3 / 4, arrows.bottom - 4, 6},
    };
    for (const auto& click : clicks) {
        SCOPED_TRACE(click.position);
        MoveOnto(upDown, arrows.right / 2, click.y);
        EXPECT_EQ(Hex(SettledPixel(upDown, 3, click.probeY, Ref(p.button.hot.background.from))),
                  Hex(Ref(p.button.hot.background.from)))
            << "hot arrow";
        MouseButton(MOUSEEVENTF_LEFTDOWN);
        EXPECT_EQ(Hex(Pixel(upDown, 3, click.probeY)), Hex(Ref(p.button.pressed.background.from))) << "pressed arrow";
        MouseButton(MOUSEEVENTF_LEFTUP);
        EXPECT_EQ(SendMessageW(upDown, UDM_GETPOS32, 0, 0), click.position);
        wchar_t text[16] = L"";
        GetWindowTextW(Control(kBuddy), text, 16);
        EXPECT_EQ(std::wstring(text), std::to_wstring(click.position)) << "the buddy follows";
    }

    // An arrow that cannot move the position further is disabled, as both are in a disabled control.
    MoveOnto(host_, 520, 20);
    const int upY = 3, downY = arrows.bottom - 4;
    EXPECT_EQ(Hex(SettledPixel(upDown, 3, downY, Ref(p.button.normal.background.from))),
              Hex(Ref(p.button.normal.background.from)))
        << "the pointer left";
    const struct {
        int position;
        bool enabled;
        COLORREF up, down;
    } states[] = {
        {10, true, Ref(p.button.disabled.background.from), Ref(p.button.normal.background.from)},
        {0, true, Ref(p.button.normal.background.from), Ref(p.button.disabled.background.from)},
        {5, false, Ref(p.button.disabled.background.from), Ref(p.button.disabled.background.from)},
    };
    for (const auto& state : states) {
        SCOPED_TRACE(state.position);
        SendMessageW(upDown, UDM_SETPOS32, 0, state.position);
        EnableWindow(upDown, state.enabled);
        InvalidateRect(upDown, nullptr, TRUE);
        Pump(50);
        EXPECT_EQ(Hex(Pixel(upDown, 3, upY)), Hex(state.up)) << "up";
        EXPECT_EQ(Hex(Pixel(upDown, 3, downY)), Hex(state.down)) << "down";
    }

    HWND track = Control(kTrack);
    RECT thumb{};
    SendMessageW(track, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    const int thumbX = (thumb.left + thumb.right) / 2, thumbY = (thumb.top + thumb.bottom) / 2;
    MoveOnto(track, thumbX, thumbY);
    EXPECT_EQ(Hex(SettledPixel(track, thumbX, thumbY, Ref(p.scroll.thumbHot.background.from))),
              Hex(Ref(p.scroll.thumbHot.background.from)))
        << "hot thumb";
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    EXPECT_EQ(Hex(Pixel(track, thumbX, thumbY)), Hex(Ref(p.scroll.thumbPressed.background.from))) << "pressed thumb";
    MouseButton(MOUSEEVENTF_LEFTUP);
    MoveOnto(host_, 520, 20);
    EXPECT_EQ(Hex(SettledPixel(track, thumbX, thumbY, Ref(p.scroll.thumb.background.from))),
              Hex(Ref(p.scroll.thumb.background.from)))
        << "the pointer left the thumb";

    HWND toolbar = Control(kToolbar);
    RECT button{};
    SendMessageW(toolbar, TB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&button));
    MoveOnto(toolbar, (button.left + button.right) / 2, (button.top + button.bottom) / 2);
    EXPECT_EQ(Hex(SettledPixel(toolbar, button.left + 2, button.top + 2, Ref(p.button.hot.background.from))),
              Hex(Ref(p.button.hot.background.from)))
        << "hot toolbar button";
    EXPECT_TRUE(AnyPixel(toolbar, button, Ref(p.button.hot.text))) << "its text";
}

}  // namespace

namespace {

// Tabs drawn as buttons, at the bottom or on the side, owner-drawn tabs and tabs with pictures
// keep the system's drawing, which takes the theme's face colour where it uses the system's;
// the program's own drawing and a visual style's stay as they were, and detach gives the rest back.
TEST_F(CommonControls, TabsTheEngineDoesNotDrawKeepTheSystemsDrawingInTheThemesSystemColours)
{
    host_ = CreateWindowExW(0, L"ZtCommonHost", L"Tabs", WS_OVERLAPPEDWINDOW, 30, 30, 560, 360, nullptr, nullptr,
                            nullptr, nullptr);
    HIMAGELIST pictures = ImageList_Create(16, 16, ILC_COLOR24, 1, 1);
    const struct {
        const char* what;
        DWORD style;
        bool picture;
        bool faceColour;  // the system draws the item in the face colour, which the theme answers
    } cases[] = {
        {"buttons", TCS_BUTTONS, false, true},
        {"at the bottom", TCS_BOTTOM, false, true},
        {"on the side", TCS_VERTICAL | TCS_MULTILINE, false, true},
        {"owner-drawn", TCS_OWNERDRAWFIXED, false, false},
        {"with a picture", 0, true, false},
    };
    std::vector<HWND> tabs;
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        HWND tab = Tabs(cases[i].style, 10 + (i % 3) * 180, 10 + (i / 3) * 150, 170, 130);
        if (cases[i].picture) {
            SendMessageW(tab, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(pictures));
            TCITEMW item{};
            item.mask = TCIF_IMAGE;
            item.iImage = 0;
            SendMessageW(tab, TCM_SETITEMW, 1, reinterpret_cast<LPARAM>(&item));
        }
        tabs.push_back(tab);
    }
    ShowWindow(host_, SW_SHOW);
    Pump(300);
    const auto itemPixel = [](HWND tab) {
        RECT item{};
        SendMessageW(tab, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
        return Pixel(tab, item.left + 4, item.top + 4);
    };
    std::vector<COLORREF> unskinned;
    for (HWND tab : tabs)
        unskinned.push_back(itemPixel(tab));
    ASSERT_EQ(Attach(SkinFolder() + L"\\midnight.vlm"), VELUM_OK);
    Pump(300);
    const COLORREF face = Ref(PaletteOf(SkinFolder() + L"\\midnight.vlm").background);
    for (size_t i = 0; i < tabs.size(); ++i)
        EXPECT_EQ(Hex(itemPixel(tabs[i])), Hex(cases[i].faceColour ? face : unskinned[i])) << cases[i].what;
    EXPECT_EQ(Hex(itemPixel(tabs[3])), Hex(kProgramBlue)) << "the program drew it";
    Velum_Detach();
    Pump(150);
    for (size_t i = 0; i < tabs.size(); ++i)
        EXPECT_EQ(Hex(itemPixel(tabs[i])), Hex(unskinned[i])) << cases[i].what << " after detach";
    DestroyWindow(host_);
    ImageList_Destroy(pictures);
}

TEST_F(CommonControls, SelectedItemsOfListAndTreeViewsTakeTheThemesSelection)
{
    const std::wstring file = SkinFolder() + L"\\midnight.vlm";
    ASSERT_EQ(Attach(file), VELUM_OK);
    Create();
    const velum::FieldPalette f = PaletteOf(file).field;
    HWND list = Control(kList), tree = Control(kTree);
    LVITEMW state{};
    state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
    SetFocus(list);
    Pump(150);
    RECT item{};
    item.left = LVIR_LABEL;
    SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    // Just inside the label, before its text: the selection's background.
    EXPECT_EQ(Hex(Pixel(list, item.left + 1, (item.top + item.bottom) / 2)), Hex(Ref(f.selected.background.from)))
        << "list view";
    EXPECT_TRUE(AnyPixel(list, item, Ref(f.selected.text))) << "list view text";

    auto root = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(root));
    SetFocus(tree);
    Pump(150);
    RECT label{};
    std::memcpy(&label, &root, sizeof root);  // the item goes in, its rectangle comes out
    SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&label));
    EXPECT_EQ(Hex(Pixel(tree, label.left + 1, (label.top + label.bottom) / 2)), Hex(Ref(f.selected.background.from)))
        << "tree view";
}

INT_PTR CALLBACK EmptyDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

// A page made from a template as a child window, as property sheets and programs' panels are.
HWND ChildDialog(HWND parent, int x, int y, int w, int h)
{
    // A template starts on a DWORD boundary.
    struct alignas(4) {
        DLGTEMPLATE head;
        WORD menu = 0, cls = 0, title = 0;
    } page{};
    page.head.style = WS_CHILD | WS_VISIBLE | DS_CONTROL;
    HWND dialog = CreateDialogIndirectW(nullptr, &page.head, parent, EmptyDialogProc);
    MoveWindow(dialog, x, y, w, h, FALSE);
    return dialog;
}

}  // namespace

// A tree view that shows its selection while another window has the focus shows it in the
// theme's colours for an unfocused selection, whichever window holds the tree: the skinned
// frame, a program's panel, a page made from a template.
TEST_F(CommonControls, AnUnfocusedTreeViewShowsItsSelectionInTheThemesColours)
{
    const std::wstring file = SkinFolder() + L"\\midnight.vlm";
    const velum::FieldPalette f = PaletteOf(file).field;
    ASSERT_EQ(Attach(file), VELUM_OK);
    host_ = CreateWindowExW(0, L"ZtCommonHost", L"Trees", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 30, 560, 300, nullptr,
                            nullptr, nullptr, nullptr);
    HWND focus =
        CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 10, 220, 100, 24, host_, nullptr, nullptr, nullptr);
    const struct {
        const char* where;
        HWND parent;
    } holders[] = {
        {"on the frame", host_},
        {"on a panel", CreateWindowExW(0, L"ZtCommonHost", L"", WS_CHILD | WS_VISIBLE, 180, 10, 170, 200, host_,
                                       nullptr, nullptr, nullptr)},
        {"on a page", ChildDialog(host_, 360, 10, 170, 200)},
    };
    std::vector<HWND> trees;
    for (const auto& holder : holders) {
        ASSERT_NE(holder.parent, nullptr) << holder.where;
        const int x = holder.parent == host_ ? 10 : 0;
        trees.push_back(CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE | TVS_SHOWSELALWAYS, x, x, 150, 120,
                                        holder.parent, nullptr, nullptr, nullptr));
        TVINSERTSTRUCTW node{};
        node.hInsertAfter = TVI_LAST;
        node.item.mask = TVIF_TEXT;
        node.item.pszText = const_cast<wchar_t*>(L"Selected");
        const auto root = reinterpret_cast<HTREEITEM>(
            SendMessageW(trees.back(), TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&node)));
        SendMessageW(trees.back(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(root));
    }
    SetFocus(focus);
    Pump(200);
    for (size_t i = 0; i < trees.size(); ++i) {
        auto root = reinterpret_cast<HTREEITEM>(SendMessageW(trees[i], TVM_GETNEXTITEM, TVGN_ROOT, 0));
        RECT label{};
        std::memcpy(&label, &root, sizeof root);  // the item goes in, its rectangle comes out
        SendMessageW(trees[i], TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&label));
        EXPECT_EQ(Hex(Pixel(trees[i], label.left + 1, (label.top + label.bottom) / 2)),
                  Hex(Ref(f.selectedInactive.background.from)))
            << holders[i].where;
        EXPECT_TRUE(AnyPixel(trees[i], label, Ref(f.selectedInactive.text))) << holders[i].where << ", its text";
    }
}

// List and tree views stand in the field's look, as edits and lists do: their sunken edges in
// the field's border colour and background, and the disabled field's colours while disabled.
// Detach gives the system's edges back.
TEST_F(CommonControls, ListAndTreeViewsTakeTheFieldsEdgesAndDisabledLook)
{
    host_ = CreateWindowExW(0, L"ZtCommonHost", L"Views", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 30, 560, 300, nullptr,
                            nullptr, nullptr, nullptr);
    const struct {
        const wchar_t* cls;
        bool enabled;
    } views[] = {{WC_LISTVIEWW, true}, {WC_LISTVIEWW, false}, {WC_TREEVIEWW, true}, {WC_TREEVIEWW, false}};
    std::vector<HWND> made;
    for (const auto& v : views) {
        const int i = static_cast<int>(made.size());
        made.push_back(CreateWindowExW(WS_EX_CLIENTEDGE, v.cls, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT, 10 + 130 * i,
                                       10, 120, 120, host_, nullptr, nullptr, nullptr));
        EnableWindow(made.back(), v.enabled);
    }
    Pump(150);
    const auto windowPixel = [](HWND hwnd, int x, int y) {
        HDC dc = GetWindowDC(hwnd);
        const COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(hwnd, dc);
        return c;
    };
    std::vector<COLORREF> unskinned;
    for (HWND view : made)
        unskinned.push_back(windowPixel(view, 0, 60));
    const std::wstring file = SkinFolder() + L"\\midnight.vlm";
    ASSERT_EQ(Attach(file), VELUM_OK);
    Pump(200);
    const velum::FieldPalette f = PaletteOf(file).field;
    for (size_t i = 0; i < made.size(); ++i) {
        SCOPED_TRACE(testing::Message() << harness::Ansi(views[i].cls)
                                        << (views[i].enabled ? " enabled" : " disabled"));
        const velum::Style& look = views[i].enabled ? f.normal : f.disabled;
        EXPECT_EQ(Hex(windowPixel(made[i], 0, 60)), Hex(Ref(look.border))) << "outer edge";
        EXPECT_EQ(Hex(windowPixel(made[i], 1, 60)), Hex(Ref(look.background.from))) << "inner edge";
        EXPECT_EQ(Hex(Pixel(made[i], 60, 100)), Hex(Ref(look.background.from))) << "empty area";
    }
    Velum_Detach();
    Pump(200);
    for (size_t i = 0; i < made.size(); ++i)
        EXPECT_EQ(Hex(windowPixel(made[i], 0, 60)), Hex(unskinned[i])) << "after detach";
}

namespace {

// A client pixel read once it stops changing (controls paint over a few messages).
COLORREF Steady(HWND hwnd, int x, int y)
{
    COLORREF c = Pixel(hwnd, x, y);
    for (int i = 0; i < 5; ++i) {
        Pump(40);
        const COLORREF again = Pixel(hwnd, x, y);
        if (again == c)
            break;
        c = again;
    }
    return c;
}

// The strongest colour of a control's client area against its background, read at the right
// edge: the colour its text is drawn in, where the text's strokes are solid.
COLORREF Ink(HWND hwnd)
{
    RECT r{};
    GetClientRect(hwnd, &r);
    HDC dc = GetDC(hwnd);
    const COLORREF background = GetPixel(dc, r.right - 2, r.bottom / 2);
    COLORREF ink = background;
    int most = 0;
    for (int y = 0; y < r.bottom; ++y) {
        for (int x = 0; x < r.right; ++x) {
            const COLORREF c = GetPixel(dc, x, y);
            const int distance = std::abs(GetRValue(c) - GetRValue(background)) +
                                 std::abs(GetGValue(c) - GetGValue(background)) +
                                 std::abs(GetBValue(c) - GetBValue(background));
            if (distance > most) {
                most = distance;
                ink = c;
            }
        }
    }
    ReleaseDC(hwnd, dc);
    return ink;
}

}  // namespace

// The controls the system's own dialogs are made of draw from the system's colours, which the
// common controls keep from when they were loaded or made: under a dark theme each takes the
// theme's, made before the engine came or under it, and detach gives the system's back.
TEST_F(CommonControls, ControlsThatDrawFromSystemColoursTakeTheThemes)
{
    INITCOMMONCONTROLSEX init{sizeof init, ICC_DATE_CLASSES | ICC_HOTKEY_CLASS | ICC_INTERNET_CLASSES |
                                               ICC_USEREX_CLASSES | ICC_COOL_CLASSES | ICC_LINK_CLASS};
    InitCommonControlsEx(&init);
    const std::wstring file = SkinFolder() + L"\\midnight.vlm";
    const velum::ControlPalette p = PaletteOf(file);
    struct Made {
        const char* what;
        const wchar_t* cls;
        const wchar_t* text;
        DWORD style;
        int w, h;
        POINT probe;  // in the control's client area, where its own background shows
        COLORREF expected;
        bool ink = false;         // the colour of its text is read, not the probe's
        bool beforeOnly = false;  // made before attach only
        bool frame = false;       // the probe is in the window's edge, not its client area
    };
    const Made made[] = {
        {"hot-key", HOTKEY_CLASSW, L"", WS_BORDER, 120, 22, {110, 10}, Ref(p.field.normal.background.from)},
        {"date-time picker", DATETIMEPICK_CLASSW, L"", 0, 150, 24, {110, 12}, Ref(p.field.normal.background.from)},
        {"extended combo box",
         WC_COMBOBOXEXW,
         L"",
         CBS_DROPDOWN,
         150,
         120,
         {100, 10},
         Ref(p.field.normal.background.from)},
        {"extended drop-down list",
         WC_COMBOBOXEXW,
         L"",
         CBS_DROPDOWNLIST,
         150,
         120,
         {4, 10},
         Ref(p.field.normal.background.from)},
        // Around the field, where the system draws the combo box's frame.
        {"extended combo box's frame",
         WC_COMBOBOXEXW,
         L"",
         CBS_DROPDOWN,
         150,
         120,
         {0, 10},
         Ref(p.field.normal.border)},
        {"rich edit", L"RichEdit20W", L"", ES_MULTILINE, 150, 60, {140, 50}, Ref(p.field.normal.background.from)},
        {"month calendar", MONTHCAL_CLASSW, L"", 0, 230, 170, {4, 160}, Ref(p.field.normal.background.from)},
        // Beside the first field, inside the control's edge.
        {"IP address", WC_IPADDRESSW, L"", 0, 150, 24, {4, 12}, Ref(p.field.normal.background.from)},
        // A link keeps the colours it read when it was made: the system's text colour, and its
        // highlight for the links (midnight's hot-light colour is its selection's too).
        {"link's text", WC_LINK, L"Plain text", 0, 150, 24, {}, Ref(p.field.normal.text), true, true},
        {"link", WC_LINK, L"<a>A link</a>", 0, 150, 24, {}, Ref(p.field.selected.background.from), true, true},
        // Beside its text, where it fills with the brush its parent answers.
        {"link's background", WC_LINK, L"<a>A link</a>", 0, 150, 24, {140, 20}, Ref(p.background)},
        // The drop-down button the system draws in its own colours.
        {"date-time picker's button",
         DATETIMEPICK_CLASSW,
         L"",
         0,
         150,
         24,
         {142, 5},
         Ref(p.button.normal.background.from)},
        // The edges the system draws around them.
        {"hot-key's edge",
         HOTKEY_CLASSW,
         L"",
         WS_BORDER,
         120,
         22,
         {0, 10},
         Ref(p.field.normal.border),
         false,
         false,
         true},
        {"date-time picker's edge",
         DATETIMEPICK_CLASSW,
         L"",
         WS_BORDER,
         150,
         24,
         {0, 12},
         Ref(p.field.normal.border),
         false,
         false,
         true},
        {"rich edit's edge",
         L"RichEdit20W",
         L"",
         WS_BORDER | ES_MULTILINE,
         150,
         60,
         {0, 30},
         Ref(p.field.normal.border),
         false,
         false,
         true},
        {"month calendar's edge",
         MONTHCAL_CLASSW,
         L"",
         WS_BORDER,
         230,
         170,
         {0, 80},
         Ref(p.field.normal.border),
         false,
         false,
         true},
    };
    const auto read = [](HWND control, const Made& m) {
        if (m.frame) {
            Pump(100);
            HDC dc = GetWindowDC(control);
            const COLORREF c = GetPixel(dc, m.probe.x, m.probe.y);
            ReleaseDC(control, dc);
            return c;
        }
        if (!m.ink)
            return Steady(control, m.probe.x, m.probe.y);
        Pump(100);
        return Ink(control);
    };
    // Under the engine first: rich edit's DLL then loads while the engine is attached. What
    // each shows after detach is compared with what it showed before the engine came.
    std::vector<COLORREF> unskinned, detached[2];
    for (const bool before : {false, true}) {
        SCOPED_TRACE(before ? "made before attach" : "made under the engine");
        if (!before) {
            // Switched to, from a light theme.
            ASSERT_EQ(Attach(SkinFolder() + L"\\velum.vlm"), VELUM_OK);
            ASSERT_EQ(Attach(file), VELUM_OK);
        }
        LoadLibraryW(L"riched20.dll");
        host_ = CreateWindowExW(0, L"ZtCommonHost", L"System-drawn", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 30, 800, 640,
                                nullptr, nullptr, nullptr, nullptr);
        std::vector<HWND> controls;
        for (const Made& m : made) {
            const int i = static_cast<int>(controls.size());
            controls.push_back(m.beforeOnly && !before
                                   ? nullptr
                                   : CreateWindowExW(0, m.cls, m.text, WS_CHILD | WS_VISIBLE | m.style,
                                                     10 + (i % 3) * 260, 10 + (i / 3) * 100, m.w, m.h, host_, nullptr,
                                                     nullptr, nullptr));
            ASSERT_TRUE(controls.back() != nullptr || (m.beforeOnly && !before)) << m.what;
        }
        SendMessageW(controls[3], CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        COMBOBOXEXITEMW item{};
        item.mask = CBEIF_TEXT;
        item.pszText = const_cast<wchar_t*>(L"Tahoma");
        SendMessageW(controls[2], CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        SendMessageW(controls[2], CB_SETCURSEL, 0, 0);
        Pump(200);
        if (before) {
            for (size_t i = 0; i < controls.size(); ++i)
                unskinned.push_back(read(controls[i], made[i]));
            ASSERT_EQ(Attach(file), VELUM_OK);
            Pump(200);
        }
        for (size_t i = 0; i < controls.size(); ++i) {
            if (controls[i] == nullptr)
                continue;
            InvalidateRect(controls[i], nullptr, TRUE);
            EXPECT_EQ(Hex(read(controls[i], made[i])), Hex(made[i].expected)) << made[i].what;
        }
        Velum_Detach();
        for (size_t i = 0; i < controls.size(); ++i) {
            if (controls[i] != nullptr)
                InvalidateRect(controls[i], nullptr, TRUE);
            detached[before ? 1 : 0].push_back(controls[i] != nullptr ? read(controls[i], made[i]) : CLR_INVALID);
        }
        DestroyWindow(host_);
        host_ = nullptr;
        Pump(50);
    }
    for (size_t i = 0; i < unskinned.size(); ++i) {
        if (!made[i].beforeOnly) {
            EXPECT_EQ(Hex(detached[0][i]), Hex(unskinned[i])) << made[i].what << " made under the engine, after detach";
        }
        EXPECT_EQ(Hex(detached[1][i]), Hex(unskinned[i])) << made[i].what << " made before attach, after detach";
    }
}

namespace {

// A page that answers its statics and links with the system's window brush, as Wine's
// configuration program does on its About page.
LRESULT CALLBACK SystemBrushHostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CTLCOLORSTATIC) {
        SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

// Wine's link deletes the brush its parent answers it with. Whether the engine answers or the
// program answers with a system colour's brush (which cannot be deleted without the engine),
// the controls painted after the link still fill with the theme's colour.
TEST_F(CommonControls, ALinkLeavesTheBrushesItIsAnsweredWith)
{
    INITCOMMONCONTROLSEX init{sizeof init, ICC_LINK_CLASS};
    InitCommonControlsEx(&init);
    kit::RegisterWindowClass(L"ZtSystemBrushHost", SystemBrushHostProc);
    const std::wstring file = SkinFolder() + L"\\midnight.vlm";
    const velum::ControlPalette p = PaletteOf(file);
    ASSERT_EQ(Attach(file), VELUM_OK);
    const struct {
        const char* who;
        const wchar_t* cls;
        COLORREF expected;
    } answers[] = {
        {"the engine answers", L"ZtCommonHost", Ref(p.background)},
        {"the program answers with the window's system brush", L"ZtSystemBrushHost",
         Ref(p.field.normal.background.from)},
    };
    for (const auto& answer : answers) {
        host_ = CreateWindowExW(0, answer.cls, L"Link", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 30, 300, 200, nullptr,
                                nullptr, nullptr, nullptr);
        HWND link = CreateWindowExW(0, WC_LINK, L"<a>A link</a>", WS_CHILD | WS_VISIBLE, 10, 10, 200, 24, host_,
                                    nullptr, nullptr, nullptr);
        HWND text = CreateWindowExW(0, L"STATIC", L"Text", WS_CHILD | WS_VISIBLE, 10, 50, 200, 24, host_, nullptr,
                                    nullptr, nullptr);
        for (int paint = 0; paint < 2; ++paint) {
            RedrawWindow(link, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
            RedrawWindow(text, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        }
        Pump(100);
        EXPECT_EQ(Hex(Pixel(text, 190, 12)), Hex(answer.expected)) << answer.who << ": the static beside it";
        EXPECT_EQ(Hex(Pixel(link, 190, 12)), Hex(answer.expected)) << answer.who << ": the link";
        DestroyWindow(host_);
        host_ = nullptr;
    }
}

// A disabled progress bar fades its filled part into the track, and a disabled trackbar's thumb
// and marks take the disabled look; enabled again, both are as before.
TEST_F(CommonControls, DisabledProgressBarsAndTrackbarsShowTheDisabledLook)
{
    const std::wstring file = SkinFolder() + L"\\midnight.vlm";
    const velum::ControlPalette p = PaletteOf(file);
    ASSERT_EQ(Attach(file), VELUM_OK);
    host_ = CreateWindowExW(0, L"ZtCommonHost", L"Disabled", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 30, 400, 200,
                            nullptr, nullptr, nullptr, nullptr);
    HWND progress = Child(PROGRESS_CLASSW, kProgress, 0, 10, 10, 200, 20);
    SendMessageW(progress, PBM_SETPOS, 50, 0);
    HWND track = Child(TRACKBAR_CLASSW, kTrack, TBS_AUTOTICKS, 10, 50, 200, 32);
    SendMessageW(track, TBM_SETRANGE, TRUE, MAKELPARAM(0, 10));
    SendMessageW(track, TBM_SETPOS, TRUE, 5);
    Pump(200);
    RECT thumb{};
    SendMessageW(track, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    const POINT thumbMiddle{(thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2};
    const velum::Color faded = velum::Mix(p.common.progressBar.background.from, p.common.progress.background.from, 50);
    const struct {
        const char* what;
        HWND window;
        POINT at;
        COLORREF enabled, disabled;
    } probes[] = {
        {"progress bar", progress, {20, 1}, Ref(p.common.progressBar.background.from), Ref(faded)},
        {"trackbar thumb", track, thumbMiddle, Ref(p.scroll.thumb.background.from),
         Ref(p.scroll.arrowDisabled.background.from)},
    };
    for (const bool enabled : {false, true}) {
        EnableWindow(progress, enabled);
        EnableWindow(track, enabled);
        Pump(200);
        for (const auto& probe : probes)
            EXPECT_EQ(Hex(Steady(probe.window, probe.at.x, probe.at.y)), Hex(enabled ? probe.enabled : probe.disabled))
                << probe.what << (enabled ? " enabled again" : " disabled");
    }
}

// Edges drawn with DrawEdge (a rebar's band lines, a header's, a program's own) take the theme's
// 3-D colours on the skinned thread, each part of the edge the one the system would use, and so
// do the etched lines and frames the system's static control draws between a dialog's groups;
// detach gives the system's back.
TEST_F(CommonControls, EdgesTakeTheThemesThreeDColours)
{
    const std::wstring file = SkinFolder() + L"\\midnight.vlm";
    auto parsed = velum::LoadThemeFile(std::filesystem::path(file), "");
    ASSERT_TRUE(parsed.theme);
    const velum::SystemColourTable table =
        velum::ThemeSystemColours(*parsed.theme, velum::DeriveControlPalette(*parsed.theme));
    host_ = CreateWindowExW(0, L"ZtCommonHost", L"Edges", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 30, 300, 200, nullptr,
                            nullptr, nullptr, nullptr);
    HWND etched = CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE | SS_ETCHEDFRAME, 20, 80, 100, 40, host_,
                                  nullptr, nullptr, nullptr);
    Pump(150);
    const RECT box{20, 20, 120, 60};
    const auto draw = [&] {
        HDC dc = GetDC(host_);
        RECT r = box;
        DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_MIDDLE);
        ReleaseDC(host_, dc);
        RedrawWindow(etched, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    };
    const struct {
        const char* what;
        POINT at;
        int index;
    } parts[] = {
        {"outer light", {20, 30}, COLOR_3DLIGHT},
        {"inner light", {21, 30}, COLOR_BTNHIGHLIGHT},
        {"inner shadow", {118, 30}, COLOR_BTNSHADOW},
        {"outer shadow", {119, 30}, COLOR_3DDKSHADOW},
        {"middle", {70, 40}, COLOR_BTNFACE},
        {"etched frame's outer line", {20, 100}, COLOR_BTNSHADOW},
        {"etched frame's inner line", {21, 100}, COLOR_BTNHIGHLIGHT},
    };
    ASSERT_EQ(Attach(file), VELUM_OK);
    Pump(100);
    draw();
    for (const auto& part : parts)
        EXPECT_EQ(Hex(Pixel(host_, part.at.x, part.at.y)), Hex(Ref(*table[static_cast<std::size_t>(part.index)])))
            << part.what;
    Velum_Detach();
    Pump(100);
    draw();
    for (const auto& part : parts)
        EXPECT_EQ(Hex(Pixel(host_, part.at.x, part.at.y)), Hex(SystemColour(part.index)))
            << part.what << " after detach";
}

namespace {

// What the Font dialog's colour list shows, and the track of its font list's scroll bar (the
// list of a simple combo box whose items the dialog draws), read once the dialog is up, and the
// dialog closed.
COLORREF fontColourField = CLR_INVALID;
COLORREF fontListTrack = CLR_INVALID;

COLORREF ScrollTrackPixel(HWND list)
{
    SCROLLBARINFO bar{};
    bar.cbSize = sizeof bar;
    RECT window{};
    if (!GetScrollBarInfo(list, OBJID_VSCROLL, &bar) || !GetWindowRect(list, &window))
        return CLR_INVALID;
    // The track between the arrows, above or below the thumb, wherever there is room.
    const int arrow = bar.dxyLineButton;
    const int length = bar.rcScrollBar.bottom - bar.rcScrollBar.top;
    const int y = bar.xyThumbTop - arrow > 4 ? arrow + 2 : length - arrow - 3;
    HDC dc = GetWindowDC(list);
    const COLORREF c = GetPixel(dc, (bar.rcScrollBar.left + bar.rcScrollBar.right) / 2 - window.left,
                                bar.rcScrollBar.top - window.top + y);
    ReleaseDC(list, dc);
    return c;
}

UINT_PTR CALLBACK ReadFontDialog(HWND dialog, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG)
        SetTimer(dialog, 1, 400, nullptr);
    if (message == WM_TIMER) {
        KillTimer(dialog, 1);
        HWND colours = GetDlgItem(dialog, cmb4);
        RECT r{};
        GetClientRect(colours, &r);
        fontColourField = Pixel(colours, r.right - 2 * GetSystemMetrics(SM_CXVSCROLL), r.bottom / 2);
        COMBOBOXINFO fonts{};
        fonts.cbSize = sizeof fonts;
        if (GetComboBoxInfo(GetDlgItem(dialog, cmb1), &fonts))
            fontListTrack = ScrollTrackPixel(fonts.hwndList);
        EndDialog(dialog, IDCANCEL);
    }
    return 0;
}

}  // namespace

// The lists a system dialog draws itself, such as the Font dialog's colour list, stand on the
// theme's field colours like every other list; a program's own owner-drawn lists keep theirs.
TEST_F(CommonControls, ListsASystemDialogDrawsItselfTakeTheFieldColours)
{
    const std::wstring file = SkinFolder() + L"\\midnight.vlm";
    ASSERT_EQ(Attach(file), VELUM_OK);
    host_ = CreateWindowExW(0, L"ZtCommonHost", L"Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 30, 300, 200, nullptr,
                            nullptr, nullptr, nullptr);
    LOGFONTW font{};
    lstrcpyW(font.lfFaceName, L"Tahoma");
    CHOOSEFONTW choose{};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = host_;
    choose.lpLogFont = &font;
    choose.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT | CF_ENABLEHOOK;
    choose.lpfnHook = ReadFontDialog;
    ChooseFontW(&choose);
    EXPECT_EQ(Hex(fontColourField), Hex(Ref(PaletteOf(file).field.normal.background.from)));
    EXPECT_EQ(Hex(fontListTrack), Hex(Ref(PaletteOf(file).scroll.track.background.from))) << "font list's scroll bar";
}

namespace {

// Every pixel of a window, through its window DC.
std::vector<COLORREF> Picture(HWND hwnd)
{
    RECT r{};
    GetWindowRect(hwnd, &r);
    std::vector<COLORREF> pixels;
    HDC dc = GetWindowDC(hwnd);
    for (int y = 0; y < r.bottom - r.top; ++y)
        for (int x = 0; x < r.right - r.left; ++x)
            pixels.push_back(GetPixel(dc, x, y));
    ReleaseDC(hwnd, dc);
    return pixels;
}

velum::Color Colour(COLORREF c)
{
    return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

}  // namespace

// Each control the engine draws that takes the keyboard shows where the focus is, in every
// shipped theme: the pixels that change when it takes the focus stand out 3:1 from what was
// there (WCAG's figure for focus indicators), enough of them to be seen.
TEST(FocusIndicators, EveryFocusableControlShowsItsFocusInEveryTheme)
{
    INITCOMMONCONTROLSEX init{sizeof init, ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&init);
    kit::RegisterWindowClass(L"ZtFocusHost", DefWindowProcW);
    HWND host = CreateWindowExW(0, L"ZtFocusHost", L"Focus", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 30, 560, 420,
                                nullptr, nullptr, nullptr, nullptr);
    const auto child = [host](const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h) {
        return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, x, y, w, h, host, nullptr,
                               nullptr, nullptr);
    };
    HWND away = child(L"BUTTON", L"别处", BS_PUSHBUTTON, 450, 340, 80, 26);
    const struct {
        const char* what;
        HWND hwnd;
    } controls[] = {
        {"push button", child(L"BUTTON", L"确定", BS_PUSHBUTTON, 10, 10, 90, 28)},
        {"check box", child(L"BUTTON", L"选项", BS_AUTOCHECKBOX, 110, 10, 90, 24)},
        {"radio button", child(L"BUTTON", L"单选", BS_AUTORADIOBUTTON, 210, 10, 90, 24)},
        {"edit", child(L"EDIT", L"文字", ES_AUTOHSCROLL | WS_BORDER, 310, 10, 120, 24)},
        {"list box", child(L"LISTBOX", L"", LBS_NOTIFY | WS_BORDER, 10, 50, 120, 80)},
        {"combo box", child(L"COMBOBOX", L"", CBS_DROPDOWNLIST, 140, 50, 120, 200)},
        {"tab control", child(WC_TABCONTROLW, L"", 0, 270, 50, 200, 80)},
        {"list view", child(WC_LISTVIEWW, L"", LVS_LIST | WS_BORDER, 10, 150, 160, 80)},
        {"tree view", child(WC_TREEVIEWW, L"", WS_BORDER, 180, 150, 160, 80)},
        {"trackbar", child(TRACKBAR_CLASSW, L"", 0, 350, 150, 160, 40)},
    };
    SendMessageW(controls[4].hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"第一项"));
    SendMessageW(controls[5].hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"第一项"));
    SendMessageW(controls[5].hwnd, CB_SETCURSEL, 0, 0);
    for (const wchar_t* name : {L"第一页", L"第二页"}) {
        TCITEMW tab{};
        tab.mask = TCIF_TEXT;
        tab.pszText = const_cast<wchar_t*>(name);
        SendMessageW(controls[6].hwnd, TCM_INSERTITEMW, 9, reinterpret_cast<LPARAM>(&tab));
    }
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_STATE;
    item.pszText = const_cast<wchar_t*>(L"第一项");
    item.state = item.stateMask = LVIS_FOCUSED;
    SendMessageW(controls[7].hwnd, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    TVINSERTSTRUCTW node{};
    node.hInsertAfter = TVI_LAST;
    node.item.mask = TVIF_TEXT;
    node.item.pszText = const_cast<wchar_t*>(L"第一项");
    HTREEITEM first = reinterpret_cast<HTREEITEM>(
        SendMessageW(controls[8].hwnd, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&node)));
    SendMessageW(controls[8].hwnd, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(first));
    SetForegroundWindow(host);
    for (const std::wstring& theme : kit::ShippedThemes()) {
        SCOPED_TRACE(harness::Utf8(theme));
        ASSERT_EQ(kit::Attach(kit::SkinFolder() + L"\\" + theme), VELUM_OK);
        for (const auto& c : controls) {
            SCOPED_TRACE(c.what);
            SetFocus(away);
            kit::Pump(60);
            const std::vector<COLORREF> without = Picture(c.hwnd);
            SetFocus(c.hwnd);
            kit::Pump(60);
            const std::vector<COLORREF> with = Picture(c.hwnd);
            ASSERT_EQ(with.size(), without.size());
            int changed = 0, standOut = 0;
            for (size_t i = 0; i < with.size(); ++i) {
                if (with[i] == without[i])
                    continue;
                ++changed;
                standOut += velum::ContrastRatio(Colour(with[i]), Colour(without[i])) >= 3.0;
            }
            EXPECT_GE(standOut, 8) << changed << " pixels changed with the focus";
        }
    }
    Velum_Detach();
    DestroyWindow(host);
    kit::Pump(50);
}

namespace {

WNDPROC ipAddressProc = nullptr;

// An IP address control that ignores the DC WM_PAINT hands it and paints through BeginPaint,
// filling with the system's window brush, as a control other than Wine's may.
LRESULT CALLBACK IgnoresGivenDc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_PAINT)
        return CallWindowProcW(ipAddressProc, hwnd, message, wParam, lParam);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    HGDIOBJ old = SelectObject(dc, GetSysColorBrush(COLOR_WINDOW));
    CallWindowProcW(ipAddressProc, hwnd, WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    SelectObject(dc, old);
    EndPaint(hwnd, &ps);
    return 0;
}

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM lParam)
{
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hwnd);
    return TRUE;
}

}  // namespace

// The IP address control shows its dots and the gaps between its fields in the theme's
// colours whether it paints into the DC WM_PAINT hands it (Wine's) or ignores it.
TEST_F(CommonControls, AnIpAddressControlDrawsItsDotsWhetherItTakesTheDcItIsHanded)
{
    INITCOMMONCONTROLSEX init{sizeof init, ICC_INTERNET_CLASSES};
    InitCommonControlsEx(&init);
    const std::wstring file = SkinFolder() + L"\\midnight.vlm";
    const velum::ControlPalette p = PaletteOf(file);
    const struct {
        const char* what;
        bool ignoresDc;
    } paths[] = {{"takes the DC", false}, {"ignores the DC", true}};
    for (const auto& path : paths) {
        SCOPED_TRACE(path.what);
        host_ = CreateWindowExW(0, L"ZtCommonHost", L"IP address", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 30, 300, 150,
                                nullptr, nullptr, nullptr, nullptr);
        HWND ip = CreateWindowExW(0, WC_IPADDRESSW, L"", WS_CHILD | WS_VISIBLE, 10, 10, 200, 24, host_, nullptr,
                                  nullptr, nullptr);
        ASSERT_NE(ip, nullptr);
        if (path.ignoresDc)
            ipAddressProc = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrW(ip, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(IgnoresGivenDc)));
        ASSERT_EQ(Attach(file), VELUM_OK);
        for (int paint = 0; paint < 2; ++paint) {
            RedrawWindow(ip, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            Pump(100);
        }
        std::vector<HWND> fields;
        EnumChildWindows(ip, CollectChild, reinterpret_cast<LPARAM>(&fields));
        ASSERT_EQ(fields.size(), 4u);
        std::vector<RECT> at;
        for (HWND field : fields) {
            RECT r{};
            GetWindowRect(field, &r);
            MapWindowPoints(nullptr, ip, reinterpret_cast<POINT*>(&r), 2);
            at.push_back(r);
        }
        std::sort(at.begin(), at.end(), [](const RECT& a, const RECT& b) { return a.left < b.left; });
        for (size_t i = 0; i + 1 < at.size(); ++i) {
            const RECT gap{at[i].right, at[i].top, at[i + 1].left, at[i].bottom};
            ASSERT_FALSE(IsRectEmpty(&gap)) << "gap " << i;
            EXPECT_TRUE(AnyPixel(ip, gap, Ref(p.field.normal.text))) << "the dot after field " << i;
            EXPECT_EQ(Hex(Pixel(ip, gap.left, gap.top)), Hex(Ref(p.field.normal.background.from)))
                << "the gap after field " << i;
        }
        Velum_Detach();
        DestroyWindow(host_);
        host_ = nullptr;
        Pump(50);
    }
}

// A link's links are drawn in the theme's hot-light colour, the system's colour for links,
// whether it was made before the engine came or under it.
TEST_F(CommonControls, ALinkIsDrawnInTheThemesHotLightColour)
{
    INITCOMMONCONTROLSEX init{sizeof init, ICC_LINK_CLASS};
    InitCommonControlsEx(&init);
    // A theme whose hot-light colour is not its highlight.
    const std::wstring file = SkinFolder() + L"\\jade.vlm";
    auto parsed = velum::LoadThemeFile(std::filesystem::path(file), "");
    ASSERT_TRUE(parsed.theme);
    const velum::SystemColourTable answers =
        velum::ThemeSystemColours(*parsed.theme, velum::DeriveControlPalette(*parsed.theme));
    const COLORREF hotLight = Ref(*answers[velum::kHotLight]);
    ASSERT_NE(Hex(hotLight), Hex(Ref(*answers[velum::kHighlight])));
    for (const bool before : {true, false}) {
        SCOPED_TRACE(before ? "made before attach" : "made under the engine");
        if (!before) {
            ASSERT_EQ(Attach(file), VELUM_OK);
        }
        host_ = CreateWindowExW(0, L"ZtCommonHost", L"Link", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 30, 300, 150,
                                nullptr, nullptr, nullptr, nullptr);
        HWND link = CreateWindowExW(0, WC_LINK, L"<a>A link</a>", WS_CHILD | WS_VISIBLE, 10, 10, 200, 24, host_,
                                    nullptr, nullptr, nullptr);
        if (before) {
            ASSERT_EQ(Attach(file), VELUM_OK);
        }
        ASSERT_EQ(Hex(GetSysColor(COLOR_HOTLIGHT)), Hex(hotLight)) << "the engine's answer";
        RedrawWindow(link, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        Pump(100);
        EXPECT_EQ(Hex(Ink(link)), Hex(hotLight));
        Velum_Detach();
        DestroyWindow(host_);
        host_ = nullptr;
        Pump(50);
    }
}
