// A decoder of the phone's video packets, as the stream worker drives it.
#pragma once

#include <cstdint>

namespace vl {

class IVideoDecoder {
 public:
  virtual ~IVideoDecoder() = default;
  // Decodes the payload of one video packet; 1 when every piece was parsed, else 0.
  virtual int DecodeChunk(const uint8_t* data, int32_t length) = 0;
  // Stops delivering pictures; may be called from another thread.
  virtual void RequestStop() = 0;
};

}  // namespace vl
