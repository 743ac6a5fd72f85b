// Feeds arbitrary bytes to the parser under the default scheme, the schemes the input defines
// (also far down the file, and in another case) and one it cannot define, and checks the
// promises callers rely on: no theme alongside an error, positions inside the input, printable
// messages, and any theme it returns within range.
#include "ThemeFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Require(bool ok)
{
    if (!ok)
        std::abort();
}

// Written apart from the parser's own decoder on purpose: a shared bug would hide itself.
bool IsPrintableUtf8(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x20 || c == 0x7F)
            return false;
        std::size_t n = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
        if (n == 0 || c > 0xF4 || i + n > s.size())
            return false;
        for (std::size_t k = 1; k < n; ++k) {
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        }
        i += n;
    }
    return true;
}

bool InRange(int v, int lo, int hi)
{
    return v >= lo && v <= hi;
}

void CheckFont(const velum::Font& font)
{
    Require(!font.faces.empty());
    for (const auto& face : font.faces)
        Require(!face.empty() && IsPrintableUtf8(face));
    Require(InRange(font.sizePt, 6, 36));
    Require(InRange(font.weight, 100, 900));
}

void Check(const velum::ParseResult& result, std::string_view bytes)
{
    std::size_t lines = 1;
    for (char c : bytes)
        lines += c == '\n' ? 1 : 0;
    bool error = false;
    Require(result.diagnostics.size() <= 101);
    for (const velum::Diagnostic& d : result.diagnostics) {
        error = error || d.severity == velum::Severity::Error;
        Require(d.line >= 0 && static_cast<std::size_t>(d.line) <= lines);
        Require(d.column >= 0 && static_cast<std::size_t>(d.column) <= bytes.size() + 1);
        Require(d.line > 0 || d.column == 0);
        Require(!d.message.empty() && IsPrintableUtf8(d.message));
        Require(!velum::FormatDiagnostic(d).empty());
    }
    Require(result.theme.has_value() != error);
    if (!result.theme)
        return;
    const velum::Metrics& m = result.theme->metrics;
    Require(InRange(m.captionHeight, 16, 64) && InRange(m.frameWidth, 0, 16) && InRange(m.buttonWidth, 16, 64) &&
            InRange(m.buttonHeight, 12, 48) && InRange(m.menuBarHeight, 16, 48) && InRange(m.menuItemHeight, 16, 48) &&
            InRange(m.menuItemPadding, 0, 32) && InRange(m.cornerRadius, 0, 16) && m.buttonHeight <= m.captionHeight);
    CheckFont(result.theme->captionFont);
    CheckFont(result.theme->menuFont);
    CheckFont(result.theme->popupFont);
    Require(!result.theme->name.empty() && IsPrintableUtf8(result.theme->name));
}

// The same name with its ASCII letters' case flipped: the parser selects schemes in any case.
std::string FlippedCase(std::string_view name)
{
    std::string out(name);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

void CheckScheme(std::string_view bytes, const std::string& scheme, bool flip)
{
    const velum::ParseResult result = velum::ParseTheme(bytes, "fuzz.vlm", flip ? FlippedCase(scheme) : scheme);
    Check(result, bytes);
    if (result.theme)
        Require(result.theme->scheme == scheme);  // spelled as in the file
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    Check(velum::ParseTheme(bytes, "fuzz.vlm", ""), bytes);
    // Every scheme up to a bound, then the last one and one the input's size picks, so a scheme
    // far down a long file is selected too; one of them in flipped case.
    const auto schemes = velum::ListThemeSchemes(bytes);
    constexpr std::size_t kEvery = 8;
    for (std::size_t i = 0; i < schemes.size() && i < kEvery; ++i)
        CheckScheme(bytes, schemes[i], false);
    if (!schemes.empty()) {
        if (schemes.size() > kEvery) {
            CheckScheme(bytes, schemes.back(), false);
            CheckScheme(bytes, schemes[kEvery + size % (schemes.size() - kEvery)], false);
        }
        CheckScheme(bytes, schemes[size % schemes.size()], true);
    }
    // No file can define this name: scheme names are ASCII letters, digits, '-' and '_'.
    const velum::ParseResult stray = velum::ParseTheme(bytes, "fuzz.vlm", "no such\x01\xFF scheme");
    Check(stray, bytes);
    Require(!stray.theme);
    return 0;
}
