// A skinned window's menu bar: the items' widths, the bar's drawing, and which item is hot,
// selected or open while Wine tracks the menu.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "FrameLayout.h"

namespace velum {

// Whether the menus of `window`'s top-level window underline their access keys: always when the
// user asked to see keyboard cues, else once the window shows them (after Alt or F10), as
// Windows draws its own menus.
bool ShowsAccessKeys(HWND window);

// Draws a menu item's text, its access key underlined or not. Without the underline the marks are
// taken out of the text rather than left to DT_HIDEPREFIX, which not every system honours.
void DrawItemText(HDC dc, const std::wstring& text, int length, RECT& r, UINT format, bool accessKey);

// Where the system's menu tracking finds a bar item, in screen coordinates. Wine answers
// GetMenuItemRect for a right-to-left window unmirrored while its tracking mirrors the point:
// a rectangle whose middle the tracking does not find the item at is taken reflected across the
// window.
bool TrackedItemRect(HWND hwnd, HMENU bar, UINT item, RECT& r);

class MenuBar {
public:
    explicit MenuBar(HWND hwnd) : hwnd_(hwnd) {}

    bool Present() const;
    // The width of each item in the theme's menu font, in menu order.
    std::vector<int> ItemWidths(int dpi) const;
    static int ItemWidth(HMENU bar, UINT position, int dpi);

    // Moves the right-justified items (a maximised MDI child's buttons) to the bar's right end.
    void Justify(FrameLayout& l) const;

    void Paint(HDC dc, const FrameLayout& l) const;
    // Repaints the bar alone, as after Wine's own highlighting during menu tracking.
    void Repaint(const FrameLayout& l) const;

    // The window lost the activation: the mouse may still rest on the bar, but no item is
    // hot or selected any more.
    void Deactivated();
    // The item under the mouse; true when that changes the bar's look.
    bool Hover(int item);
    // A press on the bar. Wine's menu tracking keeps its own layout of the bar, so the press
    // goes on to it at the middle of Wine's rectangle for the item the user sees.
    LRESULT Press(const FrameLayout& l, Point p, WPARAM hitTest);

    // The bar item whose submenu `popup` is, or -1.
    int ItemOf(HMENU popup) const;
    // The item's popup is opening: it goes under the item where the engine draws it.
    void Opening(int item, const FrameLayout& l);
    // The window's system menu is opening from its icon or the keyboard: it goes under the
    // icon the engine draws, not under Wine's smaller caption.
    void SystemMenuOpening(const FrameLayout& l);
    // Between WM_ENTERMENULOOP and WM_EXITMENULOOP: a menu is being tracked.
    bool InMenuLoop() const { return inMenuLoop_; }
    // After the default handling of a menu-loop message.
    void Track(UINT message, WPARAM wParam, LPARAM lParam);
    // Pending position of a popup opened from the bar, in screen coordinates: its top left
    // corner, or its top right one when `fromRight` (a mirrored bar).
    bool TakePopupPosition(POINT& at, bool& fromRight);

private:
    int Highlighted() const;

    HWND hwnd_;
    int hot_ = -1;
    int open_ = -1;
    int selected_ = -1;
    bool inMenuLoop_ = false;
    bool popupPending_ = false;
    bool popupFromRight_ = false;
    POINT popupAt_{};
};

}  // namespace velum
