// A stand-in for libimobiledevice's DLL (Windows tests only): the documented calls the
// transport loads, with one pretend iPhone whose service connections are loopback TCP to the
// requested port. Lets the tests run the iOS path of DeviceConnection end to end under Wine.
#include <winsock2.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

constexpr char kUdid[] = "FAKE-IPHONE-0001";
// Error codes as the library documents them.
constexpr int kOk = 0;
constexpr int kUnknownError = -2;
constexpr int kNoDevice = -3;
constexpr int kTimeout = -7;

struct Device {
  int magic = 0x1D3;
};
struct Connection {
  SOCKET s = INVALID_SOCKET;
};
struct Lockdown {
  std::string label;
};

std::string g_last_label;
std::atomic<int> g_live_handles{0};
// Calls on a connection that are inside the library right now, and connections freed while a
// call was inside: the latter is a use after free in the real library.
std::atomic<int> g_calls_inside{0};
std::atomic<int> g_freed_in_use{0};
std::atomic<int> g_send_delay_ms{0};

struct InsideCall {
  InsideCall() { ++g_calls_inside; }
  ~InsideCall() { --g_calls_inside; }
};

}  // namespace

#define FAKE_EXPORT extern "C" __declspec(dllexport)

FAKE_EXPORT int idevice_new(void** device, const char* udid) {
  *device = nullptr;
  if (!udid || std::strcmp(udid, kUdid) != 0) return kNoDevice;
  *device = new Device;
  ++g_live_handles;
  return kOk;
}

FAKE_EXPORT int idevice_free(void* device) {
  if (!device) return kUnknownError;
  delete static_cast<Device*>(device);
  --g_live_handles;
  return kOk;
}

FAKE_EXPORT int idevice_connect(void* device, uint16_t port, void** connection) {
  *connection = nullptr;
  if (!device) return kUnknownError;
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  a.sin_addr.s_addr = inet_addr("127.0.0.1");
  if (s == INVALID_SOCKET || connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    if (s != INVALID_SOCKET) closesocket(s);
    return kUnknownError;
  }
  *connection = new Connection{s};
  ++g_live_handles;
  return kOk;
}

FAKE_EXPORT int idevice_disconnect(void* connection) {
  if (!connection) return kUnknownError;
  auto* c = static_cast<Connection*>(connection);
  if (g_calls_inside > 0) ++g_freed_in_use;
  closesocket(c->s);
  delete c;
  --g_live_handles;
  return kOk;
}

FAKE_EXPORT int idevice_connection_send(void* connection, const char* data, uint32_t length,
                                        uint32_t* sent) {
  InsideCall inside;
  *sent = 0;
  const SOCKET s = static_cast<Connection*>(connection)->s;
  // A phone slow to take the data: the call stays inside the library for a while.
  if (g_send_delay_ms > 0) Sleep(static_cast<DWORD>(g_send_delay_ms.load()));
  const int n = send(s, data, static_cast<int>(length), 0);
  if (n < 0) return kUnknownError;
  *sent = static_cast<uint32_t>(n);
  return kOk;
}

FAKE_EXPORT int idevice_connection_receive_timeout(void* connection, char* data, uint32_t length,
                                                   uint32_t* received, unsigned int timeout) {
  InsideCall inside;
  *received = 0;
  SOCKET s = static_cast<Connection*>(connection)->s;
  fd_set rs;
  FD_ZERO(&rs);
  FD_SET(s, &rs);
  timeval tv{static_cast<long>(timeout / 1000), static_cast<long>((timeout % 1000) * 1000)};
  const int r = select(0, &rs, nullptr, nullptr, &tv);
  if (r == 0) return kTimeout;
  if (r < 0) return kUnknownError;
  const int n = recv(s, data, static_cast<int>(length), 0);
  if (n <= 0) return kUnknownError;  // the device closed the service connection
  *received = static_cast<uint32_t>(n);
  return kOk;
}

FAKE_EXPORT int lockdownd_client_new_with_handshake(void* device, void** client,
                                                    const char* label) {
  *client = nullptr;
  if (!device) return kUnknownError;
  g_last_label = label ? label : "";
  *client = new Lockdown{g_last_label};
  ++g_live_handles;
  return kOk;
}

FAKE_EXPORT int lockdownd_client_free(void* client) {
  if (!client) return kUnknownError;
  delete static_cast<Lockdown*>(client);
  --g_live_handles;
  return kOk;
}

FAKE_EXPORT int idevice_connection_get_fd(void* connection, int* fd) {
  if (!connection || !fd) return kUnknownError;
  *fd = static_cast<int>(static_cast<Connection*>(connection)->s);
  return kOk;
}

// For the tests: what the transport did with the library.
FAKE_EXPORT const char* fake_imobiledevice_last_label() {
  return g_last_label.c_str();
}
FAKE_EXPORT int fake_imobiledevice_live_handles() {
  return g_live_handles;
}
FAKE_EXPORT int fake_imobiledevice_calls_inside() {
  return g_calls_inside;
}
FAKE_EXPORT int fake_imobiledevice_freed_in_use() {
  return g_freed_in_use;
}
FAKE_EXPORT void fake_imobiledevice_set_send_delay(int ms) {
  g_send_delay_ms = ms;
}
