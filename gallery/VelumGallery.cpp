// A sample program of the Velum engine: one dialog of every control, under the theme picked
// from its Theme menu. It remembers nothing between runs.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "AnsiText.h"
#include "AppError.h"
#include "GalleryDialog.h"
#include "ModuleIni.h"

namespace {

int ReportStartupError(const AppError& e)
{
    const std::wstring text = L"VelumGallery 无法启动:\n\n" + e.Description();
    std::string ansi;
    ContinueOnError([&] { ansi = ToAnsi(text + L"\n"); });
    std::fwrite(ansi.data(), 1, ansi.size(), stderr);
    std::fflush(stderr);
    MessageBoxW(nullptr, text.c_str(), L"VelumGallery", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
    return e.Number() != 0 ? static_cast<int>(e.Number()) : 1;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_DATE_CLASSES |
                                                       ICC_HOTKEY_CLASS | ICC_INTERNET_CLASSES | ICC_USEREX_CLASSES |
                                                       ICC_COOL_CLASSES | ICC_LINK_CLASS};
    InitCommonControlsEx(&controls);

    GalleryDialog gallery(instance);
    try {
        std::wstring folder = ModuleIni::ProgramFolder();
        if (folder.empty() || folder.back() != L'\\')
            folder += L'\\';
        gallery.Create(folder + L"Skin");
        gallery.ApplyStartTheme();
    } catch (const AppError& e) {
        return ReportStartupError(e);
    }
    return gallery.Run(showCommand);
}
