// Prints what the engine costs on one window, measured in one run: a full synchronous repaint
// (frame included) without the engine, the same repaint with a theme attached, and a theme
// switch followed by that repaint. Medians of many rounds, and their ratios to the unskinned
// repaint. The switches alone, without the repaint, show what part of a switch is the engine's
// own work and what part is painting; Wine's own change of the window's corners, with the same
// repaint and no engine, shows the frame change that no switch between these themes can avoid,
// and the same change moving the client area's edge, as a switch to other frame sizes does.
// A frame change alone (SWP_FRAMECHANGED), with and without the engine, shows what the engine
// adds to each one. Themes drawn from images (glass, slate) are measured the same way: a repaint,
// a switch between the two, and the private memory one takes beyond a theme of colours.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "BenchTiming.h"
#include "Velum.h"

namespace {

// The themes' folder: the first argument, or Skin beside the program.
std::string SkinFolder(int argc, char** argv)
{
    if (argc > 1)
        return argv[1];
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    folder.erase(folder.find_last_of('\\'));
    return folder + "\\Skin\\";
}

// The client area's inset from where the system puts it: a frame change with another inset moves
// the client area's edge, as a switch between themes of other frame sizes does.
int clientInset = 0;

LRESULT CALLBACK BenchProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCCALCSIZE && wParam != FALSE) {
        RECT& client = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0];
        client.left += clientInset;
        client.top += clientInset;
    }
    return result;
}

}  // namespace

int main(int argc, char** argv)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = BenchProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    wc.lpszClassName = L"VelumBench";
    RegisterClassW(&wc);
    HMENU bar = CreateMenu();
    HMENU popup = CreatePopupMenu();
    AppendMenuW(popup, MF_STRING, 1, L"velum.vlm");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), L"主题(&T)");
    HWND hwnd = CreateWindowExW(0, L"VelumBench", L"Zentora 界面换肤演示", WS_OVERLAPPEDWINDOW, 60, 60, 565, 400,
                                nullptr, bar, nullptr, nullptr);
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    Pump();

    const auto repaint = [hwnd] {
        RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    };
    constexpr int kRounds = 40;
    constexpr int kBlocks = 8;
    const std::string first = SkinFolder(argc, argv) + "velum.vlm";
    const std::string second = SkinFolder(argc, argv) + "midnight.vlm";
    const std::string glass = SkinFolder(argc, argv) + "glass.vlm";
    const std::string slate = SkinFolder(argc, argv) + "slate.vlm";

    // The private memory the process has committed once a theme is attached and painted, summed
    // over its address space (Wine's process counters do not follow it).
    const auto privateBytes = [&](const std::string& theme) {
        Velum_AttachEx(theme.c_str(), "");
        repaint();
        Pump();
        double bytes = 0;
        MEMORY_BASIC_INFORMATION region{};
        for (auto* at = static_cast<char*>(nullptr); VirtualQuery(at, &region, sizeof region) == sizeof region;
             at = static_cast<char*>(region.BaseAddress) + region.RegionSize) {
            if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
                bytes += static_cast<double>(region.RegionSize);
        }
        return bytes;
    };
    privateBytes(first);
    const double colourBytes = privateBytes(first);
    const double imageBytes = privateBytes(glass);
    Velum_Detach();

    // The three cases run in alternating blocks, so a machine that speeds up or slows down
    // during the run weighs on all of them alike.
    std::vector<double> plain, cornered, movedEdge, skinned, switched, schemes, switchedAlone, schemesAlone;
    std::vector<double> framedPlain, framedSkinned, imageRepaint, imageSwitched, imageSwitchedAlone, imageLoaded;
    bool flip = false;
    // Wine's own region change between the two themes' corner radii (6 and 8), on the unskinned
    // window: the frame change a theme switch cannot do without, with the repaint after it.
    const auto cornerChange = [&] {
        flip = !flip;
        RECT w{};
        GetWindowRect(hwnd, &w);
        const int diameter = flip ? 16 : 12;
        SetWindowRgn(hwnd, CreateRoundRectRgn(0, 0, w.right - w.left + 1, w.bottom - w.top + 1, diameter, diameter),
                     FALSE);
        repaint();
    };
    // The same with the client area's edge moved by the frame change: glass and slate have
    // frames of other sizes, so a switch between them moves it too, and Wine repaints more.
    const auto cornerAndEdgeChange = [&] {
        clientInset = flip ? 0 : 1;
        cornerChange();
    };
    // A frame change alone; the repaint it leaves pending is done outside the clock.
    const auto frameChanges = [&](std::vector<double>* times) {
        for (int i = 0; i < kRounds / 2; ++i) {
            Measure(
                1,
                [&] {
                    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE |
                                     SWP_NOREDRAW);
                },
                times);
            Measure(1, repaint);
        }
    };
    for (int block = 0; block < kBlocks; ++block) {
        Velum_Detach();
        Measure(5, repaint);
        Measure(kRounds, repaint, &plain);
        Measure(kRounds, cornerChange, &cornered);
        Measure(kRounds, cornerAndEdgeChange, &movedEdge);
        clientInset = 0;
        SetWindowRgn(hwnd, nullptr, FALSE);
        SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        Measure(1, repaint);
        frameChanges(&framedPlain);
        if (Velum_Attach() != VELUM_OK || Velum_AttachEx(first.c_str(), "") != VELUM_OK) {
            std::fprintf(stderr, "cannot attach %s\n", first.c_str());
            return 1;
        }
        Measure(5, repaint);
        Measure(kRounds, repaint, &skinned);
        frameChanges(&framedSkinned);
        Measure(
            kRounds,
            [&] {
                flip = !flip;
                Velum_AttachEx((flip ? second : first).c_str(), "");
                repaint();
            },
            &switched);
        // Light and Dark of one file: same sizes and fonts, so no new frame layout.
        Measure(
            kRounds,
            [&] {
                flip = !flip;
                Velum_AttachEx(first.c_str(), flip ? "Dark" : "Light");
                repaint();
            },
            &schemes);
        // The same switches alone; the repaint they leave pending is done outside the clock.
        // Each kind runs as a block of its own: interleaved, every scheme switch would follow
        // a switch to midnight and change the theme too.
        for (int i = 0; i < kRounds / 2; ++i) {
            Measure(
                1,
                [&] {
                    flip = !flip;
                    Velum_AttachEx((flip ? second : first).c_str(), "");
                },
                &switchedAlone);
            Measure(1, repaint);
        }
        // Read and decoded afresh: detach lets go of the images kept for a switch back.
        Velum_Detach();
        int attached = VELUM_OK;
        Measure(
            1, [&] { attached = Velum_AttachEx(glass.c_str(), ""); }, &imageLoaded);
        if (attached != VELUM_OK) {
            std::fprintf(stderr, "cannot attach %s\n", glass.c_str());
            return 1;
        }
        Measure(5, repaint);
        Measure(kRounds, repaint, &imageRepaint);
        Measure(
            kRounds,
            [&] {
                flip = !flip;
                Velum_AttachEx((flip ? slate : glass).c_str(), "");
                repaint();
            },
            &imageSwitched);
        for (int i = 0; i < kRounds / 2; ++i) {
            Measure(
                1,
                [&] {
                    flip = !flip;
                    Velum_AttachEx((flip ? slate : glass).c_str(), "");
                },
                &imageSwitchedAlone);
            Measure(1, repaint);
        }
        Velum_AttachEx(first.c_str(), "Light");
        for (int i = 0; i < kRounds / 2; ++i) {
            Measure(
                1,
                [&] {
                    flip = !flip;
                    Velum_AttachEx(first.c_str(), flip ? "Dark" : "Light");
                },
                &schemesAlone);
            Measure(1, repaint);
        }
    }
    const double plainMs = Median(plain), skinnedMs = Median(skinned), switchedMs = Median(switched);
    const double schemesMs = Median(schemes);

    std::printf("engine benchmark: one %dx%d window, median of %d rounds each\n", 565, 400, kRounds * kBlocks);
    std::printf("  repaint, no engine          %8.3f ms\n", plainMs);
    std::printf(
        "  corners changed + repaint   %8.3f ms  %5.2fx  (no engine: Wine's own SetWindowRgn between the two themes' "
        "corners, the frame change every theme switch makes)\n",
        Median(cornered), Median(cornered) / plainMs);
    std::printf("  corners and edge + repaint  %8.3f ms  %5.2fx  (the same, the frame change also moving the client "
                "area's edge, as a switch between themes of other frame sizes does)\n",
                Median(movedEdge), Median(movedEdge) / plainMs);
    std::printf("  repaint, theme attached     %8.3f ms  %5.2fx  (aim: within 2x)\n", skinnedMs, skinnedMs / plainMs);
    std::printf(
        "  theme switch + repaint      %8.3f ms  %5.2fx  (aim: 1.5x at most; velum <-> midnight, new frame sizes)\n",
        switchedMs, switchedMs / plainMs);
    std::printf("  scheme switch + repaint     %8.3f ms  %5.2fx  (velum Light <-> Dark, same sizes)\n", schemesMs,
                schemesMs / plainMs);
    std::printf("  theme switch alone          %8.3f ms  %5.2fx  (%d rounds)\n", Median(switchedAlone),
                Median(switchedAlone) / plainMs, kRounds / 2 * kBlocks);
    std::printf("  scheme switch alone         %8.3f ms  %5.2fx  (%d rounds)\n", Median(schemesAlone),
                Median(schemesAlone) / plainMs, kRounds / 2 * kBlocks);
    std::printf("  frame change alone          %8.3f ms  %5.2fx  (no engine: SWP_FRAMECHANGED, %d rounds)\n",
                Median(framedPlain), Median(framedPlain) / plainMs, kRounds / 2 * kBlocks);
    std::printf("  frame change alone, themed  %8.3f ms  %5.2fx  (the same with the theme attached, %d rounds)\n",
                Median(framedSkinned), Median(framedSkinned) / plainMs, kRounds / 2 * kBlocks);
    std::printf("  repaint, image theme        %8.3f ms  %5.2fx  (glass; %.2fx the repaint with velum)\n",
                Median(imageRepaint), Median(imageRepaint) / plainMs, Median(imageRepaint) / skinnedMs);
    std::printf(
        "  image theme switch + repaint%8.3f ms  %5.2fx  (glass <-> slate; %.2fx Wine's corner change, %.2fx with the "
        "edge moved)\n",
        Median(imageSwitched), Median(imageSwitched) / plainMs, Median(imageSwitched) / Median(cornered),
        Median(imageSwitched) / Median(movedEdge));
    std::printf("  image theme switch alone    %8.3f ms  %5.2fx  (%d rounds)\n", Median(imageSwitchedAlone),
                Median(imageSwitchedAlone) / plainMs, kRounds / 2 * kBlocks);
    std::printf("  image theme first attach    %8.3f ms  %5.2fx  (glass, its images read and decoded; %d rounds)\n",
                Median(imageLoaded), Median(imageLoaded) / plainMs, kBlocks);
    std::printf("  private memory, image theme %8.0f KiB more than with velum (glass attached and painted)\n",
                (imageBytes - colourBytes) / 1024.0);
    Velum_Detach();
    DestroyWindow(hwnd);
    return 0;
}
