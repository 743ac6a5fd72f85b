// The gallery's second page: a property sheet of the controls system dialogs are made of
// (hot-key, IP address, date-time picker, month calendar, link, extended combo box, rebar, rich
// edit, and the plain controls as a page shows them), once enabled and once disabled.
#pragma once

#include <windows.h>

class MoreControlsSheet {
public:
    explicit MoreControlsSheet(HINSTANCE instance) : instance_(instance) {}
    MoreControlsSheet(const MoreControlsSheet&) = delete;
    MoreControlsSheet& operator=(const MoreControlsSheet&) = delete;
    ~MoreControlsSheet();

    // Opens the sheet, modeless and owned by `owner`. False when Windows refuses it.
    bool Open(HWND owner);
    void Close();
    // Gives the open sheet its keyboard message; true when it took it. Closes the sheet once
    // its OK or Cancel ended it.
    bool TakeMessage(MSG& msg);
    HWND Window() const { return sheet_; }

private:
    static INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
    static void FillPage(HWND page, bool enabled);

    HINSTANCE instance_;
    HWND sheet_ = nullptr;
};
