// The shared sections' layouts. The frame section's header decides whether a reader sees a
// picture; a damaged header must never make it read outside the section. The decode trace's
// ring gives back what the program wrote, in order, from any starting count, across the ring's
// wrap, and never outside a short view.
#include "media/frame_mapping_layout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

#include "media/decode_trace_layout.h"

namespace vl {
namespace {

class MappingHeader : public ::testing::Test {
 protected:
  // A smaller stand-in section keeps the cases fast; the bounds logic is size-independent.
  std::vector<uint8_t> section = std::vector<uint8_t>(kFrameMappingHeaderSize + 64 * 48 * 3);

  void Header(int32_t w, int32_t h, int32_t size) {
    const int32_t fields[] = {w, h, size};  // the test machines are little-endian, as the format
    std::memcpy(section.data(), fields, sizeof fields);
  }
  MappedPicture Read() { return ReadFrameMappingHeader(section.data(), section.size()); }
};

// A picture too large for the section is not written; a picture written reads back with its
// pixels. Only a header whose picture lies wholly inside the section and its stated size is a
// picture (a section never written has none); the dimensions are reported either way, for the
// camera's size rules.
TEST_F(MappingHeader, WrittenPicturesReadBackAndOnlyHeadersWhosePictureFitsAreAPicture) {
  std::vector<uint8_t> pixels(section.size());
  EXPECT_FALSE(WriteFrameMapping(section.data(), section.size(), 64, 49, pixels.data(),
                                 static_cast<int32_t>(pixels.size())));
  EXPECT_EQ(Read().width, 0);  // nothing written
  pixels.resize(64 * 48 * 3);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(i * 7);
  ASSERT_TRUE(WriteFrameMapping(section.data(), section.size(), 64, 48, pixels.data(),
                                static_cast<int32_t>(pixels.size())));
  const MappedPicture written = Read();
  EXPECT_EQ(std::tuple(written.width, written.height, written.size),
            std::tuple(64, 48, 64 * 48 * 3));
  ASSERT_EQ(written.pixels, section.data() + kFrameMappingHeaderSize);
  EXPECT_EQ(0, std::memcmp(written.pixels, pixels.data(), pixels.size()));

  constexpr int32_t kCap = kMaxFrameMappingSide;
  // Every case below fits this section, so only the header's own figures can refuse one.
  section.assign(kFrameMappingHeaderSize + 4 * (kCap + 1) * 3 + 4, 0);
  const int32_t room = static_cast<int32_t>(section.size() - kFrameMappingHeaderSize);
  struct Case {
    const char* what;
    int32_t width, height, size;
    bool picture;
  };
  const Case cases[] = {
      {"never written", 0, 0, 0, false},
      {"size zero", 1280, 720, 0, false},
      {"negative size", 16, 16, -5, false},
      {"huge width", 0x7FFFFFFF, 720, room, false},
      {"pixel count past 32 bits", 64, 0x40000000, room, false},
      {"negative width", -64, 48, 64 * 48 * 3, false},
      {"size too small for the picture", 64, 48, 64 * 48 * 3 - 1, false},
      {"more than the section holds", 64, 48, room + 1, false},
      // Stride x height wraps to a negative 64-bit number: a naive check lets the tiny size pass
      // and the reader run gigabytes past the section.
      {"huge width and height", 0x7FFFFFFF, 0x7FFFFFFF, 16, false},
      {"rows padded to four bytes", 5, 4, 16 * 4, true},
      {"unpadded rows", 5, 4, 15 * 4, false},
      {"width at the cap", kCap, 4, static_cast<int32_t>(Rgb24RowStride(kCap) * 4), true},
      {"height at the cap", 4, kCap, static_cast<int32_t>(Rgb24RowStride(4) * kCap), true},
      {"width past the cap", kCap + 1, 1, static_cast<int32_t>(Rgb24RowStride(kCap + 1)), false},
      {"height past the cap", 1, kCap + 1, static_cast<int32_t>(Rgb24RowStride(1) * (kCap + 1)),
       false},
  };
  for (const Case& c : cases) {
    Header(c.width, c.height, c.size);
    const MappedPicture pic = Read();
    EXPECT_EQ(std::tuple(pic.pixels != nullptr, pic.width, pic.height),
              std::tuple(c.picture, c.width, c.height))
        << c.what;
  }
}

DecodeTraceRecord Record(uint32_t n) {
  DecodeTraceRecord r;
  r.unix_us = 1700000000000000LL + n * 33333LL;
  r.run = 1 + n / 1000;
  r.picture = n % 1000;
  return r;
}

void ExpectRecords(const std::vector<DecodeTraceRecord>& got, uint32_t first, uint32_t count) {
  ASSERT_EQ(got.size(), count);
  for (uint32_t i = 0; i < count; ++i) {
    const DecodeTraceRecord want = Record(first + i);
    EXPECT_EQ(std::tuple(got[i].unix_us, got[i].run, got[i].picture),
              std::tuple(want.unix_us, want.run, want.picture))
        << i;
  }
}

TEST(DecodeTraceLayoutTest, RecordsComeBackInOrderFromAnyCountAFullRingKeepsTheNewestNoShortView) {
  std::vector<uint8_t> view(kDecodeTraceSize, 0);
  EXPECT_EQ(DecodeTraceCount(view.data(), view.size()), 0u);
  EXPECT_TRUE(ReadDecodeTrace(view.data(), view.size()).empty());
  const uint32_t total = kDecodeTraceCapacity + 500;
  for (uint32_t n = 0; n < total; ++n) {
    WriteDecodeTraceRecord(view.data(), view.size(), n, Record(n));
    if (n + 1 != 100) continue;
    EXPECT_EQ(DecodeTraceCount(view.data(), view.size()), 100u);
    ExpectRecords(ReadDecodeTrace(view.data(), view.size()), 0, 100);
    ExpectRecords(ReadDecodeTrace(view.data(), view.size(), 60), 60, 40);
    EXPECT_TRUE(ReadDecodeTrace(view.data(), view.size(), 100).empty());
  }
  ExpectRecords(ReadDecodeTrace(view.data(), view.size()), 500, kDecodeTraceCapacity);
  ExpectRecords(ReadDecodeTrace(view.data(), view.size(), total - 3), total - 3, 3);
  // A short view is neither written nor read.
  std::vector<uint8_t> short_view(kDecodeTraceSize - 1, 0x5a);
  WriteDecodeTraceRecord(short_view.data(), short_view.size(), 0, Record(7));
  for (uint8_t b : short_view) ASSERT_EQ(b, 0x5a);
  EXPECT_EQ(DecodeTraceCount(short_view.data(), short_view.size()), 0u);
  EXPECT_TRUE(ReadDecodeTrace(short_view.data(), short_view.size()).empty());
  EXPECT_TRUE(ReadDecodeTrace(nullptr, kDecodeTraceSize).empty());
}

}  // namespace
}  // namespace vl
