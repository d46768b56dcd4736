// The item grid's maths at its edges. Where the tab row, the slider column, the panel area and
// the cells of seven items in three columns land is checked through the controls' windows
// (dui_ctrl_test).
#include <gtest/gtest.h>

#include "panel/panel_geometry.h"

namespace vl {
namespace {

PanelRect R(int l, int t, int r, int b) {
  return PanelRect{l, t, r, b};
}

TEST(ListGeometryTest, TheFirstCellFullRowsAndValuesOutOfRange) {
  ListGeometry g;  // the start values: 68 x 68 cells, gaps 34 and 12, three columns
  EXPECT_EQ(ListCell(g, 0), R(0, 0, 68, 68));
  EXPECT_EQ(ListContentHeight(g, 3), 68);  // one full row, none begun below it
  EXPECT_EQ(ListContentHeight(g, 0), 0);
  // Columns below one mean one, and huge values cannot overflow.
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

}  // namespace
}  // namespace vl
