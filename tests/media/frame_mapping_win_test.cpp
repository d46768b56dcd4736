// The shared sections under Wine: the frame section between writer and readers, and the
// program's decode trace writer against the section a measuring tool makes.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <tuple>
#include <vector>

#include "common/win/handles.h"
#include "common/win/wall_clock.h"
#include "media/decode_trace_layout.h"
#include "media/decode_trace_win.h"
#include "media/frame_mapping_win.h"

namespace vl {
namespace {

std::vector<uint8_t> Pixels(uint8_t seed) {
  std::vector<uint8_t> p(2764800);
  for (size_t i = 0; i < p.size(); ++i) p[i] = static_cast<uint8_t>(i * 31 + seed);
  return p;
}

// One writer's section from the reader's side: a reader that comes first retries, a damaged
// header reads as no picture (the header's own checks are frame_mapping_layout_test's; here the
// real section's size) until the writer repairs it, and an open reader keeps the last picture
// after the writer is gone.
TEST(FrameMappingWinTest, ReaderFollowsTheWritersSectionAndKeepsItsLastPicture) {
  FrameMappingReader reader;
  EXPECT_EQ(reader.Read().pixels, nullptr);
  EXPECT_FALSE(reader.IsOpen());
  const std::vector<uint8_t> landscape = Pixels(1), portrait = Pixels(2);
  {
    FrameMappingWriter writer;
    ASSERT_TRUE(writer.Publish(1280, 720, landscape.data(), 2764800));
    MappedPicture seen = reader.Read();  // the next attempt finds it
    ASSERT_NE(seen.pixels, nullptr);
    EXPECT_EQ(std::tuple(seen.width, seen.height, seen.size), std::tuple(1280, 720, 2764800));
    EXPECT_EQ(0, std::memcmp(seen.pixels, landscape.data(), landscape.size()));

    {  // a damaged or foreign writer's header: more bytes than the section holds
      const win::UniqueHandle h(OpenFileMappingA(FILE_MAP_WRITE, FALSE, kFrameMappingName));
      const win::UniqueMappedView header(MapViewOfFile(h.get(), FILE_MAP_WRITE, 0, 0, 12));
      ASSERT_NE(header.get(), nullptr);
      const int32_t fields[] = {1280, 720, 0x7FFFFFF0};
      std::memcpy(header.get(), fields, sizeof fields);
    }
    EXPECT_EQ(reader.Read().pixels, nullptr);

    std::vector<uint8_t> big(0x1400000);
    EXPECT_FALSE(writer.Publish(4096, 2048, big.data(), 0x1400000));
    ASSERT_TRUE(writer.Publish(720, 1280, portrait.data(), 2764800));
    ASSERT_NE(reader.Read().pixels, nullptr);
    const win::UniqueHandle h(OpenFileMappingA(FILE_MAP_READ, FALSE, kFrameMappingName));
    const win::UniqueMappedView view(MapViewOfFile(h.get(), FILE_MAP_READ, 0, 0, 0));
    MEMORY_BASIC_INFORMATION info = {};
    VirtualQuery(view.get(), &info, sizeof(info));
    EXPECT_GE(info.RegionSize, 0x1400000u);  // 20 MiB
  }
  const MappedPicture seen = reader.Read();
  ASSERT_NE(seen.pixels, nullptr);
  EXPECT_EQ(std::tuple(seen.width, seen.height), std::tuple(720, 1280));
  EXPECT_EQ(0, std::memcmp(seen.pixels, portrait.data(), 2764800));
}

// The measuring tool's side: the section and a view of it.
struct ToolSection {
  explicit ToolSection(size_t size = kDecodeTraceSize)
      : mapping(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                   static_cast<DWORD>(size), kDecodeTraceName)),
        view(MapViewOfFile(mapping.get(), FILE_MAP_WRITE, 0, 0, size)),
        size(size) {}
  uint8_t* bytes() const { return static_cast<uint8_t*>(view.get()); }
  std::vector<DecodeTraceRecord> Records() const { return ReadDecodeTrace(bytes(), size); }
  win::UniqueHandle mapping;
  win::UniqueMappedView view;
  size_t size;
};

// A writer that found no section finds one made during its run at its next look (once a
// second) and notes every queued picture with its run and the wall clock; someone else's smaller
// section of that name is left alone.
TEST(DecodeTraceWinTest, NotesEveryQueuedPictureOnceAFullSizeSectionExists) {
  DecodeTraceWriter writer;
  writer.OnQueued(0);  // nobody measures: nothing to write into
  {
    ToolSection foreign(4096);
    ASSERT_NE(foreign.bytes(), nullptr);
    std::fill_n(foreign.bytes(), foreign.size, 0x5a);
    DecodeTraceWriter other;
    other.OnQueued(0);
    other.OnQueued(1);
    for (size_t i = 0; i < foreign.size; ++i) ASSERT_EQ(foreign.bytes()[i], 0x5a) << i;
  }
  ToolSection tool;
  ASSERT_NE(tool.bytes(), nullptr);
  Sleep(1100);
  const int64_t before = win::WallClockMicroseconds();
  for (uint64_t picture : {1, 2, 0, 1}) writer.OnQueued(picture);
  const int64_t after = win::WallClockMicroseconds();
  const std::vector<DecodeTraceRecord> got = tool.Records();
  ASSERT_EQ(got.size(), 4u);
  const uint32_t runs[] = {1, 1, 2, 2}, pictures[] = {1, 2, 0, 1};
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(std::tuple(got[i].run, got[i].picture), std::tuple(runs[i], pictures[i])) << i;
    EXPECT_GE(got[i].unix_us, i == 0 ? before : got[i - 1].unix_us) << i;
    EXPECT_LE(got[i].unix_us, after) << i;
  }
}

}  // namespace
}  // namespace vl
