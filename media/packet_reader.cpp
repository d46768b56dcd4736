#include "media/packet_reader.h"

#include <cstring>
#include <new>
#include <string>

#include "common/text_convert.h"
#include "media/stream_wire.h"

namespace vl {
namespace {

bool ReceiveExact(IByteSource& source, void* buffer, int32_t length) {
  return source.Receive(buffer, length) == length;
}

// Reads `length` bytes and drops them; false when fewer arrive.
bool Skip(IByteSource& source, int32_t length) {
  uint8_t scratch[16 * 1024];
  while (length > 0) {
    const int32_t piece = length < static_cast<int32_t>(sizeof scratch)
                              ? length
                              : static_cast<int32_t>(sizeof scratch);
    if (!ReceiveExact(source, scratch, piece)) return false;
    length -= piece;
  }
  return true;
}

void Dispatch(const MediaPacket& packet, const PacketSinks& sinks) {
  if (packet.type == kPacketPanel) {
    if (!sinks.listener) return;
    const std::string ansi = Utf8ToAnsi(std::string_view(
        reinterpret_cast<const char*>(packet.payload.get()), static_cast<size_t>(packet.length)));
    sinks.listener->OnPanelCommand(ansi.c_str());
  } else if (packet.type == kPacketResource) {
    ResourceView view;
    if (!sinks.resources || !SplitResourcePayload(packet.payload.get(), packet.length, view)) {
      return;  // no store, or too short to hold a name field: discarded
    }
    std::unique_ptr<uint8_t[]> data(new (std::nothrow) uint8_t[static_cast<size_t>(view.size)]);
    if (!data) return;
    if (view.size > 0) std::memcpy(data.get(), view.data, static_cast<size_t>(view.size));
    sinks.resources->AddResource(view.name, std::move(data), view.size);
  }
}

bool IsKept(uint16_t type) {
  return type == kPacketVideo || type == kPacketPanel || type == kPacketResource;
}

}  // namespace

bool ReadHandshakeReply(IByteSource& source, HeaderFlags* flags) {
  char echoed[kStreamGreetingLength];
  if (!ReceiveExact(source, echoed, kStreamGreetingLength) ||
      std::memcmp(echoed, kStreamGreeting, kStreamGreetingLength) != 0) {
    return false;
  }
  uint8_t length_field[4];
  if (!ReceiveExact(source, length_field, 4)) return false;
  const int32_t header_length = static_cast<int32_t>(GetLe32(length_field));
  if (header_length > kMaxHeaderLength) return false;
  HeaderFlags read;
  if (header_length > 0) {
    std::string text(static_cast<size_t>(header_length), '\0');
    if (!ReceiveExact(source, text.data(), header_length)) return false;
    read = ParseStreamHeader(text);
  }
  *flags = read;
  return true;
}

std::unique_ptr<MediaPacket> ReadStreamPacket(IByteSource& source, const PacketSinks& sinks) {
  uint8_t field[4];
  if (!ReceiveExact(source, field, 4)) return nullptr;
  const uint16_t type = static_cast<uint16_t>(GetLe32(field) & 0xFFFFu);
  if (!ReceiveExact(source, field, 4)) return nullptr;
  const int32_t length = static_cast<int32_t>(GetLe32(field));
  if (length > MaxPayloadLength(type)) return nullptr;
  auto packet = std::make_unique<MediaPacket>();
  packet->type = type;
  if (length <= 0) return packet;
  if (!IsKept(type)) {
    // Dropped unread into memory; a short skip ends like a short payload (the next read fails).
    Skip(source, length);
    return packet;
  }
  // Bounded above, but a 32-bit process may still lack the memory: that ends the stream too.
  std::unique_ptr<uint8_t[]> payload(new (std::nothrow) uint8_t[static_cast<size_t>(length)]);
  if (!payload) return nullptr;
  if (!ReceiveExact(source, payload.get(), length)) return packet;
  packet->payload = std::move(payload);
  packet->length = length;
  Dispatch(*packet, sinks);
  return packet;
}

}  // namespace vl
