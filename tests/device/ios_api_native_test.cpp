// The stream worker's iPhone path through the process's library (natively libimobiledevice)
// against a fake usbmuxd and lockdown service on loopback: it reaches the phone simulator
// through the proxied service port and receives video, stops at once with a silent phone, and
// fails with a phone that lacks the service. (The scan: ios_client_test.)
#include <gtest/gtest.h>

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

using Clock = std::chrono::steady_clock;
using fake_usbmuxd::FakeUsbmuxd;
using fake_usbmuxd::Iphone;

// "张三的iPhone" as the phone reports it (UTF-8) and as the PC lists it (GBK, code page 936).
const char kNameUtf8[] = "\xE5\xBC\xA0\xE4\xB8\x89\xE7\x9A\x84iPhone";
const char kNameGbk[] = "\xD5\xC5\xC8\xFD\xB5\xC4iPhone";

class IosUsbmuxdTest : public ::testing::Test {
 protected:
  void StartMux(uint16_t phone_port) {
    Iphone chinese{"00008110-000A1C2E3F40801E", kNameUtf8};
    chinese.services[8984] = phone_port;
    Iphone broken{"00008030-0011223344556677", "Broken"};
    broken.refuses_lockdown = true;
    Iphone nameless{"00008101-0000000000000AAA", ""};
    nameless.has_name = false;
    mux_ = std::make_unique<FakeUsbmuxd>(std::vector<Iphone>{chinese, broken, nameless});
    ASSERT_TRUE(mux_->Start());
    setenv("USBMUXD_SOCKET_ADDRESS", mux_->Address().c_str(), 1);
  }
  ~IosUsbmuxdTest() override {
    if (mux_) mux_->Stop();
    unsetenv("USBMUXD_SOCKET_ADDRESS");
  }
  bool Requested(const std::string& line) const {
    for (const std::string& r : mux_->Requests())
      if (r == line) return true;
    return false;
  }

  test::FakeAdbWorkdir adb_{""};
  std::unique_ptr<FakeUsbmuxd> mux_;
};

TEST_F(IosUsbmuxdTest, StreamReachesThePhoneThroughTheProxiedServicePortWithVideo) {
  auto phone = test::StartPhone({"--video", test::ClipPath(), "--fps", "60", "--loop", "0"});
  StartMux(phone->port());
  test::RecordingListener listener;
  auto decoded = std::make_shared<test::DecoderLog>();
  StreamWorker worker;
  worker.SetListener(&listener);
  worker.SetDecoderFactory(test::RecordingDecoderFactory(decoded));
  worker.SetPort(8984);
  const DeviceEntry iphone{kNameGbk, "00008110-000A1C2E3F40801E", kDeviceKindIos};
  worker.Start(&iphone);
  ASSERT_TRUE(listener.WaitFor("connected", std::chrono::seconds(20))) << worker.GetErrorText();
  EXPECT_TRUE(Requested("Connect 00008110-000A1C2E3F40801E 8984"));
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
}

TEST_F(IosUsbmuxdTest, StopWithASilentIphoneDoesNotSitOutTheLibrarysReceiveWait) {
  auto phone = test::StartPhone({"--silence"});
  StartMux(phone->port());
  test::RecordingListener listener;
  StreamWorker worker;
  worker.SetListener(&listener);
  worker.SetDecoderFactory(nullptr);
  worker.SetPort(8984);
  const DeviceEntry iphone{kNameGbk, "00008110-000A1C2E3F40801E", kDeviceKindIos};
  worker.Start(&iphone);
  ASSERT_TRUE(listener.WaitFor("connected", std::chrono::seconds(20))) << worker.GetErrorText();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const auto start = Clock::now();
  worker.Stop();
  EXPECT_LT(std::chrono::duration<double>(Clock::now() - start).count(), 3.0);
  EXPECT_EQ(listener.Events(), (std::vector<std::string>{"connected", "ended"}));
}

TEST_F(IosUsbmuxdTest, IphoneWithoutTheServiceFailsTheConnection) {
  StartMux(1);
  test::RecordingListener listener;
  StreamWorker worker;
  worker.SetListener(&listener);
  worker.SetDecoderFactory(nullptr);
  worker.SetPort(8984);
  const DeviceEntry nameless{"", "00008101-0000000000000AAA", kDeviceKindIos};
  worker.Start(&nameless);
  ASSERT_TRUE(listener.WaitFor("failed", std::chrono::seconds(20)));
  worker.Stop();
  EXPECT_TRUE(Requested("Connect 00008101-0000000000000AAA 8984"));
}

}  // namespace
}  // namespace vl
