#include "media/buffered_byte_source.h"

#include <algorithm>
#include <cstring>

namespace vl {

int32_t BufferedByteSource::Take(uint8_t* out, int32_t length) {
  const int32_t n = std::min(length, Buffered());
  if (n > 0) std::memcpy(out, buffer_.data() + begin_, static_cast<size_t>(n));
  begin_ += n;
  return n;
}

int32_t BufferedByteSource::Receive(void* buffer, int32_t length) {
  if (length < 1) return 0;
  uint8_t* out = static_cast<uint8_t*>(buffer);
  int32_t done = Take(out, length);
  if (done == length) return done;
  // The rest of a long payload goes straight to its memory.
  if (length - done >= kCapacity) {
    const int32_t r = source_.Receive(out + done, length - done);
    return r == length - done ? length : done + std::max(0, r);
  }
  while (done < length) {
    begin_ = 0;
    end_ = 0;
    const int32_t got = source_.ReceiveSome(buffer_.data(), kCapacity);
    if (got < 1) return done;
    end_ = got;
    done += Take(out + done, length - done);
  }
  return done;
}

int32_t BufferedByteSource::ReceiveSome(void* buffer, int32_t capacity) {
  if (capacity < 1) return 0;
  if (Buffered() > 0) return Take(static_cast<uint8_t*>(buffer), capacity);
  return source_.ReceiveSome(buffer, capacity);
}

}  // namespace vl
