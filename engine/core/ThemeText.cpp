#include "ThemeText.h"

#include <algorithm>

namespace velum::parse {
namespace {

constexpr std::size_t kMaxExcerptBytes = 40;

}  // namespace

char ToLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Lower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = ToLower(c);
    return out;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (ToLower(a[i]) != ToLower(b[i]))
            return false;
    }
    return true;
}

std::string_view TrimLeft(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    return s;
}

std::string_view TrimRight(std::string_view s)
{
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string_view Trim(std::string_view s)
{
    return TrimRight(TrimLeft(s));
}

std::string_view NextWord(std::string_view& rest)
{
    rest = TrimLeft(rest);
    std::size_t end = 0;
    while (end < rest.size() && !IsBlank(rest[end]))
        ++end;
    std::string_view word = rest.substr(0, end);
    rest.remove_prefix(end);
    return word;
}

std::string HexByte(unsigned char c)
{
    const char* digits = "0123456789ABCDEF";
    return std::string("0x") + digits[c >> 4] + digits[c & 0xF];
}

std::size_t Utf8SequenceLength(std::string_view s)
{
    auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = at(0);
    if (c < 0x80)
        return 1;
    std::size_t n = 0;
    unsigned char lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
    } else if (c == 0xE0) {
        n = 3;
        lo = 0xA0;
    } else if (c == 0xED) {
        n = 3;
        hi = 0x9F;
    } else if (c >= 0xE1 && c <= 0xEF) {
        n = 3;
    } else if (c == 0xF0) {
        n = 4;
        lo = 0x90;
    } else if (c >= 0xF1 && c <= 0xF3) {
        n = 4;
    } else if (c == 0xF4) {
        n = 4;
        hi = 0x8F;
    } else {
        return 0;
    }
    if (s.size() < n || at(1) < lo || at(1) > hi)
        return 0;
    for (std::size_t k = 2; k < n; ++k) {
        if ((at(k) & 0xC0) != 0x80)
            return 0;
    }
    return n;
}

std::size_t Utf16Units(std::string_view s)
{
    std::size_t units = 0;
    while (!s.empty()) {
        const std::size_t n = std::max<std::size_t>(Utf8SequenceLength(s), 1);
        units += n == 4 ? 2 : 1;
        s.remove_prefix(n);
    }
    return units;
}

std::string Excerpt(std::string_view s)
{
    std::string out;
    std::size_t i = 0;
    while (i < s.size() && out.size() < kMaxExcerptBytes) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t n = Utf8SequenceLength(s.substr(i));
        if (n == 0 || c < 0x20 || c == 0x7F) {
            out += "\\x" + HexByte(c).substr(2);
            ++i;
        } else {
            out.append(s.substr(i, n));
            i += n;
        }
    }
    if (i < s.size())
        out += "...";
    return out;
}

std::string Quoted(std::string_view s)
{
    // Built up in place: GCC 12 mistakes "'" + Excerpt(s) for an overlapping copy (-Wrestrict).
    std::string out = "'";
    out += Excerpt(s);
    out += '\'';
    return out;
}

}  // namespace velum::parse
