// Byte-level rules of the phone stream: greeting, little-endian fields, packet types, the
// bounds this program enforces and the layout of a resource payload.
#pragma once

#include <cstdint>
#include <string>

namespace vl {

constexpr char kStreamGreeting[] = "BMP10";
constexpr int kStreamGreetingLength = 5;

enum StreamPacketType : uint16_t {
  kPacketVideo = 1,
  kPacketResource = 3,
  kPacketPanel = 4,  // phone to PC: command; PC to phone: event
  kPacketHeartbeat = 5,
};

// A header document longer than this fails the handshake.
constexpr int32_t kMaxHeaderLength = 64 * 1024;
// A packet announcing more payload than this ends the run (one encoded chunk, XML text or
// picture per packet is far below it).
constexpr int32_t kMaxPayloadLength = 32 * 1024 * 1024;
// A resource payload starts with a NUL-padded name field of this size.
constexpr int32_t kResourceNameField = 255;

inline void PutLe32(uint8_t* out, uint32_t v) {
  out[0] = static_cast<uint8_t>(v);
  out[1] = static_cast<uint8_t>(v >> 8);
  out[2] = static_cast<uint8_t>(v >> 16);
  out[3] = static_cast<uint8_t>(v >> 24);
}

inline uint32_t GetLe32(const uint8_t* in) {
  return static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8 |
         static_cast<uint32_t>(in[2]) << 16 | static_cast<uint32_t>(in[3]) << 24;
}

// The 8 bytes before a payload: type (upper half zero) and length.
inline void EncodePacketHeader(uint16_t type, int32_t length, uint8_t out[8]) {
  PutLe32(out, type);
  PutLe32(out + 4, static_cast<uint32_t>(length));
}

// A resource payload split into its name (up to the first NUL of the name field) and data.
struct ResourceView {
  std::string name;
  const uint8_t* data = nullptr;
  int32_t size = 0;
};

// False for a payload shorter than the name field (such packets are discarded).
bool SplitResourcePayload(const uint8_t* payload, int32_t length, ResourceView& out);

}  // namespace vl
