// Cover and contain placement.
#include <gtest/gtest.h>

#include "media/frame_geometry.h"

namespace vl {
namespace {

TEST(PlanCoverTest, OutputSizedPictureIsTakenAsItIs) {
  const CoverPlan p = PlanCover(1280, 720, 1280, 720);
  EXPECT_EQ(p.mode, CoverMode::kIdentical);
  EXPECT_EQ(PlanCover(720, 1280, 720, 1280).mode, CoverMode::kIdentical);
}

TEST(PlanCoverTest, FourByThreeIsCroppedUnscaled120RowsTopAndBottom) {
  const CoverPlan p = PlanCover(1280, 960, 1280, 720);
  EXPECT_EQ(p.mode, CoverMode::kCrop);
  EXPECT_EQ(p.drawn_width, 1280);
  EXPECT_EQ(p.drawn_height, 960);
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(p.y, -120);
  // Portrait output, wider picture of the output's height: columns cropped.
  const CoverPlan q = PlanCover(960, 1280, 720, 1280);
  EXPECT_EQ(q.mode, CoverMode::kCrop);
  EXPECT_EQ(q.x, -120);
  EXPECT_EQ(q.y, 0);
}

TEST(PlanCoverTest, OtherSizesAreScaledToCoverWithEqualCropping) {
  struct Case {
    int w, h, ow, oh, dw, dh, x, y;
  } cases[] = {
      {640, 360, 1280, 720, 1280, 720, 0, 0},       // stretched
      {1920, 1080, 1280, 720, 1280, 720, 0, 0},     // shrunk
      {640, 480, 1280, 720, 1280, 960, 0, -120},    // 4:3 scaled, rows cropped
      {2340, 1080, 1280, 720, 1560, 720, -140, 0},  // wide phone: columns cropped
      {1000, 1000, 720, 1280, 1280, 1280, -280, 0},
      {1280, 700, 1280, 720, 1316, 720, -18, 0},  // one side equal, the other smaller
  };
  for (const Case& c : cases) {
    const CoverPlan p = PlanCover(c.w, c.h, c.ow, c.oh);
    EXPECT_EQ(p.mode, CoverMode::kScale) << c.w << "x" << c.h;
    EXPECT_EQ(p.drawn_width, c.dw) << c.w << "x" << c.h;
    EXPECT_EQ(p.drawn_height, c.dh) << c.w << "x" << c.h;
    EXPECT_EQ(p.x, c.x) << c.w << "x" << c.h;
    EXPECT_EQ(p.y, c.y) << c.w << "x" << c.h;
  }
}

TEST(PlanCoverTest, OddOverflowCropsOneMoreAtTheEnd) {
  const CoverPlan p = PlanCover(1280, 961, 1280, 720);  // 241 rows too many
  EXPECT_EQ(p.mode, CoverMode::kCrop);
  EXPECT_EQ(p.y, -120);
}

TEST(PlanContainTest, LetterboxesIntoThePreview) {
  const ContainPlan l = PlanContain(1280, 720, 727, 522);
  EXPECT_EQ(l.drawn_width, 727);
  EXPECT_EQ(l.drawn_height, 408);
  EXPECT_EQ(l.x, 0);
  EXPECT_EQ(l.y, 57);
  const ContainPlan p = PlanContain(720, 1280, 727, 522);
  EXPECT_EQ(p.drawn_width, 293);
  EXPECT_EQ(p.drawn_height, 522);
  EXPECT_EQ(p.x, 217);
  EXPECT_EQ(p.y, 0);
}

TEST(PlanGeometryTest, EmptySizesPlanNothing) {
  EXPECT_EQ(PlanCover(0, 720, 1280, 720).drawn_width, 0);
  EXPECT_EQ(PlanContain(1280, 720, 0, 0).drawn_width, 0);
}

}  // namespace
}  // namespace vl
