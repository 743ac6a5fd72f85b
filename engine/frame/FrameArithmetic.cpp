#include "FrameArithmetic.h"

#include <array>
#include <algorithm>
#include <optional>

#include "Engine.h"
#include "FrameLayout.h"
#include "FrameWindow.h"
#include "ImportPatches.h"
#include "ScreenDpi.h"
#include "WindowRegistry.h"

namespace velum {

namespace {

using AdjustWindowRectFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL);
using AdjustWindowRectExFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
using GetSystemMetricsFn = int(WINAPI*)(int);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using GetMenuItemRectFn = BOOL(WINAPI*)(HWND, HMENU, UINT, LPRECT);

struct SystemCalls {
    AdjustWindowRectFn adjust = User32Function<AdjustWindowRectFn>("AdjustWindowRect");
    AdjustWindowRectExFn adjustEx = User32Function<AdjustWindowRectExFn>("AdjustWindowRectEx");
    AdjustWindowRectExForDpiFn adjustForDpi = User32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
    GetSystemMetricsFn metrics = User32Function<GetSystemMetricsFn>("GetSystemMetrics");
    GetSystemMetricsForDpiFn metricsForDpi = User32Function<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
    GetMenuItemRectFn menuItemRect = User32Function<GetMenuItemRectFn>("GetMenuItemRect");
};

const SystemCalls& System()
{
    static const SystemCalls calls;
    return calls;
}

ImportPatches& Patches()
{
    static ImportPatches patches;
    return patches;
}

// comctl32 sizes a property sheet or wizard for its pages through AdjustWindowRect: asked the
// system, it would give the sheet the system's frame around the engine's client area.
ImportPatches& CommonControlPatches()
{
    static ImportPatches patches;
    return patches;
}

// The theme's metrics when the calling thread is the skinned one.
const Metrics* MetricsHere()
{
    if (!OnSkinnedThread())
        return nullptr;
    const ThemeResources* theme = CurrentTheme();
    return theme != nullptr ? &theme->Get().metrics : nullptr;
}

// True when the style is one the engine draws a frame for, and the rectangle now has its extents.
bool Adjust(RECT* rect, DWORD style, BOOL menu, DWORD exStyle, int dpi)
{
    const bool framed =
        (style & WS_CAPTION) == WS_CAPTION && ((style & WS_CHILD) == 0 || (exStyle & WS_EX_MDICHILD) != 0);
    const Metrics* metrics = framed && rect != nullptr ? MetricsHere() : nullptr;
    if (metrics == nullptr)
        return false;
    FrameStyle s;
    s.sizable = (style & WS_THICKFRAME) != 0;
    s.toolWindow = (exStyle & WS_EX_TOOLWINDOW) != 0;
    s.menuBar = menu != FALSE;
    const FrameInsets insets = InsetsOf(*metrics, dpi, s);
    rect->left -= insets.left;
    rect->top -= insets.top;
    rect->right += insets.right;
    rect->bottom += insets.bottom;
    return true;
}

// The frame metrics a program adds up to the same extents: the sizing or fixed frame on each
// side, the caption above and a menu-bar row below it, and no padding.
std::optional<int> FrameMetric(int index, int dpi)
{
    const Metrics* m = MetricsHere();
    if (m == nullptr)
        return std::nullopt;
    switch (index) {
    case SM_CYCAPTION:
    case SM_CYSMCAPTION: return Scale(m->captionHeight, dpi);
    case SM_CXSIZEFRAME:
    case SM_CYSIZEFRAME:
    case SM_CXFIXEDFRAME:
    case SM_CYFIXEDFRAME: return std::max(1, Scale(m->frameWidth, dpi));
    case SM_CXPADDEDBORDER: return 0;
    case SM_CYMENU: return Scale(m->menuBarHeight, dpi);
    default: return std::nullopt;
    }
}

BOOL WINAPI AdjustWindowRectHere(LPRECT rect, DWORD style, BOOL menu)
{
    return Adjust(rect, style, menu, 0, ScreenDpi()) ? TRUE : System().adjust(rect, style, menu);
}

BOOL WINAPI AdjustWindowRectExHere(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle)
{
    return Adjust(rect, style, menu, exStyle, ScreenDpi()) ? TRUE : System().adjustEx(rect, style, menu, exStyle);
}

BOOL WINAPI AdjustWindowRectExForDpiHere(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle, UINT dpi)
{
    return Adjust(rect, style, menu, exStyle, static_cast<int>(dpi))
               ? TRUE
               : System().adjustForDpi(rect, style, menu, exStyle, dpi);
}

int WINAPI GetSystemMetricsHere(int index)
{
    if (const auto value = FrameMetric(index, ScreenDpi()))
        return *value;
    return System().metrics(index);
}

int WINAPI GetSystemMetricsForDpiHere(int index, UINT dpi)
{
    if (const auto value = FrameMetric(index, static_cast<int>(dpi)))
        return *value;
    return System().metricsForDpi(index, dpi);
}

// Wine answers a right-to-left window's bar items unmirrored, away from where they are drawn.
BOOL WINAPI GetMenuItemRectHere(HWND hwnd, HMENU menu, UINT item, LPRECT rect)
{
    const BOOL got = System().menuItemRect(hwnd, menu, item, rect);
    if (got && rect != nullptr && OnSkinnedThread())
        if (const FrameWindow* frame = FindFrame(hwnd))
            frame->DrawnBarItemRect(menu, item, *rect);
    return got;
}

}  // namespace

void AnswerFrameArithmetic(HMODULE engine)
{
    if (Patches().Applied())
        return;
    const SystemCalls& system = System();
    const std::array replacements{
        ImportReplacement::Of(system.adjust, &AdjustWindowRectHere),
        ImportReplacement::Of(system.adjustEx, &AdjustWindowRectExHere),
        ImportReplacement::Of(system.adjustForDpi, &AdjustWindowRectExForDpiHere),
        ImportReplacement::Of(system.metrics, &GetSystemMetricsHere),
        ImportReplacement::Of(system.metricsForDpi, &GetSystemMetricsForDpiHere),
        ImportReplacement::Of(system.menuItemRect, &GetMenuItemRectHere),
    };
    const std::array except{engine};
    Patches().Apply(replacements, PatchedModules::Program, except);
    CommonControlPatches().Apply(std::span(replacements).first(3), PatchedModules::CommonControls, except);
}

bool StopAnsweringFrameArithmetic()
{
    const bool program = Patches().Restore();
    return CommonControlPatches().Restore() && program;
}

}  // namespace velum
