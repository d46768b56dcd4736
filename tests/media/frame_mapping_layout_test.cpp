// The section header decides whether a reader sees a picture; a damaged header must never make
// it read outside the section.
#include "media/frame_mapping_layout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace vl {
namespace {

class MappingHeader : public ::testing::Test {
 protected:
  // A smaller stand-in section keeps the cases fast; the bounds logic is size-independent.
  std::vector<uint8_t> section = std::vector<uint8_t>(kFrameMappingHeaderSize + 64 * 48 * 3);

  void Header(int32_t w, int32_t h, int32_t size) {
    std::memcpy(section.data(), &w, 4);  // the test machines are little-endian, as the format
    std::memcpy(section.data() + 4, &h, 4);
    std::memcpy(section.data() + 8, &size, 4);
  }
  MappedPicture Read() { return ReadFrameMappingHeader(section.data(), section.size()); }
};

TEST_F(MappingHeader, NeverWrittenSectionHasNoPicture) {
  const MappedPicture pic = Read();
  EXPECT_EQ(pic.pixels, nullptr);
  EXPECT_EQ(pic.width, 0);
  EXPECT_EQ(pic.height, 0);
}

TEST_F(MappingHeader, WrittenPictureReadsBackWithItsPixels) {
  std::vector<uint8_t> pixels(64 * 48 * 3);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(i * 7);
  ASSERT_TRUE(WriteFrameMapping(section.data(), section.size(), 64, 48, pixels.data(),
                                static_cast<int32_t>(pixels.size())));
  const MappedPicture pic = Read();
  EXPECT_EQ(pic.width, 64);
  EXPECT_EQ(pic.height, 48);
  EXPECT_EQ(pic.size, 64 * 48 * 3);
  ASSERT_EQ(pic.pixels, section.data() + kFrameMappingHeaderSize);
  EXPECT_EQ(0, std::memcmp(pic.pixels, pixels.data(), pixels.size()));
}

TEST_F(MappingHeader, SizeZeroOrNegativeMeansNoPictureButKeepsTheDimensions) {
  Header(1280, 720, 0);
  MappedPicture pic = Read();
  EXPECT_EQ(pic.pixels, nullptr);
  EXPECT_EQ(pic.width, 1280);
  EXPECT_EQ(pic.height, 720);
  Header(16, 16, -5);
  EXPECT_EQ(Read().pixels, nullptr);
}

TEST_F(MappingHeader, HeadersThatReachPastTheSectionAreNoPicture) {
  Header(0x7FFFFFFF, 720, 64 * 48 * 3);  // huge width
  EXPECT_EQ(Read().pixels, nullptr);
  Header(64, 0x40000000, 64 * 48 * 3);  // height whose pixel count overflows 32 bits
  EXPECT_EQ(Read().pixels, nullptr);
  Header(64, 49, 64 * 49 * 3);  // one row more than the section holds
  EXPECT_EQ(Read().pixels, nullptr);
  Header(-64, 48, 64 * 48 * 3);  // negative width
  EXPECT_EQ(Read().pixels, nullptr);
  Header(64, 48, 64 * 48 * 3 - 1);  // size too small for the picture it describes
  EXPECT_EQ(Read().pixels, nullptr);
}

TEST_F(MappingHeader, HugeWidthAndHeightTogetherAreNoPicture) {
  // Stride x height of these wraps to a negative 64-bit number: a naive check lets a tiny size
  // pass and the reader run gigabytes past the section.
  Header(0x7FFFFFFF, 0x7FFFFFFF, 16);
  MappedPicture pic = Read();
  EXPECT_EQ(pic.pixels, nullptr);
  EXPECT_EQ(pic.width, 0x7FFFFFFF);  // still reported, for the camera's size rules
}

TEST_F(MappingHeader, SidesUpToTheCapArePicturesAndLongerOnesAreNotEvenWhenTheyFit) {
  // The section and the stated size hold every case: only the cap on a side can refuse one.
  constexpr int32_t kCap = kMaxFrameMappingSide;
  section.assign(kFrameMappingHeaderSize + 4 * (kCap + 1) * 3 + 4, 0);
  struct Case {
    int32_t width, height;
    bool picture;
  };
  for (const Case c : {Case{kCap, 4, true}, Case{4, kCap, true}, Case{kCap + 1, 1, false},
                       Case{1, kCap + 1, false}}) {
    const int32_t size = static_cast<int32_t>(Rgb24RowStride(c.width) * c.height);
    Header(c.width, c.height, size);
    EXPECT_EQ(Read().pixels != nullptr, c.picture) << c.width << " x " << c.height;
  }
}

TEST_F(MappingHeader, RowsArePaddedToFourBytes) {
  Header(5, 4, 16 * 4);
  EXPECT_NE(Read().pixels, nullptr);
  Header(5, 4, 15 * 4);  // unpadded rows are too few bytes
  EXPECT_EQ(Read().pixels, nullptr);
}

TEST_F(MappingHeader, WriterRefusesPicturesLargerThanTheSection) {
  std::vector<uint8_t> big(section.size());
  EXPECT_FALSE(WriteFrameMapping(section.data(), section.size(), 64, 49, big.data(),
                                 static_cast<int32_t>(big.size())));
  EXPECT_EQ(Read().width, 0);  // nothing written
}

}  // namespace
}  // namespace vl
