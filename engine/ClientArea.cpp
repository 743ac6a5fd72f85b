#include "ClientArea.h"

#include "Engine.h"

namespace velum {

LRESULT EraseClientBackground(HWND hwnd, HDC dc)
{
    RECT client{};
    GetClientRect(hwnd, &client);
    FillWith(dc, client, CurrentTheme()->Get().window.background);
    return 1;
}

LRESULT ColorControl(HDC dc)
{
    ThemeResources* theme = CurrentTheme();
    SetTextColor(dc, ToColorRef(theme->Get().window.text));
    SetBkColor(dc, ToColorRef(theme->Get().window.background.from));
    return reinterpret_cast<LRESULT>(theme->WindowBrush());
}

}  // namespace velum
