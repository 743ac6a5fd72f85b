// The common controls in the theme's colours: list views, tree views and tooltips through the
// colour messages they offer; status bars and list-view headers, which have none for their
// text, and progress bars, which a visual style draws in its own colours, drawn by the engine. A control whose colours
// the program chose itself keeps them.
#pragma once

#include <windows.h>

namespace velum {

// Takes over the colours of a window built on one of these controls; false for other windows.
// `creating`: called before the control has made itself, so its colours are set once it has.
bool SkinCommonControl(HWND hwnd, bool creating);
// A skinned window's answer to a list or tree view's custom draw once its own procedure answered
// `programResult`: selected items in the theme's selection colours, where the program left the
// drawing to the control.
LRESULT AnswerSelectionDraw(NMHDR* header, LRESULT programResult);
// Gives every skinned common control the current theme's colours and repaints it.
void RefreshCommonControls();
// Gives every common control back its own colours and procedure; with `only`, that window alone.
void UnskinCommonControls(HWND only = nullptr);

}  // namespace velum
