// One packet of the phone stream in memory.
#pragma once

#include <cstdint>
#include <memory>

namespace vl {

struct MediaPacket {
  std::unique_ptr<uint8_t[]> payload;  // absent when length is 0 or less
  int32_t length = 0;
  uint16_t type = 0;  // low 16 bits of the wire type
};

}  // namespace vl
