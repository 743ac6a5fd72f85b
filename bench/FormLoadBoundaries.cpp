// Stand-ins for the two bindings Form_Load calls around SkinList: the page opening just before
// it and the engine attach just after it. Linked in place of bindings/ModuleWeb.cpp and
// bindings/ModuleSkin.cpp, they read the clock, so the time between them is SkinList alone,
// and the attach ends the form's message loop at once.
#include <windows.h>

#include "Boundaries.h"
#include "ModuleSkin.h"
#include "ModuleWeb.h"

namespace bench {

SkinListBoundaries boundaries;

namespace {

BOOL CALLBACK CountThemeItems(HWND hwnd, LPARAM)
{
    HMENU bar = GetMenu(hwnd);
    HMENU themes = bar != nullptr ? GetSubMenu(bar, 0) : nullptr;
    if (themes == nullptr)
        return TRUE;
    boundaries.menuItems = GetMenuItemCount(themes);
    return FALSE;
}

}  // namespace

}  // namespace bench

namespace ModuleWeb {

void OpenWebPage(std::wstring_view)
{
    QueryPerformanceCounter(&bench::boundaries.start);
}

void LetPagesOpen() {}

}  // namespace ModuleWeb

namespace ModuleSkin {

int Velum_Attach()
{
    QueryPerformanceCounter(&bench::boundaries.end);
    bench::boundaries.menuItems = -1;
    EnumThreadWindows(GetCurrentThreadId(), bench::CountThemeItems, 0);
    PostQuitMessage(0);
    return 0;
}

int Velum_AttachEx(std::wstring_view, std::wstring_view)
{
    return 0;
}

}  // namespace ModuleSkin
