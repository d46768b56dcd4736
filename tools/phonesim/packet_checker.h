// Parses the bytes the PC sends after the handshake into packets and checks each one: only
// panel events (type 4, well-formed XML) and heartbeats (type 5, no payload) are valid. Once a
// packet is malformed the stream is out of step and checking stops.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vl::phonesim {

struct CheckedPacket {
  uint32_t type = 0;
  int32_t length = 0;
  uint8_t header[8] = {};  // the type and length fields as they arrived
  std::string payload;
  bool valid = true;
  std::string problem;  // why it is not valid
};

class PacketChecker {
 public:
  // Events larger than this are treated as a framing error.
  static constexpr int32_t kMaxEventLength = 1 << 20;

  // Feeds received bytes; complete packets are appended to `out`.
  void Feed(const uint8_t* data, size_t size, std::vector<CheckedPacket>& out);
  bool out_of_step() const { return out_of_step_; }
  size_t pending_bytes() const { return buffer_.size(); }

 private:
  std::vector<uint8_t> buffer_;
  bool out_of_step_ = false;
};

}  // namespace vl::phonesim
