// A theme file as scanned, before any scheme is chosen: the sections it may hold, where each
// style section inherits from, the metric keys with their ranges, and what each section set.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "ThemeFile.h"

namespace velum::parse {

enum SectionId : int {
    kThemeSection,
    kMetricsSection,
    kDefaults,
    kWindow,
    kFrame,
    kFrameInactive,
    kCaption,
    kCaptionInactive,
    kCaptionButton,
    kCaptionButtonHot,
    kCaptionButtonPressed,
    kCaptionButtonInactive,
    kCloseHot,
    kMenuBar,
    kMenuBarHot,
    kPopup,
    kPopupSelected,
    kPopupDisabled,
    kPopupSeparator,
    kPushButton,
    kPushButtonHot,
    kPushButtonPressed,
    kPushButtonDisabled,
    kPushButtonDefault,
    kCheckBox,
    kCheckBoxHot,
    kCheckBoxPressed,
    kCheckBoxDisabled,
    kGroupBox,
    kEdit,
    kEditDisabled,
    kEditReadOnly,
    kEditFocused,
    kList,
    kListSelected,
    kScrollBar,
    kScrollBarHot,
    kScrollBarPressed,
    kScrollBarThumb,
    kScrollBarThumbHot,
    kScrollBarThumbPressed,
    kProgress,
    kProgressBar,
    kTab,
    kTabHot,
    kTabSelected,
    kHeader,
    kHeaderHot,
    kHeaderPressed,
    kStatusBar,
    kTooltip,
    kRadioButton,
    kSectionCount,
};
inline constexpr SectionId kNoSection = kSectionCount;

// The colour keys a section draws with; a key outside its section's set draws a warning.
enum KeyBits : unsigned {
    kFillKeys = 1,  // background and gradient
    kTextKey = 2,
    kBorderKey = 4,
    kMarkKey = 8,
    kStyleKeys = kFillKeys | kTextKey | kBorderKey,
};

struct SectionInfo {
    std::string_view name;
    SectionId parent;  // where keys this section leaves out come from
    Style Theme::*style;
    bool takesFont;
    StyleKeys ControlStyles::*control = nullptr;  // control sections keep only what the file set
    unsigned keys = kStyleKeys;
};

// Control sections have no parent here: what they leave out is derived when the control palette
// is built, from their element's section and the window's colours, never from [Defaults].
inline constexpr std::array<SectionInfo, kSectionCount> kSections = {{
    {"Theme", kNoSection, nullptr, false},
    {"Metrics", kNoSection, nullptr, false},
    {"Defaults", kNoSection, nullptr, true},
    {"Window", kDefaults, &Theme::window, false},
    {"Frame", kDefaults, &Theme::frame, false},
    {"Frame.Inactive", kFrame, &Theme::frameInactive, false},
    {"Caption", kDefaults, &Theme::caption, true},
    {"Caption.Inactive", kCaption, &Theme::captionInactive, false},
    {"CaptionButton", kDefaults, &Theme::button, false},
    {"CaptionButton.Hot", kCaptionButton, &Theme::buttonHot, false},
    {"CaptionButton.Pressed", kCaptionButton, &Theme::buttonPressed, false},
    // An inactive window's buttons sit on its inactive caption unless the theme says otherwise.
    {"CaptionButton.Inactive", kCaptionInactive, &Theme::buttonInactive, false},
    {"CloseButton.Hot", kCaptionButtonHot, &Theme::closeHot, false},
    {"MenuBar", kDefaults, &Theme::menuBar, true},
    {"MenuBar.Hot", kMenuBar, &Theme::menuBarHot, false},
    {"Popup", kDefaults, &Theme::popup, true},
    {"Popup.Selected", kPopup, &Theme::popupSelected, false},
    {"Popup.Disabled", kPopup, &Theme::popupDisabled, false},
    {"Popup.Separator", kPopup, &Theme::popupSeparator, false},
    {"Button", kNoSection, nullptr, false, &ControlStyles::button},
    {"Button.Hot", kNoSection, nullptr, false, &ControlStyles::buttonHot},
    {"Button.Pressed", kNoSection, nullptr, false, &ControlStyles::buttonPressed},
    {"Button.Disabled", kNoSection, nullptr, false, &ControlStyles::buttonDisabled},
    {"Button.Default", kNoSection, nullptr, false, &ControlStyles::buttonDefault, kBorderKey},
    {"CheckBox", kNoSection, nullptr, false, &ControlStyles::checkBox, kStyleKeys | kMarkKey},
    {"CheckBox.Hot", kNoSection, nullptr, false, &ControlStyles::checkBoxHot, kFillKeys | kBorderKey | kMarkKey},
    {"CheckBox.Pressed", kNoSection, nullptr, false, &ControlStyles::checkBoxPressed,
     kFillKeys | kBorderKey | kMarkKey},
    {"CheckBox.Disabled", kNoSection, nullptr, false, &ControlStyles::checkBoxDisabled, kStyleKeys | kMarkKey},
    {"GroupBox", kNoSection, nullptr, false, &ControlStyles::groupBox, kTextKey | kBorderKey},
    {"Edit", kNoSection, nullptr, false, &ControlStyles::edit},
    {"Edit.Disabled", kNoSection, nullptr, false, &ControlStyles::editDisabled},
    {"Edit.ReadOnly", kNoSection, nullptr, false, &ControlStyles::editReadOnly},
    {"Edit.Focused", kNoSection, nullptr, false, &ControlStyles::editFocused, kBorderKey},
    {"List", kNoSection, nullptr, false, &ControlStyles::list},
    {"List.Selected", kNoSection, nullptr, false, &ControlStyles::listSelected, kFillKeys | kTextKey},
    {"ScrollBar", kNoSection, nullptr, false, &ControlStyles::scrollBar},
    {"ScrollBar.Hot", kNoSection, nullptr, false, &ControlStyles::scrollBarHot},
    {"ScrollBar.Pressed", kNoSection, nullptr, false, &ControlStyles::scrollBarPressed},
    {"ScrollBar.Thumb", kNoSection, nullptr, false, &ControlStyles::scrollBarThumb, kFillKeys | kBorderKey},
    {"ScrollBar.Thumb.Hot", kNoSection, nullptr, false, &ControlStyles::scrollBarThumbHot, kFillKeys | kBorderKey},
    {"ScrollBar.Thumb.Pressed", kNoSection, nullptr, false, &ControlStyles::scrollBarThumbPressed,
     kFillKeys | kBorderKey},
    {"Progress", kNoSection, nullptr, false, &ControlStyles::progress, kFillKeys | kBorderKey},
    {"Progress.Bar", kNoSection, nullptr, false, &ControlStyles::progressBar, kFillKeys},
    {"Tab", kNoSection, nullptr, false, &ControlStyles::tab},
    {"Tab.Hot", kNoSection, nullptr, false, &ControlStyles::tabHot},
    {"Tab.Selected", kNoSection, nullptr, false, &ControlStyles::tabSelected},
    {"Header", kNoSection, nullptr, false, &ControlStyles::header},
    {"Header.Hot", kNoSection, nullptr, false, &ControlStyles::headerHot},
    {"Header.Pressed", kNoSection, nullptr, false, &ControlStyles::headerPressed},
    {"StatusBar", kNoSection, nullptr, false, &ControlStyles::statusBar},
    {"Tooltip", kNoSection, nullptr, false, &ControlStyles::tooltip},
    {"RadioButton", kNoSection, nullptr, false, &ControlStyles::radioButton, 0},
}};
static_assert(kSections[kPushButton].name == "Button" && kSections[kTooltip].name == "Tooltip",
              "kSections follows SectionId's order");

struct MetricInfo {
    std::string_view key;
    int Metrics::*field;
    int min;
    int max;
};

inline constexpr std::array<MetricInfo, 8> kMetricKeys = {{
    {"caption-height", &Metrics::captionHeight, 16, 64},
    {"frame-width", &Metrics::frameWidth, 0, 16},
    {"button-width", &Metrics::buttonWidth, 16, 64},
    {"button-height", &Metrics::buttonHeight, 12, 48},
    {"menubar-height", &Metrics::menuBarHeight, 16, 48},
    {"menu-item-height", &Metrics::menuItemHeight, 16, 48},
    {"menu-item-padding", &Metrics::menuItemPadding, 0, 32},
    {"corner-radius", &Metrics::cornerRadius, 0, 16},
}};
inline constexpr std::size_t kCaptionHeightKey = 0, kButtonHeightKey = 3;
static_assert(kMetricKeys[kCaptionHeightKey].field == &Metrics::captionHeight);
static_assert(kMetricKeys[kButtonHeightKey].field == &Metrics::buttonHeight);

// A value as the file set it, with where, for messages about how it combines with others.
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
    Setting<Color> mark;
    Setting<std::vector<std::string>> faces;
    Setting<int> fontSize;
    Setting<int> fontWeight;
    std::array<Setting<int>, kMetricKeys.size()> metrics;
    Setting<std::string> name;
    Setting<std::string> defaultScheme;
    // An image and how it is drawn; the other keys belong to the image of their own section.
    Setting<std::string> image;
    Setting<ImageMargins> imageMargins;
    Setting<std::pair<int, bool>> imageStates;  // count, side by side
    Setting<bool> imageTile;
    Setting<bool> imageShape;
    Setting<ImageMargins> contentMargins;
    Setting<std::vector<ImageVariant>> imageVariants;  // image-144 = ..., by rising DPI
};

struct Scheme {
    std::string spelling;                    // as first written in the file
    std::array<int, kSectionCount> section;  // index into Document::sections, -1 when absent
};

struct Document {
    std::vector<SectionData> sections;
    std::vector<Scheme> schemes;                               // [0] is the unnamed base
    std::unordered_map<std::string, std::size_t> schemeByKey;  // lower-case name -> schemes index
    bool anyKnownSection = false;
    bool anyHeader = false;  // some line at least tried to open a section
};

}  // namespace velum::parse
