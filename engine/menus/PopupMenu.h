// Menus drawn by the engine: their items made owner-drawn (text kept, so access keys work),
// the items' measuring and drawing, and the popup windows' background and frame.
#pragma once

#include <windows.h>

#include <string>

namespace velum {

// Kept in a menu item's data while the engine draws the item, so WM_MEASUREITEM (which does
// not say which menu it is about) can find the item's text.
struct ItemTag {
    HMENU menu;
    UINT position;
    bool bar;
    bool separator;
    bool submenu;
    bool bitmap;  // an MDI child's icon or button on a frame's bar: no text to keep
    UINT originalType;
    ULONG_PTR originalData;
};

std::wstring MenuItemText(HMENU menu, UINT position);
// The text of a menu item up to its shortcut, for measuring.
std::wstring DrawableText(const std::wstring& text);

// Makes the menu's items owner-drawn while keeping their text.
void ConvertMenu(HMENU menu, bool bar);
// Whether the program draws items of the menu itself (owner-drawn items that are not the
// engine's): such a popup keeps the system's face and border, and its items are left alone.
bool ProgramDrawsItems(HMENU menu);
void SetPopupBackground(HMENU menu, HBRUSH brush);
// Gives every popup the engine coloured the new theme's brush.
void RefreshPopupBackgrounds(HBRUSH brush);
// Gives back the items of one menu the engine drew, for a menu another window opens too.
void RestoreMenu(HMENU menu);
// The menu and every menu it opens.
void RestoreMenuTree(HMENU menu);
// Gives back every item type, item data and popup background the engine changed.
void RestoreMenus();

// The engine's tag in an item's data, or null for an item the engine does not draw.
const ItemTag* TagOf(ULONG_PTR data);
void MeasurePopupItem(MEASUREITEMSTRUCT& mis, const ItemTag& tag, int dpi);
void DrawPopupItem(const DRAWITEMSTRUCT& dis, const ItemTag& tag, int dpi, bool showAccessKeys);

// The window procedure of skinned popup menus (class "#32768").
LRESULT CALLBACK PopupProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace velum
