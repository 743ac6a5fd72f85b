#include "ProgramHarness.h"

#include <algorithm>
#include <atomic>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace harness {

namespace {

std::wstring ModuleFolder()
{
    std::wstring path(MAX_PATH, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path.substr(0, path.find_last_of(L'\\'));
}

void RemoveTree(const std::wstring& path);

// Deletes everything inside a folder, read-only files included, and keeps the folder.
void ClearFolder(const std::wstring& path)
{
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        const std::wstring child = path + L"\\" + name;
        SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            RemoveTree(child);
        else
            DeleteFileW(child.c_str());
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

void RemoveTree(const std::wstring& path)
{
    ClearFolder(path);
    RemoveDirectoryW(path.c_str());
}

void Check(bool ok, const char* what)
{
    if (!ok)
        throw std::runtime_error(std::string(what) + " failed, error " + std::to_string(GetLastError()));
}

std::wstring EnginePath(Engine engine)
{
    const std::wstring tests = ModuleFolder();
    switch (engine) {
    case Engine::Recording: return tests + L"\\engine-recording\\Velum_VB6.dll";
    case Engine::WithoutAttach: return tests + L"\\engine-without-attach\\Velum_VB6.dll";
    case Engine::WithoutAttachEx: return tests + L"\\engine-without-attachex\\Velum_VB6.dll";
    case Engine::Real: return BuildFolder() + L"\\Velum_VB6.dll";
    case Engine::Missing: break;
    }
    return {};
}

std::vector<std::string> Lines(const std::string& bytes)
{
    std::vector<std::string> lines;
    std::istringstream in(bytes);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

struct FindWindowsArgs {
    DWORD pid;
    const wchar_t* className;
    bool visibleOnly;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM lParam)
{
    auto* args = reinterpret_cast<FindWindowsArgs*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t name[64] = L"";
    GetClassNameW(hwnd, name, 64);
    if (pid == args->pid && lstrcmpW(name, args->className) == 0 && (!args->visibleOnly || IsWindowVisible(hwnd)))
        args->found.push_back(hwnd);
    return TRUE;
}

}  // namespace

std::wstring BuildFolder()
{
    const std::wstring tests = ModuleFolder();
    return tests.substr(0, tests.find_last_of(L'\\'));
}

std::wstring DriveRootFolder()
{
    return L"R:";
}

std::string ReadBytes(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}

void WriteBytes(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    Check(file != INVALID_HANDLE_VALUE, "CreateFileW");
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    Check(ok && written == bytes.size(), "WriteFile");
}

std::wstring Widen(const std::string& utf8)
{
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

namespace {
std::string Narrow(UINT codePage, const std::wstring& text)
{
    const int n =
        WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}
}  // namespace

std::string Utf8(const std::wstring& text)
{
    return Narrow(CP_UTF8, text);
}
std::string Ansi(const std::wstring& text)
{
    return Narrow(CP_ACP, text);
}

ProgramFolder::ProgramFolder(Engine engine, const std::wstring& root)
{
    static std::atomic<int> counter{0};
    if (root.empty()) {
        const std::wstring runs = ModuleFolder() + L"\\runs";
        CreateDirectoryW(runs.c_str(), nullptr);
        path_ = runs + L"\\" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++);
        RemoveTree(path_);
        Check(CreateDirectoryW(path_.c_str(), nullptr), "CreateDirectoryW");
    } else {
        // A drive root: empty it, and keep the path without its backslash like any other.
        path_ = root;
        isDriveRoot_ = true;
        ClearFolder(path_);
    }
    Check(CopyFileW((BuildFolder() + L"\\Zentora.exe").c_str(), File(L"Zentora.exe").c_str(), FALSE), "CopyFileW exe");
    if (engine != Engine::Missing)
        Check(CopyFileW(EnginePath(engine).c_str(), File(L"Velum_VB6.dll").c_str(), FALSE), "CopyFileW engine");
}

ProgramFolder::~ProgramFolder()
{
    if (!isDriveRoot_)
        RemoveTree(path_);
}

std::wstring ProgramFolder::File(const std::wstring& name) const
{
    return path_ + L"\\" + name;
}

void ProgramFolder::MakeSkin() const
{
    CreateDirectoryW(SkinPath().c_str(), nullptr);
}

void ProgramFolder::AddTheme(const std::wstring& name, const std::string& bytes, DWORD attributes) const
{
    MakeSkin();
    const std::wstring path = SkinPath() + L"\\" + name;
    WriteBytes(path, bytes);
    if (attributes != 0)
        Check(SetFileAttributesW(path.c_str(), attributes), "SetFileAttributesW");
}

std::vector<std::string> ProgramFolder::EngineCalls() const
{
    std::vector<std::string> calls;
    for (auto& line : Lines(ReadBytes(File(L"velum-calls.log"))))
        if (line.rfind("menu", 0) != 0)
            calls.push_back(line);
    return calls;
}

std::vector<ProgramFolder::MenuItem> ProgramFolder::MenuAtAttach() const
{
    std::vector<MenuItem> items;
    for (auto& line : Lines(ReadBytes(File(L"velum-calls.log")))) {
        if (line.rfind("menu-item ", 0) != 0)
            continue;
        std::istringstream in(line.substr(10));
        MenuItem item;
        std::string state;
        in >> item.command >> state;
        item.grayed = state == "grayed";
        const size_t textStart = line.find(' ', line.find(' ', 10) + 1);
        item.text = textStart == std::string::npos ? "" : line.substr(textStart + 1);
        items.push_back(item);
    }
    return items;
}

std::vector<std::string> ProgramFolder::OpenedPages() const
{
    return Lines(ReadBytes(File(L"url.log")));
}

Running::Running(const ProgramFolder& folder)
{
    SetEnvironmentVariableW(L"URL_RECORDER_LOG", folder.File(L"url.log").c_str());
    stderrPath_ = folder.File(L"stderr.txt");
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE err = CreateFileW(stderrPath_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    Check(err != INVALID_HANDLE_VALUE, "CreateFileW stderr");
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    si.hStdError = err;
    PROCESS_INFORMATION pi{};
    std::wstring commandLine = L"\"" + folder.File(L"Zentora.exe") + L"\"";
    // Started from another folder, so nothing depends on the current directory.
    const std::wstring elsewhere = ModuleFolder() + L"\\runs";
    const BOOL ok =
        CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, elsewhere.c_str(), &si, &pi);
    CloseHandle(err);
    Check(ok, "CreateProcessW");
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    pid_ = pi.dwProcessId;
}

Running::~Running()
{
    if (process_ != nullptr) {
        if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_, 99);
            WaitForSingleObject(process_, 5000);
        }
        CloseHandle(process_);
    }
}

HWND Running::WaitForMainWindow(DWORD timeoutMs)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    do {
        auto found = WindowsOf(pid_, L"FormMain", true);
        if (!found.empty())
            return main_ = found.front();
        if (Exited())
            return nullptr;
        Sleep(20);
    } while (GetTickCount64() < end);
    return nullptr;
}

HWND Running::WaitForMessageBox(DWORD timeoutMs)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    do {
        auto found = WindowsOf(pid_, L"#32770", true);
        if (!found.empty())
            return found.front();
        if (Exited())
            return nullptr;
        Sleep(20);
    } while (GetTickCount64() < end);
    return nullptr;
}

DWORD Running::Close()
{
    if (main_ == nullptr)
        WaitForMainWindow(5000);
    if (main_ != nullptr)
        PostMessageW(main_, WM_CLOSE, 0, 0);
    return WaitForExit();
}

DWORD Running::WaitForExit(DWORD timeoutMs)
{
    if (WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0)
        return STILL_ACTIVE;
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return code;
}

bool Running::Exited() const
{
    return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0;
}

std::string Running::Stderr() const
{
    return ReadBytes(stderrPath_);
}

std::vector<HWND> WindowsOf(DWORD pid, const wchar_t* className, bool visibleOnly)
{
    FindWindowsArgs args{pid, className, visibleOnly, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&args));
    return args.found;
}

std::wstring WindowText(HWND hwnd)
{
    wchar_t text[1024] = L"";
    GetWindowTextW(hwnd, text, 1024);
    return text;
}

std::wstring MessageBoxText(HWND box)
{
    wchar_t text[4096] = L"";
    GetDlgItemTextW(box, 0xFFFF, text, 4096);
    return text;
}

std::vector<std::string> WaitForLines(const std::wstring& path, size_t lines, DWORD timeoutMs)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    std::vector<std::string> found;
    do {
        found = Lines(ReadBytes(path));
        if (found.size() >= lines)
            return found;
        Sleep(25);
    } while (GetTickCount64() < end);
    return found;
}

// A count that grows when GDI or USER objects leak. Wine's GetGuiResources is a stub that
// answers 0; there a fresh object's handle index tells instead, as freed slots are reused
// first and every leaked object pushes new handles further out.
namespace {

// Wine does not count a process's objects (GetGuiResources answers 0), but its handle tables
// can be read from outside. Each slot's handles carry a generation that starts at 1 and grows
// each time the slot is reused; freed slots are handed out again before slots never used. So
// new handles taken until they come from never-used slots show how many slots were free (F)
// and where the used part of the table ends (N): N - F are in use. Two consecutive never-used
// slots mark the end, as a generation that wrapped back to 1 can make one reused slot look new.
struct Slot {
    DWORD index, generation;
};

template <class Handle, class Make, class Free>
DWORD SlotsInUse(Make make, Free free, Slot (*slotOf)(Handle))
{
    std::vector<Handle> taken;
    DWORD highest = 0, inUse = 0;
    std::optional<DWORD> newSlot;
    while (taken.size() < 40000) {
        const Handle handle = make();
        if (handle == nullptr)
            break;
        taken.push_back(handle);
        const Slot slot = slotOf(handle);
        const bool looksNew = slot.generation == 1 && slot.index > highest;
        if (looksNew && newSlot && slot.index == *newSlot + 1) {
            inUse = *newSlot - static_cast<DWORD>(taken.size() - 2);
            break;
        }
        newSlot = looksNew ? std::optional(slot.index) : std::nullopt;
        highest = std::max(highest, slot.index);
    }
    for (const Handle handle : taken)
        free(handle);
    return inUse;
}

// GDI handles: the slot in the low word, the generation in the top byte.
Slot GdiSlot(HBRUSH brush)
{
    const auto value = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(brush));
    return {value & 0xFFFF, value >> 24};
}

// USER handles: twice the slot plus a base in the low word, the generation in the high word.
// The table is the Wine server's, shared by the session's processes, which are quiet in tests.
Slot UserSlot(HMENU menu)
{
    const auto value = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(menu));
    return {(value & 0xFFFF) >> 1, value >> 16};
}

}  // namespace

ObjectCounts CountObjects()
{
    ObjectCounts counts{GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS),
                        GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)};
    if (counts.gdi == 0)
        counts.gdi = SlotsInUse<HBRUSH>([] { return CreateSolidBrush(RGB(1, 2, 3)); },
                                        [](HBRUSH b) { DeleteObject(b); }, GdiSlot);
    if (counts.user == 0)
        counts.user = SlotsInUse<HMENU>([] { return CreateMenu(); }, [](HMENU m) { DestroyMenu(m); }, UserSlot);
    return counts;
}

}  // namespace harness
