// Prints what attaching and detaching cost against making the same windows: N top-level
// windows with ten buttons each, made, attached to, detached from and destroyed, for two N,
// so the growth shows; once hidden, as a program makes its windows before showing them, and
// once shown. Each step ends when its pending messages, paints included, are handled.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "BenchTiming.h"
#include "Velum.h"

namespace {

struct Figures {
    double create = 0, attach = 0, detach = 0, destroy = 0;
};

double Timed(const std::function<void()>& work)
{
    const double start = NowMs();
    work();
    Pump();
    return NowMs() - start;
}

Figures Run(int windows, int controls, bool shown)
{
    Figures f;
    std::vector<HWND> frames;
    f.create = Timed([&] {
        for (int i = 0; i < windows; ++i) {
            HWND frame =
                CreateWindowExW(0, L"VelumAttachBench", L"Window", WS_OVERLAPPEDWINDOW | (shown ? WS_VISIBLE : 0), 10,
                                10, 400, 300, nullptr, nullptr, nullptr, nullptr);
            for (int c = 0; c < controls; ++c)
                CreateWindowExW(0, L"Button", L"Button", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 4, 4 + 26 * c, 120, 24,
                                frame, nullptr, nullptr, nullptr);
            frames.push_back(frame);
        }
    });
    f.attach = Timed([] { Velum_Attach(); });
    f.detach = Timed([] { Velum_Detach(); });
    f.destroy = Timed([&] {
        for (HWND frame : frames)
            DestroyWindow(frame);
    });
    return f;
}

}  // namespace

int main()
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"VelumAttachBench";
    RegisterClassW(&wc);
    constexpr int kControls = 10;
    Run(20, kControls, true);  // warms the system's and the engine's first-use costs
    std::printf("attach benchmark: top-level windows with %d buttons each; ms for all, and per window\n", kControls);
    std::printf("  %7s %7s %12s %12s %12s %12s %14s %14s\n", "", "windows", "create", "attach", "detach", "destroy",
                "attach/create", "detach/create");
    for (const bool shown : {false, true})
        for (const int windows : {100, 500}) {
            const Figures f = Run(windows, kControls, shown);
            std::printf(
                "  %7s %7d %9.1f ms %9.1f ms %9.1f ms %9.1f ms %13.2fx %13.2fx  (aim: attach and detach no slower than "
                "create)\n",
                shown ? "shown" : "hidden", windows, f.create, f.attach, f.detach, f.destroy, f.attach / f.create,
                f.detach / f.create);
            std::printf("  %7s %7s %9.3f ms %9.3f ms %9.3f ms %9.3f ms  per window\n", "", "", f.create / windows,
                        f.attach / windows, f.detach / windows, f.destroy / windows);
        }
    return 0;
}
