// Layout maths of the widgets: nine-part pieces, thumbnail sizes, font sizes, combo geometry.
#include <gtest/gtest.h>

#include <climits>
#include <tuple>

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

TEST(NinePartLayout, MinusOneTakesThePartnersInsetAndLargeInsetsAreCutToThePicture) {
  const NinePartInsets in = ResolveInsets({-1, 5, 6, -1}, 40, 40);
  EXPECT_EQ(std::tuple(in.left, in.right, in.top, in.bottom), std::tuple(5, 5, 6, 6));
  // Insets larger than the picture are cut to it.
  const NinePartInsets cut = ResolveInsets({8, 8, 30, 30}, 10, 40);
  EXPECT_EQ(std::tuple(cut.left, cut.left + cut.right, cut.top + cut.bottom),
            std::tuple(8, 10, 40));
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

// The panel's thumbnails fit 136 x 68 into 68; an extreme aspect keeps every side at least one
// pixel; an empty picture or bound gives an invalid 0 x 0.
TEST(FitIntoSquare, LongerSideBecomesTheBoundAndSmallPicturesKeepTheirSizeUnlessForced) {
  const struct {
    int width, height, bound;
    bool force;
    int fitted_width, fitted_height;
  } cases[] = {{400, 200, 100, false, 100, 50},  {200, 400, 100, false, 50, 100},
               {300, 300, 100, false, 100, 100}, {136, 68, 68, false, 68, 34},
               {60, 40, 100, false, 60, 40},     {60, 40, 100, true, 100, 66},
               {100000, 1, 68, false, 68, 1},    {1, INT_MAX, 68, false, 1, 68},
               {0, 40, 100, false, 0, 0},        {40, 0, 100, true, 0, 0},
               {-5, 40, 100, false, 0, 0},       {40, 40, 0, true, 0, 0}};
  for (const auto& c : cases) {
    const FitSize fit = FitIntoSquare(c.width, c.height, c.bound, c.force);
    EXPECT_EQ(std::pair(fit.width, fit.height), std::pair(c.fitted_width, c.fitted_height))
        << c.width << "x" << c.height;
  }
}

// 12 px is 9 pt, 16 px 12 pt, 13 px 9.75 pt truncated; back to the pixel size at 96 DPI, and
// scaled with the DPI (150 %; 125 %, where 17.5 rounds up).
TEST(FontSize, PixelSizesBecomePointTenthsAt96DpiAndBack) {
  const int tenths[][2] = {{12, 90}, {16, 120}, {13, 97}, {9, 67}};
  for (const auto& t : tenths) EXPECT_EQ(FontPointTenths(t[0]), t[1]) << t[0];
  for (int px : {9, 12, 13, 14, 18}) EXPECT_EQ(FontPixelHeight(FontPointTenths(px), 96), px) << px;
  EXPECT_EQ(FontPixelHeight(FontPointTenths(12), 144), 18);
  EXPECT_EQ(FontPixelHeight(FontPointTenths(14), 120), 18);
}

TEST(ComboLayout, TextAndArrowAreas) {
  const WidgetRect client{0, 0, 344, 36};  // the main window's device picker
  EXPECT_EQ(ComboTextRect(client), (WidgetRect{16, 1, 306, 34}));
  EXPECT_EQ(ComboArrowRect(client), (WidgetRect{316, 0, 334, 36}));
}

// Where the picker's list opens: room below, room above, neither (scrolling), on monitors
// anywhere in the virtual screen, never beyond the work area. The main window's picker is
// 344 x 36; 46 pixels per item.
struct PlacementCase {
  const char* name;
  WidgetRect combo, work;
  int items;
  WidgetRect expected;
  bool above, scrolls;
};

TEST(ComboLayout, ListOpensWhereTheScreenHasRoom) {
  const WidgetRect screen{0, 0, 1280, 800}, half{0, 0, 1280, 400}, strip{0, 0, 1280, 80};
  const WidgetRect taskbar{0, 0, 1280, 760}, west{-1280, 0, 0, 1024};
  const WidgetRect picker{16, 602, 360, 638}, low{16, 740, 360, 776}, mid{16, 200, 360, 236};
  const WidgetRect high{16, 100, 360, 136}, top{16, 20, 360, 56}, docked{16, 700, 360, 736};
  const WidgetRect on_west{-1200, 900, -856, 936};
  const PlacementCase cases[] = {
      {"room below", picker, screen, 3, {16, 637, 360, 775}, false, false},
      {"exactly room below", picker, {0, 0, 1280, 775}, 3, {16, 637, 360, 775}, false, false},
      {"1 pixel short: above", picker, {0, 0, 1280, 774}, 3, {16, 465, 360, 603}, true, false},
      {"3 phones at the bottom", low, screen, 3, {16, 603, 360, 741}, true, false},
      {"taskbar: the work area", docked, taskbar, 3, {16, 563, 360, 701}, true, false},
      {"neither, above roomier", mid, half, 20, {16, 17, 360, 201}, true, true},
      {"neither, below roomier", high, half, 20, {16, 135, 360, 365}, false, true},
      {"not one item's room", top, strip, 5, {16, 55, 360, 80}, false, true},
      {"monitor left of primary", on_west, west, 3, {-1200, 763, -856, 901}, true, false},
      {"no items: 1 pixel below", picker, screen, 0, {16, 637, 360, 638}, false, false},
  };
  for (const PlacementCase& c : cases) {
    const ComboListPlacement p = PlaceComboList(c.combo, c.work, c.items);
    EXPECT_EQ(std::tuple(p.rect, p.above, p.scrolls), std::tuple(c.expected, c.above, c.scrolls))
        << c.name;
  }
}

TEST(ComboLayout, HugeItemCountsStayInsideTheWorkArea) {
  for (int items : {100000, INT_MAX / kComboItemHeight + 1, INT_MAX}) {
    const ComboListPlacement p = PlaceComboList({16, 602, 360, 638}, {0, 0, 1280, 800}, items);
    EXPECT_EQ(std::tuple(p.scrolls, p.above, p.rect.top, p.rect.bottom),
              std::tuple(true, true, 603 % kComboItemHeight, 603))
        << items;
  }
  EXPECT_GT(ComboListHeight(INT_MAX), 0);
  EXPECT_EQ(ComboListHeight(-3), 1);
}

// The second half scrolled down by two and a half items.
TEST(ComboLayout, ItemUnderAPoint) {
  const struct {
    int y, items, scroll, item;
  } cases[] = {{0, 2, 0, 0},       {45, 2, 0, 0},
               {46, 2, 0, 1},      {92, 2, 0, -1},
               {-1, 2, 0, -1},     {0, 10, 115, 2},
               {22, 10, 115, 2},   {23, 10, 115, 3},
               {400, 10, 115, -1}, {INT_MAX, 10, INT_MAX, -1}};
  for (const auto& c : cases)
    EXPECT_EQ(ComboItemAt(c.y, c.items, c.scroll), c.item) << c.y << " scrolled " << c.scroll;
}

// Already shown, the last whole item shown, one below it (moves by one item), the last item
// (the end), above the view (becomes its top), no current item (only clamped), everything
// fitting (never scrolls).
TEST(ComboLayout, ScrollingShowsTheCurrentItemWhole) {
  struct Case {
    int index, items, visible, scroll, expected;
  } cases[] = {{0, 20, 184, 0, 0},    {3, 20, 184, 0, 0},    {4, 20, 184, 0, 46},
               {19, 20, 184, 0, 736}, {2, 20, 184, 230, 92}, {-1, 20, 184, 5000, 736},
               {5, 3, 184, 40, 0}};
  for (const Case& c : cases)
    EXPECT_EQ(ComboScrollToShow(c.index, c.items, c.visible, c.scroll), c.expected)
        << c.index << " of " << c.items;
}

}  // namespace
}  // namespace vl
