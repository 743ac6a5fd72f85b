// Common controls under the engine: list views, tree views, progress bars, status bars, list-view
// headers and tooltips in each shipped theme's colours; the colours a program chose itself,
// before or after the engine came; and what Velum_Detach gives back.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ControlTestKit.h"

namespace {

using namespace kit;

enum Id { kList = 1, kTree, kProgress, kStatus, kOwnList, kOwnProgress };

constexpr COLORREF kProgramBlue = RGB(20, 40, 200);

// A window of every common control the engine colours, and a list and a progress bar whose
// colours the program set itself.
class CommonControls : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        INITCOMMONCONTROLSEX init{sizeof init, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&init);
        WNDCLASSW host{};
        host.lpfnWndProc = DefWindowProcW;
        host.hInstance = GetModuleHandleW(nullptr);
        host.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        host.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        host.lpszClassName = L"ZtCommonHost";
        RegisterClassW(&host);
    }

    void SetUp() override { SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2); }
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
        host_ = CreateWindowExW(0, L"ZtCommonHost", L"Common", WS_OVERLAPPEDWINDOW, 30, 30, 560, 360, nullptr,
                                nullptr, nullptr, nullptr);
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
        tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, host_,
                                   nullptr, nullptr, nullptr);
        ShowWindow(host_, SW_SHOW);
        SetForegroundWindow(host_);
        Pump(300);
    }

    HWND Control(Id id) const { return GetDlgItem(host_, id); }
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
        RECT status{}, header{};
        GetClientRect(Control(kStatus), &status);
        GetClientRect(Header(), &header);
        return {
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

TEST_F(CommonControls, EveryShippedThemeColoursEachControlAndLeavesTheProgramsOwnColours)
{
    ReadOwnBarUnskinned();
    for (const std::wstring& name : ShippedThemes()) {
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
    const COLORREF systemBack = GetSysColor(COLOR_WINDOW);
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
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2);
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
