// The windows the engine draws: the frames and popup menus it keeps, found by their window,
// and skinning, refreshing or giving back every window of the thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "WindowSubclass.h"

namespace velum {

class FrameWindow;

// The skinned frame window of hwnd, or null.
FrameWindow* FindFrame(HWND hwnd);
// The window is going: its frame object goes once no procedure of the engine's runs.
void ForgetFrame(HWND hwnd);

bool IsSkinnedPopup(HWND hwnd);
void ForgetPopup(HWND hwnd);

// Where a popup opened from a skinned menu bar should go, if one is about to open: its top left
// corner, or its top right one when `fromRight`.
bool TakeMenuBarPopupPosition(POINT& at, bool& fromRight);

// The thread's WH_CBT hook: each new window is skinned by the part that draws it as it is made,
// and a frame hears of a coming minimise or maximise. Always passes the notification on.
LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam);
// The thread's WH_MSGFILTER hook: Wine's menu tracking sees mouse points on the drawn bar where
// its own layout of the bar has them. Always passes the notification on.
LRESULT CALLBACK MenuFilterHook(int code, WPARAM wParam, LPARAM lParam);
// For EnumThreadWindows: skins a window of the thread, and the children of one new to the engine.
BOOL CALLBACK SkinExistingWindow(HWND hwnd, LPARAM);
// Every skinned window takes the current theme.
void RefreshSkinnedWindows();
// dwmapi came into the process: every skinned frame tells the compositor of itself.
void FollowCompositorEverywhere();
// The thread's top-level windows now.
std::vector<HWND> TopLevelWindowsOf(DWORD thread);
// How many windows the skinned thread has made while hooked: unchanged, no window was added to
// a list of its windows taken before.
std::uint64_t WindowsMadeSoFar();
// Windows excluded since the last look are given back, and windows no longer excluded are
// skinned, on the skinned thread.
void FollowExclusions();
// A window the program turned from a child into a captioned pop-up (a docked pane floated out)
// or back is drawn by the part for its new style. Seen in WM_STYLECHANGED, the change is taken
// up by the message posted then, once the program has also moved the window where it goes.
UINT StyleFollowMessage();
void NoteStyleChange(HWND hwnd, WPARAM which, const STYLESTRUCT* change);
void FollowStyleChange(HWND hwnd);
// Every skinned window gets back its own procedure, frame, menus and colours.
void UnskinAll();

}  // namespace velum
