/* Velum skin engine: redraws a program's windows and menus in the look a theme file defines.
 *
 * Link against Velum_VB6.dll, or find the functions with GetProcAddress by these names (they
 * are exported undecorated on x86 and x64; on x86 they use the stdcall convention). Call them
 * from the thread that owns the windows to skin. Strings are 8-bit text in the system's ANSI
 * code page.
 */
#ifndef VELUM_H
#define VELUM_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(VELUM_BUILDING)
#define VELUM_API __declspec(dllexport)
#else
#define VELUM_API __declspec(dllimport)
#endif
#define VELUM_CALL __stdcall

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

#ifdef __cplusplus
}
#endif

#endif /* VELUM_H */
