// The pixel kernels against their plain per-pixel definitions: the one-pass fill (rotation,
// mirror and flip, every combination, odd sizes, padded strides and windows), widening to 32
// bits, and smooth scaling (area averages when shrinking, bilinear when growing, exact on flat
// colour, centred positions, windows of the drawn picture equal to the same part of the whole).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <tuple>
#include <vector>

#include "common/dib_stride.h"
#include "media/frame_composer.h"
#include "media/frame_geometry.h"
#include "media/frame_transform.h"
#include "media/plain_kernels.h"
#include "media/smooth_scaler.h"

namespace vl {
namespace {

struct Picture {
  int w, h;
  ptrdiff_t stride;
  std::vector<uint8_t> bytes;
  Picture(int width, int height, int padding = 0)
      : w(width), h(height), stride(width * 3 + padding) {
    bytes.resize(static_cast<size_t>(stride) * h);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + i / 251);
  }
  RgbView View() const { return {bytes.data(), w, h, stride}; }
  const uint8_t* At(int row, int col) const { return &bytes[row * stride + col * 3]; }
  uint8_t* At(int row, int col) { return &bytes[row * stride + col * 3]; }
};

// The oriented picture's pixel (r, c), straight from the definition.
const uint8_t* Reference(const Picture& s, const Orientation& o, int r, int c) {
  const int tw = o.rotate ? s.h : s.w, th = o.rotate ? s.w : s.h;
  if (o.mirror) c = tw - 1 - c;
  if (o.flip) r = th - 1 - r;
  return o.rotate ? s.At(s.h - 1 - c, r) : s.At(r, c);
}

void ExpectMatches(const Picture& s, const Orientation& o, int left, int top, int out_w,
                   int out_h) {
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

// Whole pictures, and windows of one (the bottom-right corner among them).
TEST_P(FillOrientedTest, WholePicturesAndWindowsMatchTheDefinition) {
  const Orientation o = Bits();
  const int sizes[][3] = {{1, 1, 0},   {3, 2, 1},   {7, 5, 0},   {33, 65, 2},
                          {67, 31, 5}, {64, 64, 0}, {130, 97, 0}};
  for (const auto& [w, h, pad] : sizes) {
    const Picture s(w, h, pad);
    ExpectMatches(s, o, 0, 0, o.rotate ? h : w, o.rotate ? w : h);
  }
  const Picture s(45, 70, 3);
  const int tw = o.rotate ? 70 : 45, th = o.rotate ? 45 : 70;
  ExpectMatches(s, o, 5, 9, tw - 11, th - 20);
  ExpectMatches(s, o, tw - 6, th - 3, 6, 3);
}

INSTANTIATE_TEST_SUITE_P(AllOrientations, FillOrientedTest,
                         ::testing::Combine(::testing::Range(0, 8), ::testing::Bool()));

// Widening to 32 bits, both kernels: widths around the 16-pixel blocks, padded strides, bottom-up
// (negative) strides; every byte against the definition and nothing written beyond the rows.
class WidenTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override { UsePlainPixelKernels(GetParam()); }
  void TearDown() override { UsePlainPixelKernels(false); }
};

TEST_P(WidenTest, KeepsEveryPixelsBytesAndZeroesTheFourth) {
  for (int w : {1, 3, 15, 16, 17, 31, 32, 33, 47, 727}) {
    const Picture s(w, 5, 2);
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
  const Picture s(20, 3, 0);
  std::vector<uint8_t> out(20 * 4 * 3, 0xEE);
  ASSERT_TRUE(WidenTo32Bits(s.bytes.data() + 2 * s.stride, -s.stride, out.data(), 80, 20, 3));
  EXPECT_EQ(out[0], s.At(2, 0)[0]);
  EXPECT_EQ(out[2 * 80 + 19 * 4 + 2], s.At(0, 19)[2]);
}

INSTANTIATE_TEST_SUITE_P(BothKernels, WidenTest, ::testing::Bool());

// Windows outside the picture and unusable views are refused by the fill, the widening and the
// scaler, writing nothing.
TEST(PixelLimitsTest, RefusesWindowsOutsideThePictureAndUnusableViewsWritingNothing) {
  const Picture s(8, 4, 0);
  std::vector<uint8_t> out(8 * 3 * 8, 0);
  const BgrBottomUpView whole{out.data(), 8, 4, 24};
  EXPECT_FALSE(FillOriented(s.View(), {}, 1, 0, whole));
  EXPECT_FALSE(FillOriented(s.View(), {}, 0, -1, whole));
  EXPECT_FALSE(FillOriented(s.View(), {}, 0, 1, whole));  // one row past the bottom
  EXPECT_FALSE(FillOriented(s.View(), {true, false, false}, 0, 0, whole));  // rotated: 4 x 8
  EXPECT_FALSE(FillOriented({nullptr, 8, 4, 24}, {}, 0, 0, whole));
  EXPECT_FALSE(FillOriented({s.bytes.data(), 8, 4, 20}, {}, 0, 0, whole));  // stride too short
  EXPECT_FALSE(WidenTo32Bits(nullptr, 24, out.data(), 32, 8, 2));
  EXPECT_FALSE(WidenTo32Bits(s.bytes.data(), 24, nullptr, 32, 8, 2));
  EXPECT_FALSE(WidenTo32Bits(s.bytes.data(), 20, out.data(), 32, 8, 2));  // source rows too short
  EXPECT_FALSE(WidenTo32Bits(s.bytes.data(), 24, out.data(), 28, 8, 2));  // output rows too short
  EXPECT_FALSE(WidenTo32Bits(s.bytes.data(), 24, out.data(), 32, 0, 2));
  // The smooth scaler: past the drawn picture's right edge, above its top, no pixels, rows
  // shorter than the width.
  SmoothScaler scaler;
  for (auto [pixels, stride, left, top] : {std::tuple{s.bytes.data(), 24, 13, 0},
                                           {s.bytes.data(), 24, 0, -1},
                                           {nullptr, 24, 0, 0},
                                           {s.bytes.data(), 23, 0, 0}})
    EXPECT_FALSE(scaler.Scale({pixels, 8, 4, stride}, {20, 20, left, top, out.data(), 8, 8, 24}));
  EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](uint8_t b) { return b == 0; }));
  EXPECT_TRUE(FillOriented(s.View(), {}, 0, 0, whole));
}

Picture Scale(Picture& src, int dw, int dh, int left = 0, int top = 0, int ow = -1, int oh = -1) {
  if (ow < 0) ow = dw;
  if (oh < 0) oh = dh;
  Picture out(ow, oh);
  SmoothScaler scaler;
  EXPECT_TRUE(scaler.Scale({src.bytes.data(), src.w, src.h, src.w * 3},
                           {dw, dh, left, top, out.bytes.data(), ow, oh, ow * 3}));
  return out;
}

TEST(SmoothScalerTest, FlatColourStaysExactWhateverTheSizes) {
  const uint8_t flat[] = {12, 200, 255};
  Picture src(97, 61);
  for (size_t i = 0; i < src.bytes.size(); ++i) src.bytes[i] = flat[i % 3];
  for (auto [dw, dh] : {std::pair{1280, 720}, {40, 30}, {97, 200}, {300, 61}, {1, 1}}) {
    const Picture out = Scale(src, dw, dh);
    for (size_t i = 0; i < out.bytes.size(); ++i)
      ASSERT_EQ(out.bytes[i], flat[i % 3]) << dw << "x" << dh << " byte " << i;
  }
}

// One channel: shrinking weighs by covered area (halves rounded up), both ways at once; growing
// interpolates between pixel centres and never repeats a pixel.
TEST(SmoothScalerTest, ShrinkingWeighsByCoveredAreaAndGrowingInterpolates) {
  struct Case {
    int w, h;
    std::vector<uint8_t> src;
    int dw, dh;
    std::vector<uint8_t> want;
  } const cases[] = {{3, 1, {0, 90, 240}, 2, 1, {30, 190}},  // (2 * 0 + 90) / 3, (90 + 2 * 240) / 3
                     {4, 2, {0, 255, 30, 90, 255, 0, 150, 210}, 2, 1, {128, 120}},
                     {2, 1, {0, 255}, 4, 1, {0, 64, 191, 255}}};
  for (const Case& c : cases) {
    Picture src(c.w, c.h);
    for (size_t i = 0; i < c.src.size(); ++i) src.bytes[i * 3 + 1] = c.src[i];
    Picture out = Scale(src, c.dw, c.dh);
    for (size_t i = 0; i < c.want.size(); ++i) EXPECT_EQ(out.bytes[i * 3 + 1], c.want[i]) << i;
  }
}

// A horizontal ramp v = 2x + 10: an area average or a bilinear sample of a straight line is the
// line's value at the output pixel's centre, so any shift of the sampling grid shows. A window of
// the drawn picture equals the same part of the whole.
TEST(SmoothScalerTest, RampKeepsItsPositionAndAWindowEqualsThatPartOfTheWhole) {
  Picture src(120, 48);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 120; ++x) src.At(y, x)[2] = static_cast<uint8_t>(2 * x + 10);
  for (auto [dw, dh] : {std::pair{80, 90}, {60, 20}, {40, 30}, {200, 48}}) {
    Picture whole = Scale(src, dw, dh);
    const double scale = 120.0 / dw;
    for (int x = 1; x < dw - 1; ++x) {
      const double centre = (x + 0.5) * scale - 0.5;
      ASSERT_NEAR(whole.At(dh / 2, x)[2], 2 * centre + 10, 1.0) << dw << " at " << x;
    }
    const int left = dw / 5, top = dh / 4, ow = dw / 2, oh = dh / 3;
    Picture part = Scale(src, dw, dh, left, top, ow, oh);
    for (int y = 0; y < oh; ++y)
      ASSERT_EQ(0, std::memcmp(part.At(y, 0), whole.At(top + y, left), static_cast<size_t>(ow) * 3))
          << dw << "x" << dh << " row " << y;
  }
}

// The gathers (chosen on processors with SSSE3) against the portable kernels, and the output
// options against their definition: the same bytes, for shrinking, growing and mixed sizes,
// windows, byte orders, directions and row orders.
struct Case {
  int w, h, dw, dh, left, top, ow, oh;
};

std::vector<uint8_t> ScaleCase(const Picture& src, const Case& c, const ScaleOptions& o, bool plain,
                               bool upwards) {
  UsePlainScalerKernels(plain);
  struct Reset {
    ~Reset() { UsePlainScalerKernels(false); }
  } reset;
  const ptrdiff_t stride = c.ow * 3 + 5;  // rows padded: nothing may be written there
  std::vector<uint8_t> out;
  SmoothScaler scaler;
  // Twice with the same scaler: tables kept between calls give the same result.
  for (int pass = 0; pass < 2; ++pass) {
    std::vector<uint8_t> bytes(static_cast<size_t>(stride) * c.oh, 0xA5);
    uint8_t* first = upwards ? bytes.data() + (c.oh - 1) * stride : bytes.data();
    EXPECT_TRUE(scaler.Scale(
        {src.bytes.data(), src.w, src.h, src.w * 3},
        {c.dw, c.dh, c.left, c.top, first, c.ow, c.oh, upwards ? -stride : stride}, o));
    EXPECT_TRUE(pass == 0 || bytes == out);
    out = std::move(bytes);
  }
  return out;
}

TEST(ScalerKernelsTest, GathersAndOptionsMatchThePortableKernelsAndTheirDefinition) {
  std::mt19937 rng(11);
  std::vector<Case> cases = {{1920, 1080, 1280, 720, 0, 0, 1280, 720},
                             {1080, 1920, 720, 1280, 0, 0, 720, 1280},
                             {1280, 720, 727, 409, 0, 0, 727, 409},
                             {640, 360, 1280, 720, 0, 0, 1280, 720},
                             {1920, 1440, 1280, 960, 0, 120, 1280, 720},
                             {2340, 1080, 1560, 720, 140, 0, 1280, 720},
                             {97, 61, 40, 23, 3, 2, 30, 20}};
  auto random = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  for (int i = 0; i < 40; ++i) {
    const int w = 8 + random(300), h = 4 + random(100), dw = 6 + random(400), dh = 3 + random(120);
    const int ow = 1 + random(dw), oh = 1 + random(dh);
    cases.push_back({w, h, dw, dh, random(dw - ow + 1), random(dh - oh + 1), ow, oh});
  }
  for (const Case& c : cases) {
    Picture src(c.w, c.h);
    for (size_t i = 0; i < src.bytes.size(); ++i) src.bytes[i] = static_cast<uint8_t>(rng());
    const std::vector<uint8_t> plain = ScaleCase(src, c, {}, true, false);
    const ptrdiff_t stride = c.ow * 3 + 5;
    for (bool swap : {false, true})
      for (bool mirror : {false, true})
        for (bool upwards : {false, true}) {
          ScaleOptions o;
          o.swap_red_blue = swap;
          o.mirror = mirror;
          const std::vector<uint8_t> fast = ScaleCase(src, c, o, false, upwards);
          const std::vector<uint8_t> portable = ScaleCase(src, c, o, true, upwards);
          ASSERT_EQ(fast, portable) << c.w << "x" << c.h << " -> " << c.dw << "x" << c.dh << " "
                                    << swap << mirror << upwards;
          // Definition: pixel (x, y) of the plain result, written at row y (counted from the
          // end when upwards), column x (from the right when mirrored), bytes exchanged.
          for (int y = 0; y < c.oh; ++y)
            for (int x = 0; x < c.ow; ++x)
              for (int k = 0; k < 3; ++k) {
                const int row = upwards ? c.oh - 1 - y : y, col = mirror ? c.ow - 1 - x : x;
                const int byte = swap ? 2 - k : k;
                ASSERT_EQ(fast[row * stride + col * 3 + byte], plain[y * stride + x * 3 + k])
                    << c.w << "x" << c.h << " -> " << c.dw << "x" << c.dh << " at " << x << ","
                    << y;
              }
          for (int y = 0; y < c.oh; ++y)  // the padding of every row is untouched
            for (int p = c.ow * 3; p < stride; ++p) ASSERT_EQ(fast[y * stride + p], 0xA5);
        }
  }
}

// The composer scales unturned pictures straight into the output; the result is the scaled
// picture filled in the one pass of the definition, for every mirror and flip.
TEST(FrameComposerTest, ScaledOutputEqualsScalingThenTheOnePassFill) {
  std::mt19937 rng(5);
  for (auto [w, h] : {std::pair{1920, 1080}, {1280, 960}, {640, 360}, {1080, 1920}}) {
    Picture src(w, h);
    for (auto& b : src.bytes) b = static_cast<uint8_t>(rng());
    for (bool portrait : {false, true})
      for (int flags = 0; flags < 4; ++flags) {
        Orientation o;
        o.rotate = (w < h) != portrait;
        o.mirror = flags & 1;
        o.flip = flags & 2;
        const int ow = portrait ? 720 : 1280, oh = portrait ? 1280 : 720;
        const ptrdiff_t stride = ow * 3;
        std::vector<uint8_t> out(static_cast<size_t>(stride) * oh);
        FrameComposer composer;
        ASSERT_TRUE(
            composer.Compose({src.bytes.data(), w, h, w * 3}, o, {out.data(), ow, oh, stride}));
        // The definition: the phone's picture scaled to cover (in its own orientation), then
        // the window the output shows filled in one pass.
        int tw, th;
        OrientedSize(w, h, o.rotate, &tw, &th);
        const CoverPlan plan = PlanCover(tw, th, ow, oh);
        if (plan.mode != CoverMode::kScale) continue;
        int dw, dh;
        OrientedSize(plan.drawn_width, plan.drawn_height, o.rotate, &dw, &dh);
        std::vector<uint8_t> scaled(static_cast<size_t>(dw) * dh * 3);
        SmoothScaler scaler;
        ASSERT_TRUE(scaler.Scale({src.bytes.data(), w, h, w * 3},
                                 {dw, dh, 0, 0, scaled.data(), dw, dh, dw * 3}));
        std::vector<uint8_t> want(out.size());
        ASSERT_TRUE(FillOriented({scaled.data(), dw, dh, dw * 3}, o, -plan.x, -plan.y,
                                 {want.data(), ow, oh, stride}));
        for (int y = 0; y < oh; ++y)
          ASSERT_EQ(0, std::memcmp(&out[y * stride], &want[y * stride], ow * 3))
              << w << "x" << h << " portrait " << portrait << " flags " << flags << " row " << y;
      }
  }
}

}  // namespace
}  // namespace vl
