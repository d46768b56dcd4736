#include "device/usbmux_client.h"

#include <atomic>

namespace vl::usbmux {
namespace {

std::atomic<uint16_t> g_service_port{kDefaultServicePort};
// Tags only have to match within one connection; a counter keeps logs readable.
std::atomic<uint32_t> g_next_tag{1};

// One request and its reply on an open connection; the reply's document, or null.
plist::Document Exchange(ServiceSocket& socket, const std::string& request, uint32_t tag) {
  if (!socket.WriteAll(request, kReplyWaitMs)) return nullptr;
  uint8_t raw[kHeaderSize];
  if (!socket.ReadExact(raw, sizeof raw, kReplyWaitMs)) return nullptr;
  const std::optional<size_t> size = ReplyBodySize(DecodeHeader(raw), tag);
  if (!size || *size == 0) return nullptr;
  std::string body(*size, '\0');
  if (!socket.ReadExact(&body[0], body.size(), kReplyWaitMs)) return nullptr;
  return plist::ParseDictionary(body.data(), body.size());
}

std::unique_ptr<ServiceSocket> OpenService() {
  auto socket = std::make_unique<ServiceSocket>();
  if (!socket->Open(ServicePort(), kReplyWaitMs)) return nullptr;
  return socket;
}

// A request on a connection of its own.
plist::Document Ask(std::string (*make)(uint32_t)) {
  std::unique_ptr<ServiceSocket> socket = OpenService();
  if (!socket) return nullptr;
  const uint32_t tag = g_next_tag++;
  return Exchange(*socket, make(tag), tag);
}

}  // namespace

uint16_t ServicePort() {
  return g_service_port.load();
}

void SetServicePort(uint16_t port) {
  g_service_port = port;
}

std::optional<std::vector<AttachedDevice>> ListDevices() {
  const plist::Document reply = Ask(&ListDevicesRequest);
  if (!reply || !plist::GetArray(reply.get(), "DeviceList")) return std::nullopt;
  return ParseDeviceList(reply.get());
}

std::optional<AttachedDevice> FindDevice(const std::string& udid) {
  const std::optional<std::vector<AttachedDevice>> devices = ListDevices();
  if (!devices) return std::nullopt;
  for (const AttachedDevice& d : *devices)
    if (d.udid == udid) return d;
  return std::nullopt;
}

std::optional<PairRecord> ReadPairRecord(const std::string& udid) {
  std::unique_ptr<ServiceSocket> socket = OpenService();
  if (!socket) return std::nullopt;
  const uint32_t tag = g_next_tag++;
  const plist::Document reply = Exchange(*socket, ReadPairRecordRequest(tag, udid), tag);
  if (!reply) return std::nullopt;
  return ParsePairRecordReply(reply.get());
}

std::optional<std::string> ReadBuid() {
  const plist::Document reply = Ask(&ReadBuidRequest);
  if (!reply) return std::nullopt;
  return ParseBuidReply(reply.get());
}

std::unique_ptr<ServiceSocket> ConnectToDevice(uint32_t device_id, uint16_t port) {
  std::unique_ptr<ServiceSocket> socket = OpenService();
  if (!socket) return nullptr;
  const uint32_t tag = g_next_tag++;
  const plist::Document reply = Exchange(*socket, ConnectRequest(tag, device_id, port), tag);
  const std::optional<uint64_t> result = reply ? ParseResult(reply.get()) : std::nullopt;
  if (!result || *result != kResultOk) return nullptr;
  // From here on the connection carries the device port's bytes.
  return socket;
}

}  // namespace vl::usbmux
