/* The least a C program does to wear a Velum theme: attach on the thread that owns the window,
 * before or after making it, and detach before it ends. Build with MinGW:
 *   gcc minimal.c -I../../include -L../../lib/x64 -lVelum_VB6 -mwindows -o minimal.exe
 * or with Microsoft's compiler:
 *   cl minimal.c /I..\..\include ..\..\lib\x64\Velum_VB6.lib user32.lib
 * and put bin\x64\Velum_VB6.dll beside minimal.exe. Run it with a theme file:
 *   minimal.exe ..\..\themes\velum.vlm */
#include <windows.h>

#include "Velum.h"

static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR commandLine, int show)
{
    WNDCLASSW wc = {0};
    HWND hwnd;
    MSG msg;
    int result;
    (void)previous;

    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = L"VelumMinimal";
    RegisterClassW(&wc);
    hwnd = CreateWindowExW(0, wc.lpszClassName, L"Velum", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 480,
                           320, NULL, NULL, instance, NULL);

    /* A theme file named on the command line (its quotes taken off), else the built-in look. */
    if (commandLine[0] == L'"') {
        wchar_t* end = ++commandLine;
        while (*end != L'\0' && *end != L'"')
            ++end;
        *end = L'\0';
    }
    result = commandLine[0] != L'\0' ? Velum_AttachExW(commandLine, NULL) : Velum_Attach();
    if (result != VELUM_OK) {
        wchar_t text[512];
        Velum_GetLastErrorTextW(text, 512);
        MessageBoxW(hwnd, text, L"Velum", MB_ICONWARNING); /* the program goes on in the system's look */
    }
    ShowWindow(hwnd, show);

    while (GetMessageW(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    Velum_Detach();
    return (int)msg.wParam;
}
