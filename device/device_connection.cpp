#include "device/device_connection.h"

#include "device/adb_bridge.h"
#include "device/device_entry.h"
#include "device/process_runner.h"

namespace vl {

DeviceConnection::DeviceConnection() = default;

DeviceConnection::~DeviceConnection() {
  std::lock_guard<std::mutex> lock(state_lock_);
  ReleaseAll();
}

int DeviceConnection::Connect(int32_t kind, std::string identifier, int32_t port) {
  const uint16_t low_port = static_cast<uint16_t>(static_cast<uint32_t>(port) & 0xFFFFu);
  int opened = 0;
  {
    std::unique_lock<std::mutex> lock(state_lock_);
    kind_ = kind;
    if (interrupted_) return 0;  // the run was ended before the transport opened
    if (kind == kDeviceKindIos) {
      opened = ConnectIos(identifier, low_port);
    } else if (kind == kDeviceKindAndroid) {
      opened = ConnectAndroid(identifier, low_port);
      if (opened < 0) {
        lock.unlock();
        Close();
        return 0;
      }
    } else {
      lock.unlock();
      Close();
      return 0;
    }
  }
  if (opened != 1) return 0;
  // The handshake runs outside the state lock: it reads and writes through Send/Receive.
  if (OnConnected() == 0) {
    Close();
    return 0;
  }
  connected_ = 1;
  return 1;
}

int DeviceConnection::ConnectIos(const std::string& udid, uint16_t port) {
  ios_ = chosen_ios_ ? chosen_ios_ : GetIosApi();
  if (!ios_) return 0;
  if (ios_->device_new(&device_, udid.c_str()) != 0) return 0;
  if (ios_->connect(device_, port, &connection_) != 0) return 0;
  if (ios_->lockdown_new_with_handshake(device_, &lockdown_, kIosClientLabel) != 0) return 0;
  return 1;
}

// 1 when the TCP connection is up, 0 on failure, -1 on a failure that also closes.
int DeviceConnection::ConnectAndroid(const std::string& serial, uint16_t port) {
  {
    ProcessRunner runner;
    if (!AdbForward(runner, serial, kForwardPort, kForwardPort)) return 0;
  }
  const net::NativeSocket s = net::OpenTcpSocket();
  if (s == net::kInvalidSocket) return -1;
  socket_ = s;
  net::SetNonBlocking(s);
  const net::ConnectStart started = net::StartConnectLoopback(s, port);
  if (started == net::ConnectStart::kFailed) return 0;
  if (started == net::ConnectStart::kPending &&
      net::WaitForConnect(s, kWaitMs) != net::WaitResult::kReady) {
    return 0;
  }
  return 1;
}

void DeviceConnection::Close() {
  std::lock_guard<std::mutex> lock(state_lock_);
  connected_ = 0;
  ReleaseAll();
}

void DeviceConnection::Interrupt() {
  std::lock_guard<std::mutex> lock(state_lock_);
  interrupted_ = true;
  net::ShutdownBoth(socket_.load());
  int fd = -1;
  if (ios_ && connection_ && ios_->connection_get_fd &&
      ios_->connection_get_fd(connection_, &fd) == 0 && fd >= 0) {
    net::ShutdownBoth(static_cast<net::NativeSocket>(fd));
  }
}

void DeviceConnection::ReleaseAll() {
  // First wake a reader or writer blocked on the transport (shutting a socket down leaves its
  // descriptor valid), then free the handles under the receive and send locks: no call may be
  // inside the library with a connection being freed, nor use a closed descriptor's number.
  const net::NativeSocket s = socket_.load();
  if (s != net::kInvalidSocket) net::ShutdownBoth(s);
  int fd = -1;
  if (ios_ && connection_ && ios_->connection_get_fd &&
      ios_->connection_get_fd(connection_, &fd) == 0 && fd >= 0) {
    net::ShutdownBoth(static_cast<net::NativeSocket>(fd));
  }
  std::lock_guard<std::mutex> receiving(receive_lock_);
  std::lock_guard<std::mutex> sending(send_lock_);
  if (ios_) {
    if (lockdown_) ios_->lockdown_free(lockdown_);
    if (connection_) ios_->disconnect(connection_);
    if (device_) ios_->device_free(device_);
  }
  lockdown_ = nullptr;
  connection_ = nullptr;
  device_ = nullptr;
  if (s != net::kInvalidSocket) {
    net::ShutdownAndClose(s);
    socket_ = net::kInvalidSocket;
  }
}

int32_t DeviceConnection::Receive(void* buffer, int32_t length) {
  std::lock_guard<std::mutex> lock(receive_lock_);
  if (length < 1) return 0;
  char* out = static_cast<char*>(buffer);
  switch (kind_.load()) {
    case kDeviceKindIos:
      return ReceiveIos(out, length, false);
    case kDeviceKindAndroid:
      return ReceiveAndroid(out, length, false);
    default:
      return 0;
  }
}

int32_t DeviceConnection::ReceiveSome(void* buffer, int32_t capacity) {
  std::lock_guard<std::mutex> lock(receive_lock_);
  if (capacity < 1) return 0;
  char* out = static_cast<char*>(buffer);
  switch (kind_.load()) {
    case kDeviceKindIos:
      return ReceiveIos(out, capacity, true);
    case kDeviceKindAndroid:
      return ReceiveAndroid(out, capacity, true);
    default:
      return 0;
  }
}

int32_t DeviceConnection::ReceiveIos(char* buffer, int32_t length, bool some) {
  if (!connection_ || !ios_) return 0;
  int32_t done = 0;
  while (done < length && !interrupted_) {
    uint32_t got = 0;
    const int r = ios_->receive_timeout(connection_, buffer + done,
                                        static_cast<uint32_t>(length - done), &got, kWaitMs);
    if (r != 0 || got < 1) return done;
    done += static_cast<int32_t>(got);
    if (some) break;
  }
  return done;
}

// -1 on a wait error, time-out or receive error (bytes already in are lost to the caller);
// the short count when the peer closed.
int32_t DeviceConnection::ReceiveAndroid(char* buffer, int32_t length, bool some) {
  const net::NativeSocket s = socket_.load();
  if (s == net::kInvalidSocket) return 0;
  // Bytes already buffered are taken at once; only an empty socket waits (each wait is a
  // server round trip under Wine). The outcomes are those of waiting first.
  int32_t done = 0;
  while (done < length) {
    if (interrupted_) return -1;
    const int n = net::ReceiveSome(s, buffer + done, length - done);
    if (n == net::kIoWouldBlock) {
      if (net::WaitReadable(s, kWaitMs) != net::WaitResult::kReady) return -1;
      continue;
    }
    if (n < 0) return -1;
    if (n == 0) return done;
    done += n;
    if (some) break;
  }
  return done;
}

int32_t DeviceConnection::Send(const void* buffer, int32_t length) {
  std::lock_guard<std::mutex> lock(send_lock_);
  if (length < 1) return 0;
  const char* in = static_cast<const char*>(buffer);
  switch (kind_.load()) {
    case kDeviceKindIos:
      return SendIos(in, length);
    case kDeviceKindAndroid:
      return SendAndroid(in, length);
    default:
      return 0;
  }
}

int32_t DeviceConnection::SendIos(const char* buffer, int32_t length) {
  if (!connection_ || !ios_) return 0;
  int32_t done = 0;
  while (done < length && !interrupted_) {
    uint32_t sent = 0;
    const int r =
        ios_->send(connection_, buffer + done, static_cast<uint32_t>(length - done), &sent);
    if (r != 0 || sent < 1) return done;
    done += static_cast<int32_t>(sent);
  }
  return done;
}

int32_t DeviceConnection::SendAndroid(const char* buffer, int32_t length) {
  const net::NativeSocket s = socket_.load();
  if (s == net::kInvalidSocket) return 0;
  int32_t done = 0;
  while (done < length) {
    if (interrupted_) return -1;
    const int n = net::SendSome(s, buffer + done, length - done);
    if (n == net::kIoWouldBlock) {
      if (net::WaitWritable(s, kWaitMs) != net::WaitResult::kReady) return -1;
      continue;
    }
    if (n < 0) return -1;
    done += n;
  }
  return done;
}

}  // namespace vl
