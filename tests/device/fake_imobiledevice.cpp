// A stand-in for libimobiledevice's DLL (Windows tests only): the documented calls the scan and
// the transport load, with pretend iPhones whose service connections are loopback TCP to the
// requested port. Lets the tests run the iOS paths end to end under Wine.
//
// The iPhones come from "fake_imobiledevice.conf" beside the DLL, one per line in list order:
//   device UDID [NAME...]   an iPhone; NAME (UTF-8, may hold blanks) is its device name, and
//                           without one the name query fails
//   refuse UDID             an iPhone whose lockdown handshake fails
// Without the file there is one iPhone, FAKE-IPHONE-0001, named "iPhone".
//
// Strings handed out (the device list and device names) come from a private heap and must be
// released through the library (idevice_device_list_free, pinvoke_free_string): freeing them
// with the program's own free would corrupt the program's heap, as with the real DLL.
#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct FakeIphone {
  std::string udid;
  std::string name;
  bool has_name = false;
  bool refuses_handshake = false;
};
// Error codes as the library documents them.
constexpr int kOk = 0;
constexpr int kUnknownError = -2;
constexpr int kNoDevice = -3;
constexpr int kTimeout = -7;
constexpr int kHandshakeFailed = -5;  // a lockdown SSL error, as a failed pairing gives
constexpr int kMissingValue = -12;

struct Device {
  FakeIphone phone;
};
struct Connection {
  SOCKET s = INVALID_SOCKET;
};
struct Lockdown {
  std::string label;
  FakeIphone phone;
};

std::string g_last_label;
std::atomic<int> g_live_handles{0};
int g_live_strings = 0;  // strings handed out and not yet released through the library
int g_list_calls = 0;

HANDLE StringHeap() {
  static HANDLE heap = HeapCreate(0, 0, 0);
  return heap;
}

char* NewString(const std::string& text) {
  char* s = static_cast<char*>(HeapAlloc(StringHeap(), 0, text.size() + 1));
  std::memcpy(s, text.c_str(), text.size() + 1);
  ++g_live_strings;
  return s;
}

void FreeString(char* s) {
  if (!s) return;
  HeapFree(StringHeap(), 0, s);
  --g_live_strings;
}

std::string ConfigPath() {
  HMODULE self = nullptr;
  GetModuleHandleExA(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<const char*>(&ConfigPath), &self);
  char path[MAX_PATH] = {};
  GetModuleFileNameA(self, path, MAX_PATH);
  std::string dir(path);
  return dir.substr(0, dir.find_last_of('\\') + 1) + "fake_imobiledevice.conf";
}

// Read at every call, so a test can change the attached iPhones between scans.
std::vector<FakeIphone> Iphones() {
  std::ifstream in(ConfigPath());
  if (!in) return {FakeIphone{"FAKE-IPHONE-0001", "iPhone", true, false}};
  std::vector<FakeIphone> phones;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream words(line);
    std::string what, udid;
    words >> what >> udid;
    if (udid.empty() || (what != "device" && what != "refuse")) continue;
    FakeIphone phone{udid, "", false, what == "refuse"};
    std::string rest;
    std::getline(words >> std::ws, rest);
    if (!rest.empty()) {
      phone.name = rest;
      phone.has_name = true;
    }
    phones.push_back(phone);
  }
  return phones;
}

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

FAKE_EXPORT int idevice_get_device_list(char*** devices, int* count) {
  ++g_list_calls;
  const std::vector<FakeIphone> phones = Iphones();
  char** list = static_cast<char**>(
      HeapAlloc(StringHeap(), HEAP_ZERO_MEMORY, (phones.size() + 1) * sizeof(char*)));
  for (size_t i = 0; i < phones.size(); ++i) list[i] = NewString(phones[i].udid);
  *devices = list;
  *count = static_cast<int>(phones.size());
  return kOk;
}

FAKE_EXPORT int idevice_device_list_free(char** devices) {
  if (!devices) return kOk;
  for (char** p = devices; *p; ++p) FreeString(*p);
  HeapFree(StringHeap(), 0, devices);
  return kOk;
}

FAKE_EXPORT void pinvoke_free_string(char* text) {
  FreeString(text);
}

FAKE_EXPORT int idevice_new(void** device, const char* udid) {
  *device = nullptr;
  if (!udid) return kNoDevice;
  for (const FakeIphone& phone : Iphones()) {
    if (phone.udid != udid) continue;
    *device = new Device{phone};
    ++g_live_handles;
    return kOk;
  }
  return kNoDevice;
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

FAKE_EXPORT int idevice_connection_get_fd(void* connection, int* fd) {
  if (!connection || !fd) return kUnknownError;
  *fd = static_cast<int>(static_cast<Connection*>(connection)->s);
  return kOk;
}

FAKE_EXPORT int lockdownd_client_new_with_handshake(void* device, void** client,
                                                    const char* label) {
  *client = nullptr;
  if (!device) return kUnknownError;
  if (static_cast<Device*>(device)->phone.refuses_handshake) return kHandshakeFailed;
  g_last_label = label ? label : "";
  *client = new Lockdown{g_last_label, static_cast<Device*>(device)->phone};
  ++g_live_handles;
  return kOk;
}

FAKE_EXPORT int lockdownd_client_free(void* client) {
  if (!client) return kUnknownError;
  delete static_cast<Lockdown*>(client);
  --g_live_handles;
  return kOk;
}

FAKE_EXPORT int lockdownd_get_device_name(void* client, char** name) {
  *name = nullptr;
  if (!client) return kUnknownError;
  const FakeIphone& phone = static_cast<Lockdown*>(client)->phone;
  if (!phone.has_name) return kMissingValue;
  *name = NewString(phone.name);
  return kOk;
}

// For the tests: what the scan and the transport did with the library.
FAKE_EXPORT const char* fake_imobiledevice_last_label() {
  return g_last_label.c_str();
}
FAKE_EXPORT int fake_imobiledevice_live_handles() {
  return g_live_handles;
}
FAKE_EXPORT int fake_imobiledevice_live_strings() {
  return g_live_strings;
}
FAKE_EXPORT int fake_imobiledevice_list_calls() {
  return g_list_calls;
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
