#include "CommonControlSkin.h"

#include <commctrl.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "BarControlSkin.h"
#include "ControlClasses.h"
#include "Engine.h"
#include "TabSkin.h"
#include "ScrollBarSkin.h"
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

std::map<HWND, CommonControl>& Controls()
{
    static std::map<HWND, CommonControl> controls;
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

// Reads the control's colours the first time; a control whose colours are not the system's
// defaults was given them by its program and keeps them. The engine's own colour messages go
// straight to the control's procedure (CallPrevious), past the engine's, so that only the
// program's reach the check for colours of its own.
bool SaveOwnColours(HWND hwnd, CommonControl& c)
{
    SavedColours& s = c.saved;
    switch (c.family) {
    case ControlFamily::ListView:
        s = {static_cast<COLORREF>(CallPrevious(hwnd, LVM_GETBKCOLOR, 0, 0)),
             static_cast<COLORREF>(CallPrevious(hwnd, LVM_GETTEXTCOLOR, 0, 0)),
             static_cast<COLORREF>(CallPrevious(hwnd, LVM_GETTEXTBKCOLOR, 0, 0))};
        return s.background == GetSysColor(COLOR_WINDOW) &&
               (s.text == CLR_DEFAULT || s.text == GetSysColor(COLOR_WINDOWTEXT));
    case ControlFamily::TreeView:
        s = {static_cast<COLORREF>(CallPrevious(hwnd, TVM_GETBKCOLOR, 0, 0)),
             static_cast<COLORREF>(CallPrevious(hwnd, TVM_GETTEXTCOLOR, 0, 0)),
             static_cast<COLORREF>(CallPrevious(hwnd, TVM_GETLINECOLOR, 0, 0))};
        // -1 is "the system's colour"
        return s.background == CLR_NONE && s.text == CLR_NONE;
    case ControlFamily::Tooltip:
        s = {static_cast<COLORREF>(CallPrevious(hwnd, TTM_GETTIPBKCOLOR, 0, 0)),
             static_cast<COLORREF>(CallPrevious(hwnd, TTM_GETTIPTEXTCOLOR, 0, 0)), CLR_INVALID};
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
    switch (c.family) {
    case ControlFamily::ListView:
        CallPrevious(hwnd, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(Ref(p.field.normal.background.from)));
        CallPrevious(hwnd, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(Ref(p.field.normal.background.from)));
        CallPrevious(hwnd, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(Ref(p.field.normal.text)));
        break;
    case ControlFamily::TreeView:
        CallPrevious(hwnd, TVM_SETBKCOLOR, 0, static_cast<LPARAM>(Ref(p.field.normal.background.from)));
        CallPrevious(hwnd, TVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(Ref(p.field.normal.text)));
        CallPrevious(hwnd, TVM_SETLINECOLOR, 0, static_cast<LPARAM>(Ref(p.field.normal.border)));
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

HFONT FontOf(HWND hwnd)
{
    auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
    return font != nullptr ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

// WM_PAINT or WM_PRINTCLIENT of a control the engine draws whole: `draw` paints the client
// area through a back buffer, in client coordinates.
template <class Draw>
void PaintThroughBuffer(HWND hwnd, UINT message, WPARAM wParam, Draw draw)
{
    PAINTSTRUCT ps;
    HDC target = message == WM_PRINTCLIENT ? reinterpret_cast<HDC>(wParam) : BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    {
        BackBuffer buffer(target, client);
        draw(buffer.Ok() ? buffer.Dc() : target, client);
        if (buffer.Ok())
            buffer.Commit();
    }
    if (message != WM_PRINTCLIENT)
        EndPaint(hwnd, &ps);
}

// ---- Status bars ----

struct StatusPart {
    RECT bounds{};
    UINT type = 0;  // SBT_* flags
    std::wstring text;
};

std::vector<StatusPart> StatusParts(HWND hwnd)
{
    std::vector<StatusPart> parts;
    const bool simple = CallPrevious(hwnd, SB_ISSIMPLE, 0, 0) != 0;
    const int count = simple ? 1 : static_cast<int>(CallPrevious(hwnd, SB_GETPARTS, 0, 0));
    for (int i = 0; i < count; ++i) {
        const WPARAM index = simple ? SB_SIMPLEID : static_cast<WPARAM>(i);
        StatusPart part;
        if (simple)
            GetClientRect(hwnd, &part.bounds);
        else
            CallPrevious(hwnd, SB_GETRECT, index, reinterpret_cast<LPARAM>(&part.bounds));
        const auto length = static_cast<DWORD>(CallPrevious(hwnd, SB_GETTEXTLENGTHW, index, 0));
        part.type = HIWORD(length);
        part.text.resize(LOWORD(length) + 1);
        if ((part.type & SBT_OWNERDRAW) == 0) {
            CallPrevious(hwnd, SB_GETTEXTW, index, reinterpret_cast<LPARAM>(part.text.data()));
            part.text.resize(LOWORD(length));
        } else {
            part.text.clear();
        }
        parts.push_back(std::move(part));
    }
    return parts;
}

// A part's text: left, then after a tab centred, after a second tab right-aligned.
void DrawStatusText(HDC dc, RECT r, const std::wstring& text)
{
    const UINT aligns[] = {DT_LEFT, DT_CENTER, DT_RIGHT};
    size_t start = 0;
    for (const UINT align : aligns) {
        const size_t tab = text.find(L'\t', start);
        const std::wstring piece = text.substr(start, tab == std::wstring::npos ? std::wstring::npos : tab - start);
        DrawTextW(dc, piece.c_str(), -1, &r, align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
        if (tab == std::wstring::npos)
            break;
        start = tab + 1;
    }
}

void DrawSizeGrip(HDC dc, const RECT& client, Color c, int dpi)
{
    const int size = Scale(12, dpi);
    const int step = Scale(4, dpi);
    for (int i = step; i <= size; i += step)
        Line(dc, client.right - i, client.bottom - 1, client.right - 1, client.bottom - i, c);
}

LRESULT PaintStatusBar(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const std::vector<StatusPart> parts = StatusParts(hwnd);
    for (const StatusPart& part : parts)
        if ((part.type & SBT_OWNERDRAW) != 0)
            return CallPrevious(hwnd, message, wParam, lParam);  // the program draws some of it
    const Style& look = CurrentTheme()->Controls().common.statusBar;
    PaintThroughBuffer(hwnd, message, wParam, [&](HDC dc, const RECT& client) {
        FillWith(dc, client, look.background);
        Line(dc, client.left, client.top, client.right, client.top, look.border);
        ScopedSelect font(dc, FontOf(hwnd));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, Ref(look.text));
        const int dpi = WindowDpi(hwnd);
        for (const StatusPart& part : parts) {
            RECT r = part.bounds;
            if ((part.type & SBT_NOBORDERS) == 0 && r.right < client.right - 1)
                Line(dc, r.right - 1, r.top + 2, r.right - 1, r.bottom - 2, look.border);
            InflateRect(&r, -Scale(3, dpi), 0);
            DrawStatusText(dc, r, part.text);
        }
        HWND parent = GetParent(hwnd);
        if ((GetWindowLongPtrW(hwnd, GWL_STYLE) & SBARS_SIZEGRIP) != 0 && (parent == nullptr || !IsZoomed(parent)))
            DrawSizeGrip(dc, client, look.border, dpi);
    });
    return 0;
}

// ---- Progress bars ----

// Under a visual style the system draws progress bars in the style's colours whatever it is
// told, so the engine draws them: track, border and the filled part. A marquee animates by
// itself and keeps the system's drawing.
LRESULT PaintProgress(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
    if ((style & PBS_MARQUEE) != 0)
        return CallPrevious(hwnd, message, wParam, lParam);
    const Style& look = CurrentTheme()->Controls().common.progress;
    const Style& filled = CurrentTheme()->Controls().common.progressBar;
    PBRANGE range{};
    CallPrevious(hwnd, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    const auto position = static_cast<int>(CallPrevious(hwnd, PBM_GETPOS, 0, 0));
    PaintThroughBuffer(hwnd, message, wParam, [&](HDC dc, const RECT& client) {
        FillWith(dc, client, look.background);
        Outline(dc, client, look.border);
        RECT bar = client;
        InflateRect(&bar, -1, -1);
        const int span = range.iHigh - range.iLow;
        const int done = span > 0 ? std::clamp(position - range.iLow, 0, span) : 0;
        if ((style & PBS_VERTICAL) != 0)
            bar.top = bar.bottom - (span > 0 ? MulDiv(bar.bottom - bar.top, done, span) : 0);
        else
            bar.right = bar.left + (span > 0 ? MulDiv(bar.right - bar.left, done, span) : 0);
        if (bar.right > bar.left && bar.bottom > bar.top)
            FillWith(dc, bar, filled.background);
    });
    return 0;
}

// ---- Headers ----

struct HeaderItem {
    RECT bounds{};
    int format = 0;
    std::wstring text;
};

std::vector<HeaderItem> HeaderItems(HWND hwnd)
{
    std::vector<HeaderItem> items;
    const int count = static_cast<int>(CallPrevious(hwnd, HDM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        HeaderItem item;
        wchar_t text[260] = L"";
        HDITEMW info{};
        info.mask = HDI_TEXT | HDI_FORMAT;
        info.pszText = text;
        info.cchTextMax = 260;
        CallPrevious(hwnd, HDM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&info));
        CallPrevious(hwnd, HDM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item.bounds));
        item.format = info.fmt;
        item.text = text;
        items.push_back(std::move(item));
    }
    return items;
}

// Pictures and owner-drawn items are the program's: such a header keeps the system's drawing.
bool ProgramDrawsSome(const std::vector<HeaderItem>& items)
{
    for (const HeaderItem& item : items)
        if ((item.format & (HDF_OWNERDRAW | HDF_BITMAP | HDF_IMAGE)) != 0)
            return true;
    return false;
}

void DrawSortArrow(HDC dc, const RECT& item, bool up, Color c, int dpi)
{
    const POINT centre{item.right - Scale(10, dpi), (item.top + item.bottom) / 2};
    DrawArrow(dc, centre, up ? Towards::Up : Towards::Down, Scale(4, dpi), c);
}

LRESULT PaintHeader(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, const CommonControl& c)
{
    const std::vector<HeaderItem> items = HeaderItems(hwnd);
    if (ProgramDrawsSome(items))
        return CallPrevious(hwnd, message, wParam, lParam);
    const CommonPalette& p = CurrentTheme()->Controls().common;
    PaintThroughBuffer(hwnd, message, wParam, [&](HDC dc, const RECT& client) {
        FillWith(dc, client, p.header.background);
        ScopedSelect font(dc, FontOf(hwnd));
        SetBkMode(dc, TRANSPARENT);
        const int dpi = WindowDpi(hwnd);
        for (int i = 0; i < static_cast<int>(items.size()); ++i) {
            const HeaderItem& item = items[static_cast<size_t>(i)];
            const Style& look = i == c.pressedItem ? p.headerPressed : i == c.hotItem ? p.headerHot : p.header;
            RECT r = item.bounds;
            FillWith(dc, r, look.background);
            Line(dc, r.right - 1, r.top + Scale(3, dpi), r.right - 1, r.bottom - Scale(3, dpi), look.border);
            RECT text = r;
            InflateRect(&text, -Scale(6, dpi), 0);
            if (i == c.pressedItem)
                OffsetRect(&text, 1, 1);
            const bool sorted = (item.format & (HDF_SORTUP | HDF_SORTDOWN)) != 0;
            if (sorted)
                text.right -= Scale(12, dpi);
            const int justify = item.format & HDF_JUSTIFYMASK;
            const UINT align = justify == HDF_RIGHT ? DT_RIGHT : justify == HDF_CENTER ? DT_CENTER : DT_LEFT;
            SetTextColor(dc, Ref(look.text));
            DrawTextW(dc, item.text.c_str(), -1, &text, align | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
            if (sorted)
                DrawSortArrow(dc, r, (item.format & HDF_SORTUP) != 0, look.text, dpi);
        }
        Line(dc, client.left, client.bottom - 1, client.right, client.bottom - 1, p.header.border);
    });
    return 0;
}

int HeaderItemAt(HWND hwnd, LPARAM point, bool onItemOnly)
{
    HDHITTESTINFO hit{};
    hit.pt = {static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
    const int item = static_cast<int>(CallPrevious(hwnd, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (onItemOnly && (hit.flags & HHT_ONHEADER) == 0)
        return -1;
    return (hit.flags & (HHT_ONHEADER | HHT_ONDIVIDER | HHT_ONDIVOPEN)) != 0 ? item : -1;
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
            return PaintHeader(hwnd, message, wParam, lParam, c);
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
        if (again != Controls().end() && !again->second.ownColours && IsWindowVisible(hwnd)) {
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
    std::vector<HWND> controls;
    for (const auto& [hwnd, c] : Controls())
        controls.push_back(hwnd);
    for (HWND hwnd : controls) {
        const auto found = Controls().find(hwnd);
        if (found == Controls().end())
            continue;
        TakeColours(hwnd, found->second);
        InvalidateRect(hwnd, nullptr, TRUE);
    }
}

void UnskinCommonControls()
{
    // Out of the registry first: a control given back only passes its messages on.
    const auto controls = std::move(Controls());
    Controls().clear();
    for (const auto& [hwnd, c] : controls) {
        ForgetScrollBars(hwnd);
        // Through the control's own procedure, which the subclass still leads to.
        if (c.taken && !c.ownColours)
            GiveBackColours(hwnd, c);
        RemoveSubclass(hwnd);
        InvalidateRect(hwnd, nullptr, TRUE);
    }
}

}  // namespace velum
