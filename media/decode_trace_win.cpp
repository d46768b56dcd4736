#include "media/decode_trace_win.h"

#include <windows.h>

#include "common/win/wall_clock.h"
#include "media/decode_trace_layout.h"

namespace vl {

bool DecodeTraceWriter::Open() {
  const uint64_t now = GetTickCount64();
  if (now < next_look_ms_) return false;
  next_look_ms_ = now + 1000;
  win::UniqueHandle mapping(OpenFileMappingA(FILE_MAP_WRITE, FALSE, kDecodeTraceName));
  if (!mapping) return false;
  // A section smaller than the layout (someone else's) fails to map at this size.
  win::UniqueMappedView view(MapViewOfFile(mapping.get(), FILE_MAP_WRITE, 0, 0, kDecodeTraceSize));
  if (!view) return false;
  mapping_ = std::move(mapping);
  view_ = std::move(view);
  view_size_ = kDecodeTraceSize;
  return true;
}

void DecodeTraceWriter::OnQueued(uint64_t picture) {
  if (picture == 0) ++run_;
  if (!view_ && !Open()) return;
  DecodeTraceRecord record;
  record.unix_us = win::WallClockMicroseconds();
  record.run = run_;
  record.picture = static_cast<uint32_t>(picture);
  WriteDecodeTraceRecord(static_cast<uint8_t*>(view_.get()), view_size_, written_++, record);
}

}  // namespace vl
