#include "SystemDrawnSkin.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <cstdint>
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
    // Whether an IP address control paints into the DC WM_PAINT hands it, as Wine's does; not
    // known until its first paint.
    std::optional<bool> paintsIntoGivenDc;
    // A link's text colour and the two its links may be drawn in (Wine's link takes the
    // highlight colour, Windows' the hot-light colour), read when it was made: the system's, or
    // the theme's of the time when it was made under the engine.
    COLORREF madeText = CLR_INVALID, madeHighlight = CLR_INVALID, madeHotLight = CLR_INVALID;
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

// Whether the control painted into a DC handed to it in WM_PAINT's wParam: a memory DC filled
// with a colour of its own is handed over, and looked at afterwards. A control that ignores the
// DC paints the window through BeginPaint as it was asked to, and that paint is then done. None
// when the control has no area to paint.
std::optional<bool> PaintsIntoGivenDc(HWND hwnd, HBRUSH brush)
{
    RECT client{};
    GetClientRect(hwnd, &client);
    if (IsRectEmpty(&client))
        return std::nullopt;
    constexpr COLORREF kUntouched = RGB(255, 0, 255);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), client.right, -client.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    UniqueDc dc(CreateCompatibleDC(nullptr));
    UniqueBitmap bitmap(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dc || !bitmap || bits == nullptr)
        return std::nullopt;
    auto* pixels = static_cast<std::uint32_t*>(bits);
    const auto count = static_cast<std::size_t>(client.right) * static_cast<std::size_t>(client.bottom);
    const std::uint32_t untouched =
        (GetRValue(kUntouched) << 16) | (GetGValue(kUntouched) << 8) | GetBValue(kUntouched);
    {
        const ScopedSelect selectedBitmap(dc.get(), bitmap.get());
        const ScopedSelect selectedBrush(dc.get(), brush);
        std::fill(pixels, pixels + count, untouched);
        CallPrevious(hwnd, WM_PAINT, reinterpret_cast<WPARAM>(dc.get()), 0);
        GdiFlush();
    }
    return std::any_of(pixels, pixels + count, [untouched](std::uint32_t p) { return (p & 0xFFFFFFu) != untouched; });
}

// Wine's IP address control fills its background with its colour given as a system colour's
// index plus one, which is no brush: the fill takes whatever brush the DC holds, white in a DC
// fresh from BeginPaint, and shows as light bars beside each field. Where the control paints
// into a DC handed to it, as Wine's does, the engine hands it one that holds the theme's brush
// for the colour it means. A control that ignores the DC (Windows' need not take one) paints
// its own way: handed a DC whose update region the engine had already validated, it would
// paint nothing, neither its dots nor the gaps between its fields.
LRESULT PaintIpAddress(HWND hwnd, SystemDrawn& c)
{
    HBRUSH brush = ThemeSystemColourBrush(IsWindowEnabled(hwnd) ? COLOR_WINDOW : COLOR_3DFACE);
    if (brush == nullptr || c.paintsIntoGivenDc == false)
        return CallPrevious(hwnd, WM_PAINT, 0, 0);
    if (!c.paintsIntoGivenDc) {
        c.paintsIntoGivenDc = PaintsIntoGivenDc(hwnd, brush);
        if (c.paintsIntoGivenDc == false)
            return 0;  // it painted through BeginPaint
        if (!c.paintsIntoGivenDc)
            return CallPrevious(hwnd, WM_PAINT, 0, 0);
    }
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
// change them: while it paints, the engine swaps them for the theme's. Its links are drawn in
// the theme's hot-light colour, the system's colour for links, whichever colour the link took.
void RememberLinkColours(SystemDrawn& c)
{
    const auto made = [&c](int index) {
        const std::optional<COLORREF> theme = c.pending ? ThemeSystemColour(index) : std::nullopt;
        return theme.value_or(GetSysColor(index));
    };
    c.madeText = made(COLOR_WINDOWTEXT);
    c.madeHighlight = made(COLOR_HIGHLIGHT);
    c.madeHotLight = made(COLOR_HOTLIGHT);
}

LRESULT PaintLink(HWND hwnd, const SystemDrawn& c, UINT message, WPARAM wParam, LPARAM lParam)
{
    std::vector<std::pair<COLORREF, COLORREF>> pairs;
    // The system's colour too: a link made under the engine before comctl32 was told the
    // theme's colours read the system's.
    const auto swapFor = [&pairs](COLORREF made, int index, int to) {
        if (const std::optional<COLORREF> theme = ThemeSystemColour(to)) {
            pairs.emplace_back(made, *theme);
            pairs.emplace_back(GetSysColor(index), *theme);
        }
    };
    swapFor(c.madeText, COLOR_WINDOWTEXT, COLOR_WINDOWTEXT);
    swapFor(c.madeHighlight, COLOR_HIGHLIGHT, COLOR_HOTLIGHT);
    swapFor(c.madeHotLight, COLOR_HOTLIGHT, COLOR_HOTLIGHT);
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
            return PaintIpAddress(hwnd, *c);
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
    // Wine's IP address control closes the style it held and opens the new one for no window,
    // then goes on drawing from the closed one: the engine opens it as the control means to,
    // which leaves a control the engine turned classic without one.
    case WM_THEMECHANGED: {
        const LRESULT result = CallPrevious(hwnd, message, wParam, lParam);
        if (c->kind == Kind::IpAddress && c->classic)
            ReopenIpAddressStyle(hwnd, false);
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
