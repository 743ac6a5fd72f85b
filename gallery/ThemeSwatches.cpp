#include "ThemeSwatches.h"

#include <iterator>

#include "Handles.h"
#include "ModuleSkin.h"

namespace ThemeSwatches {

namespace {

COLORREF Colour(const Swatch& swatch, const char* key, int system)
{
    const int colour = ModuleSkin::Velum_GetThemeColor(swatch.part, swatch.state, key);
    return colour >= 0 ? static_cast<COLORREF>(colour) : GetSysColor(system);
}

void Paint(HWND hwnd)
{
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client{};
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    const auto font = reinterpret_cast<HFONT>(SendMessageW(GetParent(hwnd), WM_GETFONT, 0, 0));
    const HGDIOBJ previous = font != nullptr ? SelectObject(dc, font) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    for (std::size_t i = 0; i < std::size(kSwatches); ++i) {
        const Swatch& swatch = kSwatches[i];
        RECT r = SwatchRect(hwnd, i);
        const UniqueBrush brush(CreateSolidBrush(Colour(swatch, "background", swatch.systemBackground)));
        FillRect(dc, &r, brush.get());
        SetTextColor(dc, Colour(swatch, "text", swatch.systemText));
        InflateRect(&r, -4, 0);
        DrawTextW(dc, swatch.label, -1, &r, DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
    if (previous != nullptr)
        SelectObject(dc, previous);
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND: return 1;  // painted whole in WM_PAINT
    case WM_PAINT: Paint(hwnd); return 0;
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

}  // namespace

void Register(HINSTANCE instance)
{
    WNDCLASSW wc{};
    if (GetClassInfoW(instance, kClass, &wc))
        return;
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);
}

RECT SwatchRect(HWND strip, std::size_t index)
{
    RECT client{};
    GetClientRect(strip, &client);
    const int count = static_cast<int>(std::size(kSwatches));
    const int gap = 4;
    const int width = (client.right - gap * (count - 1)) / count;
    const int left = static_cast<int>(index) * (width + gap);
    return {left, 0, left + width, client.bottom};
}

}  // namespace ThemeSwatches
