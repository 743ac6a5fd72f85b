// Stands in for the C runtime's start-up code, which calls wWinMain, and for the two functions
// of the runtime a compiler may call on its own for a structure's zeroing or copy.
#include <windows.h>

extern "C" void wWinMainCRTStartup()
{
    ExitProcess(static_cast<UINT>(
        wWinMain(reinterpret_cast<HINSTANCE>(GetModuleHandleW(nullptr)), nullptr, GetCommandLineW(), SW_SHOWDEFAULT)));
}

extern "C" void* memset(void* to, int value, size_t size)
{
    auto* p = static_cast<unsigned char*>(to);
    while (size-- != 0)
        *p++ = static_cast<unsigned char>(value);
    return to;
}

extern "C" void* memcpy(void* to, const void* from, size_t size)
{
    auto* p = static_cast<unsigned char*>(to);
    const auto* q = static_cast<const unsigned char*>(from);
    while (size-- != 0)
        *p++ = *q++;
    return to;
}
