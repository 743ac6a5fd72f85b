// Etched lines and frames (static controls of the SS_ETCHEDHORZ, SS_ETCHEDVERT and
// SS_ETCHEDFRAME styles), which dialogs put between groups of controls. The system draws them
// inside user32 from its own 3-D colours, which no import asks: bright on a dark theme. The
// engine draws them with the same edge in the theme's colours.
#pragma once

#include <windows.h>

namespace velum {

// Subclasses a static control of an etched style; other statics are left alone, as their
// colours come from their parent's WM_CTLCOLORSTATIC.
bool SkinEtchedLine(HWND hwnd);
void RefreshEtchedLines();
// Gives every static back its procedure; with `only`, that window alone.
void UnskinEtchedLines(HWND only = nullptr);

}  // namespace velum
