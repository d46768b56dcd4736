// The one-pass fill against the plain per-pixel definition of rotation, mirror and flip, for
// every combination, odd sizes (partial tiles, runs shorter than four pixels), padded strides
// and windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "common/dib_stride.h"
#include "media/frame_transform.h"
#include "media/plain_kernels.h"

namespace vl {
namespace {

struct Source {
  int w, h;
  ptrdiff_t stride;
  std::vector<uint8_t> bytes;
  Source(int width, int height, int padding) : w(width), h(height), stride(width * 3 + padding) {
    bytes.resize(static_cast<size_t>(stride) * h);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + i / 251);
  }
  RgbView View() const { return {bytes.data(), w, h, stride}; }
  const uint8_t* At(int row, int col) const { return &bytes[row * stride + col * 3]; }
};

// The oriented picture's pixel (r, c), straight from the definition.
const uint8_t* Reference(const Source& s, const Orientation& o, int r, int c) {
  const int tw = o.rotate ? s.h : s.w, th = o.rotate ? s.w : s.h;
  if (o.mirror) c = tw - 1 - c;
  if (o.flip) r = th - 1 - r;
  return o.rotate ? s.At(s.h - 1 - c, r) : s.At(r, c);
}

void ExpectMatches(const Source& s, const Orientation& o, int left, int top, int out_w, int out_h) {
  const ptrdiff_t stride = static_cast<ptrdiff_t>(Rgb24RowStride(out_w));
  std::vector<uint8_t> out(static_cast<size_t>(stride) * out_h + 16, 0xEE);
  ASSERT_TRUE(FillOriented(s.View(), o, left, top, {out.data(), out_w, out_h, stride}));
  for (int r = 0; r < out_h; ++r)
    for (int c = 0; c < out_w; ++c) {
      const uint8_t* want = Reference(s, o, top + r, left + c);
      const uint8_t* got = &out[(out_h - 1 - r) * stride + c * 3];  // bottom-up
      ASSERT_TRUE(got[0] == want[2] && got[1] == want[1] && got[2] == want[0])
          << "rotate " << o.rotate << " mirror " << o.mirror << " flip " << o.flip << " at (" << r
          << ", " << c << ")";
    }
  // Nothing written past the last row.
  for (size_t i = static_cast<size_t>(stride) * out_h; i < out.size(); ++i) ASSERT_EQ(out[i], 0xEE);
}

// Orientation bits, and whether only the portable kernels may run.
class FillOrientedTest : public ::testing::TestWithParam<std::tuple<int, bool>> {
 protected:
  void SetUp() override { UsePlainPixelKernels(std::get<1>(GetParam())); }
  void TearDown() override { UsePlainPixelKernels(false); }
  Orientation Bits() const {
    const int bits = std::get<0>(GetParam());
    return {(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0};
  }
};

TEST_P(FillOrientedTest, WholePictureMatchesTheDefinition) {
  const Orientation o = Bits();
  for (auto [w, h, pad] : {std::tuple{1, 1, 0},
                           {3, 2, 1},
                           {7, 5, 0},
                           {33, 65, 2},
                           {67, 31, 5},
                           {64, 64, 0},
                           {130, 97, 0}}) {
    const Source s(w, h, pad);
    const int tw = o.rotate ? h : w, th = o.rotate ? w : h;
    ExpectMatches(s, o, 0, 0, tw, th);
  }
}

TEST_P(FillOrientedTest, WindowMatchesTheDefinition) {
  const Orientation o = Bits();
  const Source s(45, 70, 3);
  const int tw = o.rotate ? 70 : 45, th = o.rotate ? 45 : 70;
  ExpectMatches(s, o, 5, 9, tw - 11, th - 20);
  ExpectMatches(s, o, tw - 6, th - 3, 6, 3);  // bottom-right corner
}

INSTANTIATE_TEST_SUITE_P(AllOrientations, FillOrientedTest,
                         ::testing::Combine(::testing::Range(0, 8), ::testing::Bool()));

TEST(FillOrientedLimitsTest, RejectsWindowsOutsideThePictureAndBadViews) {
  const Source s(8, 4, 0);
  std::vector<uint8_t> out(8 * 3 * 8, 0);
  const BgrBottomUpView whole{out.data(), 8, 4, 24};
  EXPECT_FALSE(FillOriented(s.View(), {}, 1, 0, whole));
  EXPECT_FALSE(FillOriented(s.View(), {}, 0, -1, whole));
  EXPECT_FALSE(FillOriented(s.View(), {}, 0, 1, whole));  // one row past the bottom
  EXPECT_FALSE(FillOriented(s.View(), {true, false, false}, 0, 0, whole));  // rotated: 4 x 8
  EXPECT_FALSE(FillOriented({nullptr, 8, 4, 24}, {}, 0, 0, whole));
  EXPECT_FALSE(FillOriented({s.bytes.data(), 8, 4, 20}, {}, 0, 0, whole));  // stride too short
  EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](uint8_t b) { return b == 0; }));
  EXPECT_TRUE(FillOriented(s.View(), {}, 0, 0, whole));
}

// Widening to 32 bits, both kernels: widths around the 16-pixel blocks, padded strides, bottom-up
// (negative) strides; every byte against the definition and nothing written beyond the rows.
class WidenTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override { UsePlainPixelKernels(GetParam()); }
  void TearDown() override { UsePlainPixelKernels(false); }
};

TEST_P(WidenTest, KeepsEveryPixelsBytesAndZeroesTheFourth) {
  for (int w : {1, 3, 15, 16, 17, 31, 32, 33, 47, 727}) {
    const Source s(w, 5, 2);
    const ptrdiff_t stride = static_cast<ptrdiff_t>(w) * 4 + 8;  // 8 bytes of padding
    std::vector<uint8_t> out(static_cast<size_t>(stride) * 5, 0xEE);
    ASSERT_TRUE(WidenTo32Bits(s.bytes.data(), s.stride, out.data(), stride, w, 5));
    for (int r = 0; r < 5; ++r) {
      for (int c = 0; c < w; ++c) {
        const uint8_t* got = &out[r * stride + c * 4];
        const uint8_t* want = s.At(r, c);
        ASSERT_TRUE(got[0] == want[0] && got[1] == want[1] && got[2] == want[2] && got[3] == 0)
            << "width " << w << " at (" << r << ", " << c << ")";
      }
      for (ptrdiff_t i = w * 4; i < stride; ++i) ASSERT_EQ(out[r * stride + i], 0xEE) << w;
    }
  }
  // Upwards: the last source row lands in the first output row.
  const Source s(20, 3, 0);
  std::vector<uint8_t> out(20 * 4 * 3, 0xEE);
  ASSERT_TRUE(WidenTo32Bits(s.bytes.data() + 2 * s.stride, -s.stride, out.data(), 80, 20, 3));
  EXPECT_EQ(out[0], s.At(2, 0)[0]);
  EXPECT_EQ(out[2 * 80 + 19 * 4 + 2], s.At(0, 19)[2]);
}

INSTANTIATE_TEST_SUITE_P(BothKernels, WidenTest, ::testing::Bool());

TEST(WidenLimitsTest, RefusesUnusableViewsWritingNothing) {
  const Source s(8, 2, 0);
  std::vector<uint8_t> out(8 * 4 * 2, 0);
  EXPECT_FALSE(WidenTo32Bits(nullptr, 24, out.data(), 32, 8, 2));
  EXPECT_FALSE(WidenTo32Bits(s.bytes.data(), 24, nullptr, 32, 8, 2));
  EXPECT_FALSE(WidenTo32Bits(s.bytes.data(), 20, out.data(), 32, 8, 2));  // source rows too short
  EXPECT_FALSE(WidenTo32Bits(s.bytes.data(), 24, out.data(), 28, 8, 2));  // output rows too short
  EXPECT_FALSE(WidenTo32Bits(s.bytes.data(), 24, out.data(), 32, 0, 2));
  EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](uint8_t b) { return b == 0; }));
}

}  // namespace
}  // namespace vl
