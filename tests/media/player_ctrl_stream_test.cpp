// The whole video path under Wine: the phone simulator streams a real clip, the real stream
// worker decodes it into its frame buffer, the preview polls, paints and publishes, and a camera
// side reader checks the shared section.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <vector>

#include "device/socket_layer.h"
#include "media/frame_mapping_win.h"
#include "media/player_ctrl.h"
#include "media/stream_worker.h"
#include "media/video_frame_buffer.h"
#include "tests/device/fake_adb_workdir.h"
#include "tests/media/player_test_support.h"
#include "tests/media/stream_test_support.h"
#include "tests/media/video_test_support.h"

namespace vl::test {
namespace {

// The output picture the pipeline makes of the clip's last delivered picture, decoded here
// independently of the worker.
std::vector<uint8_t> ExpectedLastPicture(const std::string& clip, bool portrait) {
  RecordingSink sink(1000);
  H264Decoder decoder;
  decoder.SetSink(&sink);
  DecodeInChunks(decoder, ReadClip(clip), 4096);
  VideoFrameBuffer buffer;
  buffer.SetPortrait(portrait ? 1 : 0);
  buffer.PushFrame(sink.pictures.back().View());
  auto frame = buffer.PopFront();
  return std::vector<uint8_t>(frame->bits(), frame->bits() + frame->size());
}

// Largest difference of any byte, and how many bytes differ by more than 2.
std::pair<int, size_t> Difference(const uint8_t* a, const std::vector<uint8_t>& b) {
  int largest = 0;
  size_t off = 0;
  for (size_t i = 0; i < b.size(); ++i) {
    const int d = std::abs(static_cast<int>(a[i]) - b[i]);
    largest = std::max(largest, d);
    if (d > 2) ++off;
  }
  return {largest, off};
}

// Colour of a pixel (top-down) of a bottom-up section picture.
Colour SectionPixel(const MappedPicture& p, int x, int y) {
  const uint8_t* px = p.pixels + static_cast<ptrdiff_t>(p.height - 1 - y) * p.width * 3 + x * 3;
  return {px[2], px[1], px[0]};
}

class PlayerStreamTest : public ::testing::TestWithParam<bool> {
 protected:
  static void SetUpTestSuite() {
    parent_ = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "stream test", WS_POPUP | WS_VISIBLE, 0,
                              0, 727, 522, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  }
  static void TearDownTestSuite() { DestroyWindow(parent_); }

  PlayerStreamTest() {
    phone_entry_.display_name = "Pixel";
    phone_entry_.identifier = "PHONE1";
    phone_entry_.kind = 2;
  }
  ~PlayerStreamTest() override {
    player_.StopPolling();
    worker_.Stop();
    if (player_.IsWindow()) ::DestroyWindow(player_);
  }

  // Streams the clip through worker and preview until the run has ended and the preview has
  // taken every queued picture.
  void StreamClip(const std::string& clip) {
    RECT rc = {0, 0, 727, 522};
    ASSERT_NE(player_.Create(parent_, rc), nullptr);
    player_.SetWorker(&worker_);
    auto phone = StartPhone({"--video", ClipPath(clip), "--fps", "30", "--end", "close"});
    worker_.SetPort(phone->port());
    worker_.Start(&phone_entry_);
    player_.StartPolling();
    ASSERT_TRUE(PumpUntil([&] { return !worker_.IsRunning(); }, 30000));
    // The queue holds at most ten pictures: ten more ticks drain it.
    PumpUntil([] { return false; }, 30 * 15);
  }

  static HWND parent_;
  net::SocketLibrary sockets_;
  FakeAdbWorkdir adb_{"device PHONE1 device\n"};
  DeviceEntry phone_entry_;
  StreamWorker worker_;
  PlayerCtrl player_;
};
HWND PlayerStreamTest::parent_ = nullptr;

// In portrait mode the section's picture is upright: turned clockwise, the phone's bottom-left
// (blue) block is at the top-left.
TEST_P(PlayerStreamTest, StreamReachesTheSectionAndStaysAfterTheRun) {
  const bool portrait = GetParam();
  FrameMappingReader camera;
  worker_.SetPortrait(portrait ? 1 : 0);
  StreamClip("landscape_1280x720");
  MappedPicture seen = camera.Read();
  ASSERT_NE(seen.pixels, nullptr);
  EXPECT_EQ(seen.width, portrait ? 720 : 1280);
  EXPECT_EQ(seen.height, portrait ? 1280 : 720);
  EXPECT_EQ(seen.size, 2764800);
  const std::vector<uint8_t> expected = ExpectedLastPicture("landscape_1280x720", portrait);
  auto [largest, off] = Difference(seen.pixels, expected);
  EXPECT_LE(largest, 8);
  EXPECT_LT(off, expected.size() / 1000);
  EXPECT_TRUE(
      Near(SectionPixel(seen, 20, 20), portrait ? Colour{0, 0, 255} : Colour{255, 0, 0}, 40));
  EXPECT_TRUE(Near(SectionPixel(seen, portrait ? 700 : 1260, 20),
                   portrait ? Colour{255, 0, 0} : Colour{0, 255, 0}, 40));
  // The run is over and the preview stopped publishing: the section keeps the last picture.
  player_.StopPolling();
  PumpUntil([] { return false; }, 200);
  seen = camera.Read();
  ASSERT_NE(seen.pixels, nullptr);
  EXPECT_EQ(Difference(seen.pixels, expected).first, largest);
  // The preview shows it letterboxed.
  const WindowShot shot(player_);
  EXPECT_TRUE(Near(shot.At(portrait ? 100 : 363, portrait ? 260 : 20), {0, 0, 0}));
  EXPECT_TRUE(Near(shot.At(portrait ? 240 : 20, portrait ? 20 : 80),
                   portrait ? Colour{0, 0, 255} : Colour{255, 0, 0}, 40));
}

INSTANTIATE_TEST_SUITE_P(LandscapeAndPortrait, PlayerStreamTest, ::testing::Bool());

}  // namespace
}  // namespace vl::test
