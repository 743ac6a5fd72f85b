// The byte-level text rules of theme files: ASCII character classes, case folding, blanks, UTF-8
// sequences, and the excerpts that quote a file's text inside messages.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velum::parse {

inline bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}
inline bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}
inline bool IsAlpha(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
inline bool IsHexDigit(char c)
{
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
inline bool IsSchemeChar(char c)
{
    return IsAlpha(c) || IsDigit(c) || c == '-' || c == '_';
}
inline bool IsNameChar(char c)
{
    return IsSchemeChar(c) || c == '.';
}

// Names in theme files are ASCII, so case folding is ASCII only and never depends on a locale.
char ToLower(char c);
std::string Lower(std::string_view s);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

std::string_view TrimLeft(std::string_view s);
std::string_view TrimRight(std::string_view s);
std::string_view Trim(std::string_view s);

// Splits off the next blank-separated word; empty when none is left.
std::string_view NextWord(std::string_view& rest);

// "0x1F"
std::string HexByte(unsigned char c);

// Length of the well-formed UTF-8 sequence at the start of s, or 0 when it is not one. Overlong
// forms, surrogates and code points past U+10FFFF are refused, as the Windows converters do.
std::size_t Utf8SequenceLength(std::string_view s);

// How many UTF-16 units the text becomes; a malformed byte counts as one.
std::size_t Utf16Units(std::string_view s);

// Text quoted in messages: shortened, and with anything that isn't printable UTF-8 escaped, so a
// message is safe to print even when it quotes the caller's own argument.
std::string Excerpt(std::string_view s);
std::string Quoted(std::string_view s);

}  // namespace velum::parse
