#include "tools/phonesim/packet_checker.h"

#include <algorithm>

#include <tinyxml2.h>

#include "media/stream_wire.h"

namespace vl::phonesim {

void PacketChecker::Feed(const uint8_t* data, size_t size, std::vector<CheckedPacket>& out) {
  if (out_of_step_) return;
  buffer_.insert(buffer_.end(), data, data + size);
  size_t pos = 0;
  while (buffer_.size() - pos >= 8) {
    CheckedPacket p;
    p.type = GetLe32(&buffer_[pos]);
    p.length = static_cast<int32_t>(GetLe32(&buffer_[pos + 4]));
    std::copy_n(&buffer_[pos], 8, p.header);
    if (p.type != kPacketPanel && p.type != kPacketHeartbeat) {
      p.valid = false;
      p.problem = "unexpected packet type";
    } else if (p.type == kPacketHeartbeat && p.length != 0) {
      p.valid = false;
      p.problem = "heartbeat with a payload length";
    } else if (p.type == kPacketPanel && (p.length <= 0 || p.length > kMaxEventLength)) {
      p.valid = false;
      p.problem = "panel event with an implausible length";
    }
    if (!p.valid) {
      out_of_step_ = true;
      out.push_back(p);
      buffer_.clear();
      return;
    }
    const size_t payload = p.length > 0 ? static_cast<size_t>(p.length) : 0;
    if (buffer_.size() - pos - 8 < payload) break;  // wait for the rest
    p.payload.assign(reinterpret_cast<const char*>(&buffer_[pos + 8]), payload);
    pos += 8 + payload;
    if (p.type == kPacketPanel) {
      tinyxml2::XMLDocument doc;
      if (doc.Parse(p.payload.data(), p.payload.size()) != tinyxml2::XML_SUCCESS ||
          !doc.FirstChildElement()) {
        // The length was plausible, so the stream may still be in step; only this packet fails.
        p.valid = false;
        p.problem = "panel event is not well-formed XML";
      }
    }
    out.push_back(std::move(p));
  }
  buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(pos));
}

}  // namespace vl::phonesim
