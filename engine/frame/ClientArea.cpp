#include "ClientArea.h"

#include "ControlClasses.h"
#include "Contrast.h"
#include "Engine.h"
#include "Exclusions.h"
#include "FieldSkin.h"
#include "SystemColourAnswers.h"
#include "SystemColours.h"
#include "WindowRegistry.h"

namespace velum {

namespace {

// The window's own procedure erases, as it would without the engine, with `brush` as its class
// background for the while: a program that paints its background itself keeps it, and
// DefWindowProc fills with `brush`.
LRESULT EraseWithClassBackground(HWND hwnd, HBRUSH brush, UINT message, WPARAM wParam, LPARAM lParam)
{
    const LONG_PTR classBrush = GetClassLongPtrW(hwnd, GCLP_HBRBACKGROUND);
    SetClassLongPtrW(hwnd, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(brush));
    const LRESULT result = CallPrevious(hwnd, message, wParam, lParam);
    SetClassLongPtrW(hwnd, GCLP_HBRBACKGROUND, classBrush);
    return result;
}

}  // namespace

LRESULT EraseClientBackground(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Dialogs erase with their WM_CTLCOLORDLG brush, answered below.
    const auto classBrush = reinterpret_cast<HBRUSH>(GetClassLongPtrW(hwnd, GCLP_HBRBACKGROUND));
    if (!IsSystemBrush(classBrush) || IsDialogWindow(hwnd))
        return CallPrevious(hwnd, message, wParam, lParam);
    return EraseWithClassBackground(hwnd, CurrentTheme()->WindowBrush(), message, wParam, lParam);
}

bool HasNoClassBackground(HWND hwnd)
{
    // Dialogs erase with their WM_CTLCOLORDLG brush.
    return GetClassLongPtrW(hwnd, GCLP_HBRBACKGROUND) == 0 && !IsDialogWindow(hwnd);
}

namespace {

// A child that paints only part of its rectangle and shows its parent through the rest: a
// group box, or a window that says it is transparent.
bool ShowsParentThrough(HWND child)
{
    if ((GetWindowLongPtrW(child, GWL_EXSTYLE) & WS_EX_TRANSPARENT) != 0)
        return true;
    return ControlFamilyOf(child) == ControlFamily::Button && (StyleOf(child) & BS_TYPEMASK) == BS_GROUPBOX;
}

}  // namespace

bool EraseUncoveredClient(HWND hwnd, HDC dc)
{
    if (!HasNoClassBackground(hwnd) || dc == nullptr)
        return false;
    const int saved = SaveDC(dc);
    for (HWND child = GetWindow(hwnd, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child) || ShowsParentThrough(child))
            continue;
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
        ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
    }
    RECT client{};
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, CurrentTheme()->WindowBrush());
    RestoreDC(dc, saved);
    return true;
}

namespace {

// Set before the program answers a colour message, to tell whether it chose a text colour.
constexpr COLORREF kNoTextChosen = RGB(0x01, 0x02, 0x03);

}  // namespace

TextWatch WatchTextColour(HDC dc)
{
    return {dc, SetTextColor(dc, kNoTextChosen)};
}

LRESULT ReadableAnswer(const TextWatch& watch, LRESULT answer)
{
    const COLORREF text = GetTextColor(watch.dc);
    if (text == kNoTextChosen || text == CLR_INVALID) {
        SetTextColor(watch.dc, watch.before);
        return answer;
    }
    LOGBRUSH brush{};
    if (answer == 0 || IsSystemBrush(reinterpret_cast<HBRUSH>(answer)) ||
        GetObjectW(reinterpret_cast<HBRUSH>(answer), sizeof brush, &brush) != sizeof brush ||
        brush.lbStyle != BS_SOLID || ContrastRatio(ColorOfRef(text), ColorOfRef(brush.lbColor)) >= kReadableText)
        return answer;
    const std::optional<int> index = ThemeBackgroundIndex(brush.lbColor);
    if (!index)
        return answer;  // the program's own brush: both colours are its choice
    SetBkColor(watch.dc, GetSysColor(*index));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(*index));
}

LRESULT ColorControl(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result =
        AskReadably(reinterpret_cast<HDC>(wParam), [&] { return CallPrevious(hwnd, message, wParam, lParam); });
    if (result != 0 && !IsSystemBrush(reinterpret_cast<HBRUSH>(result)))
        return result;
    return ThemeControlColour(message, wParam, lParam, result);
}

LRESULT ThemeControlColour(UINT message, WPARAM wParam, LPARAM lParam, LRESULT systemAnswer)
{
    // A control the program excluded keeps the colours it would have without the engine.
    if (IsExcluded(reinterpret_cast<HWND>(lParam)))
        return systemAnswer;
    ThemeResources* theme = CurrentTheme();
    auto dc = reinterpret_cast<HDC>(wParam);
    // Edits, lists and combo boxes stand on the field colours; read-only and disabled edits ask
    // with the message of a static.
    if (HBRUSH field = AnswerFieldColours(reinterpret_cast<HWND>(lParam), message, dc))
        return reinterpret_cast<LRESULT>(field);
    if (message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX) {
        if (HBRUSH other = AnswerOtherFieldColours(reinterpret_cast<HWND>(lParam), dc))
            return reinterpret_cast<LRESULT>(other);
        return systemAnswer;
    }
    SetTextColor(dc, ToColorRef(theme->Get().window.text));
    SetBkColor(dc, ToColorRef(theme->Get().window.background.from));
    // A control that deletes the brush it is answered with gets one of its own.
    if (HBRUSH lent = LentBrushes::Lend(ToColorRef(theme->Get().window.background.from)))
        return reinterpret_cast<LRESULT>(lent);
    return reinterpret_cast<LRESULT>(theme->WindowBrush());
}

LRESULT EraseWithThemeSystemColour(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto classBrush = GetClassLongPtrW(hwnd, GCLP_HBRBACKGROUND);
    HBRUSH theme = classBrush >= 1 && classBrush <= kSystemColourCount
                       ? ThemeSystemColourBrush(static_cast<int>(classBrush) - 1)
                       : nullptr;
    if (theme == nullptr)
        return CallPrevious(hwnd, message, wParam, lParam);
    return EraseWithClassBackground(hwnd, theme, message, wParam, lParam);
}

}  // namespace velum
