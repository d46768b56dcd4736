// The stream worker talking to a real window under Windows: messages kMsgStreamConnected to
// kMsgPanelCommand through the message queue, and a Stop that must not deadlock while the worker
// waits inside SendMessage. (A whole run's messages and a failure's code page 936 text reach the
// main window in main_dlg_test; the forward's command line is stream_worker_test's, the commands'
// code page bmt_reader_test's.)
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
