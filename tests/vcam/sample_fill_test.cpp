// Filling camera samples: blue picture, centring and clipping, clockwise rotation into the
// camera's orientation, 24- and 32-bit copies, noise for other types, buffer bounds.
#include <gtest/gtest.h>

#include <cstdint>
#include <algorithm>
#include <cstring>
#include <vector>

#include "common/dib_stride.h"
#include "vcam/sample_fill.h"

namespace vl::vcam {
namespace {

constexpr auto kL = CameraOrientation::kLandscape, kP = CameraOrientation::kPortrait;
constexpr auto k24 = SampleLayout::kRgb24, k32 = SampleLayout::kRgb32;

// A 24-bit bottom-up picture whose every pixel encodes its visual position (x, y from the
// top), so that any misplaced pixel is recognisable.
struct TestPicture {
  int32_t width, height;
  int64_t stride;
  std::vector<uint8_t> bytes;

  TestPicture(int32_t w, int32_t h) : width(w), height(h), stride(Rgb24RowStride(w)) {
    bytes.assign(static_cast<size_t>(stride * h), 0xEE);
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) {
        uint8_t* p = Pixel(x, y);
        p[0] = static_cast<uint8_t>(x);
        p[1] = static_cast<uint8_t>(y);
        p[2] = static_cast<uint8_t>(x * 7 + y * 13);
      }
  }
  // Visual coordinates: y = 0 is the top row, which is the last row in memory.
  uint8_t* Pixel(int32_t x, int32_t y) {
    return bytes.data() + (height - 1 - y) * stride + static_cast<int64_t>(x) * 3;
  }
  SourcePicture View() const { return SourcePicture{bytes.data(), width, height, stride}; }
};

struct Sample {
  int32_t width, height;
  SampleLayout layout;
  std::vector<uint8_t> bytes;

  Sample(int32_t w, int32_t h, SampleLayout l, uint8_t fill = 0xAB)
      : width(w), height(h), layout(l) {
    bytes.assign(static_cast<size_t>(Stride() * h), fill);
  }
  int64_t Stride() const { return SampleStride(Target()); }
  SampleTarget Target() const {
    return SampleTarget{const_cast<uint8_t*>(bytes.data()), bytes.size(), width, height, layout};
  }
  const uint8_t* Pixel(int32_t x, int32_t y) const {
    const int bpp = layout == k32 ? 4 : 3;
    return bytes.data() + (height - 1 - y) * Stride() + static_cast<int64_t>(x) * bpp;
  }
};

int Counter() {
  static int n = 0;
  return n++;
}

const RandomByteSource Zero = [] { return 0; };

// Blue everywhere with an opaque fourth byte; padding at the end of rows is left alone, and of
// a buffer shorter than the type says only whole pixels inside it are written.
TEST(FillWithoutPicture, Rgb24AndRgb32AreBlueWithinTheBufferOtherTypesNoise) {
  for (const SampleLayout layout : {k24, k32}) {
    Sample s(1280, 720, layout);
    FillWithoutPicture(s.Target(), Zero);
    const size_t bpp = layout == k32 ? 4 : 3;
    const uint8_t blue[4] = {0xFF, 0x00, 0x00, 0xFF};
    for (size_t i = 0; i < s.bytes.size(); i += bpp)
      ASSERT_EQ(std::memcmp(&s.bytes[i], blue, bpp), 0) << i;
  }
  // Width 3: 9 bytes of pixels, 12 per row.
  Sample padded(3, 2, k24, 0x11);
  FillWithoutPicture(padded.Target(), Zero);
  EXPECT_EQ(padded.bytes[9], 0x11);
  EXPECT_EQ(padded.bytes[12], 0xFF);
  std::vector<uint8_t> short_buffer(1000, 0x22);
  FillWithoutPicture(SampleTarget{short_buffer.data(), 7, 1280, 720, k24}, Zero);
  EXPECT_EQ(short_buffer[5], 0x00);
  EXPECT_EQ(short_buffer[6], 0x22);
  // Other types get noise from the random source, with or without a picture.
  const TestPicture pic(8, 4);
  for (const bool with_picture : {false, true}) {
    Sample s(16, 4, SampleLayout::kOther);
    std::vector<uint8_t> scratch;
    const int first = Counter() + 1;
    if (with_picture) {
      ASSERT_TRUE(FillWithPicture(s.Target(), pic.View(), kL, &scratch, &Counter));
    } else {
      FillWithoutPicture(s.Target(), &Counter);
    }
    for (size_t i = 0; i < s.bytes.size(); ++i)
      ASSERT_EQ(s.bytes[i], static_cast<uint8_t>(first + static_cast<int>(i))) << with_picture;
  }
}

// Pictures are drawn unscaled and centred (negative offsets crop, odd differences truncate
// toward zero in memory rows), turned clockwise first when their orientation is not the
// camera's: the turned picture's visual (xt, yt) is the source's (yt, height - 1 - xt).
struct PictureCase {
  const char* name;
  int32_t picture_width, picture_height, sample_width, sample_height;
  CameraOrientation orientation;
  SampleLayout layout;
  bool turned;
  int32_t left, top;  // where the (turned) picture's top-left lands, in visual coordinates
};

const PictureCase kPictureCases[] = {
    {"same size", 1280, 720, 1280, 720, kL, k24, false, 0, 0},
    {"smaller, centred", 4, 2, 8, 6, kL, k24, false, 2, 2},
    {"larger, cropped", 10, 8, 6, 4, kL, k24, false, -2, -2},
    // (6 - 9) / 2 = -1 across; (5 - 3) / 2 = 1 memory rows from the bottom.
    {"odd, wider", 9, 3, 6, 5, kL, k24, false, -1, 1},
    {"odd, narrower", 2, 2, 5, 2, kL, k24, false, 1, 0},
    {"portrait into the landscape camera", 720, 1280, 1280, 720, kL, k24, true, 0, 0},
    {"landscape into the portrait camera", 1280, 720, 720, 1280, kP, k24, true, 0, 0},
    {"small portrait, turned and centred", 2, 4, 8, 4, kL, k24, true, 2, 1},
    {"32 bits, centred", 640, 360, 1280, 720, kL, k32, false, 320, 180},
};

TEST(FillWithPicture, EveryByteIsThePicturesOrLeftAloneAndShortBuffersAreNeverOverrun) {
  for (const PictureCase& c : kPictureCases) {
    SCOPED_TRACE(c.name);
    TestPicture pic(c.picture_width, c.picture_height);
    Sample s(c.sample_width, c.sample_height, c.layout);
    // The allocator's buffer may be longer than the picture: the bytes beyond it stay untouched.
    s.bytes.resize(s.bytes.size() + 2 * static_cast<size_t>(s.Stride()), 0xAB);
    std::vector<uint8_t> want = s.bytes, scratch;
    const int32_t shown_width = c.turned ? c.picture_height : c.picture_width;
    const int32_t shown_height = c.turned ? c.picture_width : c.picture_height;
    const int bpp = c.layout == k32 ? 4 : 3;
    for (int32_t y = 0; y < c.sample_height; ++y)
      for (int32_t x = 0; x < c.sample_width; ++x) {
        const int32_t xt = x - c.left, yt = y - c.top;
        if (xt < 0 || yt < 0 || xt >= shown_width || yt >= shown_height) continue;
        const uint8_t* from =
            c.turned ? pic.Pixel(yt, c.picture_height - 1 - xt) : pic.Pixel(xt, yt);
        uint8_t* to = want.data() + (s.Pixel(x, y) - s.bytes.data());
        std::memcpy(to, from, 3);
        if (bpp == 4) to[3] = 0xFF;
      }
    ASSERT_TRUE(FillWithPicture(s.Target(), pic.View(), c.orientation, &scratch, Zero));
    const auto diff = std::mismatch(s.bytes.begin(), s.bytes.end(), want.begin());
    const int64_t at = diff.first - s.bytes.begin();
    EXPECT_EQ(diff.first, s.bytes.end())
        << "byte " << at << " (row " << at / s.Stride() << " from the bottom, column byte "
        << at % s.Stride() << ")";
  }
  // A short buffer is never overrun, and without pixels nothing is drawn.
  TestPicture pic(1280, 720);
  // Exactly sized to 100 rows: AddressSanitizer reports any write past it.
  const int64_t stride = 1280 * 3;
  std::vector<uint8_t> buffer(static_cast<size_t>(stride * 100 + 5), 0x33);
  std::vector<uint8_t> scratch;
  ASSERT_TRUE(FillWithPicture(SampleTarget{buffer.data(), buffer.size(), 1280, 720, k32},
                              pic.View(), kL, &scratch, Zero));
  // 32-bit rows are 5120 bytes: 75 whole rows fit, the 76th partly (whole pixels only).
  EXPECT_EQ(buffer[3], 0xFF);
  EXPECT_EQ(buffer.back(), 0x33);
  Sample s(8, 4, k24);
  EXPECT_FALSE(FillWithPicture(s.Target(), SourcePicture{}, kL, &scratch, Zero));
  for (uint8_t b : s.bytes) ASSERT_EQ(b, 0xAB);
}

// The camera's fill path from the section's bytes: a header announcing a picture of
// 2147483647 x 2147483647 in 16 bytes must give the blue picture, not a read far outside the
// section (run under AddressSanitizer, that read is a reported crash). A published picture wins
// over the fallback; without one the fallback is drawn, centred.
TEST(FillSample, HugeHeadersGiveTheBluePictureAndPublishedPicturesWinOverTheFallback) {
  std::vector<uint8_t> section(kFrameMappingHeaderSize + 16, 0x11);
  const int32_t header[3] = {0x7FFFFFFF, 0x7FFFFFFF, 16};
  std::memcpy(section.data(), header, sizeof(header));
  const MappedPicture published = ReadFrameMappingHeader(section.data(), section.size());
  const FrameSize size = OfferedFrameSize(kL, published.width, published.height);
  EXPECT_EQ(size.width, 1280);
  EXPECT_EQ(size.height, 720);
  std::vector<uint8_t> scratch;
  for (SampleLayout layout : {k24, k32}) {
    Sample sample(size.width, size.height, layout);
    FillSample(sample.Target(), published, nullptr, kL, &scratch, Zero);
    Sample blue(size.width, size.height, layout);
    FillWithoutPicture(blue.Target(), Zero);
    EXPECT_TRUE(sample.bytes == blue.bytes);
  }

  TestPicture published_picture(1280, 720);
  std::vector<uint8_t> full(kFrameMappingHeaderSize + published_picture.bytes.size());
  ASSERT_TRUE(WriteFrameMapping(full.data(), full.size(), 1280, 720, published_picture.bytes.data(),
                                static_cast<int32_t>(published_picture.bytes.size())));
  TestPicture fallback_picture(64, 64);
  const SourcePicture fallback = fallback_picture.View();
  Sample sample(1280, 720, k24);
  FillSample(sample.Target(), ReadFrameMappingHeader(full.data(), full.size()), &fallback, kL,
             &scratch, Zero);
  EXPECT_EQ(std::memcmp(sample.Pixel(640, 360), published_picture.Pixel(640, 360), 3), 0);
  Sample second(1280, 720, k24);
  FillSample(second.Target(), MappedPicture{}, &fallback, kL, &scratch, Zero);
  EXPECT_EQ(std::memcmp(second.Pixel(608, 328), fallback_picture.Pixel(0, 0), 3), 0);
}

}  // namespace
}  // namespace vl::vcam
