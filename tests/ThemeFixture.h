// A theme file read and parsed as the engine reads one, for tests that compare what is drawn
// with what the file says.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "ThemeFile.h"

namespace velum {

inline ParseResult LoadThemeFile(const std::filesystem::path& path, std::string_view scheme)
{
    std::string bytes;
    Diagnostic error;
    if (!ReadThemeFile(path, bytes, error))
        return ParseResult{std::nullopt, {error}};
    return ParseTheme(bytes, error.file, scheme);
}

}  // namespace velum
