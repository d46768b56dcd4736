#include "media/stream_wire.h"

#include <cstring>

namespace vl {

bool SplitResourcePayload(const uint8_t* payload, int32_t length, ResourceView& out) {
  if (!payload || length < kResourceNameField) return false;
  const void* nul = std::memchr(payload, 0, kResourceNameField);
  const size_t name_length =
      nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - payload) : kResourceNameField;
  out.name.assign(reinterpret_cast<const char*>(payload), name_length);
  out.data = payload + kResourceNameField;
  out.size = length - kResourceNameField;
  return true;
}

}  // namespace vl
