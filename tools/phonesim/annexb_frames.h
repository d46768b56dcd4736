// Finds where pictures start in an H.264 Annex B stream, so the simulator can pace its
// randomly cut packets at a frame rate without cutting at those borders.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vl::phonesim {

// Byte offsets at which a new picture begins: the start code of the first NAL unit (parameter
// sets, SEI or slice) that precedes a slice with first_mb_in_slice 0. Empty for data without
// any slice.
std::vector<size_t> FindFrameStarts(const std::vector<uint8_t>& stream);

}  // namespace vl::phonesim
