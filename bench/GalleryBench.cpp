// Prints what the engine costs on a dialog full of controls, measured in one run: a full
// synchronous repaint of the gallery's dialog (frame and every control) without the engine and
// with a theme attached, and a theme switch followed by the repaint it causes. Medians of many
// rounds, and their ratios to the unskinned repaint.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "AnsiText.h"
#include "BenchTiming.h"
#include "GalleryDialog.h"
#include "Velum.h"
#include "resource.h"

// The themes' folder is the first argument, or Skin beside the program.
int wmain(int argc, wchar_t** argv)
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    const std::wstring folder = argc > 1 ? std::wstring(argv[1]) : ProgramFolder() + L"\\Skin";

    GalleryDialog gallery(GetModuleHandleW(nullptr));
    gallery.Create(folder.back() == L'\\' ? folder.substr(0, folder.size() - 1) : folder);
    const auto first = gallery.Themes().IndexOfName(L"velum.vlm");
    const auto second = gallery.Themes().IndexOfName(L"midnight.vlm");
    if (!first || !second) {
        std::fprintf(stderr, "gallery benchmark: velum.vlm and midnight.vlm are not both in %s\n",
                     ToAnsi(folder).c_str());
        return 1;
    }
    const std::string theme = ToAnsi(gallery.Themes().Path(*first));
    HWND dialog = gallery.Window();
    SetWindowPos(dialog, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    UpdateWindow(dialog);
    Pump();

    const auto repaint = [dialog] {
        RedrawWindow(dialog, nullptr, nullptr,
                     RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    };
    constexpr int kRounds = 10;
    constexpr int kBlocks = 6;
    // The cases run in alternating blocks, so a machine that speeds up or slows down during
    // the run weighs on all of them alike.
    std::vector<double> plain, skinned, switched;
    bool flip = false;
    for (int block = 0; block < kBlocks; ++block) {
        Velum_Detach();
        Measure(2, repaint);
        Measure(kRounds, repaint, &plain);
        if (Velum_AttachEx(theme.c_str(), "") != VELUM_OK) {
            std::fprintf(stderr, "gallery benchmark: cannot attach %s\n", theme.c_str());
            return 1;
        }
        Measure(2, repaint);
        Measure(kRounds, repaint, &skinned);
        // A pick from the Theme menu, and the paint it leaves pending.
        Measure(
            kRounds,
            [&] {
                flip = !flip;
                SendMessageW(dialog, WM_COMMAND, IDM_FIRST_THEME + static_cast<UINT>(flip ? *second : *first), 0);
                Pump();
            },
            &switched);
    }
    const double plainMs = Median(plain), skinnedMs = Median(skinned), switchedMs = Median(switched);
    RECT frame;
    GetWindowRect(dialog, &frame);
    int children = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        ++children;
    std::printf("gallery benchmark: the %ldx%ld gallery dialog, %d controls, median of %d rounds each\n",
                frame.right - frame.left, frame.bottom - frame.top, children, kRounds * kBlocks);
    std::printf("  full repaint, no engine      %8.3f ms\n", plainMs);
    std::printf("  full repaint, theme attached %8.3f ms  %5.2fx  (aim: within 1.5x)\n", skinnedMs,
                skinnedMs / plainMs);
    std::printf("  theme switch + its repaint   %8.3f ms  %5.2fx  (velum <-> midnight from the Theme menu)\n",
                switchedMs, switchedMs / plainMs);
    Velum_Detach();
    return 0;
}
