// The binding to the skin engine library. The library is loaded on the first call and each
// entry point is looked up by name on its first call and kept.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace ModuleSkin {

inline constexpr wchar_t kEngineLibrary[] = L"Velum_VB6.dll";

// Skins the calling thread's windows with the engine's built-in look.
int Velum_Attach();

// Applies a theme file; the second string selects a scheme inside it (empty: its default).
int Velum_AttachEx(std::wstring_view themePath, std::wstring_view scheme);

// Why the engine's last call on this thread failed; empty after a success.
std::wstring Velum_GetLastErrorText();

// The calls for a program's own drawing. Without the engine, or with one from before them, the
// colour is -1, as without a theme, and the exclusion does nothing; they never throw.
// A colour of the theme in use (a COLORREF), or -1.
int Velum_GetThemeColor(const char* part, const char* state, const char* key);
// Leaves a window the program draws itself alone, or gives it back.
void Velum_ExcludeWindow(HWND window, bool exclude);
// The message the engine sends the program's top-level windows when the look changed.
UINT ThemeChangedMessage();

}  // namespace ModuleSkin
