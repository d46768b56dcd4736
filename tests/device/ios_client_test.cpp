// The program's own iPhone client beside the real libimobiledevice, both against the same fake
// mobile-device service and lockdown service on loopback, with lockdown in plain text and in TLS
// (as real phones answer): the same iPhones listed with the same names, the same failures left
// out, and the same transport to a phone's service port. Then the client alone against a
// hostile service and hostile phones: every answer is bounded, and the scan ends. (The stream
// worker running an iPhone through the proxied service port, and its Stop with a silent phone:
// ios_client_win_test and lumaroo_iphone_test under Wine.)
#include "device/ios_client.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "device/device_connection.h"
#include "device/ios_device_list.h"
#include "device/socket_layer.h"
#include "device/usbmux_client.h"
#include "device/usbmux_protocol.h"
#include "tests/device/refusing_port.h"
#include "tools/fake_usbmuxd/fake_usbmuxd.h"

namespace vl {
namespace {

using fake_usbmuxd::DeviceFault;
using fake_usbmuxd::FakeUsbmuxd;
using fake_usbmuxd::Iphone;
using fake_usbmuxd::MuxFault;
using fake_usbmuxd::Options;

// "张三的iPhone" as the phone reports it (UTF-8) and as the PC lists it (GBK, code page 936).
const char kNameUtf8[] = "\xE5\xBC\xA0\xE4\xB8\x89\xE7\x9A\x84iPhone";
const char kNameGbk[] = "\xD5\xC5\xC8\xFD\xB5\xC4iPhone";
const char kChinese[] = "00008110-000A1C2E3F40801E";
const char kRefusing[] = "00008030-0011223344556677";
const char kUnpaired[] = "00008020-00AABBCCDDEEFF00";
const char kNameless[] = "00008101-0000000000000AAA";

Iphone Phone(const char* udid, const char* utf8_name) {
  Iphone phone;
  phone.udid = udid;
  phone.utf8_name = utf8_name;
  return phone;
}

// The phones every side-by-side case attaches: one to list by name, one whose lockdown drops the
// connection, one never trusted on this computer, one without a name.
std::vector<Iphone> StandardPhones(uint16_t service_port) {
  Iphone chinese = Phone(kChinese, kNameUtf8);
  if (service_port) chinese.services[8984] = service_port;
  Iphone refusing = Phone(kRefusing, "Refusing");
  refusing.refuses_lockdown = true;
  Iphone unpaired = Phone(kUnpaired, "Unpaired");
  unpaired.paired = false;
  Iphone nameless = Phone(kNameless, "");
  nameless.has_name = false;
  return {chinese, refusing, unpaired, nameless};
}

std::vector<DeviceEntry> List(const IosApi* api) {
  std::vector<DeviceEntry> entries;
  ListIphones(api, [&](DeviceEntry e) { entries.push_back(std::move(e)); });
  return entries;
}

class TestConnection : public DeviceConnection {
 public:
  explicit TestConnection(const IosApi* api) { SetIosApi(api); }
  ~TestConnection() override { Close(); }
  int OnConnected() override { return 1; }
};

// Points both clients at a fake: libimobiledevice through its environment, the program's
// client through its service port.
class FakeServiceTest : public ::testing::Test {
 protected:
  ~FakeServiceTest() override {
    if (mux_) mux_->Stop();
    unsetenv("USBMUXD_SOCKET_ADDRESS");
    usbmux::SetServicePort(usbmux::kDefaultServicePort);
  }
  void Serve(std::vector<Iphone> phones, Options options = {}) {
    mux_ = std::make_unique<FakeUsbmuxd>(std::move(phones), options);
    ASSERT_TRUE(mux_->Start());
    setenv("USBMUXD_SOCKET_ADDRESS", mux_->Address().c_str(), 1);
    usbmux::SetServicePort(mux_->port());
  }
  bool Logged(const std::string& line) const {
    const std::vector<std::string> lines = mux_->Requests();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  bool LoggedStarting(const std::string& prefix) const {
    for (const std::string& line : mux_->Requests())
      if (line.compare(0, prefix.size(), prefix) == 0) return true;
    return false;
  }

  net::SocketLibrary sockets_;
  std::unique_ptr<FakeUsbmuxd> mux_;
};

struct Side {
  const char* name;
  const IosApi* (*api)();
  bool tls;
};

class SideBySideTest : public FakeServiceTest, public ::testing::WithParamInterface<Side> {};

// One service for the whole walk: the list, then the transport to the listed phone's service
// port, a receive ended from another thread, and the phones that cannot be reached.
TEST_P(SideBySideTest, ListsAndConnectsLikeTheLibrary) {
  const IosApi* api = GetParam().api();
  uint16_t port = 0;
  const net::NativeSocket listener = net::OpenListener("127.0.0.1", 0, &port);
  ASSERT_NE(listener, net::kInvalidSocket);
  Options options;
  options.tls = GetParam().tls;
  Serve(StandardPhones(port), options);

  const std::vector<DeviceEntry> entries = List(api);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].identifier, kChinese);
  EXPECT_EQ(entries[0].display_name, kNameGbk);
  EXPECT_EQ(entries[0].kind, kDeviceKindIos);
  EXPECT_EQ(entries[1].identifier, kNameless);
  EXPECT_EQ(entries[1].display_name, "");
  // Lockdown as this program, in a session the phone accepted, with the name read inside it.
  const std::string lockdown = std::string("lockdown ") + kChinese;
  EXPECT_TRUE(Logged(lockdown + " QueryType label=lumaroo"));
  EXPECT_TRUE(Logged(lockdown + " StartSession label=lumaroo"));
  EXPECT_TRUE(Logged(std::string("session ") + kChinese + " host-id=ok buid=ok"));
  EXPECT_TRUE(Logged(lockdown + " GetValue DeviceName label=lumaroo"));
  EXPECT_TRUE(Logged(std::string("lockdown ") + kRefusing + " QueryType label=lumaroo"));
  // Without a pair record no session is ever started with the unpaired phone.
  EXPECT_FALSE(LoggedStarting(std::string("session ") + kUnpaired));
  if (GetParam().tls) {
    // The program's client presents the pair record's host certificate.
    const bool own = GetParam().api == &IosClientApi;
    for (const char* udid : {kChinese, kNameless})
      EXPECT_TRUE(!own || Logged(std::string("tls ") + udid + " host")) << udid;
    EXPECT_FALSE(Logged(std::string("tls ") + kChinese + " failed"));
    EXPECT_FALSE(Logged(std::string("tls ") + kChinese + " none"));
    EXPECT_TRUE(LoggedStarting(std::string("tls ") + kChinese + " "));
  } else {
    EXPECT_FALSE(LoggedStarting("tls "));
  }

  {
    TestConnection c(api);
    ASSERT_EQ(c.Connect(kDeviceKindIos, kChinese, 65536 + 8984), 1);  // the low 16 bits count
    const net::NativeSocket phone = net::AcceptConnection(listener, 10000);
    ASSERT_NE(phone, net::kInvalidSocket);
    EXPECT_TRUE(Logged(std::string("Connect ") + kChinese + " 8984"));
    EXPECT_EQ(c.Send("ping", 4), 4);
    char in[4] = {};
    ASSERT_EQ(net::WaitReadable(phone, 5000), net::WaitResult::kReady);
    EXPECT_EQ(net::ReceiveSome(phone, in, 4), 4);
    EXPECT_EQ(std::string(in, 4), "ping");
    // The phone sends 400 of 1000 bytes and closes: the receive gives the short count.
    const std::vector<char> part(400, 'q');
    EXPECT_EQ(net::SendSome(phone, part.data(), 400), 400);
    net::ShutdownAndClose(phone);
    std::vector<char> buffer(1000);
    EXPECT_EQ(c.Receive(buffer.data(), 1000), 400);
    EXPECT_EQ(std::string(buffer.data(), 400), std::string(400, 'q'));
    c.Close();
    EXPECT_FALSE(c.IsConnected());
    EXPECT_EQ(c.Send("x", 1), 0);
    for (int i = 0; i < 200 && mux_->OpenProxies() > 0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(mux_->OpenProxies(), 0);  // the service connection went with Close
  }

  {
    // The stream worker's Stop, from another thread, ends a receive waiting for a silent phone.
    TestConnection c(api);
    ASSERT_EQ(c.Connect(kDeviceKindIos, kChinese, 8984), 1);
    const net::NativeSocket phone = net::AcceptConnection(listener, 10000);
    ASSERT_NE(phone, net::kInvalidSocket);
    int32_t received = -5;
    std::thread reader([&] {
      char buffer[16];
      received = c.Receive(buffer, sizeof buffer);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    c.Interrupt();
    reader.join();
    EXPECT_EQ(received, 0);
    c.Close();
    net::ShutdownAndClose(phone);
  }
  net::ShutdownAndClose(listener);

  // Not attached; no such service on the phone; the handshake fails; never paired.
  for (const auto& [udid, service] :
       {std::pair{"00008030-000000000000002E", 8984}, std::pair{kChinese, 8985},
        std::pair{kRefusing, 8984}, std::pair{kUnpaired, 8984}}) {
    TestConnection c(api);
    EXPECT_EQ(c.Connect(kDeviceKindIos, udid, service), 0) << udid;
    EXPECT_FALSE(c.IsConnected());
    char b = 0;
    EXPECT_EQ(c.Receive(&b, 1), 0);
  }
}

const Side kSides[] = {
    {"Library", &GetIosApi, false},
    {"LibraryTls", &GetIosApi, true},
    {"OwnClient", &IosClientApi, false},
    {"OwnClientTls", &IosClientApi, true},
};

INSTANTIATE_TEST_SUITE_P(IosClients, SideBySideTest, ::testing::ValuesIn(kSides),
                         [](const auto& info) { return std::string(info.param.name); });

using IosClientTest = FakeServiceTest;

TEST_F(IosClientTest, WithoutTheServiceListsNothingAndConnectsNowhere) {
  const test::RefusingPort nobody;
  usbmux::SetServicePort(nobody.port());
  EXPECT_TRUE(List(IosClientApi()).empty());
  char** udids = reinterpret_cast<char**>(1);
  int count = -1;
  EXPECT_NE(IosClientApi()->get_device_list(&udids, &count), 0);
  EXPECT_EQ(udids, nullptr);
  EXPECT_EQ(count, 0);
  TestConnection c(IosClientApi());
  EXPECT_EQ(c.Connect(kDeviceKindIos, kChinese, 8984), 0);
}

// A hostile service: only what is sound is listed, and the scan ends.
TEST_F(IosClientTest, HostileServiceRepliesListOnlyWhatIsSound) {
  const struct {
    MuxFault fault;
    size_t listed;  // iPhones that still make it into the list
  } cases[] = {
      {MuxFault::kHugeLength, 0},  // a header announcing two gigabytes
      {MuxFault::kNotAPlist, 0},
      {MuxFault::kCutReply, 0},
      {MuxFault::kWrongTag, 0},  // the reply to another request
      {MuxFault::kSilent, 0},
      // Entries without a usable UDID or number, Wi-Fi entries and repeats are left out; the
      // phone itself is listed once.
      {MuxFault::kOddEntries, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.fault));
    Options o;
    o.fault = c.fault;
    Serve({Phone(kChinese, kNameUtf8)}, o);
    const std::vector<DeviceEntry> entries = List(IosClientApi());
    ASSERT_EQ(entries.size(), c.listed);
    if (!entries.empty()) {
      EXPECT_EQ(entries[0].display_name, kNameGbk);
    }
  }
  // A list of a thousand devices is cut at the bound.
  Options o;
  o.fault = MuxFault::kManyDevices;
  Serve({}, o);
  const std::optional<std::vector<usbmux::AttachedDevice>> devices = usbmux::ListDevices();
  ASSERT_TRUE(devices.has_value());
  ASSERT_EQ(devices->size(), usbmux::kMaxDevices);
  EXPECT_EQ(devices->front().udid, "MANY-1");
}

TEST(UsbmuxUdid, OnlyLettersDigitsAndDashesUpToTheBoundNameAPhone) {
  // The UDID becomes part of the pair record's path and of adb-like command lines.
  const std::string longest(usbmux::kMaxUdidBytes, 'A');
  for (const std::string& udid : {std::string("00008030-001A2B3C"), longest})
    EXPECT_TRUE(usbmux::IsPlausibleUdid(udid)) << udid;
  for (const std::string& udid : {std::string(), longest + "A", std::string("a/b"),
                                  std::string("a.b"), std::string("a b"), std::string("a\\b")})
    EXPECT_FALSE(usbmux::IsPlausibleUdid(udid)) << udid;
}

// A hostile phone beside a good one is left out, or listed without a name.
TEST_F(IosClientTest, HostilePhoneIsLeftOutOrListedWithoutAName) {
  const struct {
    DeviceFault fault;
    bool tls;
    bool listed;  // listed (with an empty name) rather than left out
  } cases[] = {
      {DeviceFault::kBadPairRecord, false, false},  // a pair record that is no property list
      {DeviceFault::kHugeLength, false, false},     // a lockdown length of two gigabytes
      {DeviceFault::kNotAPlist, false, false},
      {DeviceFault::kNotLockdown, false, false},  // another service on the lockdown port
      {DeviceFault::kSilent, false, false},
      {DeviceFault::kPlainAfterSsl, true, false},  // asks for TLS, then speaks plain text
      {DeviceFault::kHugeName, true, true},        // a name of 64 KiB
      {DeviceFault::kNameNotText, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.fault));
    Iphone hostile = Phone(kChinese, kNameUtf8);
    hostile.fault = c.fault;
    Options o;
    o.tls = c.tls;
    Serve({hostile, Phone(kNameless, "Good")}, o);
    std::vector<std::pair<std::string, std::string>> listed;
    for (const DeviceEntry& e : List(IosClientApi()))
      listed.push_back({e.identifier, e.display_name});
    std::vector<std::pair<std::string, std::string>> expected;
    if (c.listed) expected.push_back({kChinese, ""});
    expected.push_back({kNameless, "Good"});
    EXPECT_EQ(listed, expected);
  }
}

}  // namespace
}  // namespace vl
