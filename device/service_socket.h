// One TCP connection to the mobile-device service on loopback: requests to the service itself,
// or, after a Connect, the byte stream to a port of a device, which a lockdown session may move
// into TLS. Owns its socket (non-blocking); every read and write is bounded by a time-out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "device/socket_layer.h"
#include "device/tls_client.h"

namespace vl {

class ServiceSocket {
 public:
  ServiceSocket() = default;
  ~ServiceSocket();
  ServiceSocket(const ServiceSocket&) = delete;
  ServiceSocket& operator=(const ServiceSocket&) = delete;

  // Connects to 127.0.0.1:port; false when nothing answers there within timeout_ms.
  bool Open(uint16_t port, int timeout_ms);
  bool WriteAll(const std::string& bytes, int timeout_ms);
  // Exactly `length` bytes; false on time-out, error or the end of the stream.
  bool ReadExact(void* data, size_t length, int timeout_ms);

  // From here on reads and writes go through TLS (see TlsClient).
  bool StartTls(const std::string& certificate_pem, const std::string& private_key_pem,
                int timeout_ms);
  bool tls() const { return tls_ != nullptr; }

  // Hands the socket over to the caller (a device connection that carries plain bytes).
  net::NativeSocket Release();
  net::NativeSocket native() const { return socket_; }

 private:
  net::NativeSocket socket_ = net::kInvalidSocket;
  std::unique_ptr<TlsClient> tls_;
};

}  // namespace vl
