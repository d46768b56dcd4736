// The caption band of a filter item: the phone's mask colour at the band's alpha over the white
// item where the white caption on it reads (WCAG AA for the caption's 12-pixel text: contrast
// at least 4.5 : 1), else the phone's colour darkened just enough. The hue stays the phone's.
// Colours are 0xRRGGBB. Platform-neutral.
#pragma once

#include <cstdint>

namespace vl {

// WCAG 2 relative luminance (0 black .. 1 white) and contrast ratio (1 .. 21).
double RelativeLuminance(uint32_t rrggbb);
double ContrastRatio(uint32_t a, uint32_t b);

// `rrggbb` drawn with `alpha` over white.
uint32_t BlendOverWhite(uint32_t rrggbb, uint8_t alpha);

// `background` scaled toward black just enough that `text` on it reaches `ratio`; unchanged when
// it already does (and black when nothing lighter does).
uint32_t DarkenForContrast(uint32_t background, uint32_t text, double ratio);

// The minimum contrast of the white caption on its band.
constexpr double kCaptionContrast = 4.5;

// The band for a mask colour, resting (alpha 0xB2 where that reads) or under the mouse
// (opaque): both readable, the hovered one darker than the resting one so that the hover shows.
uint32_t FilterBandColour(int32_t mask_color, bool hovered);

}  // namespace vl
