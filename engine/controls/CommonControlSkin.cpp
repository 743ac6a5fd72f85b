#include "CommonControlSkin.h"

#include <commctrl.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "BarControlSkin.h"
#include "ControlClasses.h"
#include "ControlPaint.h"
#include "Engine.h"
#include "FieldSkin.h"
#include "HeaderSkin.h"
#include "ProgressSkin.h"
#include "StatusBarSkin.h"
#include "SystemColourAnswers.h"
#include "TabSkin.h"
#include "ScrollBarSkin.h"
#include "PartWindows.h"
#include "WindowRegistry.h"

namespace velum {

namespace {

// The colours a control had before the engine gave it the theme's, to give back at detach.
struct SavedColours {
    COLORREF background = CLR_INVALID, text = CLR_INVALID, other = CLR_INVALID;
};

struct CommonControl {
    ControlFamily family = ControlFamily::Unknown;
    bool pending = false;     // not made yet: colours are set once it is
    bool taken = false;       // the engine set its colours; `saved` holds the control's own
    bool ownColours = false;  // the program chose the colours: the engine leaves them
    SavedColours saved;
    bool selectionCycle = false;  // list and tree views: this paint's items come to the engine
    int hotItem = -1;             // headers, tabs and up-down arrows: the item under the pointer
    int pressedItem = -1;         // headers and up-down arrows: the item held down
};

PartWindows<CommonControl>& Controls()
{
    static PartWindows<CommonControl> controls;
    return controls;
}

bool Handled(ControlFamily family)
{
    switch (family) {
    case ControlFamily::ListView:
    case ControlFamily::TreeView:
    case ControlFamily::Progress:
    case ControlFamily::Tooltip:
    case ControlFamily::StatusBar:
    case ControlFamily::Header:
    case ControlFamily::Tab:
    case ControlFamily::UpDown: return true;
    default: return false;
    }
}

COLORREF Ref(Color c)
{
    return ToColorRef(c);
}

// A control made while the engine answered the system's colours with the theme's holds the
// theme's as its default: it stands for the system's colour.
COLORREF AsSystemDefault(COLORREF colour, int index)
{
    return ThemeSystemColour(index) == colour ? GetSysColor(index) : colour;
}

// Reads the control's colours the first time; a control whose colours are not the system's
// defaults was given them by its program and keeps them. The engine's own colour messages go
// straight to the control's procedure (CallPrevious), past the engine's, so that only the
// program's reach the check for colours of its own.
bool SaveOwnColours(HWND hwnd, CommonControl& c)
{
    SavedColours& s = c.saved;
    switch (c.family) {
    case ControlFamily::ListView:
        s = {AsSystemDefault(static_cast<COLORREF>(CallPrevious(hwnd, LVM_GETBKCOLOR, 0, 0)), COLOR_WINDOW),
             AsSystemDefault(static_cast<COLORREF>(CallPrevious(hwnd, LVM_GETTEXTCOLOR, 0, 0)), COLOR_WINDOWTEXT),
             AsSystemDefault(static_cast<COLORREF>(CallPrevious(hwnd, LVM_GETTEXTBKCOLOR, 0, 0)), COLOR_WINDOW)};
        return s.background == GetSysColor(COLOR_WINDOW) &&
               (s.text == CLR_DEFAULT || s.text == GetSysColor(COLOR_WINDOWTEXT));
    case ControlFamily::TreeView:
        s = {static_cast<COLORREF>(CallPrevious(hwnd, TVM_GETBKCOLOR, 0, 0)),
             static_cast<COLORREF>(CallPrevious(hwnd, TVM_GETTEXTCOLOR, 0, 0)),
             static_cast<COLORREF>(CallPrevious(hwnd, TVM_GETLINECOLOR, 0, 0))};
        // -1 is "the system's colour"
        return s.background == CLR_NONE && s.text == CLR_NONE;
    case ControlFamily::Tooltip:
        s = {AsSystemDefault(static_cast<COLORREF>(CallPrevious(hwnd, TTM_GETTIPBKCOLOR, 0, 0)), COLOR_INFOBK),
             AsSystemDefault(static_cast<COLORREF>(CallPrevious(hwnd, TTM_GETTIPTEXTCOLOR, 0, 0)), COLOR_INFOTEXT),
             CLR_INVALID};
        return s.background == GetSysColor(COLOR_INFOBK) && s.text == GetSysColor(COLOR_INFOTEXT);
    case ControlFamily::Progress:
        // Only the setters tell the colours: they answer with the one before.
        s.background = static_cast<COLORREF>(CallPrevious(hwnd, PBM_SETBKCOLOR, 0, static_cast<LPARAM>(CLR_DEFAULT)));
        s.text = static_cast<COLORREF>(CallPrevious(hwnd, PBM_SETBARCOLOR, 0, static_cast<LPARAM>(CLR_DEFAULT)));
        CallPrevious(hwnd, PBM_SETBKCOLOR, 0, static_cast<LPARAM>(s.background));
        CallPrevious(hwnd, PBM_SETBARCOLOR, 0, static_cast<LPARAM>(s.text));
        return s.background == CLR_DEFAULT && s.text == CLR_DEFAULT;
    case ControlFamily::StatusBar:
        s.background = static_cast<COLORREF>(CallPrevious(hwnd, SB_SETBKCOLOR, 0, static_cast<LPARAM>(CLR_DEFAULT)));
        CallPrevious(hwnd, SB_SETBKCOLOR, 0, static_cast<LPARAM>(s.background));
        return s.background == CLR_DEFAULT;
    default: return true;
    }
}

void GiveBackColours(HWND hwnd, const CommonControl& c)
{
    const SavedColours& s = c.saved;
    switch (c.family) {
    case ControlFamily::ListView:
        CallPrevious(hwnd, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(s.background));
        CallPrevious(hwnd, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(s.text));
        CallPrevious(hwnd, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(s.other));
        break;
    case ControlFamily::TreeView:
        CallPrevious(hwnd, TVM_SETBKCOLOR, 0, static_cast<LPARAM>(s.background));
        CallPrevious(hwnd, TVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(s.text));
        CallPrevious(hwnd, TVM_SETLINECOLOR, 0, static_cast<LPARAM>(s.other));
        break;
    case ControlFamily::Tooltip:
        CallPrevious(hwnd, TTM_SETTIPBKCOLOR, s.background, 0);
        CallPrevious(hwnd, TTM_SETTIPTEXTCOLOR, s.text, 0);
        break;
    case ControlFamily::Progress:
        CallPrevious(hwnd, PBM_SETBKCOLOR, 0, static_cast<LPARAM>(s.background));
        CallPrevious(hwnd, PBM_SETBARCOLOR, 0, static_cast<LPARAM>(s.text));
        break;
    case ControlFamily::StatusBar: CallPrevious(hwnd, SB_SETBKCOLOR, 0, static_cast<LPARAM>(s.background)); break;
    default: break;
    }
}

// A list or tree view stands on the field colours: the disabled field's while it is disabled.
const Style& ViewLook(HWND hwnd)
{
    const FieldPalette& f = CurrentTheme()->Controls().field;
    return IsWindowEnabled(hwnd) ? f.normal : f.disabled;
}

// The edges the system draws around a list or tree view, in the field's border colour and
// background, as the engine draws those of edits and lists.
void PaintViewEdges(HWND hwnd)
{
    const int width = EdgeWidth(hwnd, static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)),
                                static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)));
    if (width == 0)
        return;
    WindowDc dc(hwnd);
    if (dc.get() == nullptr)
        return;
    RECT w{};
    GetWindowRect(hwnd, &w);
    OffsetRect(&w, -w.left, -w.top);
    const Style& look = ViewLook(hwnd);
    PaintEdges(dc.get(), w, width, look, look.border);
}

void TakeColours(HWND hwnd, CommonControl& c)
{
    if (c.ownColours || c.pending)
        return;
    if (!c.taken) {
        if (!SaveOwnColours(hwnd, c)) {
            c.ownColours = true;
            return;
        }
        c.taken = true;
    }
    const ControlPalette& p = CurrentTheme()->Controls();
    const Style& field = ViewLook(hwnd);
    switch (c.family) {
    case ControlFamily::ListView:
        CallPrevious(hwnd, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(Ref(field.background.from)));
        CallPrevious(hwnd, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(Ref(field.background.from)));
        CallPrevious(hwnd, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(Ref(field.text)));
        break;
    case ControlFamily::TreeView:
        CallPrevious(hwnd, TVM_SETBKCOLOR, 0, static_cast<LPARAM>(Ref(field.background.from)));
        CallPrevious(hwnd, TVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(Ref(field.text)));
        CallPrevious(hwnd, TVM_SETLINECOLOR, 0, static_cast<LPARAM>(Ref(field.border)));
        break;
    case ControlFamily::Tooltip:
        CallPrevious(hwnd, TTM_SETTIPBKCOLOR, Ref(p.common.tooltip.background.from), 0);
        CallPrevious(hwnd, TTM_SETTIPTEXTCOLOR, Ref(p.common.tooltip.text), 0);
        break;
    case ControlFamily::StatusBar:
        CallPrevious(hwnd, SB_SETBKCOLOR, 0, static_cast<LPARAM>(Ref(p.common.statusBar.background.from)));
        break;
    default: break;
    }
    InvalidateRect(hwnd, nullptr, TRUE);
}

// A program that sets a colour itself takes the control's colours over: the engine gives back
// the others it changed, so nothing of the theme is left mixed in with the program's choice.
bool SetsColour(ControlFamily family, UINT message)
{
    switch (family) {
    case ControlFamily::ListView:
        return message == LVM_SETBKCOLOR || message == LVM_SETTEXTCOLOR || message == LVM_SETTEXTBKCOLOR;
    case ControlFamily::TreeView:
        return message == TVM_SETBKCOLOR || message == TVM_SETTEXTCOLOR || message == TVM_SETLINECOLOR;
    case ControlFamily::Tooltip: return message == TTM_SETTIPBKCOLOR || message == TTM_SETTIPTEXTCOLOR;
    case ControlFamily::Progress: return message == PBM_SETBKCOLOR || message == PBM_SETBARCOLOR;
    case ControlFamily::StatusBar: return message == SB_SETBKCOLOR;
    default: return false;
    }
}

void RedrawNow(HWND hwnd)
{
    InvalidateRect(hwnd, nullptr, FALSE);
    UpdateWindow(hwnd);
}

// The item under a point given as a mouse message's lParam: the header item, the tab or the
// up-down arrow; `pressing`: the one a press holds down, if the control shows one.
int ItemAt(HWND hwnd, ControlFamily family, LPARAM point, bool pressing)
{
    switch (family) {
    case ControlFamily::Header:
        if (pressing && (GetWindowLongPtrW(hwnd, GWL_STYLE) & HDS_BUTTONS) == 0)
            return -1;
        return HeaderItemAt(hwnd, point, pressing);
    case ControlFamily::Tab: return pressing ? -1 : TabAt(hwnd, point);
    case ControlFamily::UpDown: return UpDownArrowAt(hwnd, point);
    default: return -1;
    }
}

// Headers and up-down controls draw their hot and pressed items straight onto the window as
// they change, tabs invalidate them; the engine follows them and draws over at once.
void FollowPointer(HWND hwnd, CommonControl& c, UINT message, LPARAM lParam)
{
    int hot = c.hotItem, pressed = c.pressedItem;
    switch (message) {
    case WM_MOUSEMOVE:
        hot = ItemAt(hwnd, c.family, lParam, false);
        if (hot >= 0 && c.hotItem < 0) {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd, 0};
            TrackMouseEvent(&track);
        }
        break;
    case WM_MOUSELEAVE: hot = -1; break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: pressed = ItemAt(hwnd, c.family, lParam, true); break;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED: pressed = -1; break;
    default: return;
    }
    const bool changed = hot != c.hotItem || pressed != c.pressedItem;
    c.hotItem = hot;
    c.pressedItem = pressed;
    if (changed || message == WM_LBUTTONDOWN || message == WM_LBUTTONUP)
        RedrawNow(hwnd);
}

bool FollowsPointer(ControlFamily family)
{
    return family == ControlFamily::Header || family == ControlFamily::Tab || family == ControlFamily::UpDown;
}

// ---- The procedure ----

LRESULT CALLBACK CommonControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto found = Controls().find(hwnd);
    if (CurrentTheme() == nullptr || found == Controls().end())
        return PassOn(hwnd, message, wParam, lParam);
    CommonControl& c = found->second;
    if (message == WM_NCDESTROY) {
        Controls().erase(found);
        ForgetScrollBars(hwnd);
        return PassOn(hwnd, message, wParam, lParam);
    }
    if (SetsColour(c.family, message)) {
        if (c.taken && !c.ownColours)
            GiveBackColours(hwnd, c);
        c.ownColours = true;
        InvalidateRect(hwnd, nullptr, TRUE);
        return CallPrevious(hwnd, message, wParam, lParam);
    }
    if ((message == WM_PAINT || message == WM_PRINTCLIENT) && !c.ownColours) {
        if (c.family == ControlFamily::StatusBar)
            return PaintStatusBar(hwnd, message, wParam, lParam);
        if (c.family == ControlFamily::Header)
            return PaintHeader(hwnd, message, wParam, lParam, c.hotItem, c.pressedItem);
        if (c.family == ControlFamily::Progress)
            return PaintProgress(hwnd, message, wParam, lParam);
        if (c.family == ControlFamily::UpDown) {
            PaintUpDown(hwnd, message, wParam, c.hotItem, c.pressedItem);
            return 0;
        }
        if (c.family == ControlFamily::Tab && EngineDrawsTab(hwnd)) {
            PaintTab(hwnd, message, wParam, c.hotItem);
            return 0;
        }
    }
    if (LRESULT tracked = 0; (c.family == ControlFamily::ListView || c.family == ControlFamily::TreeView) &&
                             !c.ownColours && FollowOwnScrollBars(hwnd, message, wParam, lParam, tracked))
        return tracked;
    const LRESULT result = CallPrevious(hwnd, message, wParam, lParam);
    // The system's progress bar does not repaint when it is enabled or disabled; the engine's
    // drawing shows the difference.
    if (message == WM_ENABLE && IsWindow(hwnd) && c.family == ControlFamily::Progress)
        InvalidateRect(hwnd, nullptr, FALSE);
    if (message == WM_CREATE && result != -1) {
        // The map may have changed while the control made its children.
        if (auto again = Controls().find(hwnd); again != Controls().end()) {
            again->second.pending = false;
            TakeColours(hwnd, again->second);
        }
    } else if (FollowsPointer(c.family)) {
        if (auto again = Controls().find(hwnd); again != Controls().end())
            FollowPointer(hwnd, again->second, message, lParam);
    }
    // List and tree views have scroll bars of their own, which the system draws as it paints
    // their frame, again when they set them while painting their items, and as they scroll.
    if (c.family == ControlFamily::ListView || c.family == ControlFamily::TreeView) {
        auto again = Controls().find(hwnd);
        if (again != Controls().end() && !again->second.ownColours && message == WM_ENABLE) {
            TakeColours(hwnd, again->second);
            RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE);
        }
        if (again != Controls().end() && !again->second.ownColours && IsWindowVisible(hwnd)) {
            if (message == WM_NCPAINT)
                PaintViewEdges(hwnd);
            if (message == WM_NCPAINT || message == WM_PAINT)
                RepaintScrollBars(hwnd);
            else
                RepaintScrollBarsIfMoved(hwnd);
        }
    }
    return result;
}

}  // namespace

LRESULT AnswerSelectionDraw(NMHDR* header, LRESULT programResult)
{
    auto found = Controls().find(header->hwndFrom);
    if (found == Controls().end() || found->second.ownColours || !found->second.taken)
        return programResult;
    CommonControl& c = found->second;
    auto& draw = *reinterpret_cast<NMCUSTOMDRAW*>(header);
    if (draw.dwDrawStage == CDDS_PREPAINT) {
        // The program's own custom draw wins: the engine takes the items only where the
        // program left the whole paint to the control.
        c.selectionCycle = programResult == CDRF_DODEFAULT;
        return c.selectionCycle ? CDRF_NOTIFYITEMDRAW : programResult;
    }
    if (draw.dwDrawStage != CDDS_ITEMPREPAINT || !c.selectionCycle || programResult != CDRF_DODEFAULT ||
        (draw.uItemState & CDIS_SELECTED) == 0)
        return programResult;
    const FieldPalette& f = CurrentTheme()->Controls().field;
    const bool focused = GetFocus() == header->hwndFrom;
    const Style& look = focused ? f.selected : f.selectedInactive;
    if (c.family == ControlFamily::ListView) {
        // Unfocused, a list view shows its selection only with LVS_SHOWSELALWAYS.
        if (!focused && (GetWindowLongPtrW(header->hwndFrom, GWL_STYLE) & LVS_SHOWSELALWAYS) == 0)
            return programResult;
        auto& item = reinterpret_cast<NMLVCUSTOMDRAW&>(draw);
        item.clrText = Ref(look.text);
        item.clrTextBk = Ref(look.background.from);
        // A list view draws a selected item in the system's highlight unless it is told the
        // item is not selected; the colours above then stand for the selection.
        draw.uItemState &= ~static_cast<UINT>(CDIS_SELECTED);
    } else {
        if (!focused && (GetWindowLongPtrW(header->hwndFrom, GWL_STYLE) & TVS_SHOWSELALWAYS) == 0)
            return programResult;
        auto& item = reinterpret_cast<NMTVCUSTOMDRAW&>(draw);
        item.clrText = Ref(look.text);
        item.clrTextBk = Ref(look.background.from);
    }
    return CDRF_NEWFONT;
}

bool SkinCommonControl(HWND hwnd, bool creating)
{
    if (Controls().count(hwnd) != 0)
        return true;
    const ControlFamily family = ControlFamilyOf(hwnd);
    if (!Handled(family))
        return false;
    if (!InstallSubclass(hwnd, CommonControlProc))
        return false;
    CommonControl& c = Controls()[hwnd];
    c.family = family;
    c.pending = creating;
    TakeColours(hwnd, c);
    return true;
}

void RefreshCommonControls()
{
    // Taking colours sends the control messages, which a program's own subclass sees: it may
    // destroy windows meanwhile, so each is looked up again.
    for (HWND hwnd : Controls().Windows()) {
        if (CommonControl* c = Controls().Find(hwnd)) {
            TakeColours(hwnd, *c);
            InvalidateRect(hwnd, nullptr, TRUE);
        }
    }
}

void UnskinCommonControls(HWND only)
{
    Controls().GiveBack(only, [](HWND hwnd, const CommonControl& c) {
        ForgetScrollBars(hwnd);
        // Through the control's own procedure, which the subclass still leads to.
        if (c.taken && !c.ownColours)
            GiveBackColours(hwnd, c);
        InvalidateRect(hwnd, nullptr, TRUE);
    });
}

}  // namespace velum
