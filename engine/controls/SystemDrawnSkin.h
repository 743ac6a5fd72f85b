// The common controls the engine does not draw itself (hot-key, IP address, date-time picker,
// month calendar, link, extended combo box, rebar and the rest): the system draws them, from the
// system's colours, which the skinned thread is answered with the theme's (SystemColourAnswers.h).
// The engine makes sure that is what they draw with: they draw the classic way, not from a
// visual style's images; the colours they ask their parent for, and those their children ask
// them for, are the theme's; and a month calendar, which keeps the colours it was made with,
// is given the theme's. An IP address control fills its background in the theme's colour, and a
// link draws its text and links in the theme's colours while it paints.
#pragma once

#include <windows.h>

namespace velum {

// Takes a common control the engine has no other part for; false for any other window.
// `creating`: called before the control has made itself.
bool SkinSystemDrawnControl(HWND hwnd, bool creating);
// Gives each the current theme's colours and repaints it.
void RefreshSystemDrawnControls();
// Gives each back its visual style, its own colours and its procedure; with `only`, that window alone.
void UnskinSystemDrawnControls(HWND only = nullptr);

}  // namespace velum
