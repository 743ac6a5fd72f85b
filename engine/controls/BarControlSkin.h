// Up-down controls, trackbars and toolbars in the theme's colours. Up-down arrows are drawn by
// the engine like push buttons; trackbars and toolbars take the theme through the custom draw
// notifications they send their parent, answered only where the program's own procedure left
// the drawing to the control.
#pragma once

#include <windows.h>

namespace velum {

// The part of an up-down control under a point given as a mouse message's lParam: 0 for the
// arrow that increments, 1 for the one that decrements, -1 for neither.
int UpDownArrowAt(HWND hwnd, LPARAM point);
// Paints an up-down control for WM_PAINT or WM_PRINTCLIENT with the arrow under the pointer and
// the one held down (-1 for none).
void PaintUpDown(HWND hwnd, UINT message, WPARAM wParam, int hot, int pressed);

// A skinned window's answer to WM_NOTIFY once its own procedure answered `programResult`: the
// custom draw of a trackbar or toolbar the program left to the control, drawn in the theme.
LRESULT AnswerCustomDraw(NMHDR* header, LRESULT programResult);

}  // namespace velum
