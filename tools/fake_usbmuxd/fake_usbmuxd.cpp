#include "tools/fake_usbmuxd/fake_usbmuxd.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <plist/plist.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace vl::fake_usbmuxd {
namespace {

constexpr uint16_t kLockdownPort = 62078;
constexpr uint32_t kPlistVersion = 1;
constexpr uint32_t kMessagePlist = 8;
constexpr uint32_t kResultOk = 0;
constexpr uint32_t kResultBadDevice = 2;
constexpr uint32_t kResultRefused = 3;
constexpr uint32_t kMaxMessage = 1 << 20;
constexpr char kHostId[] = "5C4A1C9E-6B87-4D1A-9D5E-0000FEEDFACE";
constexpr char kBuid[] = "A1B2C3D4-0000-4000-8000-00000000B01D";

struct PlistDeleter {
  void operator()(void* p) const { plist_free(static_cast<plist_t>(p)); }
};
using Plist = std::unique_ptr<void, PlistDeleter>;

bool ReadExact(int fd, void* buffer, size_t length) {
  auto* out = static_cast<uint8_t*>(buffer);
  while (length > 0) {
    const ssize_t n = ::recv(fd, out, length, 0);
    if (n <= 0) return false;
    out += n;
    length -= static_cast<size_t>(n);
  }
  return true;
}

bool WriteAll(int fd, const void* buffer, size_t length) {
  const auto* in = static_cast<const uint8_t*>(buffer);
  while (length > 0) {
    const ssize_t n = ::send(fd, in, length, MSG_NOSIGNAL);
    if (n <= 0) return false;
    in += n;
    length -= static_cast<size_t>(n);
  }
  return true;
}

std::string ToXml(plist_t p) {
  char* xml = nullptr;
  uint32_t length = 0;
  plist_to_xml(p, &xml, &length);
  std::string out(xml ? xml : "", length);
  plist_to_xml_free(xml);
  return out;
}

std::string StringItem(plist_t dict, const char* key) {
  plist_t node = dict ? plist_dict_get_item(dict, key) : nullptr;
  if (!node || plist_get_node_type(node) != PLIST_STRING) return {};
  char* value = nullptr;
  plist_get_string_val(node, &value);
  std::string out(value ? value : "");
  free(value);
  return out;
}

uint64_t UintItem(plist_t dict, const char* key) {
  plist_t node = dict ? plist_dict_get_item(dict, key) : nullptr;
  uint64_t value = 0;
  if (node && plist_get_node_type(node) == PLIST_UINT) plist_get_uint_val(node, &value);
  return value;
}

// usbmuxd messages: a little-endian header (length with header, version, type, tag) and an
// XML plist.
bool ReadMuxMessage(int fd, uint32_t* tag, Plist* message) {
  uint32_t header[4];
  if (!ReadExact(fd, header, sizeof header)) return false;
  if (header[0] < sizeof header || header[0] > kMaxMessage) return false;
  std::string body(header[0] - sizeof header, '\0');
  if (!ReadExact(fd, body.data(), body.size())) return false;
  *tag = header[3];
  plist_t p = nullptr;
  plist_from_memory(body.data(), static_cast<uint32_t>(body.size()), &p);
  message->reset(p);
  return true;
}

bool SendMuxMessage(int fd, uint32_t tag, plist_t message) {
  const std::string xml = ToXml(message);
  uint32_t header[4] = {static_cast<uint32_t>(sizeof header + xml.size()), kPlistVersion,
                        kMessagePlist, tag};
  return WriteAll(fd, header, sizeof header) && WriteAll(fd, xml.data(), xml.size());
}

bool SendResult(int fd, uint32_t tag, uint32_t number) {
  Plist reply(plist_new_dict());
  plist_dict_set_item(reply.get(), "MessageType", plist_new_string("Result"));
  plist_dict_set_item(reply.get(), "Number", plist_new_uint(number));
  return SendMuxMessage(fd, tag, reply.get());
}

// Lockdown messages: a big-endian length and an XML plist.
bool ReadLockdownMessage(int fd, Plist* message) {
  uint32_t length_be = 0;
  if (!ReadExact(fd, &length_be, 4)) return false;
  const uint32_t length = ntohl(length_be);
  if (length == 0 || length > kMaxMessage) return false;
  std::string body(length, '\0');
  if (!ReadExact(fd, body.data(), length)) return false;
  plist_t p = nullptr;
  plist_from_memory(body.data(), length, &p);
  message->reset(p);
  return p != nullptr;
}

bool SendLockdownMessage(int fd, plist_t message) {
  const std::string xml = ToXml(message);
  const uint32_t length_be = htonl(static_cast<uint32_t>(xml.size()));
  return WriteAll(fd, &length_be, 4) && WriteAll(fd, xml.data(), xml.size());
}

void CloseFd(int fd) {
  ::shutdown(fd, SHUT_RDWR);
  ::close(fd);
}

}  // namespace

FakeUsbmuxd::FakeUsbmuxd(std::vector<Iphone> iphones) : iphones_(std::move(iphones)) {}

FakeUsbmuxd::~FakeUsbmuxd() {
  Stop();
}

bool FakeUsbmuxd::Start() {
  listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listener_ < 0) return false;
  const int one = 1;
  ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  if (::bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
      ::listen(listener_, 16) != 0 ||
      ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
    ::close(listener_);
    listener_ = -1;
    return false;
  }
  port_ = ntohs(a.sin_port);
  acceptor_ = std::thread(&FakeUsbmuxd::AcceptLoop, this);
  return true;
}

void FakeUsbmuxd::Stop() {
  if (stopping_.exchange(true)) return;
  if (acceptor_.joinable()) acceptor_.join();
  if (listener_ >= 0) ::close(listener_);
  listener_ = -1;
  {
    std::lock_guard<std::mutex> guard(lock_);
    for (int fd : open_fds_) ::shutdown(fd, SHUT_RDWR);  // wakes every worker
  }
  std::vector<std::thread> workers;
  {
    std::lock_guard<std::mutex> guard(lock_);
    workers.swap(workers_);
  }
  for (std::thread& t : workers) t.join();
}

std::string FakeUsbmuxd::Address() const {
  return "127.0.0.1:" + std::to_string(port_);
}

std::vector<std::string> FakeUsbmuxd::Requests() const {
  std::lock_guard<std::mutex> guard(lock_);
  return requests_;
}

void FakeUsbmuxd::Record(std::string line) {
  std::lock_guard<std::mutex> guard(lock_);
  requests_.push_back(std::move(line));
}

void FakeUsbmuxd::Track(int fd) {
  std::lock_guard<std::mutex> guard(lock_);
  open_fds_.push_back(fd);
}

void FakeUsbmuxd::Untrack(int fd) {
  std::lock_guard<std::mutex> guard(lock_);
  open_fds_.erase(std::remove(open_fds_.begin(), open_fds_.end(), fd), open_fds_.end());
}

const Iphone* FakeUsbmuxd::FindById(uint64_t device_id) const {
  if (device_id < 1 || device_id > iphones_.size()) return nullptr;
  return &iphones_[device_id - 1];
}

const Iphone* FakeUsbmuxd::FindByUdid(const std::string& udid) const {
  for (const Iphone& p : iphones_)
    if (p.udid == udid) return &p;
  return nullptr;
}

void FakeUsbmuxd::AcceptLoop() {
  while (!stopping_) {
    pollfd p{listener_, POLLIN, 0};
    if (::poll(&p, 1, 50) <= 0) continue;
    const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    Track(fd);
    std::lock_guard<std::mutex> guard(lock_);
    workers_.emplace_back(&FakeUsbmuxd::ServeClient, this, fd);
  }
}

void FakeUsbmuxd::ServeClient(int fd) {
  uint32_t tag = 0;
  Plist message;
  while (ReadMuxMessage(fd, &tag, &message)) {
    const std::string type = StringItem(message.get(), "MessageType");
    Record(type);
    if (type == "ListDevices") {
      Plist reply(plist_new_dict());
      plist_t list = plist_new_array();
      for (size_t i = 0; i < iphones_.size(); ++i) {
        plist_t properties = plist_new_dict();
        plist_dict_set_item(properties, "ConnectionType", plist_new_string("USB"));
        plist_dict_set_item(properties, "DeviceID", plist_new_uint(i + 1));
        plist_dict_set_item(properties, "LocationID", plist_new_uint(0x14100000 + i));
        plist_dict_set_item(properties, "ProductID", plist_new_uint(0x12A8));
        plist_dict_set_item(properties, "SerialNumber", plist_new_string(iphones_[i].udid.c_str()));
        plist_t device = plist_new_dict();
        plist_dict_set_item(device, "DeviceID", plist_new_uint(i + 1));
        plist_dict_set_item(device, "MessageType", plist_new_string("Attached"));
        plist_dict_set_item(device, "Properties", properties);
        plist_array_append_item(list, device);
      }
      plist_dict_set_item(reply.get(), "DeviceList", list);
      if (!SendMuxMessage(fd, tag, reply.get())) break;
    } else if (type == "ReadPairRecord") {
      const std::string udid = StringItem(message.get(), "PairRecordID");
      if (!FindByUdid(udid)) {
        if (!SendResult(fd, tag, kResultBadDevice)) break;
        continue;
      }
      Plist record(plist_new_dict());
      plist_dict_set_item(record.get(), "HostID", plist_new_string(kHostId));
      plist_dict_set_item(record.get(), "SystemBUID", plist_new_string(kBuid));
      const std::string xml = ToXml(record.get());
      Plist reply(plist_new_dict());
      plist_dict_set_item(reply.get(), "PairRecordData", plist_new_data(xml.data(), xml.size()));
      if (!SendMuxMessage(fd, tag, reply.get())) break;
    } else if (type == "ReadBUID") {
      Plist reply(plist_new_dict());
      plist_dict_set_item(reply.get(), "BUID", plist_new_string(kBuid));
      if (!SendMuxMessage(fd, tag, reply.get())) break;
    } else if (type == "Connect") {
      const Iphone* phone = FindById(UintItem(message.get(), "DeviceID"));
      // The port travels in network byte order inside the integer.
      const uint16_t port = ntohs(static_cast<uint16_t>(UintItem(message.get(), "PortNumber")));
      Record("Connect " + (phone ? phone->udid : std::string("?")) + " " + std::to_string(port));
      if (!phone) {
        SendResult(fd, tag, kResultBadDevice);
        break;
      }
      if (port == kLockdownPort) {
        if (SendResult(fd, tag, kResultOk)) ServeLockdown(fd, *phone);
      } else if (phone->services.count(port)) {
        if (SendResult(fd, tag, kResultOk)) Proxy(fd, phone->services.at(port));
      } else {
        SendResult(fd, tag, kResultRefused);
      }
      break;  // a connected socket belongs to the device connection until it closes
    } else {
      if (!SendResult(fd, tag, 1)) break;  // bad command
    }
  }
  Untrack(fd);
  CloseFd(fd);
}

void FakeUsbmuxd::ServeLockdown(int fd, const Iphone& phone) {
  Plist request;
  while (ReadLockdownMessage(fd, &request)) {
    const std::string what = StringItem(request.get(), "Request");
    const std::string key = StringItem(request.get(), "Key");
    const std::string label = StringItem(request.get(), "Label");
    Record("lockdown " + phone.udid + " " + what + (key.empty() ? "" : " " + key) +
           (label.empty() ? "" : " label=" + label));
    if (phone.refuses_lockdown) return;  // the device resets the connection
    Plist reply(plist_new_dict());
    plist_dict_set_item(reply.get(), "Request", plist_new_string(what.c_str()));
    if (what == "QueryType") {
      plist_dict_set_item(reply.get(), "Type", plist_new_string("com.apple.mobile.lockdown"));
    } else if (what == "GetValue") {
      std::string value;
      bool found = true;
      if (key == "ProductVersion") {
        value = "16.4";
      } else if (key == "DeviceName" && phone.has_name) {
        value = phone.utf8_name;
      } else if (key == "UniqueDeviceID") {
        value = phone.udid;
      } else {
        found = false;
      }
      if (!key.empty()) plist_dict_set_item(reply.get(), "Key", plist_new_string(key.c_str()));
      if (found) {
        plist_dict_set_item(reply.get(), "Value", plist_new_string(value.c_str()));
      } else {
        plist_dict_set_item(reply.get(), "Error", plist_new_string("MissingValue"));
      }
    } else if (what == "StartSession") {
      plist_dict_set_item(reply.get(), "SessionID", plist_new_string("FAKE-SESSION-1"));
      plist_dict_set_item(reply.get(), "EnableSessionSSL", plist_new_bool(0));
    } else if (what != "StopSession" && what != "Goodbye" && what != "ValidatePair") {
      plist_dict_set_item(reply.get(), "Error", plist_new_string("UnknownRequest"));
    }
    if (!plist_dict_get_item(reply.get(), "Error"))
      plist_dict_set_item(reply.get(), "Result", plist_new_string("Success"));
    if (!SendLockdownMessage(fd, reply.get()) || what == "Goodbye") return;
  }
}

void FakeUsbmuxd::Proxy(int client, uint16_t port) {
  const int service = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (service < 0 || ::connect(service, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    if (service >= 0) ::close(service);
    return;
  }
  Track(service);
  ++open_proxies_;
  pollfd fds[2] = {{client, POLLIN, 0}, {service, POLLIN, 0}};
  char buffer[16384];
  bool open = true;
  while (open && !stopping_) {
    if (::poll(fds, 2, 100) <= 0) continue;
    for (int i = 0; i < 2 && open; ++i) {
      if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      const ssize_t n = ::recv(fds[i].fd, buffer, sizeof buffer, 0);
      if (n <= 0 || !WriteAll(fds[1 - i].fd, buffer, static_cast<size_t>(n))) open = false;
    }
  }
  --open_proxies_;
  Untrack(service);
  CloseFd(service);
}

}  // namespace vl::fake_usbmuxd
