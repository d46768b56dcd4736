// The program's own iPhone client under Wine (WinSock, the Windows build of mbed TLS and
// libplist) against the fake mobile-device service on the Linux side, whose lockdown sessions go
// on in TLS as real phones' do: the stream worker runs an iPhone through the proxied service port
// and a phone fallen silent does not hold the worker's Stop. (The scan's names and left-out phones
// under Wine, in TLS: lumaroo_iphone_test. Without the service: the client's list fails empty,
// ios_client_test; the scan then lists the Android phones, device_scanner_test; the client's
// connect under Wine fails, device_connection_test.)
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/socket_layer.h"
#include "media/stream_worker.h"
#include "tests/device/fake_iphones.h"
#include "tests/media/stream_test_support.h"

namespace vl {
namespace {

// The phone then falls silent: the worker's Stop wakes the receive waiting inside the client (the
// run would otherwise sit out its ten-second wait); it ends the run, not the phone.
TEST(IosClientWin, StreamWorkerRunsAnIphoneThroughTheProxiedPortUntilStopped) {
  const net::SocketLibrary sockets;  // the program starts WinSock at its entry
  test::FakeIphones iphones;
  ASSERT_TRUE(iphones.available()) << "run under fake_usbmuxd run";
  auto phone = test::StartPhone({"--reverse-v", "1", "--panel-text", "<config/>", "--packet-text",
                                 "1:frame", "--end", "hold"});
  iphones.Attach("device UDID-CN iPhone\nservice UDID-CN 8984 " + std::to_string(phone->port()) +
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
  EXPECT_NE(iphones.Log().find("Connect UDID-CN 8984\n"), std::string::npos) << iphones.Log();
  EXPECT_EQ(worker.ReverseFlags().reverse_v, 1);
  Sleep(300);
  worker.Stop();
  EXPECT_EQ(listener.Events(), (std::vector<std::string>{"connected", "panel:<config/>", "ended"}));
  std::lock_guard<std::mutex> lock(decoded->lock);
  EXPECT_EQ(std::string(decoded->bytes.begin(), decoded->bytes.end()), "frame");
}

}  // namespace
}  // namespace vl
