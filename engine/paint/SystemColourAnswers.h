// What the system draws from system colours follows the theme on the skinned thread: dialogs
// and their pages, common dialogs, rich edit's automatic colours, the lists a system dialog
// draws itself. Every module but the system's core DLLs asks GetSysColor and GetSysColorBrush
// (and FillRect, which takes a system colour's index as a brush) through its import table, also
// a module loaded later; while a theme is in use, the skinned thread is answered with the
// theme's colours (SystemColours.h) and every other thread with the system's. The system's core
// (user32's own drawing, which the engine draws over anyway) keeps asking the system. SetTextColor
// goes through the engine too, for the text colours a control keeps (TextColourSwap).
#pragma once

#include <windows.h>

#include <optional>
#include <utility>
#include <vector>

namespace velum {

// From now on the modules ask the engine; it answers on the skinned thread while a theme is in
// use.
void AnswerSystemColours(HMODULE engine);
// The modules ask the system again, and the brushes handed out are deleted. False when a module
// patched the same calls after the engine, so that its patches may still call into the engine.
bool StopAnsweringSystemColours();
// The theme's colour for a system colour, as GetSysColor answers the skinned thread; none when
// the theme leaves that colour to the system, no theme is in use or another thread asks.
std::optional<COLORREF> ThemeSystemColour(int index);
// The theme's brush for a system colour, as GetSysColorBrush answers the skinned thread; null
// when the theme leaves that colour to the system or no theme is in use.
HBRUSH ThemeSystemColourBrush(int index);
// The background system colour (a face, window, menu, tooltip, selection...) whose theme answer
// `colour` is; none when it is no such answer or no theme is in use.
std::optional<int> ThemeBackgroundIndex(COLORREF colour);
// DrawEdge as the skinned thread's own calls are answered: in the theme's colours for the
// system's 3-D colours, the system's edge elsewhere.
BOOL DrawThemedEdge(HDC dc, RECT* rect, UINT edge, UINT flags);
// Tells the thread's common controls that the system's colours changed (WM_SYSCOLORCHANGE), as
// the system does after a colour change: they keep the colours they read when they were loaded
// or made, and read them again then. Called after a theme change and after detach. A thread
// with no common control yet has the first one it makes told, once it is made
// (CatchUpCommonControlColours): the engine makes no window of its own for it, which the
// program's hooks would see. With `within`, only the controls inside that window are told.
void TellCommonControlsColoursChanged(DWORD thread, HWND within = nullptr);
// Called by the engine's hook for every window the skinned thread makes (`made`) or destroys,
// to keep up the common controls the next change tells.
void FollowCommonControls(HWND hwnd, bool made);
// Called for every window the engine subclassed once its WM_CREATE returned.
void CatchUpCommonControlColours(HWND made);

// While one lives on the skinned thread, a text colour set with SetTextColor that is the first
// of one of its pairs is set as the second: for a control that keeps, as its own, the colours it
// read when it was made, and has no message to change them. Lives for one paint of that control.
class TextColourSwap {
public:
    explicit TextColourSwap(std::vector<std::pair<COLORREF, COLORREF>> pairs);
    ~TextColourSwap();
    TextColourSwap(const TextColourSwap&) = delete;
    TextColourSwap& operator=(const TextColourSwap&) = delete;
    // The colour set in place of `colour`.
    COLORREF Swapped(COLORREF colour) const;

private:
    std::vector<std::pair<COLORREF, COLORREF>> pairs_;
    const TextColourSwap* outer_;  // a paint inside another's
};

// While one lives on the skinned thread, the theme's brushes handed out (GetSysColorBrush, and
// the engine's answers to colour messages) are made for the while, and deleted at its end where
// their user did not: for the paint of a control that deletes the brush its parent answers with,
// as Wine's link does. That would otherwise delete a brush the engine keeps for every window
// (a system colour's brush cannot be deleted); a kept brush found deleted all the same is made
// again.
class LentBrushes {
public:
    LentBrushes();
    ~LentBrushes();
    LentBrushes(const LentBrushes&) = delete;
    LentBrushes& operator=(const LentBrushes&) = delete;
    // A brush of `colour` for the while; null when none is under way on this thread.
    static HBRUSH Lend(COLORREF colour);

private:
    std::vector<HBRUSH> lent_;
    LentBrushes* outer_;
};

}  // namespace velum
