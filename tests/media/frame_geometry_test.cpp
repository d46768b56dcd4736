// Cover and contain placement.
#include <gtest/gtest.h>

#include <string>

#include "media/frame_geometry.h"

namespace vl {
namespace {

// Output-sized pictures are taken as they are; a picture of the output's width or height but
// longer the other way is cropped unscaled (an odd overflow crops one more at the end); other
// sizes are scaled to cover, cropped equally on both sides.
TEST(PlanCoverTest, IdenticalCroppedOrScaledToCover) {
  constexpr CoverMode kSame = CoverMode::kIdentical, kCrop = CoverMode::kCrop,
                      kScale = CoverMode::kScale;
  struct Case {
    int w, h, ow, oh;
    CoverMode mode;
    int dw, dh, x, y;
  } cases[] = {
      {1280, 720, 1280, 720, kSame, 1280, 720, 0, 0},
      {720, 1280, 720, 1280, kSame, 720, 1280, 0, 0},
      {1280, 960, 1280, 720, kCrop, 1280, 960, 0, -120},    // 4:3: 120 rows top and bottom
      {960, 1280, 720, 1280, kCrop, 960, 1280, -120, 0},    // portrait output: columns
      {1280, 961, 1280, 720, kCrop, 1280, 961, 0, -120},    // 241 rows too many
      {640, 360, 1280, 720, kScale, 1280, 720, 0, 0},       // stretched
      {1920, 1080, 1280, 720, kScale, 1280, 720, 0, 0},     // shrunk
      {640, 480, 1280, 720, kScale, 1280, 960, 0, -120},    // 4:3 scaled, rows cropped
      {2340, 1080, 1280, 720, kScale, 1560, 720, -140, 0},  // wide phone: columns cropped
      {1000, 1000, 720, 1280, kScale, 1280, 1280, -280, 0},
      {1280, 700, 1280, 720, kScale, 1316, 720, -18, 0},  // one side equal, the other smaller
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
    const CoverPlan p = PlanCover(c.w, c.h, c.ow, c.oh);
    EXPECT_EQ(p.mode, c.mode);
    if (c.mode != kSame) {
      EXPECT_EQ(p.drawn_width, c.dw);
      EXPECT_EQ(p.drawn_height, c.dh);
      EXPECT_EQ(p.x, c.x);
      EXPECT_EQ(p.y, c.y);
    }
  }
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
