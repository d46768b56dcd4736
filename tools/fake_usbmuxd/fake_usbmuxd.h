// A stand-in for usbmuxd and the lockdown service of attached iPhones, on loopback TCP, for
// the native tests of the iPhone path through the real libimobiledevice (which finds it
// through USBMUXD_SOCKET_ADDRESS=127.0.0.1:PORT).
//
// usbmuxd side (plist protocol): ListDevices, ReadPairRecord, ReadBUID and Connect. A Connect
// to the lockdown port (62078) talks lockdown on that connection: QueryType, GetValue
// (ProductVersion, DeviceName, UniqueDeviceID), StartSession without SSL, StopSession,
// Goodbye. A Connect to a service port the phone offers is proxied to a local TCP port (where
// the phone simulator listens); other ports are refused.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vl::fake_usbmuxd {

struct Iphone {
  std::string udid;
  std::string utf8_name;
  bool has_name = true;
  // The lockdown service drops the connection at the first request: the handshake fails.
  bool refuses_lockdown = false;
  // Device service port -> loopback TCP port it is proxied to.
  std::map<uint16_t, uint16_t> services;
};

class FakeUsbmuxd {
 public:
  explicit FakeUsbmuxd(std::vector<Iphone> iphones);
  ~FakeUsbmuxd();
  FakeUsbmuxd(const FakeUsbmuxd&) = delete;
  FakeUsbmuxd& operator=(const FakeUsbmuxd&) = delete;

  // Listens on 127.0.0.1 (a free port) and serves on background threads.
  bool Start();
  void Stop();
  uint16_t port() const { return port_; }
  // "127.0.0.1:PORT", the value for USBMUXD_SOCKET_ADDRESS.
  std::string Address() const;

  // What the clients asked, one line each ("ListDevices", "Connect UDID 62078",
  // "lockdown UDID QueryType", "lockdown UDID GetValue DeviceName", ...).
  std::vector<std::string> Requests() const;
  // Service connections currently proxied.
  int OpenProxies() const { return open_proxies_.load(); }

 private:
  void AcceptLoop();
  void ServeClient(int fd);
  void ServeLockdown(int fd, const Iphone& phone);
  void Proxy(int client, uint16_t port);
  void Record(std::string line);
  const Iphone* FindById(uint64_t device_id) const;
  const Iphone* FindByUdid(const std::string& udid) const;
  void Track(int fd);
  void Untrack(int fd);

  std::vector<Iphone> iphones_;
  int listener_ = -1;
  uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread acceptor_;
  mutable std::mutex lock_;
  std::vector<std::thread> workers_;
  std::vector<int> open_fds_;
  std::vector<std::string> requests_;
  std::atomic<int> open_proxies_{0};
};

}  // namespace vl::fake_usbmuxd
