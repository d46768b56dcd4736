// The decode trace's ring: what the program writes is what the section watcher reads back, in
// order, from any starting count, across the ring's wrap, and never outside a short view.
#include <gtest/gtest.h>

#include <vector>

#include "media/decode_trace_layout.h"

namespace vl {
namespace {

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
    EXPECT_EQ(got[i].unix_us, want.unix_us) << i;
    EXPECT_EQ(got[i].run, want.run) << i;
    EXPECT_EQ(got[i].picture, want.picture) << i;
  }
}

TEST(DecodeTraceLayoutTest, RecordsComeBackInOrderFromAnyStartingCount) {
  std::vector<uint8_t> view(kDecodeTraceSize, 0);
  EXPECT_EQ(DecodeTraceCount(view.data(), view.size()), 0u);
  EXPECT_TRUE(ReadDecodeTrace(view.data(), view.size()).empty());
  for (uint32_t n = 0; n < 100; ++n) WriteDecodeTraceRecord(view.data(), view.size(), n, Record(n));
  EXPECT_EQ(DecodeTraceCount(view.data(), view.size()), 100u);
  ExpectRecords(ReadDecodeTrace(view.data(), view.size()), 0, 100);
  ExpectRecords(ReadDecodeTrace(view.data(), view.size(), 60), 60, 40);
  EXPECT_TRUE(ReadDecodeTrace(view.data(), view.size(), 100).empty());
}

TEST(DecodeTraceLayoutTest, AFullRingKeepsTheNewestRecords) {
  std::vector<uint8_t> view(kDecodeTraceSize, 0);
  const uint32_t total = kDecodeTraceCapacity + 500;
  for (uint32_t n = 0; n < total; ++n)
    WriteDecodeTraceRecord(view.data(), view.size(), n, Record(n));
  ExpectRecords(ReadDecodeTrace(view.data(), view.size()), 500, kDecodeTraceCapacity);
  ExpectRecords(ReadDecodeTrace(view.data(), view.size(), total - 3), total - 3, 3);
}

TEST(DecodeTraceLayoutTest, AShortViewIsNeitherWrittenNorRead) {
  std::vector<uint8_t> view(kDecodeTraceSize - 1, 0x5a);
  WriteDecodeTraceRecord(view.data(), view.size(), 0, Record(7));
  for (uint8_t b : view) ASSERT_EQ(b, 0x5a);
  EXPECT_EQ(DecodeTraceCount(view.data(), view.size()), 0u);
  EXPECT_TRUE(ReadDecodeTrace(view.data(), view.size()).empty());
  EXPECT_TRUE(ReadDecodeTrace(nullptr, kDecodeTraceSize).empty());
}

}  // namespace
}  // namespace vl
