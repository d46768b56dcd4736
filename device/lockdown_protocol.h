// The messages of an iPhone's lockdown service (device port 62078): a 32-bit big-endian length
// and an XML property list, the same inside and outside TLS. Building requests and reading
// replies, with no I/O; replies come from the phone and are bounded here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "device/property_list.h"

namespace vl::lockdown {

inline constexpr size_t kLengthSize = 4;
// The largest reply accepted; the values this program asks for are short.
inline constexpr uint32_t kMaxMessageBytes = 1u << 20;
inline constexpr size_t kMaxValueBytes = 4096;
// A name longer than this is treated as no name.
inline constexpr size_t kMaxDeviceNameBytes = 1024;

// The body length a reply announces, or nothing when it is 0 or above kMaxMessageBytes.
std::optional<size_t> DecodeLength(const uint8_t (&bytes)[kLengthSize]);

// Whole request messages, length included.
std::string QueryTypeRequest(const std::string& label);
std::string GetValueRequest(const std::string& label, const std::string& key);
std::string StartSessionRequest(const std::string& label, const std::string& host_id,
                                const std::string& system_buid);
std::string StopSessionRequest(const std::string& label, const std::string& session_id);

// A reply to `request` (its "Request" echoes the name) without an "Error".
bool IsSuccess(plist::Node reply, const char* request);
// QueryType: the service is lockdown itself.
bool IsLockdownService(plist::Node reply);
// GetValue: the string value, bounded by max_bytes.
std::optional<std::string> StringValue(plist::Node reply, size_t max_bytes);

struct Session {
  std::string id;
  bool ssl = false;  // the conversation continues inside TLS
};
std::optional<Session> ParseStartSession(plist::Node reply);

}  // namespace vl::lockdown
