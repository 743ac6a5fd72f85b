// The Windows side of the velum-try test: what a shell script cannot see from X. It reads the
// window of another program (found by its window class) and ends that program.
//   plain-size PROGRAM [ARGS]  starts PROGRAM unskinned, prints its window's outer size, ends it
//   size CLASS                 prints the outer size of the visible window of CLASS: "W H"
//   text CLASS                 prints the text of that window's Edit control, in UTF-8
//   item-text CLASS ID         prints the text of that window's control ID, in UTF-8
//   end CLASS CODE             ends that window's program with exit code CODE
//   close CLASS                asks that window to close (WM_CLOSE)
//   sleep SECONDS              a program that runs without a window
//   launch PROGRAM [ARGS]      a launcher: starts PROGRAM and ends at once with exit code 3
// Exit code 0 when it did what was asked, 1 otherwise (with a line on stderr).
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "AnsiText.h"
#include "Handles.h"

namespace {

HWND FindVisible(const wchar_t* className)
{
    for (HWND hwnd = FindWindowExW(nullptr, nullptr, className, nullptr); hwnd != nullptr;
         hwnd = FindWindowExW(nullptr, hwnd, className, nullptr)) {
        if (IsWindowVisible(hwnd))
            return hwnd;
    }
    return nullptr;
}

struct AnyWindow {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindAnyVisible(HWND hwnd, LPARAM lParam)
{
    auto* search = reinterpret_cast<AnyWindow*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != search->pid || !IsWindowVisible(hwnd))
        return TRUE;
    search->found = hwnd;
    return FALSE;
}

int Fail(const char* what)
{
    std::fprintf(stderr, "try-probe: %s (error %lu)\n", what, GetLastError());
    return 1;
}

void PrintOuterSize(HWND hwnd)
{
    RECT outer{};
    GetWindowRect(hwnd, &outer);
    std::printf("%ld %ld\n", outer.right - outer.left, outer.bottom - outer.top);
}

// Starts the program of argv[2] with the arguments after it (none holds a space).
bool StartProgram(int argc, wchar_t** argv, PROCESS_INFORMATION& info)
{
    std::wstring line;
    for (int i = 2; i < argc; ++i)
        line += (i > 2 ? L" " : L"") + std::wstring(argv[i]);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    return CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info);
}

int PlainSize(int argc, wchar_t** argv)
{
    PROCESS_INFORMATION info{};
    if (!StartProgram(argc, argv, info))
        return Fail("CreateProcessW");
    UniqueKernel process(info.hProcess);
    UniqueKernel thread(info.hThread);
    for (int tries = 0; tries < 400; ++tries) {
        AnyWindow search{info.dwProcessId, nullptr};
        EnumWindows(FindAnyVisible, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) {
            // Let the program finish laying itself out after it showed the window.
            WaitForInputIdle(process.get(), 5000);
            Sleep(200);
            PrintOuterSize(search.found);
            TerminateProcess(process.get(), 0);
            return 0;
        }
        if (WaitForSingleObject(process.get(), 50) == WAIT_OBJECT_0)
            break;
    }
    TerminateProcess(process.get(), 0);
    return Fail("no window");
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3)
        return Fail("usage: try-probe plain-size|size|text|item-text|end|close|sleep|launch ...");
    const std::wstring command = argv[1];
    if (command == L"plain-size")
        return PlainSize(argc, argv);
    if (command == L"launch") {
        PROCESS_INFORMATION info{};
        if (!StartProgram(argc, argv, info))
            return Fail("CreateProcessW");
        UniqueKernel process(info.hProcess);
        UniqueKernel thread(info.hThread);
        return 3;
    }
    if (command == L"sleep") {
        Sleep(static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)) * 1000);
        return 0;
    }
    const HWND hwnd = FindVisible(argv[2]);
    if (hwnd == nullptr)
        return Fail("no visible window of that class");
    if (command == L"size") {
        PrintOuterSize(hwnd);
        return 0;
    }
    if (command == L"text" || (command == L"item-text" && argc == 4)) {
        const HWND control = command == L"text" ? FindWindowExW(hwnd, nullptr, L"Edit", nullptr)
                                                : GetDlgItem(hwnd, static_cast<int>(std::wcstol(argv[3], nullptr, 10)));
        if (control == nullptr)
            return Fail("no such control");
        std::wstring text(static_cast<size_t>(SendMessageW(control, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
        text.resize(
            static_cast<size_t>(SendMessageW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
        std::printf("%s\n", ToUtf8(text).c_str());
        return 0;
    }
    if (command == L"end" && argc == 4) {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        UniqueKernel process(OpenProcess(PROCESS_TERMINATE, FALSE, pid));
        if (!process || !TerminateProcess(process.get(), static_cast<UINT>(std::wcstoul(argv[3], nullptr, 10))))
            return Fail("cannot end the program");
        return 0;
    }
    if (command == L"close")
        return PostMessageW(hwnd, WM_CLOSE, 0, 0) ? 0 : Fail("PostMessageW");
    return Fail("unknown command");
}
