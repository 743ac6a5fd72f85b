// How long the Theme menu takes to fill at start-up, against the plainest way to do the same.
//
// Zentora: the program's own FormMain (app/FormMain.cpp, app/MenuElementArray.cpp) runs its
// whole start-up in this process; stand-ins for the page opening and the engine attach
// (FormLoadBoundaries.cpp) read the clock just before and just after SkinList, so the figure is
// SkinList alone: the scripting runtime's folder walk plus the menu element array.
// Baseline: FindFirstFileW over the same folder, each file name (with "&" doubled) appended
// with AppendMenuW to the Theme popup of an identical hidden window, up to 32,767 items.
// Floor: the same, but the folder walked through the scripting runtime as SkinList walks it (the
// late-bound walk is required), so SkinList over the floor is what the program adds.
// A second pair of figures times the listings alone, without any menu.
//
// The folders, themes-<count> beside this program, are made by scripts/bench.sh from the Unix
// side; each is renamed to Skin while it is measured.
// Usage: skinlist_bench [RUNS_FOR_1000 [RUNS_FOR_32767]]   (defaults 15 and 3; 0 leaves a size out)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "Automation.h"
#include "BenchTiming.h"
#include "Boundaries.h"
#include "FormMain.h"

namespace {

void DrainMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

struct ClassSearch {
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK MatchClass(HWND hwnd, LPARAM lParam)
{
    auto* search = reinterpret_cast<ClassSearch*>(lParam);
    wchar_t name[64] = L"";
    GetClassNameW(hwnd, name, 64);
    if (lstrcmpW(name, search->className) != 0)
        return TRUE;
    search->found = hwnd;
    return FALSE;
}

HWND ThreadWindowOfClass(const wchar_t* className)
{
    ClassSearch search{className, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), MatchClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// One start of the program's form in this process; returns SkinList's time.
std::optional<double> TimeZentoraSkinList(HINSTANCE instance, int& items)
{
    bench::boundaries = {};
    {
        FormMain form(instance);
        if (form.Run(SW_HIDE) != 0)
            return std::nullopt;
        // The form leaves its window when its loop ends early; take it down before the form goes.
        if (HWND window = ThreadWindowOfClass(FormMain::kClassName))
            DestroyWindow(window);
        DrainMessages();
    }
    UnregisterClassW(FormMain::kClassName, instance);
    items = bench::boundaries.menuItems;
    if (bench::boundaries.start.QuadPart == 0 || bench::boundaries.end.QuadPart == 0)
        return std::nullopt;
    return Milliseconds(bench::boundaries.start, bench::boundaries.end);
}

LRESULT CALLBACK PlainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// A file name as a menu item shows it: "&" is doubled.
void AppendName(HMENU menu, UINT command, const wchar_t* name, std::wstring& text)
{
    text.clear();
    for (const wchar_t* c = name; *c != L'\0'; ++c) {
        if (*c == L'&')
            text += L'&';
        text += *c;
    }
    AppendMenuW(menu, MF_STRING, command, text.c_str());
}

// The baseline and the floor: a window like the form's, then the listing and the menu, timed.
double TimeMenu(HINSTANCE instance, const std::wstring& skin, bool throughScripting, int& items)
{
    static const ATOM plainClass = [&] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = PlainWindowProc;
        wc.hInstance = instance;
        wc.lpszClassName = L"BaselineForm";
        return RegisterClassExW(&wc);
    }();
    (void)plainClass;
    HMENU bar = CreateMenu();
    HMENU themes = CreatePopupMenu();
    AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(themes), L"主题(&T)");
    HWND window = CreateWindowExW(0, L"BaselineForm", L"baseline", WS_OVERLAPPEDWINDOW, 0, 0, 565, 400, nullptr, bar,
                                  instance, nullptr);

    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    UINT count = 0;
    std::wstring text;
    if (throughScripting) {
        auto walk = AutomationObject::Create(L"Scripting.FileSystemObject")
                        .CallWithString(L"getfolder", skin + L"\\")
                        .GetObjectProperty(L"Files")
                        .Items();
        for (std::wstring path; count < 32767 && walk.Next(path); ++count)
            AppendName(themes, 0x1000 + count, path.c_str() + path.find_last_of(L'\\') + 1, text);
    } else {
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW((skin + L"\\*").c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    continue;
                AppendName(themes, 0x1000 + count, data.cFileName, text);
                ++count;
            } while (count < 32767 && FindNextFileW(find, &data));
            FindClose(find);
        }
    }
    QueryPerformanceCounter(&end);

    items = GetMenuItemCount(themes);
    DestroyWindow(window);
    DrainMessages();
    return Milliseconds(start, end);
}

// The listings alone: the scripting runtime's walk as SkinList makes it, and FindFirstFileW.
double TimeScriptingWalk(const std::wstring& skin, int& files)
{
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    files = 0;
    auto walk = AutomationObject::Create(L"Scripting.FileSystemObject")
                    .CallWithString(L"getfolder", skin + L"\\")
                    .GetObjectProperty(L"Files")
                    .Items();
    for (std::wstring item; walk.Next(item);)
        ++files;
    QueryPerformanceCounter(&end);
    return Milliseconds(start, end);
}

double TimeFindFirstFile(const std::wstring& skin, int& files)
{
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    files = 0;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((skin + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            files += (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    QueryPerformanceCounter(&end);
    return Milliseconds(start, end);
}

enum class Mode { SkinList, Baseline, Floor, Walk, Find };
constexpr int kModes = 5;
constexpr const wchar_t* kModeNames[kModes] = {L"skinlist", L"baseline", L"floor", L"walk", L"find"};

// One measurement in this process, printed as "<ms> <count>".
int MeasureOnce(Mode mode)
{
    ComApartment com;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const std::wstring skin = ProgramFolder() + L"\\Skin";
    int count = -1;
    double ms = 0;
    switch (mode) {
    case Mode::SkinList: {
        const auto measured = TimeZentoraSkinList(instance, count);
        if (!measured)
            return 1;
        ms = *measured;
        break;
    }
    case Mode::Baseline: ms = TimeMenu(instance, skin, false, count); break;
    case Mode::Floor: ms = TimeMenu(instance, skin, true, count); break;
    case Mode::Walk: ms = TimeScriptingWalk(skin, count); break;
    case Mode::Find: ms = TimeFindFirstFile(skin, count); break;
    }
    std::printf("%.3f %d\n", ms, count);
    return 0;
}

// Runs this program in a fresh process to measure once: a start of Zentora fills its menu in
// a fresh process too, and Wine's heap makes a process's first large menu far slower than
// later ones.
std::optional<std::pair<double, int>> MeasureInFreshProcess(Mode mode)
{
    std::wstring self(MAX_PATH, L'\0');
    self.resize(GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    std::wstring commandLine = L"\"" + self + L"\" --once " + kModeNames[static_cast<int>(mode)];
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return std::nullopt;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = writeEnd;
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi{};
    const BOOL started =
        CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return std::nullopt;
    }
    std::string output;
    char buffer[256];
    DWORD read = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read > 0)
        output.append(buffer, read);
    CloseHandle(readEnd);
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    double ms = 0;
    int count = -1;
    if (code != 0 || std::sscanf(output.c_str(), "%lf %d", &ms, &count) != 2)
        return std::nullopt;
    return std::pair{ms, count};
}

struct Row {
    int files;
    int runs;
    double median[kModes];
    int count[kModes];
};

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc == 3 && std::wcscmp(argv[1], L"--once") == 0) {
        for (int m = 0; m < kModes; ++m)
            if (std::wcscmp(argv[2], kModeNames[m]) == 0)
                return MeasureOnce(static_cast<Mode>(m));
        return 2;
    }
    // Runs for each folder size; 0 leaves that size out.
    const int runsSmall = argc > 1 ? std::max(0, _wtoi(argv[1])) : 15;
    const int runsLarge = argc > 2 ? std::max(0, _wtoi(argv[2])) : 3;
    const std::wstring folder = ProgramFolder();
    const std::wstring skin = folder + L"\\Skin";
    if (GetFileAttributesW(skin.c_str()) != INVALID_FILE_ATTRIBUTES) {
        std::fwprintf(stderr, L"skinlist_bench: %ls exists; remove it (a folder left by a stopped run)\n",
                      skin.c_str());
        return 2;
    }
    DeleteFileW((folder + L"\\SerCheckConfig.ini").c_str());

    std::vector<Row> rows;
    for (const auto& [files, runs] : {std::pair{1000, runsSmall}, std::pair{32767, runsLarge}}) {
        if (runs == 0)
            continue;
        const std::wstring source = folder + L"\\themes-" + std::to_wstring(files);
        if (!MoveFileW(source.c_str(), skin.c_str())) {
            std::fwprintf(stderr, L"skinlist_bench: cannot use %ls (error %lu); scripts/bench.sh makes it\n",
                          source.c_str(), GetLastError());
            return 2;
        }
        Row row{files, runs, {}, {-1, -1, -1, -1, -1}};
        std::vector<double> samples[kModes];
        for (int run = 0; run < runs; ++run) {
            // Alternate the order, so none meets the warmer file cache every time.
            const Mode order[2][kModes] = {{Mode::SkinList, Mode::Baseline, Mode::Floor, Mode::Walk, Mode::Find},
                                           {Mode::Floor, Mode::Baseline, Mode::SkinList, Mode::Find, Mode::Walk}};
            for (const Mode mode : order[run % 2]) {
                const auto measured = MeasureInFreshProcess(mode);
                if (!measured) {
                    std::fwprintf(stderr, L"skinlist_bench: the %ls measurement failed\n",
                                  kModeNames[static_cast<int>(mode)]);
                    MoveFileW(skin.c_str(), source.c_str());
                    return 1;
                }
                samples[static_cast<int>(mode)].push_back(measured->first);
                row.count[static_cast<int>(mode)] = measured->second;
            }
        }
        MoveFileW(skin.c_str(), source.c_str());
        for (int m = 0; m < kModes; ++m)
            row.median[m] = Median(samples[m]);
        rows.push_back(row);
    }

    std::printf("Theme menu fill (%s), medians, each measurement in a fresh process as at a start:\n",
                sizeof(void*) == 8 ? "x64" : "x86");
    std::printf(
        "  SkinList   = FormMain::SkinList as start-up runs it (scripting runtime walk + menu element array)\n");
    std::printf("  baseline   = FindFirstFileW + AppendMenuW into the same kind of popup\n");
    std::printf("  floor      = the scripting runtime's walk (as SkinList makes it) + AppendMenuW: what the\n"
                "               required late-bound walk costs at least; SkinList/floor aims at 1.1 at most\n");
    std::printf("  walk, find = the two listings alone, no menu\n");
    std::printf("%7s %5s %12s %12s %6s %10s %6s %7s | %9s %9s %6s\n", "files", "runs", "SkinList ms", "baseline ms",
                "ratio", "floor ms", "ratio", "items", "walk ms", "find ms", "ratio");
    for (const Row& r : rows) {
        std::printf("%7d %5d %12.1f %12.1f %6.2f %10.1f %6.2f %7d | %9.1f %9.1f %6.2f\n", r.files, r.runs, r.median[0],
                    r.median[1], r.median[0] / r.median[1], r.median[2], r.median[0] / r.median[2], r.count[0],
                    r.median[3], r.median[4], r.median[3] / r.median[4]);
        if (r.count[0] != r.count[1] || r.count[0] != r.count[2])
            std::printf("        menu items differ: SkinList %d, baseline %d, floor %d\n", r.count[0], r.count[1],
                        r.count[2]);
    }
    return 0;
}
