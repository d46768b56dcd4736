#include "device/service_socket.h"

#include <climits>

#include "device/deadline.h"

namespace vl {

ServiceSocket::~ServiceSocket() {
  if (tls_) tls_->Notify();
  tls_.reset();
  net::ShutdownAndClose(socket_);
}

bool ServiceSocket::Open(uint16_t port, int timeout_ms) {
  socket_ = net::OpenTcpSocket();
  if (socket_ == net::kInvalidSocket || !net::SetNonBlocking(socket_)) return false;
  switch (net::StartConnectLoopback(socket_, port)) {
    case net::ConnectStart::kConnected:
      return true;
    case net::ConnectStart::kPending:
      return net::WaitForConnect(socket_, timeout_ms) == net::WaitResult::kReady;
    case net::ConnectStart::kFailed:
      break;
  }
  return false;
}

bool ServiceSocket::WriteAll(const std::string& bytes, int timeout_ms) {
  if (tls_) return tls_->WriteAll(bytes.data(), bytes.size(), timeout_ms);
  const Deadline deadline(timeout_ms);
  size_t done = 0;
  while (done < bytes.size()) {
    const size_t left = bytes.size() - done;
    const int n = net::SendSome(socket_, bytes.data() + done,
                                static_cast<int>(left < INT_MAX ? left : INT_MAX));
    if (n == net::kIoWouldBlock) {
      if (net::WaitWritable(socket_, deadline.RemainingMs()) != net::WaitResult::kReady)
        return false;
      continue;
    }
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

bool ServiceSocket::ReadExact(void* data, size_t length, int timeout_ms) {
  if (tls_) return tls_->ReadExact(data, length, timeout_ms);
  const Deadline deadline(timeout_ms);
  auto* out = static_cast<char*>(data);
  size_t done = 0;
  while (done < length) {
    const size_t left = length - done;
    const int n =
        net::ReceiveSome(socket_, out + done, static_cast<int>(left < INT_MAX ? left : INT_MAX));
    if (n == net::kIoWouldBlock) {
      if (net::WaitReadable(socket_, deadline.RemainingMs()) != net::WaitResult::kReady)
        return false;
      continue;
    }
    if (n <= 0) return false;  // an error, or the other side closed
    done += static_cast<size_t>(n);
  }
  return true;
}

bool ServiceSocket::StartTls(const std::string& certificate_pem, const std::string& private_key_pem,
                             int timeout_ms) {
  auto tls = std::make_unique<TlsClient>();
  if (!tls->Handshake(socket_, certificate_pem, private_key_pem, timeout_ms)) return false;
  tls_ = std::move(tls);
  return true;
}

net::NativeSocket ServiceSocket::Release() {
  const net::NativeSocket s = socket_;
  socket_ = net::kInvalidSocket;
  tls_.reset();
  return s;
}

}  // namespace vl
