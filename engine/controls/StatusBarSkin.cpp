#include "StatusBarSkin.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "ControlPaint.h"
#include "Engine.h"
#include "WindowRegistry.h"

namespace velum {

namespace {

struct StatusPart {
    RECT bounds{};
    UINT type = 0;  // SBT_* flags
    std::wstring text;
};

std::vector<StatusPart> StatusParts(HWND hwnd)
{
    std::vector<StatusPart> parts;
    const bool simple = CallPrevious(hwnd, SB_ISSIMPLE, 0, 0) != 0;
    const int count = simple ? 1 : static_cast<int>(CallPrevious(hwnd, SB_GETPARTS, 0, 0));
    for (int i = 0; i < count; ++i) {
        const WPARAM index = simple ? SB_SIMPLEID : static_cast<WPARAM>(i);
        StatusPart part;
        if (simple)
            GetClientRect(hwnd, &part.bounds);
        else
            CallPrevious(hwnd, SB_GETRECT, index, reinterpret_cast<LPARAM>(&part.bounds));
        const auto length = static_cast<DWORD>(CallPrevious(hwnd, SB_GETTEXTLENGTHW, index, 0));
        part.type = HIWORD(length);
        part.text.resize(LOWORD(length) + 1);
        if ((part.type & SBT_OWNERDRAW) == 0) {
            CallPrevious(hwnd, SB_GETTEXTW, index, reinterpret_cast<LPARAM>(part.text.data()));
            part.text.resize(LOWORD(length));
        } else {
            part.text.clear();
        }
        parts.push_back(std::move(part));
    }
    return parts;
}

// A part's text: left, then after a tab centred, after a second tab right-aligned.
void DrawStatusText(HDC dc, RECT r, const std::wstring& text)
{
    const UINT aligns[] = {DT_LEFT, DT_CENTER, DT_RIGHT};
    size_t start = 0;
    for (const UINT align : aligns) {
        const size_t tab = text.find(L'\t', start);
        const std::wstring piece = text.substr(start, tab == std::wstring::npos ? std::wstring::npos : tab - start);
        DrawTextW(dc, piece.c_str(), -1, &r, align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
        if (tab == std::wstring::npos)
            break;
        start = tab + 1;
    }
}

void DrawSizeGrip(HDC dc, const RECT& client, Color c, int dpi)
{
    const int size = Scale(12, dpi);
    const int step = Scale(4, dpi);
    for (int i = step; i <= size; i += step)
        Line(dc, client.right - i, client.bottom - 1, client.right - 1, client.bottom - i, c);
}

}  // namespace

LRESULT PaintStatusBar(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const std::vector<StatusPart> parts = StatusParts(hwnd);
    for (const StatusPart& part : parts)
        if ((part.type & SBT_OWNERDRAW) != 0)
            return CallPrevious(hwnd, message, wParam, lParam);  // the program draws some of it
    const Style& look = CurrentTheme()->Controls().common.statusBar;
    PaintThroughBuffer(hwnd, message, wParam, [&](HDC dc, const RECT& client) {
        PaintFace(dc, client, look);
        if (!look.image)
            Line(dc, client.left, client.top, client.right, client.top, look.border);
        ScopedSelect font(dc, FontOf(hwnd));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, ToColorRef(look.text));
        const int dpi = WindowDpi(hwnd);
        for (const StatusPart& part : parts) {
            RECT r = part.bounds;
            if ((part.type & SBT_NOBORDERS) == 0 && r.right < client.right - 1)
                Line(dc, r.right - 1, r.top + 2, r.right - 1, r.bottom - 2, look.border);
            InflateRect(&r, -Scale(3, dpi), 0);
            DrawStatusText(dc, r, part.text);
        }
        HWND parent = GetParent(hwnd);
        if ((GetWindowLongPtrW(hwnd, GWL_STYLE) & SBARS_SIZEGRIP) != 0 && (parent == nullptr || !IsZoomed(parent)))
            DrawSizeGrip(dc, client, look.border, dpi);
    });
    return 0;
}

}  // namespace velum
