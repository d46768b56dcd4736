#include "device/ios_client.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "device/lockdown_client.h"
#include "device/lockdown_protocol.h"
#include "device/usbmux_client.h"

namespace vl {
namespace {

// Error codes in the manner of the library's (0 is success).
constexpr int kOk = 0;
constexpr int kInvalidArgument = -1;
constexpr int kFailed = -2;
constexpr int kNoDevice = -3;
constexpr int kTimedOut = -7;

// A device connection write waits at most this long for room in the socket.
constexpr int kSendWaitMs = 10000;

struct ClientDevice {
  usbmux::AttachedDevice attached;
};

struct ClientConnection {
  net::NativeSocket socket = net::kInvalidSocket;
};

char* CopyString(const std::string& text) {
  char* copy = static_cast<char*>(std::malloc(text.size() + 1));
  if (copy) std::memcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

int DeviceListFree(char** udids) {
  if (!udids) return kOk;
  for (char** p = udids; *p; ++p) std::free(*p);
  std::free(udids);
  return kOk;
}

int GetDeviceList(char*** udids, int* count) {
  if (!udids || !count) return kInvalidArgument;
  *udids = nullptr;
  *count = 0;
  const std::optional<std::vector<usbmux::AttachedDevice>> devices = usbmux::ListDevices();
  if (!devices) return kNoDevice;
  char** list = static_cast<char**>(std::calloc(devices->size() + 1, sizeof(char*)));
  if (!list) return kFailed;
  for (size_t i = 0; i < devices->size(); ++i) {
    list[i] = CopyString((*devices)[i].udid);
    if (!list[i]) {
      DeviceListFree(list);
      return kFailed;
    }
  }
  *udids = list;
  *count = static_cast<int>(devices->size());
  return kOk;
}

int DeviceNew(IosDevice* device, const char* udid) {
  if (!device) return kInvalidArgument;
  *device = nullptr;
  if (!udid) return kInvalidArgument;
  const std::optional<usbmux::AttachedDevice> found = usbmux::FindDevice(udid);
  if (!found) return kNoDevice;
  *device = new (std::nothrow) ClientDevice{*found};
  return *device ? kOk : kFailed;
}

int DeviceFree(IosDevice device) {
  if (!device) return kInvalidArgument;
  delete static_cast<ClientDevice*>(device);
  return kOk;
}

int Connect(IosDevice device, uint16_t port, IosConnection* connection) {
  if (!connection) return kInvalidArgument;
  *connection = nullptr;
  if (!device) return kInvalidArgument;
  std::unique_ptr<ServiceSocket> socket =
      usbmux::ConnectToDevice(static_cast<ClientDevice*>(device)->attached.device_id, port);
  if (!socket) return kFailed;
  auto* c = new (std::nothrow) ClientConnection;
  if (!c) return kFailed;
  c->socket = socket->Release();
  *connection = c;
  return kOk;
}

int Disconnect(IosConnection connection) {
  if (!connection) return kInvalidArgument;
  auto* c = static_cast<ClientConnection*>(connection);
  net::ShutdownAndClose(c->socket);
  delete c;
  return kOk;
}

int Send(IosConnection connection, const char* data, uint32_t length, uint32_t* sent) {
  if (!sent) return kInvalidArgument;
  *sent = 0;
  if (!connection || !data) return kInvalidArgument;
  const net::NativeSocket s = static_cast<ClientConnection*>(connection)->socket;
  const int chunk = static_cast<int>(length < INT_MAX ? length : INT_MAX);
  for (;;) {
    const int n = net::SendSome(s, data, chunk);
    if (n > 0) {
      *sent = static_cast<uint32_t>(n);
      return kOk;
    }
    if (n != net::kIoWouldBlock) return kFailed;
    if (net::WaitWritable(s, kSendWaitMs) != net::WaitResult::kReady) return kTimedOut;
  }
}

int ReceiveTimeout(IosConnection connection, char* data, uint32_t length, uint32_t* received,
                   unsigned int timeout_ms) {
  if (!received) return kInvalidArgument;
  *received = 0;
  if (!connection || !data) return kInvalidArgument;
  const net::NativeSocket s = static_cast<ClientConnection*>(connection)->socket;
  const int chunk = static_cast<int>(length < INT_MAX ? length : INT_MAX);
  const int wait = static_cast<int>(timeout_ms < INT_MAX ? timeout_ms : INT_MAX);
  for (;;) {
    const int n = net::ReceiveSome(s, data, chunk);
    if (n > 0) {
      *received = static_cast<uint32_t>(n);
      return kOk;
    }
    if (n != net::kIoWouldBlock) return kFailed;  // the device closed, or the socket failed
    if (net::WaitReadable(s, wait) != net::WaitResult::kReady) return kTimedOut;
  }
}

int LockdownNew(IosDevice device, IosLockdown* client, const char* label) {
  if (!client) return kInvalidArgument;
  *client = nullptr;
  if (!device || !label) return kInvalidArgument;
  auto lockdown = std::make_unique<LockdownClient>();
  if (!lockdown->Open(static_cast<ClientDevice*>(device)->attached, label)) return kFailed;
  *client = lockdown.release();
  return kOk;
}

int LockdownFree(IosLockdown client) {
  if (!client) return kInvalidArgument;
  delete static_cast<LockdownClient*>(client);
  return kOk;
}

int LockdownGetDeviceName(IosLockdown client, char** name) {
  if (!name) return kInvalidArgument;
  *name = nullptr;
  if (!client) return kInvalidArgument;
  const std::optional<std::string> value = static_cast<LockdownClient*>(client)->GetStringValue(
      "DeviceName", lockdown::kMaxDeviceNameBytes);
  if (!value) return kFailed;
  *name = CopyString(*value);
  return *name ? kOk : kFailed;
}

void FreeString(char* text) {
  std::free(text);
}

int ConnectionGetFd(IosConnection connection, int* fd) {
  if (!connection || !fd) return kInvalidArgument;
  *fd = static_cast<int>(static_cast<ClientConnection*>(connection)->socket);
  return kOk;
}

const IosApi kClientApi = {GetDeviceList,
                           DeviceListFree,
                           DeviceNew,
                           DeviceFree,
                           Connect,
                           Disconnect,
                           Send,
                           ReceiveTimeout,
                           LockdownNew,
                           LockdownFree,
                           LockdownGetDeviceName,
                           FreeString,
                           ConnectionGetFd};

}  // namespace

const IosApi* IosClientApi() {
  return &kClientApi;
}

}  // namespace vl
