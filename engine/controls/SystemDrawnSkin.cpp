#include "SystemDrawnSkin.h"

#include <commctrl.h>

#include <array>

#include "ClientArea.h"
#include "ControlClasses.h"
#include "Engine.h"
#include "PartWindows.h"
#include "SystemColourAnswers.h"
#include "SystemColours.h"

namespace velum {

namespace {

// A month calendar's colours (MCSC_BACKGROUND ... MCSC_TRAILINGTEXT) and the system colour
// each stands for by default.
constexpr std::array<int, 6> kMonthColourDefaults{COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_ACTIVECAPTION,
                                                  COLOR_WINDOW, COLOR_WINDOW,     COLOR_GRAYTEXT};

struct SystemDrawn {
    bool monthCalendar = false;
    bool pending = false;      // not made yet
    bool classic = false;      // the engine turned its visual style off
    bool tookColours = false;  // a month calendar the engine gave the theme's colours
    bool ownColours = false;   // a month calendar whose program chose its colours
};

PartWindows<SystemDrawn>& Controls()
{
    static PartWindows<SystemDrawn> controls;
    return controls;
}

using SetWindowThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);

// Null when the program has no visual styles loaded: then nothing draws from one.
SetWindowThemeFn SetWindowThemeCall()
{
    HMODULE uxtheme = GetModuleHandleW(L"uxtheme.dll");
    return uxtheme != nullptr
               ? reinterpret_cast<SetWindowThemeFn>(reinterpret_cast<void*>(GetProcAddress(uxtheme, "SetWindowTheme")))
               : nullptr;
}

bool IsMonthCalendar(HWND hwnd)
{
    wchar_t name[32] = L"";
    return RealGetWindowClassW(hwnd, name, 32) != 0 && lstrcmpiW(name, MONTHCAL_CLASSW) == 0;
}

// The system's colour and the theme's for a system colour: a month calendar showing either
// shows its default, not a colour of its program's.
bool IsDefaultColour(COLORREF c, int index)
{
    return c == GetSysColor(index) || ThemeSystemColour(index) == c;
}

void TakeMonthColours(HWND hwnd, SystemDrawn& c)
{
    if (!c.monthCalendar || c.pending || c.ownColours)
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
    if (const auto setTheme = SetWindowThemeCall())
        c.classic = SUCCEEDED(setTheme(hwnd, L" ", L" "));
}

void Repaint(HWND hwnd)
{
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
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
        if (c->monthCalendar)
            c->ownColours = true;
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
    c.monthCalendar = IsMonthCalendar(hwnd);
    c.pending = creating;
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
        if (c.classic && setTheme != nullptr)
            setTheme(hwnd, nullptr, nullptr);
        Repaint(hwnd);
    });
}

}  // namespace velum
