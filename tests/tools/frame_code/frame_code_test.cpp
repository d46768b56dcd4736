// The frame number of the measurement clips: drawn and read back, through every transform the
// picture path makes, and from the real clips decoded by the real decoder.
#include "tools/frame_code/frame_code.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "media/h264_decoder.h"
#include "media/video_frame_buffer.h"
#include "tests/media/video_test_support.h"

namespace vl::tools {
namespace {

struct Picture {
  int w, h;
  std::vector<uint8_t> bytes;
  Picture(int width, int height) : w(width), h(height), bytes(size_t(width) * height * 3, 90) {}
  CodedPicture View() const { return {bytes.data(), w, h, ptrdiff_t(w) * 3, 3}; }
};

TEST(FrameCodeTest, EveryBitPatternReadsBackBackwardsBandsAreFoundAndNoBandIsNoNumber) {
  for (uint32_t n : {0u, 1u, 2u, 255u, 256u, 1234u, 0x8000u, 0xFFFFu}) {
    Picture p(640, 360);
    DrawFrameCode(p.bytes.data(), p.w, p.h, p.w * 3, n);
    EXPECT_EQ(ReadFrameCode(p.View()), int32_t(n));
    // The same picture stored bottom-up and mirrored still reads (the other direction): its
    // bytes backwards, as its pixels are grey, black or white.
    std::reverse(p.bytes.begin(), p.bytes.end());
    EXPECT_EQ(ReadFrameCode(p.View()), int32_t(n));
  }
  // Pictures without a band give no number.
  Picture grey(640, 360);
  EXPECT_EQ(ReadFrameCode(grey.View()), -1);
  Picture white(640, 360);
  std::fill(white.bytes.begin(), white.bytes.end(), 255);
  EXPECT_EQ(ReadFrameCode(white.View()), -1);
  Picture stripes(640, 360);  // black and white cells, but no valid marks
  for (size_t i = 0; i < stripes.bytes.size(); ++i)
    stripes.bytes[i] = (i / 3 % 640 / 17) % 2 ? 255 : 0;
  EXPECT_EQ(ReadFrameCode(stripes.View()), -1);
  EXPECT_EQ(ReadFrameCode(CodedPicture{}), -1);
}

// A numbered phone picture through the frame buffer, as the program turns and scales it.
int32_t ThroughFrameBuffer(int width, int height, uint32_t number, bool portrait, bool mirror,
                           bool flip) {
  test::RgbPicture picture{width, height, std::vector<uint8_t>(size_t(width) * height * 3, 120)};
  DrawFrameCode(picture.pixels.data(), width, height, width * 3, number);
  VideoFrameBuffer buffer;
  buffer.SetPortrait(portrait ? 1 : 0);
  buffer.SetMirror(mirror ? 1 : 0, flip ? 1 : 0);
  buffer.PushFrame(picture.View());
  std::unique_ptr<VideoFrame> out = buffer.PopFront();
  if (!out) return -2;
  return ReadFrameCode({out->bits(), out->width(), out->height(), out->stride(), 3});
}

TEST(FrameCodeTest, SurvivesEveryTransformAndNumberedClipsCarryTheirPictureIndex) {
  for (bool portrait : {false, true})
    for (bool mirror : {false, true})
      for (bool flip : {false, true}) {
        EXPECT_EQ(ThroughFrameBuffer(1920, 1080, 4321, portrait, mirror, flip), 4321)
            << portrait << mirror << flip;
        EXPECT_EQ(ThroughFrameBuffer(720, 1280, 77, portrait, mirror, flip), 77)
            << portrait << mirror << flip;
      }
  // The numbered clips, decoded by the real decoder, carry their picture index.
  for (const char* clip : {"numbered_1920x1080_30", "numbered_720x1280_60"}) {
    const std::vector<test::RgbPicture> pictures = test::DecodePictures(clip, 40);
    ASSERT_EQ(pictures.size(), 40u) << clip;
    for (size_t i = 0; i < pictures.size(); ++i) {
      const test::RgbPicture& p = pictures[i];
      EXPECT_EQ(ReadFrameCode({p.pixels.data(), p.width, p.height, p.width * 3, 3}), int32_t(i))
          << clip << " picture " << i;
    }
  }
}

}  // namespace
}  // namespace vl::tools
