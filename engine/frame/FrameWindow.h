// A top-level window with a caption, drawn by the engine. Its one window procedure and its
// handlers are in FrameWindow.cpp; painting the frame, caption and bar in FramePaint.cpp; a
// theme switch and detach in FrameThemeSwitch.cpp; the client size and the window region in
// FrameSizing.cpp; keeping Wine's menu tracking in step with the drawn frame in
// menus/MenuTracking.cpp.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "CaptionButtons.h"
#include "CompositorFrame.h"
#include "FrameLayout.h"
#include "MenuBar.h"
#include "ThemeFile.h"

namespace velum {

class ArtImage;

class FrameWindow {
public:
    explicit FrameWindow(HWND hwnd);
    FrameWindow(const FrameWindow&) = delete;
    FrameWindow& operator=(const FrameWindow&) = delete;

    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    // After a theme change: new metrics, new menus, a full repaint. A window the user cannot
    // resize, or one not shown yet, keeps its client size, so a program's layout holds; a
    // shown, resizable window keeps its outer size, so it does not jump under the user.
    void Refresh();
    // Gives the window back its own procedure, frame and region.
    void Unskin();
    bool TakePopupPosition(POINT& at, bool& fromRight) { return menuBar_.TakePopupPosition(at, fromRight); }

    // Windows is about to minimise, maximise or restore the window (a ShowWindow command).
    void BeforeMinMax(int command);
    // During Wine's menu tracking: moves a mouse point on the bar the user sees to Wine's own
    // layout of the bar. True when the point changed.
    bool MapMenuPoint(POINT& screen);
    // A right-to-left window's bar item as drawn, in screen coordinates, for a program asking
    // GetMenuItemRect; false for any other window or menu, which the system answers.
    bool DrawnBarItemRect(HMENU menu, UINT item, RECT& r) const;
    // Wine's tracking of a right click on the caption saw the button go up at `screen`.
    void RightButtonReleased(POINT screen);
    // dwmapi came into the process after the window was skinned: the compositor is told now.
    void CompositorLoaded();

private:
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

    LRESULT OnNcCalcSize(WPARAM wParam, LPARAM lParam);
    bool TakesCaptionIntoClient(const RECT& window, const RECT& answered) const;
    LRESULT OnCreate(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnRegionMessage();
    LRESULT OnNcActivate(WPARAM wParam);
    LRESULT OnTitleBarInfo(LPARAM lParam);
    LRESULT OnNcHitTest(LPARAM lParam);
    LRESULT OnNcLButtonDown(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OutsideCaptionButtons(UINT message, LPARAM lParam);
    LRESULT OnNcRButtonDown(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnContextMenu(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnNcMouseMove(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnNcMouseLeave(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseMove(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnLButtonUp(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnCaptureChanged(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnScroll(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnEraseBackground(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnSetText(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT WithoutDefaultFramePainting(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMeasureItem(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnDrawItem(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnNotify(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnInitMenuPopup(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMenuState(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnWindowPosChanging(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnWindowPosChanged(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnDpiChanged(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnGetDpiScaledSize(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnNcDestroy(UINT message, WPARAM wParam, LPARAM lParam);

    const Theme& ThemeInUse() const;
    HICON Icon() const;
    // The theme's images for this window's frame and caption in its state, or null.
    const ArtImage* FrameImage() const;
    const ArtImage* CaptionImage() const;
    int ImageState(const ArtImage* image) const;
    void DrawFrameImage(HDC dc, const ArtImage& image, const RECT& window, const Fill& fill) const;
    std::wstring Title() const;
    // What the title needs in the caption font, measured once for each text, font and DPI.
    int TitleWidth(int dpi) const;
    // The window's styles as the frame shows them; `icon` gets the icon it asked the program for.
    FrameStyle CurrentStyle(HICON* icon = nullptr) const;
    // The frame's layout now; `icon` as for CurrentStyle.
    FrameLayout Layout(HICON* icon = nullptr) const;
    // At the window's DPI, or at `dpi` when one is given.
    FrameLayout LayoutFor(const FrameStyle& style, int width, int height, int dpi = 0) const;
    // A point in screen coordinates, relative to the window's top left corner.
    Point WindowPoint(LPARAM screen) const;
    SIZE WindowSize() const;
    // A point Wine's own hit test takes for the system-menu icon, in screen coordinates.
    POINT SystemIconPoint() const;
    bool ShownAndResizable() const;
    void LayOutSystemBar(int windowWidth, const FrameStyle& style);
    static UINT RegionMessage();

    void PaintFrame();
    void PaintCaption(HDC dc, const FrameLayout& l, HICON icon) const;
    void PaintMenuBar();
    // The mouse left the frame: no button or bar item is hot any more.
    void ClearHover();
    void UpdateRegion(bool redraw);
    void UpdateRegionNow(bool redraw);
    // Tells the compositor whose frame this is and who shapes its corners, after anything that
    // may change either: the theme, the window's own caption, a composition or theme change.
    void FollowCompositor();
    LRESULT OnCompositorChanged(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnSystemSettingsChanged(UINT message, WPARAM wParam, LPARAM lParam);
    void NonClientMetricsChanged();
    void WorkAreaChanged();
    // Where a maximised window lies so that its frame hangs over the work area's edges.
    RECT MaximisedOver(const RECT& work) const;
    LRESULT OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnUpdateUiState(UINT message, WPARAM wParam, LPARAM lParam);
    void InvalidateFrame();
    // Resizes the window so its client area is `client` again after the frame changed size.
    void KeepClientSize(const RECT& client);

    // A maximised MDI child's frame lies outside its MDI client, where the system placed it for
    // its own frame: the system keeps it then. So does a window that took its caption into its
    // client area.
    bool SystemKeepsFrame() const;
    bool MdiChildZoomed() const;

    HWND hwnd_;
    bool active_;
    const bool mdiChild_;
    CaptionButtons buttons_;
    MenuBar menuBar_;
    CompositorFrame compositor_;
    bool trackingLeave_ = false;
    bool hasRegion_ = false;
    bool settingRegion_ = false;
    bool firstRefresh_ = true;
    bool layingOutSystemBar_ = false;
    bool regionPending_ = false;
    // The frame changed under a window without a class background: its next erase fills what
    // its children leave uncovered.
    bool eraseUncovered_ = false;
    bool menuLoopSeen_ = false;
    bool rightReleased_ = false;
    bool contextMenuSent_ = false;
    // The program answers WM_NCCALCSIZE itself and leaves less above its client area than the
    // system's frame would (a custom title bar): it draws its caption, the system what it left.
    bool ownCaption_ = false;
    bool firstCalculationSeen_ = false;
    // The monitor edges where the maximised window leaves a band for an auto-hide taskbar.
    unsigned autoHideEdges_ = 0;
    POINT rightRelease_{};
    HMENU borrowedMenu_ = nullptr;
    // WM_NCCALCSIZE messages handled so far: tells whether a call changed the frame.
    unsigned frameCalculations_ = 0;
    // How much wider than asked Windows and Wine make an owner-drawn bar item (-1: not known yet).
    static inline int systemBarExtra_ = -1;
    RECT originalClient_{};
    SIZE sizedByEngine_{-1, -1};
    struct {
        Metrics metrics;
        Font captionFont, menuFont;
    } laidOut_;
    mutable struct {
        HFONT font = nullptr;  // measured in; none: not measured since the text changed
        int dpi = 0;
        int width = 0;
    } titleWidth_;
    // Where the engine last placed the window maximised.
    RECT maximisedAt_{};
    SIZE regionSize_{};
    int regionRadius_ = 0;
    // The frame image's corners that cut the region, when one shapes the window.
    std::optional<CornerCutouts> regionCutouts_;
};

}  // namespace velum
