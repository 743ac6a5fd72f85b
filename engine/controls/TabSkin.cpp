#include "TabSkin.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ThemeArtwork.h"
#include "Engine.h"
#include "WindowRegistry.h"

namespace velum {

namespace {

struct TabItem {
    RECT bounds{};
    std::wstring text;
    int image = -1;
};

std::vector<TabItem> TabItems(HWND hwnd)
{
    std::vector<TabItem> items;
    const int count = static_cast<int>(CallPrevious(hwnd, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TabItem item;
        wchar_t text[260] = L"";
        TCITEMW info{};
        info.mask = TCIF_TEXT | TCIF_IMAGE;
        info.pszText = text;
        info.cchTextMax = 260;
        info.iImage = -1;
        CallPrevious(hwnd, TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&info));
        CallPrevious(hwnd, TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item.bounds));
        item.text = text;
        item.image = info.iImage;
        items.push_back(std::move(item));
    }
    return items;
}

void DrawTabs(HDC dc, HWND hwnd, const RECT& client, const std::vector<TabItem>& items, int hot)
{
    const ControlPalette& palette = CurrentTheme()->Controls();
    const CommonPalette& p = palette.common;
    const int selected = static_cast<int>(CallPrevious(hwnd, TCM_GETCURSEL, 0, 0));
    const bool enabled = IsWindowEnabled(hwnd) != FALSE;

    // The tabs stand on the parent's background; the page starts below the lowest row.
    FillSolid(dc, client, palette.background);
    int rowsBottom = client.top;
    for (const TabItem& item : items)
        rowsBottom = std::max(rowsBottom, static_cast<int>(item.bounds.bottom));
    RECT page = client;
    page.top = items.empty() ? client.top : rowsBottom;
    FillWith(dc, page, p.tabSelected.background);
    Outline(dc, page, p.tab.border);

    HFONT font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
    ScopedSelect selectFont(dc, font != nullptr ? font : static_cast<HFONT>(GetStockObject(SYSTEM_FONT)));
    SetBkMode(dc, TRANSPARENT);
    const auto ui = static_cast<UINT>(SendMessageW(hwnd, WM_QUERYUISTATE, 0, 0));
    const UINT prefix = (ui & UISF_HIDEACCEL) != 0 ? DT_HIDEPREFIX : 0;
    // The selected tab last: it stands out over its neighbours and joins the page.
    std::vector<int> order;
    for (int i = 0; i < static_cast<int>(items.size()); ++i)
        if (i != selected)
            order.push_back(i);
    if (selected >= 0 && selected < static_cast<int>(items.size()))
        order.push_back(selected);
    for (const int i : order) {
        const TabItem& item = items[static_cast<size_t>(i)];
        const bool isSelected = i == selected;
        const Style& look = isSelected ? p.tabSelected : (i == hot && enabled) ? p.tabHot : p.tab;
        RECT r = item.bounds;
        if (isSelected) {
            InflateRect(&r, 2, 0);
            r.top -= 2;
            r.bottom += 1;  // over the page's top border
        }
        PaintFace(dc, r, look);
        if (!look.image) {
            Line(dc, r.left, r.bottom - 1, r.left, r.top, p.tab.border);
            Line(dc, r.left, r.top, r.right - 1, r.top, p.tab.border);
            Line(dc, r.right - 1, r.top, r.right - 1, r.bottom, p.tab.border);
        }
        RECT text = r;
        if (isSelected)
            text.bottom -= 1;
        text = ContentRect(r, look, WindowDpi(hwnd), text);
        const Color colour = enabled ? look.text : Mix(look.background.from, look.text, 50);
        SetTextColor(dc, ToColorRef(colour));
        DrawTextW(dc, item.text.c_str(), -1, &text, DT_CENTER | DT_SINGLELINE | DT_VCENTER | prefix);
        if (isSelected && GetFocus() == hwnd && (ui & UISF_HIDEFOCUS) == 0) {
            RECT focus = text;
            InflateRect(&focus, -3, -3);
            SetTextColor(dc, ToColorRef(look.text));
            SetBkColor(dc, ToColorRef(look.background.from));
            DrawFocusRect(dc, &focus);
        }
    }
}

}  // namespace

bool EngineDrawsTab(HWND hwnd)
{
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
    if ((style & (TCS_OWNERDRAWFIXED | TCS_BUTTONS | TCS_VERTICAL | TCS_BOTTOM)) != 0)
        return false;
    if (CallPrevious(hwnd, TCM_GETIMAGELIST, 0, 0) == 0)
        return true;
    const std::vector<TabItem> items = TabItems(hwnd);
    return std::none_of(items.begin(), items.end(), [](const TabItem& item) { return item.image >= 0; });
}

void PaintTab(HWND hwnd, UINT message, WPARAM wParam, int hot)
{
    const std::vector<TabItem> items = TabItems(hwnd);
    PAINTSTRUCT ps;
    HDC target = wParam != 0 ? reinterpret_cast<HDC>(wParam) : BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    {
        BackBuffer buffer(target, client);
        DrawTabs(buffer.Ok() ? buffer.Dc() : target, hwnd, client, items, hot);
        if (buffer.Ok())
            buffer.Commit();
    }
    if (wParam == 0 && message == WM_PAINT)
        EndPaint(hwnd, &ps);
}

int TabAt(HWND hwnd, LPARAM point)
{
    TCHITTESTINFO hit{};
    hit.pt = {static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
    return static_cast<int>(CallPrevious(hwnd, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
}

}  // namespace velum
