// The phone's side of a TLS lockdown session in the fake (mbed TLS over a blocking socket):
// the device certificate of the generated pairing, and a demand for the host's certificate,
// whose identity is reported so that tests see what the client presented.
#pragma once

#include <cstddef>
#include <memory>

namespace vl::fake_usbmuxd {

enum class PresentedCertificate { kNone, kHost, kRoot, kStranger };

class TlsServer {
 public:
  explicit TlsServer(int fd);
  ~TlsServer();
  TlsServer(const TlsServer&) = delete;
  TlsServer& operator=(const TlsServer&) = delete;

  // False when the handshake fails; `presented` says which certificate the client sent.
  bool Handshake(PresentedCertificate* presented);
  bool ReadExact(void* data, size_t length);
  bool WriteAll(const void* data, size_t length);

 private:
  struct Session;
  std::unique_ptr<Session> session_;
};

}  // namespace vl::fake_usbmuxd
