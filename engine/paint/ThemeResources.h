// The GDI objects made from one theme (fonts per DPI, brushes), and the fonts and text sizes
// kept across themes.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "ControlPalette.h"
#include "SystemColours.h"
#include "Handles.h"
#include "ThemeArtwork.h"
#include "ThemeFile.h"

namespace velum {

// The three backgrounds a field is drawn on, in the order of kFieldLooks' brushes.
enum class FieldLook { Normal, Disabled, ReadOnly };
inline constexpr int kFieldLooks = 3;
const Style& FieldStyle(const FieldPalette& palette, FieldLook look);

// The GDI objects made from one theme, shared by every skinned window. A theme switch makes a
// new set and frees the old one whole.
class ThemeResources {
public:
    // `artwork`: the theme's images, read from its folder; null for a theme without them.
    explicit ThemeResources(Theme theme, std::shared_ptr<const ThemeArtwork> artwork = nullptr);
    ThemeResources(const ThemeResources&) = delete;
    ThemeResources& operator=(const ThemeResources&) = delete;

    const Theme& Get() const { return theme_; }
    // The theme's images; null when it has none.
    const ThemeArtwork* Artwork() const { return artwork_.get(); }
    HFONT CaptionFont(int dpi) { return FontsFor(dpi).caption->get(); }
    HFONT MenuFont(int dpi) { return FontsFor(dpi).menu->get(); }
    HFONT PopupFont(int dpi) { return FontsFor(dpi).popup->get(); }
    // A menu's default item is drawn in bold, as the system draws it; made on first use.
    HFONT PopupDefaultFont(int dpi);
    HBRUSH PopupBrush() const { return popupBrush_.get(); }
    HBRUSH WindowBrush() const { return windowBrush_.get(); }
    const ControlPalette& Controls() const { return controls_; }
    // The theme's answer to each system colour the system's own drawing asks for.
    const SystemColourTable& SystemColours() const { return systemColours_; }
    // The backgrounds of edit fields, lists and combo boxes, answered to their colour messages.
    HBRUSH FieldBrush(FieldLook look) const { return fieldBrushes_[static_cast<int>(look)].get(); }
    // True when the brush is one of this theme's field backgrounds.
    bool IsFieldBrush(HBRUSH brush) const;
    // True when every object could be made.
    bool Complete() const;

private:
    struct Fonts {
        std::shared_ptr<UniqueFont> caption, menu, popup, popupDefault;
    };
    Fonts& FontsFor(int dpi);

    Theme theme_;
    std::shared_ptr<const ThemeArtwork> artwork_;
    std::map<int, Fonts> fonts_;
    UniqueBrush popupBrush_;
    UniqueBrush windowBrush_;
    ControlPalette controls_;
    SystemColourTable systemColours_;
    UniqueBrush fieldBrushes_[kFieldLooks];
    bool fontsOk_ = true;
};

// Frees the fonts kept for later themes that no theme uses now.
void TrimFontCache();

// The size of one line of `text` in `font` (one of the kept fonts, or a stock one), `&` taken
// as an access key's mark.
SIZE MeasureText(HFONT font, const std::wstring& text);

}  // namespace velum
