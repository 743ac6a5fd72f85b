// The settings file beside the program: its name and its read and write rules.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ModuleIni {

// The settings file's base name; start-up sets it before any settings access.
extern std::wstring IniName;

// The folder holding the running program, as Windows reports it: no trailing backslash,
// except at a drive root ("C:\").
std::wstring ProgramFolder();

// Program folder + "\" + name + ".ini". At a drive root the backslash doubles (C:\\name.ini),
// which Windows accepts.
std::wstring IniFilePath(std::wstring_view name);

// The most bytes of a stored value that a read gives back; the rest is cut off.
inline constexpr std::size_t kMaxValueBytes = 143;

// The stored value, at most kMaxValueBytes of it. A missing or empty value is replaced by the
// default, which is written to the file and returned.
std::wstring ReadIni(std::wstring_view section, std::wstring_view key, std::wstring_view defaultValue);

// Stores a value; whether Windows accepted the write is not examined.
void WriteIni(std::wstring_view section, std::wstring_view key, std::wstring_view value);

}  // namespace ModuleIni
