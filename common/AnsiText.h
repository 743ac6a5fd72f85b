// The program keeps text wide; these convert at the edges that take 8-bit text in the
// system's ANSI code page (the settings file, the engine, the shell).
#pragma once

#include <string>
#include <string_view>

std::string ToAnsi(std::wstring_view text);
std::wstring FromAnsi(std::string_view text);
