#include "CompositorFrame.h"

#include <shellapi.h>

#include "FrameLayout.h"
#include "Painter.h"

namespace velum {

namespace {

// dwmapi.h's values, spelled here for every SDK the engine builds with.
constexpr DWORD kNcRenderingEnabled = 1;    // DWMWA_NCRENDERING_ENABLED (read)
constexpr DWORD kNcRenderingPolicy = 2;     // DWMWA_NCRENDERING_POLICY
constexpr DWORD kCornerPreference = 33;     // DWMWA_WINDOW_CORNER_PREFERENCE
constexpr DWORD kBorderColour = 34;         // DWMWA_BORDER_COLOR
constexpr DWORD kPolicyUseWindowStyle = 0;  // DWMNCRP_USEWINDOWSTYLE
constexpr DWORD kPolicyDisabled = 1;        // DWMNCRP_DISABLED

using SetAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
using GetAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, PVOID, DWORD);
using IsCompositionEnabledFn = HRESULT(WINAPI*)(BOOL*);

struct Compositor {
    HMODULE loaded = nullptr;  // set only when the engine loaded dwmapi itself
    SetAttributeFn set = nullptr;
    GetAttributeFn get = nullptr;
    IsCompositionEnabledFn composed = nullptr;
    bool looked = false;
};

// The system's module of that name: the copy the program has loaded, else the system folder's,
// loaded now and noted in `loaded` to be let go at the last detach.
HMODULE SystemModule(const wchar_t* name, HMODULE& loaded)
{
    HMODULE module = GetModuleHandleW(name);
    if (module == nullptr)
        module = loaded = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return module;
}

template <class Fn>
Fn Function(HMODULE module, const char* name)
{
    return module != nullptr ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

Compositor& Store()
{
    static Compositor calls;
    return calls;
}

// dwmapi's calls, looked up once it is in the process: the program's copy at once, the system
// folder's only when `load` says so (loading it costs a program's start-up time where nothing
// else needed it, so a frame asks for it after its first paint).
Compositor& LookUp(bool load)
{
    Compositor& calls = Store();
    if (!calls.looked && (load || GetModuleHandleW(L"dwmapi.dll") != nullptr)) {
        calls.looked = true;
        HMODULE dwm = SystemModule(L"dwmapi.dll", calls.loaded);
        calls.set = Function<SetAttributeFn>(dwm, "DwmSetWindowAttribute");
        calls.get = Function<GetAttributeFn>(dwm, "DwmGetWindowAttribute");
        calls.composed = Function<IsCompositionEnabledFn>(dwm, "DwmIsCompositionEnabled");
    }
    return calls;
}

Compositor& Calls()
{
    return LookUp(false);
}

bool SetAttribute(HWND hwnd, DWORD attribute, DWORD value)
{
    const SetAttributeFn set = Calls().set;
    return set != nullptr && SUCCEEDED(set(hwnd, attribute, &value, sizeof value));
}

}  // namespace

unsigned long WindowsBuild()
{
    static const unsigned long build = [] {
        using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
        const auto getVersion = Function<RtlGetVersionFn>(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
        OSVERSIONINFOW info{};
        info.dwOSVersionInfoSize = sizeof info;
        return getVersion != nullptr && getVersion(&info) == 0 ? info.dwBuildNumber : 0ul;
    }();
    return build;
}

bool DesktopComposed()
{
    BOOL composed = FALSE;
    const IsCompositionEnabledFn query = Calls().composed;
    return query != nullptr && SUCCEEDED(query(&composed)) && composed;
}

namespace {

UINT_PTR loadTimer = 0;
void (*afterLoad)() = nullptr;

void CALLBACK LoadNow(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    loadTimer = 0;
    LookUp(true);
    if (afterLoad != nullptr)
        afterLoad();
}

}  // namespace

void LoadCompositorLater(void (*then)())
{
    afterLoad = then;
    // A thread timer's message comes once the queue holds no other, after the first paint.
    if (loadTimer == 0 && !Store().looked)
        loadTimer = SetTimer(nullptr, 0, 0, LoadNow);
}

bool CompositorFrame::Follow(HWND hwnd, bool skinned, const WindowCornersInput& theme)
{
    if (!skinned) {
        GiveBack(hwnd);
        corners_ = {};
        return true;
    }
    // The compositor frames top-level windows only.
    if ((GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) != 0) {
        GiveBack(hwnd);
        corners_ = WithoutCompositorCorners(theme);
        return true;
    }
    const Compositor& calls = Calls();
    if (!calls.looked) {
        corners_ = WithoutCompositorCorners(theme);
        return false;
    }
    if (!taken_) {
        BOOL enabled = TRUE;
        programTurnedOff_ = calls.get != nullptr &&
                            SUCCEEDED(calls.get(hwnd, kNcRenderingEnabled, &enabled, sizeof enabled)) && !enabled;
        taken_ = true;
    }
    SetAttribute(hwnd, kNcRenderingPolicy, kPolicyDisabled);
    corners_ = ChooseWindowCorners(theme);
    if (corners_.compositor) {
        // A compositor that does not take the preference rounds nothing: the region does.
        if (!SetAttribute(hwnd, kCornerPreference, static_cast<DWORD>(corners_.corner)))
            corners_ = WithoutCompositorCorners(theme);
        else
            SetAttribute(hwnd, kBorderColour, corners_.borderColour);
    }
    return true;
}

void CompositorFrame::SetEdge(HWND hwnd, Color edge)
{
    if (!corners_.compositor || corners_.borderColour == kBorderColourNone)
        return;
    const DWORD colour = ToColorRef(edge);
    if (colour != corners_.borderColour && SetAttribute(hwnd, kBorderColour, colour))
        corners_.borderColour = colour;
}

void CompositorFrame::GiveBack(HWND hwnd)
{
    if (!taken_)
        return;
    taken_ = false;
    if (corners_.compositor) {
        SetAttribute(hwnd, kCornerPreference, static_cast<DWORD>(CornerPreference::Default));
        SetAttribute(hwnd, kBorderColour, kBorderColourDefault);
    }
    SetAttribute(hwnd, kNcRenderingPolicy, programTurnedOff_ ? kPolicyDisabled : kPolicyUseWindowStyle);
}

namespace {

using AppBarMessageFn = UINT_PTR(WINAPI*)(DWORD, APPBARDATA*);

struct Shell {
    HMODULE loaded = nullptr;  // set only when the engine loaded shell32 itself
    AppBarMessageFn appBarMessage = nullptr;
    bool looked = false;
};

Shell& ShellStore()
{
    static Shell shell;
    return shell;
}

}  // namespace

unsigned AutoHideTaskbarEdges(HMONITOR monitor)
{
    Shell& shell = ShellStore();
    if (!shell.looked) {
        shell.looked = true;
        shell.appBarMessage = Function<AppBarMessageFn>(SystemModule(L"shell32.dll", shell.loaded), "SHAppBarMessage");
    }
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (shell.appBarMessage == nullptr || !GetMonitorInfoW(monitor, &info))
        return 0;
    constexpr DWORD kGetAutoHideBarEx = 0x0000000B;  // ABM_GETAUTOHIDEBAREX, Windows 8.1 on
    const RECT& m = info.rcMonitor;
    const RECT& w = info.rcWork;
    const struct {
        UINT edge;
        unsigned bit;
        bool reached;  // an auto-hide bar takes no work area: the work area meets the edge
    } edges[] = {{ABE_LEFT, kEdgeLeft, w.left == m.left},
                 {ABE_TOP, kEdgeTop, w.top == m.top},
                 {ABE_RIGHT, kEdgeRight, w.right == m.right},
                 {ABE_BOTTOM, kEdgeBottom, w.bottom == m.bottom}};
    unsigned found = 0;
    for (const auto& e : edges) {
        if (!e.reached)
            continue;
        APPBARDATA data{};
        data.cbSize = sizeof data;
        data.uEdge = e.edge;
        data.rc = m;
        if (shell.appBarMessage(kGetAutoHideBarEx, &data) != 0)
            found |= e.bit;
    }
    return found;
}

void ReleaseCompositor()
{
    if (loadTimer != 0)
        KillTimer(nullptr, loadTimer);
    loadTimer = 0;
    Compositor& calls = Store();
    if (calls.loaded != nullptr)
        FreeLibrary(calls.loaded);
    calls = {};
    Shell& shell = ShellStore();
    if (shell.loaded != nullptr)
        FreeLibrary(shell.loaded);
    shell = {};
}

}  // namespace velum
