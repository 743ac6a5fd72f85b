#include "FieldSkin.h"

#include <map>
#include <vector>

#include "ThemeArtwork.h"
#include "ComboSkin.h"
#include "ControlClasses.h"
#include "EditSkin.h"
#include "Engine.h"
#include "ListSkin.h"
#include "ScrollBarSkin.h"
#include "PartWindows.h"
#include "WindowRegistry.h"

namespace velum {

namespace {

PartWindows<FieldState>& Fields()
{
    static PartWindows<FieldState> fields;
    return fields;
}

bool IsCombo(HWND hwnd)
{
    const FieldState* field = FindField(hwnd);
    return field != nullptr && field->family == ControlFamily::ComboBox;
}

// What the program draws itself stays its own: owner-drawn lists and combo boxes, and so the
// edit and the list inside an owner-drawn combo box.
bool ProgramDraws(HWND hwnd, ControlFamily family)
{
    switch (family) {
    case ControlFamily::ListBox:
    case ControlFamily::ComboList:
    case ControlFamily::ComboBox: return OwnerDrawsItems(StyleOf(hwnd));
    case ControlFamily::Edit: {
        HWND parent = GetParent(hwnd);
        return IsCombo(parent) && OwnerDrawsItems(StyleOf(parent));
    }
    default: return true;
    }
}

// Whether the window that draws an owner-drawn field's items is the system's: a common control,
// or a dialog or window whose procedure is system code. It is the field's parent, or for the
// edit or list of a combo box, the combo box's parent.
bool SystemDrawsItems(HWND control)
{
    const FieldState* field = FindField(control);
    HWND owner = field != nullptr && field->combo != nullptr ? field->combo : GetParent(control);
    if (owner != nullptr && IsCombo(owner))
        owner = GetParent(owner);
    if (owner == nullptr)
        return false;
    if (IsCommonControlWindow(owner))
        return true;
    const LONG_PTR procedure =
        IsDialogWindow(owner) ? GetWindowLongPtrW(owner, DWLP_DLGPROC) : GetWindowLongPtrW(owner, GWLP_WNDPROC);
    return IsSystemCode(reinterpret_cast<const void*>(procedure));
}

// The colour message the control sends its parent in its state.
UINT ColourMessageOf(HWND hwnd, ControlFamily family)
{
    switch (family) {
    case ControlFamily::ListBox:
    case ControlFamily::ComboList: return WM_CTLCOLORLISTBOX;
    case ControlFamily::ComboBox: return IsWindowEnabled(hwnd) ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC;
    default: return LookOf(hwnd, family) == FieldLook::Normal ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC;
    }
}

WNDPROC ProcedureFor(ControlFamily family)
{
    switch (family) {
    case ControlFamily::Edit: return EditProc;
    case ControlFamily::ListBox:
    case ControlFamily::ComboList: return ListProc;
    case ControlFamily::ComboBox: return ComboProc;
    default: return nullptr;
    }
}

bool Subclass(HWND hwnd, ControlFamily family)
{
    if (Fields().count(hwnd) != 0)
        return true;
    const WNDPROC procedure = ProcedureFor(family);
    if (procedure == nullptr || !InstallSubclass(hwnd, procedure))
        return false;
    FieldState& field = Fields()[hwnd];
    field.family = family;
    // Seen at creation, before the edit takes the bit away.
    field.clientFrame = family == ControlFamily::Edit && (StyleOf(hwnd) & WS_BORDER) != 0 &&
                        (GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) == 0;
    return true;
}

}  // namespace

// The edges the system draws around the client area of a control of these styles, outside in,
// at the control's DPI.
int EdgeWidth(HWND hwnd, DWORD style, DWORD exStyle)
{
    const int dpi = WindowDpi(hwnd);
    int width = 0;
    if ((style & WS_BORDER) != 0)
        width += MetricForDpi(SM_CXBORDER, dpi);
    if ((exStyle & WS_EX_CLIENTEDGE) != 0)
        width += MetricForDpi(SM_CXEDGE, dpi);
    return width;
}

// The border colour outside, the field's background on the rest of the edge: the field reads as
// one flat box whose size and client area are the system's.
void PaintEdges(HDC dc, RECT r, int width, const Style& look, Color border, ImageRef image)
{
    if (image) {
        // The band of the edges only: the client area is the control's.
        const int saved = SaveDC(dc);
        ExcludeClipRect(dc, r.left + width, r.top + width, r.right - width, r.bottom - width);
        FillWith(dc, r, look.background);
        DrawStyleImage(dc, r, image);
        RestoreDC(dc, saved);
        return;
    }
    Outline(dc, r, border);
    for (int i = 1; i < width; ++i) {
        InflateRect(&r, -1, -1);
        Outline(dc, r, look.background.from);
    }
}

Color BorderColour(HWND hwnd, const Style& look, FieldLook state)
{
    const FieldPalette& palette = CurrentTheme()->Controls().field;
    return state != FieldLook::Disabled && HasFocusWithin(hwnd) ? palette.focusBorder : look.border;
}

FieldState* FindField(HWND hwnd)
{
    return Fields().Find(hwnd);
}

void ForgetField(HWND hwnd)
{
    Fields().erase(hwnd);
    ForgetScrollBars(hwnd);
}

void SkinComboParts(HWND combo)
{
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (!GetComboBoxInfo(combo, &info))
        return;
    const struct {
        HWND part;
        ControlFamily family;
    } parts[] = {{info.hwndItem, ControlFamily::Edit}, {info.hwndList, ControlFamily::ComboList}};
    for (const auto& [part, family] : parts) {
        if (part == nullptr || part == combo || !Subclass(part, family))
            continue;
        Fields()[part].combo = combo;
    }
}

bool SkinField(HWND hwnd, ControlFamily family)
{
    if (!Subclass(hwnd, family))
        return false;
    // A combo box skinned after it was made has its edit and its list already: the list of a
    // drop-down is not a child the caller finds. One being made gets them in WM_CREATE.
    if (family == ControlFamily::ComboBox)
        SkinComboParts(hwnd);
    return true;
}

void RefreshFields()
{
    for (const auto& [hwnd, field] : Fields())
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

void UnskinFields(HWND only)
{
    Fields().GiveBack(only, [](HWND hwnd, const FieldState&) {
        ForgetScrollBars(hwnd);
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    });
}

FieldLook LookOf(HWND hwnd, ControlFamily family)
{
    if (!IsWindowEnabled(hwnd))
        return FieldLook::Disabled;
    if (family == ControlFamily::Edit && (StyleOf(hwnd) & ES_READONLY) != 0)
        return FieldLook::ReadOnly;
    return FieldLook::Normal;
}

HBRUSH AnswerFieldColours(HWND control, UINT message, HDC dc)
{
    ThemeResources* theme = CurrentTheme();
    const FieldState* field = FindField(control);
    if (theme == nullptr || field == nullptr || ProgramDraws(control, field->family) ||
        message != ColourMessageOf(control, field->family))
        return nullptr;
    const FieldLook state = LookOf(control, field->family);
    const Style& look = FieldStyle(theme->Controls().field, state);
    SetTextColor(dc, ToColorRef(look.text));
    SetBkColor(dc, ToColorRef(look.background.from));
    return theme->FieldBrush(state);
}

HBRUSH AnswerOtherFieldColours(HWND control, HDC dc)
{
    ThemeResources* theme = CurrentTheme();
    if (theme == nullptr || control == nullptr)
        return nullptr;
    // A field whose items the system draws (an extended combo box's, the colour list of the
    // Font dialog) is the system's drawing, not its program's.
    if (FindField(control) != nullptr && !SystemDrawsItems(control))
        return nullptr;
    const FieldLook state = IsWindowEnabled(control) ? FieldLook::Normal : FieldLook::Disabled;
    const Style& look = FieldStyle(theme->Controls().field, state);
    SetTextColor(dc, ToColorRef(look.text));
    SetBkColor(dc, ToColorRef(look.background.from));
    return theme->FieldBrush(state);
}

namespace {

// The parent says which colours the control stands on. Only the engine's own answer, given
// where the program left the colours to the system, lets the engine draw the rest.
bool ParentLeavesColours(HWND hwnd, const FieldState& field)
{
    HWND parent = field.combo != nullptr ? field.combo : GetParent(hwnd);
    HDC probe = GetDC(hwnd);
    if (parent == nullptr || probe == nullptr) {
        if (probe != nullptr)
            ReleaseDC(hwnd, probe);
        return false;
    }
    const auto brush = reinterpret_cast<HBRUSH>(SendMessageW(
        parent, ColourMessageOf(hwnd, field.family), reinterpret_cast<WPARAM>(probe), reinterpret_cast<LPARAM>(hwnd)));
    ReleaseDC(hwnd, probe);
    // The program may have detached the engine from inside that message.
    return CurrentTheme() != nullptr && CurrentTheme()->IsFieldBrush(brush);
}

}  // namespace

bool EngineDrawsField(HWND hwnd)
{
    const FieldState* field = FindField(hwnd);
    if (CurrentTheme() == nullptr || field == nullptr || ProgramDraws(hwnd, field->family))
        return false;
    return ParentLeavesColours(hwnd, *field);
}

bool EngineFramesField(HWND hwnd)
{
    const FieldState* field = FindField(hwnd);
    if (CurrentTheme() == nullptr || field == nullptr)
        return false;
    switch (field->family) {
    case ControlFamily::ComboBox:
    case ControlFamily::ListBox:
    case ControlFamily::ComboList: break;
    default: return false;
    }
    if (!OwnerDrawsItems(StyleOf(hwnd)) || !SystemDrawsItems(hwnd))
        return false;
    return ParentLeavesColours(hwnd, *field);
}

bool EngineDrawsFieldFrame(HWND hwnd)
{
    return EngineDrawsField(hwnd) || EngineFramesField(hwnd);
}

bool HasFocusWithin(HWND hwnd)
{
    HWND focus = GetFocus();
    return focus != nullptr && (focus == hwnd || (IsCombo(hwnd) && IsChild(hwnd, focus)));
}

void PaintFieldBorder(HWND hwnd)
{
    const FieldState* field = FindField(hwnd);
    if (field == nullptr || !IsWindowVisible(hwnd))
        return;
    const int width = EdgeWidth(hwnd, StyleOf(hwnd), static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)));
    const bool bars = HasScrollBars(hwnd);
    if ((width == 0 && !bars) || !EngineDrawsFieldFrame(hwnd))
        return;
    WindowDc dc(hwnd);
    if (dc.get() == nullptr)
        return;
    if (width != 0) {
        RECT w;
        GetWindowRect(hwnd, &w);
        OffsetRect(&w, -w.left, -w.top);
        const FieldLook state = LookOf(hwnd, field->family);
        const FieldPalette& palette = CurrentTheme()->Controls().field;
        const Style& look = FieldStyle(palette, state);
        const bool focused = state != FieldLook::Disabled && palette.focusImage && HasFocusWithin(hwnd);
        PaintEdges(dc.get(), w, width, look, BorderColour(hwnd, look, state),
                   focused ? palette.focusImage : look.image);
    }
    if (bars)
        PaintScrollBars(hwnd, dc.get());
}

void PaintSystemEdges(HWND hwnd)
{
    const int width = EdgeWidth(hwnd, StyleOf(hwnd), static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)));
    if (width == 0 || !IsWindowVisible(hwnd))
        return;
    WindowDc dc(hwnd);
    if (dc.get() == nullptr)
        return;
    RECT w;
    GetWindowRect(hwnd, &w);
    OffsetRect(&w, -w.left, -w.top);
    const FieldPalette& palette = CurrentTheme()->Controls().field;
    const Style& look = IsWindowEnabled(hwnd) ? palette.normal : palette.disabled;
    PaintEdges(dc.get(), w, width, look, look.border, look.image);
}

bool EngineFollowsBarPointer(HWND hwnd, UINT message)
{
    const bool mouse = message == WM_NCMOUSEMOVE || message == WM_NCMOUSELEAVE || message == WM_NCLBUTTONDOWN ||
                       message == WM_NCLBUTTONDBLCLK || message == WM_MOUSEMOVE;
    return mouse && HasScrollBars(hwnd) && EngineDrawsFieldFrame(hwnd);
}

void RepaintFieldScrollBars(HWND hwnd)
{
    // Edits and lists move their bars as they scroll, and the system draws them at once.
    if (HasScrollBars(hwnd) && ScrollBarsMoved(hwnd) && IsWindowVisible(hwnd) && EngineDrawsFieldFrame(hwnd))
        RepaintScrollBars(hwnd);
}

}  // namespace velum
