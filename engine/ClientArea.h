// The client area's background and the colours of the controls on it.
#pragma once

#include <windows.h>

namespace velum {

// WM_ERASEBKGND: the theme's window background.
LRESULT EraseClientBackground(HWND hwnd, HDC dc);
// WM_CTLCOLORDLG, WM_CTLCOLORSTATIC, WM_CTLCOLORBTN: the theme's window colours.
LRESULT ColorControl(HDC dc);

}  // namespace velum
