// The engine's state and the skinning of a thread's windows, shared by the exported functions
// and the window procedures.
#pragma once

#include <windows.h>

#include <memory>

#include "Painter.h"

namespace velum {

// The theme in use, or null while the engine is not attached.
ThemeResources* CurrentTheme();

// The thread whose windows the engine skins; 0 while it is not attached.
DWORD SkinnedThread();
// True when the calling thread is the skinned one. Any thread may ask.
bool OnSkinnedThread();

// The engine's own module, kept from DllMain for the window hook.
void SetEngineModule(HINSTANCE module);

// The user turned on a high-contrast theme: programs are to use the system's colours.
bool HighContrastOn();
// The thread that attached, whether the engine draws its windows or stands aside; 0 when not
// attached.
DWORD AttachedThread();
// Attached, but standing aside while high contrast is on: the engine draws and answers nothing,
// and keeps the theme for when it goes off.
bool SteppedAside();
// A skinned window heard of a change of the system's settings or colours: when high contrast
// came on, the engine steps aside once the message has returned.
void FollowHighContrast();

// Makes `theme` the look of every window of the calling thread, and of those it creates later.
// On the first skinning of a window its client area keeps its size. Under high contrast the
// engine steps aside instead, keeping `theme` for when it goes off. Returns false, with
// GetLastError's code set, when the thread's windows cannot be watched; nothing changes then.
bool SkinThreadWindows(std::unique_ptr<ThemeResources> theme);

// Gives back every subclass, menu and window region the engine changed, stops watching the
// thread and frees the theme.
void StopSkinning();

// Called from inside a message one of the engine's procedures handles: the windows are given
// back as that message returns, since the procedure still uses them. False elsewhere.
bool DetachWhenMessageReturns();

// The attached thread ended without detaching: its windows and hooks went with it, and the
// engine lets go of what it kept for them, so another thread can attach.
void ReleaseEndedThread();

// The look-changed message's wParam.
inline constexpr WPARAM kLookRemoved = 0;
inline constexpr WPARAM kLookApplied = 1;
inline constexpr WPARAM kLookSteppedAside = 2;

// Sends the engine's registered look-changed message to the thread's top-level windows, with
// one of the values above. Called once the engine's call has finished.
void TellThemeChanged(DWORD thread, WPARAM look);

// The DPI the engine lays out and draws a window at: its top-level window's, as the last
// WM_DPICHANGED the engine followed gave it, else as Windows tells it (the screen's when it cannot tell).
int WindowDpi(HWND hwnd);
// The DPI the system lays the window out at (GetDpiForWindow; the screen's when Windows cannot tell). It
// differs from WindowDpi only where a DPI change was sent to a window the system did not move
// (Wine, which never changes a monitor's DPI).
int SystemWindowDpi(HWND hwnd);
// A per-monitor-aware top-level window moved to `dpi` (WM_DPICHANGED): it and its children are
// laid out and drawn at it from now on.
void NoteWindowDpi(HWND topLevel, int dpi);
// The window is going, or the engine lets go of it: what was noted for it is forgotten (for
// every window when `topLevel` is null).
void ForgetWindowDpi(HWND topLevel);
// Whether the window follows changes of its DPI: only a per-monitor-aware one does; the system
// stretches the others, which may still be sent WM_DPICHANGED and ignore it.
bool FollowsDpiChanges(HWND hwnd);
// A system metric at a DPI, as GetSystemMetricsForDpi gives it where there is one.
int MetricForDpi(int index, int dpi);
// The system's sizing border at a DPI, its sizing frame and padded border: how wide a band a
// person finds an edge of a resizable window in.
int SystemSizingBorder(int dpi);

}  // namespace velum
