// Under a visual style the system draws progress bars in the style's colours whatever it is
// told, so the engine draws them: track, border and the filled part. A marquee animates by
// itself and keeps the system's drawing.
#include "ProgressSkin.h"

#include <commctrl.h>

#include <algorithm>

#include "ThemeArtwork.h"
#include "ControlPaint.h"
#include "Engine.h"
#include "WindowRegistry.h"

namespace velum {

LRESULT PaintProgress(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
    if ((style & PBS_MARQUEE) != 0)
        return CallPrevious(hwnd, message, wParam, lParam);
    const Style& look = CurrentTheme()->Controls().common.progress;
    const Style& filled = CurrentTheme()->Controls().common.progressBar;
    // Disabled, the filled part fades halfway into the track.
    const bool enabled = IsWindowEnabled(hwnd) != FALSE;
    const Color faded = Mix(filled.background.from, look.background.from, 50);
    const Fill bar = enabled ? filled.background : Fill{faded, faded, true};
    PBRANGE range{};
    CallPrevious(hwnd, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    const auto position = static_cast<int>(CallPrevious(hwnd, PBM_GETPOS, 0, 0));
    PaintThroughBuffer(hwnd, message, wParam, [&](HDC dc, const RECT& client) {
        PaintStyle(dc, client, look);
        RECT done = client;
        InflateRect(&done, -1, -1);
        const int span = range.iHigh - range.iLow;
        const int part = span > 0 ? std::clamp(position - range.iLow, 0, span) : 0;
        if ((style & PBS_VERTICAL) != 0)
            done.top = done.bottom - (span > 0 ? MulDiv(done.bottom - done.top, part, span) : 0);
        else
            done.right = done.left + (span > 0 ? MulDiv(done.right - done.left, part, span) : 0);
        if (done.right > done.left && done.bottom > done.top) {
            FillWith(dc, done, bar);
            if (enabled)
                DrawStyleImage(dc, done, filled.image);
        }
    });
    return 0;
}

}  // namespace velum
