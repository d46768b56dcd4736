#include "tools/fake_usbmuxd/fake_usbmuxd.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>

#include "device/property_list.h"
#include "tools/fake_usbmuxd/pair_identity.h"
#include "tools/fake_usbmuxd/tls_server.h"

namespace vl::fake_usbmuxd {
namespace {

constexpr uint16_t kLockdownPort = 62078;
constexpr uint32_t kPlistVersion = 1;
constexpr uint32_t kMessagePlist = 8;
constexpr uint32_t kResultOk = 0;
constexpr uint32_t kResultBadCommand = 1;
constexpr uint32_t kResultBadDevice = 2;
constexpr uint32_t kResultRefused = 3;
constexpr uint32_t kMaxMessage = 1 << 20;
// The identifiers of the pairing when no certificates are needed (plain lockdown).
constexpr char kPlainHostId[] = "5C4A1C9E-6B87-4D1A-9D5E-0000FEEDFACE";
constexpr char kPlainBuid[] = "A1B2C3D4-0000-4000-8000-00000000B01D";

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

// Reads and drops whatever the client sends until it closes (a service that never answers).
void SwallowUntilClosed(int fd) {
  char buffer[4096];
  while (::recv(fd, buffer, sizeof buffer, 0) > 0) {
  }
}

std::string Text(plist::Node dict, const char* key) {
  return plist::GetString(dict, key, kMaxMessage).value_or(std::string());
}

// usbmuxd messages: a little-endian header (length with header, version, type, tag) and an
// XML plist.
bool ReadMuxMessage(int fd, uint32_t* tag, plist::Document* message) {
  uint32_t header[4];
  if (!ReadExact(fd, header, sizeof header)) return false;
  if (header[0] < sizeof header || header[0] > kMaxMessage) return false;
  std::string body(header[0] - sizeof header, '\0');
  if (!ReadExact(fd, body.data(), body.size())) return false;
  *tag = header[3];
  *message = plist::ParseDictionary(body.data(), body.size());
  return true;
}

bool SendMuxBytes(int fd, uint32_t length, uint32_t tag, const std::string& body) {
  const uint32_t header[4] = {length, kPlistVersion, kMessagePlist, tag};
  return WriteAll(fd, header, sizeof header) && WriteAll(fd, body.data(), body.size());
}

bool SendMuxMessage(int fd, uint32_t tag, plist::Node message) {
  const std::string xml = plist::ToXml(message);
  return SendMuxBytes(fd, static_cast<uint32_t>(16 + xml.size()), tag, xml);
}

bool SendResult(int fd, uint32_t tag, uint32_t number) {
  plist::Document reply = plist::NewDictionary();
  plist::SetString(reply.get(), "MessageType", "Result");
  plist::SetUint(reply.get(), "Number", number);
  return SendMuxMessage(fd, tag, reply.get());
}

plist::Document AttachedEntry(uint64_t device_id, const std::string& udid, const char* connection) {
  plist::Document properties = plist::NewDictionary();
  plist::SetString(properties.get(), "ConnectionType", connection);
  plist::SetUint(properties.get(), "DeviceID", device_id);
  plist::SetUint(properties.get(), "LocationID", 0x14100000 + device_id);
  plist::SetUint(properties.get(), "ProductID", 0x12A8);
  plist::SetString(properties.get(), "SerialNumber", udid);
  plist::Document device = plist::NewDictionary();
  plist::SetUint(device.get(), "DeviceID", device_id);
  plist::SetString(device.get(), "MessageType", "Attached");
  plist::SetNode(device.get(), "Properties", std::move(properties));
  return device;
}

const Iphone* FindById(const std::vector<Iphone>& phones, uint64_t device_id) {
  if (device_id < 1 || device_id > phones.size()) return nullptr;
  return &phones[device_id - 1];
}

const Iphone* FindByUdid(const std::vector<Iphone>& phones, const std::string& udid) {
  for (const Iphone& p : phones)
    if (p.udid == udid) return &p;
  return nullptr;
}

void CloseFd(int fd) {
  ::shutdown(fd, SHUT_RDWR);
  ::close(fd);
}

const char* Name(PresentedCertificate c) {
  switch (c) {
    case PresentedCertificate::kHost:
      return "host";
    case PresentedCertificate::kRoot:
      return "root";
    case PresentedCertificate::kStranger:
      return "stranger";
    case PresentedCertificate::kNone:
      break;
  }
  return "none";
}

}  // namespace

// The lockdown conversation's transport: the connection itself, or TLS over it.
class FakeUsbmuxd::Channel {
 public:
  explicit Channel(int fd) : fd_(fd) {}
  bool StartTls(PresentedCertificate* presented) {
    tls_ = std::make_unique<TlsServer>(fd_);
    return tls_->Handshake(presented);
  }
  bool ReadExact(void* data, size_t length) {
    return tls_ ? tls_->ReadExact(data, length) : fake_usbmuxd::ReadExact(fd_, data, length);
  }
  bool WriteAll(const void* data, size_t length) {
    return tls_ ? tls_->WriteAll(data, length) : fake_usbmuxd::WriteAll(fd_, data, length);
  }
  // Lockdown messages: a big-endian length and an XML plist.
  bool ReadMessage(plist::Document* message) {
    uint32_t length_be = 0;
    if (!ReadExact(&length_be, 4)) return false;
    const uint32_t length = ntohl(length_be);
    if (length == 0 || length > kMaxMessage) return false;
    std::string body(length, '\0');
    if (!ReadExact(body.data(), length)) return false;
    *message = plist::ParseDictionary(body.data(), length);
    return *message != nullptr;
  }
  bool SendRaw(uint32_t length, const std::string& body) {
    const uint32_t length_be = htonl(length);
    return WriteAll(&length_be, 4) && WriteAll(body.data(), body.size());
  }
  bool SendMessage(plist::Node message) {
    const std::string xml = plist::ToXml(message);
    return SendRaw(static_cast<uint32_t>(xml.size()), xml);
  }

 private:
  int fd_;
  std::unique_ptr<TlsServer> tls_;
};

FakeUsbmuxd::FakeUsbmuxd(std::vector<Iphone> iphones, Options options)
    : iphones_([iphones] { return iphones; }), options_(std::move(options)) {}

FakeUsbmuxd::FakeUsbmuxd(std::function<std::vector<Iphone>()> iphones, Options options)
    : iphones_(std::move(iphones)), options_(std::move(options)) {}

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
  a.sin_port = htons(options_.port);
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
  // The pairing's certificates are made before the first client waits for them.
  if (options_.tls) GeneratedPairIdentity();
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
  std::vector<Worker> workers;
  {
    std::lock_guard<std::mutex> guard(lock_);
    workers.swap(workers_);
  }
  for (Worker& w : workers) w.thread.join();
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
  if (!options_.log_path.empty()) std::ofstream(options_.log_path, std::ios::app) << line << "\n";
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

void FakeUsbmuxd::AcceptLoop() {
  while (!stopping_) {
    pollfd p{listener_, POLLIN, 0};
    if (::poll(&p, 1, 50) <= 0) continue;
    const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    Track(fd);
    std::lock_guard<std::mutex> guard(lock_);
    for (auto w = workers_.begin(); w != workers_.end();) {
      if (!*w->done) {
        ++w;
        continue;
      }
      w->thread.join();
      w = workers_.erase(w);
    }
    auto done = std::make_shared<std::atomic<bool>>(false);
    workers_.push_back(Worker{std::thread([this, fd, done] {
                                ServeClient(fd);
                                *done = true;
                              }),
                              done});
  }
}

bool FakeUsbmuxd::ServeListDevices(int fd, uint32_t tag, const std::vector<Iphone>& phones) {
  switch (options_.fault) {
    case MuxFault::kHugeLength:
      return SendMuxBytes(fd, 0x80000000u, tag, "<?xml");
    case MuxFault::kNotAPlist:
      return SendMuxBytes(fd, 16 + 12, tag, "not a plist!");
    case MuxFault::kCutReply:
      SendMuxBytes(fd, 16 + 1000, tag, "<?xml vers");
      return false;
    case MuxFault::kWrongTag:
      ++tag;
      break;
    case MuxFault::kSilent:
      SwallowUntilClosed(fd);
      return false;
    default:
      break;
  }
  plist::Document reply = plist::NewDictionary();
  plist::Document list = plist::NewArray();
  if (options_.fault == MuxFault::kManyDevices) {
    for (uint64_t i = 1; i <= 1000; ++i)
      plist::Append(list.get(), AttachedEntry(1000 + i, "MANY-" + std::to_string(i), "USB"));
  }
  if (options_.fault == MuxFault::kOddEntries) {
    plist::Append(list.get(), AttachedEntry(900, "../../etc/passwd", "USB"));
    plist::Append(list.get(), AttachedEntry(901, std::string(1000, 'A'), "USB"));
    plist::Append(list.get(), AttachedEntry(0, "ZERO-ID", "USB"));
    plist::Append(list.get(), AttachedEntry(902, "WIFI-ONLY", "Network"));
    plist::Document no_properties = plist::NewDictionary();
    plist::SetUint(no_properties.get(), "DeviceID", 903);
    plist::SetString(no_properties.get(), "MessageType", "Attached");
    plist::Append(list.get(), std::move(no_properties));
    plist::Document text_id = plist::NewDictionary();
    plist::SetString(text_id.get(), "DeviceID", "904");
    plist::Append(list.get(), std::move(text_id));
  }
  for (size_t i = 0; i < phones.size(); ++i) {
    plist::Append(list.get(), AttachedEntry(i + 1, phones[i].udid, "USB"));
    // The same phone over Wi-Fi, as Apple's service lists it too; and a repeat.
    if (options_.fault == MuxFault::kOddEntries) {
      plist::Append(list.get(), AttachedEntry(500 + i, phones[i].udid, "Network"));
      plist::Append(list.get(), AttachedEntry(i + 1, phones[i].udid, "USB"));
    }
  }
  plist::SetNode(reply.get(), "DeviceList", std::move(list));
  return SendMuxMessage(fd, tag, reply.get());
}

void FakeUsbmuxd::ServeClient(int fd) {
  const std::vector<Iphone> phones = iphones_();
  uint32_t tag = 0;
  plist::Document message;
  while (ReadMuxMessage(fd, &tag, &message)) {
    const std::string type = Text(message.get(), "MessageType");
    Record(type);
    if (type == "ListDevices") {
      if (!ServeListDevices(fd, tag, phones)) break;
    } else if (type == "ReadPairRecord") {
      const Iphone* phone = FindByUdid(phones, Text(message.get(), "PairRecordID"));
      if (!phone || !phone->paired) {
        if (!SendResult(fd, tag, kResultBadDevice)) break;
        continue;
      }
      plist::Document record = plist::NewDictionary();
      if (options_.tls) {
        const PairIdentity& pair = GeneratedPairIdentity();
        plist::SetString(record.get(), "HostID", pair.host_id);
        plist::SetString(record.get(), "SystemBUID", pair.system_buid);
        plist::SetData(record.get(), "HostCertificate", pair.host_certificate);
        plist::SetData(record.get(), "HostPrivateKey", pair.private_key);
        plist::SetData(record.get(), "RootCertificate", pair.root_certificate);
        plist::SetData(record.get(), "RootPrivateKey", pair.private_key);
        plist::SetData(record.get(), "DeviceCertificate", pair.device_certificate);
      } else {
        plist::SetString(record.get(), "HostID", kPlainHostId);
        plist::SetString(record.get(), "SystemBUID", kPlainBuid);
      }
      const std::string xml = phone->fault == DeviceFault::kBadPairRecord
                                  ? std::string("\x01\x02 not a plist")
                                  : plist::ToXml(record.get());
      plist::Document reply = plist::NewDictionary();
      plist::SetData(reply.get(), "PairRecordData", xml);
      if (!SendMuxMessage(fd, tag, reply.get())) break;
    } else if (type == "ReadBUID") {
      plist::Document reply = plist::NewDictionary();
      plist::SetString(reply.get(), "BUID",
                       options_.tls ? GeneratedPairIdentity().system_buid : kPlainBuid);
      if (!SendMuxMessage(fd, tag, reply.get())) break;
    } else if (type == "Connect") {
      const Iphone* phone = FindById(phones, plist::GetUint(message.get(), "DeviceID").value_or(0));
      // The port travels in network byte order inside the integer.
      const uint16_t port =
          ntohs(static_cast<uint16_t>(plist::GetUint(message.get(), "PortNumber").value_or(0)));
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
      if (!SendResult(fd, tag, kResultBadCommand)) break;
    }
  }
  Untrack(fd);
  CloseFd(fd);
}

void FakeUsbmuxd::ServeLockdown(int fd, const Iphone& phone) {
  Channel channel(fd);
  bool in_tls = false;
  plist::Document request;
  while (channel.ReadMessage(&request)) {
    const std::string what = Text(request.get(), "Request");
    const std::string key = Text(request.get(), "Key");
    const std::string label = Text(request.get(), "Label");
    Record("lockdown " + phone.udid + " " + what + (key.empty() ? "" : " " + key) +
           (label.empty() ? "" : " label=" + label));
    if (phone.refuses_lockdown) return;  // the device resets the connection
    if (what == "QueryType") {
      switch (phone.fault) {
        case DeviceFault::kHugeLength:
          channel.SendRaw(0x80000000u, "<?xml");
          return;
        case DeviceFault::kNotAPlist:
          channel.SendRaw(12, "not a plist!");
          continue;
        case DeviceFault::kSilent:
          SwallowUntilClosed(fd);
          return;
        default:
          break;
      }
    }
    plist::Document reply = plist::NewDictionary();
    plist::SetString(reply.get(), "Request", what);
    bool start_tls = false;
    if (what == "QueryType") {
      plist::SetString(
          reply.get(), "Type",
          phone.fault == DeviceFault::kNotLockdown ? "com.apple.afc" : "com.apple.mobile.lockdown");
    } else if (what == "GetValue") {
      if (!key.empty()) plist::SetString(reply.get(), "Key", key);
      if (key == "ProductVersion") {
        plist::SetString(reply.get(), "Value", "16.4");
      } else if (key == "UniqueDeviceID") {
        plist::SetString(reply.get(), "Value", phone.udid);
      } else if (key == "DeviceName" && phone.fault == DeviceFault::kHugeName) {
        plist::SetString(reply.get(), "Value", std::string(64 * 1024, 'N'));
      } else if (key == "DeviceName" && phone.fault == DeviceFault::kNameNotText) {
        plist::SetUint(reply.get(), "Value", 42);
      } else if (key == "DeviceName" && phone.has_name) {
        plist::SetString(reply.get(), "Value", phone.utf8_name);
      } else {
        plist::SetString(reply.get(), "Error", "MissingValue");
      }
    } else if (what == "StartSession") {
      const bool tls = options_.tls;
      const std::string host_id = tls ? GeneratedPairIdentity().host_id : kPlainHostId;
      const std::string buid = tls ? GeneratedPairIdentity().system_buid : kPlainBuid;
      const bool host_ok = Text(request.get(), "HostID") == host_id;
      const bool buid_ok = Text(request.get(), "SystemBUID") == buid;
      Record("session " + phone.udid + " host-id=" + (host_ok ? "ok" : "wrong") +
             " buid=" + (buid_ok ? "ok" : "wrong"));
      if (!host_ok) {
        plist::SetString(reply.get(), "Error", "InvalidHostID");
      } else {
        plist::SetString(reply.get(), "SessionID", "FAKE-SESSION-1");
        plist::SetBool(reply.get(), "EnableSessionSSL", tls);
        start_tls = tls && phone.fault != DeviceFault::kPlainAfterSsl;
      }
    } else if (what != "StopSession" && what != "Goodbye" && what != "ValidatePair") {
      plist::SetString(reply.get(), "Error", "UnknownRequest");
    }
    if (!plist::GetString(reply.get(), "Error", kMaxMessage))
      plist::SetString(reply.get(), "Result", "Success");
    if (!channel.SendMessage(reply.get()) || what == "Goodbye") return;
    // Like a real phone, the end of a TLS session ends the connection.
    if (what == "StopSession" && in_tls) return;
    if (start_tls) {
      PresentedCertificate presented = PresentedCertificate::kNone;
      const bool ok = channel.StartTls(&presented);
      Record("tls " + phone.udid + " " + (ok ? Name(presented) : "failed"));
      // The phone knows its host: another certificate, or none, ends the conversation.
      if (!ok ||
          (presented != PresentedCertificate::kHost && presented != PresentedCertificate::kRoot))
        return;
      in_tls = true;
    }
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
