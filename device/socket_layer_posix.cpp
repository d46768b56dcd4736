// POSIX half of the socket layer: poll() instead of select() so descriptor numbers are not
// limited by FD_SETSIZE; MSG_NOSIGNAL so a closed peer never raises SIGPIPE.
#include "device/socket_layer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vl::net {
namespace {

int Fd(NativeSocket s) {
  return static_cast<int>(s);
}

WaitResult PollFor(NativeSocket s, short events, int timeout_ms, short* revents) {
  pollfd p{Fd(s), events, 0};
  int r;
  do {
    r = ::poll(&p, 1, timeout_ms);
  } while (r < 0 && errno == EINTR);
  if (r < 0) return WaitResult::kFailed;
  if (r == 0) return WaitResult::kTimedOut;
  *revents = p.revents;
  if (p.revents & POLLNVAL) return WaitResult::kFailed;
  return WaitResult::kReady;
}

sockaddr_in LoopbackAddress(const char* ipv4, uint16_t port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  ::inet_pton(AF_INET, ipv4, &a.sin_addr);
  return a;
}

}  // namespace

SocketLibrary::SocketLibrary() : ok_(true) {}
SocketLibrary::~SocketLibrary() = default;

NativeSocket OpenTcpSocket() {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
  return fd < 0 ? kInvalidSocket : fd;
}

bool SetNonBlocking(NativeSocket s) {
  const int flags = ::fcntl(Fd(s), F_GETFL, 0);
  return flags >= 0 && ::fcntl(Fd(s), F_SETFL, flags | O_NONBLOCK) == 0;
}

ConnectStart StartConnectLoopback(NativeSocket s, uint16_t port) {
  const sockaddr_in a = LoopbackAddress("127.0.0.1", port);
  if (::connect(Fd(s), reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0) {
    return ConnectStart::kConnected;
  }
  return errno == EINPROGRESS ? ConnectStart::kPending : ConnectStart::kFailed;
}

WaitResult WaitForConnect(NativeSocket s, int timeout_ms) {
  short revents = 0;
  const WaitResult r = PollFor(s, POLLOUT, timeout_ms, &revents);
  if (r != WaitResult::kReady) return r;
  // A refused connect shows up as writable with a pending socket error.
  int error = 0;
  socklen_t len = sizeof error;
  if (::getsockopt(Fd(s), SOL_SOCKET, SO_ERROR, &error, &len) != 0 || error != 0) {
    return WaitResult::kFailed;
  }
  return (revents & (POLLERR | POLLHUP)) ? WaitResult::kFailed : WaitResult::kReady;
}

WaitResult WaitReadable(NativeSocket s, int timeout_ms) {
  short revents = 0;
  // Hang-up and error count as readable: the following recv reports them.
  return PollFor(s, POLLIN, timeout_ms, &revents);
}

WaitResult WaitWritable(NativeSocket s, int timeout_ms) {
  short revents = 0;
  return PollFor(s, POLLOUT, timeout_ms, &revents);
}

int ReceiveSome(NativeSocket s, void* buffer, int length) {
  ssize_t n;
  do {
    n = ::recv(Fd(s), buffer, static_cast<size_t>(length), 0);
  } while (n < 0 && errno == EINTR);
  if (n >= 0) return static_cast<int>(n);
  return (errno == EAGAIN || errno == EWOULDBLOCK) ? kIoWouldBlock : kIoError;
}

int SendSome(NativeSocket s, const void* buffer, int length) {
  ssize_t n;
  do {
    n = ::send(Fd(s), buffer, static_cast<size_t>(length), MSG_NOSIGNAL);
  } while (n < 0 && errno == EINTR);
  if (n >= 0) return static_cast<int>(n);
  return (errno == EAGAIN || errno == EWOULDBLOCK) ? kIoWouldBlock : kIoError;
}

void ShutdownBoth(NativeSocket s) {
  if (s != kInvalidSocket) ::shutdown(Fd(s), SHUT_RDWR);
}

void ShutdownAndClose(NativeSocket s) {
  if (s == kInvalidSocket) return;
  ::shutdown(Fd(s), SHUT_RDWR);
  ::close(Fd(s));
}

NativeSocket OpenListener(const char* ipv4, uint16_t port, uint16_t* bound_port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
  if (fd < 0) return kInvalidSocket;
  const int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in a = LoopbackAddress(ipv4, port);
  socklen_t len = sizeof a;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 8) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
    ::close(fd);
    return kInvalidSocket;
  }
  if (bound_port) *bound_port = ntohs(a.sin_port);
  return fd;
}

NativeSocket AcceptConnection(NativeSocket listener, int timeout_ms) {
  if (WaitReadable(listener, timeout_ms) != WaitResult::kReady) return kInvalidSocket;
  int fd;
  do {
    fd = ::accept4(Fd(listener), nullptr, nullptr, SOCK_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return kInvalidSocket;
  const int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return fd;
}

bool SetSendBufferSize(NativeSocket s, int bytes) {
  return ::setsockopt(Fd(s), SOL_SOCKET, SO_SNDBUF, &bytes, sizeof bytes) == 0;
}

}  // namespace vl::net
