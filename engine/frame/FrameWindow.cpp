#include "FrameWindow.h"

#include <windowsx.h>

#include <algorithm>
#include <string>

#include "BarControlSkin.h"
#include "ClientArea.h"
#include "Engine.h"
#include "KeptBitmaps.h"
#include "MdiBarItems.h"
#include "PopupMenu.h"
#include "ScrollBarControl.h"
#include "ScrollBarSkin.h"
#include "SystemColourAnswers.h"
#include "WindowRegistry.h"

namespace velum {

namespace {

// The visual styles' messages that have the themed default repaint the caption and the frame.
constexpr UINT kNcUahDrawCaption = 0x00AE;
constexpr UINT kNcUahDrawFrame = 0x00AF;
// Windows 10 1703's question of a per monitor v2 window's size at another DPI, which the
// headers give only to programs built for it.
constexpr UINT kGetDpiScaledSize = 0x02E4;

bool IsNonClientMouse(UINT message)
{
    return message == WM_NCMOUSEMOVE || message == WM_NCMOUSEHOVER ||
           (message >= WM_NCLBUTTONDOWN && message <= WM_NCXBUTTONDBLCLK);
}

bool IsCaptionButtonHit(WPARAM hit)
{
    return hit == HTMINBUTTON || hit == HTMAXBUTTON || hit == HTCLOSE || hit == HTHELP;
}

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

// The frame the system's default gives the window, at the DPI the system lays it out at: the
// window's own on Windows, the system's where a DPI change was only sent to the window (Wine).
bool SystemFrameAtItsDpi(HWND hwnd, RECT& frame, DWORD style, DWORD exStyle)
{
    using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = reinterpret_cast<AdjustForDpiFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi")));
    if (adjustForDpi != nullptr)
        return adjustForDpi(&frame, style, FALSE, exStyle, static_cast<UINT>(SystemWindowDpi(hwnd))) != FALSE;
    return AdjustWindowRectEx(&frame, style, FALSE, exStyle) != FALSE;
}

}  // namespace

FrameWindow::FrameWindow(HWND hwnd)
    : hwnd_(hwnd), active_(GetActiveWindow() == hwnd),
      mdiChild_((GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_MDICHILD) != 0), buttons_(hwnd), menuBar_(hwnd)
{
    // An MDI child shows itself active as its MDI client's active child in an active frame,
    // which it learns from WM_NCACTIVATE only when that changes.
    if (mdiChild_)
        active_ = reinterpret_cast<HWND>(SendMessageW(GetParent(hwnd), WM_MDIGETACTIVE, 0, 0)) == hwnd &&
                  GetActiveWindow() == GetAncestor(hwnd, GA_ROOT);
    FollowCompositor();
}

void FrameWindow::FollowCompositor()
{
    const Theme& t = ThemeInUse();
    const ThemeArtwork* art = CurrentTheme()->Artwork();
    WindowCornersInput in;
    in.windowsBuild = WindowsBuild();
    in.cornerRadius = t.metrics.cornerRadius;
    in.shapedByImage = art != nullptr && art->frame && art->frame->Named().shape;
    in.border = active_ ? t.frame.border : t.frameInactive.border;
    if (!compositor_.Follow(hwnd_, !SystemKeepsFrame(), in))
        LoadCompositorLater(FollowCompositorEverywhere);
}

void FrameWindow::CompositorLoaded()
{
    FollowCompositor();
    UpdateRegion(true);
}

// Alt or F10 (alone or with a letter) opens the menus from the keyboard: from then on the window
// shows its access keys, as Windows' default does; Wine's does not say so itself.
LRESULT FrameWindow::OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam)
{
    if ((wParam & 0xFFF0) == SC_KEYMENU && !ShowsAccessKeys(hwnd_))
        SendMessageW(hwnd_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL), 0);
    return CallPrevious(hwnd_, message, wParam, lParam);
}

LRESULT FrameWindow::OnUpdateUiState(UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CallPrevious(hwnd_, message, wParam, lParam);
    if (menuBar_.Present() && (HIWORD(wParam) & UISF_HIDEACCEL) != 0)
        PaintFrame();
    return result;
}

// Each settings message redoes what it changes and nothing else. The theme's colours and fonts
// are the theme's own, so a colour change relays nothing: only the common controls, which keep
// the colours they read, are told to read them again (Windows sends the message to top-level
// windows only, and leaves it to them to tell their controls).
LRESULT FrameWindow::OnSystemSettingsChanged(UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CallPrevious(hwnd_, message, wParam, lParam);
    // A high-contrast theme turned on is announced by both: the engine then gives every window
    // back, which redoes all of it.
    FollowHighContrast();
    if (HighContrastOn())
        return result;
    if (message == WM_SYSCOLORCHANGE)
        TellCommonControlsColoursChanged(GetCurrentThreadId(), hwnd_);
    else if (wParam == SPI_SETNONCLIENTMETRICS)
        NonClientMetricsChanged();
    else if (wParam == SPI_SETWORKAREA)
        WorkAreaChanged();
    return result;
}

// The system's sizing border, scroll-bar sizes and menu metrics went into the frame's layout
// (the band a person resizes from, the bars reserved in the client area, Wine's layout of the
// bar): the frame is calculated again and repainted. The theme's own sizes and fonts stay.
void FrameWindow::NonClientMetricsChanged()
{
    titleWidth_.font = nullptr;
    SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
}

// A window the engine placed maximised over the old work area is placed over the new one, as
// OnWindowPosChanging places it; one the program placed itself stays where it is.
void FrameWindow::WorkAreaChanged()
{
    RECT now{};
    if (!IsZoomed(hwnd_) || mdiChild_ || ownCaption_ || !GetWindowRect(hwnd_, &now) || !EqualRect(&now, &maximisedAt_))
        return;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &monitor))
        return;
    const RECT at = MaximisedOver(monitor.rcWork);
    if (!EqualRect(&at, &now))
        SetWindowPos(hwnd_, nullptr, at.left, at.top, at.right - at.left, at.bottom - at.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT FrameWindow::OnCompositorChanged(UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CallPrevious(hwnd_, message, wParam, lParam);
    // The system may have put its own frame and corners back.
    FollowCompositor();
    UpdateRegion(true);
    return result;
}

bool FrameWindow::MdiChildZoomed() const
{
    return mdiChild_ && IsZoomed(hwnd_);
}

bool FrameWindow::SystemKeepsFrame() const
{
    return ownCaption_ || MdiChildZoomed();
}

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
    // Each frame calculation tells again whether the program draws its own caption.
    if (message == WM_NCCALCSIZE && !MdiChildZoomed())
        return OnNcCalcSize(wParam, lParam);
    if (SystemKeepsFrame()) {
        switch (message) {
        case WM_NCCALCSIZE:
        case WM_NCPAINT:
        case WM_NCHITTEST:
        case WM_NCLBUTTONDOWN:
        case WM_NCLBUTTONDBLCLK:
        case WM_NCRBUTTONDOWN:
        case WM_NCMOUSEMOVE:
        case WM_NCMOUSELEAVE:
        case WM_SETTEXT:
        case WM_SETICON: return CallPrevious(hwnd_, message, wParam, lParam);
        case WM_NCACTIVATE: active_ = wParam != FALSE; return CallPrevious(hwnd_, message, wParam, lParam);
        default: break;
        }
    }
    // Windows' themed default would draw its own caption and buttons over the skin.
    if (message == kNcUahDrawCaption || message == kNcUahDrawFrame)
        return 0;
    if (IsNonClientMouse(message) && IsCaptionButtonHit(wParam) && message != WM_NCLBUTTONDOWN &&
        message != WM_NCLBUTTONDBLCLK && message != WM_NCMOUSEMOVE)
        return OutsideCaptionButtons(message, lParam);
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
    case WM_SETTEXT: return OnSetText(message, wParam, lParam);
    case WM_SETICON: return WithoutDefaultFramePainting(message, wParam, lParam);
    case WM_ERASEBKGND: return OnEraseBackground(message, wParam, lParam);
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
    case WM_GETTITLEBARINFOEX: return OnTitleBarInfo(lParam);
    case WM_DWMCOMPOSITIONCHANGED:
    case WM_THEMECHANGED: return OnCompositorChanged(message, wParam, lParam);
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE: return OnSystemSettingsChanged(message, wParam, lParam);
    case WM_SYSCOMMAND: return OnSysCommand(message, wParam, lParam);
    case WM_UPDATEUISTATE: return OnUpdateUiState(message, wParam, lParam);
    case WM_WINDOWPOSCHANGING: return OnWindowPosChanging(message, wParam, lParam);
    case WM_WINDOWPOSCHANGED: return OnWindowPosChanged(message, wParam, lParam);
    case WM_DPICHANGED: return OnDpiChanged(message, wParam, lParam);
    case kGetDpiScaledSize: return OnGetDpiScaledSize(message, wParam, lParam);
    case WM_NCDESTROY: return OnNcDestroy(message, wParam, lParam);
    default:
        if (message == RegionMessage())
            return OnRegionMessage();
        return CallPrevious(hwnd_, message, wParam, lParam);
    }
}

const Theme& FrameWindow::ThemeInUse() const
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
    s.rightToLeft = (exStyle & WS_EX_LAYOUTRTL) != 0;
    const int dpi = WindowDpi(hwnd_);
    if (s.sizable && !s.iconic && !s.zoomed)
        s.sizingBorder = SystemSizingBorder(dpi);
    s.autoHideEdges = s.zoomed ? autoHideEdges_ : 0;
    if (s.caption && !s.iconic)
        s.titleWidth = TitleWidth(dpi);
    return s;
}

FrameLayout FrameWindow::LayoutFor(const FrameStyle& style, int width, int height, int dpi) const
{
    if (dpi <= 0)
        dpi = WindowDpi(hwnd_);
    const std::vector<int> widths = style.menuBar && !style.iconic ? menuBar_.ItemWidths(dpi) : std::vector<int>{};
    FrameLayout l = LayOutFrame(ThemeInUse().metrics, dpi, width, height, style, widths);
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

// Whether the program's answer to WM_NCCALCSIZE left less room above the client area than the
// system's frame and caption take, as a program drawing its own title bar does.
bool FrameWindow::TakesCaptionIntoClient(const RECT& window, const RECT& answered) const
{
    if (IsIconic(hwnd_))
        return ownCaption_;
    RECT system{0, 0, 0, 0};
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE));
    if (!SystemFrameAtItsDpi(hwnd_, system, style, exStyle))
        return false;
    return answered.top - window.top < -system.top;
}

LRESULT FrameWindow::OnNcCalcSize(WPARAM wParam, LPARAM lParam)
{
    RECT* proposed = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : reinterpret_cast<RECT*>(lParam);
    const RECT window = *proposed;
    ++frameCalculations_;
    // Items a program added since the last layout are made the engine's first, so it measures
    // them. A window with a bar has it laid out below, at the drawn bar's place, which keyboard
    // and mouse tracking rely on: the default's layout of it in the system's font would only be
    // made again there.
    if (HMENU bar = menuBar_.Present() ? GetMenu(hwnd_) : nullptr)
        ConvertMenu(bar, true);
    if (!menuBar_.Present()) {
        const LRESULT answer = CallPrevious(hwnd_, WM_NCCALCSIZE, wParam, lParam);
        if (TakesCaptionIntoClient(window, *proposed) != ownCaption_) {
            ownCaption_ = !ownCaption_;
            FollowCompositor();
            UpdateRegion(false);
        }
        if (ownCaption_)
            return answer;
    }
    // The system notes from a captioned window's first frame calculation that it has a caption,
    // which tiling and cascading go by: the default makes that one too, then the engine's
    // answer replaces its rectangle. A window without a bar went to the default above.
    if (menuBar_.Present() && firstRefresh_ && !firstCalculationSeen_ &&
        (GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_CAPTION) == WS_CAPTION) {
        firstCalculationSeen_ = true;
        CallPrevious(hwnd_, WM_NCCALCSIZE, wParam, lParam);
        *proposed = window;
    }
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

// Assistive tools (Narrator, Voice Access) and Windows 11's snap layouts find the caption and its
// buttons here: the drawn ones, in screen coordinates, rather than the system's places.
LRESULT FrameWindow::OnTitleBarInfo(LPARAM lParam)
{
    auto* info = reinterpret_cast<TITLEBARINFOEX*>(lParam);
    if (info == nullptr || info->cbSize < sizeof(TITLEBARINFOEX))
        return 0;
    RECT w{};
    GetWindowRect(hwnd_, &w);
    const auto screen = [&w](const Rect& r) {
        return RECT{w.left + r.left, w.top + r.top, w.left + r.right, w.top + r.bottom};
    };
    const FrameLayout l = Layout();
    const bool caption = !l.caption.Empty();
    info->rcTitleBar = screen(l.caption);
    std::fill(std::begin(info->rgstate), std::end(info->rgstate), STATE_SYSTEM_INVISIBLE);
    std::fill(std::begin(info->rgrect), std::end(info->rgrect), RECT{});
    info->rgstate[0] = caption ? (active_ ? STATE_SYSTEM_FOCUSED : 0) : STATE_SYSTEM_INVISIBLE;
    // The array's places: the title bar, a reserved one, minimise, maximise, help, close.
    const struct {
        CaptionButton button;
        int place;
    } places[] = {{kMinimize, 2}, {kMaxRestore, 3}, {kClose, 5}};
    for (const auto& p : places) {
        if (!l.hasButton[p.button])
            continue;
        info->rgrect[p.place] = screen(l.buttons[p.button]);
        info->rgstate[p.place] = buttons_.Enabled(p.button) ? 0 : STATE_SYSTEM_UNAVAILABLE;
    }
    return 0;
}

LRESULT FrameWindow::OnNcActivate(WPARAM wParam)
{
    // The default would repaint the whole frame in system colours.
    active_ = wParam != FALSE;
    const Theme& t = ThemeInUse();
    compositor_.SetEdge(hwnd_, active_ ? t.frame.border : t.frameInactive.border);
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

// A non-client mouse message on a drawn caption button goes on as one on the caption, so the
// default neither hot-tracks nor presses a button of its own there; a press or double click on
// a button that did not take it (greyed) does nothing, as on the system's.
LRESULT FrameWindow::OutsideCaptionButtons(UINT message, LPARAM lParam)
{
    if (message == WM_NCLBUTTONDOWN || message == WM_NCLBUTTONDBLCLK)
        return 0;
    return CallPrevious(hwnd_, message, HTCAPTION, lParam);
}

LRESULT FrameWindow::OnNcLButtonDown(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (buttons_.Press(wParam)) {
        PaintFrame();
        return 0;
    }
    if (IsCaptionButtonHit(wParam))
        return OutsideCaptionButtons(message, lParam);
    if (wParam == HTMENU)
        return menuBar_.Press(Layout(), WindowPoint(lParam), wParam);
    if (wParam == HTSYSMENU) {
        const POINT icon = SystemIconPoint();
        return CallPrevious(hwnd_, message, wParam, MAKELPARAM(icon.x, icon.y));
    }
    if (wParam == HTVSCROLL || wParam == HTHSCROLL) {
        return PassOnScrollBarPress(hwnd_, wParam == HTVSCROLL ? OBJID_VSCROLL : OBJID_HSCROLL,
                                    {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, message, wParam, lParam);
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
    const LRESULT result = CallPrevious(hwnd_, message, IsCaptionButtonHit(wParam) ? HTCAPTION : wParam, lParam);
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

LRESULT FrameWindow::OnEraseBackground(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (eraseUncovered_) {
        eraseUncovered_ = false;
        if (EraseUncoveredClient(hwnd_, reinterpret_cast<HDC>(wParam)))
            return TRUE;
    }
    return EraseClientBackground(hwnd_, message, wParam, lParam);
}

LRESULT FrameWindow::OnSetText(UINT message, WPARAM wParam, LPARAM lParam)
{
    // The title is measured again, once the window holds the new text.
    titleWidth_.font = nullptr;
    // On a composed desktop the window's pixels reach the screen when the compositor next
    // presents them, so the default's own caption, painted over straight after, is not seen;
    // and the default tells the taskbar of the new title as it redraws a visible caption.
    // Without a compositor its caption would show for a moment: it draws none then.
    LRESULT result = 0;
    if (DesktopComposed()) {
        result = CallPrevious(hwnd_, message, wParam, lParam);
        PaintFrame();
    } else {
        result = WithoutDefaultFramePainting(message, wParam, lParam);
    }
    titleWidth_.font = nullptr;
    return result;
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
        mis->itemHeight = static_cast<UINT>(Scale(ThemeInUse().metrics.menuBarHeight, dpi));
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
        DrawPopupItem(*dis, *tag, WindowDpi(hwnd_), ShowsAccessKeys(hwnd_));
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
    if (!ProgramDrawsItems(popup))
        SetPopupBackground(popup, CurrentTheme()->PopupBrush());
    // An accelerator lets the program update the menu its command is in, with no menu open and
    // no menu loop: nothing opens on the bar then.
    if (menuBar_.InMenuLoop()) {
        if (HIWORD(lParam) != 0)
            menuBar_.SystemMenuOpening(Layout());
        else if (const int item = menuBar_.ItemOf(popup); item >= 0)
            menuBar_.Opening(item, Layout());
    }
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

LRESULT FrameWindow::OnNcDestroy(UINT message, WPARAM wParam, LPARAM lParam)
{
    const HWND hwnd = hwnd_;
    ForgetScrollBars(hwnd);
    ForgetFrame(hwnd);  // destroys this object
    return PassOn(hwnd, message, wParam, lParam);
}

}  // namespace velum
