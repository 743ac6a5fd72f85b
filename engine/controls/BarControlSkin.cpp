#include "BarControlSkin.h"

#include <commctrl.h>

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

#include "CommonControlSkin.h"
#include "ControlClasses.h"
#include "Engine.h"
#include "WindowRegistry.h"

namespace velum {

namespace {

// ---- Up-down controls ----

// A filled triangle pointing one way, centred in r.
void DrawArrow(HDC dc, const RECT& r, Towards way, Color c, int dpi)
{
    const int rows = std::max(
        2, std::min({Scale(4, dpi), static_cast<int>(r.right - r.left) / 3, static_cast<int>(r.bottom - r.top) / 3}));
    DrawArrow(dc, {(r.left + r.right) / 2, (r.top + r.bottom) / 2}, way, rows, c);
}

bool Horizontal(HWND hwnd)
{
    return (GetWindowLongPtrW(hwnd, GWL_STYLE) & UDS_HORZ) != 0;
}

// The increment arrow is the top half, or the right half of a horizontal control.
RECT ArrowRect(HWND hwnd, int arrow)
{
    RECT r;
    GetClientRect(hwnd, &r);
    if (Horizontal(hwnd)) {
        const LONG middle = (r.left + r.right) / 2;
        (arrow == 0 ? r.left : r.right) = middle;
    } else {
        const LONG middle = (r.top + r.bottom) / 2;
        (arrow == 0 ? r.bottom : r.top) = middle;
    }
    return r;
}

// An arrow that cannot move the position further is drawn disabled, as the system does.
bool ArrowEnabled(HWND hwnd, int arrow)
{
    if (!IsWindowEnabled(hwnd))
        return false;
    if ((GetWindowLongPtrW(hwnd, GWL_STYLE) & UDS_WRAP) != 0)
        return true;
    int low = 0, high = 0;
    CallPrevious(hwnd, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
    const auto position = static_cast<int>(CallPrevious(hwnd, UDM_GETPOS32, 0, 0));
    return position != (arrow == 0 ? high : low);
}

// ---- Custom draw ----

// The controls whose current paint the engine answers: the program left its first stage to the
// control, so the engine asked for the stages of the items.
std::set<HWND>& EngineCycles()
{
    static std::set<HWND> cycles;
    return cycles;
}

// Tic marks as the system places them: spread between the thumb's centre at either end of the
// channel, beside the thumb on the side the style names, the end marks one pixel longer.
void DrawTics(HWND hwnd, HDC dc, Color c)
{
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
    if ((style & TBS_NOTICKS) != 0)
        return;
    RECT channel{}, thumb{};
    SendMessageW(hwnd, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
    SendMessageW(hwnd, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    const auto low = static_cast<int>(SendMessageW(hwnd, TBM_GETRANGEMIN, 0, 0));
    const auto high = static_cast<int>(SendMessageW(hwnd, TBM_GETRANGEMAX, 0, 0));
    const int range = std::max(1, high - low);
    const bool vertical = (style & TBS_VERT) != 0;
    // A vertical trackbar's channel rectangle comes back with its sides swapped.
    if (vertical)
        channel = {channel.top, channel.left, channel.bottom, channel.right};
    RECT tics{};
    if (vertical) {
        const int half = (thumb.bottom - thumb.top) / 2;
        tics = {thumb.left - 2, channel.top + half, thumb.right + 2, channel.bottom - half - 1};
    } else {
        const int half = (thumb.right - thumb.left) / 2;
        tics = {channel.left + half, thumb.top - 2, channel.right - half - 1, thumb.bottom + 2};
    }
    std::vector<std::pair<int, bool>> marks{{low, true}, {high, true}};  // value, at an end
    const auto interior = static_cast<int>(SendMessageW(hwnd, TBM_GETNUMTICS, 0, 0)) - 2;
    if (const auto* values = reinterpret_cast<const DWORD*>(SendMessageW(hwnd, TBM_GETPTICS, 0, 0)))
        for (int i = 0; i < interior; ++i)
            marks.emplace_back(static_cast<int>(values[i]), false);
    const bool both = (style & TBS_BOTH) != 0;
    const bool before = both || (style & TBS_TOP) != 0;  // TBS_TOP is TBS_LEFT
    const bool after = both || (style & TBS_TOP) == 0;
    for (const auto& [value, end] : marks) {
        const int length = end ? 4 : 3;
        const int along = vertical ? tics.top + (tics.bottom - tics.top) * (value - low) / range
                                   : tics.left + (tics.right - tics.left) * (value - low) / range;
        for (const int side : {-1, 1}) {
            if ((side < 0 && !before) || (side > 0 && !after))
                continue;
            const int from = side < 0 ? (vertical ? tics.left : tics.top) : (vertical ? tics.right : tics.bottom);
            if (vertical)
                Line(dc, from, along, from + length * side, along, c);
            else
                Line(dc, along, from, along, from + length * side, c);
        }
    }
}

LRESULT TrackbarItem(const NMCUSTOMDRAW& draw)
{
    const ControlPalette& palette = CurrentTheme()->Controls();
    const ScrollPalette& s = palette.scroll;
    switch (draw.dwItemSpec) {
    case TBCD_CHANNEL: PaintStyle(draw.hdc, draw.rc, s.track); return CDRF_SKIPDEFAULT;
    case TBCD_THUMB: {
        // Wine marks the thumb being dragged as hot and never the one under the pointer: the
        // capture tells the drag, the pointer the hover.
        HWND track = draw.hdr.hwndFrom;
        const bool pressed = (draw.uItemState & CDIS_SELECTED) != 0 || GetCapture() == track;
        POINT pointer{};
        GetCursorPos(&pointer);
        const bool over =
            WindowFromPoint(pointer) == track && ScreenToClient(track, &pointer) && PtInRect(&draw.rc, pointer);
        const bool hot = !pressed && ((draw.uItemState & CDIS_HOT) != 0 || over);
        // Disabled, the thumb takes a disabled arrow's look, as a disabled scroll bar shows.
        const Style& look = !IsWindowEnabled(track) ? s.arrowDisabled
                            : pressed               ? s.thumbPressed
                            : hot                   ? s.thumbHot
                                                    : s.thumb;
        PaintStyle(draw.hdc, draw.rc, look);
        return CDRF_SKIPDEFAULT;
    }
    case TBCD_TICS:
        DrawTics(draw.hdr.hwndFrom, draw.hdc,
                 IsWindowEnabled(draw.hdr.hwndFrom) ? palette.button.label : palette.button.labelDisabled);
        return CDRF_SKIPDEFAULT;
    default: return CDRF_DODEFAULT;
    }
}

LRESULT ToolbarItem(NMTBCUSTOMDRAW& draw)
{
    const ControlPalette& palette = CurrentTheme()->Controls();
    const ButtonPalette& b = palette.button;
    const UINT state = draw.nmcd.uItemState;
    draw.clrBtnFace = ToColorRef(palette.background);
    draw.clrBtnHighlight = ToColorRef(b.hot.background.from);
    draw.clrHighlightHotTrack = ToColorRef(b.hot.background.from);
    draw.clrText = ToColorRef((state & CDIS_DISABLED) != 0 ? b.disabled.text : b.normal.text);
    draw.clrTextHighlight = ToColorRef(b.hot.text);
    draw.nStringBkMode = TRANSPARENT;
    // A visual style draws hot and pressed faces in its own colours: the engine draws the face
    // and the control only its picture and text.
    const bool pressed = (state & (CDIS_SELECTED | CDIS_CHECKED)) != 0;
    if (pressed || (state & CDIS_HOT) != 0) {
        PaintStyle(draw.nmcd.hdc, draw.nmcd.rc, pressed ? b.pressed : b.hot);
        draw.clrText = ToColorRef(pressed ? b.pressed.text : b.hot.text);
    }
    return CDRF_DODEFAULT | TBCDRF_USECDCOLORS | TBCDRF_NOBACKGROUND | TBCDRF_NOEDGES | TBCDRF_NOETCHEDEFFECT;
}

}  // namespace

int UpDownArrowAt(HWND hwnd, LPARAM point)
{
    const POINT p{static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
    for (int arrow = 0; arrow < 2; ++arrow) {
        const RECT r = ArrowRect(hwnd, arrow);
        if (PtInRect(&r, p))
            return arrow;
    }
    return -1;
}

void PaintUpDown(HWND hwnd, UINT message, WPARAM wParam, int hot, int pressed)
{
    const ButtonPalette& b = CurrentTheme()->Controls().button;
    const int dpi = WindowDpi(hwnd);
    const bool horizontal = Horizontal(hwnd);
    PAINTSTRUCT ps;
    HDC target = wParam != 0 ? reinterpret_cast<HDC>(wParam) : BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    {
        BackBuffer buffer(target, client);
        HDC dc = buffer.Ok() ? buffer.Dc() : target;
        for (int arrow = 0; arrow < 2; ++arrow) {
            const bool enabled = ArrowEnabled(hwnd, arrow);
            const Style& face = !enabled ? b.disabled : arrow == pressed ? b.pressed : arrow == hot ? b.hot : b.normal;
            const RECT r = ArrowRect(hwnd, arrow);
            PaintStyle(dc, r, face);
            const Towards way =
                horizontal ? (arrow == 0 ? Towards::Right : Towards::Left) : (arrow == 0 ? Towards::Up : Towards::Down);
            RECT glyph = r;
            if (arrow == pressed && enabled)
                OffsetRect(&glyph, 1, 1);
            DrawArrow(dc, glyph, way, face.text, dpi);
        }
        if (buffer.Ok())
            buffer.Commit();
    }
    if (wParam == 0 && message == WM_PAINT)
        EndPaint(hwnd, &ps);
}

LRESULT AnswerCustomDraw(NMHDR* header, LRESULT programResult)
{
    if (header == nullptr || header->code != static_cast<UINT>(NM_CUSTOMDRAW) || CurrentTheme() == nullptr)
        return programResult;
    const ControlFamily family = ControlFamilyOf(header->hwndFrom);
    if (family == ControlFamily::ListView || family == ControlFamily::TreeView)
        return AnswerSelectionDraw(header, programResult);
    if (family != ControlFamily::Trackbar && family != ControlFamily::Toolbar)
        return programResult;
    auto& draw = *reinterpret_cast<NMCUSTOMDRAW*>(header);
    if (draw.dwDrawStage == CDDS_PREPAINT) {
        if (programResult != CDRF_DODEFAULT) {
            EngineCycles().erase(header->hwndFrom);
            return programResult;
        }
        EngineCycles().insert(header->hwndFrom);
        if (family == ControlFamily::Toolbar)
            FillSolid(draw.hdc, draw.rc, CurrentTheme()->Controls().background);
        return CDRF_NOTIFYITEMDRAW;
    }
    if (draw.dwDrawStage != CDDS_ITEMPREPAINT || programResult != CDRF_DODEFAULT ||
        EngineCycles().count(header->hwndFrom) == 0)
        return programResult;
    if (family == ControlFamily::Trackbar)
        return TrackbarItem(draw);
    return ToolbarItem(reinterpret_cast<NMTBCUSTOMDRAW&>(draw));
}

}  // namespace velum
