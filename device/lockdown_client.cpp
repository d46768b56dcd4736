#include "device/lockdown_client.h"

#include "device/lockdown_protocol.h"
#include "device/usbmux_client.h"

namespace vl {

LockdownClient::~LockdownClient() {
  if (socket_ && !session_id_.empty()) {
    // The phone may close the connection after answering; its answer is not needed.
    Exchange(lockdown::StopSessionRequest(label_, session_id_), kStopWaitMs);
  }
}

plist::Document LockdownClient::Exchange(const std::string& request, int timeout_ms) {
  if (!socket_ || !socket_->WriteAll(request, timeout_ms)) return nullptr;
  uint8_t length[lockdown::kLengthSize];
  if (!socket_->ReadExact(length, sizeof length, timeout_ms)) return nullptr;
  const std::optional<size_t> size = lockdown::DecodeLength(length);
  if (!size) return nullptr;
  std::string body(*size, '\0');
  if (!socket_->ReadExact(&body[0], body.size(), timeout_ms)) return nullptr;
  return plist::ParseDictionary(body.data(), body.size());
}

bool LockdownClient::Open(const usbmux::AttachedDevice& device, const std::string& label) {
  label_ = label;
  // A phone never trusted on this computer has no pair record: nothing to open a session with.
  const std::optional<usbmux::PairRecord> pair = usbmux::ReadPairRecord(device.udid);
  if (!pair) return false;
  std::string buid = pair->system_buid;
  if (buid.empty()) buid = usbmux::ReadBuid().value_or(std::string());
  if (buid.empty()) return false;

  socket_ = usbmux::ConnectToDevice(device.device_id, usbmux::kLockdownPort);
  if (!socket_) return false;
  const plist::Document type = Exchange(lockdown::QueryTypeRequest(label_), kReplyWaitMs);
  if (!type || !lockdown::IsLockdownService(type.get())) return false;
  const plist::Document started =
      Exchange(lockdown::StartSessionRequest(label_, pair->host_id, buid), kReplyWaitMs);
  const std::optional<lockdown::Session> session =
      started ? lockdown::ParseStartSession(started.get()) : std::nullopt;
  if (!session) return false;
  session_id_ = session->id;
  if (session->ssl &&
      (pair->host_certificate.empty() || pair->host_private_key.empty() ||
       !socket_->StartTls(pair->host_certificate, pair->host_private_key, kReplyWaitMs))) {
    socket_.reset();  // the conversation cannot go on outside TLS
    return false;
  }
  return true;
}

std::optional<std::string> LockdownClient::GetStringValue(const std::string& key,
                                                          size_t max_bytes) {
  const plist::Document reply = Exchange(lockdown::GetValueRequest(label_, key), kReplyWaitMs);
  if (!reply) return std::nullopt;
  return lockdown::StringValue(reply.get(), max_bytes);
}

}  // namespace vl
