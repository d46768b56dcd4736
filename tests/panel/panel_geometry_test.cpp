// The panel's layout maths: the item grid and the tab row.
#include <gtest/gtest.h>

#include "panel/panel_geometry.h"

namespace vl {
namespace {

PanelRect R(int l, int t, int r, int b) {
  return PanelRect{l, t, r, b};
}

TEST(ListGeometryTest, SevenItemsInThreeColumns) {
  ListGeometry g;  // the start values: 68 x 68 cells, gaps 34 and 12, three columns
  EXPECT_EQ(ListCell(g, 0), R(0, 0, 68, 68));
  EXPECT_EQ(ListCell(g, 1).left, 102);
  EXPECT_EQ(ListCell(g, 2).left, 204);
  EXPECT_EQ(ListCell(g, 3).top, 80);
  EXPECT_EQ(ListCell(g, 6), R(0, 160, 68, 228));
  EXPECT_EQ(ListContentHeight(g, 7), 228);
  EXPECT_EQ(ListContentHeight(g, 3), 68);  // one full row, none begun below it
  EXPECT_EQ(ListContentHeight(g, 0), 0);
}

TEST(ListGeometryTest, TheSliderColumnOfAnAdjustmentPage) {
  ListGeometry g{320, 22, 0, 25, 1};
  EXPECT_EQ(ListCell(g, 0), R(0, 0, 320, 22));
  EXPECT_EQ(ListCell(g, 1), R(0, 47, 320, 69));
  EXPECT_EQ(ListCell(g, 2).top, 94);
}

TEST(ListGeometryTest, ColumnsBelowOneMeanOneAndHugeValuesCannotOverflow) {
  for (int32_t col : {0, -1, INT32_MIN}) {
    ListGeometry g{68, 68, 34, 12, col};
    EXPECT_EQ(ListCell(g, 2), R(0, 160, 68, 228)) << col;
  }
  ListGeometry huge{INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, 2};
  const PanelRect c = ListCell(huge, 2047);
  EXPECT_EQ(c.left, kMaxCellSize + kMaxCellGap);
  EXPECT_EQ(c.top, 1023 * (kMaxCellSize + kMaxCellGap));
  EXPECT_EQ(c.width(), kMaxCellSize);
  ListGeometry negative{-50, -50, -9, -9, 3};
  EXPECT_EQ(ListCell(negative, 4), R(0, 0, 0, 0));
}

TEST(TabSlotTest, EqualColumnsAndTheRemainderStaysEmpty) {
  EXPECT_EQ(TabSlot(R(0, 0, 300, 38), 3, 0), R(0, 0, 100, 38));
  EXPECT_EQ(TabSlot(R(0, 0, 300, 38), 3, 2), R(200, 0, 300, 38));
  EXPECT_EQ(TabSlot(R(0, 0, 301, 38), 3, 2), R(200, 0, 300, 38));
}

}  // namespace
}  // namespace vl
