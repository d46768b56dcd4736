// The program's side of the decode trace (media/decode_trace_layout.h): appends a record for
// every picture queued in the frame buffer while a measuring tool holds the section open. Looks
// for the section at most once a second while it is absent; writes only, reads nothing.
#pragma once

#include <cstdint>

#include "common/win/handles.h"

namespace vl {

class DecodeTraceWriter {
 public:
  // Picture `picture` of the current run (0: a run begins) was queued just now.
  void OnQueued(uint64_t picture);

 private:
  bool Open();

  win::UniqueHandle mapping_;
  win::UniqueMappedView view_;
  size_t view_size_ = 0;
  uint32_t written_ = 0;
  uint32_t run_ = 0;
  uint64_t next_look_ms_ = 0;
};

}  // namespace vl
