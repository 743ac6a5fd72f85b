// Start-up time as a person waits for it: from process creation until the main window is
// visible, for Zentora (its program folder with the engine from the build and a theme from
// Skin, applied at start) and for bare_window.exe, a program that only registers a class and
// shows a window of the same size. Runs alternate between the two; medians are printed.
// Each program's private memory is read once its window has been shown and painted.
//
// The Zentora folder, zentora\ beside this program, is made by scripts/bench.sh.
// Usage: startup_bench [RUNS]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "BenchTiming.h"

namespace {

struct Search {
    DWORD pid;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK FindVisible(HWND hwnd, LPARAM lParam)
{
    auto* s = reinterpret_cast<Search*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != s->pid || !IsWindowVisible(hwnd))
        return TRUE;
    wchar_t name[64] = L"";
    GetClassNameW(hwnd, name, 64);
    if (lstrcmpW(name, s->className) != 0 && lstrcmpW(name, L"#32770") != 0)
        return TRUE;
    s->found = hwnd;
    return FALSE;
}

struct Start {
    double ms;
    double privateMiB;
};

// Private memory of a process once its window has been shown and painted: its page-file
// usage, which Wine fills from the process's anonymous resident pages and swap in /proc
// (PrivateUsage stays 0 there).
double PrivateMiB(HANDLE process)
{
    Sleep(400);
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, &counters, sizeof counters))
        return -1;
    return static_cast<double>(counters.PagefileUsage) / (1024.0 * 1024.0);
}

// Starts the program and returns the time until its window of that class is visible.
std::optional<Start> TimeStart(const std::wstring& program, const wchar_t* className)
{
    std::wstring commandLine = L"\"" + program + L"\"";
    const std::wstring folder = program.substr(0, program.find_last_of(L'\\'));
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION pi{};

    LARGE_INTEGER start, shown{};
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi)) {
        std::fwprintf(stderr, L"startup_bench: cannot start %ls (error %lu)\n", program.c_str(), GetLastError());
        return std::nullopt;
    }
    Search search{pi.dwProcessId, className, nullptr};
    const ULONGLONG deadline = GetTickCount64() + 60000;
    while (search.found == nullptr && GetTickCount64() < deadline &&
           WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
        EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr)
            QueryPerformanceCounter(&shown);
        else
            Sleep(1);
    }

    bool ok = search.found != nullptr;
    double privateMiB = -1;
    if (ok) {
        privateMiB = PrivateMiB(pi.hProcess);
        wchar_t name[64] = L"";
        GetClassNameW(search.found, name, 64);
        if (lstrcmpW(name, className) != 0) {
            std::fwprintf(stderr, L"startup_bench: %ls showed a message box instead of its window\n", program.c_str());
            ok = false;
        }
        PostMessageW(search.found, WM_CLOSE, 0, 0);
    } else {
        std::fwprintf(stderr, L"startup_bench: %ls showed no window\n", program.c_str());
    }
    if (WaitForSingleObject(pi.hProcess, 30000) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 1);
        WaitForSingleObject(pi.hProcess, 5000);
        ok = false;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (!ok)
        return std::nullopt;
    return Start{Milliseconds(start, shown), privateMiB};
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 21;
    const std::wstring folder = ProgramFolder();
    const std::wstring zentora = folder + L"\\zentora\\Zentora.exe";
    const std::wstring bare = folder + L"\\bare_window.exe";
    // Zentora opens its home page at every start; the bench prefix hands it to the recorder.
    SetEnvironmentVariableW(L"URL_RECORDER_LOG", (folder + L"\\url.log").c_str());

    std::vector<double> zentoraTimes, bareTimes, zentoraMemory, bareMemory;
    // The first start of each warms the file cache and the prefix; it is not counted.
    for (int run = -1; run < runs; ++run) {
        for (int turn = 0; turn < 2; ++turn) {
            const bool zentoraTurn = (run + turn) % 2 == 0;
            const auto measured = zentoraTurn ? TimeStart(zentora, L"FormMain") : TimeStart(bare, L"BareWindow");
            if (!measured)
                return 1;
            if (run >= 0) {
                (zentoraTurn ? zentoraTimes : bareTimes).push_back(measured->ms);
                (zentoraTurn ? zentoraMemory : bareMemory).push_back(measured->privateMiB);
            }
            // Let the page recorder and the closed program finish before the next start.
            Sleep(300);
        }
    }

    const auto [zMin, zMax] = std::minmax_element(zentoraTimes.begin(), zentoraTimes.end());
    const auto [bMin, bMax] = std::minmax_element(bareTimes.begin(), bareTimes.end());
    std::printf("Start-up (%s), process creation to visible main window, %d runs each:\n",
                sizeof(void*) == 8 ? "x64" : "x86", runs);
    std::printf("  Zentora     median %7.1f ms  (min %.1f, max %.1f)  engine from the build, saved theme applied\n",
                Median(zentoraTimes), *zMin, *zMax);
    std::printf("  bare window median %7.1f ms  (min %.1f, max %.1f)\n", Median(bareTimes), *bMin, *bMax);
    std::printf("  ratio %.2f  (aim: 1.3 at most)\n", Median(zentoraTimes) / Median(bareTimes));
    const double zMiB = Median(zentoraMemory), bMiB = Median(bareMemory);
    std::printf("Private memory once the window is painted, medians:\n");
    std::printf("  Zentora %.2f MiB, bare window %.2f MiB, Zentora's extra %+.2f MiB  (aim: +1.5 MiB at most)\n", zMiB,
                bMiB, zMiB - bMiB);
    return 0;
}
