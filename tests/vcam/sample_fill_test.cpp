// Filling camera samples: blue picture, centring and clipping, clockwise rotation into the
// camera's orientation, 24- and 32-bit copies, noise for other types, buffer bounds.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "common/dib_stride.h"
#include "vcam/sample_fill.h"

namespace vl::vcam {
namespace {

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
    const int bpp = layout == SampleLayout::kRgb32 ? 4 : 3;
    return bytes.data() + (height - 1 - y) * Stride() + static_cast<int64_t>(x) * bpp;
  }
};

int Counter() {
  static int n = 0;
  return n++;
}

int Zero() {
  return 0;
}

void ExpectSamePixel(const uint8_t* got, const uint8_t* want, int x, int y) {
  EXPECT_EQ(got[0], want[0]) << "at " << x << "," << y;
  EXPECT_EQ(got[1], want[1]) << "at " << x << "," << y;
  EXPECT_EQ(got[2], want[2]) << "at " << x << "," << y;
}

TEST(FillWithoutPicture, Rgb24AndRgb32AreBlueEverywhereWithAnOpaqueFourthByte) {
  for (const SampleLayout layout : {SampleLayout::kRgb24, SampleLayout::kRgb32}) {
    Sample s(1280, 720, layout);
    FillWithoutPicture(s.Target(), &Zero);
    const size_t bpp = layout == SampleLayout::kRgb32 ? 4 : 3;
    for (size_t i = 0; i < s.bytes.size(); i += bpp) {
      ASSERT_EQ(s.bytes[i], 0xFF) << i;
      ASSERT_EQ(s.bytes[i + 1], 0x00) << i;
      ASSERT_EQ(s.bytes[i + 2], 0x00) << i;
      if (bpp == 4) {
        ASSERT_EQ(s.bytes[i + 3], 0xFF) << i;
      }
    }
  }
}

TEST(FillWithoutPicture, OtherTypesGetNoiseFromTheRandomSource) {
  Sample s(16, 4, SampleLayout::kOther);
  const int first = Counter() + 1;
  FillWithoutPicture(s.Target(), &Counter);
  for (size_t i = 0; i < s.bytes.size(); ++i)
    ASSERT_EQ(s.bytes[i], static_cast<uint8_t>(first + static_cast<int>(i)));
}

TEST(FillWithoutPicture, PaddedRowsAndShortBuffersStayInBounds) {
  // Width 3: 9 bytes of pixels, 12 per row; padding is left alone.
  Sample padded(3, 2, SampleLayout::kRgb24, 0x11);
  FillWithoutPicture(padded.Target(), &Zero);
  EXPECT_EQ(padded.bytes[9], 0x11);
  EXPECT_EQ(padded.bytes[12], 0xFF);
  // A buffer shorter than the type says: only whole pixels inside it are written.
  std::vector<uint8_t> short_buffer(1000, 0x22);
  FillWithoutPicture(SampleTarget{short_buffer.data(), 7, 1280, 720, SampleLayout::kRgb24}, &Zero);
  EXPECT_EQ(short_buffer[5], 0x00);
  EXPECT_EQ(short_buffer[6], 0x22);
}

TEST(FillWithPicture, SameSizeIsAnExactCopy) {
  TestPicture pic(1280, 720);
  Sample s(1280, 720, SampleLayout::kRgb24);
  std::vector<uint8_t> scratch;
  ASSERT_TRUE(
      FillWithPicture(s.Target(), pic.View(), CameraOrientation::kLandscape, &scratch, &Zero));
  EXPECT_EQ(s.bytes, pic.bytes);
}

TEST(FillWithPicture, SmallerPictureIsCentredAndTheBorderKeepsItsBytes) {
  TestPicture pic(4, 2);
  Sample s(8, 6, SampleLayout::kRgb24);
  std::vector<uint8_t> scratch;
  ASSERT_TRUE(
      FillWithPicture(s.Target(), pic.View(), CameraOrientation::kLandscape, &scratch, &Zero));
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) {
      const bool inside = x >= 2 && x < 6 && y >= 2 && y < 4;
      if (inside) {
        ExpectSamePixel(s.Pixel(x, y), pic.Pixel(x - 2, y - 2), x, y);
      } else {
        EXPECT_EQ(s.Pixel(x, y)[0], 0xAB) << x << "," << y;
        EXPECT_EQ(s.Pixel(x, y)[2], 0xAB) << x << "," << y;
      }
    }
}

TEST(FillWithPicture, LargerPictureIsCroppedAroundItsCentre) {
  TestPicture pic(10, 8);
  Sample s(6, 4, SampleLayout::kRgb24);
  // The allocator's buffer may be longer than the picture: the bytes beyond it stay untouched.
  const size_t picture_bytes = s.bytes.size();
  s.bytes.resize(picture_bytes + 2 * static_cast<size_t>(s.Stride()), 0xAB);
  std::vector<uint8_t> scratch;
  ASSERT_TRUE(
      FillWithPicture(s.Target(), pic.View(), CameraOrientation::kLandscape, &scratch, &Zero));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) ExpectSamePixel(s.Pixel(x, y), pic.Pixel(x + 2, y + 2), x, y);
  for (size_t i = picture_bytes; i < s.bytes.size(); ++i) ASSERT_EQ(s.bytes[i], 0xAB) << i;
}

TEST(FillWithPicture, OddDifferencesTruncateTowardZero) {
  // (6 - 9) / 2 = -1 and (5 - 2) / 2 = 1 horizontally; heights (5 - 3) / 2 = 1.
  TestPicture wide(9, 3);
  Sample s(6, 5, SampleLayout::kRgb24);
  std::vector<uint8_t> scratch;
  ASSERT_TRUE(
      FillWithPicture(s.Target(), wide.View(), CameraOrientation::kLandscape, &scratch, &Zero));
  // Memory rows: sample row 1 holds picture row 0 (bottom). Visual y = 5 - 1 - memrow.
  for (int memrow = 1; memrow <= 3; ++memrow)
    for (int x = 0; x < 6; ++x)
      ExpectSamePixel(s.Pixel(x, 4 - memrow), wide.Pixel(x + 1, 2 - (memrow - 1)), x, memrow);
  TestPicture narrow(2, 2);
  Sample t(5, 2, SampleLayout::kRgb24);
  ASSERT_TRUE(
      FillWithPicture(t.Target(), narrow.View(), CameraOrientation::kLandscape, &scratch, &Zero));
  ExpectSamePixel(t.Pixel(1, 0), narrow.Pixel(0, 0), 1, 0);
  EXPECT_EQ(t.Pixel(0, 0)[0], 0xAB);
  EXPECT_EQ(t.Pixel(3, 0)[0], 0xAB);
}

TEST(FillWithPicture, PortraitPictureTurnsClockwiseIntoTheLandscapeCamera) {
  // Clockwise: the picture's top-left corner ends up at the top-right, its bottom-left at the
  // top-left. Visual source (xs, ys) of an h-high picture lands at (h - 1 - ys, xs).
  TestPicture pic(720, 1280);
  Sample s(1280, 720, SampleLayout::kRgb24, 0x5A);
  std::vector<uint8_t> scratch;
  ASSERT_TRUE(
      FillWithPicture(s.Target(), pic.View(), CameraOrientation::kLandscape, &scratch, &Zero));
  for (int y = 0; y < 720; y += 7)
    for (int x = 0; x < 1280; x += 11) ExpectSamePixel(s.Pixel(x, y), pic.Pixel(y, 1279 - x), x, y);
  ExpectSamePixel(s.Pixel(1279, 0), pic.Pixel(0, 0), 1279, 0);
  ExpectSamePixel(s.Pixel(0, 0), pic.Pixel(0, 1279), 0, 0);
  // The turned picture covers the frame exactly: every pixel comes from the picture.
  for (int y = 0; y < 720; ++y)
    for (int x = 0; x < 1280; ++x)
      ASSERT_EQ(std::memcmp(s.Pixel(x, y), pic.Pixel(y, 1279 - x), 3), 0) << x << "," << y;
}

TEST(FillWithPicture, LandscapePictureTurnsClockwiseIntoThePortraitCamera) {
  TestPicture pic(1280, 720);
  Sample s(720, 1280, SampleLayout::kRgb24, 0x5A);
  std::vector<uint8_t> scratch;
  ASSERT_TRUE(
      FillWithPicture(s.Target(), pic.View(), CameraOrientation::kPortrait, &scratch, &Zero));
  for (int y = 0; y < 1280; y += 9)
    for (int x = 0; x < 720; x += 5) ExpectSamePixel(s.Pixel(x, y), pic.Pixel(y, 719 - x), x, y);
  for (int y = 0; y < 1280; ++y)
    for (int x = 0; x < 720; ++x)
      ASSERT_EQ(std::memcmp(s.Pixel(x, y), pic.Pixel(y, 719 - x), 3), 0) << x << "," << y;
}

TEST(FillWithPicture, SmallPortraitPictureTurnsAndCentres) {
  // 2 wide, 4 high: turned it is 4 wide, 2 high, centred at (2, 1) in an 8 x 4 frame.
  TestPicture pic(2, 4);
  Sample s(8, 4, SampleLayout::kRgb24);
  std::vector<uint8_t> scratch;
  ASSERT_TRUE(
      FillWithPicture(s.Target(), pic.View(), CameraOrientation::kLandscape, &scratch, &Zero));
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x)
      ExpectSamePixel(s.Pixel(x + 2, y + 1), pic.Pixel(y, 3 - x), x + 2, y + 1);
  EXPECT_EQ(s.Pixel(0, 0)[0], 0xAB);
}

TEST(FillWithPicture, Rgb32CopiesWithOpaqueFourthByte) {
  TestPicture pic(640, 360);
  Sample s(1280, 720, SampleLayout::kRgb32, 0x00);
  std::vector<uint8_t> scratch;
  ASSERT_TRUE(
      FillWithPicture(s.Target(), pic.View(), CameraOrientation::kLandscape, &scratch, &Zero));
  for (int y = 0; y < 360; y += 3)
    for (int x = 0; x < 640; x += 3) {
      const uint8_t* px = s.Pixel(x + 320, y + 180);
      ExpectSamePixel(px, pic.Pixel(x, y), x, y);
      ASSERT_EQ(px[3], 0xFF);
    }
  EXPECT_EQ(s.Pixel(0, 0)[3], 0x00);  // outside the picture: untouched
}

TEST(FillWithPicture, OtherTypesGetNoise) {
  TestPicture pic(8, 4);
  Sample s(8, 4, SampleLayout::kOther);
  std::vector<uint8_t> scratch;
  ASSERT_TRUE(
      FillWithPicture(s.Target(), pic.View(), CameraOrientation::kLandscape, &scratch, &Zero));
  for (uint8_t b : s.bytes) ASSERT_EQ(b, 0);
}

TEST(FillWithPicture, ShortSampleBufferIsNeverOverrun) {
  TestPicture pic(1280, 720);
  // Exactly sized to 100 rows: AddressSanitizer reports any write past it.
  const int64_t stride = 1280 * 3;
  std::vector<uint8_t> buffer(static_cast<size_t>(stride * 100 + 5), 0x33);
  std::vector<uint8_t> scratch;
  ASSERT_TRUE(
      FillWithPicture(SampleTarget{buffer.data(), buffer.size(), 1280, 720, SampleLayout::kRgb32},
                      pic.View(), CameraOrientation::kLandscape, &scratch, &Zero));
  // 32-bit rows are 5120 bytes: 75 whole rows fit, the 76th partly (whole pixels only).
  EXPECT_EQ(buffer[3], 0xFF);
  EXPECT_EQ(buffer.back(), 0x33);
}

TEST(FillWithPicture, MissingPixelsAreRefused) {
  Sample s(8, 4, SampleLayout::kRgb24);
  std::vector<uint8_t> scratch;
  EXPECT_FALSE(
      FillWithPicture(s.Target(), SourcePicture{}, CameraOrientation::kLandscape, &scratch, &Zero));
  for (uint8_t b : s.bytes) ASSERT_EQ(b, 0xAB);
}

// The camera's fill path from the section's bytes: a header announcing a picture of
// 2147483647 x 2147483647 in 16 bytes must give the blue picture, not a read far outside the
// section (run under AddressSanitizer, that read is a reported crash).
TEST(FillSample, HugeWidthAndHeightInTheSectionGiveTheBluePicture) {
  std::vector<uint8_t> section(kFrameMappingHeaderSize + 16, 0x11);
  const int32_t header[3] = {0x7FFFFFFF, 0x7FFFFFFF, 16};
  std::memcpy(section.data(), header, sizeof(header));
  const MappedPicture published = ReadFrameMappingHeader(section.data(), section.size());
  const FrameSize size =
      OfferedFrameSize(CameraOrientation::kLandscape, published.width, published.height);
  EXPECT_EQ(size.width, 1280);
  EXPECT_EQ(size.height, 720);
  std::vector<uint8_t> scratch;
  for (SampleLayout layout : {SampleLayout::kRgb24, SampleLayout::kRgb32}) {
    Sample sample(size.width, size.height, layout);
    FillSample(sample.Target(), published, nullptr, CameraOrientation::kLandscape, &scratch, &Zero);
    const int bpp = layout == SampleLayout::kRgb32 ? 4 : 3;
    for (int32_t y : {0, 359, 719}) {
      for (int32_t x : {0, 640, 1279}) {
        const uint8_t* p = sample.Pixel(x, y);
        EXPECT_EQ(p[0], 0xFF);
        EXPECT_EQ(p[1], 0x00);
        EXPECT_EQ(p[2], 0x00);
        if (bpp == 4) {
          EXPECT_EQ(p[3], 0xFF);
        }
      }
    }
  }
}

TEST(FillSample, PublishedPictureWinsOverTheFallback) {
  TestPicture published_picture(1280, 720);
  std::vector<uint8_t> section(kFrameMappingHeaderSize + published_picture.bytes.size());
  ASSERT_TRUE(WriteFrameMapping(section.data(), section.size(), 1280, 720,
                                published_picture.bytes.data(),
                                static_cast<int32_t>(published_picture.bytes.size())));
  TestPicture fallback_picture(64, 64);
  const SourcePicture fallback = fallback_picture.View();
  std::vector<uint8_t> scratch;
  Sample sample(1280, 720, SampleLayout::kRgb24);
  FillSample(sample.Target(), ReadFrameMappingHeader(section.data(), section.size()), &fallback,
             CameraOrientation::kLandscape, &scratch, &Zero);
  ExpectSamePixel(sample.Pixel(640, 360), published_picture.Pixel(640, 360), 640, 360);
  // Without a published picture the fallback is drawn, centred.
  Sample second(1280, 720, SampleLayout::kRgb24);
  FillSample(second.Target(), MappedPicture{}, &fallback, CameraOrientation::kLandscape, &scratch,
             &Zero);
  ExpectSamePixel(second.Pixel(608, 328), fallback_picture.Pixel(0, 0), 608, 328);
}

}  // namespace
}  // namespace vl::vcam
