// Where a protocol reads its bytes from: the device connection, or memory in the fuzz tests.
#pragma once

#include <cstdint>

namespace vl {

class IByteSource {
 public:
  virtual ~IByteSource() = default;
  // Fills `buffer` with exactly `length` bytes and returns `length`; any other value means the
  // stream ended or failed (a short count, 0 or -1) and what arrived is lost.
  virtual int32_t Receive(void* buffer, int32_t length) = 0;
  // Whatever has arrived, 1 to `capacity` bytes, waiting as Receive does while nothing has;
  // 0 or -1 when the stream ended or failed. Lets a reader take several packets in one read.
  virtual int32_t ReceiveSome(void* buffer, int32_t capacity) {
    return Receive(buffer, capacity > 0 ? 1 : 0);
  }
};

}  // namespace vl
