// Theme files are checked byte by byte for encoding problems before anything else, so the line
// scanner can take the text as valid UTF-8 free of control characters. Every position reported
// comes from pointer differences into the line being scanned, which keeps columns honest however
// the line was trimmed or split.
#include "ThemeFile.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <initializer_list>
#include <system_error>
#include <unordered_map>
#include <utility>

namespace velum {
namespace {

// A mangled or foreign file could otherwise produce one diagnostic per line: a megabyte of them
// helps nobody and costs memory.
constexpr std::size_t kMaxDiagnostics = 100;
constexpr std::size_t kMaxExcerptBytes = 40;
constexpr std::size_t kMaxSchemeNameBytes = 64;
constexpr std::size_t kMaxThemeNameBytes = 128;
constexpr std::size_t kMaxFaces = 16;
// LOGFONT holds a face name in 32 UTF-16 units including the terminator; a longer name would be
// cut off and then match no installed font.
constexpr std::size_t kMaxFaceUnits = 31;

enum SectionId : int {
    kThemeSection,
    kMetricsSection,
    kDefaults,
    kWindow,
    kFrame,
    kFrameInactive,
    kCaption,
    kCaptionInactive,
    kButton,
    kButtonHot,
    kButtonPressed,
    kCloseHot,
    kMenuBar,
    kMenuBarHot,
    kPopup,
    kPopupSelected,
    kPopupDisabled,
    kPopupSeparator,
    kSectionCount,
};
constexpr SectionId kNoSection = kSectionCount;

struct SectionInfo {
    std::string_view name;
    SectionId parent;  // where keys this section leaves out come from
    Style Theme::*style;
    bool takesFont;
};

const std::array<SectionInfo, kSectionCount> kSections = {{
    {"Theme", kNoSection, nullptr, false},
    {"Metrics", kNoSection, nullptr, false},
    {"Defaults", kNoSection, nullptr, true},
    {"Window", kDefaults, &Theme::window, false},
    {"Frame", kDefaults, &Theme::frame, false},
    {"Frame.Inactive", kFrame, &Theme::frameInactive, false},
    {"Caption", kDefaults, &Theme::caption, true},
    {"Caption.Inactive", kCaption, &Theme::captionInactive, false},
    {"CaptionButton", kDefaults, &Theme::button, false},
    {"CaptionButton.Hot", kButton, &Theme::buttonHot, false},
    {"CaptionButton.Pressed", kButton, &Theme::buttonPressed, false},
    {"CloseButton.Hot", kButtonHot, &Theme::closeHot, false},
    {"MenuBar", kDefaults, &Theme::menuBar, true},
    {"MenuBar.Hot", kMenuBar, &Theme::menuBarHot, false},
    {"Popup", kDefaults, &Theme::popup, true},
    {"Popup.Selected", kPopup, &Theme::popupSelected, false},
    {"Popup.Disabled", kPopup, &Theme::popupDisabled, false},
    {"Popup.Separator", kPopup, &Theme::popupSeparator, false},
}};

struct MetricInfo {
    std::string_view key;
    int Metrics::*field;
    int min;
    int max;
};

const std::array<MetricInfo, 8> kMetricKeys = {{
    {"caption-height", &Metrics::captionHeight, 16, 64},
    {"frame-width", &Metrics::frameWidth, 0, 16},
    {"button-width", &Metrics::buttonWidth, 16, 64},
    {"button-height", &Metrics::buttonHeight, 12, 48},
    {"menubar-height", &Metrics::menuBarHeight, 16, 48},
    {"menu-item-height", &Metrics::menuItemHeight, 16, 48},
    {"menu-item-padding", &Metrics::menuItemPadding, 0, 32},
    {"corner-radius", &Metrics::cornerRadius, 0, 16},
}};

constexpr int kMinFontSize = 6, kMaxFontSize = 36;
constexpr int kMinFontWeight = 100, kMaxFontWeight = 900;

template <class T>
struct Setting {
    T value{};
    int line = 0;
    int column = 0;
    bool set = false;
};

struct SectionData {
    SectionId id = kNoSection;
    std::unordered_map<std::string, int> keyLines;  // lower-case key -> line, to catch repeats
    Setting<std::pair<Color, Color>> background;
    Setting<bool> vertical;
    Setting<Color> text;
    Setting<Color> border;
    Setting<std::vector<std::string>> faces;
    Setting<int> fontSize;
    Setting<int> fontWeight;
    std::array<Setting<int>, kMetricKeys.size()> metrics;
    Setting<std::string> name;
    Setting<std::string> defaultScheme;
};

struct Scheme {
    std::string spelling;  // as first written in the file
    std::array<int, kSectionCount> section;  // index into Document::sections, -1 when absent
};

struct Document {
    std::vector<SectionData> sections;
    std::vector<Scheme> schemes;  // [0] is the unnamed base
    std::unordered_map<std::string, std::size_t> schemeByKey;  // lower-case name -> schemes index
    bool anyKnownSection = false;
    bool anyHeader = false;  // some line at least tried to open a section
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool IsSchemeChar(char c) { return IsAlpha(c) || IsDigit(c) || c == '-' || c == '_'; }
bool IsNameChar(char c) { return IsSchemeChar(c) || c == '.'; }

char ToLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = ToLower(c);
    return out;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (ToLower(a[i]) != ToLower(b[i])) return false;
    }
    return true;
}

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    return s;
}

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::string_view Trim(std::string_view s) { return TrimRight(TrimLeft(s)); }

// Splits off the next blank-separated word; empty when none is left.
std::string_view NextWord(std::string_view& rest) {
    rest = TrimLeft(rest);
    std::size_t end = 0;
    while (end < rest.size() && !IsBlank(rest[end])) ++end;
    std::string_view word = rest.substr(0, end);
    rest.remove_prefix(end);
    return word;
}

std::string HexByte(unsigned char c) {
    const char* digits = "0123456789ABCDEF";
    return std::string("0x") + digits[c >> 4] + digits[c & 0xF];
}

// Length of the well-formed UTF-8 sequence at the start of s, or 0 when it is not one. Overlong
// forms, surrogates and code points past U+10FFFF are refused, as the Windows converters do.
std::size_t Utf8SequenceLength(std::string_view s) {
    auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = at(0);
    if (c < 0x80) return 1;
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
    if (s.size() < n || at(1) < lo || at(1) > hi) return 0;
    for (std::size_t k = 2; k < n; ++k) {
        if ((at(k) & 0xC0) != 0x80) return 0;
    }
    return n;
}

std::size_t Utf16Units(std::string_view s) {
    std::size_t units = 0;
    while (!s.empty()) {
        const std::size_t n = std::max<std::size_t>(Utf8SequenceLength(s), 1);
        units += n == 4 ? 2 : 1;
        s.remove_prefix(n);
    }
    return units;
}

// Text quoted in messages: shortened, and with anything that isn't printable UTF-8 escaped, so a
// message is safe to print even when it quotes the caller's own argument.
std::string Excerpt(std::string_view s) {
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
    if (i < s.size()) out += "...";
    return out;
}

std::string Quoted(std::string_view s) { return "'" + Excerpt(s) + "'"; }

class Reporter {
public:
    explicit Reporter(std::string_view file) : file_(file) {}

    void Error(int line, int column, std::string message) {
        Add(Severity::Error, line, column, std::move(message));
    }
    void Warning(int line, int column, std::string message) {
        Add(Severity::Warning, line, column, std::move(message));
    }
    bool HasError() const { return hasError_; }

    void Reset() {
        kept_.clear();
        dropped_ = 0;
        droppedError_ = hasError_ = false;
    }

    std::vector<Diagnostic> Finish() {
        std::stable_sort(kept_.begin(), kept_.end(), [](const Diagnostic& a, const Diagnostic& b) {
            return a.line != b.line ? a.line < b.line : a.column < b.column;
        });
        if (dropped_ > 0) {
            kept_.push_back({file_, 0, 0, droppedError_ ? Severity::Error : Severity::Warning,
                             std::to_string(dropped_) + " more problems not shown"});
        }
        return std::move(kept_);
    }

private:
    void Add(Severity severity, int line, int column, std::string message) {
        if (severity == Severity::Error) hasError_ = true;
        if (kept_.size() < kMaxDiagnostics) {
            kept_.push_back({file_, line, column, severity, std::move(message)});
        } else {
            ++dropped_;
            droppedError_ = droppedError_ || severity == Severity::Error;
        }
    }

    std::string file_;
    std::vector<Diagnostic> kept_;
    std::size_t dropped_ = 0;
    bool droppedError_ = false;
    bool hasError_ = false;
};

// Stops at the first byte that has no place in a theme file: past one, the rest is rarely text.
bool CheckEncoding(std::string_view text, Reporter& report) {
    int line = 1;
    std::size_t lineStart = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        const int column = static_cast<int>(i - lineStart) + 1;
        if (c == '\n') {
            ++line;
            lineStart = ++i;
            continue;
        }
        if (c == 0) {
            report.Error(line, column, "NUL byte: this is a binary file, not a theme file");
            return false;
        }
        if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
                continue;
            }
            report.Error(line, column, "carriage return without a line feed; end lines with LF or CRLF");
            return false;
        }
        if ((c < 0x20 && c != '\t') || c == 0x7F) {
            report.Error(line, column, "control character " + HexByte(c) + " in a text file");
            return false;
        }
        const std::size_t n = Utf8SequenceLength(text.substr(i));
        if (n == 0) {
            report.Error(line, column,
                         "invalid UTF-8 (byte " + HexByte(c) + "); theme files must be saved as UTF-8");
            return false;
        }
        i += n;
    }
    return true;
}

enum class NumberKind { Ok, NotNumber };

// Saturates instead of overflowing, so "99999999999999" still reads as out of range.
NumberKind ParseInteger(std::string_view word, long long& out) {
    std::size_t i = 0;
    bool negative = false;
    if (!word.empty() && (word[0] == '-' || word[0] == '+')) {
        negative = word[0] == '-';
        i = 1;
    }
    if (i == word.size()) return NumberKind::NotNumber;
    long long value = 0;
    for (; i < word.size(); ++i) {
        if (!IsDigit(word[i])) return NumberKind::NotNumber;
        if (value < 1'000'000'000'000LL) value = value * 10 + (word[i] - '0');
    }
    out = negative ? -value : value;
    return NumberKind::Ok;
}

class Scanner {
public:
    Scanner(Document& doc, Reporter& report) : doc_(doc), report_(report) {
        doc_.schemes.push_back(NewScheme(""));
    }

    void Scan(std::string_view text) {
        std::size_t pos = 0;
        while (pos < text.size()) {
            std::size_t end = text.find('\n', pos);
            if (end == std::string_view::npos) end = text.size();
            std::string_view line = text.substr(pos, end - pos);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            ++lineNo_;
            line_ = line;
            ScanLine();
            pos = end + 1;
        }
    }

private:
    static constexpr int kNone = -1;  // no section header seen yet
    static constexpr int kSkip = -2;  // inside a section whose keys are ignored

    static Scheme NewScheme(std::string_view spelling) {
        Scheme s;
        s.spelling = std::string(spelling);
        s.section.fill(-1);
        return s;
    }

    int Column(std::string_view part) const { return static_cast<int>(part.data() - line_.data()) + 1; }
    int ColumnAfter(std::string_view part) const { return Column(part) + static_cast<int>(part.size()); }
    void Error(std::string_view at, std::string message) { report_.Error(lineNo_, Column(at), std::move(message)); }
    void Warning(std::string_view at, std::string message) {
        report_.Warning(lineNo_, Column(at), std::move(message));
    }

    void ScanLine() {
        const std::string_view content = TrimLeft(line_);
        if (content.empty() || content[0] == ';' || content[0] == '#') return;
        if (content[0] == '[') {
            doc_.anyHeader = true;
            ScanHeader(content);
        } else {
            ScanEntry(content);
        }
    }

    void ScanHeader(std::string_view content) {
        current_ = kSkip;
        const std::size_t close = content.find(']');
        if (close == std::string_view::npos) {
            report_.Error(lineNo_, ColumnAfter(content), "section header has no closing ']'");
            return;
        }
        const std::string_view after = TrimLeft(content.substr(close + 1));
        if (!after.empty()) {
            Error(after, "unexpected text after the section header");
            return;
        }
        const std::string_view inner = Trim(content.substr(1, close - 1));
        if (inner.empty()) {
            Error(content, "empty section name");
            return;
        }
        std::string_view scheme;
        std::string_view name = inner;
        if (const std::size_t colon = inner.find(':'); colon != std::string_view::npos) {
            scheme = TrimRight(inner.substr(0, colon));
            name = TrimLeft(inner.substr(colon + 1));
            if (scheme.empty()) {
                Error(inner, "missing scheme name before ':'");
                return;
            }
            if (name.empty()) {
                report_.Error(lineNo_, ColumnAfter(inner), "missing section name after ':'");
                return;
            }
            if (!CheckSchemeName(scheme)) return;
        }
        for (std::size_t i = 0; i < name.size(); ++i) {
            if (!IsNameChar(name[i])) {
                Error(name.substr(i), name[i] == ':' ? "a section name takes at most one scheme prefix"
                                                     : "invalid character in section name; use letters, "
                                                       "digits, '.', '-' and '_'");
                return;
            }
        }

        std::string key = Lower(scheme) + ':' + Lower(name);
        if (auto [it, inserted] = seenSections_.emplace(std::move(key), lineNo_); !inserted) {
            Error(inner, "duplicate section [" + Excerpt(inner) + "] (first on line " +
                             std::to_string(it->second) + ")");
            return;
        }

        SectionId id = kNoSection;
        for (int s = 0; s < kSectionCount; ++s) {
            if (EqualsIgnoreCase(name, kSections[static_cast<std::size_t>(s)].name)) id = static_cast<SectionId>(s);
        }
        if (id == kThemeSection && !scheme.empty()) {
            Error(inner, "[Theme] describes the whole file and can't belong to a scheme");
            return;
        }
        Scheme& target = doc_.schemes[SchemeIndex(scheme)];
        if (id == kNoSection) {
            Warning(name, "unknown section [" + Excerpt(name) + "] ignored");
            return;
        }
        target.section[static_cast<std::size_t>(id)] = static_cast<int>(doc_.sections.size());
        current_ = static_cast<int>(doc_.sections.size());
        doc_.sections.emplace_back().id = id;
        doc_.anyKnownSection = true;
    }

    std::size_t SchemeIndex(std::string_view scheme) {
        if (scheme.empty()) return 0;
        auto [it, inserted] = doc_.schemeByKey.emplace(Lower(scheme), doc_.schemes.size());
        if (inserted) doc_.schemes.push_back(NewScheme(scheme));
        return it->second;
    }

    bool CheckSchemeName(std::string_view scheme) {
        for (std::size_t i = 0; i < scheme.size(); ++i) {
            if (!IsSchemeChar(scheme[i])) {
                Error(scheme.substr(i), "invalid character in scheme name; use letters, digits, '-' and '_'");
                return false;
            }
        }
        if (scheme.size() > kMaxSchemeNameBytes) {
            Error(scheme, "scheme name is longer than " + std::to_string(kMaxSchemeNameBytes) + " characters");
            return false;
        }
        return true;
    }

    void ScanEntry(std::string_view content) {
        const std::size_t eq = content.find('=');
        if (eq == std::string_view::npos) {
            Error(content, current_ == kNone ? "expected a [Section] header" : "expected 'key = value'");
            return;
        }
        const std::string_view key = TrimRight(content.substr(0, eq));
        const std::string_view equals = content.substr(eq, 1);
        if (key.empty()) {
            Error(equals, "missing key before '='");
            return;
        }
        for (std::size_t i = 0; i < key.size(); ++i) {
            if (!IsNameChar(key[i])) {
                Error(key.substr(i), "invalid character in key " + Quoted(key) +
                                         "; keys use letters, digits, '.', '-' and '_'");
                return;
            }
        }
        const std::string_view value = Trim(content.substr(eq + 1));
        if (value.empty()) {
            report_.Error(lineNo_, Column(equals) + 1, "missing value for " + Quoted(key));
            return;
        }
        if (current_ == kNone) {
            Error(key, Quoted(key) + " is outside any section; a theme file starts with a section such as [Theme]");
            return;
        }
        if (current_ == kSkip) return;

        SectionData& section = doc_.sections[static_cast<std::size_t>(current_)];
        std::string lowerKey = Lower(key);
        if (auto [it, inserted] = section.keyLines.emplace(lowerKey, lineNo_); !inserted) {
            Error(key, "duplicate key " + Quoted(key) + " (first set on line " + std::to_string(it->second) + ")");
            return;
        }
        switch (section.id) {
        case kThemeSection:
            ThemeKey(section, key, lowerKey, value);
            break;
        case kMetricsSection:
            MetricKey(section, key, lowerKey, value);
            break;
        default:
            StyleKey(section, key, lowerKey, value);
            break;
        }
    }

    template <class T>
    void Store(Setting<T>& setting, std::string_view at, T value) {
        setting.value = std::move(value);
        setting.line = lineNo_;
        setting.column = Column(at);
        setting.set = true;
    }

    void UnknownKey(const SectionData& section, std::string_view key) {
        Warning(key, "unknown key " + Quoted(key) + " in [" +
                         std::string(kSections[static_cast<std::size_t>(section.id)].name) + "] ignored");
    }

    void ThemeKey(SectionData& section, std::string_view key, std::string_view lowerKey, std::string_view value) {
        if (lowerKey == "name") {
            std::string_view name = value;
            if (name.front() == '"') {
                if (name.size() < 2 || name.back() != '"') {
                    Error(value, "theme name has no closing quote");
                    return;
                }
                name = Trim(name.substr(1, name.size() - 2));
            }
            if (name.empty()) {
                Error(value, "theme name is empty");
            } else if (const std::size_t tab = name.find('\t'); tab != std::string_view::npos) {
                Error(name.substr(tab), "TAB in the theme name; use a space");
            } else if (name.size() > kMaxThemeNameBytes) {
                Error(value, "theme name is longer than " + std::to_string(kMaxThemeNameBytes) + " bytes");
            } else {
                Store(section.name, value, std::string(name));
            }
        } else if (lowerKey == "default-scheme") {
            if (CheckSchemeName(value)) Store(section.defaultScheme, value, std::string(value));
        } else {
            UnknownKey(section, key);
        }
    }

    bool ReadNumber(std::string_view key, std::string_view value, int min, int max, int& out) {
        long long number = 0;
        if (ParseInteger(value, number) != NumberKind::Ok) {
            Error(value, "expected a whole number for " + std::string(key) + ", found " + Quoted(value));
            return false;
        }
        if (number < min || number > max) {
            Error(value, std::string(key) + " " + Excerpt(value) + " is out of range (" + std::to_string(min) +
                             " to " + std::to_string(max) + ")");
            return false;
        }
        out = static_cast<int>(number);
        return true;
    }

    void MetricKey(SectionData& section, std::string_view key, std::string_view lowerKey, std::string_view value) {
        for (std::size_t i = 0; i < kMetricKeys.size(); ++i) {
            const MetricInfo& info = kMetricKeys[i];
            if (lowerKey != info.key) continue;
            int number = 0;
            if (ReadNumber(info.key, value, info.min, info.max, number)) Store(section.metrics[i], value, number);
            return;
        }
        UnknownKey(section, key);
    }

    bool ReadColor(std::string_view word, Color& out) {
        if (word.front() != '#') {
            Error(word, "expected a colour like #RRGGBB, found " + Quoted(word));
            return false;
        }
        if (word.size() != 7) {
            Error(word, Quoted(word) + " is not a colour: use # and six hex digits, like #1A2B3C");
            return false;
        }
        for (std::size_t i = 1; i < word.size(); ++i) {
            if (!IsHexDigit(word[i])) {
                Error(word.substr(i), Quoted(word) + " is not a colour: only 0-9 and A-F may follow '#'");
                return false;
            }
        }
        auto digit = [](char c) {
            return IsDigit(c) ? c - '0' : ToLower(c) - 'a' + 10;
        };
        auto channel = [&](std::size_t at) {
            return static_cast<std::uint8_t>(digit(word[at]) * 16 + digit(word[at + 1]));
        };
        out = Color{channel(1), channel(3), channel(5)};
        return true;
    }

    void StyleKey(SectionData& section, std::string_view key, std::string_view lowerKey, std::string_view value) {
        const SectionInfo& info = kSections[static_cast<std::size_t>(section.id)];
        const bool fontKey = lowerKey == "font" || lowerKey == "font-size" || lowerKey == "font-weight";
        if (fontKey && !info.takesFont) {
            Warning(key, Quoted(key) + " has no effect in [" + std::string(info.name) +
                             "]; fonts belong in [Defaults], [Caption], [MenuBar] or [Popup]");
            return;
        }
        std::string_view rest = value;
        if (lowerKey == "background") {
            const std::string_view first = NextWord(rest);
            const std::string_view second = NextWord(rest);
            const std::string_view extra = NextWord(rest);
            if (!extra.empty()) {
                Error(extra, "background takes one colour, or two for a gradient");
                return;
            }
            Color from, to;
            if (!ReadColor(first, from)) return;
            to = from;
            if (!second.empty() && !ReadColor(second, to)) return;
            Store(section.background, value, std::pair{from, to});
        } else if (lowerKey == "gradient") {
            if (EqualsIgnoreCase(value, "vertical") || EqualsIgnoreCase(value, "horizontal")) {
                Store(section.vertical, value, EqualsIgnoreCase(value, "vertical"));
            } else {
                Error(value, "gradient is 'vertical' or 'horizontal', not " + Quoted(value));
            }
        } else if (lowerKey == "text" || lowerKey == "border") {
            const std::string_view word = NextWord(rest);
            const std::string_view extra = NextWord(rest);
            Color color;
            if (!extra.empty()) {
                Error(extra, Quoted(key) + " takes a single colour");
            } else if (ReadColor(word, color)) {
                Store(lowerKey == "text" ? section.text : section.border, value, color);
            }
        } else if (lowerKey == "font") {
            std::vector<std::string> faces;
            if (ReadFaces(value, faces)) Store(section.faces, value, std::move(faces));
        } else if (lowerKey == "font-size") {
            int size = 0;
            if (ReadNumber("font-size", value, kMinFontSize, kMaxFontSize, size)) Store(section.fontSize, value, size);
        } else if (lowerKey == "font-weight") {
            int weight = 0;
            if (EqualsIgnoreCase(value, "normal")) {
                Store(section.fontWeight, value, 400);
            } else if (EqualsIgnoreCase(value, "bold")) {
                Store(section.fontWeight, value, 700);
            } else if (ReadNumber("font-weight", value, kMinFontWeight, kMaxFontWeight, weight)) {
                Store(section.fontWeight, value, weight);
            }
        } else {
            UnknownKey(section, key);
        }
    }

    // font = "Segoe UI", "Microsoft YaHei", Tahoma
    bool ReadFaces(std::string_view value, std::vector<std::string>& faces) {
        std::string_view rest = value;
        while (true) {
            rest = TrimLeft(rest);
            std::string_view at = rest;  // where this name starts, for messages
            std::string_view face;
            if (!rest.empty() && rest.front() == '"') {
                const std::size_t close = rest.find('"', 1);
                if (close == std::string_view::npos) {
                    Error(at, "font name has no closing quote");
                    return false;
                }
                face = Trim(rest.substr(1, close - 1));
                rest = TrimLeft(rest.substr(close + 1));
                if (!rest.empty() && rest.front() != ',') {
                    Error(rest, "expected ',' between font names");
                    return false;
                }
            } else {
                const std::size_t comma = rest.find(',');
                face = TrimRight(rest.substr(0, comma));
                rest = rest.substr(comma == std::string_view::npos ? rest.size() : comma);
                if (const std::size_t quote = face.find('"'); quote != std::string_view::npos) {
                    Error(face.substr(quote), "a quote may only open a font name");
                    return false;
                }
            }
            if (face.empty()) {
                Error(at, "missing font name");
                return false;
            }
            // Blanks at either end of a name are layout, but one inside would end up in the face
            // name Windows looks up, where no font has it.
            if (const std::size_t tab = face.find('\t'); tab != std::string_view::npos) {
                Error(face.substr(tab), "TAB in the font name; use a space");
                return false;
            }
            if (Utf16Units(face) > kMaxFaceUnits) {
                Error(at, "font name " + Quoted(face) + " is longer than " + std::to_string(kMaxFaceUnits) +
                              " characters, which Windows can't use");
                return false;
            }
            if (faces.size() == kMaxFaces) {
                Error(at, "more than " + std::to_string(kMaxFaces) + " font names");
                return false;
            }
            faces.emplace_back(face);
            if (rest.empty()) return true;
            const std::string_view comma = rest.substr(0, 1);
            rest.remove_prefix(1);
            if (TrimLeft(rest).empty()) {
                Error(comma, "missing font name after ','");
                return false;
            }
        }
    }

    Document& doc_;
    Reporter& report_;
    std::unordered_map<std::string, int> seenSections_;  // lower-case "scheme:name" -> line
    std::string_view line_;
    int lineNo_ = 0;
    int current_ = kNone;
};

// Returns false when the text can't be scanned at all; the reason is already reported.
bool ScanDocument(std::string_view bytes, Document& doc, Reporter& report) {
    if (bytes.size() > kMaxThemeFileBytes) {
        report.Error(0, 0, "file is " + std::to_string(bytes.size()) + " bytes; theme files are limited to " +
                               std::to_string(kMaxThemeFileBytes) + " bytes");
        return false;
    }
    if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") {
        report.Error(1, 1, "file is UTF-16; save it as UTF-8");
        return false;
    }
    // Columns are counted after the BOM, the way editors show them.
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    if (!CheckEncoding(bytes, report)) return false;
    Scanner(doc, report).Scan(bytes);
    return true;
}

std::string SchemeList(const Document& doc) {
    if (doc.schemes.size() == 1) return "the file defines no schemes";
    std::string list = "the file defines ";
    for (std::size_t i = 1; i < doc.schemes.size(); ++i) {
        if (i > 1) list += ", ";
        list += doc.schemes[i].spelling;
    }
    return list;
}

// The sections that apply under the selected scheme: the scheme's own, then the file's base ones.
struct Layers {
    std::array<const SectionData*, kSectionCount> scheme{};
    std::array<const SectionData*, kSectionCount> base{};

    template <class T>
    const Setting<T>* Pick(SectionId id, Setting<T> SectionData::*member) const {
        const auto i = static_cast<std::size_t>(id);
        for (const SectionData* section : {scheme[i], base[i]}) {
            if (section != nullptr && (section->*member).set) return &(section->*member);
        }
        return nullptr;
    }

    template <class T>
    const Setting<T>* Find(SectionId id, Setting<T> SectionData::*member) const {
        for (SectionId s = id; s != kNoSection; s = kSections[static_cast<std::size_t>(s)].parent) {
            if (const Setting<T>* found = Pick(s, member)) return found;
        }
        return nullptr;
    }

    template <class T>
    const Setting<T>* FindIn(std::initializer_list<SectionId> chain, Setting<T> SectionData::*member) const {
        for (SectionId s : chain) {
            if (const Setting<T>* found = Pick(s, member)) return found;
        }
        return nullptr;
    }

    Font ResolveFont(std::initializer_list<SectionId> chain, Font font) const {
        if (auto* faces = FindIn(chain, &SectionData::faces)) font.faces = faces->value;
        if (auto* size = FindIn(chain, &SectionData::fontSize)) font.sizePt = size->value;
        if (auto* weight = FindIn(chain, &SectionData::fontWeight)) font.weight = weight->value;
        return font;
    }
};

Style MakeStyle(std::uint32_t top, std::uint32_t bottom, std::uint32_t text, std::uint32_t border) {
    auto rgb = [](std::uint32_t v) {
        return Color{static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8),
                     static_cast<std::uint8_t>(v)};
    };
    return Style{Fill{rgb(top), rgb(bottom), true}, rgb(text), rgb(border)};
}

Theme BuildDefaultTheme() {
    Theme t;
    t.name = "Velum Default";
    const std::vector<std::string> faces = {"Segoe UI", "Microsoft YaHei", "\xE5\xBE\xAE\xE8\xBD\xAF\xE9\x9B\x85\xE9\xBB\x91",
                                            "WenQuanYi Zen Hei", "Tahoma"};
    t.captionFont = Font{faces, 9, 600};
    t.menuFont = Font{faces, 9, 400};
    t.popupFont = t.menuFont;
    t.window = MakeStyle(0xF6F7F9, 0xF6F7F9, 0x1F2328, 0xD0D7DE);
    t.frame = MakeStyle(0x3A66A0, 0x3A66A0, 0xFFFFFF, 0x2F5585);
    t.frameInactive = MakeStyle(0xD5DBE3, 0xD5DBE3, 0x6B7480, 0xB3BCC8);
    t.caption = MakeStyle(0x4B7DBA, 0x3A66A0, 0xFFFFFF, 0x2F5585);
    t.captionInactive = MakeStyle(0xE3E8EE, 0xD5DBE3, 0x6B7480, 0xB3BCC8);
    t.button = MakeStyle(0x4B7DBA, 0x3A66A0, 0xFFFFFF, 0x3A66A0);
    t.buttonHot = MakeStyle(0x6C98CF, 0x5787C2, 0xFFFFFF, 0x8FB2DC);
    t.buttonPressed = MakeStyle(0x2C5283, 0x2C5283, 0xFFFFFF, 0x24466F);
    t.closeHot = MakeStyle(0xE0474F, 0xC9323A, 0xFFFFFF, 0xA9272E);
    t.menuBar = MakeStyle(0xECEFF3, 0xECEFF3, 0x1F2328, 0xD0D7DE);
    t.menuBarHot = MakeStyle(0xD3E2F4, 0xD3E2F4, 0x12365F, 0x9DB9DD);
    t.popup = MakeStyle(0xFFFFFF, 0xFFFFFF, 0x1F2328, 0xB5BFCB);
    t.popupSelected = MakeStyle(0x3A66A0, 0x3A66A0, 0xFFFFFF, 0x2F5585);
    t.popupDisabled = MakeStyle(0xFFFFFF, 0xFFFFFF, 0x9AA3AE, 0xB5BFCB);
    t.popupSeparator = MakeStyle(0xE1E5EA, 0xE1E5EA, 0x9AA3AE, 0xE1E5EA);
    return t;
}

std::string PathText(const std::filesystem::path& path) {
    const auto utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

}  // namespace

Theme DefaultTheme() {
    static const Theme theme = BuildDefaultTheme();
    return theme;
}

ParseResult ParseTheme(std::string_view bytes, std::string_view fileName, std::string_view scheme) {
    ParseResult result;
    Reporter report(fileName);
    Document doc;
    if (!ScanDocument(bytes, doc, report)) {
        result.diagnostics = report.Finish();
        return result;
    }
    if (!doc.anyKnownSection) {
        // For plain text, whatever the lines said, the real news is that this isn't a theme file.
        // A file that tried to open sections keeps its line errors: a typo there is the likely cause.
        std::string_view text = bytes;
        if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
        const bool blank = text.find_first_not_of(" \t\r\n") == std::string_view::npos;
        if (!doc.anyHeader) report.Reset();
        report.Error(0, 0, blank ? "not a theme file: the file is empty"
                                 : "not a theme file: it has no theme sections such as [Theme] or [Caption]");
        result.diagnostics = report.Finish();
        return result;
    }

    const Scheme& base = doc.schemes[0];
    const SectionData* themeSection =
        base.section[kThemeSection] >= 0 ? &doc.sections[static_cast<std::size_t>(base.section[kThemeSection])]
                                         : nullptr;
    std::size_t defaultScheme = 0;
    if (themeSection != nullptr && themeSection->defaultScheme.set) {
        const Setting<std::string>& named = themeSection->defaultScheme;
        if (auto it = doc.schemeByKey.find(Lower(named.value)); it != doc.schemeByKey.end()) {
            defaultScheme = it->second;
        } else {
            report.Error(named.line, named.column,
                         "default-scheme " + Quoted(named.value) + " is not defined; " + SchemeList(doc));
        }
    }
    std::size_t selected = defaultScheme;
    if (!scheme.empty()) {
        if (auto it = doc.schemeByKey.find(Lower(scheme)); it != doc.schemeByKey.end()) {
            selected = it->second;
        } else {
            report.Error(0, 0, "scheme " + Quoted(scheme) + " is not defined; " + SchemeList(doc));
        }
    }

    Layers layers;
    for (std::size_t s = 0; s < kSectionCount; ++s) {
        const int b = base.section[s];
        const int own = selected == 0 ? -1 : doc.schemes[selected].section[s];
        layers.base[s] = b >= 0 ? &doc.sections[static_cast<std::size_t>(b)] : nullptr;
        layers.scheme[s] = own >= 0 ? &doc.sections[static_cast<std::size_t>(own)] : nullptr;
    }

    const Theme& builtIn = DefaultTheme();
    Theme theme;
    theme.name = themeSection != nullptr && themeSection->name.set ? themeSection->name.value : builtIn.name;
    theme.scheme = selected == 0 ? std::string() : doc.schemes[selected].spelling;

    std::array<const Setting<int>*, kMetricKeys.size()> metricFrom{};
    std::array<bool, kMetricKeys.size()> metricFromScheme{};
    for (std::size_t i = 0; i < kMetricKeys.size(); ++i) {
        const SectionData* own = layers.scheme[kMetricsSection];
        const SectionData* shared = layers.base[kMetricsSection];
        if (own != nullptr && own->metrics[i].set) {
            metricFrom[i] = &own->metrics[i];
            metricFromScheme[i] = true;
        } else if (shared != nullptr && shared->metrics[i].set) {
            metricFrom[i] = &shared->metrics[i];
        }
        int Metrics::*const field = kMetricKeys[i].field;
        theme.metrics.*field = metricFrom[i] != nullptr ? metricFrom[i]->value : builtIn.metrics.*field;
    }
    if (theme.metrics.buttonHeight > theme.metrics.captionHeight) {
        // Blame the value the scheme brought in, if it brought one; else button-height, which is
        // the one to lower. At least one of the two comes from the file: the built-in values fit.
        constexpr std::size_t kCaptionHeight = 0, kButtonHeight = 3;
        const bool blameCaption = metricFrom[kButtonHeight] == nullptr ||
                                  (metricFromScheme[kCaptionHeight] && !metricFromScheme[kButtonHeight]);
        const Setting<int>* at = blameCaption ? metricFrom[kCaptionHeight] : metricFrom[kButtonHeight];
        std::string message = "button-height " + std::to_string(theme.metrics.buttonHeight) +
                              " is taller than caption-height " + std::to_string(theme.metrics.captionHeight);
        if (selected != 0) message += " in scheme " + Quoted(doc.schemes[selected].spelling);
        report.Error(at != nullptr ? at->line : 0, at != nullptr ? at->column : 0, std::move(message));
    }

    for (std::size_t s = 0; s < kSectionCount; ++s) {
        const SectionInfo& info = kSections[s];
        if (info.style == nullptr) continue;
        const auto id = static_cast<SectionId>(s);
        Style style = builtIn.*info.style;
        if (auto* background = layers.Find(id, &SectionData::background)) {
            style.background.from = background->value.first;
            style.background.to = background->value.second;
        }
        if (auto* vertical = layers.Find(id, &SectionData::vertical)) style.background.vertical = vertical->value;
        if (auto* text = layers.Find(id, &SectionData::text)) style.text = text->value;
        if (auto* border = layers.Find(id, &SectionData::border)) style.border = border->value;
        theme.*info.style = style;
    }
    theme.captionFont = layers.ResolveFont({kCaption, kDefaults}, builtIn.captionFont);
    theme.menuFont = layers.ResolveFont({kMenuBar, kDefaults}, builtIn.menuFont);
    theme.popupFont = layers.ResolveFont({kPopup, kMenuBar, kDefaults}, builtIn.popupFont);

    if (!report.HasError()) result.theme = std::move(theme);
    result.diagnostics = report.Finish();
    return result;
}

std::string FormatDiagnostic(const Diagnostic& d) {
    std::string out = d.file.empty() ? std::string("<theme>") : d.file;
    if (d.line > 0) {
        out += ':' + std::to_string(d.line);
        if (d.column > 0) out += ':' + std::to_string(d.column);
    }
    out += d.severity == Severity::Error ? ": error: " : ": warning: ";
    out += d.message;
    return out;
}

std::vector<std::string> ListThemeSchemes(std::string_view bytes) {
    Reporter ignored("");
    Document doc;
    std::vector<std::string> names;
    if (!ScanDocument(bytes, doc, ignored)) return names;
    for (std::size_t i = 1; i < doc.schemes.size(); ++i) names.push_back(doc.schemes[i].spelling);
    return names;
}

bool ReadThemeFile(const std::filesystem::path& path, std::string& bytes, Diagnostic& error) {
    error = Diagnostic{PathText(path), 0, 0, Severity::Error, {}};
    bytes.clear();
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        error.message = "is a directory, not a theme file";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error.message = std::filesystem::exists(path, ec) ? "cannot open the file" : "no such file";
        return false;
    }
    // One byte past the limit is enough to know the file is too large, whatever its claimed size.
    bytes.resize(kMaxThemeFileBytes + 1);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    const auto got = static_cast<std::size_t>(in.gcount());
    if (in.bad()) {
        bytes.clear();
        error.message = "cannot read the file";
        return false;
    }
    if (got > kMaxThemeFileBytes) {
        bytes.clear();
        error.message = "file is larger than " + std::to_string(kMaxThemeFileBytes) +
                        " bytes, the limit for theme files";
        return false;
    }
    bytes.resize(got);
    return true;
}

ParseResult LoadThemeFile(const std::filesystem::path& path, std::string_view scheme) {
    std::string bytes;
    Diagnostic error;
    if (!ReadThemeFile(path, bytes, error)) return ParseResult{std::nullopt, {error}};
    return ParseTheme(bytes, PathText(path), scheme);
}

}  // namespace velum
