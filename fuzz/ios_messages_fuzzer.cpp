// Replies of the mobile-device service and of an iPhone's lockdown service as the program's
// iPhone client reads them: a usbmuxd header or a lockdown length, then a property list (XML or
// binary) that the parsers take apart. Any bytes the service or the phone may send.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "device/lockdown_protocol.h"
#include "device/property_list.h"
#include "device/usbmux_protocol.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

void ParseBody(const uint8_t* data, size_t size) {
  const vl::plist::Document reply = vl::plist::ParseDictionary(data, size);
  if (!reply) return;
  for (const vl::usbmux::AttachedDevice& d : vl::usbmux::ParseDeviceList(reply.get())) {
    Check(vl::usbmux::IsPlausibleUdid(d.udid));
    Check(d.device_id != 0);
  }
  Check(vl::usbmux::ParseDeviceList(reply.get()).size() <= vl::usbmux::kMaxDevices);
  (void)vl::usbmux::ParseResult(reply.get());
  if (const auto pair = vl::usbmux::ParsePairRecordReply(reply.get())) {
    Check(!pair->host_id.empty() && pair->host_id.size() <= vl::usbmux::kMaxPairItemBytes);
    Check(pair->host_certificate.size() <= vl::usbmux::kMaxPairItemBytes);
    Check(pair->host_private_key.size() <= vl::usbmux::kMaxPairItemBytes);
  }
  (void)vl::usbmux::ParseBuidReply(reply.get());
  (void)vl::lockdown::IsLockdownService(reply.get());
  if (const auto name = vl::lockdown::StringValue(reply.get(), vl::lockdown::kMaxDeviceNameBytes))
    Check(name->size() <= vl::lockdown::kMaxDeviceNameBytes);
  if (const auto session = vl::lockdown::ParseStartSession(reply.get()))
    Check(!session->id.empty());
}

}  // namespace

// The first byte says how the rest arrives: even, after a usbmuxd header; odd, after a lockdown
// length.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const bool mux = (data[0] & 1) == 0;
  ++data;
  --size;
  if (mux) {
    if (size < vl::usbmux::kHeaderSize) return 0;
    uint8_t raw[vl::usbmux::kHeaderSize];
    std::memcpy(raw, data, sizeof raw);
    const vl::usbmux::Header header = vl::usbmux::DecodeHeader(raw);
    const auto body = vl::usbmux::ReplyBodySize(header, header.tag);
    if (!body) return 0;
    Check(*body <= vl::usbmux::kMaxMessageBytes);
    data += sizeof raw;
    size -= sizeof raw;
  } else {
    if (size < vl::lockdown::kLengthSize) return 0;
    uint8_t raw[vl::lockdown::kLengthSize];
    std::memcpy(raw, data, sizeof raw);
    const auto body = vl::lockdown::DecodeLength(raw);
    if (!body) return 0;
    Check(*body <= vl::lockdown::kMaxMessageBytes);
    data += sizeof raw;
    size -= sizeof raw;
  }
  ParseBody(data, size);
  return 0;
}
