// How well one colour reads on another: the contrast ratio of WCAG 2.x, from 1 (the same
// luminance) to 21 (black on white). Text reads at 4.5 and more; large glyphs and lines at 3.
#pragma once

#include "ThemeFile.h"

namespace velum {

inline constexpr double kReadableText = 4.5;
// Glyphs, field borders and focus indicators: WCAG's figure for graphics and the parts of controls.
inline constexpr double kReadableGraphic = 3.0;

// The relative luminance of an sRGB colour, from 0 (black) to 1 (white).
double RelativeLuminance(Color c);
// The ratio of the lighter colour's luminance to the darker's, each plus 0.05; symmetric.
double ContrastRatio(Color a, Color b);

}  // namespace velum
