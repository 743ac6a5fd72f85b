// Theme files: parsing and the resolved look the engine draws from.
// Portable C++ with no Windows headers, so it builds natively for unit tests and fuzzing.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ThemeImages.h"

namespace velum {

struct Color {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Color&, const Color&) = default;
};

// A two-stop gradient; a solid fill has from == to.
struct Fill {
    Color from;
    Color to;
    bool vertical = true;  // true: from at the top, to at the bottom; false: left to right
    friend bool operator==(const Fill&, const Fill&) = default;
};

struct Font {
    std::vector<std::string> faces;  // UTF-8, first installed one wins
    int sizePt = 9;
    int weight = 400;
    friend bool operator==(const Font&, const Font&) = default;
};

struct Style {
    Fill background;
    Color text;
    Color border;
    ImageRef image;  // drawn over the background, in place of the border
    friend bool operator==(const Style&, const Style&) = default;
};

// Sizes in pixels at 96 DPI; the engine scales them with the window's DPI.
struct Metrics {
    int captionHeight = 26;
    int frameWidth = 4;
    int buttonWidth = 30;
    int buttonHeight = 20;
    int menuBarHeight = 22;
    int menuItemHeight = 22;
    int menuItemPadding = 10;
    int cornerRadius = 0;
    friend bool operator==(const Metrics&, const Metrics&) = default;
};

// The keys one control section set, after the scheme's sections are laid over the base ones.
// What a file leaves out is not filled in here: the control palette derives it from the rest of
// the theme (ControlPalette.h), so controls follow the window's look wherever the file is silent.
struct StyleKeys {
    std::optional<std::pair<Color, Color>> background;  // a solid fill holds its colour twice
    std::optional<bool> vertical;
    std::optional<Color> text;
    std::optional<Color> border;
    std::optional<Color> mark;  // check boxes and radio buttons: the check, the dot
    std::optional<ImageRef> image;
    friend bool operator==(const StyleKeys&, const StyleKeys&) = default;
};

// One StyleKeys per control section of the file, named as the sections are.
struct ControlStyles {
    StyleKeys button, buttonHot, buttonPressed, buttonDisabled, buttonDefault;
    StyleKeys checkBox, checkBoxHot, checkBoxPressed, checkBoxDisabled;
    StyleKeys groupBox;
    StyleKeys edit, editDisabled, editReadOnly, editFocused;
    StyleKeys list, listSelected;
    StyleKeys scrollBar, scrollBarHot, scrollBarPressed, scrollBarThumb, scrollBarThumbHot, scrollBarThumbPressed;
    StyleKeys progress, progressBar;
    StyleKeys tab, tabHot, tabSelected;
    StyleKeys header, headerHot, headerPressed;
    StyleKeys statusBar;
    StyleKeys tooltip;
    StyleKeys radioButton;  // only its image: radio buttons otherwise take [CheckBox]'s colours
    friend bool operator==(const ControlStyles&, const ControlStyles&) = default;
};

// The artwork of a theme's frame, where the file gives it; the colours stay beneath and around.
struct FrameImages {
    std::optional<PartImage> caption, captionInactive;  // the caption band
    std::optional<PartImage> frame, frameInactive;      // one image around the whole window
    // The caption buttons: a strip of normal, hot, pressed, inactive and disabled, as far as it
    // goes; the close button's hot and pressed states may have their own.
    std::optional<PartImage> button, closeHot;
    friend bool operator==(const FrameImages&, const FrameImages&) = default;
};

struct Theme {
    std::string name;    // from the file, or the built-in default's name
    std::string scheme;  // the scheme that was selected ("" for the file's base)
    Metrics metrics;
    Font captionFont;
    Font menuFont;
    Font popupFont;  // [Popup]'s font keys, else the menu font's
    Style window;    // client area: background, text
    Style frame, frameInactive;
    Style caption, captionInactive;
    Style button, buttonHot, buttonPressed;  // caption buttons; text is the glyph colour
    Style buttonInactive;                    // a caption button of an inactive window, not hot
    Style closeHot;                          // close button while hot or pressed
    Style menuBar, menuBarHot;               // hot is also the open item's look
    Style popup, popupSelected, popupDisabled, popupSeparator;
    ControlStyles controls;  // the controls inside windows, as far as the file colours them
    FrameImages images;
    // The images the menus' and controls' styles name (Style::image, StyleKeys::image), each
    // file and cut once.
    std::vector<PartImage> partImages;
    friend bool operator==(const Theme&, const Theme&) = default;
};

// A note informs and never fails a check (velum-check's contrast of disabled and inactive parts).
enum class Severity { Warning, Error, Note };

struct Diagnostic {
    std::string file;
    int line = 0;    // 1-based; 0 when it concerns the whole file
    int column = 0;  // 1-based byte column; 0 when it concerns the whole line or file
    Severity severity = Severity::Error;
    std::string message;
};

struct ParseResult {
    std::optional<Theme> theme;  // set only when there is no error
    std::vector<Diagnostic> diagnostics;
};

// Files larger than this are refused before parsing.
inline constexpr std::size_t kMaxThemeFileBytes = 1024 * 1024;

// The look applied before any theme file.
Theme DefaultTheme();

// Parses a theme file's bytes. An empty scheme selects the file's default scheme.
ParseResult ParseTheme(std::string_view bytes, std::string_view fileName, std::string_view scheme);

// "file:line:column: error: message", the way compilers print it.
std::string FormatDiagnostic(const Diagnostic& d);

// Where a file sets a colour key: its line and 1-based byte column; 0 when the built-in look gives it.
struct KeyPlace {
    int line = 0, column = 0;
    explicit operator bool() const { return line > 0; }
};

// Where each colour of each section comes from under one scheme, following the fallback the
// parser follows: a style section's key through its parents down to [Defaults], a control
// section's only from itself (its scheme's section, else the base one).
class ColourPlaces {
public:
    // `section` as the file names it ("Caption.Inactive", "Button.Hot"); `key` is background,
    // text, border or mark. Unknown names have no place.
    KeyPlace At(std::string_view section, std::string_view key) const;

    std::vector<std::array<KeyPlace, 4>> bySection;  // in the parser's order of sections
};

// The places of a file's colours under `scheme` ("" for its default); none where it does not parse.
ColourPlaces LocateColours(std::string_view bytes, std::string_view scheme);

// The named schemes a file defines, spelled as in the file, in the order they first appear.
// Best effort: a file with errors still lists the schemes its readable sections name.
std::vector<std::string> ListThemeSchemes(std::string_view bytes);

// Reads a whole theme file. Refuses files over kMaxThemeFileBytes without reading them in.
// On failure returns false and sets `error`, which names the path.
bool ReadThemeFile(const std::filesystem::path& path, std::string& bytes, Diagnostic& error);

}  // namespace velum
