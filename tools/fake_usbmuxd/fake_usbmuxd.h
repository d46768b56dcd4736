// A stand-in for the mobile-device service (usbmuxd) and the lockdown service of attached
// iPhones, on loopback TCP, for the tests of the iPhone path: the real libimobiledevice finds it
// through USBMUXD_SOCKET_ADDRESS=127.0.0.1:PORT, the program's own client through its service
// port.
//
// usbmuxd side (plist protocol): ListDevices, ReadPairRecord, ReadBUID and Connect. A Connect
// to the lockdown port (62078) talks lockdown on that connection: QueryType, GetValue
// (ProductVersion, DeviceName, UniqueDeviceID), StartSession (checked against the pair
// record's HostID and SystemBUID), StopSession, Goodbye. In TLS mode the session continues in
// TLS, as with real phones: the pair record then carries generated certificates and the fake
// demands the host's. A Connect to a service port the phone offers is proxied to a local TCP
// port (where the phone simulator listens); other ports are refused. Faults on demand make it
// a hostile service or phone.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vl::fake_usbmuxd {

// What a phone does wrong, from its pair record to its lockdown answers.
enum class DeviceFault {
  kNone,
  kBadPairRecord,  // PairRecordData is not a property list
  kHugeLength,     // lockdown answers QueryType with a length of 2 GiB
  kNotAPlist,      // lockdown answers QueryType with bytes that are no property list
  kNotLockdown,    // QueryType names another service
  kSilent,         // lockdown never answers QueryType
  kPlainAfterSsl,  // asks for TLS in StartSession, then goes on in plain text
  kHugeName,       // a device name of 64 KiB
  kNameNotText,    // the device name is a number
};

// What the service does wrong with its ListDevices reply.
enum class MuxFault {
  kNone,
  kHugeLength,   // a header announcing 2 GiB
  kNotAPlist,    // a body that is no property list
  kCutReply,     // announces 1000 bytes, sends 10 and closes
  kWrongTag,     // the reply carries another request's tag
  kSilent,       // never answers
  kManyDevices,  // a thousand devices
  kOddEntries,   // entries without a usable UDID or device number, network entries, repeats
};

struct Iphone {
  std::string udid;
  std::string utf8_name;
  bool has_name = true;
  // The lockdown service drops the connection at the first request: the handshake fails.
  bool refuses_lockdown = false;
  // False: never trusted on this computer, the service has no pair record for it.
  bool paired = true;
  DeviceFault fault = DeviceFault::kNone;
  // Device service port -> loopback TCP port it is proxied to.
  std::map<uint16_t, uint16_t> services;
};

struct Options {
  // StartSession asks for TLS (EnableSessionSSL), as real phones do.
  bool tls = false;
  MuxFault fault = MuxFault::kNone;
  uint16_t port = 0;     // 0: a free port
  std::string log_path;  // each request line is also appended here
};

class FakeUsbmuxd {
 public:
  explicit FakeUsbmuxd(std::vector<Iphone> iphones, Options options = {});
  // The phones are asked for at every connection (the command-line fake reads its file).
  FakeUsbmuxd(std::function<std::vector<Iphone>()> iphones, Options options);
  ~FakeUsbmuxd();
  FakeUsbmuxd(const FakeUsbmuxd&) = delete;
  FakeUsbmuxd& operator=(const FakeUsbmuxd&) = delete;

  // Listens on 127.0.0.1 and serves on background threads.
  bool Start();
  void Stop();
  uint16_t port() const { return port_; }
  // "127.0.0.1:PORT", the value for USBMUXD_SOCKET_ADDRESS.
  std::string Address() const;

  // What the clients asked and what happened, one line each ("ListDevices",
  // "Connect UDID 62078", "lockdown UDID QueryType label=lumaroo",
  // "lockdown UDID GetValue DeviceName label=lumaroo", "session UDID host-id=ok buid=ok",
  // "tls UDID host" (the certificate the client presented: host, root, none, stranger;
  // "failed" when the handshake failed), ...).
  std::vector<std::string> Requests() const;
  // Service connections currently proxied.
  int OpenProxies() const { return open_proxies_.load(); }

 private:
  class Channel;
  void AcceptLoop();
  void ServeClient(int fd);
  bool ServeListDevices(int fd, uint32_t tag, const std::vector<Iphone>& phones);
  void ServeLockdown(int fd, const Iphone& phone);
  void Proxy(int client, uint16_t port);
  void Record(std::string line);
  void Track(int fd);
  void Untrack(int fd);

  std::function<std::vector<Iphone>()> iphones_;
  Options options_;
  int listener_ = -1;
  uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread acceptor_;
  mutable std::mutex lock_;
  struct Worker {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> done;
  };
  std::vector<Worker> workers_;  // finished ones are joined at the next connection
  std::vector<int> open_fds_;
  std::vector<std::string> requests_;
  std::atomic<int> open_proxies_{0};
};

}  // namespace vl::fake_usbmuxd
