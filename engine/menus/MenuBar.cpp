#include "MenuBar.h"

#include "ThemeArtwork.h"
#include "Engine.h"
#include "MdiBarItems.h"
#include "PopupMenu.h"
#include "WindowRegistry.h"

namespace velum {

bool ShowsAccessKeys(HWND window)
{
    BOOL cues = FALSE;
    if (SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &cues, 0) && cues)
        return true;
    HWND root = GetAncestor(window, GA_ROOT);
    const auto state = static_cast<UINT>(SendMessageW(root != nullptr ? root : window, WM_QUERYUISTATE, 0, 0));
    return (state & UISF_HIDEACCEL) == 0;
}

void DrawItemText(HDC dc, const std::wstring& text, int length, RECT& r, UINT format, bool accessKey)
{
    const std::wstring_view shown = std::wstring_view(text).substr(0, length < 0 ? text.size() : length);
    if (accessKey) {
        DrawTextW(dc, shown.data(), static_cast<int>(shown.size()), &r, format);
        return;
    }
    // "&&" is an ampersand; a lone "&" marks the key.
    std::wstring plain;
    for (size_t i = 0; i < shown.size(); ++i) {
        if (shown[i] == L'&' && i + 1 < shown.size())
            ++i;
        else if (shown[i] == L'&')
            continue;
        plain += shown[i];
    }
    DrawTextW(dc, plain.c_str(), static_cast<int>(plain.size()), &r, format | DT_NOPREFIX);
}

bool TrackedItemRect(HWND hwnd, HMENU bar, UINT item, RECT& r)
{
    if (!GetMenuItemRect(hwnd, bar, item, &r))
        return false;
    if ((GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) == 0)
        return true;
    const POINT middle{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    RECT w{};
    if (MenuItemFromPoint(hwnd, bar, middle) == static_cast<int>(item) || !GetWindowRect(hwnd, &w))
        return true;
    r = {w.left + w.right - r.right, r.top, w.left + w.right - r.left, r.bottom};
    return true;
}

bool MenuBar::Present() const
{
    return (GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_CHILD) == 0 && GetMenu(hwnd_) != nullptr;
}

int MenuBar::ItemWidth(HMENU bar, UINT position, int dpi)
{
    ThemeResources* theme = CurrentTheme();
    if (const BarItemKind kind = BarItemKindOf(bar, position); kind != BarItemKind::Text)
        return MdiItemWidth(kind, theme->Get().metrics, dpi);
    const SIZE text = MeasureText(theme->MenuFont(dpi), DrawableText(MenuItemText(bar, position)));
    return text.cx + 2 * Scale(theme->Get().metrics.menuItemPadding, dpi);
}

std::vector<int> MenuBar::ItemWidths(int dpi) const
{
    std::vector<int> widths;
    HMENU bar = GetMenu(hwnd_);
    const int count = bar != nullptr ? GetMenuItemCount(bar) : 0;
    for (int i = 0; i < count; ++i)
        widths.push_back(ItemWidth(bar, static_cast<UINT>(i), dpi));
    return widths;
}

int MenuBar::Highlighted() const
{
    if (open_ >= 0)
        return open_;
    if (selected_ >= 0)
        return selected_;
    return inMenuLoop_ ? -1 : hot_;
}

void MenuBar::Justify(FrameLayout& l) const
{
    if (HMENU bar = GetMenu(hwnd_))
        RightJustifyBarItems(l, FirstRightJustified(bar));
}

void MenuBar::Paint(HDC dc, const FrameLayout& l) const
{
    if (l.menuBar.Empty())
        return;
    ThemeResources* theme = CurrentTheme();
    const Theme& t = theme->Get();
    const RECT area = ToRECT(l.menuBar);
    PaintFace(dc, area, t.menuBar);
    if (!t.menuBar.image)
        FillSolid(dc, {area.left, area.bottom - 1, area.right, area.bottom}, t.menuBar.border);
    HMENU bar = GetMenu(hwnd_);
    ScopedSelect font(dc, theme->MenuFont(l.dpi));
    SetBkMode(dc, TRANSPARENT);
    const int highlighted = Highlighted();
    const bool accessKeys = ShowsAccessKeys(hwnd_);
    for (size_t i = 0; i < l.barItems.size(); ++i) {
        const bool hot = static_cast<int>(i) == highlighted;
        RECT r = ToRECT(l.barItems[i]);
        if (const BarItemKind kind = BarItemKindOf(bar, static_cast<UINT>(i)); kind != BarItemKind::Text) {
            PaintMdiItem(dc, hwnd_, bar, static_cast<UINT>(i), kind, r, t, hot && !inMenuLoop_, hot && inMenuLoop_,
                         l.dpi);
            continue;
        }
        const Style& style = hot ? t.menuBarHot : t.menuBar;
        if (hot)
            PaintStyle(dc, r, style);
        const UINT state = GetMenuState(bar, static_cast<UINT>(i), MF_BYPOSITION);
        SetTextColor(dc, ToColorRef((state & (MF_GRAYED | MF_DISABLED)) ? t.popupDisabled.text : style.text));
        const std::wstring text = MenuItemText(bar, static_cast<UINT>(i));
        RECT content = ContentRect(r, style, l.dpi, r);
        DrawItemText(dc, text, -1, content, DT_SINGLELINE | DT_VCENTER | DT_CENTER | (l.mirrored ? DT_RTLREADING : 0),
                     accessKeys);
    }
}

void MenuBar::Repaint(const FrameLayout& l) const
{
    WindowDc target(hwnd_, WindowDc::Order::Screen);
    if (target.get() == nullptr)
        return;
    BackBuffer buffer(target.get(), ToRECT(l.menuBar), BackBuffer::Kind::Kept);
    if (!buffer.Ok())
        return;
    Paint(buffer.Dc(), l);
    buffer.Commit();
}

bool MenuBar::Hover(int item)
{
    if (item == hot_)
        return false;
    hot_ = item;
    return true;
}

LRESULT MenuBar::Press(const FrameLayout& l, Point p, WPARAM hitTest)
{
    const int item = BarItemAt(l, p);
    RECT wine{};
    if (item < 0 || !TrackedItemRect(hwnd_, GetMenu(hwnd_), static_cast<UINT>(item), wine))
        return 0;
    const LPARAM at = MAKELPARAM((wine.left + wine.right) / 2, (wine.top + wine.bottom) / 2);
    return CallPrevious(hwnd_, WM_NCLBUTTONDOWN, hitTest, at);
}

int MenuBar::ItemOf(HMENU popup) const
{
    if (!Present())
        return -1;
    HMENU bar = GetMenu(hwnd_);
    for (int i = 0, count = GetMenuItemCount(bar); i < count; ++i)
        if (GetSubMenu(bar, i) == popup)
            return i;
    return -1;
}

void MenuBar::Opening(int item, const FrameLayout& l)
{
    open_ = item;
    if (static_cast<size_t>(item) >= l.barItems.size())
        return;
    RECT w{};
    GetWindowRect(hwnd_, &w);
    // A mirrored bar's popup opens leftwards from the item's right edge, as Windows opens a
    // right-to-left window's menus (TPM_LAYOUTRTL).
    const Rect& r = l.barItems[static_cast<size_t>(item)];
    popupAt_ = {w.left + (l.mirrored ? r.right : r.left), w.top + r.bottom};
    popupFromRight_ = l.mirrored;
    popupPending_ = true;
}

void MenuBar::SystemMenuOpening(const FrameLayout& l)
{
    RECT w{};
    GetWindowRect(hwnd_, &w);
    if (l.mirrored)
        popupAt_ = {w.left + (l.icon.Empty() ? l.caption.right : l.icon.right), w.top + l.caption.bottom};
    else
        popupAt_ = {w.left + (l.icon.Empty() ? l.caption.left : l.icon.left), w.top + l.caption.bottom};
    popupFromRight_ = l.mirrored;
    popupPending_ = true;
}

void MenuBar::Track(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ENTERMENULOOP: inMenuLoop_ = true; break;
    case WM_EXITMENULOOP:
        inMenuLoop_ = false;
        open_ = selected_ = -1;
        popupPending_ = false;
        break;
    case WM_UNINITMENUPOPUP:
        if (HMENU bar = GetMenu(hwnd_)) {
            for (int i = 0, n = GetMenuItemCount(bar); i < n; ++i)
                if (GetSubMenu(bar, i) == reinterpret_cast<HMENU>(wParam) && open_ == i)
                    open_ = -1;
        }
        break;
    case WM_MENUSELECT:
        if (HIWORD(wParam) == 0xFFFF && lParam == 0)
            selected_ = open_ = -1;
        else if (inMenuLoop_ && reinterpret_cast<HMENU>(lParam) == GetMenu(hwnd_))
            selected_ = LOWORD(wParam);
        break;
    default: break;
    }
}

bool MenuBar::TakePopupPosition(POINT& at, bool& fromRight)
{
    if (!popupPending_)
        return false;
    popupPending_ = false;
    at = popupAt_;
    fromRight = popupFromRight_;
    return true;
}

void MenuBar::Deactivated()
{
    hot_ = selected_ = -1;
}

}  // namespace velum
