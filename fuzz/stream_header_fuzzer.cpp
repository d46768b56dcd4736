// The phone's header document: any bytes the phone may send as its header.
#include <cstddef>
#include <cstdint>
#include <string>

#include "media/stream_header.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const vl::HeaderFlags flags =
      vl::ParseStreamHeader(std::string(reinterpret_cast<const char*>(data), size));
  (void)flags;
  return 0;
}
