// The program's decode trace writer under Wine, against the section a measuring tool makes.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "common/win/handles.h"
#include "common/win/wall_clock.h"
#include "media/decode_trace_layout.h"
#include "media/decode_trace_win.h"

namespace vl {
namespace {

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

TEST(DecodeTraceWinTest, NotesEveryQueuedPictureWithItsRunAndTheWallClock) {
  ToolSection tool;
  ASSERT_NE(tool.bytes(), nullptr);
  DecodeTraceWriter writer;
  const int64_t before = win::WallClockMicroseconds();
  for (uint64_t picture : {0, 1, 2, 0, 1}) writer.OnQueued(picture);
  const int64_t after = win::WallClockMicroseconds();
  const std::vector<DecodeTraceRecord> records = tool.Records();
  ASSERT_EQ(records.size(), 5u);
  const uint32_t runs[] = {1, 1, 1, 2, 2}, pictures[] = {0, 1, 2, 0, 1};
  for (size_t i = 0; i < records.size(); ++i) {
    EXPECT_EQ(records[i].run, runs[i]) << i;
    EXPECT_EQ(records[i].picture, pictures[i]) << i;
    EXPECT_GE(records[i].unix_us, i == 0 ? before : records[i - 1].unix_us) << i;
    EXPECT_LE(records[i].unix_us, after) << i;
  }
}

TEST(DecodeTraceWinTest, ASectionMadeDuringARunIsFoundAtTheNextLook) {
  DecodeTraceWriter writer;
  writer.OnQueued(0);  // nobody measures: nothing to write into
  ToolSection tool;
  ASSERT_NE(tool.bytes(), nullptr);
  Sleep(1100);  // the writer looks for the section once a second
  writer.OnQueued(1);
  writer.OnQueued(2);
  const std::vector<DecodeTraceRecord> records = tool.Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].run, 1u);
  EXPECT_EQ(records[0].picture, 1u);
  EXPECT_EQ(records[1].picture, 2u);
}

TEST(DecodeTraceWinTest, ASmallerSectionOfThatNameIsLeftAlone) {
  ToolSection foreign(4096);
  ASSERT_NE(foreign.bytes(), nullptr);
  for (size_t i = 0; i < foreign.size; ++i) foreign.bytes()[i] = 0x5a;
  DecodeTraceWriter writer;
  writer.OnQueued(0);
  writer.OnQueued(1);
  for (size_t i = 0; i < foreign.size; ++i) ASSERT_EQ(foreign.bytes()[i], 0x5a) << i;
}

}  // namespace
}  // namespace vl
