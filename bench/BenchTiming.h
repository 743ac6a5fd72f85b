// What every benchmark here needs: a millisecond clock, medians, and its own folder.
#pragma once

#include <windows.h>

#include <algorithm>
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
