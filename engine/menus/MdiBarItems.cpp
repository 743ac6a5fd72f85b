#include "MdiBarItems.h"

#include <algorithm>

#include "Handles.h"
#include "KeptBitmaps.h"
#include "Painter.h"

namespace velum {

namespace {

struct ItemFacts {
    HBITMAP bitmap = nullptr;
    HMENU submenu = nullptr;
    UINT type = 0;
    bool hasText = false;
};

bool ReadItem(HMENU bar, UINT position, ItemFacts& facts)
{
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_BITMAP | MIIM_FTYPE | MIIM_SUBMENU | MIIM_STRING;
    if (!GetMenuItemInfoW(bar, position, TRUE, &info))
        return false;
    facts = {info.hbmpItem, info.hSubMenu, info.fType, info.cch > 0};
    return true;
}

BarItemKind ButtonKind(HBITMAP bitmap)
{
    if (bitmap == HBMMENU_MBAR_MINIMIZE || bitmap == HBMMENU_MBAR_MINIMIZE_D)
        return BarItemKind::Minimize;
    if (bitmap == HBMMENU_MBAR_RESTORE)
        return BarItemKind::Restore;
    if (bitmap == HBMMENU_MBAR_CLOSE || bitmap == HBMMENU_MBAR_CLOSE_D)
        return BarItemKind::Close;
    return BarItemKind::Text;
}

bool Disabled(HBITMAP bitmap)
{
    return bitmap == HBMMENU_MBAR_MINIMIZE_D || bitmap == HBMMENU_MBAR_CLOSE_D;
}

HICON ChildIcon(HWND child)
{
    // The order the MDI client itself looks for it in.
    auto icon = reinterpret_cast<HICON>(SendMessageW(child, WM_GETICON, ICON_SMALL, 0));
    if (icon == nullptr)
        icon = reinterpret_cast<HICON>(GetClassLongPtrW(child, GCLP_HICONSM));
    if (icon == nullptr)
        icon = reinterpret_cast<HICON>(SendMessageW(child, WM_GETICON, ICON_BIG, 0));
    if (icon == nullptr)
        icon = reinterpret_cast<HICON>(GetClassLongPtrW(child, GCLP_HICON));
    return icon;
}

}  // namespace

BarItemKind BarItemKindOf(HMENU bar, UINT position)
{
    ItemFacts facts;
    if (!ReadItem(bar, position, facts) || facts.bitmap == nullptr || facts.hasText)
        return BarItemKind::Text;
    if (const BarItemKind button = ButtonKind(facts.bitmap); button != BarItemKind::Text)
        return button;
    const int count = GetMenuItemCount(bar);
    ItemFacts last;
    if (position == 0 && facts.submenu != nullptr && count > 1 && ReadItem(bar, static_cast<UINT>(count - 1), last) &&
        ButtonKind(last.bitmap) != BarItemKind::Text)
        return BarItemKind::ChildIcon;
    if (facts.bitmap == HBMMENU_SYSTEM)
        return BarItemKind::ChildIcon;
    return BarItemKind::Text;
}

int MdiItemWidth(BarItemKind kind, const Metrics& m, int dpi)
{
    if (kind == BarItemKind::ChildIcon)
        return Scale(16, dpi) + 2 * Scale(4, dpi);
    // A caption button's shape at the bar's height, with a gap beside it.
    const int height = std::max(1, Scale(m.menuBarHeight, dpi) - 2 * Scale(3, dpi));
    const int width = std::max(height, height * std::max(1, m.buttonWidth) / std::max(1, m.buttonHeight));
    return width + Scale(2, dpi);
}

UINT FirstRightJustified(HMENU bar)
{
    const int count = GetMenuItemCount(bar);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE;
        if (GetMenuItemInfoW(bar, static_cast<UINT>(i), TRUE, &info) && (info.fType & MFT_RIGHTJUSTIFY))
            return static_cast<UINT>(i);
    }
    return static_cast<UINT>(std::max(0, count));
}

HWND MaximisedMdiChild(HWND frame)
{
    HWND client = FindWindowExW(frame, nullptr, L"MDIClient", nullptr);
    if (client == nullptr)
        return nullptr;
    BOOL maximised = FALSE;
    auto child = reinterpret_cast<HWND>(SendMessageW(client, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximised)));
    return maximised ? child : nullptr;
}

void PaintMdiItem(HDC dc, HWND frame, HMENU bar, UINT position, BarItemKind kind, const RECT& item, const Theme& t,
                  bool hot, bool pressed, int dpi)
{
    ItemFacts facts;
    ReadItem(bar, position, facts);
    if (kind == BarItemKind::ChildIcon) {
        if (hot || pressed)
            PaintStyle(dc, item, t.menuBarHot);
        const int size = Scale(16, dpi);
        const int x = item.left + (item.right - item.left - size) / 2;
        const int y = item.top + (item.bottom - item.top - size) / 2;
        HWND child = MaximisedMdiChild(frame);
        if (HICON icon = child != nullptr ? ChildIcon(child) : nullptr) {
            DrawIconSized(dc, x, y, icon, size, size);
        } else if (facts.bitmap != nullptr && GetObjectType(facts.bitmap) == OBJ_BITMAP) {
            // The picture of the icon the MDI client made for the item.
            UniqueDc source(CreateCompatibleDC(dc));
            BITMAP info{};
            if (source && GetObjectW(facts.bitmap, sizeof info, &info) != 0) {
                ScopedSelect select(source.get(), facts.bitmap);
                StretchBlt(dc, x, y, size, size, source.get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
            }
        }
        return;
    }
    // Like the caption's buttons, at the bar's height.
    const int gap = Scale(2, dpi);
    const int height = std::max(1, Scale(t.metrics.menuBarHeight, dpi) - 2 * Scale(3, dpi));
    const int top = item.top + (item.bottom - item.top - height) / 2;
    const RECT r{item.left + gap / 2, top, item.right - (gap - gap / 2), top + height};
    const Style* style = &t.button;
    if (kind == BarItemKind::Close && (hot || pressed))
        style = &t.closeHot;
    else if (pressed)
        style = &t.buttonPressed;
    else if (hot)
        style = &t.buttonHot;
    PaintStyle(dc, r, *style);
    const Glyph glyph = kind == BarItemKind::Close      ? Glyph::Close
                        : kind == BarItemKind::Minimize ? Glyph::Minimize
                                                        : Glyph::Restore;
    DrawGlyph(dc, r, glyph, Disabled(facts.bitmap) ? t.popupDisabled.text : style->text, dpi);
}

}  // namespace velum
