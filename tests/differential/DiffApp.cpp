// The test program of the differential tests: a main window with a menu bar that wraps when
// narrow, submenus, check, radio and bitmap items, accelerators and controls with colours of
// its own; template dialogs, a message box, an MDI frame, a fixed dialog-frame window, a tool
// window and a window without caption buttons. It logs what it saw, so a run without the engine
// and one under a theme can be compared line by line.
//
// Usage: diff_app.exe LOG_FILE INPUT_FOLDER [THEME_FILE [SCHEME]]
//   With a theme, it loads Velum_VB6.dll from its own folder and attaches it before making any
//   window, as a program using the engine does.
#include "DiffApp.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdarg>
#include <cstdio>
#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "Handles.h"

namespace {

HINSTANCE g_instance;
HWND g_main;
HWND g_modeless;
HWND g_controls;
HACCEL g_accelerators;
HBRUSH g_ownStaticBrush;
HBRUSH g_ownClassBrush;
HBITMAP g_pictureBitmap;
FILE* g_log;
std::mutex g_logLock;
UINT g_callMessage;
std::atomic<int> g_commands;
std::atomic<bool> g_modalOpen;

constexpr wchar_t kMainClass[] = L"DiffAppMain";
constexpr wchar_t kOwnBrushClass[] = L"DiffAppOwnBrush";
constexpr wchar_t kPlainClass[] = L"DiffAppPlain";
constexpr wchar_t kFitClass[] = L"DiffAppFit";
constexpr wchar_t kMdiFrameClass[] = L"DiffAppMdiFrame";
constexpr wchar_t kMdiChildClass[] = L"DiffAppMdiChild";
HWND g_mdiClient;

// ---- The main window's menu ----

HMENU Popup(std::initializer_list<std::pair<UINT, const wchar_t*>> items)
{
    HMENU menu = CreatePopupMenu();
    for (const auto& [id, text] : items) {
        if (id == 0)
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        else
            AppendMenuW(menu, MF_STRING, id, text);
    }
    return menu;
}

HMENU MakeMainMenu()
{
    HMENU bar = CreateMenu();
    AppendMenuW(bar, MF_POPUP,
                reinterpret_cast<UINT_PTR>(
                    Popup({{kOpen, L"&Open...\tCtrl+O"}, {kSave, L"&Save\tCtrl+S"}, {0, nullptr}, {kExit, L"E&xit"}})),
                L"&File");
    HMENU edit = Popup({{kUndo, L"&Undo"},
                        {kWordWrap, L"&Word wrap"},
                        {0, nullptr},
                        {kAlignLeft, L"&Left"},
                        {kAlignCenter, L"&Center"},
                        {kAlignRight, L"&Right"}});
    CheckMenuRadioItem(edit, kAlignLeft, kAlignRight, kAlignLeft, MF_BYCOMMAND);
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), L"&Edit");
    HMENU view = CreatePopupMenu();
    AppendMenuW(view, MF_POPUP, reinterpret_cast<UINT_PTR>(Popup({{kZoomIn, L"Zoom &in"}, {kZoomOut, L"Zoom &out"}})),
                L"&Zoom");
    AppendMenuW(view, MF_STRING, kRefresh, L"&Refresh\tF5");
    AppendMenuW(view, MF_STRING, kPicture, L"&Picture");
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_BITMAP;
    info.hbmpItem = g_pictureBitmap;
    SetMenuItemInfoW(view, kPicture, FALSE, &info);
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(view), L"&View");
    AppendMenuW(bar, MF_POPUP,
                reinterpret_cast<UINT_PTR>(Popup(
                    {{kOptions, L"&Options..."}, {kModeless, L"&Modeless..."}, {kMessageBox, L"Message &box..."}})),
                L"&Tools");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(Popup({{kInsertRow, L"&Row"}})), L"&Insert");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(Popup({{kFormatCells, L"&Cells"}})), L"F&ormat");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(Popup({{kTableSort, L"&Sort"}})), L"T&able");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(Popup({{kTile, L"&Tile"}})), L"&Window");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(Popup({{kAbout, L"&About"}})), L"&Help");
    return bar;
}

HBITMAP MakePictureBitmap()
{
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 12, 12);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, 12, 12};
    HBRUSH blue = CreateSolidBrush(RGB(30, 60, 200));
    FillRect(dc, &all, blue);
    DeleteObject(blue);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

// ---- The options dialog (modal and modeless from one template) ----

INT_PTR CALLBACK OptionsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    const bool modeless = GetWindowLongPtrW(dialog, DWLP_USER) != 0;
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        for (const wchar_t* item : {L"Alpha", L"Beta", L"Gamma", L"Delta"})
            SendDlgItemMessageW(dialog, kList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        SetWindowTextW(dialog, lParam ? L"Harness Modeless" : L"Harness Options");
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            Log(Format("dialog %s closed with %u: name \"%s\" first %u second %u list %d",
                       modeless ? "modeless" : "modal", LOWORD(wParam), WindowTextOf(GetDlgItem(dialog, kName)).c_str(),
                       IsDlgButtonChecked(dialog, kFirstCheck), IsDlgButtonChecked(dialog, kSecondCheck),
                       static_cast<int>(SendDlgItemMessageW(dialog, kList, LB_GETCURSEL, 0, 0))));
            if (modeless) {
                DestroyWindow(dialog);
                g_modeless = nullptr;
            } else {
                EndDialog(dialog, LOWORD(wParam));
            }
            return TRUE;
        }
        return FALSE;
    default: return FALSE;
    }
}

// ---- The dialog of controls ----

std::mutex g_notificationLock;
std::map<std::pair<int, int>, int> g_notifications;
std::atomic<int> g_thumbTracks;

std::map<int, int> g_lastScrollRequest;

void Count(int id, int code)
{
    std::lock_guard lock(g_notificationLock);
    ++g_notifications[{id, code}];
}

// How many thumb-track messages one drag brings depends on how many pointer moves the display
// merged on a busy machine: a run of them counts once, as one drag.
void CountScroll(int id, int request)
{
    {
        std::lock_guard lock(g_notificationLock);
        const auto last = g_lastScrollRequest.find(id);
        const bool again = last != g_lastScrollRequest.end() && last->second == request;
        g_lastScrollRequest[id] = request;
        if (again && request == SB_THUMBTRACK)
            return;
    }
    Count(id, request);
}

// Scroll bars move only when their owner moves them: `which` is SB_CTL for a scroll bar
// control, SB_VERT or SB_HORZ for a window's own.
void OnScroll(HWND window, int which, int request, int countAs)
{
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(window, which, &info);
    int position = info.nPos;
    switch (request) {
    case SB_LINELEFT: position -= 1; break;
    case SB_LINERIGHT: position += 1; break;
    case SB_PAGELEFT: position -= static_cast<int>(info.nPage); break;
    case SB_PAGERIGHT: position += static_cast<int>(info.nPage); break;
    case SB_LEFT: position = info.nMin; break;
    case SB_RIGHT: position = info.nMax; break;
    case SB_THUMBTRACK:
        ++g_thumbTracks;
        position = info.nTrackPos;
        break;
    case SB_THUMBPOSITION: position = info.nTrackPos; break;
    default: break;
    }
    CountScroll(countAs, request);
    SetScrollPos(window, which, position, TRUE);
}

INT_PTR CALLBACK ControlsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        for (const int combo : {kDropList, kDropDown, kSimpleCombo}) {
            for (const wchar_t* item : {L"One", L"Two", L"Three", L"Four", L"Five"})
                SendDlgItemMessageW(dialog, combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        }
        std::wstring lines;
        for (int i = 1; i <= 30; ++i) {
            const std::wstring item = L"Item " + std::to_wstring(i);
            SendDlgItemMessageW(dialog, kLongList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
        }
        for (int i = 1; i <= 40; ++i)
            lines += L"Line " + std::to_wstring(i) + (i < 40 ? L"\r\n" : L"");
        SetDlgItemTextW(dialog, kLongEdit, lines.c_str());
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        info.nMax = 100;
        info.nPage = 30;
        SetScrollInfo(GetDlgItem(dialog, kHScroll), SB_CTL, &info, TRUE);
        CheckRadioButton(dialog, kRadio1, kRadio3, kRadio1);
        {
            std::lock_guard lock(g_notificationLock);
            g_notifications.clear();
            g_lastScrollRequest.clear();
        }
        return TRUE;
    }
    case WM_DESTROY: g_controls = nullptr; return FALSE;
    case WM_HSCROLL:
        if (reinterpret_cast<HWND>(lParam) == GetDlgItem(dialog, kHScroll))
            OnScroll(reinterpret_cast<HWND>(lParam), SB_CTL, LOWORD(wParam), kHScroll);
        return TRUE;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        if (id == IDCANCEL) {
            DestroyWindow(dialog);
            return TRUE;
        }
        // Focus notifications follow X's focus events, whose timing is the display's.
        if (code != EN_SETFOCUS && code != EN_KILLFOCUS && code != LBN_SETFOCUS && code != LBN_KILLFOCUS &&
            code != CBN_SETFOCUS && code != CBN_KILLFOCUS && code != EN_UPDATE)
            Count(id, code);
        return TRUE;
    }
    default: return FALSE;
    }
}

// ---- The main window ----

void OnCommand(HWND window, UINT id, UINT code)
{
    Log(Format("command %u code %u", id, code));
    ++g_commands;
    HMENU bar = GetMenu(window);
    switch (id) {
    case kWordWrap: {
        const bool checked = GetMenuState(bar, kWordWrap, MF_BYCOMMAND) & MF_CHECKED;
        CheckMenuItem(bar, kWordWrap, MF_BYCOMMAND | (checked ? MF_UNCHECKED : MF_CHECKED));
        Log(Format("word wrap now %d", checked ? 0 : 1));
        break;
    }
    case kAlignLeft:
    case kAlignCenter:
    case kAlignRight: CheckMenuRadioItem(bar, kAlignLeft, kAlignRight, id, MF_BYCOMMAND); break;
    case kOptions:
        g_modalOpen = true;
        Log(Format(
            "modal dialog returned %d",
            static_cast<int>(DialogBoxParamW(g_instance, MAKEINTRESOURCEW(kOptionsDialog), window, OptionsProc, 0))));
        g_modalOpen = false;
        break;
    case kModeless:
        if (!g_modeless)
            g_modeless = CreateDialogParamW(g_instance, MAKEINTRESOURCEW(kOptionsDialog), window, OptionsProc, 1);
        ShowWindow(g_modeless, SW_SHOW);
        break;
    case kMessageBox:
        g_modalOpen = true;
        Log(Format("message box returned %d",
                   MessageBoxW(window, L"Save the changes?", L"Harness Message", MB_OKCANCEL | MB_ICONQUESTION)));
        g_modalOpen = false;
        break;
    default: break;
    }
}

void OnCreate(HWND window)
{
    CreateWindowExW(0, L"STATIC", L"Own colours", WS_CHILD | WS_VISIBLE, 10, 10, 150, 40, window,
                    reinterpret_cast<HMENU>(kOwnColourStatic), g_instance, nullptr);
    CreateWindowExW(0, kOwnBrushClass, L"", WS_CHILD | WS_VISIBLE, 170, 10, 60, 40, window,
                    reinterpret_cast<HMENU>(kOwnBrushChild), g_instance, nullptr);
    CreateWindowExW(0, L"BUTTON", L"&Push", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 10, 60, 90, 26, window,
                    reinterpret_cast<HMENU>(kPushButton), g_instance, nullptr);
    CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 110, 60, 160,
                    24, window, reinterpret_cast<HMENU>(kMainEdit), g_instance, nullptr);
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == g_callMessage && g_callMessage) {
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        return 0;
    }
    switch (message) {
    case WM_CREATE: OnCreate(window); return 0;
    case WM_COMMAND: OnCommand(window, LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lParam) == GetDlgItem(window, kOwnColourStatic)) {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetBkColor(dc, kOwnStaticColour);
            SetTextColor(dc, RGB(255, 255, 255));
            return reinterpret_cast<LRESULT>(g_ownStaticBrush);
        }
        break;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE)
        Log(Format("close asked of \"%s\"", WindowTextOf(window).c_str()));
    if (message == WM_VSCROLL || message == WM_HSCROLL) {
        const bool vertical = message == WM_VSCROLL;
        OnScroll(window, vertical ? SB_VERT : SB_HORZ, LOWORD(wParam), vertical ? kWindowVScroll : kWindowHScroll);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// ---- A window that fits itself to its content ----

// As a game fits its window to its board: the client size comes from the content through the
// system's frame arithmetic, and the window is placed so its client area stays where it was.
constexpr DWORD kFitStyle = WS_OVERLAPPEDWINDOW & ~WS_THICKFRAME & ~WS_MAXIMIZEBOX;
POINT g_fitOrigin{200, 150};

void FitToContent(HWND window, int width, int height)
{
    RECT r{g_fitOrigin.x, g_fitOrigin.y, g_fitOrigin.x + width, g_fitOrigin.y + height};
    AdjustWindowRect(&r, kFitStyle, TRUE);
    MoveWindow(window, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

LRESULT CALLBACK FitProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: FitToContent(window, 160, 100); return 0;
    case WM_MOVE: g_fitOrigin = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}; return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == kFitLarge || LOWORD(wParam) == kFitSmall) {
            const bool large = LOWORD(wParam) == kFitLarge;
            FitToContent(window, large ? 420 : 160, large ? 260 : 100);
            return 0;
        }
        break;
    default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// ---- MDI ----

LRESULT CALLBACK MdiFrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: {
        CLIENTCREATESTRUCT create{GetSubMenu(GetMenu(window), 1), 5000};
        g_mdiClient = CreateWindowExW(WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr,
                                      WS_CHILD | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE, 0, 0, 0, 0,
                                      window, nullptr, g_instance, &create);
        return 0;
    }
    case WM_COMMAND: Log(Format("mdi command %u", LOWORD(wParam))); break;
    case WM_SYSCOMMAND: Log(Format("mdi frame syscommand %04x", static_cast<unsigned>(wParam & 0xFFF0))); break;
    default: break;
    }
    return DefFrameProcW(window, g_mdiClient, message, wParam, lParam);
}

LRESULT CALLBACK MdiChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SYSCOMMAND)
        Log(Format("mdi child \"%s\" syscommand %04x", WindowTextOf(window).c_str(),
                   static_cast<unsigned>(wParam & 0xFFF0)));
    if (message == WM_CLOSE)
        Log(Format("mdi child \"%s\" closes", WindowTextOf(window).c_str()));
    return DefMDIChildProcW(window, message, wParam, lParam);
}

void RegisterClasses()
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.hInstance = g_instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);

    wc.lpfnWndProc = MainProc;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kMainClass;
    RegisterClassExW(&wc);

    wc.lpfnWndProc = DefWindowProcW;
    wc.hbrBackground = g_ownClassBrush;
    wc.lpszClassName = kOwnBrushClass;
    RegisterClassExW(&wc);

    wc.lpfnWndProc = PlainProc;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kPlainClass;
    RegisterClassExW(&wc);

    wc.lpfnWndProc = FitProc;
    wc.lpszClassName = kFitClass;
    RegisterClassExW(&wc);

    wc.lpfnWndProc = MdiFrameProc;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    wc.lpszClassName = kMdiFrameClass;
    RegisterClassExW(&wc);

    wc.lpfnWndProc = MdiChildProc;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kMdiChildClass;
    RegisterClassExW(&wc);
}

HWND MakeWindow(DWORD exStyle, DWORD style, const wchar_t* title, int x, int y, int clientWidth, int clientHeight)
{
    RECT r{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    HWND window = CreateWindowExW(exStyle, kPlainClass, title, style, x, y, r.right - r.left, r.bottom - r.top, nullptr,
                                  nullptr, g_instance, nullptr);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    return window;
}

using AttachEx = int(WINAPI*)(const char*, const char*);

int AttachEngine(const std::wstring& theme, const std::wstring& scheme)
{
    HMODULE engine = LoadLibraryW(L"Velum_VB6.dll");
    if (!engine) {
        std::fprintf(stderr, "diff_app: LoadLibrary(Velum_VB6.dll) failed: %lu\n", GetLastError());
        return 2;
    }
    auto attach = reinterpret_cast<AttachEx>(reinterpret_cast<void*>(GetProcAddress(engine, "Velum_AttachEx")));
    if (!attach) {
        std::fprintf(stderr, "diff_app: the engine has no Velum_AttachEx\n");
        return 2;
    }
    auto ansi = [](const std::wstring& text) {
        std::string out(text.size() * 2 + 1, '\0');
        const int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, out.data(), static_cast<int>(out.size()),
                                          nullptr, nullptr);
        out.resize(n > 0 ? static_cast<size_t>(n - 1) : 0);
        return out;
    };
    const std::string schemeAnsi = ansi(scheme);
    const int status = attach(ansi(theme).c_str(), scheme.empty() ? nullptr : schemeAnsi.c_str());
    if (status != 0) {
        std::fprintf(stderr, "diff_app: Velum_AttachEx returned %d\n", status);
        return 2;
    }
    return 0;
}

// A scroll arrow or page area held down repeats after 200 ms. Whether a click's release reaches
// the program before that depends on how busy the machine is, so the program takes each click as
// one step: it drops the repeat timer's messages while a scroll bar is tracked.
LRESULT CALLBACK ScrollRepeatFilter(int code, WPARAM wParam, LPARAM lParam)
{
    constexpr UINT kSystemTimer = 0x0118;
    const auto* msg = reinterpret_cast<const MSG*>(lParam);
    if (code == MSGF_SCROLLBAR && msg && msg->message == kSystemTimer)
        return TRUE;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

DWORD WINAPI ScriptThread(void* folder)
{
    RunScript(*static_cast<const std::wstring*>(folder));
    return 0;
}

}  // namespace

// ---- Shared with the script ----

std::string WindowTextOf(HWND window)
{
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    std::string out;
    for (const wchar_t c : text)
        out += c >= 32 && c < 128 ? static_cast<char>(c) : '?';
    return out;
}

std::string Format(const char* format, ...)
{
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

void Log(const std::string& line)
{
    std::lock_guard lock(g_logLock);
    std::fprintf(g_log, "%s\n", line.c_str());
    std::fflush(g_log);
}

void OnUiThread(HWND window, const std::function<void()>& call)
{
    (void)window;
    SendMessageW(g_main, g_callMessage, 0, reinterpret_cast<LPARAM>(&call));
}

HWND MainWindow()
{
    return g_main;
}

HWND MakeFixedWindow()
{
    return MakeWindow(WS_EX_DLGMODALFRAME, WS_POPUP | WS_CAPTION | WS_SYSMENU, L"Harness Fixed", 120, 100, 320, 180);
}

HWND MakeFittingWindow()
{
    HMENU size = CreatePopupMenu();
    AppendMenuW(size, MF_STRING, kFitLarge, L"&Large");
    AppendMenuW(size, MF_STRING, kFitSmall, L"&Small");
    HMENU bar = CreateMenu();
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(size), L"&Size");
    HWND window = CreateWindowExW(0, kFitClass, L"Harness Fit", kFitStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, nullptr, bar, g_instance, nullptr);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    return window;
}

HWND MakeSavedWindow(const RECT& saved, bool byPlacement)
{
    const RECT& r = saved;
    HWND window =
        byPlacement
            ? CreateWindowExW(0, kPlainClass, L"Harness Saved", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, g_instance, nullptr)
            : CreateWindowExW(0, kPlainClass, L"Harness Saved", WS_OVERLAPPEDWINDOW, r.left, r.top, r.right - r.left,
                              r.bottom - r.top, nullptr, nullptr, g_instance, nullptr);
    if (byPlacement) {
        WINDOWPLACEMENT placement{};
        placement.length = sizeof placement;
        placement.showCmd = SW_SHOWNORMAL;
        placement.rcNormalPosition = saved;
        SetWindowPlacement(window, &placement);
    }
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    return window;
}

HWND MakeToolWindow()
{
    return MakeWindow(WS_EX_TOOLWINDOW, WS_OVERLAPPEDWINDOW, L"Harness Tool", 140, 120, 260, 160);
}

HWND MakeWindowWithoutButtons()
{
    return MakeWindow(0, WS_CAPTION | WS_THICKFRAME, L"Harness Plain", 160, 140, 300, 170);
}

HWND MakeMdiFrame(HWND* maximisedChild)
{
    HMENU bar = CreateMenu();
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(Popup({{401, L"&New"}})), L"&File");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(Popup({{402, L"&Cascade"}})), L"&Window");
    HWND frame = CreateWindowExW(0, kMdiFrameClass, L"Harness MDI", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 60, 50, 600,
                                 420, nullptr, bar, g_instance, nullptr);
    ShowWindow(frame, SW_SHOW);
    for (const wchar_t* title : {L"Doc 1", L"Doc 2"}) {
        MDICREATESTRUCTW create{kMdiChildClass,      title, g_instance, CW_USEDEFAULT, CW_USEDEFAULT, 260, 180,
                                WS_OVERLAPPEDWINDOW, 0};
        *maximisedChild =
            reinterpret_cast<HWND>(SendMessageW(g_mdiClient, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
    }
    SendMessageW(g_mdiClient, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(*maximisedChild), 0);
    UpdateWindow(frame);
    return frame;
}

HWND MdiClient()
{
    return g_mdiClient;
}

HWND MakeScrollingWindow()
{
    HWND window = MakeWindow(0, WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL, L"Harness Scrolling", 80, 60, 360, 240);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMax = 100;
    info.nPage = 20;
    SetScrollInfo(window, SB_VERT, &info, TRUE);
    SetScrollInfo(window, SB_HORZ, &info, TRUE);
    // A panel of the program's own inside it, with scroll bars of its own.
    HWND panel = CreateWindowExW(WS_EX_CLIENTEDGE, kPlainClass, L"Harness Panel",
                                 WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL, 12, 12, 180, 130, window, nullptr,
                                 g_instance, nullptr);
    SetScrollInfo(panel, SB_VERT, &info, TRUE);
    SetScrollInfo(panel, SB_HORZ, &info, TRUE);
    return window;
}

HWND MakeControlsDialog()
{
    g_thumbTracks = 0;
    g_controls = CreateDialogParamW(g_instance, MAKEINTRESOURCEW(kControlsDialog), g_main, ControlsProc, 0);
    SetWindowPos(g_controls, nullptr, 60, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(g_controls, SW_SHOW);
    UpdateWindow(g_controls);
    return g_controls;
}

std::string ControlNotifications()
{
    std::lock_guard lock(g_notificationLock);
    std::string out;
    for (const auto& [key, count] : g_notifications)
        out += Format(" %d:%d=%d", key.first, key.second, count);
    return out;
}

int ScrollBarThumbTracks()
{
    return g_thumbTracks;
}

int CommandCount()
{
    return g_commands;
}

bool ModalOpen()
{
    return g_modalOpen;
}

void CloseWindowNow(HWND window)
{
    DestroyWindow(window);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    g_instance = instance;
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 3) {
        std::fprintf(stderr, "usage: diff_app LOG_FILE INPUT_FOLDER [THEME_FILE [SCHEME]]\n");
        return 2;
    }
    g_log = _wfopen(argv[1], L"wb");
    if (!g_log) {
        std::fprintf(stderr, "diff_app: cannot write the log\n");
        return 2;
    }
    const std::wstring inputFolder = argv[2];
    if (argc >= 4) {
        if (const int status = AttachEngine(argv[3], argc >= 5 ? argv[4] : L""); status != 0)
            return status;
    }

    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&controls);
    g_callMessage = RegisterWindowMessageW(L"DiffApp.Call");
    g_ownStaticBrush = CreateSolidBrush(kOwnStaticColour);
    g_ownClassBrush = CreateSolidBrush(kOwnBrushColour);
    g_pictureBitmap = MakePictureBitmap();
    g_accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(1));
    RegisterClasses();
    const UniqueHook scrollRepeat(SetWindowsHookExW(WH_MSGFILTER, ScrollRepeatFilter, nullptr, GetCurrentThreadId()));

    const DWORD style = WS_OVERLAPPEDWINDOW;
    RECT r{0, 0, 700, 360};
    AdjustWindowRectEx(&r, style, TRUE, 0);
    g_main = CreateWindowExW(0, kMainClass, L"Harness Main", style, 20, 20, r.right - r.left, r.bottom - r.top, nullptr,
                             MakeMainMenu(), instance, nullptr);
    ShowWindow(g_main, SW_SHOW);
    UpdateWindow(g_main);

    HANDLE script = CreateThread(nullptr, 0, ScriptThread, const_cast<std::wstring*>(&inputFolder), 0, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (g_modeless && IsDialogMessageW(g_modeless, &msg))
            continue;
        if (g_controls && IsDialogMessageW(g_controls, &msg))
            continue;
        if (TranslateAcceleratorW(g_main, g_accelerators, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    WaitForSingleObject(script, 10000);
    Log("end");
    std::fclose(g_log);
    return 0;
}
