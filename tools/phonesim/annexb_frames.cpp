#include "tools/phonesim/annexb_frames.h"

namespace vl::phonesim {

std::vector<size_t> FindFrameStarts(const std::vector<uint8_t>& s) {
  std::vector<size_t> starts;
  const size_t n = s.size();
  size_t unit_start = SIZE_MAX;  // first non-slice NAL since the last slice
  for (size_t i = 0; i + 3 < n; ++i) {
    if (s[i] != 0 || s[i + 1] != 0 || s[i + 2] != 1) continue;
    const size_t code = (i > 0 && s[i - 1] == 0) ? i - 1 : i;  // 4-byte start code
    const uint8_t nal_type = s[i + 3] & 0x1F;
    const bool slice = nal_type == 1 || nal_type == 5;
    if (slice) {
      // first_mb_in_slice is ue(v): 0 is coded as a single 1 bit at the top of the next byte.
      const bool first_slice = i + 4 < n && (s[i + 4] & 0x80) != 0;
      if (first_slice) starts.push_back(unit_start != SIZE_MAX ? unit_start : code);
      unit_start = SIZE_MAX;
    } else if (unit_start == SIZE_MAX &&
               (nal_type == 6 || nal_type == 7 || nal_type == 8 || nal_type == 9)) {
      unit_start = code;
    }
    i += 2;
  }
  return starts;
}

}  // namespace vl::phonesim
