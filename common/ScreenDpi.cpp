#include "ScreenDpi.h"

#include <windows.h>

int ScreenDpi()
{
    static const int dpi = [] {
        HDC screen = GetDC(nullptr);
        const int asked = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
        if (screen != nullptr)
            ReleaseDC(nullptr, screen);
        return asked > 0 ? asked : 96;
    }();
    return dpi;
}
