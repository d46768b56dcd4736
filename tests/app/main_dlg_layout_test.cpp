// The main window's layout maths: where the phone's panel goes.
#include <gtest/gtest.h>

#include "app/main_dlg_layout.h"

namespace vl {
namespace {

using main_layout::PanelArea;

PixelRect R(int l, int t, int r, int b) {
  return PixelRect{l, t, r, b};
}

TEST(PanelAreaTest, RightOfThePreviewInTheConnectedWindow) {
  EXPECT_EQ(PanelArea(1080, 648), R(728, 68, 1078, 640));
}

}  // namespace
}  // namespace vl
