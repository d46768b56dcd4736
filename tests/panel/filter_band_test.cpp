// The filter items' caption bands: readable white captions (WCAG AA, 4.5 : 1) whatever mask
// colour the phone sends, the phone's hue kept, no darker than needed, hover still visible.
#include "panel/filter_band.h"

#include <gtest/gtest.h>

#include <array>

namespace vl {
namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

// Red, green and blue of 0xRRGGBB.
std::array<int, 3> Channels(uint32_t c) {
  return {static_cast<int>(c >> 16), static_cast<int>((c >> 8) & 0xFF), static_cast<int>(c & 0xFF)};
}

TEST(FilterBand, ContrastFollowsWcag) {
  EXPECT_DOUBLE_EQ(RelativeLuminance(kWhite), 1.0);
  EXPECT_DOUBLE_EQ(RelativeLuminance(0), 0.0);
  EXPECT_DOUBLE_EQ(ContrastRatio(kWhite, 0), 21.0);
  EXPECT_DOUBLE_EQ(ContrastRatio(0, kWhite), 21.0);
  // The well-known greys on white: #767676 just passes AA, #777777 just fails it.
  EXPECT_NEAR(ContrastRatio(0x767676, kWhite), 4.54, 0.01);
  EXPECT_LT(ContrastRatio(0x777777, kWhite), 4.5);
  // Green weighs most, blue least.
  EXPECT_GT(RelativeLuminance(0x00FF00), RelativeLuminance(0xFF0000));
  EXPECT_GT(RelativeLuminance(0xFF0000), RelativeLuminance(0x0000FF));
  EXPECT_EQ(BlendOverWhite(0xE75988, 0xFF), 0xE75988u);
  EXPECT_EQ(BlendOverWhite(0xE75988, 0), kWhite);
  EXPECT_EQ(BlendOverWhite(0x000000, 0xB2), 0x4D4D4Du);
}

// Mask colours as phones send them: the default pink, the demo phone's own, light, dark, and
// out-of-range values.
TEST(FilterBand, EveryBandCarriesAReadableWhiteCaption) {
  const struct {
    const char* name;
    int32_t mask;
  } masks[] = {{"default pink", 0xE75988}, {"demo forest", 0x3BA55C}, {"green", 0x00FF00},
               {"yellow", 0xFFFF00},       {"white", 0xFFFFFF},       {"sky", 0x87CEEB},
               {"dark grey", 0x333333},    {"black", 0x000000},       {"high bits set", -1}};
  for (const auto& m : masks) {
    const uint32_t resting = FilterBandColour(m.mask, false);
    const uint32_t hovered = FilterBandColour(m.mask, true);
    EXPECT_GE(ContrastRatio(resting, kWhite), kCaptionContrast) << m.name;
    EXPECT_GE(ContrastRatio(hovered, kWhite), kCaptionContrast) << m.name;
    EXPECT_LE(resting, kWhite) << m.name;
    // The hover shows: darker than the resting band (black stays black).
    if (resting != 0) {
      EXPECT_LT(RelativeLuminance(hovered), RelativeLuminance(resting)) << m.name;
    }
  }
}

TEST(FilterBand, DarkensOnlyAsMuchAsNeededAndKeepsTheHue) {
  // Light bands: darkened to just past the threshold, not to black.
  for (int32_t mask : {0xE75988, 0x3BA55C, 0xFFFF00, 0xFFFFFF}) {
    const uint32_t resting = FilterBandColour(mask, false);
    EXPECT_LT(ContrastRatio(resting, kWhite), kCaptionContrast + 0.15) << std::hex << mask;
    EXPECT_GT(RelativeLuminance(resting), 0.1) << std::hex << mask;
  }
  // The pink stays pink: red strongest, then blue, then green.
  const auto [pink_r, pink_g, pink_b] = Channels(FilterBandColour(0xE75988, false));
  EXPECT_GT(pink_r, pink_b);
  EXPECT_GT(pink_b, pink_g);
  const auto [forest_r, forest_g, forest_b] = Channels(FilterBandColour(0x3BA55C, true));
  EXPECT_GT(forest_g, forest_b);
  EXPECT_GT(forest_b, forest_r);
  // Dark bands are readable as they are: exactly the phone's colour at the band's alpha.
  EXPECT_EQ(FilterBandColour(0x333333, false), BlendOverWhite(0x333333, 0xB2));
  EXPECT_EQ(FilterBandColour(0x333333, true), 0x333333u);
  EXPECT_EQ(FilterBandColour(0x000000, true), 0u);
  EXPECT_EQ(DarkenForContrast(0x767676, kWhite, 4.5), 0x767676u);
  EXPECT_EQ(DarkenForContrast(kWhite, kWhite, 30.0), 0u);  // unreachable: black
}

}  // namespace
}  // namespace vl
