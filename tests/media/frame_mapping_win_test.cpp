// The shared frame section between processes' writer and readers, under Wine.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <vector>

#include "media/frame_mapping_win.h"

namespace vl {
namespace {

std::vector<uint8_t> Pixels(uint8_t seed) {
  std::vector<uint8_t> p(2764800);
  for (size_t i = 0; i < p.size(); ++i) p[i] = static_cast<uint8_t>(i * 31 + seed);
  return p;
}

// Writes a raw header, as a damaged or foreign writer might.
void WriteRawHeader(int32_t width, int32_t height, int32_t size) {
  HANDLE h = OpenFileMappingA(FILE_MAP_WRITE, FALSE, kFrameMappingName);
  ASSERT_NE(h, nullptr);
  auto* view = static_cast<int32_t*>(MapViewOfFile(h, FILE_MAP_WRITE, 0, 0, 12));
  ASSERT_NE(view, nullptr);
  view[0] = width;
  view[1] = height;
  view[2] = size;
  UnmapViewOfFile(view);
  CloseHandle(h);
}

TEST(FrameMappingWinTest, ReaderWithoutSectionSeesNoPictureAndRetries) {
  FrameMappingReader reader;
  EXPECT_EQ(reader.Read().pixels, nullptr);
  EXPECT_FALSE(reader.IsOpen());
  FrameMappingWriter writer;
  const std::vector<uint8_t> pixels = Pixels(1);
  ASSERT_TRUE(writer.Publish(1280, 720, pixels.data(), 2764800));
  const MappedPicture seen = reader.Read();  // the next attempt finds it
  ASSERT_NE(seen.pixels, nullptr);
  EXPECT_EQ(seen.width, 1280);
  EXPECT_EQ(seen.height, 720);
  EXPECT_EQ(seen.size, 2764800);
  EXPECT_EQ(0, std::memcmp(seen.pixels, pixels.data(), pixels.size()));
}

TEST(FrameMappingWinTest, SectionIs20MiBAndKeepsTheLastPictureForOpenReaders) {
  FrameMappingReader reader;
  {
    FrameMappingWriter writer;
    const std::vector<uint8_t> pixels = Pixels(2);
    ASSERT_TRUE(writer.Publish(720, 1280, pixels.data(), 2764800));
    ASSERT_NE(reader.Read().pixels, nullptr);
    MEMORY_BASIC_INFORMATION info = {};
    HANDLE h = OpenFileMappingA(FILE_MAP_READ, FALSE, kFrameMappingName);
    void* view = MapViewOfFile(h, FILE_MAP_READ, 0, 0, 0);
    VirtualQuery(view, &info, sizeof(info));
    EXPECT_GE(info.RegionSize, 0x1400000u);
    UnmapViewOfFile(view);
    CloseHandle(h);
  }
  // The writer is gone; the reader's handle keeps the section and its picture.
  const MappedPicture seen = reader.Read();
  ASSERT_NE(seen.pixels, nullptr);
  EXPECT_EQ(seen.width, 720);
  EXPECT_EQ(seen.height, 1280);
  EXPECT_EQ(0, std::memcmp(seen.pixels, Pixels(2).data(), 2764800));
}

TEST(FrameMappingWinTest, BadHeadersReadAsNoPicture) {
  FrameMappingWriter writer;
  const std::vector<uint8_t> pixels = Pixels(3);
  ASSERT_TRUE(writer.Publish(1280, 720, pixels.data(), 2764800));
  FrameMappingReader reader;
  ASSERT_NE(reader.Read().pixels, nullptr);

  // The header's own checks are frame_mapping_layout_test's; here the real section's size.
  WriteRawHeader(1280, 720, 0x7FFFFFF0);  // more bytes than the section holds
  EXPECT_EQ(reader.Read().pixels, nullptr);
  WriteRawHeader(1280, 720, 0);  // width and height kept, but no picture
  const MappedPicture none = reader.Read();
  EXPECT_EQ(none.pixels, nullptr);
  EXPECT_EQ(none.width, 1280);
  EXPECT_EQ(none.height, 720);

  ASSERT_TRUE(writer.Publish(1280, 720, pixels.data(), 2764800));  // the writer repairs it
  EXPECT_NE(reader.Read().pixels, nullptr);
}

TEST(FrameMappingWinTest, WriterRefusesPicturesLargerThanTheSection) {
  FrameMappingWriter writer;
  std::vector<uint8_t> big(0x1400000);
  EXPECT_FALSE(writer.Publish(4096, 2048, big.data(), 0x1400000));
}

}  // namespace
}  // namespace vl
