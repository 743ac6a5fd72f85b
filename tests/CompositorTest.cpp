// The compositor's part in a skinned frame, seen through a stand-in dwmapi.dll that keeps every
// attribute set (Wine has no compositor). Run in the usual prefix it is Windows 10 to the
// engine; `--reported-build=N` runs the tests again in a child process that the system tells
// it is build N, as Windows 11 would.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "EngineTestKit.h"

using namespace enginetest;

namespace {

constexpr DWORD kPolicy = 2, kCorner = 33, kBorder = 34;
constexpr DWORD kUseWindowStyle = 0, kDisabled = 1;

struct Set {
    HWND hwnd;
    DWORD attribute;
    DWORD value;
};

using TakeFn = int(WINAPI*)(Set*, int);

TakeFn StandIn()
{
    static const TakeFn take = reinterpret_cast<TakeFn>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryW(L"dwmapi.dll"), "StandInDwmTake")));
    return take;
}

// The last value each attribute was given for `hwnd` since the last look, and how often.
struct Seen {
    std::vector<Set> sets;
    int Count(DWORD attribute) const
    {
        int n = 0;
        for (const Set& s : sets)
            n += s.attribute == attribute;
        return n;
    }
    long Last(DWORD attribute) const
    {
        long last = -1;
        for (const Set& s : sets)
            if (s.attribute == attribute)
                last = static_cast<long>(s.value);
        return last;
    }
};

Seen Look(HWND hwnd)
{
    Set taken[256];
    const int n = StandIn()(taken, 256);
    Seen seen;
    for (int i = 0; i < n; ++i)
        if (taken[i].hwnd == hwnd)
            seen.sets.push_back(taken[i]);
    return seen;
}

unsigned long ReportedBuild()
{
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    const auto getVersion = reinterpret_cast<RtlGetVersionFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    return getVersion(&info) == 0 ? info.dwBuildNumber : 0;
}

bool HasRegion(HWND hwnd)
{
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    const int kind = GetWindowRgn(hwnd, region);
    DeleteObject(region);
    return kind != ERROR;
}

// A skinned frame turns the compositor's frame off, hands the theme's corners and edge to a
// compositor that takes them (with no region then), sets them again after a composition or
// theme change, and gives back the policy the window had at exclusion and at detach.
TEST(Compositor, TheSkinnedFrameIsTheEnginesAndTheCompositorsAgainAfter)
{
    ASSERT_NE(StandIn(), nullptr) << "the stand-in dwmapi.dll is not loaded (WINEDLLOVERRIDES=dwmapi=n)";
    if (const char* expected = std::getenv("VELUM_TEST_REPORTED_BUILD")) {
        ASSERT_EQ(ReportedBuild(), std::stoul(expected)) << "the system did not report the build asked for";
    }
    const bool eleven = ReportedBuild() >= 22000;
    const struct {
        const wchar_t* theme;
        long corner;  // on Windows 11: DWMWCP_DONOTROUND, _ROUNDSMALL or _ROUND
    } themes[] = {{L"contrast.vlm", 1}, {L"amber.vlm", 3}, {L"velum.vlm", 2}};
    UiThread ui;
    HWND hwnd = ui.Window();
    Look(hwnd);
    for (const auto& c : themes) {
        SCOPED_TRACE(harness::Utf8(c.theme));
        ASSERT_EQ(ui.AttachEx(SkinFile(c.theme)), VELUM_OK);
        const velum::Theme t = LoadExpected(SkinFile(c.theme));
        const Seen seen = Look(hwnd);
        EXPECT_EQ(seen.Last(kPolicy), static_cast<long>(kDisabled));
        if (eleven) {
            EXPECT_EQ(seen.Last(kCorner), c.corner);
            const bool active = ui.Call([&] { return GetActiveWindow() == hwnd ? 1 : 0; }) != 0;
            const velum::Color edge = active ? t.frame.border : t.frameInactive.border;
            EXPECT_EQ(seen.Last(kBorder), static_cast<long>(RGB(edge.r, edge.g, edge.b)));
            EXPECT_FALSE(HasRegion(hwnd)) << "the compositor rounds the window";
        } else {
            EXPECT_EQ(seen.Count(kCorner) + seen.Count(kBorder), 0);
            EXPECT_EQ(HasRegion(hwnd), t.metrics.cornerRadius > 0);
        }
    }
    for (const UINT message : {static_cast<UINT>(WM_DWMCOMPOSITIONCHANGED), static_cast<UINT>(WM_THEMECHANGED)}) {
        SendMessageW(hwnd, message, 0, 0);
        EXPECT_EQ(Look(hwnd).Last(kPolicy), static_cast<long>(kDisabled)) << "after message " << message;
    }
    const auto givenBack = [&](const char* when) {
        const Seen seen = Look(hwnd);
        EXPECT_EQ(seen.Last(kPolicy), static_cast<long>(kUseWindowStyle)) << when;
        if (eleven) {
            EXPECT_EQ(seen.Last(kCorner), 0) << when;
            EXPECT_EQ(seen.Last(kBorder), static_cast<long>(0xFFFFFFFF)) << when;
        }
    };
    ASSERT_EQ(ui.Call([&] { return Velum_ExcludeWindow(hwnd, 1); }), VELUM_OK);
    givenBack("excluded");
    ASSERT_EQ(ui.Call([&] { return Velum_ExcludeWindow(hwnd, 0); }), VELUM_OK);
    EXPECT_EQ(Look(hwnd).Last(kPolicy), static_cast<long>(kDisabled)) << "taken up again";
    ui.Call([] { return Velum_Detach(); });
    givenBack("detached");

    // A window whose program turned the compositor's frame off itself keeps it off.
    const DWORD off = kDisabled;
    using SetFn = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
    const auto set = reinterpret_cast<SetFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"dwmapi.dll"), "DwmSetWindowAttribute")));
    ASSERT_EQ(set(hwnd, kPolicy, &off, sizeof off), S_OK);
    ASSERT_EQ(ui.AttachEx(SkinFile(L"velum.vlm")), VELUM_OK);
    ui.Call([] { return Velum_Detach(); });
    EXPECT_EQ(Look(hwnd).Last(kPolicy), static_cast<long>(kDisabled)) << "the program's own policy";
}

// The system's record of its version, in both registry views, which Wine reports to a process
// that starts while no version is configured for it.
class ReportedVersion {
public:
    explicit ReportedVersion(const std::wstring& build)
    {
        for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
            HKEY key = nullptr;
            if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows NT\\CurrentVersion", 0,
                              KEY_QUERY_VALUE | KEY_SET_VALUE | view, &key) != ERROR_SUCCESS)
                continue;
            wchar_t was[32]{};
            DWORD size = sizeof was - sizeof(wchar_t);
            RegQueryValueExW(key, L"CurrentBuildNumber", nullptr, nullptr, reinterpret_cast<BYTE*>(was), &size);
            kept_.push_back({key, was});
            Write(key, build);
        }
    }
    ~ReportedVersion()
    {
        for (const auto& [key, was] : kept_) {
            Write(key, was);
            RegCloseKey(key);
        }
    }

private:
    static void Write(HKEY key, const std::wstring& value)
    {
        RegSetValueExW(key, L"CurrentBuildNumber", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    std::vector<std::pair<HKEY, std::wstring>> kept_;
};

// Runs this program again, without `--reported-build`, under the build asked for.
int RunUnderBuild(const std::wstring& build, int argc, wchar_t** argv)
{
    std::wstring command = L"\"" + std::wstring(argv[0]) + L"\"";
    for (int i = 1; i < argc; ++i)
        if (std::wstring(argv[i]).rfind(L"--reported-build=", 0) != 0)
            command += L" \"" + std::wstring(argv[i]) + L"\"";
    SetEnvironmentVariableW(L"VELUM_TEST_REPORTED_BUILD", build.c_str());
    ReportedVersion reported(build);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "compositor_tests: CreateProcess failed: %lu\n", GetLastError());
        return 1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

}  // namespace

int main()
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg.rfind(L"--reported-build=", 0) == 0)
            return RunUnderBuild(arg.substr(17), argc, argv);
    }
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i)
        args.push_back(harness::Utf8(argv[i]));
    std::vector<char*> pointers;
    for (std::string& a : args)
        pointers.push_back(a.data());
    int count = static_cast<int>(pointers.size());
    testing::InitGoogleTest(&count, pointers.data());
    return RUN_ALL_TESTS();
}
