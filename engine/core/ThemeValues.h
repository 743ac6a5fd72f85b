// Reading the values of theme keys: whole numbers in a range, colours, font name lists, theme
// and scheme names. Each reader reports what is wrong at the part of the line it concerns.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "ThemeDiagnostics.h"
#include "ThemeFile.h"

namespace velum::parse {

inline constexpr std::size_t kMaxSchemeNameBytes = 64;
inline constexpr std::size_t kMaxThemeNameBytes = 128;
inline constexpr std::size_t kMaxFaces = 16;
// LOGFONT holds a face name in 32 UTF-16 units including the terminator; a longer name would be
// cut off and then match no installed font.
inline constexpr std::size_t kMaxFaceUnits = 31;
inline constexpr int kMinFontSize = 6, kMaxFontSize = 36;
inline constexpr int kMinFontWeight = 100, kMaxFontWeight = 900;

// Every `value` and `word` below is a part of `line`'s text. A reader that returns false has
// reported why and left its output alone.

// A whole number from min to max; `key` names it in messages.
bool ReadNumber(const SourceLine& line, std::string_view key, std::string_view value, int min, int max, int& out);

// #RRGGBB
bool ReadColor(const SourceLine& line, std::string_view word, Color& out);

// font = "Segoe UI", "Microsoft YaHei", Tahoma
bool ReadFaces(const SourceLine& line, std::string_view value, std::vector<std::string>& faces);

// name = Ocean, or name = "Ocean", quoted to keep blanks at its ends out of the name.
bool ReadThemeName(const SourceLine& line, std::string_view value, std::string& name);

// Letters, digits, '-' and '_', at most kMaxSchemeNameBytes.
bool CheckSchemeName(const SourceLine& line, std::string_view scheme);

}  // namespace velum::parse
