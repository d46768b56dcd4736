// The panel's drawing maths: the item grid at its edges (the ordinary cells are checked through
// the controls' windows in panel_manager_test), and the filter items' caption bands, readable
// white captions (WCAG AA) whatever mask colour the phone sends, hue kept, hover still visible.
#include <gtest/gtest.h>

#include <array>

#include "panel/filter_band.h"
#include "panel/panel_geometry.h"

namespace vl {
namespace {

TEST(ListGeometryTest, TheFirstCellFullRowsAndValuesOutOfRange) {
  ListGeometry g;  // the start values: 68 x 68 cells, gaps 34 and 12, three columns
  EXPECT_EQ(ListCell(g, 0), (PanelRect{0, 0, 68, 68}));
  EXPECT_EQ(ListContentHeight(g, 3), 68);  // one full row, none begun below it
  EXPECT_EQ(ListContentHeight(g, 0), 0);
  // Columns below one mean one, and huge values cannot overflow.
  for (int32_t col : {0, -1, INT32_MIN}) {
    ListGeometry g{68, 68, 34, 12, col};
    EXPECT_EQ(ListCell(g, 2), (PanelRect{0, 160, 68, 228})) << col;
  }
  ListGeometry huge{INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, 2};
  const PanelRect c = ListCell(huge, 2047);
  EXPECT_EQ(c.left, kMaxCellSize + kMaxCellGap);
  EXPECT_EQ(c.top, 1023 * (kMaxCellSize + kMaxCellGap));
  EXPECT_EQ(c.width(), kMaxCellSize);
  ListGeometry negative{-50, -50, -9, -9, 3};
  EXPECT_EQ(ListCell(negative, 4), (PanelRect{0, 0, 0, 0}));
}

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

// Mask colours as phones send them (the default pink, the demo's forest, light, dark, high bits
// set); the light ones are darkened to just past the threshold, not to black.
TEST(FilterBand, EveryBandCarriesAReadableWhiteCaptionDarkenedOnlyAsMuchAsNeeded) {
  const struct {
    int32_t mask;
    bool light;
  } masks[] = {{0xE75988, true},  {0x3BA55C, true},  {0x00FF00, false},
               {0xFFFF00, true},  {0xFFFFFF, true},  {0x87CEEB, false},
               {0x333333, false}, {0x000000, false}, {-1, false}};
  for (const auto& m : masks) {
    const uint32_t resting = FilterBandColour(m.mask, false);
    const uint32_t hovered = FilterBandColour(m.mask, true);
    EXPECT_GE(ContrastRatio(resting, kWhite), kCaptionContrast) << std::hex << m.mask;
    EXPECT_GE(ContrastRatio(hovered, kWhite), kCaptionContrast) << std::hex << m.mask;
    EXPECT_LE(resting, kWhite) << std::hex << m.mask;
    // The hover shows: darker than the resting band (black stays black).
    if (resting != 0) {
      EXPECT_LT(RelativeLuminance(hovered), RelativeLuminance(resting)) << std::hex << m.mask;
    }
    if (m.light) {
      EXPECT_LT(ContrastRatio(resting, kWhite), kCaptionContrast + 0.15) << std::hex << m.mask;
      EXPECT_GT(RelativeLuminance(resting), 0.1) << std::hex << m.mask;
    }
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
