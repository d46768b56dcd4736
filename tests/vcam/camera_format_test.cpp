// Offered size, media type table, capability figures and bitmap header maths of the camera.
#include <gtest/gtest.h>

#include <iterator>

#include "vcam/camera_format.h"
#include "vcam/framework/bitmap_math.h"

namespace vl::vcam {
namespace {

// Each camera turns sizes to its orientation and keeps squares; a missing or damaged header
// gives the camera's default size.
TEST(OfferedFrameSize, TurnedToTheCamerasOrientationOrTheDefault) {
  constexpr auto kL = CameraOrientation::kLandscape;
  constexpr auto kP = CameraOrientation::kPortrait;
  struct Case {
    CameraOrientation orientation;
    int32_t width, height, offered_width, offered_height;
    bool turned;
  };
  for (const Case c : {Case{kL, 1280, 720, 1280, 720, false}, Case{kL, 720, 1280, 1280, 720, true},
                       Case{kL, 480, 640, 640, 480, true}, Case{kP, 1280, 720, 720, 1280, true},
                       Case{kP, 720, 1280, 720, 1280, false}, Case{kL, 640, 640, 640, 640, false},
                       Case{kP, 640, 640, 640, 640, false}}) {
    const FrameSize got = OfferedFrameSize(c.orientation, c.width, c.height);
    EXPECT_EQ(got.width, c.offered_width) << c.width << "x" << c.height;
    EXPECT_EQ(got.height, c.offered_height) << c.width << "x" << c.height;
    // A square picture is never turned: its pixels would move for nothing.
    EXPECT_EQ(NeedsRotation(c.orientation, c.width, c.height), c.turned)
        << c.width << "x" << c.height;
  }
  // Width and height pairs.
  constexpr int kOver = kMaxOfferedSide + 1;
  const int damaged[] = {0,    0,    0,      720, 1280,  0, -1280, 720,
                         1280, -720, 100000, 720, kOver, 8, 8,     kOver};
  for (auto o : {kL, kP}) {
    const FrameSize def = DefaultFrameSize(o);
    EXPECT_EQ(def.width, o == kL ? 1280 : 720);
    for (size_t i = 0; i < std::size(damaged); i += 2) {
      const int w = damaged[i], h = damaged[i + 1];
      const FrameSize got = OfferedFrameSize(o, w, h);
      EXPECT_EQ(got.width, def.width) << w << "x" << h;
      EXPECT_EQ(got.height, def.height) << w << "x" << h;
    }
  }
}

TEST(OfferedFormats, FivePositionsInTheAdvertisedOrder) {
  struct Expected {
    int bits;
    uint32_t compression;
    uint32_t masks[3];
    uint32_t colours;
    BitmapSubtype subtype;
    SampleLayout layout;
  };
  const Expected expected[] = {
      {32, kBiRgb, {0, 0, 0}, 0, BitmapSubtype::kRgb32, SampleLayout::kRgb32},
      {24, kBiRgb, {0, 0, 0}, 0, BitmapSubtype::kRgb24, SampleLayout::kRgb24},
      {16, kBiBitfields, {0xF800, 0x07E0, 0x001F}, 0, BitmapSubtype::kRgb565, SampleLayout::kOther},
      {16, kBiBitfields, {0x7C00, 0x03E0, 0x001F}, 0, BitmapSubtype::kRgb555, SampleLayout::kOther},
      {8, kBiRgb, {0, 0, 0}, 256, BitmapSubtype::kRgb8, SampleLayout::kOther},
  };
  for (int i = 0; i < kOfferedFormatCount; ++i) {
    OfferedFormat f;
    ASSERT_TRUE(GetOfferedFormat(i, &f));
    EXPECT_EQ(f.bit_count, expected[i].bits) << i;
    EXPECT_EQ(f.compression, expected[i].compression) << i;
    for (int m = 0; m < 3; ++m) EXPECT_EQ(f.masks[m], expected[i].masks[m]) << i;
    EXPECT_EQ(f.colours_used, expected[i].colours) << i;
    EXPECT_EQ(f.subtype, expected[i].subtype) << i;
    // The subtype follows from the header alone.
    EXPECT_EQ(ClassifyBitmap(f.compression, f.bit_count, f.masks), f.subtype) << i;
    // The sample is filled by bit count: 24 and 32 bits get pictures, the rest noise.
    EXPECT_EQ(LayoutForBitCount(f.bit_count), expected[i].layout) << i;
    // Every offered type's header agrees with its own subtype.
    EXPECT_TRUE(HeaderMatchesSubtype(f.subtype, f.bit_count, f.compression)) << i;
  }
  OfferedFormat f;
  EXPECT_FALSE(GetOfferedFormat(-1, &f));
  EXPECT_FALSE(GetOfferedFormat(5, &f));
}

// The landscape figures are vcam_stream_test's (the whole capabilities block); the portrait size
// gives the same, and sizes past 32 bits saturate.
TEST(StreamCaps, FiguresForBothSizes) {
  EXPECT_EQ(GetStreamCapsFigures({720, 1280}).max_bits_per_second, 1280 * 720 * 1200);
  // Sizes whose figures exceed 32 bits saturate instead of wrapping negative.
  const StreamCapsFigures big = GetStreamCapsFigures({4096, 4096});
  EXPECT_EQ(big.max_bits_per_second, 2147483647);
  EXPECT_GT(big.min_bits_per_second, 0);
}

// Image sizes are padded rows times the height, keeping its sign.
TEST(BitmapHeader, ImageSizeSubtypeAndWhatTheHeaderMustSay) {
  EXPECT_EQ(BitmapImageSize(1280, 24, 720), 2764800);
  EXPECT_EQ(BitmapImageSize(1280, 32, 720), 3686400);
  EXPECT_EQ(BitmapImageSize(1280, 16, 720), 1843200);
  EXPECT_EQ(BitmapImageSize(1280, 8, 720), 921600);
  EXPECT_EQ(BitmapImageSize(3, 24, 2), 24);  // 9 bytes padded to 12
  EXPECT_EQ(BitmapImageSize(3, 24, -2), -24);
  EXPECT_EQ(BitmapImageSize(1, 1, 1), 4);
  // The subtype by compression, bit count and masks.
  EXPECT_EQ(ClassifyBitmap(kBiRgb, 1, nullptr), BitmapSubtype::kRgb1);
  EXPECT_EQ(ClassifyBitmap(kBiRgb, 4, nullptr), BitmapSubtype::kRgb4);
  EXPECT_EQ(ClassifyBitmap(kBiRgb, 16, nullptr), BitmapSubtype::kRgb555);
  // The offered bit fields' masks are classified in FivePositionsInTheAdvertisedOrder.
  const uint32_t odd[3] = {0xF000, 0x0F00, 0x00F0};
  EXPECT_EQ(ClassifyBitmap(kBiBitfields, 16, odd), BitmapSubtype::kNone);
  EXPECT_EQ(ClassifyBitmap(kBiBitfields, 16, nullptr), BitmapSubtype::kNone);
  EXPECT_EQ(ClassifyBitmap(kBiRgb, 12, nullptr), BitmapSubtype::kNone);
  EXPECT_EQ(ClassifyBitmap(0x32595559 /* YUY2 */, 16, nullptr), BitmapSubtype::kFourCC);
  // What each offered header says is taken (FivePositionsInTheAdvertisedOrder); here, the rest.
  EXPECT_FALSE(HeaderMatchesSubtype(BitmapSubtype::kRgb24, 32, kBiRgb));
  EXPECT_FALSE(HeaderMatchesSubtype(BitmapSubtype::kRgb24, 24, kBiBitfields));
  EXPECT_FALSE(HeaderMatchesSubtype(BitmapSubtype::kRgb32, 24, kBiRgb));
  EXPECT_TRUE(HeaderMatchesSubtype(BitmapSubtype::kRgb555, 16, kBiRgb));
  EXPECT_FALSE(HeaderMatchesSubtype(BitmapSubtype::kRgb565, 16, kBiRgb));
  EXPECT_FALSE(HeaderMatchesSubtype(BitmapSubtype::kRgb8, 16, kBiRgb));
  EXPECT_FALSE(HeaderMatchesSubtype(BitmapSubtype::kNone, 24, kBiRgb));
}

}  // namespace
}  // namespace vl::vcam
