#include "ThemeResources.h"

#include <string>

#include "AnsiText.h"
#include "Painter.h"

namespace velum {

namespace {

int CALLBACK FaceFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found)
{
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool FaceInstalled(const std::wstring& face)
{
    if (face.empty() || face.size() >= LF_FACESIZE)
        return false;
    // Asking the font system is slow, and theme switches ask about the same few faces.
    static std::map<std::wstring, bool> known;
    if (const auto found = known.find(face); found != known.end())
        return found->second;
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    face.copy(lf.lfFaceName, face.size());
    bool found = false;
    const WindowDc screen(nullptr);
    EnumFontFamiliesExW(screen.get(), &lf, FaceFound, reinterpret_cast<LPARAM>(&found), 0);
    known[face] = found;
    return found;
}

UniqueFont CreateThemeFont(const Font& font, int dpi)
{
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(font.sizePt, dpi, 72);
    lf.lfWeight = font.weight;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    std::wstring chosen = L"Tahoma";
    for (const auto& face : font.faces) {
        const std::wstring wide = FromUtf8(face);
        if (FaceInstalled(wide)) {
            chosen = wide;
            break;
        }
    }
    chosen.copy(lf.lfFaceName, std::min<size_t>(chosen.size(), LF_FACESIZE - 1));
    return UniqueFont(CreateFontIndirectW(&lf));
}

// Fonts are kept across theme switches: Wine realizes each new font object from its file again,
// which costs more than the rest of a switch, and users switch between the same few themes.
std::map<std::string, std::shared_ptr<UniqueFont>>& FontCache()
{
    static std::map<std::string, std::shared_ptr<UniqueFont>> cache;
    return cache;
}

std::shared_ptr<UniqueFont> MakeFont(const Font& font, int dpi)
{
    std::string key = std::to_string(dpi) + "/" + std::to_string(font.sizePt) + "/" + std::to_string(font.weight);
    for (const auto& face : font.faces)
        key += "/" + face;
    auto& cache = FontCache();
    if (const auto found = cache.find(key); found != cache.end())
        return found->second;
    constexpr size_t kKeptFonts = 24;
    if (cache.size() >= kKeptFonts)
        TrimFontCache();
    auto made = std::make_shared<UniqueFont>(CreateThemeFont(font, dpi));
    if (*made)
        cache[key] = made;
    return made;
}

// Every frame change measures the menu bar's items several times over (Wine's layout of the
// bar, the engine's), each measure a font selected and the text shaped again: sizes are kept
// by font and text. A font is only ever freed by TrimFontCache, which forgets them all, so a
// handle the system gives out again is never taken for the old font.
std::map<std::pair<HFONT, std::wstring>, SIZE>& TextSizes()
{
    static std::map<std::pair<HFONT, std::wstring>, SIZE> sizes;
    return sizes;
}

}  // namespace

void TrimFontCache()
{
    auto& cache = FontCache();
    for (auto it = cache.begin(); it != cache.end();)
        it = it->second.use_count() == 1 ? cache.erase(it) : std::next(it);
    TextSizes().clear();
}

SIZE MeasureText(HFONT font, const std::wstring& text)
{
    auto& sizes = TextSizes();
    auto key = std::make_pair(font, text);
    if (const auto found = sizes.find(key); found != sizes.end())
        return found->second;
    static const UniqueDc measuring(CreateCompatibleDC(nullptr));
    ScopedSelect select(measuring.get(), font);
    RECT r{0, 0, 0, 0};
    DrawTextW(measuring.get(), text.empty() ? L" " : text.c_str(), -1, &r, DT_SINGLELINE | DT_CALCRECT);
    const SIZE size{r.right - r.left, r.bottom - r.top};
    // Menus of many items measured in many fonts: the sizes kept stay few.
    constexpr size_t kKeptSizes = 512;
    if (sizes.size() >= kKeptSizes)
        sizes.clear();
    sizes.emplace(std::move(key), size);
    return size;
}

ThemeResources::ThemeResources(Theme theme, std::shared_ptr<const ThemeArtwork> artwork)
    : theme_(std::move(theme)), artwork_(std::move(artwork)),
      popupBrush_(CreateSolidBrush(ToColorRef(theme_.popup.background.from))),
      windowBrush_(CreateSolidBrush(ToColorRef(theme_.window.background.from))),
      controls_(DeriveControlPalette(theme_)), systemColours_(ThemeSystemColours(theme_, controls_))
{
    const Fonts& fonts = FontsFor(ScreenDpi());
    fontsOk_ = *fonts.caption && *fonts.menu && *fonts.popup;
    for (int i = 0; i < kFieldLooks; ++i)
        fieldBrushes_[i].reset(
            CreateSolidBrush(ToColorRef(FieldStyle(controls_.field, static_cast<FieldLook>(i)).background.from)));
}

bool ThemeResources::IsFieldBrush(HBRUSH brush) const
{
    for (const auto& owned : fieldBrushes_)
        if (brush != nullptr && brush == owned.get())
            return true;
    return false;
}

bool ThemeResources::Complete() const
{
    for (const auto& owned : fieldBrushes_)
        if (!owned)
            return false;
    return popupBrush_ && windowBrush_ && fontsOk_;
}

const Style& FieldStyle(const FieldPalette& palette, FieldLook look)
{
    switch (look) {
    case FieldLook::Disabled: return palette.disabled;
    case FieldLook::ReadOnly: return palette.readOnly;
    case FieldLook::Normal: break;
    }
    return palette.normal;
}

ThemeResources::Fonts& ThemeResources::FontsFor(int dpi)
{
    auto found = fonts_.find(dpi);
    if (found != fonts_.end())
        return found->second;
    Fonts& fonts = fonts_[dpi];
    fonts.caption = MakeFont(theme_.captionFont, dpi);
    fonts.menu = MakeFont(theme_.menuFont, dpi);
    fonts.popup = MakeFont(theme_.popupFont, dpi);
    return fonts;
}

HFONT ThemeResources::PopupDefaultFont(int dpi)
{
    Fonts& fonts = FontsFor(dpi);
    if (!fonts.popupDefault) {
        Font bold = theme_.popupFont;
        bold.weight = std::max(bold.weight, 700);
        fonts.popupDefault = MakeFont(bold, dpi);
    }
    // A font that could not be made falls back to the items' own.
    return *fonts.popupDefault ? fonts.popupDefault->get() : fonts.popup->get();
}

}  // namespace velum
