// WinSock half of the socket layer: select() waits as the transport's design asks; a refused
// connect is reported through the exception set.
#include "device/socket_layer.h"

#include <winsock2.h>
#include <ws2tcpip.h>

namespace vl::net {
namespace {

SOCKET Sock(NativeSocket s) {
  return static_cast<SOCKET>(s);
}

timeval Timeout(int ms) {
  timeval tv;
  tv.tv_sec = ms / 1000;
  tv.tv_usec = (ms % 1000) * 1000;
  return tv;
}

WaitResult SelectOne(NativeSocket s, bool read, bool write, int timeout_ms) {
  fd_set rs, ws, es;
  FD_ZERO(&rs);
  FD_ZERO(&ws);
  FD_ZERO(&es);
  if (read) FD_SET(Sock(s), &rs);
  if (write) FD_SET(Sock(s), &ws);
  timeval tv = Timeout(timeout_ms);
  const int r = ::select(0, read ? &rs : nullptr, write ? &ws : nullptr, nullptr, &tv);
  if (r == SOCKET_ERROR) return WaitResult::kFailed;
  return r == 0 ? WaitResult::kTimedOut : WaitResult::kReady;
}

sockaddr_in Address(const char* ipv4, uint16_t port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  a.sin_addr.s_addr = inet_addr(ipv4);
  return a;
}

bool WouldBlock() {
  return WSAGetLastError() == WSAEWOULDBLOCK;
}

}  // namespace

SocketLibrary::SocketLibrary() {
  WSADATA data;
  ok_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

SocketLibrary::~SocketLibrary() {
  if (ok_) WSACleanup();
}

NativeSocket OpenTcpSocket() {
  const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  return s == INVALID_SOCKET ? kInvalidSocket : static_cast<NativeSocket>(s);
}

bool SetNonBlocking(NativeSocket s) {
  u_long on = 1;
  return ::ioctlsocket(Sock(s), FIONBIO, &on) == 0;
}

ConnectStart StartConnectLoopback(NativeSocket s, uint16_t port) {
  const sockaddr_in a = Address("127.0.0.1", port);
  if (::connect(Sock(s), reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0) {
    return ConnectStart::kConnected;
  }
  return WouldBlock() ? ConnectStart::kPending : ConnectStart::kFailed;
}

WaitResult WaitForConnect(NativeSocket s, int timeout_ms) {
  fd_set ws, es;
  FD_ZERO(&ws);
  FD_ZERO(&es);
  FD_SET(Sock(s), &ws);
  FD_SET(Sock(s), &es);
  timeval tv = Timeout(timeout_ms);
  const int r = ::select(0, nullptr, &ws, &es, &tv);
  if (r == SOCKET_ERROR) return WaitResult::kFailed;
  if (r == 0) return WaitResult::kTimedOut;
  if (FD_ISSET(Sock(s), &es)) return WaitResult::kFailed;
  return WaitResult::kReady;
}

WaitResult WaitReadable(NativeSocket s, int timeout_ms) {
  return SelectOne(s, true, false, timeout_ms);
}

WaitResult WaitWritable(NativeSocket s, int timeout_ms) {
  return SelectOne(s, false, true, timeout_ms);
}

int ReceiveSome(NativeSocket s, void* buffer, int length) {
  const int n = ::recv(Sock(s), static_cast<char*>(buffer), length, 0);
  if (n >= 0) return n;
  return WouldBlock() ? kIoWouldBlock : kIoError;
}

int SendSome(NativeSocket s, const void* buffer, int length) {
  const int n = ::send(Sock(s), static_cast<const char*>(buffer), length, 0);
  if (n >= 0) return n;
  return WouldBlock() ? kIoWouldBlock : kIoError;
}

void ShutdownBoth(NativeSocket s) {
  if (s != kInvalidSocket) ::shutdown(Sock(s), SD_BOTH);
}

void ShutdownAndClose(NativeSocket s) {
  if (s == kInvalidSocket) return;
  ::shutdown(Sock(s), SD_BOTH);
  ::closesocket(Sock(s));
}

NativeSocket OpenListener(const char* ipv4, uint16_t port, uint16_t* bound_port) {
  const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return kInvalidSocket;
  sockaddr_in a = Address(ipv4, port);
  int len = sizeof a;
  if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(s, 8) != 0 ||
      ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
    ::closesocket(s);
    return kInvalidSocket;
  }
  if (bound_port) *bound_port = ntohs(a.sin_port);
  return static_cast<NativeSocket>(s);
}

NativeSocket AcceptConnection(NativeSocket listener, int timeout_ms) {
  if (WaitReadable(listener, timeout_ms) != WaitResult::kReady) return kInvalidSocket;
  const SOCKET s = ::accept(Sock(listener), nullptr, nullptr);
  if (s == INVALID_SOCKET) return kInvalidSocket;
  const BOOL one = TRUE;
  ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
  return static_cast<NativeSocket>(s);
}

bool SetSendBufferSize(NativeSocket s, int bytes) {
  return ::setsockopt(Sock(s), SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&bytes),
                      sizeof bytes) == 0;
}

}  // namespace vl::net
