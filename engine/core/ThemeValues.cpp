#include "ThemeValues.h"

#include <cstdint>
#include <utility>

#include "ThemeText.h"

namespace velum::parse {
namespace {

enum class NumberKind { Ok, NotNumber };

// Saturates instead of overflowing, so "99999999999999" still reads as out of range.
NumberKind ParseInteger(std::string_view word, long long& out)
{
    std::size_t i = 0;
    bool negative = false;
    if (!word.empty() && (word[0] == '-' || word[0] == '+')) {
        negative = word[0] == '-';
        i = 1;
    }
    if (i == word.size())
        return NumberKind::NotNumber;
    long long value = 0;
    for (; i < word.size(); ++i) {
        if (!IsDigit(word[i]))
            return NumberKind::NotNumber;
        if (value < 1'000'000'000'000LL)
            value = value * 10 + (word[i] - '0');
    }
    out = negative ? -value : value;
    return NumberKind::Ok;
}

}  // namespace

bool ReadNumber(const SourceLine& line, std::string_view key, std::string_view value, int min, int max, int& out)
{
    long long number = 0;
    if (ParseInteger(value, number) != NumberKind::Ok) {
        line.Error(value, "expected a whole number for " + std::string(key) + ", found " + Quoted(value));
        return false;
    }
    if (number < min || number > max) {
        line.Error(value, std::string(key) + " " + Excerpt(value) + " is out of range (" + std::to_string(min) +
                              " to " + std::to_string(max) + ")");
        return false;
    }
    out = static_cast<int>(number);
    return true;
}

bool ReadColor(const SourceLine& line, std::string_view word, Color& out)
{
    if (word.front() != '#') {
        line.Error(word, "expected a colour like #RRGGBB, found " + Quoted(word));
        return false;
    }
    if (word.size() != 7) {
        line.Error(word, Quoted(word) + " is not a colour: use # and six hex digits, like #1A2B3C");
        return false;
    }
    for (std::size_t i = 1; i < word.size(); ++i) {
        if (!IsHexDigit(word[i])) {
            line.Error(word.substr(i), Quoted(word) + " is not a colour: only 0-9 and A-F may follow '#'");
            return false;
        }
    }
    auto digit = [](char c) { return IsDigit(c) ? c - '0' : ToLower(c) - 'a' + 10; };
    auto channel = [&](std::size_t at) {
        return static_cast<std::uint8_t>(digit(word[at]) * 16 + digit(word[at + 1]));
    };
    out = Color{channel(1), channel(3), channel(5)};
    return true;
}

bool ReadFaces(const SourceLine& line, std::string_view value, std::vector<std::string>& faces)
{
    std::vector<std::string> read;
    std::string_view rest = value;
    while (true) {
        rest = TrimLeft(rest);
        std::string_view at = rest;  // where this name starts, for messages
        std::string_view face;
        if (!rest.empty() && rest.front() == '"') {
            const std::size_t close = rest.find('"', 1);
            if (close == std::string_view::npos) {
                line.Error(at, "font name has no closing quote");
                return false;
            }
            face = Trim(rest.substr(1, close - 1));
            rest = TrimLeft(rest.substr(close + 1));
            if (!rest.empty() && rest.front() != ',') {
                line.Error(rest, "expected ',' between font names");
                return false;
            }
        } else {
            const std::size_t comma = rest.find(',');
            face = TrimRight(rest.substr(0, comma));
            rest = rest.substr(comma == std::string_view::npos ? rest.size() : comma);
            if (const std::size_t quote = face.find('"'); quote != std::string_view::npos) {
                line.Error(face.substr(quote), "a quote may only open a font name");
                return false;
            }
        }
        if (face.empty()) {
            line.Error(at, "missing font name");
            return false;
        }
        // Blanks at either end of a name are layout, but one inside would end up in the face
        // name Windows looks up, where no font has it.
        if (const std::size_t tab = face.find('\t'); tab != std::string_view::npos) {
            line.Error(face.substr(tab), "TAB in the font name; use a space");
            return false;
        }
        if (Utf16Units(face) > kMaxFaceUnits) {
            line.Error(at, "font name " + Quoted(face) + " is longer than " + std::to_string(kMaxFaceUnits) +
                               " characters, which Windows can't use");
            return false;
        }
        if (read.size() == kMaxFaces) {
            // Appended in order: GCC 12 takes "text" + std::to_string() for an overlapping copy (-Wrestrict).
            line.Error(at, std::string("more than ").append(std::to_string(kMaxFaces)).append(" font names"));
            return false;
        }
        read.emplace_back(face);
        if (rest.empty())
            break;
        const std::string_view comma = rest.substr(0, 1);
        rest.remove_prefix(1);
        if (TrimLeft(rest).empty()) {
            line.Error(comma, "missing font name after ','");
            return false;
        }
    }
    faces = std::move(read);
    return true;
}

bool ReadThemeName(const SourceLine& line, std::string_view value, std::string& out)
{
    std::string_view name = value;
    if (name.front() == '"') {
        if (name.size() < 2 || name.back() != '"') {
            line.Error(value, "theme name has no closing quote");
            return false;
        }
        name = Trim(name.substr(1, name.size() - 2));
    }
    if (name.empty()) {
        line.Error(value, "theme name is empty");
    } else if (const std::size_t tab = name.find('\t'); tab != std::string_view::npos) {
        line.Error(name.substr(tab), "TAB in the theme name; use a space");
    } else if (name.size() > kMaxThemeNameBytes) {
        line.Error(value, "theme name is longer than " + std::to_string(kMaxThemeNameBytes) + " bytes");
    } else {
        out = std::string(name);
        return true;
    }
    return false;
}

bool CheckSchemeName(const SourceLine& line, std::string_view scheme)
{
    for (std::size_t i = 0; i < scheme.size(); ++i) {
        if (!IsSchemeChar(scheme[i])) {
            line.Error(scheme.substr(i), "invalid character in scheme name; use letters, digits, '-' and '_'");
            return false;
        }
    }
    if (scheme.size() > kMaxSchemeNameBytes) {
        line.Error(scheme, "scheme name is longer than " + std::to_string(kMaxSchemeNameBytes) + " characters");
        return false;
    }
    return true;
}

}  // namespace velum::parse
