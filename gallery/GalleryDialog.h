// The gallery's window: a dialog of every standard and common control in its states, a Theme
// menu of the theme folder's files, a command that disables every control, and one that opens
// the second page (MoreControlsSheet). A theme file can be watched: applied again at each save.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "SavedFileWatch.h"
#include "MoreControlsSheet.h"
#include "ThemeMenu.h"

class GalleryDialog {
public:
    explicit GalleryDialog(HINSTANCE instance);
    GalleryDialog(const GalleryDialog&) = delete;
    GalleryDialog& operator=(const GalleryDialog&) = delete;
    ~GalleryDialog();

    // Creates the dialog, hidden, and lists the themes of skinFolder (no trailing backslash).
    // Throws AppError when Windows refuses the dialog.
    void Create(const std::wstring& skinFolder);
    // Applies velum.vlm when the folder has it, else its first theme, else the engine's
    // built-in look. Throws AppError when the engine cannot be loaded.
    void ApplyStartTheme();
    // Applies the theme file at path, and again each time it is saved, while the Theme menu's
    // watch item is checked; a theme picked from the menu meanwhile is watched instead. A file
    // the engine refuses leaves the look as it was (the built-in look at the start) and the
    // status line says why, with the file, line and column.
    void WatchThemeFile(const std::wstring& path);
    // Shows the dialog and runs the message loop until it closes; returns the exit code.
    int Run(int showCommand);

    HWND Window() const { return hwnd_; }
    const ThemeMenu& Themes() const { return *themes_; }
    // The second page, while it is open; null otherwise.
    HWND SecondPage() const { return more_.Window(); }

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnInitDialog();
    void OnCommand(UINT command);
    void OnTimer(UINT_PTR timer);
    void OnClose();
    void OnDestroy();
    void OnThemeChanged();

    void FillControls();
    void FillCommonControls();
    void AddTooltip();
    void ApplyTheme(size_t index);
    // The watch item: watches the theme in use, or stops watching.
    void ToggleWatch();
    // Watches path from now on, without applying it.
    void BeginWatch(const std::wstring& path);
    // Applies the watched file; false when the engine refused it.
    bool ApplyWatchedFile();
    void StopWatching();
    void ToggleDisabled();
    // Opens the second page, or closes it when it is open.
    void ToggleSecondPage();
    void ShowStatus(const std::wstring& text);

    HINSTANCE instance_;
    HWND hwnd_ = nullptr;
    std::unique_ptr<ThemeMenu> themes_;
    MoreControlsSheet more_;
    // While every control is disabled: each control and whether it was enabled before.
    std::vector<std::pair<HWND, bool>> disabled_;
    bool running_ = false;
    // The theme file applied last, for the watch item; empty under the built-in look.
    std::wstring themeInUse_;
    // The theme file applied at each save, while it is watched.
    std::optional<SavedFileWatch> watch_;
};
