// The client side of TLS over a connected socket (mbedTLS), for lockdown sessions that the
// phone moves into TLS. The host presents the certificate and key of its pair record; the
// phone's own certificate is made by the phone and is not verified (nothing vouches for it).
// Every call is bounded by its time-out.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "device/socket_layer.h"

namespace vl {

class TlsClient {
 public:
  TlsClient();
  ~TlsClient();
  TlsClient(const TlsClient&) = delete;
  TlsClient& operator=(const TlsClient&) = delete;

  // The handshake over `socket` (non-blocking, owned by the caller, which keeps it open for
  // this object's life). False when the certificate or key cannot be read or the handshake
  // fails or takes longer than timeout_ms.
  bool Handshake(net::NativeSocket socket, const std::string& certificate_pem,
                 const std::string& private_key_pem, int timeout_ms);
  // All of the bytes, within timeout_ms.
  bool WriteAll(const void* data, size_t length, int timeout_ms);
  // Exactly `length` bytes within timeout_ms; false on time-out, error or the end of the
  // session.
  bool ReadExact(void* data, size_t length, int timeout_ms);
  // Tells the phone the session ends (best effort, not waited for).
  void Notify();

 private:
  struct Session;
  std::unique_ptr<Session> session_;
};

}  // namespace vl
