#include "device/usbmux_protocol.h"

#include <algorithm>
#include <limits>

namespace vl::usbmux {
namespace {

constexpr char kProgramName[] = "lumaroo";
constexpr char kClientVersion[] = "velloria-1";
constexpr uint64_t kLibraryProtocolVersion = 3;

void PutLittle32(std::string& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

uint32_t Little32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

plist::Document Request(const char* type) {
  plist::Document doc = plist::NewDictionary();
  plist::SetString(doc.get(), "MessageType", type);
  plist::SetString(doc.get(), "ProgName", kProgramName);
  plist::SetString(doc.get(), "ClientVersionString", kClientVersion);
  plist::SetUint(doc.get(), "kLibUSBMuxVersion", kLibraryProtocolVersion);
  return doc;
}

std::string Message(uint32_t tag, const plist::Document& doc) {
  const std::string body = plist::ToXml(doc.get());
  std::string out;
  out.reserve(kHeaderSize + body.size());
  PutLittle32(out, static_cast<uint32_t>(kHeaderSize + body.size()));
  PutLittle32(out, kVersionPlist);
  PutLittle32(out, kMessagePlist);
  PutLittle32(out, tag);
  return out + body;
}

}  // namespace

Header DecodeHeader(const uint8_t (&bytes)[kHeaderSize]) {
  return Header{Little32(bytes), Little32(bytes + 4), Little32(bytes + 8), Little32(bytes + 12)};
}

std::optional<size_t> ReplyBodySize(const Header& header, uint32_t tag) {
  if (header.version != kVersionPlist || header.message != kMessagePlist || header.tag != tag)
    return std::nullopt;
  if (header.length < kHeaderSize || header.length - kHeaderSize > kMaxMessageBytes)
    return std::nullopt;
  return header.length - kHeaderSize;
}

std::string ListDevicesRequest(uint32_t tag) {
  return Message(tag, Request("ListDevices"));
}

std::string ReadPairRecordRequest(uint32_t tag, const std::string& udid) {
  plist::Document doc = Request("ReadPairRecord");
  plist::SetString(doc.get(), "PairRecordID", udid);
  return Message(tag, doc);
}

std::string ReadBuidRequest(uint32_t tag) {
  return Message(tag, Request("ReadBUID"));
}

std::string ConnectRequest(uint32_t tag, uint32_t device_id, uint16_t port) {
  plist::Document doc = Request("Connect");
  plist::SetUint(doc.get(), "DeviceID", device_id);
  const uint16_t network_order = static_cast<uint16_t>((port & 0xFF) << 8 | (port >> 8));
  plist::SetUint(doc.get(), "PortNumber", network_order);
  return Message(tag, doc);
}

bool IsPlausibleUdid(const std::string& udid) {
  if (udid.empty() || udid.size() > kMaxUdidBytes) return false;
  return std::all_of(udid.begin(), udid.end(), [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-';
  });
}

std::vector<AttachedDevice> ParseDeviceList(plist::Node reply) {
  std::vector<AttachedDevice> devices;
  plist::Node list = plist::GetArray(reply, "DeviceList");
  const size_t count = plist::ArraySize(list);
  for (size_t i = 0; i < count && devices.size() < kMaxDevices; ++i) {
    plist::Node entry = plist::ArrayDictionary(list, i);
    const std::optional<std::string> type = plist::GetString(entry, "MessageType", 32);
    if (type && *type != "Attached") continue;
    const std::optional<uint64_t> id = plist::GetUint(entry, "DeviceID");
    if (!id || *id == 0 || *id > std::numeric_limits<uint32_t>::max()) continue;
    plist::Node props = plist::GetDictionary(entry, "Properties");
    const std::optional<std::string> udid = plist::GetString(props, "SerialNumber", kMaxUdidBytes);
    if (!udid || !IsPlausibleUdid(*udid)) continue;
    // Wi-Fi entries of the same phone carry no USB service ports.
    const std::optional<std::string> connection = plist::GetString(props, "ConnectionType", 32);
    if (connection && *connection != "USB") continue;
    const bool repeated = std::any_of(devices.begin(), devices.end(),
                                      [&](const AttachedDevice& d) { return d.udid == *udid; });
    if (repeated) continue;
    devices.push_back(AttachedDevice{static_cast<uint32_t>(*id), *udid});
  }
  return devices;
}

std::optional<uint64_t> ParseResult(plist::Node reply) {
  const std::optional<std::string> type = plist::GetString(reply, "MessageType", 32);
  if (!type || *type != "Result") return std::nullopt;
  return plist::GetUint(reply, "Number");
}

std::optional<PairRecord> ParsePairRecordReply(plist::Node reply) {
  const std::optional<std::string> data =
      plist::GetData(reply, "PairRecordData", kMaxPairRecordBytes);
  if (!data) return std::nullopt;
  const plist::Document record = plist::ParseDictionary(data->data(), data->size());
  if (!record) return std::nullopt;
  PairRecord pair;
  const std::optional<std::string> host_id =
      plist::GetString(record.get(), "HostID", kMaxPairItemBytes);
  if (!host_id || host_id->empty()) return std::nullopt;
  pair.host_id = *host_id;
  pair.system_buid =
      plist::GetString(record.get(), "SystemBUID", kMaxPairItemBytes).value_or(std::string());
  pair.host_certificate =
      plist::GetData(record.get(), "HostCertificate", kMaxPairItemBytes).value_or(std::string());
  pair.host_private_key =
      plist::GetData(record.get(), "HostPrivateKey", kMaxPairItemBytes).value_or(std::string());
  return pair;
}

std::optional<std::string> ParseBuidReply(plist::Node reply) {
  std::optional<std::string> buid = plist::GetString(reply, "BUID", kMaxPairItemBytes);
  if (buid && buid->empty()) return std::nullopt;
  return buid;
}

}  // namespace vl::usbmux
