// The engine's state and its life on a thread: attaching (the hooks), a theme switch, detaching
// at once or once a message returns, and letting go of a thread that ended attached.
#include "Engine.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "AttachSteps.h"
#include "CompositorFrame.h"
#include "Exclusions.h"
#include "FrameArithmetic.h"
#include "KeptBitmaps.h"
#include "SystemColourAnswers.h"
#include "ThemeArtwork.h"
#include "Velum.h"
#include "WindowRegistry.h"

namespace velum {

namespace {

HINSTANCE engineModule = nullptr;

struct EngineState {
    // Read by any thread the program's imports run on (OnSkinnedThread).
    std::atomic<DWORD> thread{0};
    // Tells whether the attached thread still runs: a thread may end without detaching.
    UniqueKernel threadHandle;
    // Velum_Detach was called from inside a message the engine handles: the windows are given
    // back as soon as that message returns.
    bool detachPending = false;
    // Unhooked when skinning stops, or when the engine is unloaded while still attached (a hook
    // left behind would call into unmapped code).
    UniqueHook hook;
    UniqueHook menuHook;
    std::unique_ptr<ThemeResources> theme;
    // Counts the attaches that installed the hooks; the latest is also noted on its thread.
    std::uint64_t attaches = 0;
    // The top-level windows the last look was applied to, told of it next unless the thread
    // made a window since (WindowsMadeSoFar).
    struct Applied {
        std::vector<HWND> topLevel;
        std::uint64_t made = 0;
    };
    std::optional<Applied> applied;
    // High contrast is on: the engine stepped aside. The thread that attached keeps its theme,
    // to be applied again when high contrast goes off, which a hook on its messages watches for.
    DWORD asideThread = 0;
    UniqueKernel asideThreadHandle;
    std::unique_ptr<ThemeResources> keptTheme;
    UniqueHook watchHook;
};

// The attach the calling thread made, when it made the current one. A thread that ended
// attached may leave its id to a new thread, which starts with none.
thread_local std::uint64_t attachMadeHere = 0;

EngineState& State()
{
    static EngineState state;
    return state;
}

bool ThreadEnded(HANDLE thread)
{
    return thread != nullptr && WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
}

}  // namespace

ThemeResources* CurrentTheme()
{
    return State().theme.get();
}

DWORD SkinnedThread()
{
    return State().thread;
}

bool OnSkinnedThread()
{
    const DWORD thread = State().thread.load(std::memory_order_relaxed);
    return thread != 0 && thread == GetCurrentThreadId();
}

void SetEngineModule(HINSTANCE module)
{
    engineModule = module;
}

bool HighContrastOn()
{
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof contrast;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

DWORD AttachedThread()
{
    const EngineState& state = State();
    return state.thread != 0 ? state.thread.load() : state.asideThread;
}

bool SteppedAside()
{
    return State().asideThread != 0;
}

namespace {

bool SkinThreadWindowsNow(std::unique_ptr<ThemeResources> theme);

void ForgetSteppingAside()
{
    EngineState& state = State();
    state.watchHook.reset();
    state.asideThread = 0;
    state.asideThreadHandle.reset();
    WhenOutsideEngineProcedures([kept = std::shared_ptr<ThemeResources>(std::move(state.keptTheme))] {});
}

// While the engine stands aside, the thread's settings messages tell when high contrast goes
// off: its look is applied again then, and its windows told.
LRESULT CALLBACK WatchHighContrast(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    EngineState& state = State();
    const LRESULT next = CallNextHookEx(nullptr, code, wParam, lParam);
    if (code != HC_ACTION || sent == nullptr || state.asideThread != GetCurrentThreadId() ||
        (sent->message != WM_SETTINGCHANGE && sent->message != WM_SYSCOLORCHANGE) || HighContrastOn())
        return next;
    bool back = false;
    {
        const EngineCallScope scope;
        if (scope.Taken() && state.keptTheme) {
            std::unique_ptr<ThemeResources> theme = std::move(state.keptTheme);
            ForgetSteppingAside();
            back = SkinThreadWindowsNow(std::move(theme));
        }
    }
    if (back)
        TellThemeChanged(GetCurrentThreadId(), kLookApplied);
    return next;
}

// Gives every window back as a detach does, keeping the theme and the thread.
bool StepAside(std::unique_ptr<ThemeResources> theme)
{
    EngineState& state = State();
    const DWORD thread = GetCurrentThreadId();
    if (state.hook)
        StopSkinning();
    if (state.asideThread == 0) {
        state.watchHook.reset(SetWindowsHookExW(WH_CALLWNDPROC, WatchHighContrast, engineModule, thread));
        if (!state.watchHook)
            return false;
        state.asideThread = thread;
        HANDLE handle = nullptr;
        DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &handle, SYNCHRONIZE, FALSE, 0);
        state.asideThreadHandle.reset(handle);
    }
    WhenOutsideEngineProcedures([previous = std::shared_ptr<ThemeResources>(std::move(state.keptTheme))] {});
    state.keptTheme = std::move(theme);
    return true;
}

}  // namespace

bool SkinThreadWindows(std::unique_ptr<ThemeResources> theme)
{
    // Under high contrast the system's colours are the user's: the theme waits.
    if (HighContrastOn())
        return StepAside(std::move(theme));
    if (State().asideThread != 0)
        ForgetSteppingAside();
    return SkinThreadWindowsNow(std::move(theme));
}

void FollowHighContrast()
{
    if (!OnSkinnedThread() || !HighContrastOn())
        return;
    // The message that told it is still in the engine's procedures.
    WhenOutsideEngineProcedures([] {
        bool aside = false;
        {
            const EngineCallScope scope;
            EngineState& state = State();
            if (scope.Taken() && OnSkinnedThread() && state.theme && HighContrastOn()) {
                std::unique_ptr<ThemeResources> theme = std::move(state.theme);
                aside = StepAside(std::move(theme));
            }
        }
        if (aside)
            TellThemeChanged(GetCurrentThreadId(), kLookSteppedAside);
    });
}

namespace {

bool SkinThreadWindowsNow(std::unique_ptr<ThemeResources> theme)
{
    EngineState& state = State();
    if (!state.hook) {
        state.hook.reset(SetWindowsHookExW(WH_CBT, CbtHook, engineModule, GetCurrentThreadId()));
        if (!state.hook)
            return false;
        state.thread = GetCurrentThreadId();
        attachMadeHere = ++state.attaches;
        HANDLE thread = nullptr;
        DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &thread, SYNCHRONIZE, FALSE, 0);
        state.threadHandle.reset(thread);
        state.menuHook.reset(SetWindowsHookExW(WH_MSGFILTER, MenuFilterHook, engineModule, state.thread));
        MarkStep("hooks set");
        AnswerFrameArithmetic(engineModule);
        MarkStep("frame arithmetic answered");
        AnswerSystemColours(engineModule);
        MarkStep("system colours answered");
    }
    state.detachPending = false;
    // The old resources live until every window has been refreshed with the new ones, and
    // until no procedure that may hold them is on the stack.
    std::shared_ptr<ThemeResources> previous = std::move(state.theme);
    state.theme = std::move(theme);
    const std::uint64_t made = WindowsMadeSoFar();
    std::vector<HWND> topLevel = TopLevelWindowsOf(state.thread);
    for (HWND hwnd : topLevel)
        SkinExistingWindow(hwnd, 0);
    MarkStep("windows taken up");
    TellCommonControlsColoursChanged(state.thread);
    MarkStep("common controls told");
    RefreshSkinnedWindows();
    MarkStep("windows refreshed");
    WhenOutsideEngineProcedures([previous] {});
    state.applied = EngineState::Applied{std::move(topLevel), made};
    return true;
}

}  // namespace

void StopSkinning()
{
    EngineState& state = State();
    if (state.asideThread != 0 && state.asideThread == GetCurrentThreadId())
        ForgetSteppingAside();
    if (!state.hook)
        return;
    state.detachPending = false;
    // The system's colours first, so the windows given back repaint in them.
    const bool coloursBack = StopAnsweringSystemColours();
    UnskinAll();
    ReleaseCompositor();
    state.hook.reset();
    state.menuHook.reset();
    // An import the program patched again over the engine's may still call into this module.
    const bool importsBack = StopAnsweringFrameArithmetic() && coloursBack;
    const DWORD thread = state.thread.exchange(0);
    state.threadHandle.reset();
    // They read the system's colours again.
    TellCommonControlsColoursChanged(thread);
    WhenOutsideEngineProcedures([retired = std::shared_ptr<ThemeResources>(std::move(state.theme))] {
        ReleaseKeptBuffer();
        ReleaseKeptIcons();
        ReleaseKeptButtons();
    });
    // However the engine is detached, what it kept for a theme to come back is let go too.
    TrimFontCache();
    ForgetKeptArtwork();
    // A window the program subclassed over the engine keeps calling into this module, which
    // must then outlive a FreeLibrary.
    if (AnyWindowStillChained() || !importsBack) {
        HMODULE pinned = nullptr;
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                           reinterpret_cast<LPCWSTR>(engineModule), &pinned);
    }
}

bool DetachWhenMessageReturns()
{
    if (!InsideEngineProcedure())
        return false;
    EngineState& state = State();
    if (!state.detachPending) {
        state.detachPending = true;
        WhenOutsideEngineProcedures([] {
            const DWORD thread = State().thread;
            bool stopped = false;
            {
                const EngineCallScope scope;
                if (State().detachPending) {
                    StopSkinning();
                    stopped = true;
                }
            }
            // Outside the engine's call, so the program may call it again from the message.
            if (stopped)
                TellThemeChanged(thread, kLookRemoved);
        });
    }
    return true;
}

void ReleaseEndedThread()
{
    EngineState& state = State();
    if (state.asideThread != 0 && state.asideThread != GetCurrentThreadId() &&
        ThreadEnded(state.asideThreadHandle.get()))
        ForgetSteppingAside();
    if (state.thread == 0)
        return;
    // The skinned thread asking plainly still runs: the system is not asked, which costs a
    // theme switch more than any other check.
    if (state.thread == GetCurrentThreadId() && attachMadeHere == state.attaches)
        return;
    if (!ThreadEnded(state.threadHandle.get()))
        return;
    // Its windows are gone with it, and its hooks; what the engine kept for them is let go.
    AbandonSubclasses();
    StopSkinning();
}

void TellThemeChanged(DWORD thread, WPARAM look)
{
    const bool attached = look == kLookApplied;
    static const UINT message = RegisterWindowMessageW(VELUM_THEMECHANGED_NAMEW);
    // The windows the look was just applied to, as long as none was made since: a switch then
    // walks the thread's windows once.
    std::optional<EngineState::Applied> applied = std::exchange(State().applied, std::nullopt);
    const bool sameWindows = attached && applied && applied->made == WindowsMadeSoFar() && thread == SkinnedThread();
    for (HWND hwnd : sameWindows ? applied->topLevel : TopLevelWindowsOf(thread))
        if (IsWindow(hwnd) && !IsExcluded(hwnd))
            SendMessageW(hwnd, message, look, 0);
}

int MetricForDpi(int index, int dpi)
{
    using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
    static const auto metricsForDpi = reinterpret_cast<GetSystemMetricsForDpiFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetSystemMetricsForDpi")));
    if (metricsForDpi != nullptr)
        return metricsForDpi(index, static_cast<UINT>(dpi));
    return MulDiv(GetSystemMetrics(index), dpi, ScreenDpi());
}

int SystemSizingBorder(int dpi)
{
    return MetricForDpi(SM_CXSIZEFRAME, dpi) + MetricForDpi(SM_CXPADDEDBORDER, dpi);
}

namespace {

// The DPI each top-level window's last followed WM_DPICHANGED gave. On Windows it equals what
// GetDpiForWindow says from then on; where the system cannot move a window to a monitor of
// another DPI (Wine), a DPI change sent to the window is the only way one happens.
struct NotedDpis {
    std::mutex lock;
    std::map<HWND, int> dpis;
    std::atomic<bool> any{false};  // the paint paths ask first, and take no lock while none is noted
};

NotedDpis& Noted()
{
    static NotedDpis noted;
    return noted;
}

}  // namespace

void NoteWindowDpi(HWND topLevel, int dpi)
{
    NotedDpis& noted = Noted();
    const std::lock_guard<std::mutex> hold(noted.lock);
    noted.dpis[topLevel] = dpi;
    noted.any = true;
}

void ForgetWindowDpi(HWND topLevel)
{
    NotedDpis& noted = Noted();
    const std::lock_guard<std::mutex> hold(noted.lock);
    if (topLevel == nullptr)
        noted.dpis.clear();
    else
        noted.dpis.erase(topLevel);
    noted.any = !noted.dpis.empty();
}

bool FollowsDpiChanges(HWND hwnd)
{
    using GetWindowContextFn = DPI_AWARENESS_CONTEXT(WINAPI*)(HWND);
    using GetAwarenessFn = DPI_AWARENESS(WINAPI*)(DPI_AWARENESS_CONTEXT);
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    static const auto windowContext = reinterpret_cast<GetWindowContextFn>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetWindowDpiAwarenessContext")));
    static const auto awarenessOf = reinterpret_cast<GetAwarenessFn>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext")));
    // Per monitor v1 and v2 both: a v1 window's frame is not scaled by the system, but the
    // engine draws the frame itself.
    if (windowContext != nullptr && awarenessOf != nullptr)
        return awarenessOf(windowContext(hwnd)) == DPI_AWARENESS_PER_MONITOR_AWARE;
    // Windows 8.1 knows awareness per process only, and tells it through shcore.
    using GetProcessAwarenessFn = HRESULT(WINAPI*)(HANDLE, int*);
    static const auto processAwareness = [] {
        HMODULE shcore = LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        return shcore == nullptr ? nullptr
                                 : reinterpret_cast<GetProcessAwarenessFn>(
                                       reinterpret_cast<void*>(GetProcAddress(shcore, "GetProcessDpiAwareness")));
    }();
    constexpr int kProcessPerMonitorAware = 2;  // PROCESS_PER_MONITOR_DPI_AWARE
    int awareness = 0;
    return processAwareness != nullptr && SUCCEEDED(processAwareness(nullptr, &awareness)) &&
           awareness == kProcessPerMonitorAware;
}

int WindowDpi(HWND hwnd)
{
    NotedDpis& noted = Noted();
    if (!noted.any)
        return SystemWindowDpi(hwnd);
    if (HWND root = GetAncestor(hwnd, GA_ROOT); root != nullptr) {
        const std::lock_guard<std::mutex> hold(noted.lock);
        if (const auto found = noted.dpis.find(root); found != noted.dpis.end())
            return found->second;
    }
    return SystemWindowDpi(hwnd);
}

int SystemWindowDpi(HWND hwnd)
{
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow != nullptr) {
        const UINT dpi = getDpiForWindow(hwnd);
        if (dpi != 0)
            return static_cast<int>(dpi);
    }
    return ScreenDpi();
}

}  // namespace velum
