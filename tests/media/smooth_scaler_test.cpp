// Smooth scaling: area averages when shrinking, bilinear when growing, exact on flat colour,
// centred positions, and windows of the drawn picture equal to the same part of the whole.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "media/smooth_scaler.h"

namespace vl {
namespace {

struct Picture {
  int w, h;
  std::vector<uint8_t> bytes;
  Picture(int width, int height)
      : w(width), h(height), bytes(static_cast<size_t>(width) * height * 3) {}
  uint8_t* At(int x, int y) { return &bytes[(static_cast<size_t>(y) * w + x) * 3]; }
};

Picture Scale(Picture& src, int dw, int dh, int left = 0, int top = 0, int ow = -1, int oh = -1) {
  if (ow < 0) ow = dw;
  if (oh < 0) oh = dh;
  Picture out(ow, oh);
  SmoothScaler scaler;
  EXPECT_TRUE(scaler.Scale(src.bytes.data(), src.w, src.h, src.w * 3, dw, dh, left, top,
                           out.bytes.data(), ow, oh, ow * 3));
  return out;
}

TEST(SmoothScalerTest, FlatColourStaysExactWhateverTheSizes) {
  Picture src(97, 61);
  for (int i = 0; i < src.w * src.h; ++i) {
    src.bytes[i * 3] = 12;
    src.bytes[i * 3 + 1] = 200;
    src.bytes[i * 3 + 2] = 255;
  }
  for (auto [dw, dh] : {std::pair{1280, 720}, {40, 30}, {97, 200}, {300, 61}, {1, 1}}) {
    Picture out = Scale(src, dw, dh);
    for (int i = 0; i < dw * dh; ++i)
      ASSERT_TRUE(out.bytes[i * 3] == 12 && out.bytes[i * 3 + 1] == 200 &&
                  out.bytes[i * 3 + 2] == 255)
          << dw << "x" << dh << " pixel " << i;
  }
}

TEST(SmoothScalerTest, HalvingAveragesEachTwoByTwoBlock) {
  Picture src(8, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) {
      uint8_t* p = src.At(x, y);
      p[0] = ((x + y) % 2) ? 255 : 0;  // checker: every block averages to one half
      p[1] = static_cast<uint8_t>(x * 30);
      p[2] = static_cast<uint8_t>(y * 60);
    }
  Picture out = Scale(src, 4, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) {
      EXPECT_EQ(out.At(x, y)[0], 128);
      EXPECT_EQ(out.At(x, y)[1], 60 * x + 15);
      EXPECT_EQ(out.At(x, y)[2], 120 * y + 30);
    }
}

TEST(SmoothScalerTest, ThreeToTwoWeighsByCoveredArea) {
  Picture src(3, 1);
  src.At(0, 0)[0] = 0;
  src.At(1, 0)[0] = 90;
  src.At(2, 0)[0] = 240;
  Picture out = Scale(src, 2, 1);
  EXPECT_EQ(out.At(0, 0)[0], 30);   // (2 * 0 + 90) / 3
  EXPECT_EQ(out.At(1, 0)[0], 190);  // (90 + 2 * 240) / 3
}

TEST(SmoothScalerTest, GrowingInterpolatesBetweenPixelCentresNeverRepeats) {
  Picture src(2, 1);
  src.At(0, 0)[1] = 0;
  src.At(1, 0)[1] = 255;
  Picture out = Scale(src, 4, 1);
  EXPECT_EQ(out.At(0, 0)[1], 0);
  EXPECT_EQ(out.At(1, 0)[1], 64);
  EXPECT_EQ(out.At(2, 0)[1], 191);
  EXPECT_EQ(out.At(3, 0)[1], 255);
}

TEST(SmoothScalerTest, RampKeepsItsPositionWhenShrinkingAndGrowing) {
  // A horizontal ramp v = 2x + 10: an area average or a bilinear sample of a straight line is the
  // line's value at the output pixel's centre, so any shift of the sampling grid shows.
  Picture src(120, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 120; ++x) src.At(x, y)[2] = static_cast<uint8_t>(2 * x + 10);
  for (int dw : {80, 60, 40, 200}) {
    Picture out = Scale(src, dw, 8);
    const double scale = 120.0 / dw;
    for (int x = 1; x < dw - 1; ++x) {
      const double centre = (x + 0.5) * scale - 0.5;
      ASSERT_NEAR(out.At(x, 4)[2], 2 * centre + 10, 1.0) << dw << " at " << x;
    }
  }
}

TEST(SmoothScalerTest, WindowEqualsTheSamePartOfTheWholeDrawnPicture) {
  Picture src(64, 48);
  for (size_t i = 0; i < src.bytes.size(); ++i)
    src.bytes[i] = static_cast<uint8_t>((i * 37) ^ (i >> 5));
  for (auto [dw, dh] : {std::pair{100, 90}, {40, 20}, {128, 30}}) {
    Picture whole = Scale(src, dw, dh);
    const int left = dw / 5, top = dh / 4, ow = dw / 2, oh = dh / 3;
    Picture part = Scale(src, dw, dh, left, top, ow, oh);
    for (int y = 0; y < oh; ++y)
      ASSERT_EQ(0, std::memcmp(part.At(0, y), whole.At(left, top + y), static_cast<size_t>(ow) * 3))
          << dw << "x" << dh << " row " << y;
  }
}

TEST(SmoothScalerTest, RejectsWindowsOutsideTheDrawnPicture) {
  Picture src(10, 10), out(10, 10);
  SmoothScaler scaler;
  EXPECT_FALSE(
      scaler.Scale(src.bytes.data(), 10, 10, 30, 20, 20, 11, 0, out.bytes.data(), 10, 10, 30));
  EXPECT_FALSE(
      scaler.Scale(src.bytes.data(), 10, 10, 30, 20, 20, 0, -1, out.bytes.data(), 10, 10, 30));
  EXPECT_FALSE(scaler.Scale(nullptr, 10, 10, 30, 20, 20, 0, 0, out.bytes.data(), 10, 10, 30));
  EXPECT_FALSE(
      scaler.Scale(src.bytes.data(), 10, 10, 29, 20, 20, 0, 0, out.bytes.data(), 10, 10, 30));
}

}  // namespace
}  // namespace vl
