// The program's own iPhone client under Wine (WinSock, the Windows build of mbed TLS and
// libplist) against the fake mobile-device service on the Linux side, whose lockdown sessions go
// on in TLS as real phones' do: the stream worker runs an iPhone through the proxied service port
// and a phone fallen silent does not hold the worker's Stop; without the service the scan still
// lists the Android phones. (The scan's names and left-out phones under Wine, in TLS:
// lumaroo_iphone_test; natively, with the same client, ios_client_test.)
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "device/device_scanner.h"
#include "device/socket_layer.h"
#include "device/usbmux_client.h"
#include "media/stream_worker.h"
#include "tests/device/fake_adb_workdir.h"
#include "tests/device/fake_iphones.h"
#include "tests/media/stream_test_support.h"

namespace vl {
namespace {

class IosClientWinTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(iphones_.available()) << "run under fake_usbmuxd run"; }
  ~IosClientWinTest() override {
    for (int i = 0; i < 500 && DeviceScanner::RunningScanThreads() > 0; ++i) Sleep(10);
  }
  // One scan by the process's iPhone client: the names it delivered.
  std::vector<std::string> Scan() {
    std::vector<std::string> names;
    std::atomic<bool> arrived{false};
    DeviceScanner scanner;
    scanner.SetResultHandler([&](const std::vector<DeviceEntry>& entries) {
      for (const DeviceEntry& e : entries) names.push_back(e.display_name);
      arrived = true;
    });
    EXPECT_TRUE(scanner.StartScan());
    for (int i = 0; i < 6000 && !arrived; ++i) Sleep(10);
    EXPECT_TRUE(arrived.load());
    for (int i = 0; i < 500 && scanner.IsScanning(); ++i) Sleep(10);
    return names;
  }

  net::SocketLibrary sockets_;  // the program starts WinSock at its entry
  test::FakeIphones iphones_;
  test::FakeAdbWorkdir adb_{"device ANDROID01 device\nprop ANDROID01 ro.product.model Mi 11\n"};
};

// The phone then falls silent: the worker's Stop wakes the receive waiting inside the client (the
// run would otherwise sit out its ten-second wait); it ends the run, not the phone.
TEST_F(IosClientWinTest, StreamWorkerRunsAnIphoneThroughTheProxiedPortUntilStopped) {
  auto phone = test::StartPhone({"--reverse-v", "1", "--panel-text", "<config/>", "--packet-text",
                                 "1:frame", "--end", "hold"});
  iphones_.Attach("device UDID-CN iPhone\nservice UDID-CN 8984 " + std::to_string(phone->port()) +
                  "\n");
  test::RecordingListener listener;
  auto decoded = std::make_shared<test::DecoderLog>();
  StreamWorker worker;
  worker.SetListener(&listener);
  worker.SetDecoderFactory(test::RecordingDecoderFactory(decoded));
  worker.SetPort(8984);
  const DeviceEntry iphone{"iPhone", "UDID-CN", kDeviceKindIos};
  worker.Start(&iphone);
  ASSERT_TRUE(listener.WaitFor("panel:<config/>", std::chrono::seconds(30)))
      << worker.GetErrorText();
  EXPECT_TRUE(iphones_.Logged("Connect UDID-CN 8984"));
  EXPECT_EQ(worker.ReverseFlags().reverse_v, 1);
  Sleep(300);
  worker.Stop();
  EXPECT_EQ(listener.Events(), (std::vector<std::string>{"connected", "panel:<config/>", "ended"}));
  std::lock_guard<std::mutex> lock(decoded->lock);
  EXPECT_EQ(std::string(decoded->bytes.begin(), decoded->bytes.end()), "frame");
}

TEST_F(IosClientWinTest, WithoutTheServiceOnlyAndroidPhonesAreListed) {
  usbmux::SetServicePort(1);  // nothing listens there
  EXPECT_EQ(Scan(), std::vector<std::string>{"Mi 11"});
}

}  // namespace
}  // namespace vl
