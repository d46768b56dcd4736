// The stream worker's iPhone path through the process's library (natively libimobiledevice)
// against a fake usbmuxd and lockdown service on loopback: it reaches the phone simulator
// through the proxied service port and receives video until stopped. (The scan, failures and a
// receive ended by Stop, through either client: ios_client_test; the worker's Stop with a silent
// phone: stream_worker_silence_test and, for an iPhone under Wine, ios_client_win_test.)
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "media/stream_worker.h"
#include "tests/device/fake_adb_workdir.h"
#include "tests/media/stream_test_support.h"
#include "tools/fake_usbmuxd/fake_usbmuxd.h"

namespace vl {
namespace {

TEST(IosUsbmuxdTest, StreamReachesThePhoneThroughTheProxiedServicePortWithVideo) {
  test::FakeAdbWorkdir adb("");
  auto phone = test::StartPhone({"--video", test::ClipPath(), "--fps", "60", "--loop", "0"});
  fake_usbmuxd::Iphone iphone;
  iphone.udid = "00008110-000A1C2E3F40801E";
  iphone.utf8_name = "\xE5\xBC\xA0\xE4\xB8\x89\xE7\x9A\x84iPhone";  // "张三的iPhone"
  iphone.services[8984] = phone->port();
  fake_usbmuxd::FakeUsbmuxd mux({iphone});
  ASSERT_TRUE(mux.Start());
  setenv("USBMUXD_SOCKET_ADDRESS", mux.Address().c_str(), 1);
  test::RecordingListener listener;
  auto decoded = std::make_shared<test::DecoderLog>();
  StreamWorker worker;
  worker.SetListener(&listener);
  worker.SetDecoderFactory(test::RecordingDecoderFactory(decoded));
  worker.SetPort(8984);
  const DeviceEntry entry{"\xD5\xC5\xC8\xFD\xB5\xC4iPhone", iphone.udid, kDeviceKindIos};
  worker.Start(&entry);
  ASSERT_TRUE(listener.WaitFor("connected", std::chrono::seconds(20))) << worker.GetErrorText();
  const std::vector<std::string> requests = mux.Requests();
  EXPECT_NE(std::find(requests.begin(), requests.end(), "Connect " + iphone.udid + " 8984"),
            requests.end());
  for (int i = 0; i < 500; ++i) {
    {
      std::lock_guard<std::mutex> guard(decoded->lock);
      if (decoded->bytes.size() > 20000) break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  {
    std::lock_guard<std::mutex> guard(decoded->lock);
    EXPECT_GT(decoded->bytes.size(), 20000u);
    // An Annex B stream from its start: a start code first.
    ASSERT_GE(decoded->bytes.size(), 4u);
    EXPECT_EQ(decoded->bytes[0], 0);
    EXPECT_EQ(decoded->bytes[1], 0);
  }
  worker.Stop();
  EXPECT_EQ(listener.Events(), (std::vector<std::string>{"connected", "ended"}));
  mux.Stop();
  unsetenv("USBMUXD_SOCKET_ADDRESS");
}

}  // namespace
}  // namespace vl
