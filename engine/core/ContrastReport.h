// How well every text, glyph, field border and focus indicator a theme draws reads on what it
// stands on, in the colours the engine draws (the control palette's derivation included), for
// velum-check. Portable: over an image, the image's own pixels, composed as the engine draws them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ThemeFile.h"
#include "ThemeLoad.h"

namespace velum {

// What a colour draws, which sets the ratio it needs: text 4.5:1, the rest 3:1.
enum class ContrastUse { Text, Glyph, Border, Focus };

double RequiredContrast(ContrastUse use);

// One foreground on one background, the worse of a gradient's two ends or of an image's pixels.
struct ContrastPair {
    std::string what;  // "caption text", "hot caption button glyph"
    ContrastUse use = ContrastUse::Text;
    bool exempt = false;  // disabled or inactive: informs, never fails
    Color fore, back;
    double ratio = 21;
    std::string image;  // the image the background was read from, as the file names it; "" for colours
    // The key that sets the foreground, else the background's; 0 when the built-in look sets both.
    KeyPlace place;
};

// Every pair the theme draws. `images`, when the theme's images were read, puts the pixels under
// the text in place of the colours wherever a part draws an image; without, the colours stand.
std::vector<ContrastPair> MeasureContrast(const Theme& theme, const ColourPlaces& places,
                                          const ThemeImageSet* images = nullptr);

// The report of a pair that falls short: a warning, or a note for an exempt one; nothing when it
// reads. `scheme` is added to the message when not empty.
std::optional<Diagnostic> ContrastDiagnostic(const ContrastPair& pair, std::string_view fileName,
                                             std::string_view scheme);

}  // namespace velum
