// The stream worker talking to a real window under Windows: messages kMsgStreamConnected to
// kMsgPanelCommand through the message queue, the failure text in code page 936, and a Stop that
// must not deadlock while the worker waits inside SendMessage.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "common/main_window_messages.h"
#include "device/socket_layer.h"
#include "media/stream_worker.h"
#include "tests/device/fake_adb_workdir.h"
#include "tests/media/player_test_support.h"
#include "tests/media/stream_test_support.h"

namespace vl {
namespace {

using test::StartPhone;

// A hidden top-level window recording the worker's messages in arrival order.
class RecordingWindow {
 public:
  RecordingWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &RecordingWindow::Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VlStreamTestWindow";
    RegisterClassA(&wc);  // a second registration fails harmlessly
    hwnd_ = CreateWindowExA(0, wc.lpszClassName, "stream test", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                            nullptr, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~RecordingWindow() { DestroyWindow(hwnd_); }
  HWND hwnd() const { return hwnd_; }
  const std::vector<std::string>& events() const { return events_; }

  bool Has(const std::string& e) const {
    return std::find(events_.begin(), events_.end(), e) != events_.end();
  }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<RecordingWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self && msg >= kMsgStreamConnected && msg <= kMsgPanelCommand) {
      char name[16];
      wsprintfA(name, "0x%X", msg);
      std::string e = name;
      EXPECT_EQ(wp, 0u);
      if (msg == kMsgPanelCommand) {
        e += ":" + std::string(reinterpret_cast<const char*>(lp));
      } else {
        EXPECT_EQ(lp, 0);
      }
      self->events_.push_back(e);
      return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
  }

  HWND hwnd_ = nullptr;
  std::vector<std::string> events_;
};

class StreamWorkerWindowTest : public ::testing::Test {
 protected:
  StreamWorkerWindowTest() { worker_.SetNotifyWindow(window_.hwnd()); }
  net::SocketLibrary sockets_;
  test::FakeAdbWorkdir adb_{"device PHONE1 device\n"};
  RecordingWindow window_;
  DeviceEntry entry_{"", "PHONE1", 2};
  StreamWorker worker_;
};

// A run's messages arrive in order through the forward; a failed connection then arrives as
// 0x403 with the fixed text in code page 936.
TEST_F(StreamWorkerWindowTest, ConnectedCommandAndEndArriveInOrderThenAFailure) {
  ASSERT_NE(window_.hwnd(), nullptr);
  auto phone = StartPhone({"--panel-text", "<config name=\"美颜\"/>", "--video", test::ClipPath(),
                           "--fps", "0", "--end", "close"});
  worker_.SetPort(phone->port());
  worker_.Start(&entry_);
  ASSERT_TRUE(test::PumpUntil([&] { return window_.Has("0x402"); }, 20000));
  // The forward command line exactly as CreateProcess handed it to adb.
  EXPECT_EQ(adb_.ReadLog(), "cmd: adb\\adb.exe -s PHONE1 forward tcp:8984 tcp:8984\n");
  test::PumpUntil([&] { return !worker_.IsRunning(); }, 5000);
  uint16_t port = 0;
  net::ShutdownAndClose(net::OpenListener("127.0.0.1", 0, &port));
  worker_.SetPort(port);
  worker_.Start(&entry_);
  ASSERT_TRUE(test::PumpUntil([&] { return window_.Has("0x403"); }, 20000));
  test::PumpUntil([&] { return !worker_.IsRunning(); }, 5000);
  EXPECT_EQ(window_.events(),
            (std::vector<std::string>{"0x401", "0x404:<config name=\"\xC3\xC0\xD1\xD5\"/>", "0x402",
                                      "0x403"}));
  const std::string text = worker_.GetErrorText();
  const char kGbk[] =
      "\xcd\xac\xb2\xbd\xca\xa7\xb0\xdc\xa3\xa1\xc7\xeb\xb4\xf2\xbf\xaaQuillet\xca\xd6\xbb\xfa"
      "APP\xb2\xa2\xbd\xf8\xc8\xeb\xd6\xb1\xb2\xa5\xc4\xa3\xca\xbd\xa1\xa3\nTips\xa3\xbaQuillet"
      "APP\xa3\xac\xca\xd7\xd2\xb3\xd3\xd2\xbb\xac\xbd\xf8\xc8\xeb\xb8\xf6\xc8\xcb\xd6\xd0"
      "\xd0\xc4\xa3\xac\xd1\xa1\xd4\xf1\xa1\xb8Orsel\xb7\xfe\xce\xf1 - Zentrel\xa1\xb9";
  EXPECT_EQ(text, kGbk);
  // And Windows' own tables read it back as the intended characters (as MessageBoxA will).
  const int n =
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  EXPECT_EQ(wide.substr(0, 5), L"\u540c\u6b65\u5931\u8d25\uff01");  // 同步失败！
  EXPECT_EQ(wide.back(), L'\u300d');                                // 」
}

TEST_F(StreamWorkerWindowTest, StopHandlesAPanelCommandTheWorkerIsSendingMeanwhile) {
  auto phone = StartPhone({"--panel-text", "<pending/>", "--sleep", "200", "--end", "close"});
  worker_.SetPort(phone->port());
  worker_.Start(&entry_);
  ASSERT_TRUE(test::PumpUntil([&] { return window_.Has("0x401"); }, 20000));
  // Not handling messages now: the worker blocks in SendMessage kMsgPanelCommand until Stop lets it
  // in.
  ASSERT_TRUE(phone->WaitFor([](const phonesim::SessionReport& r) { return r.steps_done >= 1; },
                             std::chrono::seconds(10)));
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_FALSE(window_.Has("0x404:<pending/>"));
  worker_.Stop();
  EXPECT_FALSE(worker_.IsRunning());
  EXPECT_TRUE(window_.Has("0x404:<pending/>"));
  ASSERT_TRUE(test::PumpUntil([&] { return window_.Has("0x402"); }, 5000));
  EXPECT_EQ(window_.events(), (std::vector<std::string>{"0x401", "0x404:<pending/>", "0x402"}));
}

}  // namespace
}  // namespace vl
