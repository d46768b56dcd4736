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

// The worker's messages to the test's window, in arrival order.
std::vector<std::string> events;

bool Has(const std::string& e) {
  return std::find(events.begin(), events.end(), e) != events.end();
}

LRESULT CALLBACK RecordMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg < kMsgStreamConnected || msg > kMsgPanelCommand) return DefWindowProcA(hwnd, msg, wp, lp);
  char name[16];
  wsprintfA(name, "0x%X", msg);
  EXPECT_EQ(wp, 0u);
  if (msg != kMsgPanelCommand) {
    EXPECT_EQ(lp, 0);
  }
  const std::string text = msg == kMsgPanelCommand ? reinterpret_cast<const char*>(lp) : "";
  events.push_back(name + (text.empty() ? "" : ":" + text));
  return 0;
}

TEST(StreamWorkerWindowTest, StopHandlesAPanelCommandTheWorkerIsSendingMeanwhile) {
  net::SocketLibrary sockets;
  test::FakeAdbWorkdir adb{"device PHONE1 device\n"};
  WNDCLASSA wc{};
  wc.lpfnWndProc = &RecordMessage;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "VlStreamTestWindow";
  RegisterClassA(&wc);
  const HWND window = CreateWindowExA(0, wc.lpszClassName, "stream test", WS_OVERLAPPEDWINDOW, 0, 0,
                                      100, 100, nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  StreamWorker worker;
  worker.SetNotifyWindow(window);
  const DeviceEntry entry{"", "PHONE1", 2};
  auto phone = test::StartPhone({"--sleep", "300", "--panel-text", "<pending/>", "--end", "close"});
  worker.SetPort(phone->port());
  worker.Start(&entry);
  ASSERT_TRUE(test::PumpUntil([&] { return Has("0x401"); }, 20000));
  // The command came 300 ms after the connection; not handling messages now, the worker blocks
  // in SendMessage kMsgPanelCommand until Stop lets it in.
  ASSERT_TRUE(phone->WaitFor([](const phonesim::SessionReport& r) { return r.steps_done >= 2; },
                             std::chrono::seconds(10)));
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_FALSE(Has("0x404:<pending/>"));
  worker.Stop();
  EXPECT_FALSE(worker.IsRunning());
  EXPECT_TRUE(Has("0x404:<pending/>"));
  ASSERT_TRUE(test::PumpUntil([&] { return Has("0x402"); }, 5000));
  EXPECT_EQ(events, (std::vector<std::string>{"0x401", "0x404:<pending/>", "0x402"}));
  DestroyWindow(window);
}

}  // namespace
}  // namespace vl
