// The desktop compositor's part in a skinned frame. On Windows the compositor draws a captioned
// window's frame and buttons itself unless its non-client rendering is turned off, and Windows
// 11's rounds and outlines the window. A skinned frame turns the first off and, where the
// compositor takes them, hands it the theme's corners and edge colour in place of a region.
// dwmapi is looked up at run time: where it is missing, nothing is set and regions shape
// every window.
#pragma once

#include <windows.h>

#include "WindowCorners.h"

namespace velum {

class CompositorFrame {
public:
    // Turns the compositor's frame off for `hwnd` and tells it the theme's corners, or gives
    // them back when `skinned` is false (the system keeps the frame of a window that draws its
    // own title bar). Safe to call again after a switch, a theme or a composition change.
    // False when dwmapi is not in the process yet (LoadCompositorLater).
    bool Follow(HWND hwnd, bool skinned, const WindowCornersInput& theme);
    // The edge colour for the window's activation state, where the compositor draws the edge.
    void SetEdge(HWND hwnd, Color edge);
    // What the window had before the engine: its rendering policy, corners and edge.
    void GiveBack(HWND hwnd);
    // The engine cuts the window's corners with a region.
    bool RegionShapes() const { return corners_.region; }

private:
    bool taken_ = false;
    bool programTurnedOff_ = false;  // the program had turned the compositor's frame off itself
    WindowCorners corners_;
};

// Brings dwmapi into the process where the program did not, once the calling thread's queue is
// empty, then calls `then` (on that thread, from its message loop).
void LoadCompositorLater(void (*then)());

// The Windows build the system reports (RtlGetVersion, which no compatibility layer rounds
// down), or 0.
unsigned long WindowsBuild();

// The desktop is composed: what a window paints reaches the screen when the compositor next
// presents it, not as it is drawn (always so from Windows 8 on; never under Wine).
bool DesktopComposed();

// The edges of `monitor` (kEdge* bits) that an auto-hide taskbar sits on and that the work area
// reaches, where a maximised window must leave a band for the taskbar to rise. Asks the shell,
// which is loaded only now, when a window is maximised.
unsigned AutoHideTaskbarEdges(HMONITOR monitor);

// Lets go of dwmapi and the shell if the engine loaded them; at the last detach.
void ReleaseCompositor();

}  // namespace velum
