// Thin TCP layer under the device transport and the phone simulator. One header, a WinSock and
// a POSIX implementation, so the transport above it is written once. Sockets here are plain
// numbers owned by the caller; every wait is bounded by the caller's time-out.
#pragma once

#include <cstdint>

namespace vl::net {

using NativeSocket = intptr_t;
constexpr NativeSocket kInvalidSocket = -1;

// Results of ReceiveSome/SendSome besides a positive byte count (and 0 = peer closed).
constexpr int kIoError = -1;
constexpr int kIoWouldBlock = -2;

enum class WaitResult { kReady, kTimedOut, kFailed };
enum class ConnectStart { kPending, kConnected, kFailed };

// Keeps the socket library initialised for its lifetime (WSAStartup; nothing on POSIX).
class SocketLibrary {
 public:
  SocketLibrary();
  ~SocketLibrary();
  SocketLibrary(const SocketLibrary&) = delete;
  SocketLibrary& operator=(const SocketLibrary&) = delete;
  bool ok() const { return ok_; }

 private:
  bool ok_ = false;
};

NativeSocket OpenTcpSocket();
bool SetNonBlocking(NativeSocket s);
// Starts a connect to 127.0.0.1:port. kPending is the usual answer of a non-blocking socket.
ConnectStart StartConnectLoopback(NativeSocket s, uint16_t port);
// Waits for a started connect: kFailed when select fails or the connect was refused.
WaitResult WaitForConnect(NativeSocket s, int timeout_ms);
WaitResult WaitReadable(NativeSocket s, int timeout_ms);
WaitResult WaitWritable(NativeSocket s, int timeout_ms);
// A positive count, 0 when the peer closed (receive only), kIoWouldBlock or kIoError.
int ReceiveSome(NativeSocket s, void* buffer, int length);
int SendSome(NativeSocket s, const void* buffer, int length);
// shutdown(both) then close; ignores an invalid socket.
void ShutdownAndClose(NativeSocket s);
// Half-close: wakes a reader blocked on this socket without freeing the descriptor.
void ShutdownBoth(NativeSocket s);

// Listening side (phone simulator and tests): bind to ipv4:port (0 picks a free port).
NativeSocket OpenListener(const char* ipv4, uint16_t port, uint16_t* bound_port);
// Waits up to timeout_ms for a connection; kInvalidSocket on time-out or error.
NativeSocket AcceptConnection(NativeSocket listener, int timeout_ms);
// Shrinks the kernel send buffer (tests use it to split writes into many pieces).
bool SetSendBufferSize(NativeSocket s, int bytes);

}  // namespace vl::net
