// Skinned windows: the caption, frame, caption buttons and menu bar of top-level windows, their
// client background, and popup menus. Each window is subclassed; Wine and Windows repaint parts
// of the frame behind a window procedure's back, so every such path is answered here.
#include <windows.h>
#include <windowsx.h>

#include <algorithm>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

#include "Engine.h"

namespace velum {

namespace {

// Subclassing without comctl32: under Wine, loading comctl32 costs more than everything else
// the engine does at a program's start. Each window keeps the procedure it had, which gets
// every message the engine does not answer itself.
struct Subclass {
    WNDPROC previous;
    WNDPROC ours;
};

std::map<HWND, Subclass>& Subclasses()
{
    static std::map<HWND, Subclass> subclasses;
    return subclasses;
}

bool InstallSubclass(HWND hwnd, WNDPROC ours)
{
    SetLastError(0);
    const auto previous =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ours)));
    if (previous == nullptr && GetLastError() != 0)
        return false;
    Subclasses()[hwnd] = {previous, ours};
    return true;
}

LRESULT CallPrevious(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto found = Subclasses().find(hwnd);
    if (found == Subclasses().end() || found->second.previous == nullptr)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    return CallWindowProcW(found->second.previous, hwnd, message, wParam, lParam);
}

// Puts the window's own procedure back. When a program subclassed the window after the engine,
// the engine's procedure stays in the chain and passes everything on, so neither is lost.
void RemoveSubclass(HWND hwnd)
{
    const auto found = Subclasses().find(hwnd);
    if (found == Subclasses().end())
        return;
    if (GetWindowLongPtrW(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(found->second.ours)) {
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(found->second.previous));
        Subclasses().erase(found);
    }
}

// Passes a message on once the engine no longer draws the window, and forgets the window when
// it goes.
LRESULT PassOn(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CallPrevious(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY)
        Subclasses().erase(hwnd);
    return result;
}

enum Button { kNoButton = -1, kClose = 0, kMaxRestore = 1, kMinimize = 2 };

// Kept in a menu item's data while the engine draws the item, so WM_MEASUREITEM (which does
// not say which menu it is about) can find the item's text.
struct ItemTag {
    HMENU menu;
    UINT position;
    bool bar;
    bool separator;
    bool submenu;
    UINT originalType;
    ULONG_PTR originalData;
};

struct MenuRegistry {
    std::deque<ItemTag> tags;
    std::unordered_set<const ItemTag*> live;
    std::map<HMENU, std::pair<bool, HBRUSH>> popupBackgrounds;  // original MIM_BACKGROUND
    std::set<HMENU> converted;
};

MenuRegistry& Menus()
{
    static MenuRegistry registry;
    return registry;
}

class FrameWindow;
std::map<HWND, FrameWindow*>& Frames()
{
    static std::map<HWND, FrameWindow*> frames;
    return frames;
}
std::set<HWND>& Popups()
{
    static std::set<HWND> popups;
    return popups;
}

std::wstring MenuItemText(HMENU menu, UINT position)
{
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    if (!GetMenuItemInfoW(menu, position, TRUE, &info))
        return {};
    std::wstring text(info.cch + 1, L'\0');
    info.dwTypeData = text.data();
    info.cch = static_cast<UINT>(text.size());
    GetMenuItemInfoW(menu, position, TRUE, &info);
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}

// Makes the menu's items owner-drawn while keeping their text, so access keys keep working.
void ConvertMenu(HMENU menu, bool bar)
{
    MenuRegistry& reg = Menus();
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        const UINT position = static_cast<UINT>(i);
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_DATA | MIIM_SUBMENU;
        if (!GetMenuItemInfoW(menu, position, TRUE, &info))
            continue;
        if (info.fType & MFT_OWNERDRAW) {
            auto* tag = reinterpret_cast<ItemTag*>(info.dwItemData);
            if (reg.live.count(tag) != 0)
                tag->position = position;  // items before it may have come or gone
            continue;
        }
        if (info.fType & MFT_BITMAP)
            continue;
        const std::wstring text = MenuItemText(menu, position);
        ItemTag& tag = reg.tags.emplace_back(ItemTag{menu, position, bar, (info.fType & MFT_SEPARATOR) != 0,
                                                     info.hSubMenu != nullptr, info.fType, info.dwItemData});
        reg.live.insert(&tag);
        MENUITEMINFOW update{};
        update.cbSize = sizeof update;
        update.fMask = MIIM_FTYPE | MIIM_DATA;
        update.fType = info.fType | MFT_OWNERDRAW;
        update.dwItemData = reinterpret_cast<ULONG_PTR>(&tag);
        if (!tag.separator) {
            update.fMask |= MIIM_STRING;
            update.dwTypeData = const_cast<wchar_t*>(text.c_str());
        }
        SetMenuItemInfoW(menu, position, TRUE, &update);
    }
    reg.converted.insert(menu);
}

void SetPopupBackground(HMENU menu, HBRUSH brush)
{
    MenuRegistry& reg = Menus();
    if (reg.popupBackgrounds.count(menu) == 0) {
        MENUINFO original{};
        original.cbSize = sizeof original;
        original.fMask = MIM_BACKGROUND;
        const bool ok = GetMenuInfo(menu, &original) != FALSE;
        reg.popupBackgrounds[menu] = {ok, original.hbrBack};
    }
    MENUINFO info{};
    info.cbSize = sizeof info;
    info.fMask = MIM_BACKGROUND;
    info.hbrBack = brush;
    SetMenuInfo(menu, &info);
}

void RestoreMenus()
{
    MenuRegistry& reg = Menus();
    for (HMENU menu : reg.converted) {
        if (!IsMenu(menu))
            continue;
        const int count = GetMenuItemCount(menu);
        for (int i = 0; i < count; ++i) {
            MENUITEMINFOW info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_FTYPE | MIIM_DATA;
            if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info) || !(info.fType & MFT_OWNERDRAW))
                continue;
            auto* tag = reinterpret_cast<const ItemTag*>(info.dwItemData);
            if (reg.live.count(tag) == 0)
                continue;
            const std::wstring text = MenuItemText(menu, static_cast<UINT>(i));
            MENUITEMINFOW update{};
            update.cbSize = sizeof update;
            update.fMask = MIIM_FTYPE | MIIM_DATA;
            update.fType = tag->originalType;
            update.dwItemData = tag->originalData;
            if (!tag->separator) {
                update.fMask |= MIIM_STRING;
                update.dwTypeData = const_cast<wchar_t*>(text.c_str());
            }
            SetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &update);
        }
    }
    for (const auto& [menu, original] : reg.popupBackgrounds) {
        if (!IsMenu(menu) || !original.first)
            continue;
        MENUINFO info{};
        info.cbSize = sizeof info;
        info.fMask = MIM_BACKGROUND;
        info.hbrBack = original.second;
        SetMenuInfo(menu, &info);
    }
    reg.live.clear();
    reg.tags.clear();
    reg.converted.clear();
    reg.popupBackgrounds.clear();
}

// The text of a menu item without its access-key marks, for measuring.
std::wstring DrawableText(const std::wstring& text)
{
    return text.substr(0, text.find(L'\t'));
}

SIZE MeasureText(HFONT font, const std::wstring& text)
{
    static HDC measuring = CreateCompatibleDC(nullptr);
    ScopedSelect select(measuring, font);
    RECT r{0, 0, 0, 0};
    DrawTextW(measuring, text.empty() ? L" " : text.c_str(), -1, &r, DT_SINGLELINE | DT_CALCRECT);
    return {r.right - r.left, r.bottom - r.top};
}

class WindowDc {
public:
    explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetWindowDC(hwnd)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc()
    {
        if (dc_ != nullptr)
            ReleaseDC(hwnd_, dc_);
    }
    HDC get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

// A top-level window with a caption, drawn by the engine.
class FrameWindow {
public:
    explicit FrameWindow(HWND hwnd) : hwnd_(hwnd), active_(GetActiveWindow() == hwnd) {}

    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        const auto found = Frames().find(hwnd);
        if (found == Frames().end())
            return PassOn(hwnd, message, wParam, lParam);
        return found->second->Handle(message, wParam, lParam);
    }

    // After a theme change: new metrics, new menus, a full repaint. The first time the engine
    // draws a window its client area keeps its size, so a program's layout holds; later
    // switches keep the window's outer size, so the window does not jump under the user.
    void Refresh()
    {
        // A window the user cannot resize, or has not seen yet, keeps its client size on
        // every switch, so nothing in it is clipped; a shown, resizable window keeps its outer
        // size, so it does not jump under the user, except on the first skinning.
        const bool keepClientSize = firstRefresh_ || !ShownAndResizable();
        const bool first = firstRefresh_;
        firstRefresh_ = false;
        RECT client{};
        GetClientRect(hwnd_, &client);
        if (HMENU bar = GetMenu(hwnd_))
            ConvertMenu(bar, true);
        // New sizes or fonts need a new layout, Wine's menu bar included; colours alone do not.
        const Theme& t = T();
        if (keepClientSize || !(t.metrics == laidOut_.metrics) || !(t.captionFont == laidOut_.captionFont) ||
            !(t.menuFont == laidOut_.menuFont)) {
            laidOut_ = {t.metrics, t.captionFont, t.menuFont};
            SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                         SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
        }
        if (keepClientSize) {
            KeepClientSize(client);
            if (first)
                originalClient_ = client;
            sizedByEngine_ = WindowSize();
        }
        UpdateRegion(false);  // the whole window is repainted next
        RedrawWindow(hwnd_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }

    void Unskin()
    {
        // Unless the user has resized the window since the engine did, it gets back the client
        // size it had before the engine; otherwise it keeps the client size it has now.
        // A shown, resizable window the user has resized since keeps its outer size.
        RECT client{};
        GetClientRect(hwnd_, &client);
        const SIZE size = WindowSize();
        const bool untouched = size.cx == sizedByEngine_.cx && size.cy == sizedByEngine_.cy;
        if (untouched && ShownAndResizable())
            client = originalClient_;
        const bool keepClientSize = untouched || !ShownAndResizable();
        RemoveSubclass(hwnd_);
        SetWindowRgn(hwnd_, nullptr, TRUE);
        SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        if (keepClientSize)
            KeepClientSize(client);
        RedrawWindow(hwnd_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }

    bool ShownAndResizable() const
    {
        const LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
        return (style & WS_VISIBLE) && (style & WS_THICKFRAME);
    }

    SIZE WindowSize() const
    {
        RECT w{};
        GetWindowRect(hwnd_, &w);
        return {w.right - w.left, w.bottom - w.top};
    }

    // Resizes the window so its client area is `client` again after the frame changed size.
    void KeepClientSize(const RECT& client)
    {
        if (IsZoomed(hwnd_) || IsIconic(hwnd_))
            return;
        RECT now{};
        GetClientRect(hwnd_, &now);
        if (client.right == now.right && client.bottom == now.bottom)
            return;
        RECT window{};
        GetWindowRect(hwnd_, &window);
        SetWindowPos(hwnd_, nullptr, 0, 0, window.right - window.left + (client.right - now.right),
                     window.bottom - window.top + (client.bottom - now.bottom), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    // Windows is about to minimise or maximise the window. A maximised or minimised window has
    // no rounded corners; removing them once the window is placed would change the window
    // again behind the placement, which Wine's X11 driver then takes for a restore.
    void BeforeMinMax(int command)
    {
        const bool squares = command == SW_MAXIMIZE || command == SW_MINIMIZE || command == SW_SHOWMINIMIZED ||
                             command == SW_SHOWMINNOACTIVE || command == SW_FORCEMINIMIZE;
        if (squares && hasRegion_ && !settingRegion_) {
            settingRegion_ = true;
            SetWindowRgn(hwnd_, nullptr, FALSE);
            hasRegion_ = false;
            settingRegion_ = false;
        }
    }

    // Pending position of a popup opened from the menu bar, in screen coordinates.
    bool TakePopupPosition(POINT& at)
    {
        if (!popupPending_)
            return false;
        popupPending_ = false;
        at = popupAt_;
        return true;
    }

private:
    struct Layout {
        int dpi = 96;
        RECT window{};  // window-relative: left and top are 0
        int frame = 0;
        RECT caption{};
        RECT icon{};
        RECT title{};
        RECT buttons[3]{};
        bool hasButton[3]{};
        RECT menuBar{};
        std::vector<RECT> barItems;
        RECT client{};
    };

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam)
    {
        switch (message) {
        case WM_NCCALCSIZE: return OnNcCalcSize(wParam, lParam);
        case WM_CREATE: return OnCreate(message, wParam, lParam);
        case WM_NCPAINT: PaintFrame(); return 0;
        case WM_NCACTIVATE: return OnNcActivate(wParam, lParam);
        case WM_NCHITTEST: return OnNcHitTest(lParam);
        case WM_NCLBUTTONDOWN:
        case WM_NCLBUTTONDBLCLK: return OnNcLButtonDown(message, wParam, lParam);
        case WM_NCMOUSEMOVE: return OnNcMouseMove(message, wParam, lParam);
        case WM_NCMOUSELEAVE: return OnNcMouseLeave(message, wParam, lParam);
        case WM_MOUSEMOVE: return OnMouseMove(message, wParam, lParam);
        case WM_LBUTTONUP: return OnLButtonUp(message, wParam, lParam);
        case WM_CAPTURECHANGED: return OnCaptureChanged(message, wParam, lParam);
        case WM_SETTEXT:
        case WM_SETICON: return WithoutDefaultFramePainting(message, wParam, lParam);
        case WM_ERASEBKGND: return OnEraseBackground(message, wParam, lParam);
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: return OnCtlColor(message, wParam, lParam);
        case WM_MEASUREITEM: return OnMeasureItem(message, wParam, lParam);
        case WM_DRAWITEM: return OnDrawItem(message, wParam, lParam);
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

    const Theme& T() const { return CurrentTheme()->Get(); }

    bool HasMenuBar() const
    {
        return (GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_CHILD) == 0 && GetMenu(hwnd_) != nullptr;
    }

    Layout ComputeLayout() const
    {
        Layout l;
        l.dpi = WindowDpi(hwnd_);
        const Metrics& m = T().metrics;
        RECT w{};
        GetWindowRect(hwnd_, &w);
        l.window = {0, 0, w.right - w.left, w.bottom - w.top};
        const LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
        const LONG_PTR exStyle = GetWindowLongPtrW(hwnd_, GWL_EXSTYLE);
        l.frame = std::max(1, Scale(m.frameWidth, l.dpi));
        const int f = l.frame;
        const int captionHeight = Scale(m.captionHeight, l.dpi);
        l.caption = {f, f, l.window.right - f, f + captionHeight};
        if (IsIconic(hwnd_))
            l.caption = {0, 0, l.window.right, l.window.bottom};

        int right = l.caption.right - Scale(4, l.dpi);
        const int bw = Scale(m.buttonWidth, l.dpi);
        const int bh = std::min(Scale(m.buttonHeight, l.dpi), static_cast<int>(l.caption.bottom - l.caption.top));
        const int top = l.caption.top + (l.caption.bottom - l.caption.top - bh) / 2;
        const bool sysMenu = (style & WS_SYSMENU) != 0;
        const bool minMax = (style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) != 0 && !(exStyle & WS_EX_TOOLWINDOW);
        l.hasButton[kClose] = sysMenu;
        l.hasButton[kMaxRestore] = sysMenu && minMax;
        l.hasButton[kMinimize] = sysMenu && minMax;
        for (int b : {kClose, kMaxRestore, kMinimize}) {
            if (!l.hasButton[b])
                continue;
            l.buttons[b] = {right - bw, top, right, top + bh};
            right -= bw + Scale(2, l.dpi);
        }

        int left = l.caption.left + Scale(6, l.dpi);
        if (sysMenu && !(exStyle & (WS_EX_DLGMODALFRAME | WS_EX_TOOLWINDOW)) && Icon() != nullptr) {
            const int size = Scale(16, l.dpi);
            const int iconTop = l.caption.top + (l.caption.bottom - l.caption.top - size) / 2;
            l.icon = {left, iconTop, left + size, iconTop + size};
            left += size + Scale(6, l.dpi);
        }
        l.title = {left, l.caption.top, std::max(left, right - Scale(4, l.dpi)), l.caption.bottom};

        int y = l.caption.bottom;
        if (HasMenuBar() && !IsIconic(hwnd_)) {
            const int barHeight = Scale(m.menuBarHeight, l.dpi);
            l.menuBar = {f, y, l.window.right - f, y + barHeight};
            y += barHeight;
            HMENU bar = GetMenu(hwnd_);
            int x = f + Scale(2, l.dpi);
            const int count = GetMenuItemCount(bar);
            for (int i = 0; i < count; ++i) {
                const int width = BarItemWidth(bar, static_cast<UINT>(i), l.dpi);
                l.barItems.push_back({x, l.menuBar.top, x + width, l.menuBar.bottom});
                x += width;
            }
        }
        l.client = {f, y, l.window.right - f, l.window.bottom - f};
        if (l.client.bottom < l.client.top)
            l.client.bottom = l.client.top;
        if (l.client.right < l.client.left)
            l.client.right = l.client.left;
        return l;
    }

    int BarItemWidth(HMENU bar, UINT position, int dpi) const
    {
        const SIZE text = MeasureText(CurrentTheme()->MenuFont(dpi), DrawableText(MenuItemText(bar, position)));
        return text.cx + 2 * Scale(T().metrics.menuItemPadding, dpi);
    }

    HICON Icon() const
    {
        auto icon = reinterpret_cast<HICON>(SendMessageW(hwnd_, WM_GETICON, ICON_SMALL2, 0));
        if (icon == nullptr)
            icon = reinterpret_cast<HICON>(GetClassLongPtrW(hwnd_, GCLP_HICONSM));
        if (icon == nullptr)
            icon = reinterpret_cast<HICON>(GetClassLongPtrW(hwnd_, GCLP_HICON));
        return icon;
    }

    LRESULT OnNcCalcSize(WPARAM wParam, LPARAM lParam)
    {
        RECT* proposed = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : reinterpret_cast<RECT*>(lParam);
        const RECT window = *proposed;
        // The default lays out the menu bar, which keyboard and mouse tracking rely on; items a
        // program added since the last layout are made the engine's first, so it measures them.
        if (HMENU bar = HasMenuBar() ? GetMenu(hwnd_) : nullptr)
            ConvertMenu(bar, true);
        CallPrevious(hwnd_, WM_NCCALCSIZE, wParam, lParam);
        if (IsIconic(hwnd_)) {
            *proposed = {window.left, window.top, window.left, window.top};
            return 0;
        }
        const int dpi = WindowDpi(hwnd_);
        const Metrics& m = T().metrics;
        const int f = std::max(1, Scale(m.frameWidth, dpi));
        int top = f + Scale(m.captionHeight, dpi);
        if (HasMenuBar())
            top += Scale(m.menuBarHeight, dpi);
        if (HasMenuBar())
            LayOutSystemBar(window.right - window.left);
        *proposed = {window.left + f, window.top + top, window.right - f, window.bottom - f};
        if (proposed->right < proposed->left)
            proposed->right = proposed->left;
        if (proposed->bottom < proposed->top)
            proposed->bottom = proposed->top;
        return 0;
    }

public:
    // Wine keeps a layout of the menu bar of its own, made by the default WM_NCCALCSIZE at the
    // system's frame and caption sizes, and its menu tracking hit-tests that layout. Laying it
    // out again where the engine draws the bar keeps GetMenuItemRect and Wine's tracking in
    // step with what the user sees.
    void LayOutSystemBar(int windowWidth)
    {
        using DrawMenuBarTempFn = DWORD(WINAPI*)(HWND, HDC, RECT*, HMENU, HFONT);
        static const auto drawMenuBarTemp = reinterpret_cast<DrawMenuBarTempFn>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "DrawMenuBarTemp")));
        HMENU bar = GetMenu(hwnd_);
        if (drawMenuBarTemp == nullptr || bar == nullptr || GetMenuItemCount(bar) <= 0)
            return;
        static HDC scratch = CreateCompatibleDC(nullptr);
        const int dpi = WindowDpi(hwnd_);
        const Metrics& m = T().metrics;
        const int f = std::max(1, Scale(m.frameWidth, dpi));
        const int top = f + Scale(m.captionHeight, dpi);
        for (int pass = 0; pass < 2; ++pass) {
            // Any change of an item makes Wine forget the bar's size, so the call lays it out.
            MENUITEMINFOW info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_DATA;
            if (!GetMenuItemInfoW(bar, 0, TRUE, &info) || !SetMenuItemInfoW(bar, 0, TRUE, &info))
                return;
            // Wine starts the items one pixel below the rectangle's top.
            RECT r{f, top - 1, windowWidth - f, top - 1 + Scale(m.menuBarHeight, dpi)};
            layingOutSystemBar_ = true;
            drawMenuBarTemp(hwnd_, scratch, &r, bar, CurrentTheme()->MenuFont(dpi));
            layingOutSystemBar_ = false;
            // Windows and Wine widen owner-drawn bar items by a few average characters: learn
            // by how much from the first item, and ask for that much less.
            RECT first{};
            RECT window{};
            if (!GetMenuItemRect(hwnd_, bar, 0, &first) || !GetWindowRect(hwnd_, &window))
                return;
            const int asked = BarItemWidth(bar, 0, dpi) - std::max(0, systemBarExtra_);
            const int extra = (first.right - first.left) - asked;
            if (extra == std::max(0, systemBarExtra_) || first.right - window.left >= windowWidth - f)
                return;
            systemBarExtra_ = extra;
        }
    }

    // During Wine's menu tracking: a point on one of the engine's bar items goes to the middle
    // of Wine's rectangle of that item, and a point Wine would take for its bar but that is not
    // on the engine's goes off the window, so both agree on what is under the mouse.
    bool MapMenuPoint(POINT& screen)
    {
        if (!inMenuLoop_ || !HasMenuBar() || WindowFromPoint(screen) != hwnd_)
            return false;
        const Layout l = ComputeLayout();
        RECT w{};
        GetWindowRect(hwnd_, &w);
        const POINT p{screen.x - w.left, screen.y - w.top};
        HMENU bar = GetMenu(hwnd_);
        for (size_t i = 0; i < l.barItems.size(); ++i) {
            if (!PtInRect(&l.barItems[i], p))
                continue;
            RECT item{};
            if (!GetMenuItemRect(hwnd_, bar, static_cast<UINT>(i), &item))
                return false;
            screen = {(item.left + item.right) / 2, (item.top + item.bottom) / 2};
            return true;
        }
        for (int i = 0, n = GetMenuItemCount(bar); i < n; ++i) {
            RECT item{};
            if (GetMenuItemRect(hwnd_, bar, static_cast<UINT>(i), &item) && PtInRect(&item, screen)) {
                screen = {w.left - 1, w.top - 1};
                return true;
            }
        }
        return false;
    }

private:
    void PaintFrame()
    {
        if (!IsWindowVisible(hwnd_))
            return;
        WindowDc target(hwnd_);
        if (target.get() == nullptr)
            return;
        const Layout l = ComputeLayout();
        BackBuffer buffer(target.get(), l.window.right, l.window.bottom);
        if (!buffer.Ok())
            return;
        HDC dc = buffer.Dc();
        const Theme& t = T();
        const Style& frame = active_ ? t.frame : t.frameInactive;
        FillWith(dc, l.window, frame.background);
        Outline(dc, l.window, frame.border);
        PaintCaption(dc, l);
        PaintMenuBarInto(dc, l);
        // Only the frame goes to the screen: the client area is the window's own.
        ExcludeClipRect(target.get(), l.client.left, l.client.top, l.client.right, l.client.bottom);
        buffer.Commit(0, 0, l.window.right, l.window.bottom);
    }

    void PaintCaption(HDC dc, const Layout& l)
    {
        const Theme& t = T();
        const Style& caption = active_ ? t.caption : t.captionInactive;
        FillWith(dc, l.caption, caption.background);
        if (HICON icon = l.icon.right > l.icon.left ? Icon() : nullptr)
            DrawIconEx(dc, l.icon.left, l.icon.top, icon, l.icon.right - l.icon.left, l.icon.bottom - l.icon.top, 0,
                       nullptr, DI_NORMAL);
        std::wstring title(static_cast<size_t>(GetWindowTextLengthW(hwnd_)) + 1, L'\0');
        title.resize(static_cast<size_t>(GetWindowTextW(hwnd_, title.data(), static_cast<int>(title.size()))));
        {
            ScopedSelect font(dc, CurrentTheme()->CaptionFont(l.dpi));
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, ToColorRef(caption.text));
            RECT r = l.title;
            DrawTextW(dc, title.c_str(), -1, &r, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_END_ELLIPSIS | DT_NOPREFIX);
        }
        for (int b : {kClose, kMaxRestore, kMinimize}) {
            if (!l.hasButton[b])
                continue;
            const bool pressed = pressed_ == b && pressedInside_;
            const bool hot = hot_ == b || (pressed_ == b && !pressedInside_);
            const Style* style = &t.button;
            if (b == kClose && (hot || pressed))
                style = &t.closeHot;
            else if (pressed)
                style = &t.buttonPressed;
            else if (hot)
                style = &t.buttonHot;
            PaintStyle(dc, l.buttons[b], *style);
            const Glyph glyph = b == kClose        ? Glyph::Close
                                : b == kMinimize   ? Glyph::Minimize
                                : IsZoomed(hwnd_) ? Glyph::Restore
                                                   : Glyph::Maximize;
            DrawGlyph(dc, l.buttons[b], glyph, style->text, l.dpi);
        }
    }

    int HighlightedBarItem() const
    {
        if (barOpen_ >= 0)
            return barOpen_;
        if (barSelected_ >= 0)
            return barSelected_;
        return inMenuLoop_ ? -1 : barHot_;
    }

    void PaintMenuBarInto(HDC dc, const Layout& l)
    {
        if (l.menuBar.bottom <= l.menuBar.top)
            return;
        const Theme& t = T();
        FillWith(dc, l.menuBar, t.menuBar.background);
        FillSolid(dc, {l.menuBar.left, l.menuBar.bottom - 1, l.menuBar.right, l.menuBar.bottom}, t.menuBar.border);
        HMENU bar = GetMenu(hwnd_);
        ScopedSelect font(dc, CurrentTheme()->MenuFont(l.dpi));
        SetBkMode(dc, TRANSPARENT);
        const int highlighted = HighlightedBarItem();
        for (size_t i = 0; i < l.barItems.size(); ++i) {
            const bool hot = static_cast<int>(i) == highlighted;
            const Style& style = hot ? t.menuBarHot : t.menuBar;
            RECT r = l.barItems[i];
            if (hot)
                PaintStyle(dc, r, style);
            const UINT state = GetMenuState(bar, static_cast<UINT>(i), MF_BYPOSITION);
            SetTextColor(dc, ToColorRef((state & (MF_GRAYED | MF_DISABLED)) ? t.popupDisabled.text : style.text));
            const std::wstring text = MenuItemText(bar, static_cast<UINT>(i));
            DrawTextW(dc, text.c_str(), -1, &r, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
        }
    }

    // Repaints the menu bar alone, as after Wine's own highlighting during menu tracking.
    void PaintMenuBar()
    {
        if (!IsWindowVisible(hwnd_) || !HasMenuBar())
            return;
        const Layout l = ComputeLayout();
        WindowDc target(hwnd_);
        if (target.get() == nullptr)
            return;
        BackBuffer buffer(target.get(), l.window.right, l.window.bottom);
        if (!buffer.Ok())
            return;
        PaintMenuBarInto(buffer.Dc(), l);
        buffer.Commit(l.menuBar.left, l.menuBar.top, l.menuBar.right - l.menuBar.left, l.menuBar.bottom - l.menuBar.top);
    }

    LRESULT OnNcActivate(WPARAM wParam, LPARAM)
    {
        // The default would repaint the whole frame in system colours.
        active_ = wParam != FALSE;
        if (!active_) {
            // The mouse may still rest on the bar while another window takes the focus.
            hot_ = kNoButton;
            barHot_ = barSelected_ = -1;
        }
        PaintFrame();
        return TRUE;
    }

    POINT WindowPoint(LPARAM screen) const
    {
        RECT w{};
        GetWindowRect(hwnd_, &w);
        return {GET_X_LPARAM(screen) - w.left, GET_Y_LPARAM(screen) - w.top};
    }

    int ButtonAt(const Layout& l, POINT p) const
    {
        for (int b : {kClose, kMaxRestore, kMinimize})
            if (l.hasButton[b] && PtInRect(&l.buttons[b], p))
                return b;
        return kNoButton;
    }

    LRESULT OnNcHitTest(LPARAM lParam)
    {
        const Layout l = ComputeLayout();
        const POINT p = WindowPoint(lParam);
        if (!PtInRect(&l.window, p))
            return HTNOWHERE;
        if (PtInRect(&l.client, p))
            return HTCLIENT;
        switch (ButtonAt(l, p)) {
        case kClose: return HTCLOSE;
        case kMaxRestore: return HTMAXBUTTON;
        case kMinimize: return HTMINBUTTON;
        default: break;
        }
        const LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
        const bool sizable = (style & WS_THICKFRAME) && !IsZoomed(hwnd_) && !IsIconic(hwnd_);
        if (sizable) {
            const int grip = std::max(l.frame, Scale(6, l.dpi));
            const bool left = p.x < l.frame, right = p.x >= l.window.right - l.frame;
            const bool top = p.y < l.frame, bottom = p.y >= l.window.bottom - l.frame;
            const bool nearLeft = p.x < grip, nearRight = p.x >= l.window.right - grip;
            const bool nearTop = p.y < grip, nearBottom = p.y >= l.window.bottom - grip;
            if ((top && nearLeft) || (left && nearTop))
                return HTTOPLEFT;
            if ((top && nearRight) || (right && nearTop))
                return HTTOPRIGHT;
            if ((bottom && nearLeft) || (left && nearBottom))
                return HTBOTTOMLEFT;
            if ((bottom && nearRight) || (right && nearBottom))
                return HTBOTTOMRIGHT;
            if (left)
                return HTLEFT;
            if (right)
                return HTRIGHT;
            if (top)
                return HTTOP;
            if (bottom)
                return HTBOTTOM;
        }
        if (PtInRect(&l.icon, p))
            return HTSYSMENU;
        if (PtInRect(&l.caption, p))
            return HTCAPTION;
        if (PtInRect(&l.menuBar, p))
            return HTMENU;
        return HTBORDER;
    }

    LRESULT OnNcLButtonDown(UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (wParam == HTCLOSE || wParam == HTMAXBUTTON || wParam == HTMINBUTTON) {
            // The default would track and paint its own buttons.
            pressed_ = wParam == HTCLOSE ? kClose : wParam == HTMAXBUTTON ? kMaxRestore : kMinimize;
            pressedInside_ = true;
            SetCapture(hwnd_);
            PaintFrame();
            return 0;
        }
        if (wParam == HTMENU) {
            // Hand Wine a point inside its own layout of the item under the mouse, so its menu
            // tracking opens the item the user sees.
            const Layout l = ComputeLayout();
            const POINT p = WindowPoint(lParam);
            for (size_t i = 0; i < l.barItems.size(); ++i) {
                if (!PtInRect(&l.barItems[i], p))
                    continue;
                RECT item{};
                if (GetMenuItemRect(hwnd_, GetMenu(hwnd_), static_cast<UINT>(i), &item)) {
                    const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
                    return CallPrevious(hwnd_, WM_NCLBUTTONDOWN, wParam, at);
                }
            }
            return 0;
        }
        return CallPrevious(hwnd_, message, wParam, lParam);
    }

    LRESULT OnNcMouseMove(UINT message, WPARAM wParam, LPARAM lParam)
    {
        const Layout l = ComputeLayout();
        const POINT p = WindowPoint(lParam);
        const int hot = ButtonAt(l, p);
        int barHot = -1;
        for (size_t i = 0; i < l.barItems.size(); ++i)
            if (PtInRect(&l.barItems[i], p))
                barHot = static_cast<int>(i);
        if (hot != hot_ || barHot != barHot_) {
            hot_ = hot;
            barHot_ = barHot;
            PaintFrame();
        }
        if (!trackingLeave_) {
            TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE | TME_NONCLIENT, hwnd_, 0};
            trackingLeave_ = TrackMouseEvent(&tme) != FALSE;
        }
        return CallPrevious(hwnd_, message, wParam, lParam);
    }

    // The mouse left the frame: no button or bar item is hot any more.
    void ClearHover()
    {
        if (hot_ == kNoButton && barHot_ == -1)
            return;
        hot_ = kNoButton;
        barHot_ = -1;
        PaintFrame();
    }

    LRESULT OnNcMouseLeave(UINT message, WPARAM wParam, LPARAM lParam)
    {
        trackingLeave_ = false;
        ClearHover();
        return CallPrevious(hwnd_, message, wParam, lParam);
    }

    LRESULT OnMouseMove(UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (pressed_ != kNoButton) {
            POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ClientToScreen(hwnd_, &screen);
            const bool inside = ButtonAt(ComputeLayout(), WindowPoint(MAKELPARAM(screen.x, screen.y))) == pressed_;
            if (inside != pressedInside_) {
                pressedInside_ = inside;
                PaintFrame();
            }
            return 0;
        }
        ClearHover();
        return CallPrevious(hwnd_, message, wParam, lParam);
    }

    LRESULT OnLButtonUp(UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (pressed_ == kNoButton)
            return CallPrevious(hwnd_, message, wParam, lParam);
        const int button = pressed_;
        const bool inside = pressedInside_;
        pressed_ = kNoButton;
        hot_ = inside ? button : kNoButton;
        ReleaseCapture();
        PaintFrame();
        if (inside) {
            const WPARAM command = button == kClose        ? SC_CLOSE
                                   : button == kMinimize   ? SC_MINIMIZE
                                   : IsZoomed(hwnd_) ? SC_RESTORE
                                                     : SC_MAXIMIZE;
            POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ClientToScreen(hwnd_, &screen);
            SendMessageW(hwnd_, WM_SYSCOMMAND, command, MAKELPARAM(screen.x, screen.y));
        }
        return 0;
    }

    LRESULT OnCaptureChanged(UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (pressed_ != kNoButton && reinterpret_cast<HWND>(lParam) != hwnd_) {
            pressed_ = kNoButton;
            PaintFrame();
        }
        return CallPrevious(hwnd_, message, wParam, lParam);
    }

    LRESULT WithoutDefaultFramePainting(UINT message, WPARAM wParam, LPARAM lParam)
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

    // A window made while the engine is attached was sized by its program (or its dialog
    // template) for the system's frame: it gets the client size that frame would have left.
    LRESULT OnCreate(UINT message, WPARAM wParam, LPARAM lParam)
    {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        RECT frame{0, 0, 0, 0};
        const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE));
        const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE));
        if (create != nullptr && firstRefresh_ && AdjustWindowRectEx(&frame, style, HasMenuBar(), exStyle)) {
            const RECT client{0, 0, create->cx - (frame.right - frame.left), create->cy - (frame.bottom - frame.top)};
            if (client.right > 0 && client.bottom > 0) {
                KeepClientSize(client);
                originalClient_ = client;
                sizedByEngine_ = WindowSize();
            }
        }
        firstRefresh_ = false;
        return CallPrevious(hwnd_, message, wParam, lParam);
    }

    // The system's own colour brushes: COLOR_x + 1 as a class brush, or GetSysColorBrush.
    static bool IsSystemBrush(HBRUSH brush)
    {
        const auto value = reinterpret_cast<ULONG_PTR>(brush);
        if (value != 0 && value <= COLOR_MENUBAR + 1)
            return true;
        for (int i = 0; i <= COLOR_MENUBAR; ++i)
            if (brush != nullptr && brush == GetSysColorBrush(i))
                return true;
        return false;
    }

    // Only a background the program left to the system becomes the theme's: the class brush
    // stands in for the theme's while the window's own procedure erases.
    LRESULT OnEraseBackground(UINT message, WPARAM wParam, LPARAM lParam)
    {
        const auto classBrush = reinterpret_cast<HBRUSH>(GetClassLongPtrW(hwnd_, GCLP_HBRBACKGROUND));
        if (!IsSystemBrush(classBrush) || IsDialog())
            return CallPrevious(hwnd_, message, wParam, lParam);
        SetClassLongPtrW(hwnd_, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(CurrentTheme()->WindowBrush()));
        const LRESULT result = CallPrevious(hwnd_, message, wParam, lParam);
        SetClassLongPtrW(hwnd_, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(classBrush));
        return result;
    }

    bool IsDialog() const
    {
        wchar_t name[8] = L"";
        GetClassNameW(hwnd_, name, 8);
        return lstrcmpW(name, L"#32770") == 0;
    }

    // The program answers first; only the system's answer is replaced by the theme's colours.
    LRESULT OnCtlColor(UINT message, WPARAM wParam, LPARAM lParam)
    {
        const LRESULT result = CallPrevious(hwnd_, message, wParam, lParam);
        const auto brush = reinterpret_cast<HBRUSH>(result);
        if (result != 0 && !IsSystemBrush(brush))
            return result;
        auto dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, ToColorRef(T().window.text));
        SetBkColor(dc, ToColorRef(T().window.background.from));
        return reinterpret_cast<LRESULT>(CurrentTheme()->WindowBrush());
    }

    static const ItemTag* TagOf(ULONG_PTR data)
    {
        auto* tag = reinterpret_cast<const ItemTag*>(data);
        return Menus().live.count(tag) != 0 ? tag : nullptr;
    }

    LRESULT OnMeasureItem(UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        const ItemTag* tag = mis->CtlType == ODT_MENU ? TagOf(mis->itemData) : nullptr;
        if (tag == nullptr)
            return CallPrevious(hwnd_, message, wParam, lParam);
        const int dpi = WindowDpi(hwnd_);
        const Metrics& m = T().metrics;
        if (tag->bar) {
            mis->itemWidth =
                static_cast<UINT>(std::max(1, BarItemWidth(tag->menu, tag->position, dpi) - std::max(0, systemBarExtra_)));
            mis->itemHeight = static_cast<UINT>(Scale(m.menuBarHeight, dpi));
        } else if (tag->separator) {
            mis->itemWidth = static_cast<UINT>(Scale(40, dpi));
            mis->itemHeight = static_cast<UINT>(Scale(7, dpi));
        } else {
            const std::wstring text = MenuItemText(tag->menu, tag->position);
            const size_t tab = text.find(L'\t');
            HFONT font = CurrentTheme()->PopupFont(dpi);
            int width = MeasureText(font, text.substr(0, tab)).cx;
            if (tab != std::wstring::npos)
                width += Scale(24, dpi) + MeasureText(font, text.substr(tab + 1)).cx;
            // Room for a check mark on the left and a submenu arrow on the right.
            width += 2 * Scale(m.menuItemPadding, dpi) + Scale(16, dpi) + Scale(16, dpi);
            mis->itemWidth = static_cast<UINT>(width);
            mis->itemHeight = static_cast<UINT>(Scale(m.menuItemHeight, dpi));
        }
        return TRUE;
    }

    LRESULT OnDrawItem(UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        const ItemTag* tag = dis->CtlType == ODT_MENU ? TagOf(dis->itemData) : nullptr;
        if (tag == nullptr)
            return CallPrevious(hwnd_, message, wParam, lParam);
        if (tag->bar) {
            // Wine draws the bar item it highlights at its own place: draw the whole bar at ours.
            if (!layingOutSystemBar_)
                PaintMenuBar();
            return TRUE;
        }
        DrawPopupItem(*dis, *tag);
        return TRUE;
    }

    void DrawPopupItem(const DRAWITEMSTRUCT& dis, const ItemTag& tag)
    {
        const Theme& t = T();
        const int dpi = WindowDpi(hwnd_);
        HDC dc = dis.hDC;
        const RECT& r = dis.rcItem;
        if (tag.separator) {
            FillSolid(dc, r, t.popup.background.from);
            const int mid = (r.top + r.bottom) / 2;
            FillSolid(dc, {r.left + Scale(4, dpi), mid, r.right - Scale(4, dpi), mid + std::max(1, Scale(1, dpi))},
                      t.popupSeparator.background.from);
            return;
        }
        const bool disabled = (dis.itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
        const bool selected = (dis.itemState & ODS_SELECTED) != 0;
        const Style& style = selected ? t.popupSelected : t.popup;
        if (selected)
            PaintStyle(dc, r, style);
        else
            FillWith(dc, r, t.popup.background);
        const Color text = disabled ? t.popupDisabled.text : style.text;
        const int padding = Scale(t.metrics.menuItemPadding, dpi);
        const int checkWidth = Scale(16, dpi);
        if (dis.itemState & ODS_CHECKED)
            DrawGlyph(dc, {r.left + padding / 2, r.top, r.left + padding / 2 + checkWidth, r.bottom}, Glyph::Check, text, dpi);
        if (tag.submenu) {
            DrawGlyph(dc, {r.right - checkWidth - padding / 2, r.top, r.right - padding / 2, r.bottom}, Glyph::SubmenuArrow,
                      text, dpi);
            // Windows and Wine draw their own arrow after WM_DRAWITEM, in the same clipped DC.
            ExcludeClipRect(dc, r.right - checkWidth - padding, r.top, r.right, r.bottom);
        }
        const std::wstring label = MenuItemText(tag.menu, tag.position);
        const size_t tab = label.find(L'\t');
        ScopedSelect font(dc, CurrentTheme()->PopupFont(dpi));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, ToColorRef(text));
        RECT textRect{r.left + padding + checkWidth, r.top, r.right - padding - checkWidth, r.bottom};
        DrawTextW(dc, label.c_str(), static_cast<int>(std::min(label.size(), tab)), &textRect,
                  DT_SINGLELINE | DT_VCENTER | DT_LEFT);
        if (tab != std::wstring::npos) {
            const std::wstring shortcut = label.substr(tab + 1);
            DrawTextW(dc, shortcut.c_str(), -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
        }
    }

    LRESULT OnInitMenuPopup(UINT message, WPARAM wParam, LPARAM lParam)
    {
        const LRESULT result = CallPrevious(hwnd_, message, wParam, lParam);
        auto popup = reinterpret_cast<HMENU>(wParam);
        if (HIWORD(lParam) == 0) {
            ConvertMenu(popup, false);
            SetPopupBackground(popup, CurrentTheme()->PopupBrush());
        }
        if (HMENU bar = HasMenuBar() ? GetMenu(hwnd_) : nullptr) {
            const int count = GetMenuItemCount(bar);
            for (int i = 0; i < count; ++i) {
                if (GetSubMenu(bar, i) != popup)
                    continue;
                barOpen_ = i;
                const Layout l = ComputeLayout();
                RECT w{};
                GetWindowRect(hwnd_, &w);
                if (static_cast<size_t>(i) < l.barItems.size()) {
                    popupAt_ = {w.left + l.barItems[i].left, w.top + l.barItems[i].bottom};
                    popupPending_ = true;
                }
            }
        }
        PaintMenuBar();
        return result;
    }

    LRESULT OnMenuState(UINT message, WPARAM wParam, LPARAM lParam)
    {
        const LRESULT result = CallPrevious(hwnd_, message, wParam, lParam);
        switch (message) {
        case WM_ENTERMENULOOP: inMenuLoop_ = true; break;
        case WM_EXITMENULOOP:
            inMenuLoop_ = false;
            barOpen_ = barSelected_ = -1;
            popupPending_ = false;
            break;
        case WM_UNINITMENUPOPUP:
            if (HMENU bar = GetMenu(hwnd_)) {
                for (int i = 0, n = GetMenuItemCount(bar); i < n; ++i)
                    if (GetSubMenu(bar, i) == reinterpret_cast<HMENU>(wParam) && barOpen_ == i)
                        barOpen_ = -1;
            }
            break;
        case WM_MENUSELECT:
            if (HIWORD(wParam) == 0xFFFF && lParam == 0)
                barSelected_ = barOpen_ = -1;
            else if (inMenuLoop_ && reinterpret_cast<HMENU>(lParam) == GetMenu(hwnd_))
                barSelected_ = LOWORD(wParam);
            break;
        default: break;
        }
        PaintMenuBar();
        return result;
    }

    void UpdateRegion(bool redraw)
    {
        // SetWindowRgn moves the window through SetWindowPos, which lands here again.
        if (settingRegion_)
            return;
        settingRegion_ = true;
        UpdateRegionNow(redraw);
        settingRegion_ = false;
    }

    void UpdateRegionNow(bool redraw)
    {
        const int radius = Scale(T().metrics.cornerRadius, WindowDpi(hwnd_));
        RECT w{};
        GetWindowRect(hwnd_, &w);
        const SIZE size{w.right - w.left, w.bottom - w.top};
        if (radius <= 0 || IsZoomed(hwnd_) || IsIconic(hwnd_)) {
            if (hasRegion_) {
                SetWindowRgn(hwnd_, nullptr, TRUE);
                hasRegion_ = false;
            }
            return;
        }
        if (hasRegion_ && size.cx == regionSize_.cx && size.cy == regionSize_.cy && radius == regionRadius_)
            return;
        // The window owns the region once SetWindowRgn succeeds.
        HRGN region = CreateRoundRectRgn(0, 0, size.cx + 1, size.cy + 1, 2 * radius, 2 * radius);
        // After a resize the redraw paints what the old region clipped away.
        if (region != nullptr && SetWindowRgn(hwnd_, region, redraw)) {
            hasRegion_ = true;
            regionSize_ = size;
            regionRadius_ = radius;
        } else if (region != nullptr) {
            DeleteObject(region);
        }
    }

    // Caption text and buttons move with the window's size: the whole frame needs painting,
    // while the client area keeps whatever Windows decided about it.
    void InvalidateFrame()
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

    LRESULT OnWindowPosChanged(UINT message, WPARAM wParam, LPARAM lParam)
    {
        const LRESULT result = CallPrevious(hwnd_, message, wParam, lParam);
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
        // A frame change alone comes from a theme switch, which repaints the whole window anyway.
        if (!(pos->flags & SWP_NOSIZE)) {
            // A region set while Windows is still placing the window (maximising, restoring)
            // moves the window through a SetWindowPos of its own and undoes the placement: the
            // new region waits until the placement is done.
            if (!regionPending_ && PostMessageW(hwnd_, RegionMessage(), 0, 0))
                regionPending_ = true;
            InvalidateFrame();
        }
        return result;
    }

    static UINT RegionMessage()
    {
        static const UINT message = RegisterWindowMessageW(L"Velum.UpdateRegion");
        return message;
    }

    LRESULT OnRegionMessage()
    {
        regionPending_ = false;
        UpdateRegion(true);
        return 0;
    }

    LRESULT OnNcDestroy(UINT message, WPARAM wParam, LPARAM lParam)
    {
        HWND hwnd = hwnd_;
        Frames().erase(hwnd);
        delete this;
        return PassOn(hwnd, message, wParam, lParam);
    }

    HWND hwnd_;
    bool active_;
    int hot_ = kNoButton;
    int pressed_ = kNoButton;
    bool pressedInside_ = false;
    bool trackingLeave_ = false;
    int barHot_ = -1;
    int barOpen_ = -1;
    int barSelected_ = -1;
    bool inMenuLoop_ = false;
    bool popupPending_ = false;
    POINT popupAt_{};
    bool hasRegion_ = false;
    bool settingRegion_ = false;
    bool firstRefresh_ = true;
    bool layingOutSystemBar_ = false;
    bool regionPending_ = false;
    static inline int systemBarExtra_ = -1;
    RECT originalClient_{};
    SIZE sizedByEngine_{-1, -1};
    struct {
        Metrics metrics;
        Font captionFont, menuFont;
    } laidOut_;
    SIZE regionSize_{};
    int regionRadius_ = 0;
};

// Popup menus (class "#32768"): their background and frame. The items are owner-drawn through
// the window that owns the menu.
LRESULT CALLBACK PopupProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    ThemeResources* theme = Popups().count(hwnd) != 0 ? CurrentTheme() : nullptr;
    switch (message) {
    case WM_WINDOWPOSCHANGING: {
        // A popup opened from a skinned menu bar goes under the item the user sees.
        auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
        if (!(pos->flags & SWP_NOMOVE)) {
            for (auto& [frame, window] : Frames()) {
                POINT at{};
                if (window->TakePopupPosition(at)) {
                    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
                    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
                    if (at.x + pos->cx <= screenWidth && at.y + pos->cy <= screenHeight) {
                        pos->x = at.x;
                        pos->y = at.y;
                    }
                    break;
                }
            }
        }
        break;
    }
    case WM_ERASEBKGND:
        if (theme != nullptr) {
            RECT r{};
            GetClientRect(hwnd, &r);
            FillWith(reinterpret_cast<HDC>(wParam), r, theme->Get().popup.background);
            return 1;
        }
        break;
    case WM_PAINT:
        if (theme != nullptr) {
            // The default paint, with Wine's frame, goes to a back buffer first, so the
            // system-coloured frame never reaches the screen.
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            RECT r{};
            GetClientRect(hwnd, &r);
            BackBuffer buffer(dc, r.right, r.bottom);
            if (buffer.Ok()) {
                FillWith(buffer.Dc(), r, theme->Get().popup.background);
                CallPrevious(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(buffer.Dc()), PRF_CLIENT);
                Outline(buffer.Dc(), r, theme->Get().popup.border);
                buffer.Commit(0, 0, r.right, r.bottom);
            }
            EndPaint(hwnd, &ps);
            return 0;
        }
        break;
    case WM_PRINTCLIENT: {
        const LRESULT result = CallPrevious(hwnd, message, wParam, lParam);
        if (theme != nullptr) {
            RECT r{};
            GetClientRect(hwnd, &r);
            Outline(reinterpret_cast<HDC>(wParam), r, theme->Get().popup.border);
        }
        return result;
    }
    case WM_NCDESTROY: Popups().erase(hwnd); break;
    default: break;
    }
    return PassOn(hwnd, message, wParam, lParam);
}

}  // namespace

int WindowDpi(HWND hwnd)
{
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow != nullptr) {
        const UINT dpi = getDpiForWindow(hwnd);
        if (dpi != 0)
            return static_cast<int>(dpi);
    }
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen != nullptr)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

bool WantsFrameSkin(HWND hwnd)
{
    const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    return (style & WS_CHILD) == 0 && (style & WS_CAPTION) == WS_CAPTION;
}

void SkinFrameWindow(HWND hwnd)
{
    if (Frames().count(hwnd) != 0)
        return;
    auto* window = new FrameWindow(hwnd);
    Frames()[hwnd] = window;
    if (Subclasses().count(hwnd) == 0 && !InstallSubclass(hwnd, FrameWindow::Proc)) {
        Frames().erase(hwnd);
        delete window;
    }
}

void SkinPopupMenu(HWND hwnd)
{
    if (Popups().count(hwnd) != 0)
        return;
    Popups().insert(hwnd);
    if (Subclasses().count(hwnd) == 0 && !InstallSubclass(hwnd, PopupProc))
        Popups().erase(hwnd);
}

void BeforeMinMax(HWND hwnd, int command)
{
    const auto found = Frames().find(hwnd);
    if (found != Frames().end())
        found->second->BeforeMinMax(command);
}

bool MapMenuPoint(POINT& screen)
{
    for (auto& [hwnd, window] : Frames())
        if (window->MapMenuPoint(screen))
            return true;
    return false;
}

void RefreshSkinnedWindows()
{
    for (auto& [hwnd, window] : Frames())
        window->Refresh();
    for (auto& [menu, original] : Menus().popupBackgrounds)
        if (IsMenu(menu))
            SetPopupBackground(menu, CurrentTheme()->PopupBrush());
    for (HWND popup : Popups())
        RedrawWindow(popup, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
}

void UnskinAll()
{
    for (HWND popup : std::vector<HWND>(Popups().begin(), Popups().end()))
        RemoveSubclass(popup);
    Popups().clear();
    RestoreMenus();
    const auto frames = Frames();
    Frames().clear();
    for (auto& [hwnd, window] : frames) {
        window->Unskin();
        delete window;
    }
}

}  // namespace velum
