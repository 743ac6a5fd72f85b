// What every benchmark here needs: a millisecond clock, medians, its own folder, and rounds of
// work timed between message pumps.
#pragma once

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

inline double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to)
{
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    return static_cast<double>(to.QuadPart - from.QuadPart) * 1000.0 / frequency;
}

// Milliseconds since an arbitrary start.
inline double NowMs()
{
    LARGE_INTEGER zero{}, now;
    QueryPerformanceCounter(&now);
    return Milliseconds(zero, now);
}

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0.0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The folder of the running benchmark, without a trailing backslash.
inline std::wstring ProgramFolder()
{
    std::wstring path(MAX_PATH, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path.substr(0, path.find_last_of(L'\\'));
}

// Handles whatever messages are waiting, paints included.
inline void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Runs work `rounds` times, each after a pump and timed up to the end of its drawing; the
// times go to `times` when given.
inline void Measure(int rounds, const std::function<void()>& work, std::vector<double>* times = nullptr)
{
    for (int i = 0; i < rounds; ++i) {
        Pump();
        const double start = NowMs();
        work();
        GdiFlush();
        if (times != nullptr)
            times->push_back(NowMs() - start);
    }
}
