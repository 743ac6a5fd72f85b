#include "SystemDrawnSkin.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <optional>
#include <utility>
#include <vector>

#include "ClientArea.h"
#include "ControlClasses.h"
#include "ControlPaint.h"
#include "Engine.h"
#include "FieldSkin.h"
#include "Handles.h"
#include "PartWindows.h"
#include "SystemColourAnswers.h"
#include "SystemColours.h"

namespace velum {

namespace {

// A month calendar's colours (MCSC_BACKGROUND ... MCSC_TRAILINGTEXT) and the system colour
// each stands for by default.
constexpr std::array<int, 6> kMonthColourDefaults{COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_ACTIVECAPTION,
                                                  COLOR_WINDOW, COLOR_WINDOW,     COLOR_GRAYTEXT};

// The controls among these that need more than their visual style turned off.
enum class Kind { Other, MonthCalendar, IpAddress, Link, DatePicker };

struct SystemDrawn {
    Kind kind = Kind::Other;
    bool pending = false;      // not made yet
    bool classic = false;      // the engine turned its visual style off
    bool tookColours = false;  // a month calendar the engine gave the theme's colours
    bool ownColours = false;   // a month calendar whose program chose its colours
    bool heldStyle = false;    // an IP address control that drew from a visual style
    // A link's text and link colours, read when it was made: the system's, or the theme's of
    // the time when it was made under the engine.
    COLORREF madeText = CLR_INVALID, madeLink = CLR_INVALID;
};

PartWindows<SystemDrawn>& Controls()
{
    static PartWindows<SystemDrawn> controls;
    return controls;
}

using SetWindowThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
using GetWindowThemeFn = HANDLE(WINAPI*)(HWND);
using OpenThemeDataFn = HANDLE(WINAPI*)(HWND, LPCWSTR);

// A function of the visual styles' DLL; null when the program has none loaded: then nothing
// draws from a style.
template <class Fn>
Fn StyleCall(const char* name)
{
    HMODULE uxtheme = GetModuleHandleW(L"uxtheme.dll");
    return uxtheme != nullptr ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(uxtheme, name))) : nullptr;
}

SetWindowThemeFn SetWindowThemeCall()
{
    return StyleCall<SetWindowThemeFn>("SetWindowTheme");
}

Kind KindOf(HWND hwnd)
{
    wchar_t name[32] = L"";
    if (RealGetWindowClassW(hwnd, name, 32) == 0)
        return Kind::Other;
    if (lstrcmpiW(name, MONTHCAL_CLASSW) == 0)
        return Kind::MonthCalendar;
    if (lstrcmpiW(name, WC_IPADDRESSW) == 0)
        return Kind::IpAddress;
    if (lstrcmpiW(name, WC_LINK) == 0)
        return Kind::Link;
    if (lstrcmpiW(name, DATETIMEPICK_CLASSW) == 0)
        return Kind::DatePicker;
    return Kind::Other;
}

bool HoldsStyle(HWND hwnd)
{
    const auto getTheme = StyleCall<GetWindowThemeFn>("GetWindowTheme");
    return getTheme != nullptr && getTheme(hwnd) != nullptr;
}

// The style an IP address control draws from is the one it opened for itself, for the class of
// an edit. When its style changes, Wine's control closes that one and opens the new one for no
// window, so it goes on drawing from the one it closed: the engine opens the style for it, as
// the control means to. Nothing is done when the control already holds what it should.
void ReopenIpAddressStyle(HWND hwnd, bool styleOn)
{
    const auto openTheme = StyleCall<OpenThemeDataFn>("OpenThemeData");
    if (openTheme == nullptr || HoldsStyle(hwnd) == styleOn)
        return;
    // Off, the class the engine named leaves no style to open, and the control holds none; on,
    // the control closes the style it holds when it is destroyed, as the one it opened itself.
    openTheme(hwnd, WC_EDITW);
}

// The system's colour and the theme's for a system colour: a month calendar showing either
// shows its default, not a colour of its program's.
bool IsDefaultColour(COLORREF c, int index)
{
    return c == GetSysColor(index) || ThemeSystemColour(index) == c;
}

void TakeMonthColours(HWND hwnd, SystemDrawn& c)
{
    if (c.kind != Kind::MonthCalendar || c.pending || c.ownColours)
        return;
    if (!c.tookColours) {
        for (std::size_t i = 0; i < kMonthColourDefaults.size(); ++i) {
            const auto colour = static_cast<COLORREF>(CallPrevious(hwnd, MCM_GETCOLOR, i, 0));
            if (!IsDefaultColour(colour, kMonthColourDefaults[i])) {
                c.ownColours = true;
                return;
            }
        }
        c.tookColours = true;
    }
    // The system's defaults would put the title's text in the window colour on the caption's:
    // the theme's field and selection colours keep every part readable.
    const ControlPalette& p = CurrentTheme()->Controls();
    const std::array<Color, 6> colours{p.field.normal.background.from,   p.field.normal.text,
                                       p.field.selected.background.from, p.field.selected.text,
                                       p.field.normal.background.from,   p.button.labelDisabled};
    for (std::size_t i = 0; i < colours.size(); ++i)
        CallPrevious(hwnd, MCM_SETCOLOR, i, static_cast<LPARAM>(ToColorRef(colours[i])));
}

void GiveBackMonthColours(HWND hwnd, const SystemDrawn& c)
{
    if (!c.tookColours || c.ownColours)
        return;
    for (std::size_t i = 0; i < kMonthColourDefaults.size(); ++i)
        CallPrevious(hwnd, MCM_SETCOLOR, i, static_cast<LPARAM>(GetSysColor(kMonthColourDefaults[i])));
}

// A name no visual style has a class of: the control finds no style and draws the classic way
// (an empty name would stand for the default).
void TurnStyleOff(HWND hwnd, SystemDrawn& c)
{
    // One made under the engine opens its style as it is made, and finds none.
    c.heldStyle = c.kind == Kind::IpAddress && (c.pending || HoldsStyle(hwnd));
    if (const auto setTheme = SetWindowThemeCall())
        c.classic = SUCCEEDED(setTheme(hwnd, L" ", L" "));
    if (c.classic && c.kind == Kind::IpAddress && !c.pending)
        ReopenIpAddressStyle(hwnd, false);
}

// Wine's IP address control fills its background with its colour given as a system colour's
// index plus one, which is no brush: the fill takes whatever brush the DC holds, white in a DC
// fresh from BeginPaint, and shows as light bars beside each field. The engine hands the
// control a DC that holds the theme's brush for the colour it means.
LRESULT PaintIpAddress(HWND hwnd)
{
    HBRUSH brush = ThemeSystemColourBrush(IsWindowEnabled(hwnd) ? COLOR_WINDOW : COLOR_3DFACE);
    if (brush == nullptr)
        return CallPrevious(hwnd, WM_PAINT, 0, 0);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (dc == nullptr)
        return 0;
    {
        const ScopedSelect selected(dc, brush);
        CallPrevious(hwnd, WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    }
    EndPaint(hwnd, &ps);
    return 0;
}

// A link keeps the text and link colours it read when it was made, and has no message to
// change them: while it paints, the engine swaps them for the theme's.
void RememberLinkColours(SystemDrawn& c)
{
    const auto made = [&c](int index) {
        const std::optional<COLORREF> theme = c.pending ? ThemeSystemColour(index) : std::nullopt;
        return theme.value_or(GetSysColor(index));
    };
    c.madeText = made(COLOR_WINDOWTEXT);
    c.madeLink = made(COLOR_HIGHLIGHT);
}

LRESULT PaintLink(HWND hwnd, const SystemDrawn& c, UINT message, WPARAM wParam, LPARAM lParam)
{
    std::vector<std::pair<COLORREF, COLORREF>> pairs;
    // The system's colour too: a link made under the engine before comctl32 was told the
    // theme's colours read the system's.
    const auto swapFor = [&pairs](COLORREF made, int index) {
        if (const std::optional<COLORREF> theme = ThemeSystemColour(index)) {
            pairs.emplace_back(made, *theme);
            pairs.emplace_back(GetSysColor(index), *theme);
        }
    };
    swapFor(c.madeText, COLOR_WINDOWTEXT);
    swapFor(c.madeLink, COLOR_HIGHLIGHT);
    const TextColourSwap swap(std::move(pairs));
    // Wine's link deletes the brush its parent answers WM_CTLCOLORSTATIC with.
    const LentBrushes lent;
    return CallPrevious(hwnd, message, wParam, lParam);
}

void Repaint(HWND hwnd)
{
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

// A date picker's drop-down button is drawn by the system in its own colours: the control paints
// into a back buffer (it takes a DC as WM_PRINTCLIENT does), and the engine's button goes over
// its own before the screen sees either.
LRESULT PaintDatePicker(HWND hwnd, UINT message, WPARAM wParam)
{
    if ((GetWindowLongPtrW(hwnd, GWL_STYLE) & DTS_UPDOWN) != 0)
        return CallPrevious(hwnd, message, wParam, 0);
    PaintThroughBuffer(hwnd, message, wParam, [&](HDC dc, const RECT& client) {
        const ControlPalette& palette = CurrentTheme()->Controls();
        const bool enabled = IsWindowEnabled(hwnd) != FALSE;
        FillWith(dc, client, (enabled ? palette.field.normal : palette.field.disabled).background);
        CallPrevious(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        const int dpi = WindowDpi(hwnd);
        RECT button = client;
        button.left = std::max(client.left, client.right - MetricForDpi(SM_CXVSCROLL, dpi));
        const Style& face = enabled ? palette.button.normal : palette.button.disabled;
        PaintStyle(dc, button, face);
        DrawArrow(dc, {(button.left + button.right) / 2, (button.top + button.bottom) / 2}, Towards::Down,
                  std::max(2, Scale(4, dpi)), face.text);
    });
    return 0;
}

LRESULT CALLBACK SystemDrawnProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    SystemDrawn* c = Controls().Find(hwnd);
    if (CurrentTheme() == nullptr || c == nullptr)
        return PassOn(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_NCDESTROY: Controls().erase(hwnd); return PassOn(hwnd, message, wParam, lParam);
    // What the control's children ask it (an extended combo box's field, a rebar's bands), as a
    // skinned window's client area answers.
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: return ColorControl(hwnd, message, wParam, lParam);
    case WM_ERASEBKGND: return EraseWithThemeSystemColour(hwnd, message, wParam, lParam);
    case MCM_SETCOLOR:
        if (c->kind == Kind::MonthCalendar)
            c->ownColours = true;
        return CallPrevious(hwnd, message, wParam, lParam);
    case WM_PAINT:
        if (c->kind == Kind::IpAddress && wParam == 0)
            return PaintIpAddress(hwnd);
        if (c->kind == Kind::Link)
            return PaintLink(hwnd, *c, message, wParam, lParam);
        if (c->kind == Kind::DatePicker)
            return PaintDatePicker(hwnd, message, wParam);
        return CallPrevious(hwnd, message, wParam, lParam);
    // The system draws the edges in its own colours, outside the colours it asks for.
    case WM_NCPAINT: {
        const LRESULT result = CallPrevious(hwnd, message, wParam, lParam);
        PaintSystemEdges(hwnd);
        return result;
    }
    case WM_PRINTCLIENT:
        if (c->kind == Kind::Link)
            return PaintLink(hwnd, *c, message, wParam, lParam);
        return CallPrevious(hwnd, message, wParam, lParam);
    case WM_CREATE: {
        const LRESULT result = CallPrevious(hwnd, message, wParam, lParam);
        if (SystemDrawn* again = Controls().Find(hwnd); again != nullptr && result != -1) {
            again->pending = false;
            TakeMonthColours(hwnd, *again);
        }
        return result;
    }
    default: return CallPrevious(hwnd, message, wParam, lParam);
    }
}

}  // namespace

bool SkinSystemDrawnControl(HWND hwnd, bool creating)
{
    if (Controls().count(hwnd) != 0)
        return true;
    if (!IsCommonControlWindow(hwnd) || !InstallSubclass(hwnd, SystemDrawnProc))
        return false;
    SystemDrawn& c = Controls()[hwnd];
    c.kind = KindOf(hwnd);
    c.pending = creating;
    if (c.kind == Kind::Link)
        RememberLinkColours(c);
    TurnStyleOff(hwnd, c);
    TakeMonthColours(hwnd, c);
    if (!creating)
        Repaint(hwnd);
    return true;
}

void RefreshSystemDrawnControls()
{
    for (HWND hwnd : Controls().Windows()) {
        if (SystemDrawn* c = Controls().Find(hwnd)) {
            TakeMonthColours(hwnd, *c);
            Repaint(hwnd);
        }
    }
}

void UnskinSystemDrawnControls(HWND only)
{
    const auto setTheme = SetWindowThemeCall();
    Controls().GiveBack(only, [setTheme](HWND hwnd, const SystemDrawn& c) {
        GiveBackMonthColours(hwnd, c);
        if (c.classic && setTheme != nullptr) {
            setTheme(hwnd, nullptr, nullptr);
            if (c.heldStyle)
                ReopenIpAddressStyle(hwnd, true);
        }
        Repaint(hwnd);
    });
}

}  // namespace velum
