#include "HeaderSkin.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "ThemeArtwork.h"
#include "ControlPaint.h"
#include "Engine.h"
#include "WindowRegistry.h"

namespace velum {

namespace {

struct HeaderItem {
    RECT bounds{};
    int format = 0;
    std::wstring text;
};

std::vector<HeaderItem> HeaderItems(HWND hwnd)
{
    std::vector<HeaderItem> items;
    const int count = static_cast<int>(CallPrevious(hwnd, HDM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        HeaderItem item;
        wchar_t text[260] = L"";
        HDITEMW info{};
        info.mask = HDI_TEXT | HDI_FORMAT;
        info.pszText = text;
        info.cchTextMax = 260;
        CallPrevious(hwnd, HDM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&info));
        CallPrevious(hwnd, HDM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item.bounds));
        item.format = info.fmt;
        item.text = text;
        items.push_back(std::move(item));
    }
    return items;
}

// Pictures and owner-drawn items are the program's: such a header keeps the system's drawing.
bool ProgramDrawsSome(const std::vector<HeaderItem>& items)
{
    for (const HeaderItem& item : items)
        if ((item.format & (HDF_OWNERDRAW | HDF_BITMAP | HDF_IMAGE)) != 0)
            return true;
    return false;
}

void DrawSortArrow(HDC dc, const RECT& item, bool up, Color c, int dpi)
{
    const POINT centre{item.right - Scale(10, dpi), (item.top + item.bottom) / 2};
    DrawArrow(dc, centre, up ? Towards::Up : Towards::Down, Scale(4, dpi), c);
}

}  // namespace

LRESULT PaintHeader(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, int hotItem, int pressedItem)
{
    const std::vector<HeaderItem> items = HeaderItems(hwnd);
    if (ProgramDrawsSome(items))
        return CallPrevious(hwnd, message, wParam, lParam);
    const CommonPalette& p = CurrentTheme()->Controls().common;
    PaintThroughBuffer(hwnd, message, wParam, [&](HDC dc, const RECT& client) {
        PaintFace(dc, client, p.header);
        ScopedSelect font(dc, FontOf(hwnd));
        SetBkMode(dc, TRANSPARENT);
        const int dpi = WindowDpi(hwnd);
        for (int i = 0; i < static_cast<int>(items.size()); ++i) {
            const HeaderItem& item = items[static_cast<size_t>(i)];
            const Style& look = i == pressedItem ? p.headerPressed : i == hotItem ? p.headerHot : p.header;
            RECT r = item.bounds;
            PaintFace(dc, r, look);
            if (!look.image)
                Line(dc, r.right - 1, r.top + Scale(3, dpi), r.right - 1, r.bottom - Scale(3, dpi), look.border);
            RECT text = r;
            InflateRect(&text, -Scale(6, dpi), 0);
            text = ContentRect(r, look, dpi, text);
            if (i == pressedItem)
                OffsetRect(&text, 1, 1);
            const bool sorted = (item.format & (HDF_SORTUP | HDF_SORTDOWN)) != 0;
            if (sorted)
                text.right -= Scale(12, dpi);
            const int justify = item.format & HDF_JUSTIFYMASK;
            const UINT align = justify == HDF_RIGHT ? DT_RIGHT : justify == HDF_CENTER ? DT_CENTER : DT_LEFT;
            SetTextColor(dc, ToColorRef(look.text));
            DrawTextW(dc, item.text.c_str(), -1, &text, align | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
            if (sorted)
                DrawSortArrow(dc, r, (item.format & HDF_SORTUP) != 0, look.text, dpi);
        }
        if (!p.header.image)
            Line(dc, client.left, client.bottom - 1, client.right, client.bottom - 1, p.header.border);
    });
    return 0;
}

int HeaderItemAt(HWND hwnd, LPARAM point, bool onItemOnly)
{
    HDHITTESTINFO hit{};
    hit.pt = {static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
    const int item = static_cast<int>(CallPrevious(hwnd, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (onItemOnly && (hit.flags & HHT_ONHEADER) == 0)
        return -1;
    return (hit.flags & (HHT_ONHEADER | HHT_ONDIVIDER | HHT_ONDIVOPEN)) != 0 ? item : -1;
}

}  // namespace velum
