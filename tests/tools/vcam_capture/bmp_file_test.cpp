// BMP files of the capture and publisher tools: round trip, top-down files, damaged headers.
#include <gtest/gtest.h>

#include <cstring>

#include "tools/vcam_capture/bmp_file.h"

namespace vl::tools {
namespace {

BmpPicture Gradient(int32_t w, int32_t h, int32_t bits) {
  BmpPicture p;
  p.width = w;
  p.height = h;
  p.bits_per_pixel = bits;
  p.pixels.resize(static_cast<size_t>(p.Stride() * h));
  for (size_t i = 0; i < p.pixels.size(); ++i) p.pixels[i] = static_cast<uint8_t>(i * 31 + 7);
  return p;
}

TEST(BmpFile, RoundTripKeepsEveryByteAndTopDownFilesAreTurnedBottomUp) {
  for (int bits : {24, 32}) {
    const BmpPicture in = Gradient(5, 3, bits);  // 5 x 3 bytes pads to 16 per row
    std::vector<uint8_t> file;
    ASSERT_TRUE(EncodeBmp(in, &file));
    EXPECT_EQ(file.size(), 54u + in.pixels.size());
    BmpPicture out;
    ASSERT_TRUE(DecodeBmp(file.data(), file.size(), &out));
    EXPECT_EQ(out.width, 5);
    EXPECT_EQ(out.height, 3);
    EXPECT_EQ(out.bits_per_pixel, bits);
    EXPECT_EQ(out.pixels, in.pixels);
    // The same pixels stored top-down (a negative height, the rows in the other order) are turned
    // bottom-up.
    const int32_t minus_three = -3;
    const size_t stride = static_cast<size_t>(in.Stride());
    std::memcpy(file.data() + 22, &minus_three, 4);
    for (size_t y = 0; y < 3; ++y)
      std::memcpy(file.data() + 54 + y * stride, in.pixels.data() + (2 - y) * stride, stride);
    ASSERT_TRUE(DecodeBmp(file.data(), file.size(), &out));
    EXPECT_EQ(out.height, 3);
    EXPECT_EQ(out.pixels, in.pixels);
  }
}

TEST(BmpFile, DamagedOrUnsupportedFilesAreRefused) {
  std::vector<uint8_t> file;
  ASSERT_TRUE(EncodeBmp(Gradient(4, 4, 24), &file));
  BmpPicture out;
  EXPECT_FALSE(DecodeBmp(file.data(), file.size() - 1, &out));  // truncated pixels
  EXPECT_FALSE(DecodeBmp(file.data(), 20, &out));               // truncated header
  auto patched = [&](size_t at, uint32_t value) {
    std::vector<uint8_t> copy = file;
    std::memcpy(copy.data() + at, &value, 4);
    return copy;
  };
  // A pixel offset past the end, an absurd width, an INT32_MIN height, RLE compression, 8 bits
  // without compression, the old core header.
  for (const auto& bad : {patched(10, 0xFFFFFFF0u), patched(18, 100000), patched(22, 0x80000000u),
                          patched(30, 1), patched(28, 8), patched(14, 12)}) {
    EXPECT_FALSE(DecodeBmp(bad.data(), bad.size(), &out));
  }
  EXPECT_FALSE(EncodeBmp(BmpPicture{}, &file));
}

TEST(BmpFile, ThirtyTwoBitPicturesConvertToPackedBgr) {
  BmpPicture p = Gradient(3, 2, 32);
  const BmpPicture q = ToBgr24(p);
  EXPECT_EQ(q.bits_per_pixel, 24);
  EXPECT_EQ(q.Stride(), 12);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x)
      for (int c = 0; c < 3; ++c)
        EXPECT_EQ(q.pixels[y * 12 + x * 3 + c], p.pixels[y * 12 + x * 4 + c]);
}

}  // namespace
}  // namespace vl::tools
