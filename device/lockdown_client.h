// A session with an iPhone's lockdown service, as this computer's paired host: the pair record
// from the mobile-device service, QueryType, StartSession with the record's HostID and
// SystemBUID, and TLS with the record's host certificate and key when the phone asks for it
// (real phones do). Values are then read inside the session; the session is stopped when the
// client goes.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "device/service_socket.h"
#include "device/usbmux_protocol.h"

namespace vl {

class LockdownClient {
 public:
  // Each reply of the phone is waited for at most this long.
  static constexpr int kReplyWaitMs = 10000;
  static constexpr int kStopWaitMs = 2000;

  LockdownClient() = default;
  ~LockdownClient();
  LockdownClient(const LockdownClient&) = delete;
  LockdownClient& operator=(const LockdownClient&) = delete;

  // The handshake. False when the device was never paired with this computer (no pair record),
  // or the service, the device or the session refuses, or anything it answers is unusable.
  bool Open(const usbmux::AttachedDevice& device, const std::string& label);
  // A string value of the device (GetValue), bounded by max_bytes.
  std::optional<std::string> GetStringValue(const std::string& key, size_t max_bytes);

 private:
  plist::Document Exchange(const std::string& request, int timeout_ms);

  std::string label_;
  std::unique_ptr<ServiceSocket> socket_;
  std::string session_id_;
};

}  // namespace vl
