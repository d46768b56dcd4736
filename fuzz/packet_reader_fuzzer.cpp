// The phone's side of the stream as the reader takes it: the reply to our greeting, then
// packets until the stream ends, from an in-memory connection that ends where the input ends.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "device/i_byte_source.h"
#include "media/i_resource_store.h"
#include "media/i_stream_worker_listener.h"
#include "media/packet_reader.h"
#include "media/stream_wire.h"

namespace {

// Gives the input's bytes as the phone would send them; a short read at the end.
class MemorySource : public vl::IByteSource {
 public:
  MemorySource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  int32_t Receive(void* buffer, int32_t length) override {
    if (length < 1) return 0;
    const size_t left = size_ - offset_;
    const size_t n = left < static_cast<size_t>(length) ? left : static_cast<size_t>(length);
    std::memcpy(buffer, data_ + offset_, n);
    offset_ += n;
    return static_cast<int32_t>(n);
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t offset_ = 0;
};

// Touches what it is handed, so a text or buffer that is not what it claims is caught.
class Sinks : public vl::IStreamWorkerListener, public vl::IResourceStore {
 public:
  void OnConnected() override {}
  void OnRunEnded() override {}
  void OnConnectFailed() override {}
  void OnPanelCommand(const char* text) override { sum_ += std::strlen(text); }
  void AddResource(const std::string& name, std::unique_ptr<uint8_t[]> data,
                   int32_t size) override {
    if (name.size() > vl::kResourceNameField || size < 0) __builtin_trap();
    if (size > 0) sum_ += data[0] + data[size - 1];
  }
  size_t sum_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemorySource source(data, size);
  Sinks sinks;
  const vl::PacketSinks to{&sinks, &sinks};
  // Half the inputs start with a handshake reply, the rest go straight to packets.
  if (size > 0 && data[0] == 'B') {
    vl::HeaderFlags flags;
    if (!vl::ReadHandshakeReply(source, &flags)) return 0;
  }
  while (auto packet = vl::ReadStreamPacket(source, to)) {
    if (packet->length > 0 && packet->payload == nullptr) __builtin_trap();
    if (packet->length > vl::MaxPayloadLength(packet->type)) __builtin_trap();
  }
  return 0;
}
