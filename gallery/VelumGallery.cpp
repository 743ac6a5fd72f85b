// A sample program of the Velum engine: one dialog of every control, under the theme picked
// from its Theme menu. It remembers nothing between runs.
//   VelumGallery [--watch THEMEFILE]
// --watch applies THEMEFILE at the start and again each time it is saved, for a theme author.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "AnsiText.h"
#include "AppError.h"
#include "GalleryDialog.h"
#include "ModuleIni.h"

namespace {

// Invalid procedure call or argument, as the program's other reports number a bad argument.
constexpr long kErrorBadArguments = 5;

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

// The theme file of --watch, when given; throws AppError for an argument it does not know.
std::optional<std::wstring> WatchedFile(int argc, wchar_t** argv)
{
    std::optional<std::wstring> watched;
    for (int i = 1; i < argc; ++i) {
        const std::wstring_view arg = argv[i];
        if (arg == L"--watch" && i + 1 < argc && argv[i + 1][0] != L'\0')
            watched = argv[++i];
        else
            throw AppError(kErrorBadArguments,
                           L"无法识别的参数 \"" + std::wstring(arg) + L"\"\n用法: VelumGallery [--watch 主题文件]");
    }
    return watched;
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
        const std::optional<std::wstring> watched = WatchedFile(__argc, __wargv);
        gallery.Create(folder + L"Skin");
        if (watched)
            gallery.WatchThemeFile(*watched);
        else
            gallery.ApplyStartTheme();
    } catch (const AppError& e) {
        return ReportStartupError(e);
    }
    return gallery.Run(showCommand);
}
