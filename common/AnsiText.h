// The program keeps text wide; these convert at the edges that take 8-bit text: the system's
// ANSI code page (the settings file, the engine's interface, the shell) and UTF-8 (theme files).
#pragma once

#include <string>
#include <string_view>

std::string ToAnsi(std::wstring_view text);
std::wstring FromAnsi(std::string_view text);
// True when the text comes back unchanged from the ANSI code page: a character the code page
// lacks would arrive as "?" or a look-alike.
bool SurvivesAnsi(std::wstring_view text) noexcept;
std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);
