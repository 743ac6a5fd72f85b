// Menus under the engine: the bar's items hot, clicked and wrapped, popups with submenu arrows
// and default items, a maximised MDI child's items on the bar, the system menu, shortcut texts,
// access keys and accelerators.
#include "EngineTestKit.h"

using namespace enginetest;

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

// Where the system says a bar item is (GetMenuItemRect, which assistive tools and programs
// ask) the item is drawn: the pointer at its centre makes that item hot, edge to edge. Checked
// after attaching, after the program changes its bar and after a switch.
TEST(Engine, BarItemRectanglesAreWhereTheItemsAreDrawn)
{
    UiThread ui;
    HWND hwnd = ui.Window();
    const std::function<int()> steps[] = {
        [&] { return ui.AttachEx(SkinFile(L"midnight.vlm")); },
        [&] {
            return ui.Call([hwnd] {
                HMENU bar = GetMenu(hwnd);
                InsertMenuW(bar, 0, MF_BYPOSITION | MF_STRING, 301, L"文件(&F)");
                ModifyMenuW(bar, 1, MF_BYPOSITION | MF_STRING | MF_POPUP,
                            reinterpret_cast<UINT_PTR>(GetSubMenu(bar, 1)), L"一个更长的主题菜单(&T)");
                DrawMenuBar(hwnd);
                return VELUM_OK;
            });
        },
        [&] { return ui.AttachEx(SkinFile(L"ocean.vlm")); },
    };
    const char* names[] = {"attached", "bar changed", "switched"};
    const wchar_t* themes[] = {L"midnight.vlm", L"midnight.vlm", L"ocean.vlm"};
    for (int step = 0; step < 3; ++step) {
        SCOPED_TRACE(names[step]);
        ASSERT_EQ(steps[step](), VELUM_OK);
        const velum::Fill hot = LoadExpected(SkinFile(themes[step])).menuBarHot.background;
        ui.Activate();
        RECT w{};
        GetWindowRect(hwnd, &w);
        HMENU bar = GetMenu(hwnd);
        for (int i = 0, n = GetMenuItemCount(bar); i < n; ++i) {
            RECT r{};
            ASSERT_TRUE(GetMenuItemRect(hwnd, bar, static_cast<UINT>(i), &r));
            SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
            OffsetRect(&r, -w.left, -w.top);
            // The item's own background, away from its text, at both ends of the rectangle.
            for (const RECT end : {RECT{r.left + 1, r.top + 3, r.left + 3, r.bottom - 3},
                                   RECT{r.right - 3, r.top + 3, r.right - 1, r.bottom - 3}}) {
                const int area = (end.right - end.left) * (end.bottom - end.top);
                EXPECT_EQ(FillPixels(hwnd, end, hot, [area](int c) { return c == area; }), area) << "item " << i;
            }
        }
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2);
    }
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

// A window that draws its menu items itself, light, as a class library's menus do.
LRESULT CALLBACK DrawsOwnItemsProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_MEASUREITEM) {
        auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        mis->itemWidth = 140;
        mis->itemHeight = 22;
        return TRUE;
    }
    if (message == WM_DRAWITEM) {
        const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        HBRUSH face = CreateSolidBrush((dis->itemState & ODS_SELECTED) ? RGB(200, 220, 250) : RGB(250, 250, 240));
        FillRect(dis->hDC, &dis->rcItem, face);
        DeleteObject(face);
        return TRUE;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// A popup whose items the program draws itself keeps the system's face and border around them,
// pixel for pixel as without the engine, rather than the theme's dark ones around light items.
TEST(Engine, APopupWhoseItemsTheProgramDrawsKeepsTheSystemsLook)
{
    UiThread ui;
    HWND owner = nullptr;
    ui.Call([&] {
        owner = MakeClassWindow(L"VelumDrawsOwnItems", DrawsOwnItemsProc, L"owner", {300, 60, 600, 260});
        return 0;
    });
    HMENU popup = CreatePopupMenu();
    for (UINT id = 401; id < 404; ++id)
        AppendMenuW(popup, MF_OWNERDRAW, id, reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(id)));
    const auto look = [&] {
        ui.Call([&] { return SetForegroundWindow(owner); });
        std::thread opener([&] {
            ui.Call([&] { return TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_TOPALIGN, 320, 120, 0, owner, nullptr); });
        });
        HWND menuWindow = WaitForPopup(true);
        Sleep(300);
        std::vector<COLORREF> pixels = menuWindow != nullptr ? WindowPixels(menuWindow) : std::vector<COLORREF>{};
        Press(VK_ESCAPE);
        opener.join();
        return pixels;
    };
    const std::vector<COLORREF> unskinned = look();
    ASSERT_FALSE(unskinned.empty()) << "no popup opened";
    ASSERT_EQ(ui.AttachEx(SkinFile(L"midnight.vlm")), VELUM_OK);
    const std::vector<COLORREF> skinned = look();
    ASSERT_EQ(skinned.size(), unskinned.size());
    EXPECT_EQ(FirstDifference(skinned, unskinned), static_cast<std::ptrdiff_t>(skinned.size()))
        << "first differing pixel of the popup, row by row";
    ui.Call([&] { return DestroyWindow(owner); });
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
    // The command is in the bar's first menu, which the program was asked to update: the bar
    // item shows no open menu, and Escape changes nothing.
    Press(VK_ESCAPE);
    Sleep(200);
    const auto& m = t.metrics;
    const int f = std::max(1, m.frameWidth);
    const RECT item{f + 4, f + m.captionHeight + 2, f + 30, f + m.captionHeight + m.menuBarHeight - 2};
    EXPECT_EQ(FillPixels(ui.Window(), item, t.menuBarHot.background, [](int n) { return n == 0; }), 0)
        << "the bar item looks open after its accelerator";
    ui.Call([] {
        DestroyAcceleratorTable(accelerators);
        accelerators = nullptr;
        return 0;
    });
}

// MDI children wear the theme's frame: the active child's caption in the active colours and
// the other's in the inactive ones, swapped by a click on the other's caption; a maximised
// child keeps the frame the system placed outside the MDI client; detach gives the system's
// frames back.
TEST(Engine, MdiChildrenWearTheThemesFrame)
{
    UiThread ui;
    MdiFrame mdi;
    HWND second = nullptr;
    ui.Call([&] {
        mdi.Make();
        SendMessageW(mdi.client, WM_MDIRESTORE, reinterpret_cast<WPARAM>(mdi.child), 0);
        MoveWindow(mdi.child, 10, 10, 250, 180, TRUE);
        mdi.MakeChild();
        second = mdi.child;
        SendMessageW(mdi.client, WM_MDIRESTORE, reinterpret_cast<WPARAM>(second), 0);
        MoveWindow(second, 280, 10, 250, 180, TRUE);
        return 0;
    });
    HWND first = GetWindow(second, GW_HWNDNEXT);
    ui.Call([&] { return static_cast<int>(SetForegroundWindow(mdi.frame)); });
    Sleep(300);
    const std::wstring file = SkinFile(L"midnight.vlm");
    const velum::Theme t = LoadExpected(file);
    const int f = std::max(1, t.metrics.frameWidth);
    const auto caption = [&](HWND child) { return WindowPixel(child, 125, f + t.metrics.captionHeight / 2 + 4); };
    const COLORREF unskinnedActive = caption(second), unskinnedInactive = caption(first);
    ASSERT_EQ(ui.AttachEx(file), VELUM_OK);
    Sleep(300);
    // Window handles fit in 32 bits on both architectures.
    const auto active = [&] {
        return reinterpret_cast<HWND>(static_cast<INT_PTR>(
            ui.Call([&] { return static_cast<int>(SendMessageW(mdi.client, WM_MDIGETACTIVE, 0, 0)); })));
    };
    ASSERT_EQ(active(), second);
    EXPECT_TRUE(InFill(caption(second), t.caption.background)) << "active child";
    EXPECT_TRUE(InFill(caption(first), t.captionInactive.background)) << "inactive child";
    RECT r{};
    GetWindowRect(first, &r);
    Click(r.left + 60, r.top + f + t.metrics.captionHeight / 2);
    Sleep(300);
    EXPECT_EQ(active(), first) << "a click on its caption activates it";
    EXPECT_TRUE(InFill(caption(first), t.caption.background)) << "the child clicked";
    EXPECT_TRUE(InFill(caption(second), t.captionInactive.background)) << "the child left";
    ui.Call(
        [&] { return static_cast<int>(SendMessageW(mdi.client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(first), 0)); });
    Sleep(200);
    POINT origin{0, 0};
    ClientToScreen(first, &origin);
    POINT clientOrigin{0, 0};
    ClientToScreen(mdi.client, &clientOrigin);
    EXPECT_EQ(origin.y, clientOrigin.y) << "a maximised child's client area fills the MDI client";
    ui.Call(
        [&] { return static_cast<int>(SendMessageW(mdi.client, WM_MDIRESTORE, reinterpret_cast<WPARAM>(first), 0)); });
    ui.Call([] { return Velum_Detach(); });
    Sleep(300);
    // The child clicked is the active one now.
    EXPECT_EQ(Hex(caption(first)), Hex(unskinnedActive)) << "after detach";
    EXPECT_EQ(Hex(caption(second)), Hex(unskinnedInactive)) << "after detach";
    ui.Call([&] { return static_cast<int>(DestroyWindow(mdi.frame)); });
}

namespace {

// Windows' default keeps each window's keyboard-cue state (WM_QUERYUISTATE, changed by
// WM_CHANGEUISTATE and WM_UPDATEUISTATE); Wine's answers that cues always show. The test's
// window keeps the state as Windows' default does.
WNDPROC uiStateDefault = nullptr;
UINT uiState = 0;

LRESULT CALLBACK KeepsUiState(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto apply = [wParam] {
        if (LOWORD(wParam) == UIS_SET)
            uiState |= HIWORD(wParam);
        else if (LOWORD(wParam) == UIS_CLEAR)
            uiState &= ~static_cast<UINT>(HIWORD(wParam));
    };
    switch (message) {
    case WM_QUERYUISTATE: return uiState;
    case WM_CHANGEUISTATE: return SendMessageW(hwnd, WM_UPDATEUISTATE, wParam, 0);
    case WM_UPDATEUISTATE: apply(); return 0;
    default: return CallWindowProcW(uiStateDefault, hwnd, message, wParam, lParam);
    }
}

}  // namespace

// Access keys are underlined as Windows underlines them in its own menus: not while the window
// hides keyboard cues (as a window started with the mouse does), from the moment Alt opens the
// menus, and always when the user asked to see keyboard cues. In the bar and in a popup.
TEST(Engine, AccessKeysAreUnderlinedOnceTheKeyboardAsksForThem)
{
    UiThread ui;
    HWND hwnd = ui.Window();
    BOOL cues = FALSE;
    SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &cues, 0);
    SystemParametersInfoW(SPI_SETKEYBOARDCUES, 0, reinterpret_cast<PVOID>(FALSE), 0);
    uiState = UISF_HIDEACCEL | UISF_HIDEFOCUS;
    ui.Call([hwnd] {
        uiStateDefault =
            reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(KeepsUiState)));
        return 0;
    });
    ASSERT_EQ(ui.AttachEx(SkinFile(L"midnight.vlm")), VELUM_OK);
    ui.Activate();
    // The bar's second item, never the one Alt highlights, as a picture.
    const auto barItem = [&] {
        Sleep(300);
        RECT r{}, w{};
        GetMenuItemRect(hwnd, GetMenu(hwnd), 1, &r);
        GetWindowRect(hwnd, &w);
        std::vector<COLORREF> picture;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left + 2; x < r.right - 2; ++x)
                picture.push_back(WindowPixel(hwnd, x - w.left, y - w.top));
        return picture;
    };
    // A popup's item with an access key and one without, which look alike when the key is hidden.
    const auto popupUnderlines = [&] {
        HMENU popup = CreatePopupMenu();
        AppendMenuW(popup, MF_STRING, 501, L"打开(&O)");
        AppendMenuW(popup, MF_STRING, 502, L"打开(O)");
        std::thread opener = TrackPopupOnUiThread(ui, popup);
        HWND menuWindow = WaitForPopup(true);
        Sleep(400);
        RECT p{};
        GetWindowRect(menuWindow, &p);
        std::vector<COLORREF> items[2];
        for (int i = 0; i < 2; ++i) {
            RECT r{};
            GetMenuItemRect(nullptr, popup, static_cast<UINT>(i), &r);
            OffsetRect(&r, -p.left, -p.top);
            for (int y = r.top; y < r.bottom; ++y)
                for (int x = r.left; x < r.right; ++x)
                    items[i].push_back(WindowPixel(menuWindow, x, y));
        }
        Press(VK_ESCAPE);
        opener.join();
        DestroyMenu(popup);
        return items[0] != items[1];
    };
    const std::vector<COLORREF> hidden = barItem();
    EXPECT_FALSE(popupUnderlines()) << "a popup opened with the mouse while cues are hidden";
    Press(VK_MENU);  // the menus opened from the keyboard, then left
    Press(VK_MENU);
    const std::vector<COLORREF> shown = barItem();
    EXPECT_NE(shown, hidden) << "the bar after Alt";
    EXPECT_TRUE(popupUnderlines()) << "a popup after Alt";

    SystemParametersInfoW(SPI_SETKEYBOARDCUES, 0, reinterpret_cast<PVOID>(TRUE), 0);
    uiState = UISF_HIDEACCEL;
    RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(barItem(), shown) << "the bar when the user always sees keyboard cues";
    EXPECT_TRUE(popupUnderlines()) << "a popup when the user always sees keyboard cues";
    SystemParametersInfoW(SPI_SETKEYBOARDCUES, 0, reinterpret_cast<PVOID>(static_cast<INT_PTR>(cues)), 0);
}
