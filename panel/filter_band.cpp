#include "panel/filter_band.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace vl {
namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint8_t kRestingAlpha = 0xB2;
// The hovered band's contrast over the resting one's: a step a user sees.
constexpr double kHoverStep = 1.25;

double Linear(uint32_t channel) {
  const double c = channel / 255.0;
  return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

uint32_t Channel(uint32_t rrggbb, int shift) {
  return (rrggbb >> shift) & 0xFF;
}

uint32_t Scaled(uint32_t rrggbb, int numerator) {
  uint32_t out = 0;
  for (int shift : {16, 8, 0}) out |= (Channel(rrggbb, shift) * numerator / 255) << shift;
  return out;
}

}  // namespace

double RelativeLuminance(uint32_t c) {
  return 0.2126 * Linear(Channel(c, 16)) + 0.7152 * Linear(Channel(c, 8)) +
         0.0722 * Linear(Channel(c, 0));
}

double ContrastRatio(uint32_t a, uint32_t b) {
  const double la = RelativeLuminance(a), lb = RelativeLuminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

uint32_t BlendOverWhite(uint32_t c, uint8_t alpha) {
  uint32_t out = 0;
  for (int shift : {16, 8, 0})
    out |= ((Channel(c, shift) * alpha + 255 * (255u - alpha) + 127) / 255) << shift;
  return out;
}

uint32_t DarkenForContrast(uint32_t background, uint32_t text, double ratio) {
  background &= kWhite;
  // The lightest scaling that reads: luminance only falls as the scale does.
  for (int numerator = 255; numerator > 0; --numerator) {
    const uint32_t candidate = Scaled(background, numerator);
    if (ContrastRatio(candidate, text) >= ratio) return candidate;
  }
  return 0;
}

uint32_t FilterBandColour(int32_t mask_color, bool hovered) {
  const uint32_t mask = static_cast<uint32_t>(mask_color) & kWhite;
  // The soft band when it reads; otherwise the lightest readable shade of the phone's colour
  // itself (a washed-out band darkened would turn grey).
  const uint32_t soft = BlendOverWhite(mask, kRestingAlpha);
  const uint32_t resting = ContrastRatio(soft, kWhite) >= kCaptionContrast
                               ? soft
                               : DarkenForContrast(mask, kWhite, kCaptionContrast);
  if (!hovered) return resting;
  const double step = std::max(kCaptionContrast, ContrastRatio(resting, kWhite) * kHoverStep);
  return DarkenForContrast(mask, kWhite, std::min(step, 21.0));
}

}  // namespace vl
