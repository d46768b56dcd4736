// StreamWorker end to end: fake adb forward, phone simulator, recorders for the window, the
// resource store and the decoder.
#include "media/stream_worker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <thread>

#include "device/socket_layer.h"
#include "media/bmt_reader.h"
#include "tests/device/fake_adb_workdir.h"
#include "tests/media/stream_test_support.h"

namespace vl {
namespace {

using phonesim::SessionReport;
using test::AsLogged;
using test::DecoderLog;
using test::RecordingListener;
using test::RecordingResourceStore;
using test::StartPhone;

constexpr std::chrono::seconds kWait{20};
// GBK bytes of "同步失败！".
const std::string kFailedPrefix = "\xCD\xAC\xB2\xBD\xCA\xA7\xB0\xDC\xA3\xA1";

class StreamWorkerTest : public ::testing::Test {
 protected:
  StreamWorkerTest() {
    worker_.SetListener(&listener_);
    worker_.SetResourceStore(&store_);
    worker_.SetDecoderFactory(test::RecordingDecoderFactory(decoder_));
    phone_entry_.display_name = "Pixel";
    phone_entry_.identifier = "PHONE1";
    phone_entry_.kind = 2;
  }
  void WaitUntilIdle() {
    const auto end = std::chrono::steady_clock::now() + kWait;
    while (worker_.IsRunning() && std::chrono::steady_clock::now() < end) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_FALSE(worker_.IsRunning());
  }

  net::SocketLibrary sockets_;
  test::FakeAdbWorkdir adb_{"device PHONE1 device\n"};
  RecordingListener listener_;
  RecordingResourceStore store_;
  std::shared_ptr<DecoderLog> decoder_ = std::make_shared<DecoderLog>();
  DeviceEntry phone_entry_;
  StreamWorker worker_;
};

// A store that runs out of memory, as a 32-bit program may on a large resource.
class ExhaustedStore : public IResourceStore {
 public:
  void AddResource(const std::string&, std::unique_ptr<uint8_t[]>, int32_t) override {
    throw std::bad_alloc();
  }
};

TEST_F(StreamWorkerTest, RunningOutOfMemoryEndsTheRunInsteadOfTheProgram) {
  ExhaustedStore exhausted;
  worker_.SetResourceStore(&exhausted);
  auto phone =
      StartPhone({"--resource-bytes", "a.png=40", "--panel-text", "<never/>", "--end", "hold"});
  worker_.SetPort(phone->port());
  worker_.Start(&phone_entry_);
  ASSERT_TRUE(listener_.WaitFor("ended", kWait));
  WaitUntilIdle();
  EXPECT_EQ(listener_.Events(), (std::vector<std::string>{"connected", "ended"}));
  std::lock_guard<std::mutex> lock(decoder_->lock);
  EXPECT_EQ(decoder_->destroyed, decoder_->created);
}

TEST_F(StreamWorkerTest, StreamsVideoCommandsAndResourcesThenEnds) {
  const std::vector<uint8_t> clip = test::ReadBytes(test::ClipPath());
  ASSERT_GT(clip.size(), 1000u);
  auto phone = StartPhone({"--reverse-h", "1", "--panel-text", "<config/>", "--video",
                           test::ClipPath(), "--fps", "0", "--chunk", "1:3000", "--resource-bytes",
                           "a.png=40", "--end", "close"});
  worker_.SetPort(phone->port());
  worker_.Start(&phone_entry_);
  EXPECT_TRUE(worker_.IsRunning());
  ASSERT_TRUE(listener_.WaitFor("ended", kWait));
  WaitUntilIdle();

  EXPECT_EQ(listener_.Events(),
            (std::vector<std::string>{"connected", "panel:<config/>", "ended"}));
  // Every chunk reached the decoder in order: the bytes are the clip's bytes.
  {
    std::lock_guard<std::mutex> lock(decoder_->lock);
    EXPECT_EQ(decoder_->bytes, clip);
    EXPECT_GT(decoder_->chunks, 1);
    EXPECT_EQ(decoder_->created, 1);
    EXPECT_EQ(decoder_->destroyed, 1);
  }
  ASSERT_EQ(store_.Entries().size(), 1u);
  EXPECT_EQ(store_.Entries()[0].data.size(), 40u);
  EXPECT_EQ(worker_.ReverseFlags().reverse_h, 1);
  EXPECT_EQ(worker_.ReverseFlags().reverse_v, 0);
  EXPECT_EQ(adb_.ReadLog(), AsLogged("adb\\adb.exe -s PHONE1 forward tcp:8984 tcp:8984"));
  // The run's reader is gone: nothing can write to the old connection any more.
  EXPECT_EQ(BMTReader::Current(), nullptr);
}

// Without remote tips a failure reports the built-in text; a tip fetched while the program runs
// replaces it at the next failure.
TEST_F(StreamWorkerTest, FailureReportsTheDefaultTextInTheAnsiCodePageOrTheRemoteTips) {
  uint16_t port = 0;
  net::ShutdownAndClose(net::OpenListener("127.0.0.1", 0, &port));  // nobody answers there
  std::string tips;
  worker_.SetConnectionTipsSource([&tips] { return tips; });
  worker_.SetPort(port);
  worker_.Start(&phone_entry_);
  ASSERT_TRUE(listener_.WaitFor("failed", kWait));
  WaitUntilIdle();
  EXPECT_EQ(listener_.Events(), std::vector<std::string>{"failed"});
  const std::string text = worker_.GetErrorText();
  EXPECT_EQ(text.substr(0, kFailedPrefix.size()), kFailedPrefix);
  // "Quillet" and the line break survive; the text is GBK, not UTF-8 ("！" is A3 A1 in GBK).
  EXPECT_NE(text.find("Quillet"), std::string::npos);
  EXPECT_NE(text.find("\nTips"), std::string::npos);
  EXPECT_EQ(text.find("\xEF\xBC\x81"), std::string::npos);
  {
    std::lock_guard<std::mutex> lock(decoder_->lock);
    EXPECT_EQ(decoder_->created, 1);
    EXPECT_EQ(decoder_->destroyed, 1);
  }
  tips = "please open the app";
  auto phone = StartPhone({"--greeting", "HELLO"});
  worker_.SetPort(phone->port());
  worker_.Start(&phone_entry_);
  const auto deadline = std::chrono::steady_clock::now() + kWait;
  while (listener_.Events().size() < 2 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  WaitUntilIdle();
  EXPECT_EQ(listener_.Events(), (std::vector<std::string>{"failed", "failed"}));
  EXPECT_EQ(worker_.GetErrorText(), "please open the app");
}

TEST_F(StreamWorkerTest, NoDeviceOrNoAdbFailsWithoutForwarding) {
  worker_.Start(nullptr);
  ASSERT_TRUE(listener_.WaitFor("failed", kWait));
  WaitUntilIdle();
  EXPECT_EQ(worker_.GetErrorText(), kFailedPrefix);  // the short text
  adb_.RemoveAdb();
  worker_.Start(&phone_entry_);
  WaitUntilIdle();
  EXPECT_EQ(listener_.Events(), (std::vector<std::string>{"failed", "failed"}));
  EXPECT_EQ(worker_.GetErrorText().substr(0, kFailedPrefix.size()), kFailedPrefix);
  EXPECT_EQ(adb_.ReadLog(), "");
}

TEST_F(StreamWorkerTest, StopDuringStreamingAsksTheDecoderToStopAndEndsTheRun) {
  auto phone = StartPhone({"--video", test::ClipPath(), "--fps", "30", "--loop", "0"});
  worker_.SetPort(phone->port());
  worker_.Start(&phone_entry_);
  ASSERT_TRUE(listener_.WaitFor("connected", kWait));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  worker_.Stop();
  EXPECT_FALSE(worker_.IsRunning());
  EXPECT_EQ(listener_.Events(), (std::vector<std::string>{"connected", "ended"}));
  std::lock_guard<std::mutex> lock(decoder_->lock);
  EXPECT_EQ(decoder_->stop_requests, 1);
  EXPECT_EQ(decoder_->destroyed, 1);
  EXPECT_GT(decoder_->chunks, 0);
}

// Runs follow each other, each with a new decoder (a Start while running is ignored). A length
// past the bound and a close in the middle of a packet end a run; garbage before them does not.
TEST_F(StreamWorkerTest, RunsFollowEachOtherAndEndAtAnOversizedLengthOrAMidPacketClose) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--packet-text", "1:abc", "--panel-text", "<a/>",
                                 "--oversized-length"},
        {"--garbage-types", "100", "--packet-text", "1:abc", "--panel-text", "<b/>",
         "--close-mid-packet", "5000"}}) {
    auto phone = StartPhone(args);
    worker_.SetPort(phone->port());
    worker_.Start(&phone_entry_);
    worker_.Start(&phone_entry_);  // ignored while running
    WaitUntilIdle();
  }
  EXPECT_EQ(listener_.Events(), (std::vector<std::string>{"connected", "panel:<a/>", "ended",
                                                          "connected", "panel:<b/>", "ended"}));
  std::lock_guard<std::mutex> lock(decoder_->lock);
  EXPECT_EQ(decoder_->created, 2);
  EXPECT_EQ(decoder_->destroyed, 2);
  EXPECT_EQ(std::string(decoder_->bytes.begin(), decoder_->bytes.end()), "abcabc");
}

TEST_F(StreamWorkerTest, WithoutDecoderFactoryVideoIsDroppedAndTheStreamGoesOn) {
  StreamWorker plain;
  plain.SetListener(&listener_);
  auto phone = StartPhone({"--packet-text", "1:abc", "--panel-text", "<c/>", "--end", "close"});
  plain.SetPort(phone->port());
  plain.Start(&phone_entry_);
  ASSERT_TRUE(listener_.WaitFor("ended", kWait));
  EXPECT_EQ(listener_.Events(), (std::vector<std::string>{"connected", "panel:<c/>", "ended"}));
}

}  // namespace
}  // namespace vl
