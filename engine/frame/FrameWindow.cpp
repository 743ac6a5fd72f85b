#include "FrameWindow.h"

#include <windowsx.h>

#include <algorithm>
#include <string>

#include "BarControlSkin.h"
#include "ClientArea.h"
#include "Engine.h"
#include "MdiBarItems.h"
#include "PopupMenu.h"
#include "WindowRegistry.h"
#include "ScrollBarSkin.h"

namespace velum {

namespace {

LRESULT HitTestCode(HitArea area)
{
    switch (area) {
    case HitArea::Nowhere: return HTNOWHERE;
    case HitArea::Client: return HTCLIENT;
    case HitArea::Caption: return HTCAPTION;
    case HitArea::SysMenu: return HTSYSMENU;
    case HitArea::Menu: return HTMENU;
    case HitArea::MinButton: return HTMINBUTTON;
    case HitArea::MaxButton: return HTMAXBUTTON;
    case HitArea::Close: return HTCLOSE;
    case HitArea::Left: return HTLEFT;
    case HitArea::Right: return HTRIGHT;
    case HitArea::Top: return HTTOP;
    case HitArea::TopLeft: return HTTOPLEFT;
    case HitArea::TopRight: return HTTOPRIGHT;
    case HitArea::Bottom: return HTBOTTOM;
    case HitArea::BottomLeft: return HTBOTTOMLEFT;
    case HitArea::BottomRight: return HTBOTTOMRIGHT;
    case HitArea::Border: return HTBORDER;
    }
    return HTNOWHERE;
}

}  // namespace

FrameWindow::FrameWindow(HWND hwnd) : hwnd_(hwnd), active_(GetActiveWindow() == hwnd), buttons_(hwnd), menuBar_(hwnd) {}

LRESULT CALLBACK FrameWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    FrameWindow* window = FindFrame(hwnd);
    if (window == nullptr)
        return PassOn(hwnd, message, wParam, lParam);
    const LRESULT result = window->Handle(message, wParam, lParam);
    // A program moves its window's scroll bars while it handles a message, and the system then
    // draws them in its own look straight away.
    if (message != WM_NCDESTROY && FindFrame(hwnd) != nullptr)
        RepaintScrollBarsIfMoved(hwnd);
    return result;
}

LRESULT FrameWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCALCSIZE: return OnNcCalcSize(wParam, lParam);
    case WM_CREATE: return OnCreate(message, wParam, lParam);
    case WM_NCPAINT: PaintFrame(); return 0;
    case WM_NCACTIVATE: return OnNcActivate(wParam);
    case WM_NCHITTEST: return OnNcHitTest(lParam);
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK: return OnNcLButtonDown(message, wParam, lParam);
    case WM_NCRBUTTONDOWN: return OnNcRButtonDown(message, wParam, lParam);
    case WM_CONTEXTMENU: return OnContextMenu(message, wParam, lParam);
    case WM_NCMOUSEMOVE: return OnNcMouseMove(message, wParam, lParam);
    case WM_NCMOUSELEAVE: return OnNcMouseLeave(message, wParam, lParam);
    case WM_MOUSEMOVE: return OnMouseMove(message, wParam, lParam);
    case WM_LBUTTONUP: return OnLButtonUp(message, wParam, lParam);
    case WM_CAPTURECHANGED: return OnCaptureChanged(message, wParam, lParam);
    case WM_VSCROLL:
    case WM_HSCROLL: return OnScroll(message, wParam, lParam);
    case WM_SETTEXT:
    case WM_SETICON: return WithoutDefaultFramePainting(message, wParam, lParam);
    case WM_ERASEBKGND: return EraseClientBackground(hwnd_, message, wParam, lParam);
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: return ColorControl(hwnd_, message, wParam, lParam);
    case WM_MEASUREITEM: return OnMeasureItem(message, wParam, lParam);
    case WM_DRAWITEM: return OnDrawItem(message, wParam, lParam);
    case WM_NOTIFY: return OnNotify(message, wParam, lParam);
    case WM_INITMENUPOPUP: return OnInitMenuPopup(message, wParam, lParam);
    case WM_UNINITMENUPOPUP:
    case WM_ENTERMENULOOP:
    case WM_EXITMENULOOP:
    case WM_MENUSELECT: return OnMenuState(message, wParam, lParam);
    case WM_WINDOWPOSCHANGED: return OnWindowPosChanged(message, wParam, lParam);
    case WM_NCDESTROY: return OnNcDestroy(message, wParam, lParam);
    default:
        if (message == RegionMessage())
            return OnRegionMessage();
        return CallPrevious(hwnd_, message, wParam, lParam);
    }
}

const Theme& FrameWindow::T() const
{
    return CurrentTheme()->Get();
}

HICON FrameWindow::Icon() const
{
    auto icon = reinterpret_cast<HICON>(SendMessageW(hwnd_, WM_GETICON, ICON_SMALL2, 0));
    if (icon == nullptr)
        icon = reinterpret_cast<HICON>(GetClassLongPtrW(hwnd_, GCLP_HICONSM));
    if (icon == nullptr)
        icon = reinterpret_cast<HICON>(GetClassLongPtrW(hwnd_, GCLP_HICON));
    return icon;
}

FrameStyle FrameWindow::CurrentStyle(HICON* icon) const
{
    const LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
    const LONG_PTR exStyle = GetWindowLongPtrW(hwnd_, GWL_EXSTYLE);
    FrameStyle s;
    s.caption = (style & WS_CAPTION) == WS_CAPTION;
    s.sysMenu = (style & WS_SYSMENU) != 0;
    s.minimizeBox = (style & WS_MINIMIZEBOX) != 0;
    s.maximizeBox = (style & WS_MAXIMIZEBOX) != 0;
    s.toolWindow = (exStyle & WS_EX_TOOLWINDOW) != 0;
    s.dialogFrame = (exStyle & WS_EX_DLGMODALFRAME) != 0;
    // Asking for the icon sends a message: only when the caption can show one.
    const HICON shown = s.caption && s.sysMenu && !s.toolWindow && !s.dialogFrame ? Icon() : nullptr;
    s.icon = shown != nullptr;
    if (icon != nullptr)
        *icon = shown;
    s.sizable = (style & WS_THICKFRAME) != 0;
    s.iconic = IsIconic(hwnd_) != FALSE;
    s.zoomed = IsZoomed(hwnd_) != FALSE;
    s.menuBar = menuBar_.Present();
    return s;
}

FrameLayout FrameWindow::LayoutFor(const FrameStyle& style, int width, int height) const
{
    const int dpi = WindowDpi(hwnd_);
    const std::vector<int> widths = style.menuBar && !style.iconic ? menuBar_.ItemWidths(dpi) : std::vector<int>{};
    FrameLayout l = LayOutFrame(T().metrics, dpi, width, height, style, widths);
    if (style.menuBar && !style.iconic)
        menuBar_.Justify(l);
    return l;
}

FrameLayout FrameWindow::Layout(HICON* icon) const
{
    const SIZE size = WindowSize();
    return LayoutFor(CurrentStyle(icon), size.cx, size.cy);
}

Point FrameWindow::WindowPoint(LPARAM screen) const
{
    RECT w{};
    GetWindowRect(hwnd_, &w);
    return {GET_X_LPARAM(screen) - w.left, GET_Y_LPARAM(screen) - w.top};
}

LRESULT FrameWindow::OnNcCalcSize(WPARAM wParam, LPARAM lParam)
{
    RECT* proposed = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : reinterpret_cast<RECT*>(lParam);
    const RECT window = *proposed;
    ++frameCalculations_;
    // The default lays out the menu bar, which keyboard and mouse tracking rely on; items a
    // program added since the last layout are made the engine's first, so it measures them.
    if (HMENU bar = menuBar_.Present() ? GetMenu(hwnd_) : nullptr)
        ConvertMenu(bar, true);
    CallPrevious(hwnd_, WM_NCCALCSIZE, wParam, lParam);
    if (IsIconic(hwnd_)) {
        *proposed = {window.left, window.top, window.left, window.top};
        return 0;
    }
    // Asked once: the style asks the program for its icon.
    const FrameStyle style = CurrentStyle();
    if (menuBar_.Present())
        LayOutSystemBar(window.right - window.left, style);
    // The client area starts below the bar's last row, however many rows it wraps onto.
    const Rect client = LayoutFor(style, window.right - window.left, window.bottom - window.top).client;
    *proposed = {window.left + client.left, window.top + client.top, window.left + client.right,
                 window.top + client.bottom};
    ReserveScrollBars(hwnd_, *proposed);
    return 0;
}

void FrameWindow::PaintFrame()
{
    if (!IsWindowVisible(hwnd_))
        return;
    WindowDc target(hwnd_);
    if (target.get() == nullptr)
        return;
    HICON icon = nullptr;
    const FrameLayout l = Layout(&icon);
    const Theme& t = T();
    const Style& frame = active_ ? t.frame : t.frameInactive;
    // Only the frame goes to the screen: the client area is the window's own. No bitmap of the
    // whole window is made: the band above the client area, with caption and menu bar, goes
    // through the kept buffer; the rest of the frame holds only its fill and outline, drawn
    // straight on the window.
    const Rect& w = l.window;
    const int top = std::clamp(l.client.top, w.top, w.bottom);
    const int bottom = std::clamp(l.client.bottom, top, w.bottom);
    const int left = std::clamp(l.client.left, w.left, w.right);
    const int right = std::clamp(l.client.right, left, w.right);
    if (const Rect band{w.left, w.top, w.right, top}; !band.Empty()) {
        BackBuffer buffer(target.get(), ToRECT(band), BackBuffer::Kind::Kept);
        if (!buffer.Ok())
            return;
        HDC dc = buffer.Dc();
        if (frame.background.from == frame.background.to) {
            // The caption and the menu bar are filled whole by their own painters: a plain
            // frame fill goes only around them.
            for (const Rect& part : Subtract(band, {l.caption, l.menuBar}))
                FillSolid(dc, ToRECT(part), frame.background.from);
        } else {
            FillWith(dc, ToRECT(w), frame.background);
        }
        Outline(dc, ToRECT(w), frame.border);
        PaintCaption(dc, l, icon);
        menuBar_.Paint(dc, l);
        buffer.Commit();
    }
    // The window's own scroll bars lie inside the frame's client area.
    PaintScrollBars(hwnd_, target.get());
    // Below the caption band, each pixel of the frame is drawn once: the client area left out,
    // and the outline along the window's edges left to itself. A plain fill goes straight to
    // its rectangles; a gradient, which spans the whole window, is drawn within a clip.
    if (top >= w.bottom)
        return;
    HDC dc = target.get();
    if (frame.background.from == frame.background.to) {
        const FrameEdges edges = EdgesBelow(w, top, {left, top, right, bottom});
        for (const Rect& r : edges.fill)
            FillSolid(dc, ToRECT(r), frame.background.from);
        for (const Rect& r : edges.outline)
            FillSolid(dc, ToRECT(r), frame.border);
        return;
    }
    const int saved = SaveDC(dc);
    if (saved == 0)
        return;
    IntersectClipRect(dc, w.left, top, w.right, w.bottom);
    ExcludeClipRect(dc, left, top, right, bottom);
    const int inside = SaveDC(dc);
    IntersectClipRect(dc, w.left + 1, w.top + 1, w.right - 1, w.bottom - 1);
    FillWith(dc, ToRECT(w), frame.background);
    RestoreDC(dc, inside);
    Outline(dc, ToRECT(w), frame.border);
    RestoreDC(dc, saved);
}

void FrameWindow::PaintCaption(HDC dc, const FrameLayout& l, HICON icon) const
{
    const Theme& t = T();
    const Style& caption = active_ ? t.caption : t.captionInactive;
    FillWith(dc, ToRECT(l.caption), caption.background);
    if (icon != nullptr && !l.icon.Empty())
        DrawIconSized(dc, l.icon.left, l.icon.top, icon, l.icon.Width(), l.icon.Height());
    // The text the window keeps, as the system's caption shows it: read without sending the
    // program WM_GETTEXT twice on every paint.
    std::wstring title(256, L'\0');
    for (;;) {
        const int got = InternalGetWindowText(hwnd_, title.data(), static_cast<int>(title.size()));
        if (got < static_cast<int>(title.size()) - 1 || title.size() >= 32768) {
            title.resize(static_cast<size_t>(std::max(got, 0)));
            break;
        }
        title.resize(title.size() * 2);
    }
    {
        ScopedSelect font(dc, CurrentTheme()->CaptionFont(l.dpi));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, ToColorRef(caption.text));
        RECT r = ToRECT(l.title);
        DrawTextW(dc, title.c_str(), -1, &r, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
    buttons_.Paint(dc, l, t);
}

void FrameWindow::PaintMenuBar()
{
    if (IsWindowVisible(hwnd_) && menuBar_.Present())
        menuBar_.Repaint(Layout());
}

LRESULT FrameWindow::OnNcActivate(WPARAM wParam)
{
    // The default would repaint the whole frame in system colours.
    active_ = wParam != FALSE;
    if (!active_) {
        // The mouse may still rest on the frame while another window takes the activation.
        buttons_.Hover(kNoButton);
        menuBar_.Deactivated();
    }
    PaintFrame();
    return TRUE;
}

LRESULT FrameWindow::OnNcHitTest(LPARAM lParam)
{
    const POINT screen{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (const LRESULT bar = HitTestScrollBars(hwnd_, screen); bar != HTNOWHERE)
        return bar;
    const FrameStyle style = CurrentStyle();
    const SIZE size = WindowSize();
    return HitTestCode(HitTest(LayoutFor(style, size.cx, size.cy), style, WindowPoint(lParam)));
}

// The system draws a window's scroll bars itself while it tracks a click on them and when their
// program moves them: the engine's drawing goes over its at once.
LRESULT FrameWindow::OnScroll(UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CallPrevious(hwnd_, message, wParam, lParam);
    if (lParam == 0)
        RepaintScrollBars(hwnd_);
    else
        RepaintScrollBarControl(reinterpret_cast<HWND>(lParam));
    return result;
}

LRESULT FrameWindow::OnNcLButtonDown(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (buttons_.Press(wParam)) {
        PaintFrame();
        return 0;
    }
    if (wParam == HTMENU)
        return menuBar_.Press(Layout(), WindowPoint(lParam), wParam);
    if (wParam == HTSYSMENU) {
        const POINT icon = SystemIconPoint();
        return CallPrevious(hwnd_, message, wParam, MAKELPARAM(icon.x, icon.y));
    }
    if (wParam == HTVSCROLL || wParam == HTHSCROLL) {
        PressScrollBar(hwnd_, wParam == HTVSCROLL ? OBJID_VSCROLL : OBJID_HSCROLL,
                       {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        // Returns once the system's tracking of the click has ended.
        const LRESULT result = CallPrevious(hwnd_, message, wParam, lParam);
        ReleaseScrollBar(hwnd_);
        RepaintScrollBars(hwnd_);
        return result;
    }
    return CallPrevious(hwnd_, message, wParam, lParam);
}

LRESULT FrameWindow::OnNcMouseMove(UINT message, WPARAM wParam, LPARAM lParam)
{
    const FrameLayout l = Layout();
    const Point p = WindowPoint(lParam);
    const bool buttonsChanged = buttons_.Hover(ButtonAt(l, p));
    const bool barChanged = menuBar_.Hover(BarItemAt(l, p));
    if (buttonsChanged || barChanged)
        PaintFrame();
    if (!trackingLeave_) {
        TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE | TME_NONCLIENT, hwnd_, 0};
        trackingLeave_ = TrackMouseEvent(&tme) != FALSE;
    }
    const LRESULT result = CallPrevious(hwnd_, message, wParam, lParam);
    // After the system's handling, which may draw a visual style's hover look on a scroll bar.
    const LONG bar = wParam == HTVSCROLL ? OBJID_VSCROLL : wParam == HTHSCROLL ? OBJID_HSCROLL : 0;
    FollowScrollBarPointer(hwnd_, bar, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    if (bar != 0)
        RepaintScrollBars(hwnd_);
    return result;
}

void FrameWindow::ClearHover()
{
    const bool buttonsChanged = buttons_.Hover(kNoButton);
    const bool barChanged = menuBar_.Hover(-1);
    if (buttonsChanged || barChanged)
        PaintFrame();
}

LRESULT FrameWindow::OnNcMouseLeave(UINT message, WPARAM wParam, LPARAM lParam)
{
    trackingLeave_ = false;
    // A visual style draws its own look of the bars as the pointer leaves: the engine's goes over.
    const LRESULT result = CallPrevious(hwnd_, message, wParam, lParam);
    ClearHover();
    FollowScrollBarPointer(hwnd_, 0, {});
    if (HasScrollBars(hwnd_))
        RepaintScrollBars(hwnd_);
    return result;
}

LRESULT FrameWindow::OnMouseMove(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (buttons_.Tracking()) {
        POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ClientToScreen(hwnd_, &screen);
        if (buttons_.Drag(ButtonAt(Layout(), WindowPoint(MAKELPARAM(screen.x, screen.y)))))
            PaintFrame();
        return 0;
    }
    ClearHover();
    return CallPrevious(hwnd_, message, wParam, lParam);
}

LRESULT FrameWindow::OnLButtonUp(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!buttons_.Tracking())
        return CallPrevious(hwnd_, message, wParam, lParam);
    const CaptionButton released = buttons_.Release();
    PaintFrame();
    POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ClientToScreen(hwnd_, &screen);
    buttons_.Click(released, screen);
    return 0;
}

LRESULT FrameWindow::OnCaptureChanged(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (buttons_.CaptureLost(reinterpret_cast<HWND>(lParam)))
        PaintFrame();
    return CallPrevious(hwnd_, message, wParam, lParam);
}

LRESULT FrameWindow::WithoutDefaultFramePainting(UINT message, WPARAM wParam, LPARAM lParam)
{
    // The default repaints the caption itself; with WS_VISIBLE off for the call it cannot.
    const LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
    if (style & WS_VISIBLE)
        SetWindowLongPtrW(hwnd_, GWL_STYLE, style & ~WS_VISIBLE);
    const LRESULT result = CallPrevious(hwnd_, message, wParam, lParam);
    if (style & WS_VISIBLE)
        SetWindowLongPtrW(hwnd_, GWL_STYLE, GetWindowLongPtrW(hwnd_, GWL_STYLE) | WS_VISIBLE);
    PaintFrame();
    return result;
}

LRESULT FrameWindow::OnMeasureItem(UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    const ItemTag* tag = mis->CtlType == ODT_MENU ? TagOf(mis->itemData) : nullptr;
    if (tag == nullptr)
        return CallPrevious(hwnd_, message, wParam, lParam);
    const int dpi = WindowDpi(hwnd_);
    if (tag->bar) {
        mis->itemWidth = static_cast<UINT>(
            std::max(1, MenuBar::ItemWidth(tag->menu, tag->position, dpi) - std::max(0, systemBarExtra_)));
        mis->itemHeight = static_cast<UINT>(Scale(T().metrics.menuBarHeight, dpi));
    } else {
        MeasurePopupItem(*mis, *tag, dpi);
    }
    return TRUE;
}

LRESULT FrameWindow::OnDrawItem(UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    const ItemTag* tag = dis->CtlType == ODT_MENU ? TagOf(dis->itemData) : nullptr;
    if (tag == nullptr)
        return CallPrevious(hwnd_, message, wParam, lParam);
    // Laying out Wine's bar draws it on a scratch DC that nobody sees: nothing to draw there.
    if (layingOutSystemBar_)
        return TRUE;
    if (tag->bar)
        PaintMenuBar();  // Wine draws the bar item it highlights at its own place: draw the whole bar at ours.
    else
        DrawPopupItem(*dis, *tag, WindowDpi(hwnd_));
    return TRUE;
}

// Custom draw the program leaves to a trackbar or a toolbar is drawn in the theme; what the
// program answers itself stays its own.
LRESULT FrameWindow::OnNotify(UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CallPrevious(hwnd_, message, wParam, lParam);
    return AnswerCustomDraw(reinterpret_cast<NMHDR*>(lParam), result);
}

LRESULT FrameWindow::OnInitMenuPopup(UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CallPrevious(hwnd_, message, wParam, lParam);
    auto popup = reinterpret_cast<HMENU>(wParam);
    ConvertMenu(popup, false);
    SetPopupBackground(popup, CurrentTheme()->PopupBrush());
    if (HIWORD(lParam) != 0)
        menuBar_.SystemMenuOpening(Layout());
    else if (const int item = menuBar_.ItemOf(popup); item >= 0)
        menuBar_.Opening(item, Layout());
    // A maximised MDI child's system menu, opened from the frame's bar, is the child's own too:
    // the child is not skinned, so the menu is given back once it closes.
    if (menuBar_.ItemOf(popup) == 0 && BarItemKindOf(GetMenu(hwnd_), 0) == BarItemKind::ChildIcon)
        borrowedMenu_ = popup;
    PaintMenuBar();
    return result;
}

LRESULT FrameWindow::OnMenuState(UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CallPrevious(hwnd_, message, wParam, lParam);
    if (message == WM_ENTERMENULOOP)
        menuLoopSeen_ = true;
    if (borrowedMenu_ != nullptr &&
        (message == WM_EXITMENULOOP ||
         (message == WM_UNINITMENUPOPUP && reinterpret_cast<HMENU>(wParam) == borrowedMenu_))) {
        RestoreMenu(borrowedMenu_);
        borrowedMenu_ = nullptr;
    }
    menuBar_.Track(message, wParam, lParam);
    PaintMenuBar();
    return result;
}

// Caption text and buttons move with the window's size: the whole frame needs painting,
// while the client area keeps whatever Windows decided about it.
void FrameWindow::InvalidateFrame()
{
    RECT w{};
    GetWindowRect(hwnd_, &w);
    POINT origin{w.left, w.top};
    ScreenToClient(hwnd_, &origin);
    UniqueRegion frame(CreateRectRgn(origin.x, origin.y, origin.x + w.right - w.left, origin.y + w.bottom - w.top));
    RECT client{};
    GetClientRect(hwnd_, &client);
    UniqueRegion inside(CreateRectRgnIndirect(&client));
    if (frame && inside && CombineRgn(frame.get(), frame.get(), inside.get(), RGN_DIFF) != ERROR)
        RedrawWindow(hwnd_, nullptr, frame.get(), RDW_FRAME | RDW_INVALIDATE);
}

LRESULT FrameWindow::OnNcDestroy(UINT message, WPARAM wParam, LPARAM lParam)
{
    const HWND hwnd = hwnd_;
    ForgetScrollBars(hwnd);
    ForgetFrame(hwnd);  // destroys this object
    return PassOn(hwnd, message, wParam, lParam);
}

}  // namespace velum
