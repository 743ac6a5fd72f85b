// Theme files are checked byte by byte for encoding problems before anything else, so the line
// scanner can take the text as valid UTF-8 free of control characters.
#include "ThemeScanner.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

#include "ThemeText.h"
#include "ThemeValues.h"

namespace velum::parse {
namespace {

// Stops at the first byte that has no place in a theme file: past one, the rest is rarely text.
bool CheckEncoding(std::string_view text, Reporter& report)
{
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
            report.Error(line, column, "invalid UTF-8 (byte " + HexByte(c) + "); theme files must be saved as UTF-8");
            return false;
        }
        i += n;
    }
    return true;
}

class Scanner {
public:
    Scanner(Document& doc, Reporter& report) : doc_(doc), report_(report) { doc_.schemes.push_back(NewScheme("")); }

    void Scan(std::string_view text)
    {
        std::size_t pos = 0;
        int number = 0;
        while (pos < text.size()) {
            std::size_t end = text.find('\n', pos);
            if (end == std::string_view::npos)
                end = text.size();
            std::string_view line = text.substr(pos, end - pos);
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            line_.emplace(report_, ++number, line);
            ScanLine(line);
            pos = end + 1;
        }
    }

private:
    static constexpr int kNone = -1;  // no section header seen yet
    static constexpr int kSkip = -2;  // inside a section whose keys are ignored

    static Scheme NewScheme(std::string_view spelling)
    {
        Scheme s;
        s.spelling = std::string(spelling);
        s.section.fill(-1);
        return s;
    }

    const SourceLine& Line() const { return *line_; }

    void ScanLine(std::string_view text)
    {
        const std::string_view content = TrimLeft(text);
        if (content.empty() || content[0] == ';' || content[0] == '#')
            return;
        if (content[0] == '[') {
            doc_.anyHeader = true;
            ScanHeader(content);
        } else {
            ScanEntry(content);
        }
    }

    void ScanHeader(std::string_view content)
    {
        current_ = kSkip;
        const std::size_t close = content.find(']');
        if (close == std::string_view::npos) {
            Line().ErrorAfter(content, "section header has no closing ']'");
            return;
        }
        const std::string_view after = TrimLeft(content.substr(close + 1));
        if (!after.empty()) {
            Line().Error(after, "unexpected text after the section header");
            return;
        }
        const std::string_view inner = Trim(content.substr(1, close - 1));
        if (inner.empty()) {
            Line().Error(content, "empty section name");
            return;
        }
        std::string_view scheme;
        std::string_view name = inner;
        if (const std::size_t colon = inner.find(':'); colon != std::string_view::npos) {
            scheme = TrimRight(inner.substr(0, colon));
            name = TrimLeft(inner.substr(colon + 1));
            if (scheme.empty()) {
                Line().Error(inner, "missing scheme name before ':'");
                return;
            }
            if (name.empty()) {
                Line().ErrorAfter(inner, "missing section name after ':'");
                return;
            }
            if (!CheckSchemeName(Line(), scheme))
                return;
        }
        for (std::size_t i = 0; i < name.size(); ++i) {
            if (!IsNameChar(name[i])) {
                Line().Error(name.substr(i), name[i] == ':' ? "a section name takes at most one scheme prefix"
                                                            : "invalid character in section name; use letters, "
                                                              "digits, '.', '-' and '_'");
                return;
            }
        }

        std::string key = Lower(scheme) + ':' + Lower(name);
        if (auto [it, inserted] = seenSections_.emplace(std::move(key), Line().Number()); !inserted) {
            Line().Error(inner, "duplicate section [" + Excerpt(inner) + "] (first on line " +
                                    std::to_string(it->second) + ")");
            return;
        }

        SectionId id = kNoSection;
        for (int s = 0; s < kSectionCount; ++s) {
            if (EqualsIgnoreCase(name, kSections[static_cast<std::size_t>(s)].name))
                id = static_cast<SectionId>(s);
        }
        if (id == kThemeSection && !scheme.empty()) {
            Line().Error(inner, "[Theme] describes the whole file and can't belong to a scheme");
            return;
        }
        Scheme& target = doc_.schemes[SchemeIndex(scheme)];
        if (id == kNoSection) {
            Line().Warning(name, "unknown section [" + Excerpt(name) + "] ignored");
            return;
        }
        target.section[static_cast<std::size_t>(id)] = static_cast<int>(doc_.sections.size());
        current_ = static_cast<int>(doc_.sections.size());
        doc_.sections.emplace_back().id = id;
        doc_.anyKnownSection = true;
    }

    std::size_t SchemeIndex(std::string_view scheme)
    {
        if (scheme.empty())
            return 0;
        auto [it, inserted] = doc_.schemeByKey.emplace(Lower(scheme), doc_.schemes.size());
        if (inserted)
            doc_.schemes.push_back(NewScheme(scheme));
        return it->second;
    }

    void ScanEntry(std::string_view content)
    {
        const std::size_t eq = content.find('=');
        if (eq == std::string_view::npos) {
            Line().Error(content, current_ == kNone ? "expected a [Section] header" : "expected 'key = value'");
            return;
        }
        const std::string_view key = TrimRight(content.substr(0, eq));
        const std::string_view equals = content.substr(eq, 1);
        if (key.empty()) {
            Line().Error(equals, "missing key before '='");
            return;
        }
        for (std::size_t i = 0; i < key.size(); ++i) {
            if (!IsNameChar(key[i])) {
                Line().Error(key.substr(i), "invalid character in key " + Quoted(key) +
                                                "; keys use letters, digits, '.', '-' and '_'");
                return;
            }
        }
        const std::string_view value = Trim(content.substr(eq + 1));
        if (value.empty()) {
            Line().ErrorAfter(equals, "missing value for " + Quoted(key));
            return;
        }
        if (current_ == kNone) {
            Line().Error(key,
                         Quoted(key) + " is outside any section; a theme file starts with a section such as [Theme]");
            return;
        }
        if (current_ == kSkip)
            return;

        SectionData& section = doc_.sections[static_cast<std::size_t>(current_)];
        std::string lowerKey = Lower(key);
        if (auto [it, inserted] = section.keyLines.emplace(lowerKey, Line().Number()); !inserted) {
            Line().Error(key,
                         "duplicate key " + Quoted(key) + " (first set on line " + std::to_string(it->second) + ")");
            return;
        }
        switch (section.id) {
        case kThemeSection: ThemeKey(section, key, lowerKey, value); break;
        case kMetricsSection: MetricKey(section, key, lowerKey, value); break;
        default: StyleKey(section, key, lowerKey, value); break;
        }
    }

    template <class T>
    void Store(Setting<T>& setting, std::string_view at, T value)
    {
        setting.value = std::move(value);
        setting.line = Line().Number();
        setting.column = Line().Column(at);
        setting.set = true;
    }

    void UnknownKey(const SectionData& section, std::string_view key)
    {
        Line().Warning(key, "unknown key " + Quoted(key) + " in [" +
                                std::string(kSections[static_cast<std::size_t>(section.id)].name) + "] ignored");
    }

    void ThemeKey(SectionData& section, std::string_view key, std::string_view lowerKey, std::string_view value)
    {
        if (lowerKey == "name") {
            std::string name;
            if (ReadThemeName(Line(), value, name))
                Store(section.name, value, std::move(name));
        } else if (lowerKey == "default-scheme") {
            if (CheckSchemeName(Line(), value))
                Store(section.defaultScheme, value, std::string(value));
        } else {
            UnknownKey(section, key);
        }
    }

    void MetricKey(SectionData& section, std::string_view key, std::string_view lowerKey, std::string_view value)
    {
        for (std::size_t i = 0; i < kMetricKeys.size(); ++i) {
            const MetricInfo& info = kMetricKeys[i];
            if (lowerKey != info.key)
                continue;
            int number = 0;
            if (ReadNumber(Line(), info.key, value, info.min, info.max, number)) {
                Store(section.metrics[i], value, number);
            }
            return;
        }
        UnknownKey(section, key);
    }

    // The frame's, the menus' and the controls' sections take images; the caption buttons' states
    // are states of [CaptionButton]'s strip, and a disabled popup item has only its text.
    static bool TakesImage(SectionId id)
    {
        switch (id) {
        case kThemeSection:
        case kMetricsSection:
        case kDefaults:
        case kWindow:
        // The caption buttons' states are states of [CaptionButton]'s strip.
        case kCaptionButtonHot:
        case kCaptionButtonPressed:
        case kCaptionButtonInactive:
        // Drawn as text, lines or by the system: no part to put an image on. Lists take
        // [Edit]'s border image.
        case kPopupDisabled:
        case kPopupSeparator:
        case kList:
        case kListSelected:
        case kTooltip: return false;
        default: return true;
        }
    }

    // An image key's path, quotes taken off, or nothing with the error reported.
    std::optional<std::string_view> ImagePath(std::string_view value)
    {
        std::string_view path = value;
        if (path.size() >= 2 && path.front() == '"' && path.back() == '"')
            path = path.substr(1, path.size() - 2);
        if (const std::string problem = ImagePathProblem(path); !problem.empty()) {
            Line().Error(value, problem);
            return std::nullopt;
        }
        return path;
    }

    // image-144 and the like: an image for a larger DPI.
    static bool VariantDpiKey(std::string_view lowerKey)
    {
        return lowerKey.size() > 6 && lowerKey.substr(0, 6) == "image-" &&
               lowerKey.find_first_not_of("0123456789", 6) == std::string_view::npos;
    }

    // image, image-margins, image-states, image-fill, image-shape and image-DPI.
    void ImageKey(SectionData& section, std::string_view key, std::string_view lowerKey, std::string_view value)
    {
        if (!TakesImage(section.id)) {
            Line().Warning(key, Quoted(key) + " has no effect in [" +
                                    std::string(kSections[static_cast<std::size_t>(section.id)].name) +
                                    "]; docs/theme-format.md lists the parts drawn from images");
            return;
        }
        std::string_view rest = value;
        if (VariantDpiKey(lowerKey)) {
            int dpi = 0;
            if (!ReadNumber(Line(), "the DPI of " + std::string(key), key.substr(6), kMinVariantDpi, kMaxVariantDpi,
                            dpi))
                return;
            const std::optional<std::string_view> path = ImagePath(value);
            if (!path)
                return;
            std::vector<ImageVariant> variants = section.imageVariants.value;
            const ImageVariant variant{dpi, std::string(*path), Line().Number(), Line().Column(value)};
            // By rising DPI; a key given twice is refused as every key is.
            variants.insert(std::upper_bound(variants.begin(), variants.end(), dpi,
                                             [](int d, const ImageVariant& v) { return d < v.dpi; }),
                            variant);
            Store(section.imageVariants, value, std::move(variants));
            return;
        }
        if (lowerKey == "image") {
            const std::optional<std::string_view> path = ImagePath(value);
            if (!path)
                return;
            Store(section.image, value, std::string(*path));
        } else if (lowerKey == "image-margins" || lowerKey == "content-margins") {
            int numbers[4] = {};
            int count = 0;
            for (std::string_view word = NextWord(rest); !word.empty(); word = NextWord(rest)) {
                if (count == 4) {
                    Line().Error(word, std::string(key) + " takes one number, or four: left top right bottom");
                    return;
                }
                if (!ReadNumber(Line(), std::string(key), word, 0, kMaxImageSide, numbers[count++]))
                    return;
            }
            if (count != 1 && count != 4) {
                Line().Error(value, std::string(key) + " takes one number, or four: left top right bottom");
                return;
            }
            if (count == 1)
                numbers[1] = numbers[2] = numbers[3] = numbers[0];
            const ImageMargins margins{numbers[0], numbers[1], numbers[2], numbers[3]};
            Store(lowerKey == "content-margins" ? section.contentMargins : section.imageMargins, value, margins);
        } else if (lowerKey == "image-states") {
            const std::string_view countWord = NextWord(rest);
            const std::string_view direction = NextWord(rest);
            const std::string_view extra = NextWord(rest);
            int count = 0;
            if (!extra.empty()) {
                Line().Error(extra, "image-states takes a number and 'vertical' or 'horizontal'");
                return;
            }
            if (!ReadNumber(Line(), "image-states", countWord, 1, 64, count))
                return;
            if (!direction.empty() && !EqualsIgnoreCase(direction, "vertical") &&
                !EqualsIgnoreCase(direction, "horizontal")) {
                Line().Error(direction, "the states lie 'vertical' (one above the other) or 'horizontal', not " +
                                            Quoted(direction));
                return;
            }
            Store(section.imageStates, value, std::pair{count, EqualsIgnoreCase(direction, "horizontal")});
        } else if (lowerKey == "image-shape") {
            if (section.id != kFrame) {
                Line().Warning(key, "image-shape has no effect in [" +
                                        std::string(kSections[static_cast<std::size_t>(section.id)].name) +
                                        "]; the window's outline follows [Frame]'s image");
            } else if (EqualsIgnoreCase(value, "alpha") || EqualsIgnoreCase(value, "none")) {
                Store(section.imageShape, value, EqualsIgnoreCase(value, "alpha"));
            } else {
                Line().Error(value, "image-shape is 'alpha' or 'none', not " + Quoted(value));
            }
        } else if (EqualsIgnoreCase(value, "stretch") || EqualsIgnoreCase(value, "tile")) {
            Store(section.imageTile, value, EqualsIgnoreCase(value, "tile"));
        } else {
            Line().Error(value, "image-fill is 'stretch' or 'tile', not " + Quoted(value));
        }
    }

    void StyleKey(SectionData& section, std::string_view key, std::string_view lowerKey, std::string_view value)
    {
        if (lowerKey == "image" || lowerKey == "image-margins" || lowerKey == "image-states" ||
            lowerKey == "image-fill" || lowerKey == "image-shape" || lowerKey == "content-margins" ||
            VariantDpiKey(lowerKey)) {
            ImageKey(section, key, lowerKey, value);
            return;
        }
        const SectionInfo& info = kSections[static_cast<std::size_t>(section.id)];
        const bool fontKey = lowerKey == "font" || lowerKey == "font-size" || lowerKey == "font-weight";
        if (fontKey && !info.takesFont) {
            Line().Warning(key, Quoted(key) + " has no effect in [" + std::string(info.name) +
                                    "]; fonts belong in [Defaults], [Caption], [MenuBar] or [Popup]");
            return;
        }
        const unsigned bit = lowerKey == "background" || lowerKey == "gradient" ? kFillKeys
                             : lowerKey == "text"                               ? kTextKey
                             : lowerKey == "border"                             ? kBorderKey
                             : lowerKey == "mark"                               ? kMarkKey
                                                                                : 0u;
        if (bit != 0 && (info.keys & bit) == 0) {
            Line().Warning(key, Quoted(key) + " has no effect in [" + std::string(info.name) + "]" +
                                    (bit == kMarkKey ? "; it colours the mark in [CheckBox] sections" : ""));
            return;
        }
        std::string_view rest = value;
        if (lowerKey == "background") {
            const std::string_view first = NextWord(rest);
            const std::string_view second = NextWord(rest);
            const std::string_view extra = NextWord(rest);
            if (!extra.empty()) {
                Line().Error(extra, "background takes one colour, or two for a gradient");
                return;
            }
            Color from, to;
            if (!ReadColor(Line(), first, from))
                return;
            to = from;
            if (!second.empty() && !ReadColor(Line(), second, to))
                return;
            Store(section.background, value, std::pair{from, to});
        } else if (lowerKey == "gradient") {
            if (EqualsIgnoreCase(value, "vertical") || EqualsIgnoreCase(value, "horizontal")) {
                Store(section.vertical, value, EqualsIgnoreCase(value, "vertical"));
            } else {
                Line().Error(value, "gradient is 'vertical' or 'horizontal', not " + Quoted(value));
            }
        } else if (lowerKey == "text" || lowerKey == "border" || lowerKey == "mark") {
            const std::string_view word = NextWord(rest);
            const std::string_view extra = NextWord(rest);
            Color color;
            if (!extra.empty()) {
                Line().Error(extra, Quoted(key) + " takes a single colour");
            } else if (ReadColor(Line(), word, color)) {
                Store(lowerKey == "text"     ? section.text
                      : lowerKey == "border" ? section.border
                                             : section.mark,
                      value, color);
            }
        } else if (lowerKey == "font") {
            std::vector<std::string> faces;
            if (ReadFaces(Line(), value, faces))
                Store(section.faces, value, std::move(faces));
        } else if (lowerKey == "font-size") {
            int size = 0;
            if (ReadNumber(Line(), "font-size", value, kMinFontSize, kMaxFontSize, size)) {
                Store(section.fontSize, value, size);
            }
        } else if (lowerKey == "font-weight") {
            int weight = 0;
            if (EqualsIgnoreCase(value, "normal")) {
                Store(section.fontWeight, value, 400);
            } else if (EqualsIgnoreCase(value, "bold")) {
                Store(section.fontWeight, value, 700);
            } else if (ReadNumber(Line(), "font-weight", value, kMinFontWeight, kMaxFontWeight, weight)) {
                Store(section.fontWeight, value, weight);
            }
        } else {
            UnknownKey(section, key);
        }
    }

    Document& doc_;
    Reporter& report_;
    std::unordered_map<std::string, int> seenSections_;  // lower-case "scheme:name" -> line
    std::optional<SourceLine> line_;
    int current_ = kNone;
};

}  // namespace

bool ScanDocument(std::string_view bytes, Document& doc, Reporter& report)
{
    if (bytes.size() > kMaxThemeFileBytes) {
        report.Error(0, 0,
                     "file is " + std::to_string(bytes.size()) + " bytes; theme files are limited to " +
                         std::to_string(kMaxThemeFileBytes) + " bytes");
        return false;
    }
    if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") {
        report.Error(1, 1, "file is UTF-16; save it as UTF-8");
        return false;
    }
    // Columns are counted after the BOM, the way editors show them.
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    if (!CheckEncoding(bytes, report))
        return false;
    Scanner(doc, report).Scan(bytes);
    return true;
}

}  // namespace velum::parse
