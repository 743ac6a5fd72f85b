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
#include <cstdlib>
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

// One step the engine marked during a start, in ms from the process's creation.
struct Step {
    std::string name;
    double ms;
};

struct Start {
    double ms;
    double privateMiB;
    std::vector<Step> steps;
};

// The steps the engine wrote to the file VELUM_ATTACH_STEPS names, "<step> <counter>" a line.
std::vector<Step> ReadSteps(const std::wstring& file, const LARGE_INTEGER& start)
{
    std::vector<Step> steps;
    FILE* in = _wfopen(file.c_str(), L"r");
    if (in == nullptr)
        return steps;
    char line[160];
    while (std::fgets(line, sizeof line, in) != nullptr) {
        std::string text(line);
        const std::size_t space = text.find_last_of(' ');
        if (space == std::string::npos)
            continue;
        LARGE_INTEGER at{};
        at.QuadPart = std::strtoll(text.c_str() + space + 1, nullptr, 10);
        steps.push_back({text.substr(0, space), Milliseconds(start, at)});
    }
    std::fclose(in);
    return steps;
}

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
std::optional<Start> TimeStart(const std::wstring& program, const wchar_t* className, const std::wstring& stepsFile)
{
    SetEnvironmentVariableW(L"VELUM_ATTACH_STEPS", stepsFile.empty() ? nullptr : stepsFile.c_str());
    if (!stepsFile.empty())
        DeleteFileW(stepsFile.c_str());
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
    return Start{Milliseconds(start, shown), privateMiB,
                 stepsFile.empty() ? std::vector<Step>{} : ReadSteps(stepsFile, start)};
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

    const std::wstring stepsFile = folder + L"\\attach-steps.log";
    std::vector<double> zentoraTimes, bareTimes, zentoraMemory, bareMemory;
    // Per step, in the order the engine marked them, the times of every run that marked the
    // same steps as the first.
    std::vector<Step> stepNames;
    std::vector<std::vector<double>> stepTimes;
    // The first start of each warms the file cache and the prefix; it is not counted.
    for (int run = -1; run < runs; ++run) {
        for (int turn = 0; turn < 2; ++turn) {
            const bool zentoraTurn = (run + turn) % 2 == 0;
            const auto measured =
                zentoraTurn ? TimeStart(zentora, L"FormMain", stepsFile) : TimeStart(bare, L"BareWindow", L"");
            if (!measured)
                return 1;
            if (run >= 0 && zentoraTurn) {
                if (stepNames.empty()) {
                    stepNames = measured->steps;
                    stepTimes.resize(stepNames.size());
                }
                const bool same =
                    std::equal(stepNames.begin(), stepNames.end(), measured->steps.begin(), measured->steps.end(),
                               [](const Step& a, const Step& b) { return a.name == b.name; });
                for (std::size_t i = 0; same && i < stepNames.size(); ++i)
                    stepTimes[i].push_back(measured->steps[i].ms);
            }
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
    if (!stepNames.empty()) {
        std::printf("Where Zentora's start goes: the engine's steps, medians in ms from process creation (%zu runs)\n",
                    stepTimes.front().size());
        double previous = 0, inEngine = 0, callStart = 0;
        for (std::size_t i = 0; i < stepNames.size(); ++i) {
            const double at = Median(stepTimes[i]);
            const std::string& name = stepNames[i].name;
            std::printf("  %7.1f  %+6.1f  %s\n", at, at - previous, name.c_str());
            if (name.rfind("Velum_", 0) == 0)
                callStart = at;
            else if (name == "returned")
                inEngine += at - callStart;
            previous = at;
        }
        std::printf("  %7.1f  %+6.1f  main window visible\n", Median(zentoraTimes), Median(zentoraTimes) - previous);
        std::printf("  inside the engine's attach calls: %.1f ms; the bare window is visible at %.1f ms\n", inEngine,
                    Median(bareTimes));
    }
    const double zMiB = Median(zentoraMemory), bMiB = Median(bareMemory);
    std::printf("Private memory once the window is painted, medians:\n");
    std::printf("  Zentora %.2f MiB, bare window %.2f MiB, Zentora's extra %+.2f MiB  (aim: +1 MiB at most)\n", zMiB,
                bMiB, zMiB - bMiB);
    return 0;
}
