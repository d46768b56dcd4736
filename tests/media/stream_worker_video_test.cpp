// The stream worker's video path with the real decoder and frame buffer: a phone simulator
// streams a clip, the worker decodes it into its frame buffer, TakeFrame hands the pictures out.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "device/socket_layer.h"
#include "media/stream_worker.h"
#include "tests/device/fake_adb_workdir.h"
#include "tests/media/stream_test_support.h"
#include "tests/media/video_test_support.h"

namespace vl::test {
namespace {

class VideoStreamWorkerTest : public ::testing::Test {
 protected:
  VideoStreamWorkerTest() {
    phone_entry_.display_name = "Pixel";
    phone_entry_.identifier = "PHONE1";
    phone_entry_.kind = 2;
  }

  // Streams the clip (at full speed) and waits for the run to end.
  void Run(const std::string& clip, std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"--video", ClipPath(clip), "--fps", "0", "--end", "close"};
    args.insert(args.end(), extra.begin(), extra.end());
    auto phone = StartPhone(args);
    worker_.SetPort(phone->port());
    worker_.Start(&phone_entry_);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (worker_.IsRunning() && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_FALSE(worker_.IsRunning());
  }

  // Takes every queued picture; returns how many came out and leaves the last as current.
  int Drain() {
    int n = 0;
    VideoFrame* last = worker_.TakeFrame();
    for (;;) {
      VideoFrame* next = worker_.TakeFrame();
      if (next == last) break;
      last = next;
      ++n;
    }
    return n + (last != nullptr ? 1 : 0);
  }

  net::SocketLibrary sockets_;
  FakeAdbWorkdir adb_{"device PHONE1 device\n"};
  DeviceEntry phone_entry_;
  StreamWorker worker_;
};

TEST_F(VideoStreamWorkerTest, DecodedPicturesReachTakeFrameWithThePhonesFlags) {
  EXPECT_EQ(worker_.TakeFrame(), nullptr);  // nothing before the first picture
  Run("landscape_1280x720", {"--reverse-h", "1"});
  // Ten pictures are queued (the clip came faster than anyone took them): the newest comes out
  // at once, the older ones are dropped instead of being shown ten ticks late.
  const int taken = Drain();
  EXPECT_EQ(taken, 1);
  VideoFrame* current = worker_.TakeFrame();
  ASSERT_NE(current, nullptr);
  EXPECT_EQ(current->width(), 1280);
  EXPECT_EQ(current->height(), 720);
  EXPECT_EQ(Corners(*current), "GRBY");     // mirrored by the phone's header
  EXPECT_EQ(worker_.TakeFrame(), current);  // no new picture: the current one again
}

// Each run starts with an empty queue; in portrait mode the picture is turned clockwise, the
// user's mirror cancels the phone's, and the phone's flip turns it upside down.
TEST_F(VideoStreamWorkerTest, EachRunStartsWithAnEmptyQueueAndTheUsersMirrorCancelsThePhones) {
  Run("landscape_640x360");  // leaves ten landscape pictures queued
  worker_.SetMirror(1, 0);
  worker_.SetPortrait(1);
  Run("landscape_1280x720", {"--reverse-h", "1", "--reverse-v", "1"});
  VideoFrame* first = worker_.TakeFrame();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->width(), 720);
  EXPECT_EQ(first->height(), 1280);
  EXPECT_EQ(Corners(*first), "YGRB");  // "BRGY" turned, upside down, not mirrored
}

}  // namespace
}  // namespace vl::test
