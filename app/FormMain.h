// The program's only window: its design, its start-up sequence and its Theme menu.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "Handles.h"
#include "MenuElementArray.h"

class FormMain {
public:
    static constexpr wchar_t kClassName[] = L"FormMain";

    explicit FormMain(HINSTANCE instance);
    FormMain(const FormMain&) = delete;
    FormMain& operator=(const FormMain&) = delete;

    // Creates the window, runs Form_Load, shows the window and runs the message loop. Returns
    // the exit code: 0 after the window closes, non-zero when start-up failed.
    int Run(int showCommand);

    // The program folder with exactly one trailing backslash; empty if it cannot be found.
    std::wstring GetAppPath();
    // Reads the saved theme name into Skin.
    void LoadIni();
    // Fills the Theme menu with every file of the theme folder.
    void SkinList();

    // The theme name read at start-up; a theme picked later does not change it.
    const std::wstring& Skin() const { return skin_; }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(UINT command);
    void OnDestroy();

    void Create();
    void Form_Load();
    void Menu_ListThemes_Click(std::int16_t index);
    void ReportStartupError(long number, const std::wstring& description);

    HINSTANCE instance_;
    HWND hwnd_ = nullptr;
    UniqueFont font_;
    UniqueIcon icon_, smallIcon_;
    std::unique_ptr<MenuElementArray> themes_;  // Menu_ListThemes, inside Menu_Theme
    std::wstring skin_;
    bool loaded_ = false;
};
