// Layout maths of the widgets: nine-part pieces, thumbnail sizes, font sizes, combo geometry.
#include <gtest/gtest.h>

#include <climits>

#include "widgets/combo_layout.h"
#include "widgets/fit_size.h"
#include "widgets/font_size.h"
#include "widgets/nine_part_layout.h"

namespace vl {
namespace {

TEST(NinePartLayout, CornersKeepTheirSizeEdgesAndCentreStretch) {
  // The scroll thumb's insets: left 3, right 3, top 4, bottom 14, on a 10 x 24 picture.
  const auto p = LayOutNineParts(10, 24, {3, 3, 4, 14}, {100, 50, 110, 250});
  EXPECT_EQ(p[0].source, (WidgetRect{0, 0, 3, 4}));
  EXPECT_EQ(p[0].dest, (WidgetRect{100, 50, 103, 54}));
  EXPECT_EQ(p[2].dest, (WidgetRect{107, 50, 110, 54}));
  EXPECT_EQ(p[4].source, (WidgetRect{3, 4, 7, 10}));  // centre
  EXPECT_EQ(p[4].dest, (WidgetRect{103, 54, 107, 236}));
  EXPECT_EQ(p[7].source, (WidgetRect{3, 10, 7, 24}));  // bottom edge: 14 rows kept
  EXPECT_EQ(p[7].dest, (WidgetRect{103, 236, 107, 250}));
  EXPECT_EQ(p[8].dest, (WidgetRect{107, 236, 110, 250}));
}

TEST(NinePartLayout, MinusOneTakesThePartnersInset) {
  const NinePartInsets in = ResolveInsets({-1, 5, 6, -1}, 40, 40);
  EXPECT_EQ(in.left, 5);
  EXPECT_EQ(in.right, 5);
  EXPECT_EQ(in.top, 6);
  EXPECT_EQ(in.bottom, 6);
}

TEST(NinePartLayout, InsetsLargerThanThePictureAreCutToIt) {
  const NinePartInsets in = ResolveInsets({8, 8, 30, 30}, 10, 40);
  EXPECT_EQ(in.left + in.right, 10);
  EXPECT_EQ(in.top + in.bottom, 40);
  EXPECT_EQ(in.left, 8);
}

TEST(NinePartLayout, SmallDestinationShrinksCornersWithoutOverlap) {
  // A thumb squeezed to 12 rows: top 4 and bottom 14 share them 4:14.
  const auto p = LayOutNineParts(10, 24, {3, 3, 4, 14}, {0, 0, 10, 12});
  EXPECT_EQ(p[0].dest.bottom, 2);  // 12 x 4 / 18
  EXPECT_EQ(p[6].dest.top, 2);     // the bottom row starts where the top row ends
  EXPECT_EQ(p[6].dest.bottom, 12);
  EXPECT_TRUE(p[3].dest.empty());  // no room for the middle row
  for (const NinePiece& piece : p) {
    if (piece.dest.empty()) continue;
    EXPECT_GE(piece.dest.top, 0);
    EXPECT_LE(piece.dest.bottom, 12);
  }
}

TEST(NinePartLayout, EmptyPictureOrDestinationGivesNoPieces) {
  for (const NinePiece& piece : LayOutNineParts(0, 10, {1, 1, 1, 1}, {0, 0, 10, 10}))
    EXPECT_TRUE(piece.dest.empty());
  for (const NinePiece& piece : LayOutNineParts(10, 10, {1, 1, 1, 1}, {5, 5, 5, 9}))
    EXPECT_TRUE(piece.dest.empty());
}

TEST(FitIntoSquare, LongerSideBecomesTheBound) {
  EXPECT_EQ(FitIntoSquare(400, 200, 100, false).width, 100);
  EXPECT_EQ(FitIntoSquare(400, 200, 100, false).height, 50);
  EXPECT_EQ(FitIntoSquare(200, 400, 100, false).width, 50);
  EXPECT_EQ(FitIntoSquare(200, 400, 100, false).height, 100);
  EXPECT_EQ(FitIntoSquare(300, 300, 100, false).width, 100);
  EXPECT_EQ(FitIntoSquare(300, 300, 100, false).height, 100);
  // The panel's thumbnails: 136 x 68 into 68 becomes 68 x 34.
  EXPECT_EQ(FitIntoSquare(136, 68, 68, false).height, 34);
}

TEST(FitIntoSquare, SmallPicturesKeepTheirSizeUnlessForced) {
  const FitSize kept = FitIntoSquare(60, 40, 100, false);
  EXPECT_EQ(kept.width, 60);
  EXPECT_EQ(kept.height, 40);
  const FitSize forced = FitIntoSquare(60, 40, 100, true);
  EXPECT_EQ(forced.width, 100);
  EXPECT_EQ(forced.height, 66);
}

TEST(FitIntoSquare, ExtremeAspectKeepsEverySideAtLeastOnePixel) {
  const FitSize wide = FitIntoSquare(100000, 1, 68, false);
  EXPECT_EQ(wide.width, 68);
  EXPECT_EQ(wide.height, 1);
  const FitSize tall = FitIntoSquare(1, INT_MAX, 68, false);
  EXPECT_EQ(tall.width, 1);
  EXPECT_EQ(tall.height, 68);
}

TEST(FitIntoSquare, EmptyPictureOrBoundGivesNothing) {
  EXPECT_FALSE(FitIntoSquare(0, 40, 100, false).valid());
  EXPECT_FALSE(FitIntoSquare(40, 0, 100, true).valid());
  EXPECT_FALSE(FitIntoSquare(-5, 40, 100, false).valid());
  EXPECT_FALSE(FitIntoSquare(40, 40, 0, true).valid());
}

TEST(FontSize, PixelSizesBecomePointTenthsAt96Dpi) {
  EXPECT_EQ(FontPointTenths(12), 90);   // 9 pt
  EXPECT_EQ(FontPointTenths(16), 120);  // 12 pt
  EXPECT_EQ(FontPointTenths(13), 97);   // 9.75 pt truncated
  EXPECT_EQ(FontPointTenths(9), 67);
}

TEST(FontSize, PointTenthsGiveBackThePixelSizeAt96DpiAndScaleWithDpi) {
  for (int px : {9, 12, 13, 14, 18}) EXPECT_EQ(FontPixelHeight(FontPointTenths(px), 96), px) << px;
  EXPECT_EQ(FontPixelHeight(FontPointTenths(12), 144), 18);  // 150 %
  EXPECT_EQ(FontPixelHeight(FontPointTenths(14), 120), 18);  // 125 %: 17.5 rounds up
}

TEST(ComboLayout, TextAndArrowAreas) {
  const WidgetRect client{0, 0, 344, 36};  // the main window's device picker
  EXPECT_EQ(ComboTextRect(client), (WidgetRect{16, 1, 306, 34}));
  EXPECT_EQ(ComboArrowRect(client), (WidgetRect{316, 0, 334, 36}));
}

TEST(ComboLayout, ListOpensOnePixelAboveTheBottomAtTheComboWidth) {
  const WidgetRect combo{116, 702, 460, 738};
  EXPECT_EQ(ComboListRect(combo, 3), (WidgetRect{116, 737, 460, 737 + 3 * 46}));
  EXPECT_EQ(ComboListRect(combo, 0).height(), 1);
}

TEST(ComboLayout, ItemUnderAPoint) {
  EXPECT_EQ(ComboItemAt(0, 2), 0);
  EXPECT_EQ(ComboItemAt(45, 2), 0);
  EXPECT_EQ(ComboItemAt(46, 2), 1);
  EXPECT_EQ(ComboItemAt(92, 2), -1);
  EXPECT_EQ(ComboItemAt(-1, 2), -1);
}

}  // namespace
}  // namespace vl
