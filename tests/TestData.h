// Where the Windows tests find the project's files they read (the shipped themes in Skin\, the
// broken themes in tests\native\broken\): the folder VELUM_TEST_DATA names, which the test pack's
// run-tests.cmd sets to the pack's own folder; else the source tree the build was made from, as
// Wine shows it (Z:\...); else, on a machine without that tree, the folder two above the program,
// the top of an unpacked test pack (x64\tests\engine_tests.exe).
// The including target defines VELUM_SOURCE_DIR as a wide string.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>

namespace testdata {

inline std::wstring DataFolder()
{
    std::wstring path(MAX_PATH, L'\0');
    const DWORD length = GetEnvironmentVariableW(L"VELUM_TEST_DATA", path.data(), MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        path.resize(length);
    } else {
        path = L"Z:" VELUM_SOURCE_DIR;
        std::replace(path.begin(), path.end(), L'/', L'\\');
        if (GetFileAttributesW((path + L"\\Skin").c_str()) == INVALID_FILE_ATTRIBUTES) {
            path.assign(MAX_PATH, L'\0');
            path.resize(GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
            for (int up = 0; up < 3; ++up)
                path.resize(path.find_last_of(L'\\') == std::wstring::npos ? 0 : path.find_last_of(L'\\'));
        }
    }
    while (!path.empty() && (path.back() == L'\\' || path.back() == L'/'))
        path.pop_back();
    return path;
}

// Whether a program of the build machine is there, as Wine shows it (Z:\usr\bin\xdotool).
// Tests that make their input through X with it skip on Windows, saying so.
inline bool HostHas(const wchar_t* unixPath)
{
    std::wstring path = std::wstring(L"Z:") + unixPath;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline constexpr char kNoXdotool[] = "its clicks and keys go through X with xdotool, which only the build machine has "
                                     "(Z:\\usr\\bin\\xdotool under Wine)";

}  // namespace testdata
