// Edit fields, list boxes and combo boxes (with the lists they drop) drawn in the theme's field
// colours: backgrounds and text through their colour messages, borders, selected list items,
// and the combo box's field and drop button.
#pragma once

#include <windows.h>

#include "ControlKinds.h"
#include "Painter.h"

namespace velum {

// Subclasses an edit, a list box, a combo box (and the list it drops) or a combo box's list.
// Whether the engine draws it is decided at each paint: owner-drawn lists and combo boxes, and
// fields whose parent answers their colour message with a brush of its own, keep the system's
// drawing. False for other windows.
bool SkinField(HWND hwnd, ControlFamily family);
// Repaints every skinned field, frame included, in the current theme.
void RefreshFields();
// Gives every field back its own procedure and look; with `only`, that window alone.
void UnskinFields(HWND only = nullptr);

// The colour message of a skinned field: sets the DC's text and background colours and returns
// the theme's brush for the field's state. Null when the engine does not skin `control` or the
// message is not the one the control sends in its state.
HBRUSH AnswerFieldColours(HWND control, UINT message, HDC dc);
// The field colours for a control that asks with a field's colour message but is not a field
// the engine knows (a hot-key control, an IP address's background): the disabled field's while
// it is disabled. Null for a field the engine knows, which answers for itself, unless the system
// draws its items (an extended combo box's field, the Font dialog's colour list).
HBRUSH AnswerOtherFieldColours(HWND control, HDC dc);

// What the family's procedures share.
struct FieldState {
    ControlFamily family = ControlFamily::Unknown;
    // An edit created with WS_BORDER and no client edge: the system's edit takes the style bit
    // away and draws a one-pixel frame inside its client area instead.
    bool clientFrame = false;
    bool hot = false;  // a combo box was last drawn with the pointer over it
    // The combo box a list or an edit belongs to. The list a drop-down drops is a window of the
    // desktop, and asks the combo box for its colours.
    HWND combo = nullptr;
};

// Skins the edit and the list of a combo box, once it has made them.
void SkinComboParts(HWND combo);
// The state of a skinned field, or null.
FieldState* FindField(HWND hwnd);
// Forgets a field whose window is going.
void ForgetField(HWND hwnd);
// Which of the theme's field looks the control is in: disabled, read-only or normal.
FieldLook LookOf(HWND hwnd, ControlFamily family);
// True when the engine draws the field now: the theme is on, the control is not owner-drawn and
// its parent left its colours to the engine.
bool EngineDrawsField(HWND hwnd);
// True for an owner-drawn combo box or list whose items the system draws (an extended combo
// box's, the Font dialog's), whose parent left its colours to the engine: the items stay the
// system's drawing, the frame, scroll bars and drop button around them are the engine's.
bool EngineFramesField(HWND hwnd);
// True when the engine draws the field's frame and scroll bars: it draws the whole field, or
// frames the system's items.
bool EngineDrawsFieldFrame(HWND hwnd);
// True while the control, or the edit inside a combo box, has the keyboard focus.
bool HasFocusWithin(HWND hwnd);
// The colour of the field's border in its state: the focus border while it has the focus.
Color BorderColour(HWND hwnd, const Style& look, FieldLook state);
// The edges the system draws around the client area of a control of these styles, outside in,
// at the control's DPI.
int EdgeWidth(HWND hwnd, DWORD style, DWORD exStyle);
// The border colour outside, the field's background on the rest of the edge: the field reads as
// one flat box whose size and client area are the system's. `r` is in window coordinates.
// With an image, the edges show it instead, nine-sliced around the whole window.
void PaintEdges(HDC dc, RECT r, int width, const Style& look, Color border, ImageRef image = {});
// Paints the WS_BORDER and WS_EX_CLIENTEDGE edges in the field's border colour (the focus
// border while the control has the focus), over what the system drew there.
void PaintFieldBorder(HWND hwnd);
// The WS_BORDER and WS_EX_CLIENTEDGE edges the system draws around a control it draws itself
// (a hot-key field, a date picker, a rich edit), in the field's border colour and background.
void PaintSystemEdges(HWND hwnd);
// Whether the engine follows the pointer over the field's own scroll bars for this message.
bool EngineFollowsBarPointer(HWND hwnd, UINT message);
// Draws the field's own scroll bars again if they moved since the engine last drew them.
void RepaintFieldScrollBars(HWND hwnd);

}  // namespace velum
