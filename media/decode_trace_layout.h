// Layout of the decode trace section "LumarooDecodeTrace": when each picture of a run was
// queued in the frame buffer, for the end-to-end measurements (section_watch --decode-log). A
// measuring tool creates the section; while it exists, the program appends one record per queued
// picture and reads nothing from it. Platform-neutral.
//
//   offset 0   uint32 LE  records written so far (the writer's own count, stored after each record)
//   offset 4   uint32     0
//   offset 8   records of 16 bytes, a ring: record n at 8 + (n % capacity) * 16
//                int64 LE   wall clock, microseconds since 1970
//                uint32 LE  run (counts the runs the writer has seen: 1 for the first)
//                uint32 LE  picture (0 for the first picture of its run)
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vl {

inline constexpr char kDecodeTraceName[] = "LumarooDecodeTrace";
inline constexpr size_t kDecodeTraceHeaderSize = 8;
inline constexpr size_t kDecodeTraceRecordSize = 16;
inline constexpr size_t kDecodeTraceCapacity = 16384;
inline constexpr size_t kDecodeTraceSize =
    kDecodeTraceHeaderSize + kDecodeTraceRecordSize * kDecodeTraceCapacity;

struct DecodeTraceRecord {
  int64_t unix_us = 0;
  uint32_t run = 0;
  uint32_t picture = 0;
};

// Stores record number `index` (the writer's count before this record) and then the count
// index + 1. Nothing when the view is smaller than the layout.
void WriteDecodeTraceRecord(uint8_t* view, size_t view_size, uint32_t index,
                            const DecodeTraceRecord& record);

// The records written since the count was `since`, oldest first (at most the ring's capacity,
// the newest ones). Empty when the view is smaller than the layout.
std::vector<DecodeTraceRecord> ReadDecodeTrace(const uint8_t* view, size_t view_size,
                                               uint32_t since = 0);

// The count stored in the header (0 for a view smaller than the layout).
uint32_t DecodeTraceCount(const uint8_t* view, size_t view_size);

}  // namespace vl
