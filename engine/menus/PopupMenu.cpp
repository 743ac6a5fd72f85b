#include "PopupMenu.h"

#include <algorithm>
#include <deque>
#include <map>
#include <set>
#include <unordered_set>
#include <vector>

#include "Engine.h"
#include "MdiBarItems.h"
#include "MenuBar.h"
#include "WindowRegistry.h"

namespace velum {

namespace {

struct MenuRegistry {
    std::deque<ItemTag> tags;
    std::unordered_set<const ItemTag*> live;
    std::map<HMENU, std::pair<bool, HBRUSH>> popupBackgrounds;  // original MIM_BACKGROUND
    std::set<HMENU> converted;
};

MenuRegistry& Menus()
{
    static MenuRegistry registry;
    return registry;
}

}  // namespace

std::wstring MenuItemText(HMENU menu, UINT position)
{
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    if (!GetMenuItemInfoW(menu, position, TRUE, &info))
        return {};
    std::wstring text(info.cch + 1, L'\0');
    info.dwTypeData = text.data();
    info.cch = static_cast<UINT>(text.size());
    GetMenuItemInfoW(menu, position, TRUE, &info);
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}

bool ProgramDrawsItems(HMENU menu)
{
    if (menu == nullptr)
        return false;
    const MenuRegistry& reg = Menus();
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_DATA;
        if (GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info) && (info.fType & MFT_OWNERDRAW) &&
            reg.live.count(reinterpret_cast<const ItemTag*>(info.dwItemData)) == 0)
            return true;
    }
    return false;
}

void ConvertMenu(HMENU menu, bool bar)
{
    // A popup whose items the program draws is the program's: the engine's dark or light face
    // around items drawn for the system's would not match them.
    if (!bar && ProgramDrawsItems(menu))
        return;
    MenuRegistry& reg = Menus();
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        const UINT position = static_cast<UINT>(i);
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_DATA | MIIM_SUBMENU;
        if (!GetMenuItemInfoW(menu, position, TRUE, &info))
            continue;
        if (info.fType & MFT_OWNERDRAW) {
            auto* tag = reinterpret_cast<ItemTag*>(info.dwItemData);
            if (reg.live.count(tag) != 0)
                tag->position = position;  // items before it may have come or gone
            continue;
        }
        const bool bitmap = bar && BarItemKindOf(menu, position) != BarItemKind::Text;
        if ((info.fType & MFT_BITMAP) && !bitmap)
            continue;
        const std::wstring text = MenuItemText(menu, position);
        ItemTag& tag = reg.tags.emplace_back(ItemTag{menu, position, bar, (info.fType & MFT_SEPARATOR) != 0,
                                                     info.hSubMenu != nullptr, bitmap, info.fType, info.dwItemData});
        reg.live.insert(&tag);
        MENUITEMINFOW update{};
        update.cbSize = sizeof update;
        update.fMask = MIIM_FTYPE | MIIM_DATA;
        // The item keeps its bitmap (MIIM_BITMAP); MIIM_FTYPE refuses the MFT_BITMAP flag.
        update.fType = (info.fType & ~MFT_BITMAP) | MFT_OWNERDRAW;
        update.dwItemData = reinterpret_cast<ULONG_PTR>(&tag);
        if (!tag.separator && !tag.bitmap) {
            update.fMask |= MIIM_STRING;
            update.dwTypeData = const_cast<wchar_t*>(text.c_str());
        }
        SetMenuItemInfoW(menu, position, TRUE, &update);
    }
    reg.converted.insert(menu);
}

void SetPopupBackground(HMENU menu, HBRUSH brush)
{
    MenuRegistry& reg = Menus();
    if (reg.popupBackgrounds.count(menu) == 0) {
        MENUINFO original{};
        original.cbSize = sizeof original;
        original.fMask = MIM_BACKGROUND;
        const bool ok = GetMenuInfo(menu, &original) != FALSE;
        reg.popupBackgrounds[menu] = {ok, original.hbrBack};
    }
    MENUINFO info{};
    info.cbSize = sizeof info;
    info.fMask = MIM_BACKGROUND;
    info.hbrBack = brush;
    SetMenuInfo(menu, &info);
}

void RestoreMenu(HMENU menu)
{
    MenuRegistry& reg = Menus();
    reg.converted.erase(menu);
    if (!IsMenu(menu)) {
        reg.popupBackgrounds.erase(menu);
        return;
    }
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_DATA;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info) || !(info.fType & MFT_OWNERDRAW))
            continue;
        auto* tag = reinterpret_cast<const ItemTag*>(info.dwItemData);
        if (reg.live.count(tag) == 0)
            continue;
        const std::wstring text = MenuItemText(menu, static_cast<UINT>(i));
        MENUITEMINFOW update{};
        update.cbSize = sizeof update;
        update.fMask = MIIM_FTYPE | MIIM_DATA;
        update.fType = tag->originalType & ~MFT_BITMAP;
        update.dwItemData = tag->originalData;
        if (!tag->separator && !tag->bitmap) {
            update.fMask |= MIIM_STRING;
            update.dwTypeData = const_cast<wchar_t*>(text.c_str());
        }
        SetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &update);
        reg.live.erase(tag);
    }
    if (const auto found = reg.popupBackgrounds.find(menu); found != reg.popupBackgrounds.end()) {
        if (found->second.first) {
            MENUINFO info{};
            info.cbSize = sizeof info;
            info.fMask = MIM_BACKGROUND;
            info.hbrBack = found->second.second;
            SetMenuInfo(menu, &info);
        }
        reg.popupBackgrounds.erase(found);
    }
}

void RestoreMenuTree(HMENU menu)
{
    if (menu == nullptr || !IsMenu(menu))
        return;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i)
        if (HMENU sub = GetSubMenu(menu, i))
            RestoreMenuTree(sub);
    RestoreMenu(menu);
}

void RestoreMenus()
{
    MenuRegistry& reg = Menus();
    for (HMENU menu : std::vector<HMENU>(reg.converted.begin(), reg.converted.end()))
        RestoreMenu(menu);
    for (const auto& [menu, original] : reg.popupBackgrounds) {
        if (!IsMenu(menu) || !original.first)
            continue;
        MENUINFO info{};
        info.cbSize = sizeof info;
        info.fMask = MIM_BACKGROUND;
        info.hbrBack = original.second;
        SetMenuInfo(menu, &info);
    }
    reg.live.clear();
    reg.tags.clear();
    reg.converted.clear();
    reg.popupBackgrounds.clear();
}

std::wstring DrawableText(const std::wstring& text)
{
    return text.substr(0, text.find(L'\t'));
}

void RefreshPopupBackgrounds(HBRUSH brush)
{
    for (auto& [menu, original] : Menus().popupBackgrounds)
        if (IsMenu(menu))
            SetPopupBackground(menu, brush);
}

const ItemTag* TagOf(ULONG_PTR data)
{
    auto* tag = reinterpret_cast<const ItemTag*>(data);
    return Menus().live.count(tag) != 0 ? tag : nullptr;
}

namespace {

HFONT ItemFont(const ItemTag& tag, int dpi)
{
    const UINT state = GetMenuState(tag.menu, tag.position, MF_BYPOSITION);
    const bool isDefault = state != static_cast<UINT>(-1) && (state & MF_DEFAULT) != 0;
    return isDefault ? CurrentTheme()->PopupDefaultFont(dpi) : CurrentTheme()->PopupFont(dpi);
}

}  // namespace

void MeasurePopupItem(MEASUREITEMSTRUCT& mis, const ItemTag& tag, int dpi)
{
    const Metrics& m = CurrentTheme()->Get().metrics;
    if (tag.separator) {
        mis.itemWidth = static_cast<UINT>(Scale(40, dpi));
        mis.itemHeight = static_cast<UINT>(Scale(7, dpi));
        return;
    }
    const std::wstring text = MenuItemText(tag.menu, tag.position);
    const size_t tab = text.find(L'\t');
    HFONT font = ItemFont(tag, dpi);
    int width = MeasureText(font, text.substr(0, tab)).cx;
    if (tab != std::wstring::npos)
        width += Scale(24, dpi) + MeasureText(font, text.substr(tab + 1)).cx;
    // Room for a check mark on the left and a submenu arrow on the right.
    width += 2 * Scale(m.menuItemPadding, dpi) + Scale(16, dpi) + Scale(16, dpi);
    mis.itemWidth = static_cast<UINT>(width);
    mis.itemHeight = static_cast<UINT>(Scale(m.menuItemHeight, dpi));
}

namespace {

// The system menu's items carry the pictures of the caption's buttons (HBMMENU_POPUP_*).
bool SystemBitmapGlyph(const ItemTag& tag, Glyph& glyph)
{
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_BITMAP;
    if (!GetMenuItemInfoW(tag.menu, tag.position, TRUE, &info))
        return false;
    if (info.hbmpItem == HBMMENU_POPUP_CLOSE)
        glyph = Glyph::Close;
    else if (info.hbmpItem == HBMMENU_POPUP_RESTORE)
        glyph = Glyph::Restore;
    else if (info.hbmpItem == HBMMENU_POPUP_MAXIMIZE)
        glyph = Glyph::Maximize;
    else if (info.hbmpItem == HBMMENU_POPUP_MINIMIZE)
        glyph = Glyph::Minimize;
    else
        return false;
    return true;
}

// An item's share of the popup's background. An image spans the whole popup: on the window's
// own DC the item shows its part of it; in the popup's back buffer the whole was drawn first.
void PaintItemBackground(HDC dc, const RECT& r, const Style& popup)
{
    if (!popup.image) {
        FillWith(dc, r, popup.background);
        return;
    }
    HWND window = WindowFromDC(dc);
    RECT whole{};
    if (window == nullptr || !GetClientRect(window, &whole))
        return;
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
    PaintFace(dc, whole, popup);
    RestoreDC(dc, saved);
}

}  // namespace

void DrawPopupItem(const DRAWITEMSTRUCT& dis, const ItemTag& tag, int dpi, bool showAccessKeys)
{
    const Theme& t = CurrentTheme()->Get();
    HDC dc = dis.hDC;
    const RECT& r = dis.rcItem;
    if (tag.separator) {
        PaintItemBackground(dc, r, t.popup);
        const int mid = (r.top + r.bottom) / 2;
        FillSolid(dc, {r.left + Scale(4, dpi), mid, r.right - Scale(4, dpi), mid + std::max(1, Scale(1, dpi))},
                  t.popupSeparator.background.from);
        return;
    }
    const bool disabled = (dis.itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
    const bool selected = (dis.itemState & ODS_SELECTED) != 0;
    const Style& style = selected ? t.popupSelected : t.popup;
    if (selected)
        PaintStyle(dc, r, style);
    else
        PaintItemBackground(dc, r, t.popup);
    const Color text = disabled ? t.popupDisabled.text : style.text;
    const int padding = Scale(t.metrics.menuItemPadding, dpi);
    const int checkWidth = Scale(16, dpi);
    const RECT checkColumn{r.left + padding / 2, r.top, r.left + padding / 2 + checkWidth, r.bottom};
    Glyph mark = Glyph::Check;
    if (dis.itemState & ODS_CHECKED)
        DrawGlyph(dc, checkColumn, Glyph::Check, text, dpi);
    else if (SystemBitmapGlyph(tag, mark))
        DrawGlyph(dc, checkColumn, mark, text, dpi);
    if (tag.submenu) {
        DrawGlyph(dc, {r.right - checkWidth - padding / 2, r.top, r.right - padding / 2, r.bottom}, Glyph::SubmenuArrow,
                  text, dpi);
        // Windows and Wine draw their own arrow after WM_DRAWITEM, in the same clipped DC.
        ExcludeClipRect(dc, r.right - checkWidth - padding, r.top, r.right, r.bottom);
    }
    const std::wstring label = MenuItemText(tag.menu, tag.position);
    const size_t tab = label.find(L'\t');
    ScopedSelect font(dc, ItemFont(tag, dpi));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ToColorRef(text));
    RECT textRect{r.left + padding + checkWidth, r.top, r.right - padding - checkWidth, r.bottom};
    // Windows marks an item drawn without its access key (a menu opened with the mouse while
    // the window hides keyboard cues); Wine never does, so the window's state is asked too.
    DrawItemText(dc, label, static_cast<int>(std::min(label.size(), tab)), textRect,
                 DT_SINGLELINE | DT_VCENTER | DT_LEFT, (dis.itemState & ODS_NOACCEL) == 0 && showAccessKeys);
    if (tab != std::wstring::npos) {
        const std::wstring shortcut = label.substr(tab + 1);
        DrawTextW(dc, shortcut.c_str(), -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
    }
}

namespace {

// A popup opened from a skinned menu bar goes under the item the user sees, where it fits on
// the work area of the monitor that item is on; elsewhere the system's placement stands.
void OnPopupPositionChanging(WINDOWPOS* pos)
{
    POINT at{};
    bool fromRight = false;
    if (!(pos->flags & SWP_NOMOVE) && TakeMenuBarPopupPosition(at, fromRight)) {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        if (!GetMonitorInfoW(MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), &monitor))
            return;
        const RECT& work = monitor.rcWork;
        if (fromRight)
            at.x -= pos->cx;
        if (at.x >= work.left && at.y >= work.top && at.x + pos->cx <= work.right && at.y + pos->cy <= work.bottom) {
            pos->x = at.x;
            pos->y = at.y;
        }
    }
}

LRESULT OnPopupEraseBackground(HWND hwnd, HDC dc, ThemeResources& theme)
{
    RECT r{};
    GetClientRect(hwnd, &r);
    PaintFace(dc, r, theme.Get().popup);
    return 1;
}

// The default paint, with Wine's frame, goes to a back buffer first, so the system-coloured
// frame never reaches the screen.
LRESULT OnPopupPaint(HWND hwnd, ThemeResources& theme)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r{};
    GetClientRect(hwnd, &r);
    BackBuffer buffer(dc, r);
    if (buffer.Ok()) {
        PaintFace(buffer.Dc(), r, theme.Get().popup);
        CallPrevious(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(buffer.Dc()), PRF_CLIENT);
        if (!theme.Get().popup.image)
            Outline(buffer.Dc(), r, theme.Get().popup.border);
        buffer.Commit();
    }
    EndPaint(hwnd, &ps);
    return 0;
}

LRESULT OnPopupPrintClient(HWND hwnd, WPARAM wParam, LPARAM lParam, ThemeResources* theme)
{
    const LRESULT result = CallPrevious(hwnd, WM_PRINTCLIENT, wParam, lParam);
    if (theme != nullptr) {
        RECT r{};
        GetClientRect(hwnd, &r);
        Outline(reinterpret_cast<HDC>(wParam), r, theme->Get().popup.border);
    }
    return result;
}

}  // namespace

// The items are owner-drawn through the window that owns the menu; the popup draws its
// background and frame.
LRESULT CALLBACK PopupProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    ThemeResources* theme = IsSkinnedPopup(hwnd) ? CurrentTheme() : nullptr;
    const bool paints = message == WM_ERASEBKGND || message == WM_PAINT || message == WM_PRINTCLIENT;
    if (paints && theme != nullptr && ProgramDrawsItems(reinterpret_cast<HMENU>(CallPrevious(hwnd, MN_GETHMENU, 0, 0))))
        theme = nullptr;
    switch (message) {
    case WM_WINDOWPOSCHANGING: OnPopupPositionChanging(reinterpret_cast<WINDOWPOS*>(lParam)); break;
    case WM_ERASEBKGND:
        if (theme != nullptr)
            return OnPopupEraseBackground(hwnd, reinterpret_cast<HDC>(wParam), *theme);
        break;
    case WM_PAINT:
        if (theme != nullptr)
            return OnPopupPaint(hwnd, *theme);
        break;
    case WM_PRINTCLIENT: return OnPopupPrintClient(hwnd, wParam, lParam, theme);
    case WM_NCDESTROY: ForgetPopup(hwnd); break;
    default: break;
    }
    return PassOn(hwnd, message, wParam, lParam);
}

}  // namespace velum
