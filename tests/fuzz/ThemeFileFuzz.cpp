// Feeds arbitrary bytes to the parser under the default scheme, each scheme the input defines and
// one it cannot define, and checks the promises callers rely on: no theme alongside an error,
// positions inside the input, printable messages, and any theme it returns within range.
#include "ThemeFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void Require(bool ok) {
    if (!ok) std::abort();
}

// Written apart from the parser's own decoder on purpose: a shared bug would hide itself.
bool IsPrintableUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x20 || c == 0x7F) return false;
        std::size_t n = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
        if (n == 0 || c > 0xF4 || i + n > s.size()) return false;
        for (std::size_t k = 1; k < n; ++k) {
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        }
        i += n;
    }
    return true;
}

bool InRange(int v, int lo, int hi) { return v >= lo && v <= hi; }

void CheckFont(const velum::Font& font) {
    Require(!font.faces.empty());
    for (const auto& face : font.faces) Require(!face.empty() && IsPrintableUtf8(face));
    Require(InRange(font.sizePt, 6, 36));
    Require(InRange(font.weight, 100, 900));
}

void Check(const velum::ParseResult& result, std::string_view bytes) {
    std::size_t lines = 1;
    for (char c : bytes) lines += c == '\n' ? 1 : 0;
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
    if (!result.theme) return;
    const velum::Metrics& m = result.theme->metrics;
    Require(InRange(m.captionHeight, 16, 64) && InRange(m.frameWidth, 0, 16) && InRange(m.buttonWidth, 16, 64) &&
            InRange(m.buttonHeight, 12, 48) && InRange(m.menuBarHeight, 16, 48) &&
            InRange(m.menuItemHeight, 16, 48) && InRange(m.menuItemPadding, 0, 32) &&
            InRange(m.cornerRadius, 0, 16) && m.buttonHeight <= m.captionHeight);
    CheckFont(result.theme->captionFont);
    CheckFont(result.theme->menuFont);
    CheckFont(result.theme->popupFont);
    Require(!result.theme->name.empty() && IsPrintableUtf8(result.theme->name));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    Check(velum::ParseTheme(bytes, "fuzz.vlm", ""), bytes);
    const auto schemes = velum::ListThemeSchemes(bytes);
    for (std::size_t i = 0; i < schemes.size() && i < 4; ++i) {
        const velum::ParseResult result = velum::ParseTheme(bytes, "fuzz.vlm", schemes[i]);
        Check(result, bytes);
        if (result.theme) Require(result.theme->scheme == schemes[i]);
    }
    // No file can define this name: scheme names are ASCII letters, digits, '-' and '_'.
    const velum::ParseResult stray = velum::ParseTheme(bytes, "fuzz.vlm", "no such\x01\xFF scheme");
    Check(stray, bytes);
    Require(!stray.theme);
    return 0;
}
