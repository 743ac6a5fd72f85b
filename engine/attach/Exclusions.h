// Windows a program asked the engine to leave alone: one window by its handle, or every window
// of a class by the class's name, each with every window inside it. Kept whether or not the
// engine is attached, so a program can say so before it attaches.
#pragma once

#include <windows.h>

#include <string>

namespace velum {

// Adds or removes one window; false for a handle that is not a window.
bool SetWindowExcluded(HWND hwnd, bool exclude);
// Adds or removes a class by name (compared without regard to case).
void SetClassExcluded(std::wstring className, bool exclude);

// True when the window, or one it is inside, is excluded. Cheap while nothing is excluded.
bool IsExcluded(HWND hwnd);
// The same for a window being made, before it is linked into its parent (the CBT hook).
bool IsExcludedAtCreation(HWND hwnd, const CREATESTRUCTW& create);

// A destroyed window leaves the list.
void ForgetExcludedWindow(HWND hwnd);

}  // namespace velum
