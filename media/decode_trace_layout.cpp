#include "media/decode_trace_layout.h"

#include <atomic>

namespace vl {
namespace {

void Store(uint8_t* p, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint64_t Load(const uint8_t* p, int bytes) {
  uint64_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= static_cast<uint64_t>(p[i]) << (8 * i);
  return v;
}

}  // namespace

void WriteDecodeTraceRecord(uint8_t* view, size_t view_size, uint32_t index,
                            const DecodeTraceRecord& record) {
  if (view == nullptr || view_size < kDecodeTraceSize) return;
  uint8_t* slot =
      view + kDecodeTraceHeaderSize + (index % kDecodeTraceCapacity) * kDecodeTraceRecordSize;
  Store(slot, static_cast<uint64_t>(record.unix_us), 8);
  Store(slot + 8, record.run, 4);
  Store(slot + 12, record.picture, 4);
  // The record is complete before a reader in another process can count it.
  std::atomic_thread_fence(std::memory_order_release);
  Store(view, index + 1u, 4);
}

uint32_t DecodeTraceCount(const uint8_t* view, size_t view_size) {
  if (view == nullptr || view_size < kDecodeTraceSize) return 0;
  return static_cast<uint32_t>(Load(view, 4));
}

std::vector<DecodeTraceRecord> ReadDecodeTrace(const uint8_t* view, size_t view_size,
                                               uint32_t since) {
  std::vector<DecodeTraceRecord> records;
  const uint32_t count = DecodeTraceCount(view, view_size);
  if (count <= since) return records;
  std::atomic_thread_fence(std::memory_order_acquire);
  uint32_t first = since;
  if (count - first > kDecodeTraceCapacity) first = count - kDecodeTraceCapacity;
  records.reserve(count - first);
  for (uint32_t n = first; n != count; ++n) {
    const uint8_t* slot =
        view + kDecodeTraceHeaderSize + (n % kDecodeTraceCapacity) * kDecodeTraceRecordSize;
    DecodeTraceRecord r;
    r.unix_us = static_cast<int64_t>(Load(slot, 8));
    r.run = static_cast<uint32_t>(Load(slot + 8, 4));
    r.picture = static_cast<uint32_t>(Load(slot + 12, 4));
    records.push_back(r);
  }
  return records;
}

}  // namespace vl
