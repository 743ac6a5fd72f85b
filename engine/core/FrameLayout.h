// Where every part of a skinned window's frame goes: a pure function of the theme's metrics, the
// DPI, the window's size and styles, and the widths of its menu-bar items. Portable C++ with no
// Windows headers, so it is tested natively at any DPI.
#pragma once

#include <initializer_list>
#include <vector>

#include "ThemeFile.h"

namespace velum {

struct Point {
    int x = 0, y = 0;
};

// Left and top inside, right and bottom outside, as Windows counts.
struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Empty() const { return right <= left || bottom <= top; }
    bool Contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// pixels * dpi / 96 rounded half away from zero, exactly as Windows' MulDiv does.
int Scale(int pixels, int dpi);

enum CaptionButton { kNoButton = -1, kClose = 0, kMaxRestore = 1, kMinimize = 2 };
inline constexpr int kCaptionButtons = 3;

// What a window's styles say about its frame.
struct FrameStyle {
    bool caption = true;       // WS_CAPTION
    bool sysMenu = true;       // WS_SYSMENU: a close button and room for the icon
    bool minimizeBox = true;   // WS_MINIMIZEBOX
    bool maximizeBox = true;   // WS_MAXIMIZEBOX
    bool toolWindow = false;   // WS_EX_TOOLWINDOW: close button only, no icon
    bool dialogFrame = false;  // WS_EX_DLGMODALFRAME: no icon
    bool icon = false;         // the window has an icon to show
    bool sizable = true;       // WS_THICKFRAME
    bool iconic = false;
    bool zoomed = false;
    bool menuBar = false;
    // WS_EX_LAYOUTRTL: laid out as Windows mirrors a right-to-left window, the icon and title at
    // the right, the buttons at the left and the bar's items from the right.
    bool rightToLeft = false;
    int titleWidth = 0;  // what the title's text needs, in pixels; 0 asks for no room
    // The system's sizing border at the window's DPI (its sizing frame and padded border): a
    // sizable window resizes from a band at least this wide along each edge, whatever the
    // theme's frame, reaching into the client area where the frame is thinner.
    int sizingBorder = 0;
    // Where a maximised window's client area meets an edge of the monitor that an auto-hide
    // taskbar sits on (kEdge* bits): a band of kAutoHideBand pixels is left there, or the window
    // counts as full-screen and the taskbar no longer rises to the pointer.
    unsigned autoHideEdges = 0;
};

inline constexpr unsigned kEdgeLeft = 1, kEdgeTop = 2, kEdgeRight = 4, kEdgeBottom = 8;
inline constexpr int kAutoHideBand = 2;

// Window-relative rectangles: the window's own left and top are 0, as the screen shows it also
// when the layout is mirrored.
struct FrameLayout {
    int dpi = 96;
    bool mirrored = false;  // laid out right to left
    Rect window;
    int frame = 0;
    int corner = 0;  // radius of the rounded corners; 0 when square
    Rect caption;
    Rect icon;  // empty when there is none
    Rect title;
    Rect buttons[kCaptionButtons]{};
    bool hasButton[kCaptionButtons]{};
    Rect menuBar;                // all rows; empty without a menu bar
    std::vector<Rect> barRows;   // one a row, top to bottom
    std::vector<Rect> barItems;  // one an item, in menu order
    Rect client;
};

// Items go left to right (right to left when mirrored) and wrap onto a further row when they do not fit; an item wider
// than a whole row has a row of its own. The client area starts below the last row.
FrameLayout LayOutFrame(const Metrics& metrics, int dpi, int width, int height, const FrameStyle& style,
                        const std::vector<int>& barItemWidths);

// How far the frame reaches in from each edge of the window to the client area: a caption, and
// one row of menu bar when the style has one. A window's frame arithmetic (AdjustWindowRectEx)
// asked for a skinned style is answered with these.
struct FrameInsets {
    int left = 0, top = 0, right = 0, bottom = 0;
    friend bool operator==(const FrameInsets&, const FrameInsets&) = default;
};
FrameInsets InsetsOf(const Metrics& metrics, int dpi, const FrameStyle& style);

// What a point is over, in the order Windows' own WM_NCHITTEST answers mirror.
enum class HitArea {
    Nowhere,
    Client,
    Caption,
    SysMenu,
    Menu,
    MinButton,
    MaxButton,
    Close,
    Left,
    Right,
    Top,
    TopLeft,
    TopRight,
    Bottom,
    BottomLeft,
    BottomRight,
    Border
};

// Takes points as the screen shows them, so a mirrored layout answers each part where it is
// drawn, and its sizing edges by the screen's sides, as Windows answers a mirrored window's.
// Sizing edges only for a sizable window that is neither zoomed nor iconic, in a band of the
// frame or the system's sizing border, whichever is wider; a corner takes the most of the band,
// 6 px at the DPI and a caption button's height along each edge, and a rounded corner also the
// square of its radius (caption buttons keep their points).
HitArea HitTest(const FrameLayout& layout, const FrameStyle& style, Point p);

// Moves the bar's items from `first` on to the right end of the last row (the left end when
// mirrored), keeping their order, as Windows does from the first right-justified item on. Items on an earlier row, and
// any that would have to move left, stay where they are.
void RightJustifyBarItems(FrameLayout& layout, size_t first);

CaptionButton ButtonAt(const FrameLayout& layout, Point p);

Rect Intersect(const Rect& a, const Rect& b);
// What of r lies outside hole: at most four rectangles, none empty and none overlapping.
std::vector<Rect> Subtract(const Rect& r, const Rect& hole);
// What of r lies outside every one of the holes, as rectangles that do not overlap.
std::vector<Rect> Subtract(const Rect& r, std::initializer_list<Rect> holes);

// The frame below the caption band (from `top` down), the client area left out: the fill inside
// the window's one-pixel outline, and that outline, each as rectangles drawn straight, with no
// clip region to set up on the window's DC.
struct FrameEdges {
    std::vector<Rect> fill;
    std::vector<Rect> outline;
};
FrameEdges EdgesBelow(const Rect& window, int top, const Rect& client);
// The menu-bar item under p, or -1.
int BarItemAt(const FrameLayout& layout, Point p);

}  // namespace velum
