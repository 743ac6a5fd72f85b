// The engine as a guest in a program that does legal but unexpected things: it subclasses its
// windows before and after the engine does, installs hooks of its own, calls the engine from
// inside the messages the engine sends, ends the thread that attached and unloads the engine.
// The engine is loaded by LoadLibrary, as such a program would, so it can be unloaded.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "ProgramHarness.h"
#include "TestData.h"
#include "Velum.h"

namespace {

struct EngineCalls {
    HMODULE module = nullptr;
    int(VELUM_CALL* attach)() = nullptr;
    int(VELUM_CALL* attachEx)(const char*, const char*) = nullptr;
    int(VELUM_CALL* detach)() = nullptr;
    int(VELUM_CALL* lastErrorText)(char*, int) = nullptr;

    void Load()
    {
        // The engine beside this program.
        wchar_t path[MAX_PATH];
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring engine = path;
        engine = engine.substr(0, engine.find_last_of(L'\\')) + L"\\Velum_VB6.dll";
        module = LoadLibraryW(engine.c_str());
        ASSERT_NE(module, nullptr);
        attach = reinterpret_cast<decltype(attach)>(reinterpret_cast<void*>(GetProcAddress(module, "Velum_Attach")));
        attachEx =
            reinterpret_cast<decltype(attachEx)>(reinterpret_cast<void*>(GetProcAddress(module, "Velum_AttachEx")));
        detach = reinterpret_cast<decltype(detach)>(reinterpret_cast<void*>(GetProcAddress(module, "Velum_Detach")));
        lastErrorText = reinterpret_cast<decltype(lastErrorText)>(
            reinterpret_cast<void*>(GetProcAddress(module, "Velum_GetLastErrorText")));
        ASSERT_TRUE(attach && attachEx && detach && lastErrorText);
    }
};

EngineCalls& Engine()
{
    static EngineCalls calls;
    if (calls.module == nullptr)
        calls.Load();
    return calls;
}

std::string Theme(const char* name)
{
    return harness::Ansi(testdata::DataFolder() + L"\\Skin\\") + name;
}

int AttachTheme(const char* name)
{
    return Engine().attachEx(Theme(name).c_str(), "");
}

void Pump()
{
    MSG msg;
    for (int round = 0; round < 3; ++round) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    }
}

constexpr UINT kProbe = WM_APP + 5;

// A program's subclass, as class libraries install one on every control: it counts the probe
// messages and calls the procedure it replaced. A chain that leads back to it is cut after a
// few rounds instead of hanging the test.
struct ProgramSubclass {
    WNDPROC previous = nullptr;
    int probes = 0;
    int colourChanges = 0;  // WM_SYSCOLORCHANGE, which a program re-reads its colours on
    int nesting = 0;
};
std::map<HWND, ProgramSubclass>& Subclassed()
{
    static std::map<HWND, ProgramSubclass> windows;
    return windows;
}

LRESULT CALLBACK ProgramSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    ProgramSubclass& s = Subclassed()[hwnd];
    if (message == kProbe || message == WM_CHAR)
        ++s.probes;
    if (message == WM_SYSCOLORCHANGE)
        ++s.colourChanges;
    if (s.nesting > 3)
        return 0;
    ++s.nesting;
    const LRESULT result = CallWindowProcW(s.previous, hwnd, message, wParam, lParam);
    --s.nesting;
    return result;
}

// Set once a window was subclassed over the engine in this process: the engine then stays
// loaded for good.
bool engineKeptLoaded = false;

void SubclassByProgram(HWND hwnd)
{
    engineKeptLoaded = true;
    Subclassed()[hwnd].previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ProgramSubclassProc)));
}

LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void RegisterFrameClass()
{
    static const bool registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = FrameProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = L"GuestFrame";
        return RegisterClassW(&wc) != 0;
    }();
    ASSERT_TRUE(registered);
}

// The windows a program has: a frame with a menu bar and controls, and a dialog.
struct ProgramWindows {
    HWND frame = nullptr, dialog = nullptr;
    std::map<std::wstring, HWND> controls;

    ProgramWindows()
    {
        RegisterFrameClass();
        InitCommonControls();
        HMENU bar = CreateMenu();
        AppendMenuW(bar, MF_STRING, 1, L"&File");
        frame = CreateWindowExW(0, L"GuestFrame", L"Guest", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 420, 320, nullptr,
                                bar, nullptr, nullptr);
        const wchar_t* classes[] = {L"Button",    L"Edit",      L"ListBox",    L"ComboBox",
                                    L"ScrollBar", WC_LISTVIEWW, WC_TABCONTROLW};
        int y = 4;
        for (const wchar_t* cls : classes) {
            controls[cls] = CreateWindowExW(0, cls, L"x", WS_CHILD | WS_VISIBLE | WS_BORDER, 4, y, 200, 24, frame,
                                            nullptr, nullptr, nullptr);
            y += 28;
        }
        dialog =
            CreateWindowExW(WS_EX_DLGMODALFRAME, L"#32770", L"Dialog", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE,
                            480, 40, 240, 160, frame, nullptr, nullptr, nullptr);
        Pump();
    }
    ~ProgramWindows()
    {
        DestroyWindow(dialog);
        DestroyWindow(frame);
        Pump();
    }
    std::vector<HWND> All() const
    {
        std::vector<HWND> all{frame, dialog};
        for (const auto& [name, hwnd] : controls)
            all.push_back(hwnd);
        return all;
    }
};

// Every message a program sends reaches its own subclass once, skinned or not, before and
// after the engine's subclass, across switches, detach and a new attach; after the last
// detach each window's procedure is the program's. Each change of the look tells the common
// controls, made before the engine or under it, that the colours changed, once.
TEST(Guest, ProgramSubclassesComposeWithTheEngines)
{
    const struct {
        const char* name;
        bool beforeAttach;
        bool madeUnderEngine;
    } cases[] = {{"program subclasses after attach", false, false},
                 {"program subclasses before attach", true, false},
                 {"windows made under the engine", false, true}};
    const struct {
        const char* step;
        std::function<int()> call;
    } steps[] = {
        {"switch", [] { return AttachTheme("midnight.vlm"); }},
        {"detach", [] { return Engine().detach(); }},
        {"attach again", [] { return AttachTheme("velum.vlm"); }},
        {"switch again", [] { return AttachTheme("midnight.vlm"); }},
        {"detach again", [] { return Engine().detach(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.madeUnderEngine) {
            ASSERT_EQ(AttachTheme("velum.vlm"), VELUM_OK);
        }
        ProgramWindows windows;
        Subclassed().clear();
        if (c.beforeAttach)
            for (HWND hwnd : windows.All())
                SubclassByProgram(hwnd);
        if (!c.madeUnderEngine) {
            ASSERT_EQ(AttachTheme("velum.vlm"), VELUM_OK);
        }
        if (!c.beforeAttach)
            for (HWND hwnd : windows.All())
                SubclassByProgram(hwnd);
        for (const auto& step : steps) {
            SCOPED_TRACE(step.step);
            for (HWND hwnd : windows.All())
                Subclassed()[hwnd].colourChanges = 0;
            ASSERT_EQ(step.call(), VELUM_OK);
            Pump();
            for (const wchar_t* common : {WC_LISTVIEWW, WC_TABCONTROLW})
                EXPECT_EQ(Subclassed()[windows.controls[common]].colourChanges, 1) << harness::Utf8(common);
            for (HWND hwnd : windows.All()) {
                Subclassed()[hwnd].probes = 0;
                SendMessageW(hwnd, kProbe, 0, 0);
                EXPECT_EQ(Subclassed()[hwnd].probes, 1) << harness::Utf8(harness::WindowText(hwnd));
            }
            Subclassed()[windows.controls[L"Edit"]].probes = 0;
            SendMessageW(windows.controls[L"Edit"], WM_CHAR, 'a', 0);
            EXPECT_EQ(Subclassed()[windows.controls[L"Edit"]].probes, 1);
        }
        for (HWND hwnd : windows.All())
            EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(ProgramSubclassProc));
    }
}

// Class libraries subclass each window as they wrap it, often after the engine attached, and
// some wrap a window twice (a library's own subclass under the program's). Each layer of the
// program's chain must be entered once per message, never nested, however the look changes.
struct Layer {
    WNDPROC previous = nullptr;
    int entries = 0, depth = 0, deepest = 0;
};
std::map<std::pair<HWND, int>, Layer>& Layers()
{
    static std::map<std::pair<HWND, int>, Layer> layers;
    return layers;
}

template <int N>
LRESULT CALLBACK LayerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    Layer& layer = Layers()[{hwnd, N}];
    if (message == WM_GETTEXTLENGTH || message == WM_CHAR)
        ++layer.entries;
    if (layer.depth > 3)
        return 0;
    layer.deepest = std::max(layer.deepest, ++layer.depth);
    const LRESULT result = CallWindowProcW(layer.previous, hwnd, message, wParam, lParam);
    --layer.depth;
    return result;
}

template <int N>
void WrapAsLibrary(HWND hwnd)
{
    engineKeptLoaded = true;
    Layers()[{hwnd, N}].previous =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LayerProc<N>)));
}

TEST(Guest, AProgramSubclassMadeWhileAttachedIsEnteredOncePerMessage)
{
    const auto switchTheme = [] { return AttachTheme("midnight.vlm"); };
    const auto attach = [] { return AttachTheme("velum.vlm"); };
    const auto detach = [] { return Engine().detach(); };
    const struct {
        const char* name;
        std::vector<std::function<int()>> steps;
    } sequences[] = {
        {"switch once", {switchTheme}},
        {"switch ten times", std::vector<std::function<int()>>(10, switchTheme)},
        {"detach then attach", {detach, attach}},
        {"detach, attach, switch", {detach, attach, switchTheme}},
    };
    for (const bool stacked : {false, true}) {
        for (const auto& sequence : sequences) {
            SCOPED_TRACE(std::string(sequence.name) + (stacked ? ", a library subclass under the program's" : ""));
            ProgramWindows program;
            const std::pair<const char*, HWND> windows[] = {{"push button", program.controls[L"Button"]},
                                                            {"edit", program.controls[L"Edit"]},
                                                            {"list box", program.controls[L"ListBox"]},
                                                            {"frame", program.frame}};
            Layers().clear();
            if (stacked)
                for (const auto& [name, hwnd] : windows)
                    WrapAsLibrary<1>(hwnd);
            ASSERT_EQ(attach(), VELUM_OK);
            for (const auto& [name, hwnd] : windows)
                WrapAsLibrary<2>(hwnd);
            for (const auto& step : sequence.steps) {
                ASSERT_EQ(step(), VELUM_OK);
            }
            for (const bool detached : {false, true}) {
                if (detached) {
                    ASSERT_EQ(detach(), VELUM_OK);
                }
                Pump();
                for (const auto& [name, hwnd] : windows) {
                    SCOPED_TRACE(std::string(name) + (detached ? " after detach" : ""));
                    for (auto& [key, layer] : Layers())
                        layer.entries = layer.deepest = 0;
                    SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
                    for (const int n : {1, 2})
                        if (n == 2 || stacked) {
                            const Layer& layer = Layers()[std::make_pair(hwnd, n)];
                            EXPECT_EQ(layer.entries, 1) << "layer " << n;
                            EXPECT_EQ(layer.deepest, 1) << "layer " << n;
                        }
                    EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(LayerProc<2>));
                }
                const int before = GetWindowTextLengthW(program.controls[L"Edit"]);
                SendMessageW(program.controls[L"Edit"], WM_CHAR, 'a', 1);
                EXPECT_EQ(GetWindowTextLengthW(program.controls[L"Edit"]), before + 1);
            }
        }
    }
}

// A program's hooks, installed before or after the engine's, see every creation, min/max,
// menu-loop and retrieved message they see without the engine.
struct HookCounts {
    int created = 0, minMax = 0, menuFilter = 0, retrieved = 0;
};
HookCounts hookCounts;

LRESULT CALLBACK ProgramCbt(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND)
        ++hookCounts.created;
    if (code == HCBT_MINMAX)
        ++hookCounts.minMax;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
LRESULT CALLBACK ProgramMsgFilter(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == MSGF_MENU && reinterpret_cast<const MSG*>(lParam)->message == WM_KEYDOWN)
        ++hookCounts.menuFilter;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
LRESULT CALLBACK ProgramGetMessage(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && reinterpret_cast<const MSG*>(lParam)->message == kProbe)
        ++hookCounts.retrieved;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

HookCounts RunHookedScenario(bool skinned, bool hooksBeforeAttach)
{
    hookCounts = {};
    const DWORD thread = GetCurrentThreadId();
    std::vector<HHOOK> hooks;
    auto install = [&] {
        hooks.push_back(SetWindowsHookExW(WH_CBT, ProgramCbt, nullptr, thread));
        hooks.push_back(SetWindowsHookExW(WH_MSGFILTER, ProgramMsgFilter, nullptr, thread));
        hooks.push_back(SetWindowsHookExW(WH_GETMESSAGE, ProgramGetMessage, nullptr, thread));
    };
    if (hooksBeforeAttach)
        install();
    if (skinned)
        AttachTheme("velum.vlm");
    if (!hooksBeforeAttach)
        install();
    {
        ProgramWindows windows;
        ShowWindow(windows.frame, SW_MINIMIZE);
        ShowWindow(windows.frame, SW_RESTORE);
        SetForegroundWindow(windows.frame);
        // A popup menu tracked until the Escape posted to it: its loop goes through the filter.
        HMENU popup = CreatePopupMenu();
        AppendMenuW(popup, MF_STRING, 7, L"Item");
        PostMessageW(windows.frame, WM_KEYDOWN, VK_ESCAPE, 0);
        TrackPopupMenu(popup, TPM_RETURNCMD, 100, 100, 0, windows.frame, nullptr);
        DestroyMenu(popup);
        PostMessageW(windows.frame, kProbe, 0, 0);
        Pump();
    }
    if (skinned)
        Engine().detach();
    for (HHOOK hook : hooks)
        UnhookWindowsHookEx(hook);
    return hookCounts;
}

TEST(Guest, ProgramHooksSeeWhatTheySeeWithoutTheEngine)
{
    for (const bool before : {true, false}) {
        SCOPED_TRACE(before ? "hooks installed before attach" : "hooks installed after attach");
        const HookCounts plain = RunHookedScenario(false, before);
        const HookCounts skinned = RunHookedScenario(true, before);
        ASSERT_GT(plain.created, 0);
        ASSERT_GT(plain.minMax, 0);
        ASSERT_GT(plain.menuFilter, 0);
        ASSERT_GT(plain.retrieved, 0);
        EXPECT_EQ(skinned.created, plain.created);
        EXPECT_EQ(skinned.minMax, plain.minMax);
        EXPECT_EQ(skinned.menuFilter, plain.menuFilter);
        EXPECT_EQ(skinned.retrieved, plain.retrieved);
    }
}

// Calls of the engine from inside messages, while the engine attaches, switches and detaches:
// each completes or is refused as busy, none crashes, and the engine can still be detached,
// giving every window its own procedure back.
struct Reentry {
    UINT message = 0;
    std::function<int()> call;
    bool armed = false;
    std::vector<int> results;
};
Reentry reentry;

LRESULT CALLBACK ReenteringProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (reentry.armed && message == reentry.message) {
        reentry.armed = false;
        reentry.results.push_back(reentry.call());
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

TEST(Guest, EngineCallsFromInsideItsMessagesCompleteOrAreRefused)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = ReenteringProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"GuestReentering";
    RegisterClassW(&wc);
    const struct {
        const char* name;
        UINT message;
    } messages[] = {
        {"WM_NCCALCSIZE", WM_NCCALCSIZE}, {"WM_SIZE", WM_SIZE},       {"WM_WINDOWPOSCHANGED", WM_WINDOWPOSCHANGED},
        {"WM_PAINT", WM_PAINT},           {"WM_NCPAINT", WM_NCPAINT}, {"WM_ACTIVATE", WM_ACTIVATE},
        {"WM_DESTROY", WM_DESTROY}};
    const struct {
        const char* name;
        std::function<int()> call;
    } calls[] = {{"Velum_Attach", [] { return Engine().attach(); }},
                 {"Velum_AttachEx", [] { return AttachTheme("midnight.vlm"); }},
                 {"Velum_Detach", [] { return Engine().detach(); }},
                 {"Velum_AttachEx of a missing theme", [] { return Engine().attachEx("Z:\\no\\such.vlm", ""); }},
                 {"Velum_GetLastErrorText", [] {
                      char text[256];
                      return Engine().lastErrorText(text, sizeof text) >= 0 ? VELUM_OK : -1;
                  }}};
    const struct {
        const char* name;
        bool attachedBefore;
        std::function<int()> operation;
    } operations[] = {{"first attach", false, [] { return AttachTheme("velum.vlm"); }},
                      {"switch", true, [] { return AttachTheme("midnight.vlm"); }},
                      {"detach", true, [] { return Engine().detach(); }}};
    for (const auto& operation : operations)
        for (const auto& message : messages)
            for (const auto& call : calls) {
                SCOPED_TRACE(std::string(call.name) + " inside " + message.name + " during " + operation.name);
                HWND hwnd = CreateWindowExW(0, L"GuestReentering", L"Reentering", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60,
                                            60, 300, 200, nullptr, nullptr, nullptr, nullptr);
                HWND button = CreateWindowExW(0, L"Button", L"b", WS_CHILD | WS_VISIBLE, 4, 4, 60, 24, hwnd, nullptr,
                                              nullptr, nullptr);
                Pump();
                if (operation.attachedBefore) {
                    ASSERT_EQ(AttachTheme("velum.vlm"), VELUM_OK);
                }
                reentry = {message.message, call.call, true, {}};
                const int result = operation.operation();
                EXPECT_TRUE(result == VELUM_OK || result == VELUM_E_BUSY) << result;
                // Messages the operation did not send come now: a repaint, an activation, the end.
                SetWindowPos(hwnd, nullptr, 0, 0, 310, 210, SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
                SetForegroundWindow(hwnd);
                Pump();
                DestroyWindow(button);
                Pump();
                for (int r : reentry.results)
                    EXPECT_TRUE(r == VELUM_OK || r == VELUM_E_BUSY || r == VELUM_E_FILE) << r;
                EXPECT_EQ(Engine().detach(), VELUM_OK);
                Pump();
                EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(ReenteringProc));
                reentry.armed = reentry.message == WM_DESTROY;
                DestroyWindow(hwnd);
                Pump();
                EXPECT_EQ(Engine().detach(), VELUM_OK);
            }
}

// A thread that attaches and ends without detaching lets the engine go: another attaches.
TEST(Guest, AThreadThatEndsAttachedReleasesTheEngine)
{
    int firstResult = -1;
    std::thread([&] {
        HWND hwnd = CreateWindowExW(0, L"Button", L"ending", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 200, 120,
                                    nullptr, nullptr, nullptr, nullptr);
        firstResult = AttachTheme("velum.vlm");
        Pump();
        (void)hwnd;
    }).join();
    ASSERT_EQ(firstResult, VELUM_OK);
    ProgramWindows windows;
    EXPECT_EQ(AttachTheme("midnight.vlm"), VELUM_OK);
    Pump();
    Subclassed().clear();
    SubclassByProgram(windows.frame);
    SendMessageW(windows.frame, kProbe, 0, 0);
    EXPECT_EQ(Subclassed()[windows.frame].probes, 1);
    EXPECT_EQ(Engine().detach(), VELUM_OK);
}

// A program's own frame arithmetic: the outer size it works out for a client size, and what
// GetClientRect then reports of a window made at that size.
struct FrameArithmetic {
    RECT outer{};
    int captionMetric = 0;
    SIZE client{};
};

FrameArithmetic WorkOutFrame()
{
    constexpr DWORD style = WS_OVERLAPPEDWINDOW;
    FrameArithmetic f;
    f.outer = {0, 0, 300, 200};
    AdjustWindowRectEx(&f.outer, style, FALSE, 0);
    f.captionMetric = GetSystemMetrics(SM_CYCAPTION);
    HWND hwnd = CreateWindowExW(0, L"Static", L"fitted", style, 30, 30, f.outer.right - f.outer.left,
                                f.outer.bottom - f.outer.top, nullptr, nullptr, nullptr, nullptr);
    RECT client{};
    GetClientRect(hwnd, &client);
    f.client = {client.right, client.bottom};
    DestroyWindow(hwnd);
    return f;
}

// The engine answers the frame arithmetic of the skinned thread only, and only while attached:
// another thread, and the program after detach, get the system's answers.
TEST(Guest, FrameArithmeticIsAnsweredOnTheSkinnedThreadWhileAttached)
{
    const FrameArithmetic system = WorkOutFrame();
    ASSERT_EQ(AttachTheme("midnight.vlm"), VELUM_OK);
    const FrameArithmetic skinned = WorkOutFrame();
    FrameArithmetic otherThread;
    std::thread([&] { otherThread = WorkOutFrame(); }).join();
    ASSERT_EQ(Engine().detach(), VELUM_OK);
    const FrameArithmetic detached = WorkOutFrame();

    EXPECT_EQ(skinned.client.cx, 300);
    EXPECT_EQ(skinned.client.cy, 200);
    EXPECT_NE(skinned.outer.top, system.outer.top);
    EXPECT_NE(skinned.captionMetric, system.captionMetric);
    for (const FrameArithmetic& asked : {otherThread, detached}) {
        EXPECT_TRUE(EqualRect(&asked.outer, &system.outer));
        EXPECT_EQ(asked.captionMetric, system.captionMetric);
    }
}

// After detach and FreeLibrary, every kind of window paints, takes clicks and keys without
// calling into the unloaded engine. Where the program subclassed over the engine, the engine
// cannot leave the chain and stays loaded; otherwise nothing of it stays.
TEST(Guest, AfterDetachAndFreeLibraryNothingCallsTheEngine)
{
    for (const bool subclassOver : {false, true}) {
        SCOPED_TRACE(subclassOver ? "program subclassed over the engine" : "engine on top at detach");
        ProgramWindows windows;
        Subclassed().clear();
        ASSERT_EQ(AttachTheme("midnight.vlm"), VELUM_OK);
        if (subclassOver)
            for (HWND hwnd : windows.All())
                SubclassByProgram(hwnd);
        ASSERT_EQ(Engine().detach(), VELUM_OK);
        Pump();
        HMODULE engine = Engine().module;
        Engine() = {};
        FreeLibrary(engine);
        if (!subclassOver && !engineKeptLoaded) {
            EXPECT_EQ(GetModuleHandleW(L"Velum_VB6.dll"), nullptr);
        }
        WorkOutFrame();  // the program's imports call the system again
        for (HWND hwnd : windows.All()) {
            RedrawWindow(hwnd, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
            SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(60, 60));
            // Posted, as input comes: a scroll bar tracks a click until the button goes up.
            for (const UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_KEYDOWN, WM_CHAR, WM_KEYUP})
                PostMessageW(hwnd, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 'A', MAKELPARAM(5, 5));
            SendMessageW(hwnd, kProbe, 0, 0);
        }
        Pump();
        for (HWND hwnd : windows.All())
            EXPECT_EQ(Subclassed()[hwnd].probes > 0, subclassOver);
    }
}

}  // namespace
