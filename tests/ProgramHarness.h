// Runs Zentora as a user would, in a program folder of its own, and reads back what it did:
// the settings file's bytes, the calls that reached the engine, the pages it opened, its
// windows, its exit code and its error report.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace harness {

enum class Engine { Recording, WithoutAttach, WithoutAttachEx, Missing, Real };

std::string ReadBytes(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);
std::wstring Widen(const std::string& utf8);
std::string Utf8(const std::wstring& text);
std::string Ansi(const std::wstring& text);  // in the system code page (936 under test)

// A program folder holding Zentora.exe and the chosen engine; removed when it goes.
class ProgramFolder {
public:
    explicit ProgramFolder(Engine engine, const std::wstring& root = {});
    ~ProgramFolder();
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    const std::wstring& Path() const { return path_; }  // no trailing backslash
    std::wstring File(const std::wstring& name) const;  // Path() + "\" + name
    std::wstring IniPath() const { return File(L"SerCheckConfig.ini"); }
    std::wstring SkinPath() const { return File(L"Skin"); }
    void MakeSkin() const;
    void AddTheme(const std::wstring& name, const std::string& bytes = "[Theme]\n", DWORD attributes = 0) const;

    // What the recording engine was called with, one line a call ("menu" lines left out).
    std::vector<std::string> EngineCalls() const;
    // The Theme menu as the recording engine found it at Velum_Attach: command and text.
    struct MenuItem {
        UINT command = 0;
        bool grayed = false;
        std::string text;  // UTF-8
    };
    std::vector<MenuItem> MenuAtAttach() const;
    // The addresses handed to the browser, one a start.
    std::vector<std::string> OpenedPages() const;

private:
    std::wstring path_;
    bool isDriveRoot_ = false;
};

// A started Zentora.
class Running {
public:
    explicit Running(const ProgramFolder& folder);
    ~Running();
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;

    HWND WaitForMainWindow(DWORD timeoutMs = 20000);
    HWND WaitForMessageBox(DWORD timeoutMs = 20000);
    // Posts WM_CLOSE to the main window and waits for the exit; returns the exit code.
    DWORD Close();
    DWORD WaitForExit(DWORD timeoutMs = 20000);
    bool Exited() const;
    DWORD ProcessId() const { return pid_; }
    std::string Stderr() const;

private:
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
    std::wstring stderrPath_;
    HWND main_ = nullptr;
};

// Top-level windows of a process with a class name.
// A count that grows when GDI or USER objects of this process leak.
struct ObjectCounts {
    DWORD gdi, user;
};
ObjectCounts CountObjects();

std::vector<HWND> WindowsOf(DWORD pid, const wchar_t* className, bool visibleOnly);
std::wstring WindowText(HWND hwnd);
// The text of the static control of a message box.
std::wstring MessageBoxText(HWND box);

// Waits until the file has at least `lines` lines, or the time runs out.
std::vector<std::string> WaitForLines(const std::wstring& path, size_t lines, DWORD timeoutMs);

std::wstring BuildFolder();      // the folder of the test program
std::wstring DriveRootFolder();  // what R:\ maps to

}  // namespace harness
