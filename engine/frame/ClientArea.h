// The client area's background and the colours of the controls on it.
#pragma once

#include <windows.h>

namespace velum {

// WM_ERASEBKGND: the theme's window background, where the program left the background to the
// system (a system-colour class brush); a background the program chose stays its own.
LRESULT EraseClientBackground(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// A window without a class background erases nothing: after the engine moved its client area,
// what it does not paint itself (a gap between its children) would keep what was on the screen
// there before. The theme's background goes there, in the erase of the paint that follows, so
// the program's own painting comes in the same paint. True when the window had no background.
bool EraseUncoveredClient(HWND hwnd, HDC dc);
// True when the window's class has no background brush.
bool HasNoClassBackground(HWND hwnd);
// WM_CTLCOLORDLG, WM_CTLCOLORSTATIC, WM_CTLCOLORBTN, WM_CTLCOLOREDIT, WM_CTLCOLORLISTBOX: the
// program answers first, and only the system's answer becomes the theme's colours: the field
// colours for the edits, lists and combo boxes the engine skins, the window's for the rest.
LRESULT ColorControl(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// A program's answer to a colour message, asked by `ask`, kept readable: when the program chose
// the text colour and answered with a brush of a system colour it asked GetSysColorBrush for,
// and the two do not read together in the theme's colours, the system's brush is answered, which
// the program chose its text for. A text colour the program did not choose is left as it was.
struct TextWatch {
    HDC dc;
    COLORREF before;
};
TextWatch WatchTextColour(HDC dc);
LRESULT ReadableAnswer(const TextWatch& watch, LRESULT answer);
template <class Ask>
LRESULT AskReadably(HDC dc, Ask ask)
{
    const TextWatch watch = WatchTextColour(dc);
    return ReadableAnswer(watch, ask());
}
// The theme's answer to a control colour message the program left to the system, whose own
// answer was `systemAnswer`.
LRESULT ThemeControlColour(UINT message, WPARAM wParam, LPARAM lParam, LRESULT systemAnswer);

// The erase of a child window whose class background is a system colour (its index plus one),
// which the system would fill in the system's colour: the window's own erase runs with the
// theme's brush for that colour as its class background. Any other erase is passed on.
LRESULT EraseWithThemeSystemColour(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace velum
