/* Velum skin engine: redraws a program's windows and menus in the look a theme file defines.
 *
 * Link against Velum_VB6.dll, or find the functions with GetProcAddress by these names (they
 * are exported undecorated on x86 and x64; on x86 they use the stdcall convention). Call them
 * from the thread that owns the windows to skin. Strings of the calls without a W are 8-bit
 * text in the system's ANSI code page; the calls ending in W take UTF-16 and reach every path.
 *
 * Windows' headers are optional: include <windows.h> before this file to have HWND and LOGFONTA
 * spelled as usual; without them the same types are named by their structure tags.
 */
#ifndef VELUM_H
#define VELUM_H

#include <stddef.h> /* wchar_t */

#ifdef __cplusplus
extern "C" {
#endif

#if defined(VELUM_BUILDING)
#define VELUM_API __declspec(dllexport)
#else
#define VELUM_API __declspec(dllimport)
#endif
#define VELUM_CALL __stdcall

struct HWND__;
struct tagLOGFONTA;
struct tagLOGFONTW;
#if defined(_WINDEF_) || defined(_WINDEF_H)
typedef HWND VELUM_HWND;
#else
typedef struct HWND__* VELUM_HWND;
#endif

/* The message the engine sends to every skinned top-level window of the thread after each
 * successful Velum_Attach or Velum_AttachEx(W) (wParam VELUM_LOOK_APPLIED) and after
 * Velum_Detach (VELUM_LOOK_REMOVED), once the call has finished, so a program can redraw what
 * it draws itself in the new colours. While the user has a high-contrast theme on, the engine
 * stands aside: it draws nothing and answers no colour question, so the program looks as the
 * system draws it; an attach or switch then keeps the theme for later and the message carries
 * VELUM_LOOK_STEPPED_ASIDE, as it does when high contrast comes on while attached. When high
 * contrast goes off the theme comes back by itself, with VELUM_LOOK_APPLIED.
 * Its number comes from RegisterWindowMessage with this name: */
#define VELUM_THEMECHANGED_NAME "Velum.ThemeChanged"
#define VELUM_THEMECHANGED_NAMEW L"Velum.ThemeChanged"
#define VELUM_LOOK_REMOVED 0
#define VELUM_LOOK_APPLIED 1
#define VELUM_LOOK_STEPPED_ASIDE 2

/* Result codes. */
#define VELUM_OK 0
#define VELUM_E_FILE 1      /* the theme file is missing, a folder, or cannot be read */
#define VELUM_E_TOO_LARGE 2 /* the theme file is larger than the engine accepts */
#define VELUM_E_THEME 3     /* the theme file has errors */
#define VELUM_E_SCHEME 4    /* the file has no scheme of the requested name */
#define VELUM_E_ARGUMENT 5  /* a null or unusable argument */
#define VELUM_E_SYSTEM 6    /* Windows refused a call the engine needs */
#define VELUM_E_BUSY 7      /* called from a message the engine sent during another call */

/* Skins every top-level window of the calling thread, and those it creates later, with the
 * engine's built-in look. Returns VELUM_OK or an error code. */
VELUM_API int VELUM_CALL Velum_Attach(void);

/* Loads a theme file and applies it the same way, replacing the current look at once.
 * scheme names a scheme inside the file; NULL or "" selects the file's default scheme.
 * On any error the current look stays as it was. Returns VELUM_OK or an error code. */
VELUM_API int VELUM_CALL Velum_AttachEx(const char* themePath, const char* scheme);

/* Stops skinning the calling thread's windows and restores their original look. Called from
 * inside a message of a skinned window, it takes effect as that message returns. */
VELUM_API int VELUM_CALL Velum_Detach(void);

/* Copies the text of the calling thread's last error (empty after a success) into buffer,
 * cut to size - 1 bytes and NUL-terminated. Returns the length of the whole text, so a caller
 * can size its buffer; buffer may be NULL when size is 0. */
VELUM_API int VELUM_CALL Velum_GetLastErrorText(char* buffer, int size);

/* Velum_AttachEx and Velum_GetLastErrorText for UTF-16 text: the same rules and error codes.
 * The length Velum_GetLastErrorTextW returns and the size it takes count wchar_t units. */
VELUM_API int VELUM_CALL Velum_AttachExW(const wchar_t* themePath, const wchar_t* scheme);
VELUM_API int VELUM_CALL Velum_GetLastErrorTextW(wchar_t* buffer, int size);

/* Leaves a window, and every window inside it, alone (exclude != 0) or gives it back to the
 * engine (exclude == 0), at once. An excluded top-level window keeps the system's frame and
 * menus; an excluded control keeps the system's look and has no subclass of the engine's.
 * Works before and while attached; the exclusion lasts until it is undone or the window is
 * destroyed. */
VELUM_API int VELUM_CALL Velum_ExcludeWindow(VELUM_HWND window, int exclude);

/* The same for every window of a window class, by its name as given to CreateWindow (compared
 * without regard to case), including windows that exist already. */
VELUM_API int VELUM_CALL Velum_ExcludeClass(const char* className, int exclude);
VELUM_API int VELUM_CALL Velum_ExcludeClassW(const wchar_t* className, int exclude);

/* A colour of the theme in use, as a COLORREF (0x00BBGGRR), or -1 when there is none
 * (not attached, or an unknown name; Velum_GetLastErrorText says which).
 *   part   a section of the theme format: "Window", "Frame", "Caption", "CaptionButton",
 *          "CloseButton", "MenuBar", "Popup", "Button", "CheckBox", "GroupBox", "Edit",
 *          "List", "ScrollBar", "ScrollBar.Thumb", "Progress", "Progress.Bar", "Tab",
 *          "Header", "StatusBar", "Tooltip"
 *   state  NULL or "" for the part's own look, else one of the part's states in the format:
 *          "Inactive", "Hot", "Pressed", "Disabled", "Default", "Selected", "ReadOnly",
 *          "Focused", "Separator"
 *   key    "background" (the first stop of a gradient), "background-end" (its last stop),
 *          "text", "border" or "mark"
 * What the theme file leaves out comes back as the engine draws it. */
VELUM_API int VELUM_CALL Velum_GetThemeColor(const char* part, const char* state, const char* key);

/* The font the theme in use draws a part with ("Caption", "MenuBar" or "Popup"), at the
 * system's DPI, into *font. Returns VELUM_OK or an error code. */
VELUM_API int VELUM_CALL Velum_GetThemeFont(const char* part, struct tagLOGFONTA* font);
VELUM_API int VELUM_CALL Velum_GetThemeFontW(const wchar_t* part, struct tagLOGFONTW* font);

/* 1 while the engine draws the calling program's windows; 0 when it is not attached or stands
 * aside under high contrast. */
VELUM_API int VELUM_CALL Velum_IsDrawing(void);

#ifdef __cplusplus
}
#endif

#endif /* VELUM_H */
