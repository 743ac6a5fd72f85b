/* Stands in for the Windows SDK's <windows.h>, which cannot be installed here, when the release
 * test builds the kit's C++ sample with clang for the *-windows-msvc targets: the types, values
 * and functions the sample uses, declared as the SDK declares them, and nothing else. */
#pragma once

#define _WINDEF_

#include <stddef.h>

#define WINAPI __stdcall
#define CALLBACK __stdcall
#define TRUE 1
#define FALSE 0

typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef unsigned long DWORD;
typedef long LONG;
typedef unsigned int UINT;
typedef wchar_t WCHAR;
typedef wchar_t* PWSTR;
typedef wchar_t* LPWSTR;
typedef const wchar_t* LPCWSTR;
typedef void* LPVOID;
#ifdef _WIN64
typedef __int64 LONG_PTR;
typedef unsigned __int64 UINT_PTR;
typedef unsigned __int64 ULONG_PTR;
#else
typedef long LONG_PTR;
typedef unsigned int UINT_PTR;
typedef unsigned long ULONG_PTR;
#endif
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;
typedef DWORD COLORREF;

#define DECLARE_HANDLE(name)                                                                                           \
    struct name##__;                                                                                                   \
    typedef struct name##__* name
DECLARE_HANDLE(HWND);
DECLARE_HANDLE(HINSTANCE);
DECLARE_HANDLE(HDC);
DECLARE_HANDLE(HBRUSH);
DECLARE_HANDLE(HFONT);
DECLARE_HANDLE(HMENU);
DECLARE_HANDLE(HICON);
typedef HICON HCURSOR;
typedef HINSTANCE HMODULE;
typedef void* HGDIOBJ;

typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);
typedef void(CALLBACK* TIMERPROC)(HWND, UINT, UINT_PTR, DWORD);

typedef struct tagPOINT {
    LONG x, y;
} POINT;
typedef struct tagRECT {
    LONG left, top, right, bottom;
} RECT;
typedef struct tagMSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
} MSG;
typedef struct tagWNDCLASSW {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCWSTR lpszMenuName;
    LPCWSTR lpszClassName;
} WNDCLASSW;
typedef struct tagPAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
} PAINTSTRUCT;
typedef struct tagCREATESTRUCTW {
    LPVOID lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy, cx, y, x;
    LONG style;
    LPCWSTR lpszName;
    LPCWSTR lpszClass;
    DWORD dwExStyle;
} CREATESTRUCTW;
typedef struct tagLOGFONTW {
    LONG lfHeight, lfWidth, lfEscapement, lfOrientation, lfWeight;
    BYTE lfItalic, lfUnderline, lfStrikeOut, lfCharSet, lfOutPrecision, lfClipPrecision, lfQuality, lfPitchAndFamily;
    WCHAR lfFaceName[32];
} LOGFONTW;

#define LOWORD(l) ((WORD)(((ULONG_PTR)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((ULONG_PTR)(l)) >> 16) & 0xffff))
#define RGB(r, g, b) ((COLORREF)(((BYTE)(r) | ((WORD)((BYTE)(g)) << 8)) | (((DWORD)(BYTE)(b)) << 16)))
#define MAKEINTRESOURCEW(i) ((LPWSTR)((ULONG_PTR)((WORD)(i))))

#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_SIZE 0x0005
#define WM_PAINT 0x000F
#define WM_ERASEBKGND 0x0014
#define WM_NCCREATE 0x0081
#define WM_TIMER 0x0113
#define WS_OVERLAPPEDWINDOW 0x00CF0000L
#define WS_CHILD 0x40000000L
#define WS_VISIBLE 0x10000000L
#define WS_CLIPCHILDREN 0x02000000L
#define WS_EX_CLIENTEDGE 0x00000200L
#define CW_USEDEFAULT ((int)0x80000000)
#define COLOR_ACTIVECAPTION 2
#define COLOR_WINDOW 5
#define COLOR_CAPTIONTEXT 9
#define IDC_ARROW MAKEINTRESOURCEW(32512)
#define GWLP_USERDATA (-21)
#define TRANSPARENT 1
#define DT_LEFT 0x00000000
#define DT_VCENTER 0x00000004
#define DT_SINGLELINE 0x00000020
#define MB_ICONWARNING 0x00000030L
#define SW_SHOWDEFAULT 10

#ifdef __cplusplus
extern "C" {
#endif

#define WINUSERAPI __declspec(dllimport)
WINUSERAPI HMODULE WINAPI GetModuleHandleW(LPCWSTR name);
WINUSERAPI LPWSTR WINAPI GetCommandLineW(void);
WINUSERAPI __declspec(noreturn) void WINAPI ExitProcess(UINT code);

WINUSERAPI WORD WINAPI RegisterClassW(const WNDCLASSW* wc);
WINUSERAPI HWND WINAPI CreateWindowExW(DWORD exStyle, LPCWSTR cls, LPCWSTR name, DWORD style, int x, int y, int cx,
                                       int cy, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
WINUSERAPI BOOL WINAPI ShowWindow(HWND hwnd, int show);
WINUSERAPI BOOL WINAPI UpdateWindow(HWND hwnd);
WINUSERAPI BOOL WINAPI MoveWindow(HWND hwnd, int x, int y, int cx, int cy, BOOL repaint);
WINUSERAPI BOOL WINAPI DestroyWindow(HWND hwnd);
WINUSERAPI BOOL WINAPI GetMessageW(MSG* msg, HWND hwnd, UINT first, UINT last);
WINUSERAPI BOOL WINAPI TranslateMessage(const MSG* msg);
WINUSERAPI LRESULT WINAPI DispatchMessageW(const MSG* msg);
WINUSERAPI LRESULT WINAPI DefWindowProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
WINUSERAPI void WINAPI PostQuitMessage(int code);
WINUSERAPI UINT WINAPI RegisterWindowMessageW(LPCWSTR name);
WINUSERAPI HDC WINAPI BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
WINUSERAPI BOOL WINAPI EndPaint(HWND hwnd, const PAINTSTRUCT* ps);
WINUSERAPI BOOL WINAPI GetClientRect(HWND hwnd, RECT* r);
WINUSERAPI BOOL WINAPI InvalidateRect(HWND hwnd, const RECT* r, BOOL erase);
WINUSERAPI int WINAPI FillRect(HDC dc, const RECT* r, HBRUSH brush);
WINUSERAPI int WINAPI DrawTextW(HDC dc, LPCWSTR text, int length, RECT* r, UINT format);
WINUSERAPI HCURSOR WINAPI LoadCursorW(HINSTANCE instance, LPCWSTR name);
WINUSERAPI UINT_PTR WINAPI SetTimer(HWND hwnd, UINT_PTR id, UINT ms, TIMERPROC proc);
WINUSERAPI BOOL WINAPI KillTimer(HWND hwnd, UINT_PTR id);
WINUSERAPI int WINAPI MessageBoxW(HWND hwnd, LPCWSTR text, LPCWSTR caption, UINT type);
WINUSERAPI DWORD WINAPI GetSysColor(int index);
#ifdef _WIN64
WINUSERAPI LONG_PTR WINAPI SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value);
WINUSERAPI LONG_PTR WINAPI GetWindowLongPtrW(HWND hwnd, int index);
#else
WINUSERAPI LONG WINAPI SetWindowLongW(HWND hwnd, int index, LONG value);
WINUSERAPI LONG WINAPI GetWindowLongW(HWND hwnd, int index);
#define SetWindowLongPtrW SetWindowLongW
#define GetWindowLongPtrW GetWindowLongW
#endif

WINUSERAPI HBRUSH WINAPI CreateSolidBrush(COLORREF colour);
WINUSERAPI HFONT WINAPI CreateFontIndirectW(const LOGFONTW* font);
WINUSERAPI HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object);
WINUSERAPI BOOL WINAPI DeleteObject(HGDIOBJ object);
WINUSERAPI int WINAPI SetBkMode(HDC dc, int mode);
WINUSERAPI COLORREF WINAPI SetTextColor(HDC dc, COLORREF colour);

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR commandLine, int show);

#ifdef __cplusplus
}
#endif
