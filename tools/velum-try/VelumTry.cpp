// velum-try: starts any program and attaches the Velum engine inside it, so a developer sees
// their program under a theme without changing it. The engine must be attached on the thread
// that owns the windows, so velum-try waits for the program's first window and has a message
// hook on that window's thread (VelumTryHook.dll) load the engine and attach it there. A
// program that starts a successor and ends (or waits for it) is followed: the first window of
// the program or of any process it started is the one skinned. With --watch it then applies the
// theme again at each save of the file, through the same hook, for as long as the program runs.
#include <windows.h>
#include <tlhelp32.h>

#include <cstring>
#include <cwchar>
#include <deque>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "AnsiText.h"
#include "AppError.h"
#include "Handles.h"
#include "SavedFileWatch.h"
#include "VelumTryExchange.h"

namespace {

// Exit codes of velum-try's own failures; otherwise it exits with the program's exit code.
enum ExitCode : int {
    kBadArguments = 120,
    kThemeUnusable = 121,
    kCannotStart = 122,
    kWrongArchitecture = 123,
    kNoWindow = 124,
    kNotAttached = 125,
};

constexpr wchar_t kUsage[] =
    L"usage: velum-try [--timeout=SECONDS] [--watch] THEME [SCHEME] -- PROGRAM [ARGS...]\n"
    L"Starts PROGRAM with ARGS, waits for the first window of PROGRAM or of a process it\n"
    L"started (a program that starts its successor and ends) and skins that window's UI thread\n"
    L"with the Velum engine beside velum-try, under THEME (a theme file) and SCHEME (default:\n"
    L"the file's own). Then waits for the process that owns the window and exits with its exit\n"
    L"code.\n"
    L"--watch: while the program runs, applies THEME again each time the file is saved. A save\n"
    L"with an error keeps the look the program has and prints the error, with the file, line\n"
    L"and column, on stderr; each save applied prints a line on stdout.\n"
    L"velum-try's own failures exit with: 120 bad arguments, 121 the theme or scheme cannot be\n"
    L"used, 122 PROGRAM cannot be started, 123 PROGRAM, or the process of its window, is of the\n"
    L"other architecture, 124 no window within the time (default 30 s), 125 the engine could\n"
    L"not be attached.\n";

constexpr DWORD kDefaultTimeoutMs = 30000;

struct Failure {
    int code;
    std::wstring message;
};

[[noreturn]] void Fail(int code, std::wstring message)
{
    throw Failure{code, std::move(message)};
}

// "call: error N: text", read right after the call failed.
std::wstring LastErrorText(std::wstring_view call)
{
    const DWORD code = GetLastError();
    return std::wstring(call) + L": error " + std::to_wstring(code) + L": " + SystemErrorText(code);
}

// A console gets the text as it is; a file or pipe gets it in the ANSI code page, as a Windows
// console program's output is read.
void Print(DWORD stream, std::wstring_view text)
{
    HANDLE out = GetStdHandle(stream);
    if (out == nullptr || out == INVALID_HANDLE_VALUE)
        return;
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(out, &mode)) {
        WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    const std::string bytes = ToAnsi(text);
    WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

struct Options {
    DWORD timeoutMs = kDefaultTimeoutMs;
    bool watch = false;
    std::wstring theme;
    std::wstring scheme;
    std::wstring program;
    std::vector<std::wstring> arguments;
};

DWORD ParseTimeout(std::wstring_view value)
{
    unsigned long seconds = 0;
    for (wchar_t c : value) {
        if (c < L'0' || c > L'9' || seconds > 3600)
            Fail(kBadArguments, L"--timeout takes a number of seconds (1 to 3600)\n" + std::wstring(kUsage));
        seconds = seconds * 10 + static_cast<unsigned long>(c - L'0');
    }
    if (value.empty() || seconds < 1 || seconds > 3600)
        Fail(kBadArguments, L"--timeout takes a number of seconds (1 to 3600)\n" + std::wstring(kUsage));
    return static_cast<DWORD>(seconds * 1000);
}

Options ParseArguments(int argc, wchar_t** argv)
{
    Options options;
    std::vector<std::wstring> before;
    int i = 1;
    for (; i < argc; ++i) {
        const std::wstring_view arg = argv[i];
        if (arg == L"--")
            break;
        if (arg.starts_with(L"--timeout=") && before.empty())
            options.timeoutMs = ParseTimeout(arg.substr(10));
        else if (arg == L"--watch")
            options.watch = true;
        else if (arg.size() > 1 && arg[0] == L'-')
            Fail(kBadArguments, L"unknown option '" + std::wstring(arg) + L"'\n" + kUsage);
        else
            before.emplace_back(arg);
    }
    if (i >= argc)
        Fail(kBadArguments, L"no '--' before the program to start\n" + std::wstring(kUsage));
    if (before.empty() || before.size() > 2)
        Fail(kBadArguments, L"give a theme file and at most one scheme before '--'\n" + std::wstring(kUsage));
    if (i + 1 >= argc || argv[i + 1][0] == L'\0')
        Fail(kBadArguments, L"no program after '--'\n" + std::wstring(kUsage));
    options.theme = before[0];
    if (before.size() == 2)
        options.scheme = before[1];
    options.program = argv[i + 1];
    options.arguments.assign(argv + i + 2, argv + argc);
    return options;
}

std::wstring ToolFolder()
{
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path.substr(0, path.find_last_of(L'\\'));
}

// The theme's full path: the program may run in another folder. The engine's wide calls take
// it as it is, in any script.
std::wstring ThemePathForEngine(const std::wstring& theme)
{
    std::wstring full(32768, L'\0');
    const DWORD length = GetFullPathNameW(theme.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0 || length >= full.size())
        Fail(kThemeUnusable, theme + L": " + LastErrorText(L"GetFullPathNameW"));
    full.resize(length);
    return full;
}

template <class Fn>
Fn Export(HMODULE module, const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The same call the program will make, made here first on velum-try's own thread (which has no
// windows), so a missing file, a broken theme or an unknown scheme is reported before the
// program starts.
void CheckTheme(const std::wstring& enginePath, const std::wstring& theme, const std::wstring& scheme)
{
    UniqueModule engine(LoadLibraryW(enginePath.c_str()));
    if (!engine)
        Fail(kNotAttached, L"cannot load the engine " + enginePath + L": " + LastErrorText(L"LoadLibraryW"));
    const auto attachEx = Export<int(WINAPI*)(const wchar_t*, const wchar_t*)>(engine.get(), "Velum_AttachExW");
    const auto detach = Export<int(WINAPI*)()>(engine.get(), "Velum_Detach");
    const auto lastErrorText = Export<int(WINAPI*)(wchar_t*, int)>(engine.get(), "Velum_GetLastErrorTextW");
    if (attachEx == nullptr || detach == nullptr || lastErrorText == nullptr)
        Fail(kNotAttached, enginePath + L" is not the Velum engine (its calls are missing)");
    if (attachEx(theme.c_str(), scheme.c_str()) != 0) {
        std::wstring text(2048, L'\0');
        lastErrorText(text.data(), static_cast<int>(text.size()));
        text.resize(wcsnlen(text.data(), text.size()));
        Fail(kThemeUnusable, text);
    }
    detach();
}

// Where CreateProcessW will find the program: as given, or on the search path, ".exe" added.
std::wstring ResolveProgram(const std::wstring& program)
{
    std::wstring found(32768, L'\0');
    const DWORD length =
        SearchPathW(nullptr, program.c_str(), L".exe", static_cast<DWORD>(found.size()), found.data(), nullptr);
    if (length == 0 || length >= found.size())
        Fail(kCannotStart, program + L": cannot find the program (" + LastErrorText(L"SearchPathW") + L")");
    found.resize(length);
    const DWORD attributes = GetFileAttributesW(found.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        Fail(kCannotStart, found + L": is a folder, not a program");
    return found;
}

// The machine a program is built for, from its PE header.
WORD ProgramMachine(const std::wstring& path)
{
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        Fail(kCannotStart, path + L": " + LastErrorText(L"CreateFileW"));
    auto readAt = [&](LONG offset, void* buffer, DWORD size) {
        DWORD got = 0;
        return SetFilePointer(file.get(), offset, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
               ReadFile(file.get(), buffer, size, &got, nullptr) && got == size;
    };
    IMAGE_DOS_HEADER dos{};
    DWORD signature = 0;
    IMAGE_FILE_HEADER header{};
    if (!readAt(0, &dos, sizeof dos) || dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew <= 0 ||
        !readAt(dos.e_lfanew, &signature, sizeof signature) || signature != IMAGE_NT_SIGNATURE ||
        !readAt(dos.e_lfanew + static_cast<LONG>(sizeof signature), &header, sizeof header))
        Fail(kCannotStart, path + L": not a Windows program");
    return header.Machine;
}

std::wstring MachineName(WORD machine)
{
    switch (machine) {
    case IMAGE_FILE_MACHINE_AMD64: return L"x64";
    case IMAGE_FILE_MACHINE_I386: return L"x86";
    default: break;
    }
    wchar_t hex[8];
    swprintf(hex, std::size(hex), L"%04X", machine);
    return L"machine 0x" + std::wstring(hex);
}

constexpr WORD kOwnMachine = sizeof(void*) == 8 ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386;

void CheckArchitecture(const std::wstring& path)
{
    const WORD machine = ProgramMachine(path);
    if (machine != kOwnMachine)
        Fail(kWrongArchitecture, path + L" is an " + MachineName(machine) + L" program and this velum-try is " +
                                     MachineName(kOwnMachine) + L": use the velum-try.exe of bin\\" +
                                     MachineName(machine) +
                                     L" (the engine can only be attached to a program of "
                                     L"its own architecture)");
}

// One argument as the C runtime's and CommandLineToArgvW's parsing gives it back: quotes
// only when needed, backslashes doubled only before a quote.
std::wstring QuoteArgument(const std::wstring& argument)
{
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos)
        return argument;
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted.push_back(c);
    }
    quoted.append(backslashes * 2, L'\\');
    quoted.push_back(L'"');
    return quoted;
}

std::wstring CommandLine(const Options& options)
{
    std::wstring line = QuoteArgument(options.program);
    for (const std::wstring& argument : options.arguments)
        line += L' ' + QuoteArgument(argument);
    return line;
}

struct Program {
    UniqueKernel process;
    DWORD pid = 0;
};

Program Start(const std::wstring& path, const Options& options)
{
    std::wstring line = CommandLine(options);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        Fail(kCannotStart, path + L": " + LastErrorText(L"CreateProcessW"));
    CloseHandle(info.hThread);
    return {UniqueKernel(info.hProcess), info.dwProcessId};
}

// The request block and the answer event, made before the hook can look for them.
class ExchangeBlock {
public:
    explicit ExchangeBlock(DWORD pid)
    {
        mapping_.reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(velum_try::Exchange),
                                          velum_try::ExchangeName(pid).c_str()));
        if (!mapping_)
            Fail(kNotAttached, LastErrorText(L"CreateFileMappingW"));
        view_.reset(MapViewOfFile(mapping_.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(velum_try::Exchange)));
        if (!view_)
            Fail(kNotAttached, LastErrorText(L"MapViewOfFile"));
        answered_.reset(CreateEventW(nullptr, TRUE, FALSE, velum_try::AnsweredEventName(pid).c_str()));
        if (!answered_)
            Fail(kNotAttached, LastErrorText(L"CreateEventW"));
    }

    velum_try::Exchange& Get() { return *static_cast<velum_try::Exchange*>(view_.get()); }
    HANDLE Answered() const { return answered_.get(); }

    void Request(const std::wstring& enginePath, const std::wstring& theme, const std::wstring& scheme)
    {
        velum_try::Exchange& exchange = Get();
        exchange.size = sizeof exchange;
        Copy(exchange.enginePath, enginePath, kNotAttached);
        Copy(exchange.themePath, theme, kThemeUnusable);
        Copy(exchange.scheme, scheme, kThemeUnusable);
        NextRequest();
    }

    // The same request again, under a new number, its answer not yet given. Only while the
    // hook is not answering the previous one: it reads the block on the program's thread.
    void NextRequest()
    {
        velum_try::Exchange& exchange = Get();
        ResetEvent(answered_.get());
        exchange.stage = velum_try::Stage::Waiting;
        exchange.systemError = 0;
        exchange.engineResult = 0;
        exchange.engineError[0] = '\0';
        ++exchange.request;
    }

private:
    template <size_t N>
    static void Copy(wchar_t (&to)[N], const std::wstring& text, int code)
    {
        if (text.size() >= N)
            Fail(code, text + L": longer than velum-try can hand over (" + std::to_wstring(N - 1) + L" characters)");
        text.copy(to, text.size());
        to[text.size()] = L'\0';
    }

    UniqueKernel mapping_;
    UniqueView view_;
    UniqueKernel answered_;
};

ULONGLONG CreationTime(HANDLE process)
{
    FILETIME created{};
    FILETIME exited{};
    FILETIME kernel{};
    FILETIME user{};
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user))
        return 0;
    return (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

// The started program and every process started from it, found by parent process id. Each
// member's handle stays open, so its id is not given to another process while velum-try looks
// for its children: a process started by a member that has since ended is still found. Members
// stay where they are as more are added, so a pointer to one stays good.
class ProgramFamily {
public:
    struct Member {
        UniqueKernel process;
        DWORD pid = 0;
        ULONGLONG created = 0;
    };

    explicit ProgramFamily(Program started)
    {
        const ULONGLONG created = CreationTime(started.process.get());
        members_.push_back({std::move(started.process), started.pid, created});
    }

    const Member& Started() const { return members_.front(); }

    const Member* Find(DWORD pid) const
    {
        for (const Member& member : members_) {
            if (member.pid == pid)
                return &member;
        }
        return nullptr;
    }

    bool AllEnded() const
    {
        for (const Member& member : members_) {
            if (WaitForSingleObject(member.process.get(), 0) != WAIT_OBJECT_0)
                return false;
        }
        return true;
    }

    // Takes in the processes started by a member since the last look; true when there were any.
    bool FindNewMembers()
    {
        UniqueSnapshot snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        if (!snapshot)
            return false;
        std::vector<PROCESSENTRY32W> processes;
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry))
            processes.push_back(entry);
        bool added = false;
        // Again until none is added, so grandchildren in the same snapshot are found too.
        for (bool again = true; again;) {
            again = false;
            for (const PROCESSENTRY32W& process : processes) {
                if (Find(process.th32ProcessID) == nullptr && Adopt(process.th32ProcessID, process.th32ParentProcessID))
                    again = added = true;
            }
        }
        return added;
    }

    // Ends every member still running: they were started only to be skinned.
    void EndAll()
    {
        for (const Member& member : members_)
            TerminateProcess(member.process.get(), 1);
    }

private:
    bool Adopt(DWORD pid, DWORD parentPid)
    {
        const Member* parent = Find(parentPid);
        if (parent == nullptr)
            return false;
        UniqueKernel process(
            OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE, pid));
        if (!process)
            return false;
        // A process older than the member is not its child but was started by an earlier
        // holder of that id.
        const ULONGLONG created = CreationTime(process.get());
        if (created < parent->created)
            return false;
        members_.push_back({std::move(process), pid, created});
        return true;
    }

    std::deque<Member> members_;
};

struct WindowSearch {
    const ProgramFamily* family;
    HWND found;
    const ProgramFamily::Member* owner;
};

BOOL CALLBACK FindVisibleWindow(HWND hwnd, LPARAM lParam)
{
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    const ProgramFamily::Member* owner = search->family->Find(pid);
    if (owner == nullptr || !IsWindowVisible(hwnd))
        return TRUE;
    search->found = hwnd;
    search->owner = owner;
    return FALSE;
}

std::wstring Seconds(DWORD ms)
{
    return std::to_wstring((ms + 999) / 1000) + L" s";
}

// The first visible top-level window of the program or of a process started from it.
WindowSearch WaitForFirstWindow(ProgramFamily& family, DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    // Returns at once for a program without a message queue; the polling below still waits.
    WaitForInputIdle(family.Started().process.get(), timeoutMs);
    for (;;) {
        // Read before the look for new processes: a member that starts its successor and ends
        // has started it before it ended, so the look finds it.
        const bool ended = family.AllEnded();
        const bool added = family.FindNewMembers();
        WindowSearch search{&family, nullptr, nullptr};
        EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr)
            return search;
        if (ended && !added) {
            DWORD code = 0;
            GetExitCodeProcess(family.Started().process.get(), &code);
            Fail(kNoWindow, L"the program ended (exit code " + std::to_wstring(code) + L") before it showed a window");
        }
        if (GetTickCount64() >= deadline)
            Fail(kNoWindow,
                 L"the program showed no window within " + Seconds(timeoutMs) + L" (a longer wait: --timeout=SECONDS)");
        Sleep(50);
    }
}

std::wstring ProcessPath(const ProgramFamily::Member& member)
{
    std::wstring path(32768, L'\0');
    DWORD length = static_cast<DWORD>(path.size());
    if (!QueryFullProcessImageNameW(member.process.get(), 0, path.data(), &length))
        return L"process " + std::to_wstring(member.pid);
    path.resize(length);
    return path;
}

// The program's file was checked before it started; a process it started may be of the other
// architecture (a 32-bit program that starts its 64-bit self), and the engine and the hook
// can only be loaded into one of velum-try's own.
void CheckOwnerArchitecture(const ProgramFamily::Member& owner, const std::wstring& programPath)
{
    BOOL ownWow64 = FALSE;
    BOOL ownerWow64 = FALSE;
    if (!IsWow64Process(GetCurrentProcess(), &ownWow64) || !IsWow64Process(owner.process.get(), &ownerWow64) ||
        ownWow64 == ownerWow64)
        return;
    const WORD other = kOwnMachine == IMAGE_FILE_MACHINE_I386 ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386;
    Fail(kWrongArchitecture,
         L"the program's window is shown by " + ProcessPath(owner) + L" (process " + std::to_wstring(owner.pid) +
             L"), an " + MachineName(other) + L" program started from the " + MachineName(kOwnMachine) + L" " +
             programPath + L": use the velum-try.exe of bin\\" + MachineName(other) + L" on " + ProcessPath(owner) +
             L" (the engine can only be attached to a program of its own architecture)");
}

// The message hook on the thread of the program's window, with VelumTryHook.dll as its module.
// It stays while velum-try asks the program to attach (again, under --watch).
class ProgramHook {
public:
    ProgramHook(HWND window, const std::wstring& folder) : window_(window), path_(folder + L"\\VelumTryHook.dll")
    {
        module_.reset(LoadLibraryW(path_.c_str()));
        if (!module_)
            Fail(kNotAttached, L"cannot load " + path_ + L": " + LastErrorText(L"LoadLibraryW"));
        const auto hookProc = Export<HOOKPROC>(module_.get(), velum_try::kHookProcName);
        if (hookProc == nullptr)
            Fail(kNotAttached, path_ + L" lacks its hook procedure");
        thread_ = GetWindowThreadProcessId(window, nullptr);
        hook_.reset(SetWindowsHookExW(WH_GETMESSAGE, hookProc, module_.get(), thread_));
        if (!hook_)
            Fail(kNotAttached, LastErrorText(L"SetWindowsHookExW"));
        message_ = RegisterWindowMessageW(velum_try::kAttachMessage);
        if (message_ == 0)
            Fail(kNotAttached, LastErrorText(L"RegisterWindowMessageW"));
    }

    const std::wstring& Path() const { return path_; }

    // Posts the attach message to the window, or to its thread once the window is gone (a
    // program that replaced its first window); the hook sees the message either way.
    void Ask()
    {
        if (!PostMessageW(window_, message_, 0, 0) && !PostThreadMessageW(thread_, message_, 0, 0))
            Fail(kNotAttached, LastErrorText(L"PostThreadMessageW"));
    }

private:
    HWND window_;
    std::wstring path_;
    UniqueModule module_;
    DWORD thread_ = 0;
    UniqueHook hook_;
    UINT message_ = 0;
};

std::wstring EngineText(const velum_try::Exchange& answer)
{
    return std::wstring(answer.engineError, wcsnlen(answer.engineError, std::size(answer.engineError)));
}

// Throws the failure the hook's answer tells of; returns when the engine attached.
void CheckAnswer(const velum_try::Exchange& answer, const std::wstring& hookPath)
{
    switch (answer.stage) {
    case velum_try::Stage::Attached: return;
    case velum_try::Stage::EngineNotLoaded:
        Fail(kNotAttached, L"the program cannot load the engine " + std::wstring(answer.enginePath) + L": error " +
                               std::to_wstring(answer.systemError) + L": " + SystemErrorText(answer.systemError));
    case velum_try::Stage::EngineIncomplete:
        Fail(kNotAttached, std::wstring(answer.enginePath) + L" is not the Velum engine (its calls are missing)");
    case velum_try::Stage::AttachFailed:
        Fail(kThemeUnusable, L"in the program, Velum_AttachEx returned " + std::to_wstring(answer.engineResult) +
                                 L": " + EngineText(answer));
    case velum_try::Stage::BadRequest:
    case velum_try::Stage::Waiting: break;
    }
    Fail(kNotAttached,
         L"the hook inside the program gave no usable answer (is " + hookPath + L" from this velum-try's build?)");
}

void AttachInside(HANDLE process, ProgramHook& hook, ExchangeBlock& exchange, DWORD timeoutMs)
{
    hook.Ask();
    const HANDLE waits[] = {exchange.Answered(), process};
    const DWORD waited = WaitForMultipleObjects(2, waits, FALSE, timeoutMs);
    if (waited == WAIT_OBJECT_0 + 1)
        Fail(kNotAttached, L"the program ended before the engine was attached");
    if (waited != WAIT_OBJECT_0)
        Fail(kNotAttached, L"the program's window thread did not take velum-try's message within " +
                               Seconds(timeoutMs) + L" (busy, or not reading its message queue)");
    CheckAnswer(exchange.Get(), hook.Path());
}

// One line for each save applied again. A save the engine refuses leaves the program's look as
// it was; its error goes to stderr as the engine words it, "FILE:LINE:COLUMN: error: ...", at
// the start of the line where editors look for it.
void ReportReapplied(const velum_try::Exchange& answer, const std::wstring& hookPath, const std::wstring& theme)
{
    if (answer.stage == velum_try::Stage::AttachFailed) {
        std::wstring text = EngineText(answer);
        if (text.empty())
            text = L"velum-try: Velum_AttachEx returned " + std::to_wstring(answer.engineResult);
        Print(STD_ERROR_HANDLE, text + L"\n");
        return;
    }
    try {
        CheckAnswer(answer, hookPath);
        Print(STD_OUTPUT_HANDLE, L"velum-try: applied " + theme + L" again\n");
    } catch (const Failure& failure) {
        Print(STD_ERROR_HANDLE, L"velum-try: " + failure.message + L"\n");
    }
}

// Until the program's process ends: each save of the theme is applied again, one at a time. A
// save made while the program is still applying the one before is taken after its answer.
void WatchTheme(HANDLE process, ProgramHook& hook, ExchangeBlock& exchange, SavedFileWatch& watch,
                const std::wstring& theme)
{
    bool asked = false;
    for (;;) {
        const HANDLE waits[] = {process, exchange.Answered()};
        const DWORD waited = WaitForMultipleObjects(asked ? 2 : 1, waits, FALSE, SavedFileWatch::kLookIntervalMs);
        if (waited == WAIT_OBJECT_0)
            return;
        if (waited == WAIT_FAILED)
            Fail(kNotAttached, LastErrorText(L"WaitForMultipleObjects"));
        if (waited == WAIT_OBJECT_0 + 1) {
            asked = false;
            ReportReapplied(exchange.Get(), hook.Path(), theme);
        }
        // The file is looked at only after a whole interval without an answer, so two looks
        // are always an interval apart.
        if (waited != WAIT_TIMEOUT || asked || !watch.Saved())
            continue;
        exchange.NextRequest();
        try {
            hook.Ask();
            asked = true;
        } catch (const Failure& failure) {
            Print(STD_ERROR_HANDLE,
                  L"velum-try: cannot ask the program to apply " + theme + L" again: " + failure.message + L"\n");
        }
    }
}

int Run(int argc, wchar_t** argv)
{
    for (int i = 1; i < argc && std::wstring_view(argv[i]) != L"--"; ++i) {
        if (std::wstring_view(argv[i]) == L"-h" || std::wstring_view(argv[i]) == L"--help") {
            Print(STD_OUTPUT_HANDLE, kUsage);
            return 0;
        }
    }
    const Options options = ParseArguments(argc, argv);
    const std::wstring folder = ToolFolder();
    const std::wstring enginePath = folder + L"\\Velum_VB6.dll";
    const std::wstring theme = ThemePathForEngine(options.theme);
    // Made before the theme is first read, so a save from then on is applied.
    std::optional<SavedFileWatch> watch;
    if (options.watch)
        watch.emplace(theme);
    CheckTheme(enginePath, theme, options.scheme);
    const std::wstring programPath = ResolveProgram(options.program);
    CheckArchitecture(programPath);

    ProgramFamily family(Start(programPath, options));
    const ProgramFamily::Member* owner = nullptr;
    std::optional<ExchangeBlock> exchange;
    std::optional<ProgramHook> hook;
    try {
        const WindowSearch first = WaitForFirstWindow(family, options.timeoutMs);
        owner = first.owner;
        CheckOwnerArchitecture(*owner, programPath);
        exchange.emplace(owner->pid);
        exchange->Request(enginePath, theme, options.scheme);
        hook.emplace(first.found, folder);
        AttachInside(owner->process.get(), *hook, *exchange, options.timeoutMs);
    } catch (...) {
        // The program was started only to be skinned, and nobody has used it yet.
        family.EndAll();
        throw;
    }
    const std::wstring skinned = owner == &family.Started()
                                     ? programPath + L" (process " + std::to_wstring(owner->pid) + L")"
                                     : ProcessPath(*owner) + L" (process " + std::to_wstring(owner->pid) +
                                           L", started from " + programPath + L")";
    Print(STD_OUTPUT_HANDLE, L"velum-try: " + skinned + L" is skinned with " + theme +
                                 (options.scheme.empty() ? L"" : L", scheme " + options.scheme) + L"\n");
    if (watch) {
        Print(STD_OUTPUT_HANDLE, L"velum-try: watching " + theme + L": each save is applied again\n");
        WatchTheme(owner->process.get(), *hook, *exchange, *watch, theme);
    } else {
        // The hook is needed no more; the program keeps its module, pinned.
        hook.reset();
    }
    WaitForSingleObject(owner->process.get(), INFINITE);
    DWORD code = 0;
    if (!GetExitCodeProcess(owner->process.get(), &code))
        Fail(kNotAttached, LastErrorText(L"GetExitCodeProcess"));
    return static_cast<int>(code);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    try {
        return Run(argc, argv);
    } catch (const Failure& failure) {
        Print(STD_ERROR_HANDLE, L"velum-try: " + failure.message + (failure.message.ends_with(L'\n') ? L"" : L"\n"));
        return failure.code;
    } catch (const AppError& e) {
        Print(STD_ERROR_HANDLE, L"velum-try: " + e.Description() + L"\n");
        return kNotAttached;
    } catch (const std::exception&) {
        Print(STD_ERROR_HANDLE, L"velum-try: out of memory\n");
        return kNotAttached;
    }
}
