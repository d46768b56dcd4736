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
// A resource payload starts with a NUL-padded name field of this size.
constexpr int32_t kResourceNameField = 255;

// Largest payload accepted per packet type; a packet announcing more ends the run. Each bound
// is far above what the phone sends, and low enough that a 32-bit program can hold it with its
// conversions.
// Video: one chunk of the encoded stream.
constexpr int32_t kMaxVideoPayload = 32 * 1024 * 1024;
// Panel command: XML text, which also becomes UTF-16 and ANSI copies on its way to the window.
constexpr int32_t kMaxPanelPayload = 1024 * 1024;
// Resource: the name field and a picture of at most 8 MiB.
constexpr int32_t kMaxResourceData = 8 * 1024 * 1024;
constexpr int32_t kMaxResourcePayload = kResourceNameField + kMaxResourceData;
// Other types are read through and dropped without being held in memory.
constexpr int32_t kMaxSkippedPayload = kMaxVideoPayload;

// The bound of a packet type (its low 16 bits, as MediaPacket keeps it).
constexpr int32_t MaxPayloadLength(uint16_t type) {
  switch (type) {
    case kPacketVideo:
      return kMaxVideoPayload;
    case kPacketPanel:
      return kMaxPanelPayload;
    case kPacketResource:
      return kMaxResourcePayload;
    default:
      return kMaxSkippedPayload;
  }
}

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
