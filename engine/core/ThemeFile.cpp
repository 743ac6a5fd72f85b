// Choosing what a scanned theme file means: the scheme selected, each style resolved through
// the scheme's sections, the base sections and the section it inherits from, down to the
// built-in look; and the file-level calls around it.
#include "ThemeFile.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <initializer_list>
#include <system_error>
#include <utility>

#include "ThemeDiagnostics.h"
#include "ThemeDocument.h"
#include "ThemeScanner.h"
#include "ThemeText.h"

namespace velum {

using namespace parse;

namespace {

std::string SchemeList(const Document& doc)
{
    if (doc.schemes.size() == 1)
        return "the file defines no schemes";
    std::string list = "the file defines ";
    for (std::size_t i = 1; i < doc.schemes.size(); ++i) {
        if (i > 1)
            list += ", ";
        list += doc.schemes[i].spelling;
    }
    return list;
}

// The sections that apply under the selected scheme: the scheme's own, then the file's base ones.
struct Layers {
    std::array<const SectionData*, kSectionCount> scheme{};
    std::array<const SectionData*, kSectionCount> base{};

    template <class T>
    const Setting<T>* Pick(SectionId id, Setting<T> SectionData::*member) const
    {
        const auto i = static_cast<std::size_t>(id);
        for (const SectionData* section : {scheme[i], base[i]}) {
            if (section != nullptr && (section->*member).set)
                return &(section->*member);
        }
        return nullptr;
    }

    template <class T>
    const Setting<T>* Find(SectionId id, Setting<T> SectionData::*member) const
    {
        for (SectionId s = id; s != kNoSection; s = kSections[static_cast<std::size_t>(s)].parent) {
            if (const Setting<T>* found = Pick(s, member))
                return found;
        }
        return nullptr;
    }

    template <class T>
    const Setting<T>* FindIn(std::initializer_list<SectionId> chain, Setting<T> SectionData::*member) const
    {
        for (SectionId s : chain) {
            if (const Setting<T>* found = Pick(s, member))
                return found;
        }
        return nullptr;
    }

    Font ResolveFont(std::initializer_list<SectionId> chain, Font font) const
    {
        if (auto* faces = FindIn(chain, &SectionData::faces))
            font.faces = faces->value;
        if (auto* size = FindIn(chain, &SectionData::fontSize))
            font.sizePt = size->value;
        if (auto* weight = FindIn(chain, &SectionData::fontWeight))
            font.weight = weight->value;
        return font;
    }
};

// A control section keeps only the keys the file set, each from the scheme's section or else the
// base one; the control palette fills in the rest.
void ResolveControlKeys(const Layers& layers, SectionId id, StyleKeys& keys)
{
    if (auto* background = layers.Pick(id, &SectionData::background))
        keys.background = background->value;
    if (auto* vertical = layers.Pick(id, &SectionData::vertical))
        keys.vertical = vertical->value;
    if (auto* text = layers.Pick(id, &SectionData::text))
        keys.text = text->value;
    if (auto* border = layers.Pick(id, &SectionData::border))
        keys.border = border->value;
    if (auto* mark = layers.Pick(id, &SectionData::mark))
        keys.mark = mark->value;
}

std::string PathText(const std::filesystem::path& path)
{
    const auto utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

// The report for a file with no theme section: for plain text, whatever the lines said, the
// real news is that this is not a theme file. A file that tried to open sections keeps its line
// errors: a typo there is the likely cause.
void ReportNotATheme(std::string_view bytes, const Document& doc, Reporter& report)
{
    std::string_view text = bytes;
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    const bool blank = text.find_first_not_of(" \t\r\n") == std::string_view::npos;
    if (!doc.anyHeader)
        report.Reset();
    report.Error(0, 0,
                 blank ? "not a theme file: the file is empty"
                       : "not a theme file: it has no theme sections such as [Theme] or [Caption]");
}

// The scheme to read: the one asked for, else the file's default-scheme, else the base (0).
std::size_t ChooseScheme(const Document& doc, const SectionData* themeSection, std::string_view scheme,
                         Reporter& report)
{
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
    return selected;
}

Layers LayersOf(const Document& doc, std::size_t selected)
{
    const Scheme& base = doc.schemes[0];
    Layers layers;
    for (std::size_t s = 0; s < kSectionCount; ++s) {
        const int b = base.section[s];
        const int own = selected == 0 ? -1 : doc.schemes[selected].section[s];
        layers.base[s] = b >= 0 ? &doc.sections[static_cast<std::size_t>(b)] : nullptr;
        layers.scheme[s] = own >= 0 ? &doc.sections[static_cast<std::size_t>(own)] : nullptr;
    }
    return layers;
}

// The metrics: the scheme's, else the base's, else the built-in ones; a button taller than the
// caption is an error at the value that made it so.
void ResolveMetrics(const Layers& layers, const Document& doc, std::size_t selected, Theme& theme, Reporter& report)
{
    const Theme& builtIn = DefaultTheme();
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
        const bool blameCaption = metricFrom[kButtonHeightKey] == nullptr ||
                                  (metricFromScheme[kCaptionHeightKey] && !metricFromScheme[kButtonHeightKey]);
        const Setting<int>* at = blameCaption ? metricFrom[kCaptionHeightKey] : metricFrom[kButtonHeightKey];
        std::string message = "button-height " + std::to_string(theme.metrics.buttonHeight) +
                              " is taller than caption-height " + std::to_string(theme.metrics.captionHeight);
        if (selected != 0)
            message += " in scheme " + Quoted(doc.schemes[selected].spelling);
        report.Error(at != nullptr ? at->line : 0, at != nullptr ? at->column : 0, std::move(message));
    }
}

// Every style section's colours and every control section's keys, through the fallback chain.
void ResolveStyles(const Layers& layers, Theme& theme)
{
    const Theme& builtIn = DefaultTheme();
    for (std::size_t s = 0; s < kSectionCount; ++s) {
        const SectionInfo& info = kSections[s];
        if (info.control != nullptr) {
            ResolveControlKeys(layers, static_cast<SectionId>(s), theme.controls.*info.control);
            continue;
        }
        if (info.style == nullptr)
            continue;
        const auto id = static_cast<SectionId>(s);
        Style style = builtIn.*info.style;
        if (auto* background = layers.Find(id, &SectionData::background)) {
            style.background.from = background->value.first;
            style.background.to = background->value.second;
        }
        if (auto* vertical = layers.Find(id, &SectionData::vertical))
            style.background.vertical = vertical->value;
        if (auto* text = layers.Find(id, &SectionData::text))
            style.text = text->value;
        if (auto* border = layers.Find(id, &SectionData::border))
            style.border = border->value;
        theme.*info.style = style;
    }
}

// A part's image: from its own section or, as colours are, from the section it falls back to;
// how it is drawn comes from the section that names it, the scheme's keys over the base ones.
std::optional<PartImage> ResolveImage(const Layers& layers, SectionId id, bool ownOnly = false)
{
    for (SectionId s = id; s != kNoSection; s = ownOnly ? kNoSection : kSections[static_cast<std::size_t>(s)].parent) {
        const Setting<std::string>* image = layers.Pick(s, &SectionData::image);
        if (image == nullptr)
            continue;
        PartImage named;
        named.path = image->value;
        named.line = image->line;
        named.column = image->column;
        if (auto* margins = layers.Pick(s, &SectionData::imageMargins))
            named.margins = margins->value;
        if (auto* states = layers.Pick(s, &SectionData::imageStates)) {
            named.states = states->value.first;
            named.horizontal = states->value.second;
        }
        if (auto* tile = layers.Pick(s, &SectionData::imageTile))
            named.tile = tile->value;
        if (auto* shape = layers.Pick(s, &SectionData::imageShape))
            named.shape = shape->value;
        if (auto* content = layers.Pick(s, &SectionData::contentMargins))
            named.content = content->value;
        if (auto* variants = layers.Pick(s, &SectionData::imageVariants))
            named.variants = variants->value;
        return named;
    }
    return std::nullopt;
}

// Where a state section without an image of its own takes one: the state's place in its
// element's strip. The sections not listed use their own image only.
struct ImageFamily {
    SectionId state, element;
    int index;
};
constexpr ImageFamily kImageFamilies[] = {
    {kPushButtonHot, kPushButton, 1},
    {kPushButtonPressed, kPushButton, 2},
    {kPushButtonDisabled, kPushButton, 3},
    {kPushButtonDefault, kPushButton, 4},
    {kCheckBoxHot, kCheckBox, 1},
    {kCheckBoxPressed, kCheckBox, 2},
    {kCheckBoxDisabled, kCheckBox, 3},
    {kEditFocused, kEdit, 1},
    {kEditDisabled, kEdit, 2},
    {kEditReadOnly, kEdit, 3},
    {kScrollBarHot, kScrollBar, 1},
    {kScrollBarPressed, kScrollBar, 2},
    {kScrollBarThumbHot, kScrollBarThumb, 1},
    {kScrollBarThumbPressed, kScrollBarThumb, 2},
    {kTabHot, kTab, 1},
    {kTabSelected, kTab, 2},
    {kHeaderHot, kHeader, 1},
    {kHeaderPressed, kHeader, 2},
};

// The menus' and controls' images: each section's own, else its element's strip at the state's
// place; every distinct image once in partImages.
void ResolvePartImages(const Layers& layers, Theme& theme)
{
    std::array<ImageRef, kSectionCount> refs{};
    const auto add = [&](const PartImage& named) {
        // The same file and cut named in two sections is one image; where it is named does not count.
        const auto sameCut = [&](const PartImage& kept) {
            PartImage at = named;
            at.line = kept.line;
            at.column = kept.column;
            return at == kept;
        };
        if (const auto found = std::find_if(theme.partImages.begin(), theme.partImages.end(), sameCut);
            found != theme.partImages.end())
            return static_cast<int>(found - theme.partImages.begin());
        theme.partImages.push_back(named);
        return static_cast<int>(theme.partImages.size() - 1);
    };
    for (std::size_t s = kMenuBar; s < kSectionCount; ++s) {
        if (auto own = ResolveImage(layers, static_cast<SectionId>(s), true))
            refs[s] = {add(*own), 0};
    }
    for (const ImageFamily& f : kImageFamilies) {
        const auto state = static_cast<std::size_t>(f.state), element = static_cast<std::size_t>(f.element);
        if (!refs[state] && refs[element])
            refs[state] = {refs[element].index, f.index};
    }
    for (std::size_t s = kMenuBar; s < kSectionCount; ++s) {
        if (!refs[s])
            continue;
        const SectionInfo& info = kSections[s];
        if (info.style != nullptr)
            (theme.*info.style).image = refs[s];
        else if (info.control != nullptr)
            (theme.controls.*info.control).image = refs[s];
    }
}

}  // namespace

ParseResult ParseTheme(std::string_view bytes, std::string_view fileName, std::string_view scheme)
{
    ParseResult result;
    Reporter report(fileName);
    Document doc;
    if (!ScanDocument(bytes, doc, report)) {
        result.diagnostics = report.Finish();
        return result;
    }
    if (!doc.anyKnownSection) {
        ReportNotATheme(bytes, doc, report);
        result.diagnostics = report.Finish();
        return result;
    }

    const Scheme& base = doc.schemes[0];
    const SectionData* themeSection = base.section[kThemeSection] >= 0
                                          ? &doc.sections[static_cast<std::size_t>(base.section[kThemeSection])]
                                          : nullptr;
    const std::size_t selected = ChooseScheme(doc, themeSection, scheme, report);
    const Layers layers = LayersOf(doc, selected);

    const Theme& builtIn = DefaultTheme();
    Theme theme;
    theme.name = themeSection != nullptr && themeSection->name.set ? themeSection->name.value : builtIn.name;
    theme.scheme = selected == 0 ? std::string() : doc.schemes[selected].spelling;
    ResolveMetrics(layers, doc, selected, theme, report);
    ResolveStyles(layers, theme);
    theme.images.caption = ResolveImage(layers, kCaption);
    theme.images.captionInactive = ResolveImage(layers, kCaptionInactive);
    theme.images.frame = ResolveImage(layers, kFrame);
    theme.images.frameInactive = ResolveImage(layers, kFrameInactive);
    theme.images.button = ResolveImage(layers, kCaptionButton);
    // The close button's states come from the button strip unless it names an image itself.
    theme.images.closeHot = ResolveImage(layers, kCloseHot, true);
    ResolvePartImages(layers, theme);
    theme.captionFont = layers.ResolveFont({kCaption, kDefaults}, builtIn.captionFont);
    theme.menuFont = layers.ResolveFont({kMenuBar, kDefaults}, builtIn.menuFont);
    theme.popupFont = layers.ResolveFont({kPopup, kMenuBar, kDefaults}, builtIn.popupFont);

    if (!report.HasError())
        result.theme = std::move(theme);
    result.diagnostics = report.Finish();
    return result;
}

namespace {

constexpr std::array<std::string_view, 4> kColourKeys = {"background", "text", "border", "mark"};

template <class T>
KeyPlace PlaceOf(const Setting<T>* setting)
{
    return setting != nullptr ? KeyPlace{setting->line, setting->column} : KeyPlace{};
}

}  // namespace

KeyPlace ColourPlaces::At(std::string_view section, std::string_view key) const
{
    for (std::size_t s = 0; s < bySection.size() && s < kSections.size(); ++s) {
        if (Lower(kSections[s].name) != Lower(section))
            continue;
        for (std::size_t k = 0; k < kColourKeys.size(); ++k) {
            if (kColourKeys[k] == Lower(key))
                return bySection[s][k];
        }
    }
    return {};
}

ColourPlaces LocateColours(std::string_view bytes, std::string_view scheme)
{
    ColourPlaces places;
    Reporter report("");
    Document doc;
    if (!ScanDocument(bytes, doc, report) || !doc.anyKnownSection)
        return places;
    const Scheme& base = doc.schemes[0];
    const SectionData* themeSection = base.section[kThemeSection] >= 0
                                          ? &doc.sections[static_cast<std::size_t>(base.section[kThemeSection])]
                                          : nullptr;
    const Layers layers = LayersOf(doc, ChooseScheme(doc, themeSection, scheme, report));
    places.bySection.resize(kSectionCount);
    for (std::size_t s = 0; s < kSectionCount; ++s) {
        const auto id = static_cast<SectionId>(s);
        // Style sections fall back along their parents, control sections never.
        const auto find = [&](auto member) {
            return PlaceOf(kSections[s].control != nullptr ? layers.Pick(id, member) : layers.Find(id, member));
        };
        places.bySection[s] = {find(&SectionData::background), find(&SectionData::text), find(&SectionData::border),
                               find(&SectionData::mark)};
    }
    return places;
}

std::vector<std::string> ListThemeSchemes(std::string_view bytes)
{
    Reporter ignored("");
    Document doc;
    std::vector<std::string> names;
    if (!ScanDocument(bytes, doc, ignored))
        return names;
    for (std::size_t i = 1; i < doc.schemes.size(); ++i)
        names.push_back(doc.schemes[i].spelling);
    return names;
}

bool ReadThemeFile(const std::filesystem::path& path, std::string& bytes, Diagnostic& error)
{
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
        error.message =
            "file is larger than " + std::to_string(kMaxThemeFileBytes) + " bytes, the limit for theme files";
        return false;
    }
    bytes.resize(got);
    return true;
}

}  // namespace velum
