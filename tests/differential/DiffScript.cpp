// The script a person would follow with the test program, and the record of what the program
// saw at each step. Input goes through X as a person's does: each request is one xdotool
// command line, written to the input folder for the run's input server (run.sh) to carry out.
//
// Only what the program can observe is logged: commands, show states, client sizes where the
// program chose them, outer rectangles where it chose those, control rectangles and its own
// colours. Frame sizes and where the frame draws things are the theme's business, so points to
// click are found through the window itself (menu item rectangles, hit tests).
#include "DiffApp.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace {

std::wstring g_inputFolder;
int g_request;

// ---- Input through X ----

void Input(const std::string& line)
{
    const std::wstring name = g_inputFolder + L"\\req." + std::to_wstring(g_request);
    const std::wstring temporary = name + L".tmp";
    if (FILE* file = _wfopen(temporary.c_str(), L"wb")) {
        std::fprintf(file, "%s\n", line.c_str());
        std::fclose(file);
    }
    MoveFileW(temporary.c_str(), name.c_str());
    const std::wstring ack = g_inputFolder + L"\\ack." + std::to_wstring(g_request);
    ++g_request;
    for (int i = 0; i < 1000 && GetFileAttributesW(ack.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(10);
    Sleep(40);
}

// Two presses close together in time and place make a double click, which a person clicking
// two things in turn does not mean: wait out the double-click time when a press would be one.
POINT g_lastPress{-100, -100};
DWORD g_lastPressTime;

void BeforePress(POINT p)
{
    const DWORD since = GetTickCount() - g_lastPressTime;
    const DWORD limit = GetDoubleClickTime() + 50;
    if (std::abs(p.x - g_lastPress.x) <= 4 && std::abs(p.y - g_lastPress.y) <= 4 && since < limit)
        Sleep(limit - since);
    g_lastPress = p;
    g_lastPressTime = GetTickCount();
}

void Click(POINT p, int button = 1)
{
    BeforePress(p);
    Input(Format("mousemove %ld %ld click %d", p.x, p.y, button));
}

void Press(POINT p)
{
    BeforePress(p);
    Input(Format("mousemove %ld %ld mousedown 1", p.x, p.y));
}
void Key(const char* keys)
{
    Input(Format("key %s", keys));
}
void Type(const char* text)
{
    Input(Format("type %s", text));
}
void Focus(const char* title)
{
    Input(Format("focus %s", title));
}

// A scroll bar tells its owner a gesture ended only once the button's release reaches it.
void WaitForRelease()
{
    const DWORD ui = GetWindowThreadProcessId(MainWindow(), nullptr);
    for (int i = 0; i < 200; ++i) {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        if (GetGUIThreadInfo(ui, &info) && !info.hwndCapture)
            break;
        Sleep(20);
    }
    // The release is handled whole before the program takes the next message sent to it.
    OnUiThread(MainWindow(), [] {});
}

template <class Predicate>
bool WaitUntil(Predicate ready, const char* what)
{
    for (int i = 0; i < 200; ++i) {
        if (ready()) {
            if (i > 25)
                std::fprintf(stderr, "slow: %d ms until %s\n", i * 20, what);
            return true;
        }
        Sleep(20);
    }
    Log(Format("timeout: %s", what));
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(MainWindow(), nullptr), &info);
    std::fprintf(stderr,
                 "at the timeout on \"%s\": active %p focus %p capture %p menuowner %p flags %lx fg %p main %p\n", what,
                 static_cast<void*>(info.hwndActive), static_cast<void*>(info.hwndFocus),
                 static_cast<void*>(info.hwndCapture), static_cast<void*>(info.hwndMenuOwner), info.flags,
                 static_cast<void*>(GetForegroundWindow()), static_cast<void*>(MainWindow()));
    return false;
}

// ---- What the program can see ----

// When a window closes, Wine may hand activation to another window of the program than the
// one a person would go back to; a person clicks it first, the script makes sure.
void Activate(HWND window, const char* title);

std::string ClassOf(HWND window)
{
    wchar_t name[64] = {};
    RealGetWindowClassW(window, name, 64);
    std::string out;
    for (const wchar_t* c = name; *c; ++c)
        out += static_cast<char>(*c);
    return out;
}

// A named CALLBACK: x86 needs the system's calling convention, which a lambda lacks.
BOOL CALLBACK CollectPopup(HWND window, LPARAM list)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId() && IsWindowVisible(window) && ClassOf(window) == "#32768")
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

std::vector<HWND> OpenPopups()
{
    std::vector<HWND> popups;
    EnumWindows(CollectPopup, reinterpret_cast<LPARAM>(&popups));
    return popups;
}

size_t PopupCount()
{
    return OpenPopups().size();
}

HWND FindShown(const wchar_t* title)
{
    HWND window = FindWindowW(nullptr, title);
    return window && IsWindowVisible(window) ? window : nullptr;
}

POINT Centre(const RECT& r)
{
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

SIZE ClientSize(HWND window)
{
    RECT r{};
    GetClientRect(window, &r);
    return {r.right, r.bottom};
}

void LogClient(HWND window, const char* name)
{
    const SIZE size = ClientSize(window);
    Log(Format("%s client %ldx%ld", name, size.cx, size.cy));
}

void LogOuter(HWND window, const char* name)
{
    RECT r{};
    GetWindowRect(window, &r);
    Log(Format("%s outer %ld,%ld %ldx%ld", name, r.left, r.top, r.right - r.left, r.bottom - r.top));
}

bool CoversWorkArea(HWND window)
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    RECT r{};
    GetWindowRect(window, &r);
    const RECT& work = monitor.rcWork;
    return r.left <= work.left && r.top <= work.top && r.right >= work.right && r.bottom >= work.bottom;
}

void LogState(HWND window, const char* name)
{
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(window, &placement);
    Log(Format("%s visible %d iconic %d zoomed %d show %u normal at %ld,%ld", name, IsWindowVisible(window) ? 1 : 0,
               IsIconic(window) ? 1 : 0, IsZoomed(window) ? 1 : 0, placement.showCmd, placement.rcNormalPosition.left,
               placement.rcNormalPosition.top));
    if (IsZoomed(window)) {
        // A window is marked maximised before it is given the work area: on a busy machine the
        // script can look in between.
        for (int i = 0; i < 100 && !CoversWorkArea(window); ++i)
            Sleep(20);
        Log(Format("%s covers the work area %d", name, CoversWorkArea(window) ? 1 : 0));
    } else if (!IsIconic(window) && IsWindowVisible(window))
        LogClient(window, name);
}

// Every child control: id, class, rectangle in the parent's client area, text.
void LogControls(HWND parent, const char* name)
{
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
        Log(Format("%s control %d %s at %ld,%ld %ldx%ld \"%s\"", name, GetDlgCtrlID(child), ClassOf(child).c_str(),
                   r.left, r.top, r.right - r.left, r.bottom - r.top, WindowTextOf(child).substr(0, 40).c_str()));
    }
}

void LogColour(HWND window, int x, int y, const char* name)
{
    HDC dc = GetDC(window);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    Log(Format("%s colour at %d,%d %06lx", name, x, y, static_cast<unsigned long>(colour)));
}

// ---- Points to click, found through the window ----

// Called on the window's own thread (scans ask hundreds of points: across threads each would
// be a round trip through the server).
LRESULT HitTest(HWND window, int x, int y)
{
    return SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(x, y));
}

// The middle of the caption row, found down the window's middle.
std::optional<int> CaptionRowHere(HWND window)
{
    RECT r{};
    GetWindowRect(window, &r);
    const int x = (r.left + r.right) / 2;
    int first = -1, last = -1;
    for (int y = r.top; y < r.top + 80 && y < r.bottom; y += 2) {
        if (HitTest(window, x, y) == HTCAPTION) {
            if (first < 0)
                first = y;
            last = y;
        } else if (first >= 0) {
            break;
        }
    }
    if (first < 0)
        return std::nullopt;
    return (first + last) / 2;
}

// The middle of the run of points along the caption row that hit-test as `code`.
std::optional<POINT> CaptionPartHere(HWND window, LRESULT code)
{
    const auto row = CaptionRowHere(window);
    if (!row)
        return std::nullopt;
    RECT r{};
    GetWindowRect(window, &r);
    int first = -1, last = -1;
    for (int x = r.left; x < r.right; x += 2) {
        if (HitTest(window, x, *row) == code) {
            if (first < 0)
                first = x;
            last = x;
        } else if (first >= 0) {
            break;
        }
    }
    if (first < 0)
        return std::nullopt;
    return POINT{(first + last) / 2, *row};
}

// Whether a screen point is on the window as drawn: inside its window region, if it has one
// (a click outside the region goes to whatever lies below).
bool OnTheWindow(HWND window, POINT p)
{
    RECT r{};
    GetWindowRect(window, &r);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    const bool inside = GetWindowRgn(window, region) == ERROR || PtInRegion(region, p.x - r.left, p.y - r.top);
    DeleteObject(region);
    return inside;
}

// A point on the right edge, half-way down, or on the bottom-right corner, where a person
// would grab it.
std::optional<POINT> SizingPointHere(HWND window, LRESULT code)
{
    RECT r{};
    GetWindowRect(window, &r);
    if (code == HTRIGHT) {
        for (int inset = 1; inset < 16; ++inset) {
            const POINT p{r.right - inset, (r.top + r.bottom) / 2};
            if (OnTheWindow(window, p) && HitTest(window, p.x, p.y) == code)
                return p;
        }
        return std::nullopt;
    }
    // The corner: along the bottom edge and up the right edge from the corner, as far as a
    // rounded corner needs.
    for (int along = 1; along < 32; ++along) {
        for (int inset = 1; inset < 6; ++inset) {
            for (const POINT p : {POINT{r.right - along, r.bottom - inset}, POINT{r.right - inset, r.bottom - along}}) {
                if (OnTheWindow(window, p) && HitTest(window, p.x, p.y) == code)
                    return p;
            }
        }
    }
    return std::nullopt;
}

std::optional<int> CaptionRow(HWND window)
{
    std::optional<int> row;
    OnUiThread(window, [&] { row = CaptionRowHere(window); });
    return row;
}

std::optional<POINT> CaptionPart(HWND window, LRESULT code)
{
    std::optional<POINT> point;
    OnUiThread(window, [&] { point = CaptionPartHere(window, code); });
    return point;
}

std::optional<POINT> SizingPoint(HWND window, LRESULT code)
{
    std::optional<POINT> point;
    OnUiThread(window, [&] { point = SizingPointHere(window, code); });
    return point;
}

POINT BarItem(HWND window, int position)
{
    RECT r{};
    GetMenuItemRect(window, GetMenu(window), static_cast<UINT>(position), &r);
    return Centre(r);
}

std::optional<POINT> PopupItem(HMENU menu, int position)
{
    RECT r{};
    if (!GetMenuItemRect(nullptr, menu, static_cast<UINT>(position), &r))
        return std::nullopt;
    return Centre(r);
}

// Each step's start goes to the log; its time to stderr, for whoever tunes the script's speed.
void Activate(HWND window, const char* title)
{
    Focus(title);
    OnUiThread(window, [window] { SetForegroundWindow(window); });
    WaitUntil([window] { return GetForegroundWindow() == window; }, "the window is active");
    // X's focus events arrive after the activation; one arriving during the next click would
    // cancel the menu that click opens.
    Sleep(300);
}

void Step(const char* name)
{
    static const DWORD start = GetTickCount();
    std::fprintf(stderr, "%6lu ms  %s\n", GetTickCount() - start, name);
    Log(Format("-- %s", name));
}

// ---- The main window ----

// A command from clicking bar item BAR, then item ITEM of its menu.
void PickWithClicks(int bar, int item, const char* what)
{
    HWND main = MainWindow();
    const int before = CommandCount();
    Click(BarItem(main, bar));
    if (!WaitUntil([] { return PopupCount() == 1; }, "the bar item's menu opens"))
        return;
    Sleep(150);
    Log(Format("menus open after the click: %zu", PopupCount()));
    const auto point = PopupItem(GetSubMenu(GetMenu(main), bar), item);
    if (!point) {
        Log("timeout: the menu item's rectangle");
        Key("Escape");
        Key("Escape");
        return;
    }
    Click(*point);
    WaitUntil([before] { return CommandCount() > before; }, what);
    WaitUntil([] { return PopupCount() == 0; }, "the menu closes");
}

void MenusByMouse()
{
    HWND main = MainWindow();
    Step("a click on File, then on Open");
    PickWithClicks(0, 0, "Open");

    Step("press on Edit, move to Word wrap, release");
    int before = CommandCount();
    const POINT edit = BarItem(main, 1);
    Press(edit);
    if (WaitUntil([] { return PopupCount() == 1; }, "the Edit menu opens on the press")) {
        if (const auto item = PopupItem(GetSubMenu(GetMenu(main), 1), 1)) {
            Input(Format("mousemove %ld %ld", item->x, item->y - 4));
            Input(Format("mousemove %ld %ld", item->x, item->y));
        }
    }
    Input("mouseup 1");
    WaitUntil([&] { return CommandCount() > before; }, "Word wrap");

    Step("a radio item");
    PickWithClicks(1, 5, "Right");
    Log(Format("right aligned checked %d",
               (GetMenuState(GetMenu(main), kAlignRight, MF_BYCOMMAND) & MF_CHECKED) ? 1 : 0));

    Step("a submenu item");
    before = CommandCount();
    Click(BarItem(main, 2));
    if (WaitUntil([] { return PopupCount() == 1; }, "the View menu opens")) {
        HMENU view = GetSubMenu(GetMenu(main), 2);
        if (const auto zoom = PopupItem(view, 0)) {
            Click(*zoom);
            if (WaitUntil([] { return PopupCount() == 2; }, "the Zoom submenu opens")) {
                Sleep(100);
                if (const auto out = PopupItem(GetSubMenu(view, 0), 1))
                    Click(*out);
            }
        }
    }
    WaitUntil([&] { return CommandCount() > before; }, "Zoom out");
    if (PopupCount()) {
        Key("Escape");
        Key("Escape");
    }

    Step("a bitmap item");
    PickWithClicks(2, 2, "Picture");
}

void MenusByKeyboard()
{
    Activate(MainWindow(), "Harness Main");
    Step("Alt+F, Down, Enter");
    int before = CommandCount();
    Key("alt+f");
    WaitUntil([] { return PopupCount() == 1; }, "Alt+F opens File");
    Key("Down");
    Key("Return");
    WaitUntil([&] { return CommandCount() > before; }, "Save from the keyboard");

    Step("Alt+E, W");
    before = CommandCount();
    Key("alt+e");
    WaitUntil([] { return PopupCount() == 1; }, "Alt+E opens Edit");
    Key("w");
    WaitUntil([&] { return CommandCount() > before; }, "Word wrap from its access key");

    Step("F10, Right, Down, Enter");
    before = CommandCount();
    Key("F10");
    Key("Right");
    Key("Down");
    WaitUntil([] { return PopupCount() == 1; }, "Down opens Edit");
    Key("Return");
    WaitUntil([&] { return CommandCount() > before; }, "Undo from the keyboard");

    Step("accelerators");
    for (const char* keys : {"ctrl+o", "ctrl+s", "F5"}) {
        before = CommandCount();
        Key(keys);
        WaitUntil([&] { return CommandCount() > before; }, keys);
    }
}

void Controls()
{
    HWND main = MainWindow();
    Step("the main window's controls");
    LogControls(main, "main");
    LogColour(GetDlgItem(main, kOwnColourStatic), 146, 36, "own static");
    LogColour(GetDlgItem(main, kOwnBrushChild), 30, 20, "own class brush");

    Step("a click on the push button, typing in the edit");
    const int before = CommandCount();
    RECT r{};
    GetWindowRect(GetDlgItem(main, kPushButton), &r);
    Click(Centre(r));
    WaitUntil([&] { return CommandCount() > before; }, "the push button");
    GetWindowRect(GetDlgItem(main, kMainEdit), &r);
    Click(Centre(r));
    Type("abc");
    WaitUntil([main] { return WindowTextOf(GetDlgItem(main, kMainEdit)) == "abc"; }, "the typed text");
    Log(Format("edit holds \"%s\"", WindowTextOf(GetDlgItem(main, kMainEdit)).c_str()));
}

void LogDialog(HWND dialog, const char* name)
{
    LogClient(dialog, name);
    LogControls(dialog, name);
}

void Dialogs()
{
    HWND main = MainWindow();
    Step("the modal dialog, used with the mouse and keyboard");
    Click(BarItem(main, 3));
    if (WaitUntil([] { return PopupCount() == 1; }, "the Tools menu opens")) {
        if (const auto item = PopupItem(GetSubMenu(GetMenu(main), 3), 0))
            Click(*item);
    }
    HWND dialog = nullptr;
    if (WaitUntil([&] { return (dialog = FindShown(L"Harness Options")) != nullptr; }, "the modal dialog")) {
        LogDialog(dialog, "modal");
        RECT r{};
        GetWindowRect(GetDlgItem(dialog, kName), &r);
        Click(Centre(r));
        Type("hello");
        GetWindowRect(GetDlgItem(dialog, kFirstCheck), &r);
        Click({r.left + 6, (r.top + r.bottom) / 2});
        HWND list = GetDlgItem(dialog, kList);
        SendMessageW(list, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&r));
        MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&r), 2);
        Click(Centre(r));
        GetWindowRect(GetDlgItem(dialog, IDOK), &r);
        Click(Centre(r));
        WaitUntil([] { return !FindShown(L"Harness Options"); }, "the modal dialog closes");
        WaitUntil([] { return !ModalOpen(); }, "the modal loop ends");
    }

    Step("the modeless dialog");
    Activate(main, "Harness Main");
    Click(BarItem(main, 3));
    if (WaitUntil([] { return PopupCount() == 1; }, "the Tools menu opens")) {
        if (const auto item = PopupItem(GetSubMenu(GetMenu(main), 3), 1))
            Click(*item);
    }
    if (WaitUntil([&] { return (dialog = FindShown(L"Harness Modeless")) != nullptr; }, "the modeless dialog")) {
        LogDialog(dialog, "modeless");
        RECT r{};
        GetWindowRect(GetDlgItem(dialog, kSecondCheck), &r);
        Click({r.left + 6, (r.top + r.bottom) / 2});
        GetWindowRect(GetDlgItem(dialog, IDCANCEL), &r);
        Click(Centre(r));
        WaitUntil([] { return !FindShown(L"Harness Modeless"); }, "the modeless dialog closes");
    }

    Step("the message box");
    Activate(main, "Harness Main");
    Click(BarItem(main, 3));
    if (WaitUntil([] { return PopupCount() == 1; }, "the Tools menu opens")) {
        if (const auto item = PopupItem(GetSubMenu(GetMenu(main), 3), 2))
            Click(*item);
    }
    HWND box = nullptr;
    if (WaitUntil([&] { return (box = FindShown(L"Harness Message")) != nullptr; }, "the message box")) {
        Sleep(100);
        LogClient(box, "message box");
        Activate(box, "Harness Message");
        Key("Return");
        WaitUntil([] { return !FindShown(L"Harness Message"); }, "the message box closes");
        WaitUntil([] { return !ModalOpen(); }, "the modal loop ends");
    }
}

// ---- The dialog of controls ----

RECT ScreenRect(HWND window)
{
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

// Where a person clicks a check box or radio button: on its box, at the left.
POINT BoxOf(HWND button)
{
    const RECT r = ScreenRect(button);
    return {r.left + 6, (r.top + r.bottom) / 2};
}

POINT ListItem(HWND list, int index)
{
    RECT r{};
    SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return Centre(r);
}

int Selection(HWND list)
{
    return static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
}
int TopIndex(HWND list)
{
    return static_cast<int>(SendMessageW(list, LB_GETTOPINDEX, 0, 0));
}

// A scroll bar's parts on the screen. Arrows are as long as the bar is thick (or half of a
// shorter bar); the thumb is where its SCROLLINFO puts it in the track between them.
struct ScrollParts {
    POINT lowArrow, highArrow, thumb, pageAfterThumb;
};

ScrollParts PartsAlong(const RECT& r, bool vertical, int thumbStart, int thumbEnd)
{
    const int start = vertical ? r.top : r.left;
    const int end = vertical ? r.bottom : r.right;
    const int across = vertical ? (r.left + r.right) / 2 : (r.top + r.bottom) / 2;
    const int arrow =
        static_cast<int>(std::min<long>(vertical ? r.right - r.left : r.bottom - r.top, (end - start) / 2));
    const auto at = [&](int along) { return vertical ? POINT{across, along} : POINT{along, across}; };
    return {at(start + arrow / 2), at(end - arrow / 2 - 1), at(start + (thumbStart + thumbEnd) / 2),
            at(start + (thumbEnd + (end - start - arrow)) / 2)};
}

// A window's own bar (OBJID_VSCROLL, OBJID_HSCROLL), as the window reports it: the thumb's
// ends are offsets from the bar's start.
std::optional<ScrollParts> WindowScrollParts(HWND window, LONG which)
{
    SCROLLBARINFO info{};
    info.cbSize = sizeof info;
    if (!GetScrollBarInfo(window, which, &info) || IsRectEmpty(&info.rcScrollBar))
        return std::nullopt;
    return PartsAlong(info.rcScrollBar, which == OBJID_VSCROLL, info.xyThumbTop, info.xyThumbBottom);
}

// A horizontal scroll bar control. Wine's 32-bit build answers GetScrollBarInfo for a control
// with an empty rectangle, so the thumb is placed from its range as the system places it.
ScrollParts ControlScrollParts(HWND bar)
{
    RECT r{};
    GetWindowRect(bar, &r);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(bar, SB_CTL, &info);
    const int arrow = static_cast<int>(std::min(r.bottom - r.top, (r.right - r.left) / 2));
    const int track = (r.right - r.left) - 2 * arrow;
    const int range = info.nMax - info.nMin + 1;
    const int thumb = std::max(MulDiv(track, static_cast<int>(info.nPage), range), 8);
    const int movable = range - std::max<int>(static_cast<int>(info.nPage) - 1, 0) - 1;
    const int offset = movable > 0 ? MulDiv(track - thumb, info.nPos - info.nMin, movable) : 0;
    return PartsAlong(r, false, arrow + offset, arrow + offset + thumb);
}

void DragBy(POINT from, int dx, int dy)
{
    Press(from);
    Input(Format("mousemove %ld %ld", from.x + dx / 2, from.y + dy / 2));
    Input(Format("mousemove %ld %ld", from.x + dx, from.y + dy));
    Input("mouseup 1");
}

void Wheel(POINT over, int notches, bool down)
{
    Input(Format("mousemove %ld %ld", over.x, over.y));
    for (int i = 0; i < notches; ++i)
        Input(down ? "click 5" : "click 4");
}

void ChecksAndRadios(HWND dialog)
{
    Step("check boxes and radio buttons by mouse and keyboard");
    const auto state = [dialog](int id) { return IsDlgButtonChecked(dialog, id); };
    const auto log = [&] {
        Log(Format("radios %u %u %u, three states %u, plain %u", state(kRadio1), state(kRadio2), state(kRadio3),
                   state(kTriState), state(kPlainCheck)));
    };
    Click(BoxOf(GetDlgItem(dialog, kRadio2)));
    WaitUntil([&] { return state(kRadio2) == BST_CHECKED; }, "a click checks the second radio button");
    Key("Down");
    WaitUntil([&] { return state(kRadio3) == BST_CHECKED; }, "Down moves to the third radio button");
    log();
    for (const UINT expected : {BST_CHECKED, BST_INDETERMINATE, BST_UNCHECKED}) {
        Click(BoxOf(GetDlgItem(dialog, kTriState)));
        WaitUntil([&] { return state(kTriState) == expected; }, "a click steps the three-state box");
        log();
    }
    Key("space");
    WaitUntil([&] { return state(kTriState) == BST_CHECKED; }, "Space steps the three-state box");
    Click(BoxOf(GetDlgItem(dialog, kPlainCheck)));
    WaitUntil([&] { return state(kPlainCheck) == BST_CHECKED; }, "a click checks the plain box");
    Key("space");
    WaitUntil([&] { return state(kPlainCheck) == BST_UNCHECKED; }, "Space clears the plain box");
    log();
}

void ListByMouseAndKeys(HWND dialog)
{
    Step("a list by mouse and keyboard");
    HWND list = GetDlgItem(dialog, kLongList);
    Click(ListItem(list, 2));
    WaitUntil([list] { return Selection(list) == 2; }, "a click selects the third item");
    Key("Down");
    Key("Down");
    WaitUntil([list] { return Selection(list) == 4; }, "Down twice selects the fifth item");
    Log(Format("list selection %d top %d", Selection(list), TopIndex(list)));
    Key("End");
    WaitUntil([list] { return Selection(list) == 29; }, "End selects the last item");
    Log(Format("list selection %d top %d", Selection(list), TopIndex(list)));
    Key("Home");
    WaitUntil([list] { return Selection(list) == 0 && TopIndex(list) == 0; }, "Home goes back to the first item");

    Step("a window scroll bar: arrow, page, thumb and wheel");
    auto parts = WindowScrollParts(list, OBJID_VSCROLL);
    if (!parts) {
        Log("timeout: the list's scroll bar");
        return;
    }
    for (int i = 1; i <= 3; ++i) {
        Click(parts->highArrow);
        WaitUntil([list, i] { return TopIndex(list) == i; }, "a click on the down arrow scrolls a line");
    }
    Log(Format("after the arrow: top %d", TopIndex(list)));
    parts = WindowScrollParts(list, OBJID_VSCROLL);
    int before = TopIndex(list);
    Click(parts->pageAfterThumb);
    WaitUntil([&] { return TopIndex(list) > before; }, "a click below the thumb scrolls a page");
    Sleep(100);
    Log(Format("after the page: top %d", TopIndex(list)));
    parts = WindowScrollParts(list, OBJID_VSCROLL);
    before = TopIndex(list);
    DragBy(parts->thumb, 0, 20);
    WaitUntil([&] { return TopIndex(list) != before; }, "dragging the thumb scrolls");
    Sleep(100);
    Log(Format("after the thumb: top %d", TopIndex(list)));
    before = TopIndex(list);
    Wheel(ListItem(list, TopIndex(list) + 1), 1, false);
    WaitUntil([&] { return TopIndex(list) < before; }, "the wheel scrolls back");
    Sleep(100);
    Log(Format("after the wheel: top %d, selection %d", TopIndex(list), Selection(list)));
}

void CombosOpenAndPick(HWND dialog)
{
    Step("combo boxes open and pick");
    const auto info = [](HWND combo) {
        COMBOBOXINFO i{};
        i.cbSize = sizeof i;
        GetComboBoxInfo(combo, &i);
        MapWindowPoints(combo, nullptr, reinterpret_cast<POINT*>(&i.rcButton), 2);
        MapWindowPoints(combo, nullptr, reinterpret_cast<POINT*>(&i.rcItem), 2);
        return i;
    };
    const auto dropped = [](HWND combo) { return SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0) != 0; };
    const auto picked = [](HWND combo) { return static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0)); };

    HWND dropList = GetDlgItem(dialog, kDropList);
    COMBOBOXINFO parts = info(dropList);
    Click(Centre(parts.rcButton));
    if (WaitUntil([&] { return dropped(dropList); }, "a click on the button drops the list")) {
        Sleep(100);
        Click(ListItem(parts.hwndList, 3));
        WaitUntil([&] { return !dropped(dropList) && picked(dropList) == 3; }, "a click picks the fourth item");
    }
    Log(Format("drop-down list picked %d", picked(dropList)));
    Key("alt+Down");
    if (WaitUntil([&] { return dropped(dropList); }, "Alt+Down drops the list")) {
        Key("Down");
        Key("Return");
        WaitUntil([&] { return !dropped(dropList) && picked(dropList) == 4; }, "Down and Enter pick the fifth item");
    }
    Log(Format("drop-down list picked %d", picked(dropList)));

    HWND dropDown = GetDlgItem(dialog, kDropDown);
    parts = info(dropDown);
    Click(Centre(parts.rcItem));
    Type("Six");
    WaitUntil([&] { return WindowTextOf(dropDown) == "Six"; }, "typing into the drop-down's field");
    Click(Centre(parts.rcButton));
    if (WaitUntil([&] { return dropped(dropDown); }, "a click on the button drops the list")) {
        Sleep(100);
        Click(ListItem(parts.hwndList, 1));
        WaitUntil([&] { return !dropped(dropDown) && WindowTextOf(dropDown) == "Two"; }, "a click picks Two");
    }
    Log(Format("drop-down holds \"%s\"", WindowTextOf(dropDown).c_str()));

    HWND simple = GetDlgItem(dialog, kSimpleCombo);
    parts = info(simple);
    Click(ListItem(parts.hwndList, 2));
    WaitUntil([&] { return WindowTextOf(simple) == "Three"; }, "a click in the simple combo's list picks Three");
    Log(Format("simple combo holds \"%s\"", WindowTextOf(simple).c_str()));
}

void ScrollBarControl(HWND dialog)
{
    Step("a scroll bar control: arrow, page, thumb and keys");
    HWND bar = GetDlgItem(dialog, kHScroll);
    const auto position = [bar] { return GetScrollPos(bar, SB_CTL); };
    ScrollParts parts = ControlScrollParts(bar);
    for (int i = 1; i <= 2; ++i) {
        Click(parts.highArrow);
        WaitUntil([&] { return position() == i; }, "a click on the right arrow moves a line");
    }
    parts = ControlScrollParts(bar);
    Click(parts.pageAfterThumb);
    WaitUntil([&] { return position() == 32; }, "a click right of the thumb moves a page");
    parts = ControlScrollParts(bar);
    DragBy(parts.thumb, 30, 0);
    WaitUntil([&] { return position() > 32; }, "dragging the thumb moves it");
    Log(Format("scroll bar at %d, followed the drag live %d", position(), ScrollBarThumbTracks() > 0 ? 1 : 0));
    OnUiThread(dialog, [bar] { SetFocus(bar); });
    const int before = position();
    Key("Right");
    WaitUntil([&] { return position() == before + 1; }, "Right moves a line");
    Key("End");
    // The last position leaves a page's width of the range in view: 100 - 30 + 1.
    WaitUntil([&] { return position() == 71; }, "End moves to the end");
    Log(Format("scroll bar at %d", position()));
}

void EditTypingAndScrolling(HWND dialog)
{
    Step("a multi-line edit: typing, selecting, scrolling");
    HWND edit = GetDlgItem(dialog, kLongEdit);
    const auto first = [edit] { return static_cast<int>(SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0)); };
    const auto selection = [edit] {
        DWORD from = 0, to = 0;
        SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
        return Format("%lu-%lu", from, to);
    };
    const RECT r = ScreenRect(edit);
    Click({r.left + 20, r.top + 12});
    Key("ctrl+End");
    WaitUntil([&] { return first() > 0; }, "Ctrl+End scrolls to the end");
    const std::string collapsed = selection();
    Key("shift+Home");
    WaitUntil([&] { return selection() != collapsed; }, "Shift+Home selects the last line");
    Log(Format("edit first line %d, selection %s", first(), selection().c_str()));
    Type("Last");
    WaitUntil([&] { return WindowTextOf(edit).ends_with("Last"); }, "typing replaces the selection");
    const int before = first();
    Wheel(Centre(r), 1, false);
    WaitUntil([&] { return first() < before; }, "the wheel scrolls the edit");
    Log(Format("edit first line %d, lines %d", first(), static_cast<int>(SendMessageW(edit, EM_GETLINECOUNT, 0, 0))));
    const auto parts = WindowScrollParts(edit, OBJID_VSCROLL);
    if (parts) {
        const int was = first();
        Click(parts->lowArrow);
        WaitUntil([&] { return first() == was - 1; }, "a click on the up arrow scrolls a line");
        Log(Format("edit first line %d", first()));
    }
}

void ScrollingWindow()
{
    Step("a window with scroll bars of its own");
    HWND window = nullptr;
    OnUiThread(nullptr, [&] { window = MakeScrollingWindow(); });
    Activate(window, "Harness Scrolling");
    LogState(window, "scrolling");
    HWND panel = FindWindowExW(window, nullptr, nullptr, L"Harness Panel");
    for (const auto& [target, owner, which, object, name] :
         {std::tuple{window, "window", SB_VERT, OBJID_VSCROLL, "vertical"},
          std::tuple{window, "window", SB_HORZ, OBJID_HSCROLL, "horizontal"},
          std::tuple{panel, "panel", SB_VERT, OBJID_VSCROLL, "vertical"},
          std::tuple{panel, "panel", SB_HORZ, OBJID_HSCROLL, "horizontal"}}) {
        const auto position = [target](int bar) { return GetScrollPos(target, bar); };
        auto parts = WindowScrollParts(target, object);
        if (!parts) {
            Log(Format("timeout: the %s's %s scroll bar's parts", owner, name));
            continue;
        }
        Click(parts->highArrow);
        WaitUntil([&] { return position(which) == 1; }, "a click on the far arrow scrolls a line");
        parts = WindowScrollParts(target, object);
        Click(parts->pageAfterThumb);
        WaitUntil([&] { return position(which) == 21; }, "a click past the thumb scrolls a page");
        parts = WindowScrollParts(target, object);
        const int before = position(which);
        DragBy(parts->thumb, which == SB_HORZ ? 40 : 0, which == SB_VERT ? 40 : 0);
        WaitUntil([&] { return position(which) > before; }, "dragging the thumb scrolls");
        const int dragged = position(which);
        Click(parts->lowArrow);
        WaitUntil([&] { return position(which) == dragged - 1; }, "a click on the near arrow scrolls back a line");
        Log(Format("%s's %s scroll bar at %d", owner, name, position(which)));
    }
    WaitForRelease();
    Log(Format("notifications%s", ControlNotifications().c_str()));
    OnUiThread(window, [window] { CloseWindowNow(window); });
    Activate(MainWindow(), "Harness Main");
}

void ControlsDialog()
{
    Step("a dialog of every standard control");
    HWND dialog = nullptr;
    OnUiThread(nullptr, [&] { dialog = MakeControlsDialog(); });
    Activate(dialog, "Harness Controls");
    LogDialog(dialog, "controls");
    ChecksAndRadios(dialog);
    ListByMouseAndKeys(dialog);
    CombosOpenAndPick(dialog);
    ScrollBarControl(dialog);
    EditTypingAndScrolling(dialog);

    Step("a click on a push button");
    Click(Centre(ScreenRect(GetDlgItem(dialog, kApply))));
    WaitUntil([] { return ControlNotifications().find(Format(" %d:%d=", kApply, BN_CLICKED)) != std::string::npos; },
              "the push button's click");
    Log(Format("notifications%s", ControlNotifications().c_str()));
    OnUiThread(dialog, [dialog] { CloseWindowNow(dialog); });
    Activate(MainWindow(), "Harness Main");
}

void CaptionButtons(HWND window, const char* name)
{
    Step("caption buttons by mouse");
    if (const auto max = CaptionPart(window, HTMAXBUTTON)) {
        Click(*max);
        WaitUntil([window] { return IsZoomed(window) != FALSE; }, "maximised by its button");
        LogState(window, name);
    } else {
        Log(Format("%s has no maximise button", name));
    }
    // Without a window manager, Wine leaves a maximised window's X window where it was, so
    // the restore button cannot be reached through X: restore as a program would.
    if (IsZoomed(window)) {
        OnUiThread(window, [window] { ShowWindow(window, SW_RESTORE); });
        LogState(window, name);
    }
    if (const auto min = CaptionPart(window, HTMINBUTTON)) {
        Click(*min);
        WaitUntil([window] { return IsIconic(window) != FALSE; }, "minimised by its button");
        LogState(window, name);
        // A minimised window's caption keeps a button that restores it, where minimise was.
        if (const auto restore = CaptionPart(window, HTMINBUTTON)) {
            Click(*restore);
            WaitUntil([window] { return IsIconic(window) == FALSE; }, "restored by the minimised window's button");
        }
        OnUiThread(window, [window] { ShowWindow(window, SW_RESTORE); });
        LogState(window, name);
    } else {
        Log(Format("%s has no minimise button", name));
    }
}

void ShowAndPlace(HWND window, const char* name)
{
    Step("ShowWindow and SetWindowPos");
    // Without a window manager, X's answer to an earlier move can arrive after a maximise and
    // undo it; let the earlier ones settle first.
    Sleep(300);
    for (const int show : {SW_MAXIMIZE, SW_RESTORE, SW_MINIMIZE, SW_SHOWNORMAL, SW_HIDE, SW_SHOW, SW_MAXIMIZE,
                           SW_MINIMIZE, SW_RESTORE, SW_RESTORE}) {
        OnUiThread(window, [window, show] { ShowWindow(window, show); });
        Sleep(50);
        Log(Format("ShowWindow %d", show));
        LogState(window, name);
    }
    OnUiThread(window, [window] { SetWindowPos(window, nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER); });
    LogState(window, name);
    OnUiThread(window, [window] { SetWindowPos(window, nullptr, 30, 25, 500, 400, SWP_NOZORDER); });
    LogOuter(window, name);
}

void Resize(HWND window, const char* name, LRESULT code, int dx, int dy)
{
    const auto from = SizingPoint(window, code);
    if (!from) {
        Log(Format("%s: no sizing point %ld", name, static_cast<long>(code)));
        return;
    }
    const SIZE before = ClientSize(window);
    Press(*from);
    Input(Format("mousemove %ld %ld", from->x + dx / 2, from->y + dy / 2));
    Input(Format("mousemove %ld %ld", from->x + dx, from->y + dy));
    Input("mouseup 1");
    WaitUntil(
        [&] {
            const SIZE s = ClientSize(window);
            return s.cx != before.cx || s.cy != before.cy;
        },
        "the window resizes");
    const SIZE after = ClientSize(window);
    Log(Format("%s dragged by %d,%d: client grew by %ld,%ld", name, dx, dy, after.cx - before.cx,
               after.cy - before.cy));
}

void SystemMenu(HWND window, const char* name)
{
    Step("the system menu");
    HMENU menu = GetSystemMenu(window, FALSE);
    std::string ids;
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
        ids += Format(" %x", GetMenuItemID(menu, i));
    Log(Format("%s system menu ids%s", name, ids.c_str()));

    Activate(window, "Harness Main");
    Key("alt+space");
    if (WaitUntil([] { return PopupCount() == 1; }, "Alt+Space opens the system menu")) {
        int position = -1;
        for (int i = 0; i < GetMenuItemCount(menu); ++i)
            if (GetMenuItemID(menu, i) == SC_MAXIMIZE)
                position = i;
        if (const auto item = PopupItem(menu, position)) {
            Click(*item);
            WaitUntil([window] { return IsZoomed(window) != FALSE; }, "maximised from the system menu");
        } else {
            Log("timeout: the system menu's Maximise item");
            Key("Escape");
        }
        LogState(window, name);
        OnUiThread(window, [window] { ShowWindow(window, SW_RESTORE); });
    }
    WaitUntil([] { return PopupCount() == 0; }, "the system menu closes");

    if (const auto row = CaptionRow(window)) {
        RECT frame{};
        GetWindowRect(window, &frame);
        const POINT at{(frame.left + frame.right) / 2, *row};
        Click(at, 3);
        if (WaitUntil([] { return PopupCount() == 1; }, "a right click on the caption opens the system menu")) {
            RECT r{};
            GetWindowRect(OpenPopups()[0], &r);
            Log(Format("system menu at the cursor %d",
                       std::abs(r.left - at.x) <= 2 && std::abs(r.top - at.y) <= 2 ? 1 : 0));
            Key("Escape");
            WaitUntil([] { return PopupCount() == 0; }, "Escape closes it");
        }
    }
    if (const auto icon = CaptionPart(window, HTSYSMENU)) {
        Click(*icon);
        if (WaitUntil([] { return PopupCount() == 1; }, "a click on the icon opens the system menu")) {
            RECT r{};
            GetWindowRect(OpenPopups()[0], &r);
            Log(Format("system menu just below the icon %d", r.top >= icon->y && r.top <= icon->y + 26 ? 1 : 0));
            Key("Escape");
            WaitUntil([] { return PopupCount() == 0; }, "Escape closes it");
        }
    }
    Key("Escape");
}

void MainFrame()
{
    HWND main = MainWindow();
    const char* name = "main";
    CaptionButtons(main, name);
    SystemMenu(main, name);

    Step("resizing by an edge and a corner");
    Resize(main, name, HTRIGHT, 40, 0);
    Resize(main, name, HTBOTTOMRIGHT, 30, 20);

    Step("a narrow window wraps its menu bar");
    RECT outer{};
    GetWindowRect(main, &outer);
    const SIZE client = ClientSize(main);
    OnUiThread(main, [main] { SetWindowPos(main, nullptr, 0, 0, 240, 400, SWP_NOMOVE | SWP_NOZORDER); });
    HMENU bar = GetMenu(main);
    RECT first{}, last{};
    GetMenuItemRect(main, bar, 0, &first);
    GetMenuItemRect(main, bar, static_cast<UINT>(GetMenuItemCount(bar) - 1), &last);
    POINT clientTop{0, 0};
    ClientToScreen(main, &clientTop);
    Log(Format("narrow: bar wraps %d, client below the last row %d", last.top > first.top ? 1 : 0,
               clientTop.y >= last.bottom ? 1 : 0));
    OnUiThread(main, [&] {
        SetWindowPos(main, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                     SWP_NOMOVE | SWP_NOZORDER);
    });
    const SIZE back = ClientSize(main);
    Log(Format("wide again: client as before %d", back.cx == client.cx && back.cy == client.cy ? 1 : 0));

    ShowAndPlace(main, name);
}

// ---- The other windows ----

void OtherWindows()
{
    Step("a fixed window with a dialog frame");
    HWND fixed = nullptr;
    OnUiThread(nullptr, [&] { fixed = MakeFixedWindow(); });
    Activate(fixed, "Harness Fixed");
    LogState(fixed, "fixed");
    CaptionButtons(fixed, "fixed");
    OnUiThread(fixed, [fixed] { SetWindowPos(fixed, nullptr, 100, 90, 360, 220, SWP_NOZORDER); });
    LogOuter(fixed, "fixed");
    if (const auto close = CaptionPart(fixed, HTCLOSE)) {
        Click(*close);
        WaitUntil([fixed] { return !IsWindow(fixed); }, "the fixed window closes by its button");
    }

    Step("a tool window");
    HWND tool = nullptr;
    OnUiThread(nullptr, [&] { tool = MakeToolWindow(); });
    Activate(tool, "Harness Tool");
    LogState(tool, "tool");
    Resize(tool, "tool", HTBOTTOMRIGHT, 25, 15);
    if (const auto close = CaptionPart(tool, HTCLOSE)) {
        Click(*close);
        WaitUntil([tool] { return !IsWindow(tool); }, "the tool window closes by its button");
    }

    Step("a window without caption buttons");
    HWND plain = nullptr;
    OnUiThread(nullptr, [&] { plain = MakeWindowWithoutButtons(); });
    Activate(plain, "Harness Plain");
    LogState(plain, "plain");
    Log(Format("plain has a close button %d", CaptionPart(plain, HTCLOSE) ? 1 : 0));
    Resize(plain, "plain", HTBOTTOMRIGHT, 20, 30);
    OnUiThread(plain, [plain] { CloseWindowNow(plain); });

    Step("an MDI frame with a maximised child");
    HWND child = nullptr;
    HWND frame = nullptr;
    OnUiThread(nullptr, [&] { frame = MakeMdiFrame(&child); });
    Activate(frame, "Harness MDI");
    HMENU bar = GetMenu(frame);
    const int items = GetMenuItemCount(bar);
    Log(Format("mdi bar items %d, child zoomed %d", items, IsZoomed(child) ? 1 : 0));
    LogOuter(frame, "mdi frame");
    OnUiThread(frame, [frame] {
        RECT client{}, area{};
        GetClientRect(frame, &client);
        GetWindowRect(MdiClient(), &area);
        MapWindowPoints(nullptr, frame, reinterpret_cast<POINT*>(&area), 2);
        Log(Format("mdi client fills the frame's client area %d", EqualRect(&client, &area) ? 1 : 0));
    });
    Click(BarItem(frame, items - 2));
    WaitUntil([child] { return !IsZoomed(child); }, "the bar's restore button restores the child");
    // The MDI client takes the child's items off the bar after the restore itself.
    auto barHas = [bar](int count) { return [bar, count] { return GetMenuItemCount(bar) == count; }; };
    WaitUntil(barHas(items - 4), "the child's items leave the bar");
    Log(Format("after the restore button: bar items %d, child zoomed %d", GetMenuItemCount(bar),
               IsZoomed(child) ? 1 : 0));
    OnUiThread(frame, [child] { SendMessageW(child, WM_SYSCOMMAND, SC_MAXIMIZE, 0); });
    WaitUntil(barHas(items), "the child's items come back to the bar");
    Sleep(100);
    Click(BarItem(frame, GetMenuItemCount(bar) - 3));
    WaitUntil([child] { return IsIconic(child) != FALSE; }, "the bar's minimise button minimises the child");
    Log(Format("after the minimise button: child iconic %d", IsIconic(child) ? 1 : 0));
    OnUiThread(frame, [child] { SendMessageW(child, WM_SYSCOMMAND, SC_MAXIMIZE, 0); });
    WaitUntil(barHas(items), "the child's items come back to the bar");
    Sleep(100);
    Click(BarItem(frame, 0));
    if (WaitUntil([] { return PopupCount() == 1; }, "the child's icon opens its system menu")) {
        Key("Escape");
        WaitUntil([] { return PopupCount() == 0; }, "Escape closes it");
        Key("Escape");
    }
    Click(BarItem(frame, GetMenuItemCount(bar) - 1));
    WaitUntil([child] { return !IsWindow(child); }, "the bar's close button closes the child");
    // The other child comes up maximised in its place, with its items on the bar.
    WaitUntil(barHas(items), "the other child's items on the bar");
    Log(Format("after the close button: bar items %d", GetMenuItemCount(bar)));
    OnUiThread(frame, [frame] { CloseWindowNow(frame); });
}

// Programs that keep their own sizes: one fits its window to its content, one saves its window's
// rectangle as it closes and restores it as it opens, session after session.
void SizesProgramsKeep()
{
    Step("a window that fits itself to its content");
    HWND fit = nullptr;
    OnUiThread(nullptr, [&] { fit = MakeFittingWindow(); });
    Activate(fit, "Harness Fit");
    POINT start{0, 0};
    ClientToScreen(fit, &start);
    LogClient(fit, "fit");
    for (const int item : {0, 1, 0}) {
        const SIZE before = ClientSize(fit);
        Click(BarItem(fit, 0));
        if (!WaitUntil([] { return PopupCount() == 1; }, "the Size menu opens"))
            break;
        Sleep(150);
        if (const auto point = PopupItem(GetSubMenu(GetMenu(fit), 0), item))
            Click(*point);
        WaitUntil(
            [&] {
                const SIZE s = ClientSize(fit);
                return s.cx != before.cx || s.cy != before.cy;
            },
            "the window fits its new content");
        WaitUntil([] { return PopupCount() == 0; }, "the menu closes");
        POINT origin{0, 0};
        ClientToScreen(fit, &origin);
        LogClient(fit, "fit");
        Log(Format("fit client moved by %ld,%ld", origin.x - start.x, origin.y - start.y));
    }
    OnUiThread(fit, [fit] { CloseWindowNow(fit); });

    for (const bool byPlacement : {false, true}) {
        Step(byPlacement ? "a window restored by SetWindowPlacement, session after session"
                         : "a window made at its saved rectangle, session after session");
        RECT saved{150, 110, 150 + 420, 110 + 330};
        for (int session = 1; session <= 3; ++session) {
            HWND window = nullptr;
            OnUiThread(nullptr, [&] { window = MakeSavedWindow(saved, byPlacement); });
            Sleep(100);
            OnUiThread(window, [&] {
                WINDOWPLACEMENT placement{};
                placement.length = sizeof placement;
                GetWindowPlacement(window, &placement);
                saved = placement.rcNormalPosition;
                CloseWindowNow(window);
            });
            Log(Format("session %d saved %ld,%ld %ldx%ld", session, saved.left, saved.top, saved.right - saved.left,
                       saved.bottom - saved.top));
        }
    }
    Activate(MainWindow(), "Harness Main");
}

}  // namespace

void RunScript(const std::wstring& inputFolder)
{
    g_inputFolder = inputFolder;
    Sleep(200);
    HWND main = MainWindow();
    Step("start");
    LogState(main, "main");
    MenusByMouse();
    MenusByKeyboard();
    Controls();
    Dialogs();
    ControlsDialog();
    ScrollingWindow();
    MainFrame();
    OtherWindows();
    SizesProgramsKeep();
    Step("done");
    Key("Escape");
    Input("done");
    PostMessageW(main, WM_CLOSE, 0, 0);
}
