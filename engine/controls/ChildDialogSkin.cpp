#include "ChildDialogSkin.h"

#include "BarControlSkin.h"
#include "ClientArea.h"
#include "Engine.h"
#include "Exclusions.h"
#include "PartWindows.h"
#include "WindowSubclass.h"

namespace velum {

namespace {

PartWindows<NoState>& Dialogs()
{
    static PartWindows<NoState> dialogs;
    return dialogs;
}

void Repaint(HWND hwnd)
{
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// What the page's own dialog procedure answers: nonzero when it erased or chose a colour
// itself. Asked directly, as the dialog manager asks it, so that what the system would answer
// in its place (its own colours, or a visual style's tab texture) is never drawn first.
LRESULT AskDialogProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto procedure = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, DWLP_DLGPROC));
    return procedure != nullptr ? CallWindowProcW(procedure, hwnd, message, wParam, lParam) : 0;
}

LRESULT CALLBACK ChildDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (CurrentTheme() == nullptr || Dialogs().count(hwnd) == 0)
        return PassOn(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_NCDESTROY: Dialogs().erase(hwnd); return PassOn(hwnd, message, wParam, lParam);
    case WM_ERASEBKGND: {
        if (const LRESULT own = AskDialogProcedure(hwnd, message, wParam, lParam))
            return own;
        // With the brush its WM_CTLCOLORDLG answers, as the dialog manager erases: the page's
        // own, or the theme's.
        auto dc = reinterpret_cast<HDC>(wParam);
        auto brush =
            reinterpret_cast<HBRUSH>(SendMessageW(hwnd, WM_CTLCOLORDLG, wParam, reinterpret_cast<LPARAM>(hwnd)));
        RECT client{};
        GetClientRect(hwnd, &client);
        // The program may have detached the engine from inside that message.
        if (brush == nullptr && CurrentTheme() != nullptr)
            brush = CurrentTheme()->WindowBrush();
        if (brush == nullptr)
            return CallPrevious(hwnd, message, wParam, lParam);
        FillRect(dc, &client, brush);
        return TRUE;
    }
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        if (const LRESULT own = AskReadably(reinterpret_cast<HDC>(wParam),
                                            [&] { return AskDialogProcedure(hwnd, message, wParam, lParam); }))
            return own;
        if (message != WM_CTLCOLORDLG && IsExcluded(reinterpret_cast<HWND>(lParam)))
            return CallPrevious(hwnd, message, wParam, lParam);
        return ThemeControlColour(message, wParam, lParam, 0);
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: return ColorControl(hwnd, message, wParam, lParam);
    // The custom draw of the views and bars on a page is answered as a frame's is.
    case WM_NOTIFY:
        return AnswerCustomDraw(reinterpret_cast<NMHDR*>(lParam), CallPrevious(hwnd, message, wParam, lParam));
    default: return CallPrevious(hwnd, message, wParam, lParam);
    }
}

}  // namespace

bool SkinChildDialog(HWND hwnd)
{
    if (Dialogs().count(hwnd) != 0)
        return true;
    if (!InstallSubclass(hwnd, ChildDialogProc))
        return false;
    Dialogs()[hwnd];
    return true;
}

void RefreshChildDialogs()
{
    for (HWND hwnd : Dialogs().Windows())
        Repaint(hwnd);
}

void UnskinChildDialogs(HWND only)
{
    Dialogs().GiveBack(only, [](HWND hwnd, NoState) { Repaint(hwnd); });
}

}  // namespace velum
