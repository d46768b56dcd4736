#include "device/lockdown_protocol.h"

namespace vl::lockdown {
namespace {

constexpr char kLockdownType[] = "com.apple.mobile.lockdown";

plist::Document Request(const std::string& label, const char* request) {
  plist::Document doc = plist::NewDictionary();
  plist::SetString(doc.get(), "Label", label);
  plist::SetString(doc.get(), "Request", request);
  return doc;
}

std::string Framed(const plist::Document& doc) {
  const std::string body = plist::ToXml(doc.get());
  const uint32_t n = static_cast<uint32_t>(body.size());
  std::string out;
  out.reserve(kLengthSize + body.size());
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<char>((n >> shift) & 0xFF));
  return out + body;
}

}  // namespace

std::optional<size_t> DecodeLength(const uint8_t (&bytes)[kLengthSize]) {
  const uint32_t n = static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
                     static_cast<uint32_t>(bytes[2]) << 8 | static_cast<uint32_t>(bytes[3]);
  if (n == 0 || n > kMaxMessageBytes) return std::nullopt;
  return n;
}

std::string QueryTypeRequest(const std::string& label) {
  return Framed(Request(label, "QueryType"));
}

std::string GetValueRequest(const std::string& label, const std::string& key) {
  plist::Document doc = Request(label, "GetValue");
  plist::SetString(doc.get(), "Key", key);
  return Framed(doc);
}

std::string StartSessionRequest(const std::string& label, const std::string& host_id,
                                const std::string& system_buid) {
  plist::Document doc = Request(label, "StartSession");
  plist::SetString(doc.get(), "HostID", host_id);
  plist::SetString(doc.get(), "SystemBUID", system_buid);
  return Framed(doc);
}

std::string StopSessionRequest(const std::string& label, const std::string& session_id) {
  plist::Document doc = Request(label, "StopSession");
  plist::SetString(doc.get(), "SessionID", session_id);
  return Framed(doc);
}

bool IsSuccess(plist::Node reply, const char* request) {
  const std::optional<std::string> echoed = plist::GetString(reply, "Request", 64);
  if (!echoed || *echoed != request) return false;
  return !plist::GetString(reply, "Error", kMaxValueBytes);
}

bool IsLockdownService(plist::Node reply) {
  const std::optional<std::string> type = plist::GetString(reply, "Type", 64);
  return IsSuccess(reply, "QueryType") && type && *type == kLockdownType;
}

std::optional<std::string> StringValue(plist::Node reply, size_t max_bytes) {
  if (!IsSuccess(reply, "GetValue")) return std::nullopt;
  return plist::GetString(reply, "Value", max_bytes);
}

std::optional<Session> ParseStartSession(plist::Node reply) {
  if (!IsSuccess(reply, "StartSession")) return std::nullopt;
  const std::optional<std::string> id = plist::GetString(reply, "SessionID", kMaxValueBytes);
  if (!id || id->empty()) return std::nullopt;
  return Session{*id, plist::GetBool(reply, "EnableSessionSSL").value_or(false)};
}

}  // namespace vl::lockdown
