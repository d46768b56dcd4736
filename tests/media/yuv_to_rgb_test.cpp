// The 4:2:0 to RGB24 conversion: the vector kernel against the portable one bit for bit, the
// portable one against BT.601 itself, and the whole conversion against the scaling library's on a
// real decoded picture.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "media/ffmpeg_ptr.h"
#include "media/yuv_to_rgb.h"
#include "tests/media/video_test_support.h"

namespace vl::test {
namespace {

struct Planes {
  int width, height;
  std::vector<uint8_t> y, u, v;
  Yuv420View View(bool full_range) const {
    Yuv420View view;
    view.y = y.data();
    view.u = u.data();
    view.v = v.data();
    view.y_stride = width + 3;  // rows padded, as decoders pad them
    view.u_stride = view.v_stride = (width + 1) / 2 + 5;
    view.width = width;
    view.height = height;
    view.full_range = full_range;
    return view;
  }
};

Planes RandomPlanes(int width, int height, uint32_t seed) {
  std::mt19937 rng(seed);
  // Mostly the extremes, where the arithmetic saturates, and the values around them.
  std::uniform_int_distribution<int> pick(0, 9), any(0, 255);
  auto value = [&] {
    const int k = pick(rng);
    return static_cast<uint8_t>(k < 2 ? 0 : k < 4 ? 255 : k < 5 ? 16 : k < 6 ? 235 : any(rng));
  };
  Planes p{width, height, {}, {}, {}};
  p.y.resize(static_cast<size_t>(width + 3) * height);
  const size_t chroma = static_cast<size_t>((width + 1) / 2 + 5) * ((height + 1) / 2);
  p.u.resize(chroma);
  p.v.resize(chroma);
  for (auto* plane : {&p.y, &p.u, &p.v})
    for (uint8_t& b : *plane) b = value();
  return p;
}

std::vector<uint8_t> Convert(const Yuv420View& view, bool plain) {
  UsePlainYuvKernels(plain);
  std::vector<uint8_t> rgb(static_cast<size_t>(view.width) * 3 * view.height + 7, 0xEE);
  EXPECT_TRUE(ConvertYuv420ToRgb24(view, rgb.data(), view.width * 3));
  UsePlainYuvKernels(false);
  return rgb;
}

TEST(YuvToRgbTest, VectorKernelMatchesThePortableOneBitForBit) {
  const int sizes[][2] = {{1, 1},  {2, 2},   {15, 3},   {16, 2},   {17, 5},
                          {31, 4}, {32, 1},  {33, 7},   {47, 2},   {48, 3},
                          {70, 9}, {640, 2}, {1279, 3}, {1920, 4}, {720, 5}};
  uint32_t seed = 1;
  for (const auto& size : sizes)
    for (bool full_range : {false, true}) {
      const Planes planes = RandomPlanes(size[0], size[1], seed++);
      const Yuv420View view = planes.View(full_range);
      const std::vector<uint8_t> plain = Convert(view, true), vector = Convert(view, false);
      ASSERT_EQ(plain, vector) << size[0] << "x" << size[1] << (full_range ? " full" : " limited");
      EXPECT_EQ(vector.back(), 0xEE);  // nothing written past the last pixel
    }
}

// BT.601 in real numbers, the definition the integers approximate.
void Bt601(int y, int u, int v, bool full_range, double rgb[3]) {
  const double scale = full_range ? 1.0 : 255.0 / 219.0, chroma = full_range ? 1.0 : 255.0 / 224.0;
  const double l = (y - (full_range ? 0 : 16)) * scale, d = (u - 128) * chroma,
               e = (v - 128) * chroma;
  rgb[0] = l + 1.402 * e;
  rgb[1] = l - 0.344136 * d - 0.714136 * e;
  rgb[2] = l + 1.772 * d;
}

TEST(YuvToRgbTest, ThePortableKernelIsBt601WithinOneStep) {
  for (bool full_range : {false, true}) {
    int worst = 0;
    for (int y = 0; y < 256; y += 3)
      for (int u = 0; u < 256; u += 5)
        for (int v = 0; v < 256; v += 5) {
          const uint8_t yy = static_cast<uint8_t>(y), uu = static_cast<uint8_t>(u),
                        vv = static_cast<uint8_t>(v);
          Yuv420View view;
          view.y = &yy;
          view.u = &uu;
          view.v = &vv;
          view.width = view.height = 1;
          view.full_range = full_range;
          uint8_t out[3];
          UsePlainYuvKernels(true);
          ASSERT_TRUE(ConvertYuv420ToRgb24(view, out, 3));
          UsePlainYuvKernels(false);
          double want[3];
          Bt601(y, u, v, full_range, want);
          for (int c = 0; c < 3; ++c) {
            const int expected = static_cast<int>(std::lround(std::clamp(want[c], 0.0, 255.0)));
            worst = std::max(worst, std::abs(out[c] - expected));
          }
        }
    EXPECT_LE(worst, 2) << (full_range ? "full" : "limited");
  }
}

// Keeps the first decoded picture, as the decoder made it.
class FirstPicture : public H264Decoder {
 public:
  AvFramePtr frame;

 protected:
  void Deliver(const AVFrame* decoded) override {
    if (!frame) frame.reset(av_frame_clone(decoded));
  }
};

TEST(YuvToRgbTest, ADecodedPictureLooksAsTheScalingLibraryConvertsIt) {
  FirstPicture decoder;
  DecodeInChunks(decoder, ReadClip("landscape_1280x720"), 65536);
  ASSERT_TRUE(decoder.frame);
  const AVFrame* frame = decoder.frame.get();
  ASSERT_EQ(frame->format, AV_PIX_FMT_YUV420P);
  const int w = frame->width, h = frame->height;

  std::vector<uint8_t> library(static_cast<size_t>(w) * h * 3), ours(library.size());
  SwsContextPtr sws(sws_getContext(w, h, AV_PIX_FMT_YUV420P, w, h, AV_PIX_FMT_RGB24,
                                   SWS_FAST_BILINEAR, nullptr, nullptr, nullptr));
  uint8_t* planes[4] = {library.data()};
  int strides[4] = {w * 3};
  sws_scale(sws.get(), frame->data, frame->linesize, 0, h, planes, strides);
  Yuv420View view;
  view.y = frame->data[0];
  view.u = frame->data[1];
  view.v = frame->data[2];
  view.y_stride = frame->linesize[0];
  view.u_stride = frame->linesize[1];
  view.v_stride = frame->linesize[2];
  view.width = w;
  view.height = h;
  ASSERT_TRUE(ConvertYuv420ToRgb24(view, ours.data(), w * 3));
  int worst = 0;
  double sum = 0;
  for (size_t i = 0; i < ours.size(); ++i) {
    const int diff = std::abs(ours[i] - library[i]);
    worst = std::max(worst, diff);
    sum += diff;
  }
  EXPECT_LE(worst, 4);
  EXPECT_LT(sum / static_cast<double>(ours.size()), 1.0);
}

TEST(YuvToRgbTest, UnusableViewsWriteNothing) {
  const Planes planes = RandomPlanes(4, 4, 7);
  std::vector<uint8_t> out(64, 0xEE);
  Yuv420View view = planes.View(false);
  EXPECT_FALSE(ConvertYuv420ToRgb24(view, out.data(), 11));  // stride shorter than a row
  view.u = nullptr;
  EXPECT_FALSE(ConvertYuv420ToRgb24(view, out.data(), 12));
  view = planes.View(false);
  view.width = 0;
  EXPECT_FALSE(ConvertYuv420ToRgb24(view, out.data(), 12));
  for (uint8_t b : out) EXPECT_EQ(b, 0xEE);
}

}  // namespace
}  // namespace vl::test
