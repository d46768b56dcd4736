// The program's own iPhone client under Wine (WinSock, the Windows build of mbed TLS and
// libplist) against the fake mobile-device service on the Linux side, whose lockdown sessions go
// on in TLS as real phones' do: the scan names a Chinese iPhone in code page 936, leaves out the
// phone whose handshake fails and the one never paired, and hands the list to a window as
// kMsgDeviceListArrived; the stream worker runs an iPhone through the proxied service port and a
// phone fallen silent does not hold the worker's Stop; without the service the scan still lists
// the Android phones.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/device_scanner.h"
#include "device/socket_layer.h"
#include "device/usbmux_client.h"
#include "media/stream_worker.h"
#include "tests/device/fake_adb_workdir.h"
#include "tests/device/fake_iphones.h"
#include "tests/media/player_test_support.h"
#include "tests/media/stream_test_support.h"

namespace vl {
namespace {

// "测试的iPhone" in UTF-8 as the phone reports it; in GBK as the PC shows it.
const char kNameUtf8[] = "\xE6\xB5\x8B\xE8\xAF\x95\xE7\x9A\x84iPhone";
const char kNameGbk[] = "\xB2\xE2\xCA\xD4\xB5\xC4iPhone";

// Receives kMsgDeviceListArrived the way the main window does and keeps what it saw.
struct ResultWindow {
  static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == kMsgDeviceListArrived) {
      auto* self = reinterpret_cast<ResultWindow*>(GetWindowLongPtrA(w, GWLP_USERDATA));
      self->count = static_cast<int>(wp);
      const auto* entries = reinterpret_cast<const DeviceEntry*>(lp);
      for (int i = 0; i < self->count; ++i) self->names.push_back(entries[i].display_name);
      self->arrived = true;
      return 0;
    }
    return DefWindowProcA(w, m, wp, lp);
  }
  ResultWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VlScanResultWindow";
    RegisterClassA(&wc);
    hwnd = CreateWindowA("VlScanResultWindow", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                         wc.hInstance, nullptr);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~ResultWindow() { DestroyWindow(hwnd); }
  HWND hwnd;
  bool arrived = false;
  int count = -1;
  std::vector<std::string> names;
};

class IosClientWinTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(iphones_.available()) << "run under fake_usbmuxd run"; }
  ~IosClientWinTest() override {
    for (int i = 0; i < 500 && DeviceScanner::RunningScanThreads() > 0; ++i) Sleep(10);
  }
  std::vector<std::string> Scan() {
    ResultWindow window;
    DeviceScanner scanner;  // the process's iPhone client
    scanner.SetResultWindow(window.hwnd);
    EXPECT_TRUE(scanner.StartScan());
    EXPECT_TRUE(test::PumpUntil([&] { return window.arrived; }, 60000));
    EXPECT_EQ(window.count, static_cast<int>(window.names.size()));
    for (int i = 0; i < 500 && scanner.IsScanning(); ++i) Sleep(10);
    return window.names;
  }

  net::SocketLibrary sockets_;  // the program starts WinSock at its entry
  test::FakeIphones iphones_;
  test::FakeAdbWorkdir adb_{"device ANDROID01 device\nprop ANDROID01 ro.product.model Mi 11\n"};
};

TEST_F(IosClientWinTest, ScanNamesIphonesInTheAnsiCodePageLeavesOutFailuresAndSends0x464) {
  iphones_.Attach(std::string("device UDID-CN ") + kNameUtf8 +
                  "\n"
                  "refuse UDID-BROKEN\n"
                  "unpaired UDID-STRANGER Stranger\n"
                  "device UDID-NONAME\n");
  EXPECT_EQ(Scan(), (std::vector<std::string>{kNameGbk, "", "Mi 11"})) << iphones_.Log();
  // A session in TLS with the pair record's host certificate, as a real phone wants it.
  EXPECT_TRUE(iphones_.Logged("session UDID-CN host-id=ok buid=ok"));
  EXPECT_TRUE(iphones_.Logged("tls UDID-CN host"));
  EXPECT_TRUE(iphones_.Logged("lockdown UDID-CN GetValue DeviceName label=lumaroo"));
  EXPECT_TRUE(iphones_.Logged("lockdown UDID-BROKEN QueryType label=lumaroo"));
  EXPECT_EQ(iphones_.Log().find("session UDID-STRANGER"), std::string::npos);
}

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
