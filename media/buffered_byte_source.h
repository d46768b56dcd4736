// Reads the phone's stream through a buffer that takes whatever has arrived: the small fields of
// a packet and often several packets come out of one read of the transport (each read is a round
// trip to the Wine server). Payloads larger than the buffer are read straight into their own
// memory. One reader thread; platform-neutral.
#pragma once

#include <cstdint>
#include <vector>

#include "device/i_byte_source.h"

namespace vl {

class BufferedByteSource : public IByteSource {
 public:
  static constexpr int32_t kCapacity = 64 * 1024;

  explicit BufferedByteSource(IByteSource& source) : source_(source), buffer_(kCapacity) {}

  // Exactly `length` bytes, or a short count (what was received is then lost), as the source's
  // own Receive.
  int32_t Receive(void* buffer, int32_t length) override;
  int32_t ReceiveSome(void* buffer, int32_t capacity) override;

 private:
  int32_t Buffered() const { return end_ - begin_; }
  // Copies up to `length` buffered bytes out.
  int32_t Take(uint8_t* out, int32_t length);

  IByteSource& source_;
  std::vector<uint8_t> buffer_;
  int32_t begin_ = 0, end_ = 0;  // the buffered bytes not yet taken
};

}  // namespace vl
