// The iOS path under Windows: libimobiledevice loaded at run time from the program directory
// (here the stand-in DLL built beside this test), carrying the phone stream end to end.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "device/device_connection.h"
#include "device/ios_api.h"
#include "device/socket_layer.h"
#include "media/stream_worker.h"
#include "tests/media/stream_test_support.h"

namespace vl {
namespace {

constexpr char kUdid[] = "FAKE-IPHONE-0001";

class LoopbackIosConnection : public DeviceConnection {
 public:
  ~LoopbackIosConnection() override { Close(); }
  int OnConnected() override { return 1; }
};

// Reads the stand-in's counters through the module the transport loaded.
template <typename F>
F Probe(const char* name) {
  HMODULE m = GetModuleHandleA("libimobiledevice-1.0.dll");
  return m ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name))) : nullptr;
}

class IosTransportTest : public ::testing::Test {
 protected:
  net::SocketLibrary sockets_;
};

TEST_F(IosTransportTest, LibraryIsLoadedFromTheProgramDirectory) {
  ASSERT_NE(GetIosApi(), nullptr);
  EXPECT_NE(GetModuleHandleA("libimobiledevice-1.0.dll"), nullptr);
}

TEST_F(IosTransportTest, ConnectOpensDeviceServiceAndLockdownThenReleasesThemAll) {
  uint16_t port = 0;
  const net::NativeSocket listener = net::OpenListener("127.0.0.1", 0, &port);
  LoopbackIosConnection c;
  ASSERT_EQ(c.Connect(1, kUdid, 65536 + port), 1);  // only the low 16 bits of the port count
  const net::NativeSocket phone = net::AcceptConnection(listener, 5000);
  ASSERT_NE(phone, net::kInvalidSocket);
  EXPECT_TRUE(c.IsConnected());
  EXPECT_STREQ(Probe<const char* (*)()>("fake_imobiledevice_last_label")(), "lumaroo");
  auto live = Probe<int (*)()>("fake_imobiledevice_live_handles");
  EXPECT_EQ(live(), 3);

  EXPECT_EQ(c.Send("ping", 4), 4);
  char in[4] = {};
  ASSERT_EQ(net::WaitReadable(phone, 5000), net::WaitResult::kReady);
  EXPECT_EQ(net::ReceiveSome(phone, in, 4), 4);
  // The phone sends 400 of 1000 bytes and closes: the receive gives the short count.
  std::vector<char> part(400, 'q');
  EXPECT_EQ(net::SendSome(phone, part.data(), 400), 400);
  net::ShutdownAndClose(phone);
  std::vector<char> buffer(1000);
  EXPECT_EQ(c.Receive(buffer.data(), 1000), 400);

  c.Close();
  EXPECT_FALSE(c.IsConnected());
  EXPECT_EQ(live(), 0);
  EXPECT_EQ(c.Send("x", 1), 0);
  net::ShutdownAndClose(listener);
}

TEST_F(IosTransportTest, UnknownUdidFailsAtTheFirstCall) {
  LoopbackIosConnection c;
  EXPECT_EQ(c.Connect(1, "NOT-ATTACHED", 8984), 0);
  EXPECT_EQ(Probe<int (*)()>("fake_imobiledevice_live_handles")(), 0);
}

TEST_F(IosTransportTest, ServiceConnectionFailureKeepsTheDeviceUntilClose) {
  uint16_t port = 0;
  net::ShutdownAndClose(net::OpenListener("127.0.0.1", 0, &port));  // nothing listens there
  LoopbackIosConnection c;
  EXPECT_EQ(c.Connect(1, kUdid, port), 0);
  auto live = Probe<int (*)()>("fake_imobiledevice_live_handles");
  EXPECT_EQ(live(), 1);  // the device handle stays held until Close
  c.Close();
  EXPECT_EQ(live(), 0);
}

TEST_F(IosTransportTest, StreamWorkerRunsAnIphoneEndToEnd) {
  auto phone = test::StartPhone({"--reverse-v", "1", "--panel-text", "<config/>", "--packet-text",
                                 "1:frame", "--end", "close"});
  test::RecordingListener listener;
  auto decoded = std::make_shared<test::DecoderLog>();
  StreamWorker worker;
  worker.SetListener(&listener);
  worker.SetDecoderFactory(test::RecordingDecoderFactory(decoded));
  worker.SetPort(phone->port());
  DeviceEntry iphone{"iPhone", kUdid, 1};
  worker.Start(&iphone);
  ASSERT_TRUE(listener.WaitFor("ended", std::chrono::seconds(20)));
  worker.Stop();
  EXPECT_EQ(listener.Events(), (std::vector<std::string>{"connected", "panel:<config/>", "ended"}));
  EXPECT_EQ(worker.ReverseFlags().reverse_v, 1);
  std::lock_guard<std::mutex> lock(decoded->lock);
  EXPECT_EQ(std::string(decoded->bytes.begin(), decoded->bytes.end()), "frame");
}

}  // namespace
}  // namespace vl
