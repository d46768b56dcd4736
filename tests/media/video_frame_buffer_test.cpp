// VideoFrameBuffer on pictures decoded from real clips: orientation, cover placement, the
// phone's and the user's mirror and flip, portrait output, and the bounded queue; the placement
// plans, and the store that recycles released pictures' memory.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "media/frame_geometry.h"
#include "media/recycled_pictures.h"
#include "media/video_frame_buffer.h"
#include "tests/media/video_test_support.h"

namespace vl::test {
namespace {

// Output picture's pixel (x, y), top-down coordinates, as R, G, B.
Rgb Pixel(const VideoFrame& f, int x, int y) {
  const uint8_t* p = f.bits() + (f.height() - 1 - y) * f.stride() + x * 3;
  return {p[2], p[1], p[0]};
}

std::unique_ptr<VideoFrame> Push(VideoFrameBuffer& buffer, RgbPicture& picture) {
  buffer.PushFrame(picture.View());
  return buffer.PopFront();
}

class VideoFrameBufferTest : public ::testing::Test {
 protected:
  // The first picture of each clip, decoded once for the whole suite.
  static RgbPicture& First(const std::string& clip) {
    static std::map<std::string, RgbPicture> decoded;
    auto it = decoded.find(clip);
    if (it == decoded.end()) it = decoded.emplace(clip, DecodePictures(clip, 1)[0]).first;
    return it->second;
  }
  RgbPicture& landscape_ = First("landscape_1280x720");
  RgbPicture& portrait_ = First("portrait_720x1280");
  RgbPicture& full_hd_ = First("landscape_1920x1080");
  VideoFrameBuffer buffer_;
};

// Pictures that need no scaling: every output pixel is exactly one source pixel.
TEST_F(VideoFrameBufferTest, UnscaledPicturesMapEveryPixelToOneSourcePixel) {
  // Source pixel (top-down) of output pixel (x, y): (x, y + crop), or turned clockwise (the
  // phone's bottom-left corner comes to the top-left, its top-left to the top-right) (y, 1279 - x).
  struct Case {
    const char* name;
    RgbPicture* picture;
    const char* corners;
    bool turned;
    int crop;
  } const cases[] = {
      {"landscape: unchanged", &landscape_, "RGYB", false, 0},
      {"portrait: turned clockwise", &portrait_, "BRGY", true, 0},
      {"4:3: 120 rows cropped top and bottom", &First("landscape_1280x960"), "RGYB", false, 120}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto out = Push(buffer_, *c.picture);
    ASSERT_TRUE(out);
    ASSERT_EQ(std::tuple(out->width(), out->height(), out->size()), std::tuple(1280, 720, 2764800));
    EXPECT_EQ(Corners(*out), c.corners);
    for (int y = 0; y < 720; y += 3)
      for (int x = 0; x < 1280; x += 5) {
        const uint8_t* s = c.turned ? c.picture->At(y, 1279 - x) : c.picture->At(x, y + c.crop);
        const Rgb p = Pixel(*out, x, y);
        ASSERT_TRUE(p.r == s[0] && p.g == s[1] && p.b == s[2]) << x << "," << y;
      }
  }
  // Scaled pictures keep their orientation too (their pixels: the composer's and scaler's tests).
  for (const char* scaled : {"landscape_640x360", "landscape_1920x1080"})
    EXPECT_EQ(Corners(*Push(buffer_, First(scaled))), "RGYB");
}

TEST_F(VideoFrameBufferTest, PhoneAndUserMirrorAndFlipCombine) {
  buffer_.SetReverse(0, 1);
  EXPECT_EQ(Corners(*Push(buffer_, landscape_)), "GRBY");  // mirrored by the phone's flag
  buffer_.SetMirror(1, 0);
  EXPECT_EQ(Corners(*Push(buffer_, landscape_)), "RGYB");  // the user's mirror cancels it
  buffer_.SetReverse(1, 0);
  EXPECT_EQ(Corners(*Push(buffer_, landscape_)), "YBRG");  // flipped and mirrored
  buffer_.SetMirror(0, 1);
  EXPECT_EQ(Corners(*Push(buffer_, landscape_)), "RGYB");  // both flips cancel
  buffer_.SetMirror(1, 1);
  buffer_.SetReverse(1, 1);
  auto same = Push(buffer_, landscape_);
  VideoFrameBuffer plain;
  auto reference = Push(plain, landscape_);
  EXPECT_EQ(0, std::memcmp(same->bits(), reference->bits(), static_cast<size_t>(same->size())));
}

TEST_F(VideoFrameBufferTest, PortraitModeMakesUpright720By1280Pictures) {
  buffer_.PushFrame(landscape_.View());
  buffer_.SetPortrait(1);
  auto upright = Push(buffer_, portrait_);
  EXPECT_EQ(upright->width(), 1280);  // queued before the switch: keeps its size
  upright = buffer_.PopFront();
  ASSERT_TRUE(upright);
  EXPECT_EQ(std::tuple(upright->width(), upright->height(), upright->size()),
            std::tuple(720, 1280, 2764800));
  EXPECT_EQ(Corners(*upright), "RGYB");
  // A landscape phone picture is turned clockwise (the larger one then scaled down).
  for (RgbPicture* phone : {&landscape_, &full_hd_}) {
    auto turned = Push(buffer_, *phone);
    EXPECT_EQ(std::tuple(turned->width(), turned->height()), std::tuple(720, 1280));
    EXPECT_EQ(Corners(*turned), "BRGY");
  }
}

// The eleventh picture displaces the first; PopFront takes the oldest, PopNewest the last and
// drops the backlog before it. Unusable pictures are ignored; queued ones are counted from each
// Clear.
TEST_F(VideoFrameBufferTest, EleventhPictureDisplacesTheFirstAndPopNewestDropsTheBacklog) {
  std::vector<uint64_t> told;
  buffer_.SetQueuedObserver([&](uint64_t picture) { told.push_back(picture); });
  std::vector<RgbPicture> pictures = DecodePictures("landscape_640x360", 11);
  ASSERT_EQ(pictures.size(), 11u);
  std::vector<std::vector<uint8_t>> expected;
  for (RgbPicture& p : pictures) {
    VideoFrameBuffer single;
    auto f = Push(single, p);
    expected.emplace_back(f->bits(), f->bits() + f->size());
  }
  EXPECT_FALSE(buffer_.PopNewest());
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(buffer_.IsFull(), 0);
    buffer_.PushFrame(pictures[i].View());
  }
  EXPECT_EQ(buffer_.IsFull(), 1);
  buffer_.PushFrame(pictures[10].View());
  EXPECT_EQ(buffer_.IsFull(), 1);
  for (int i = 1; i <= 6; ++i) {
    auto f = buffer_.PopFront();
    ASSERT_TRUE(f) << i;
    EXPECT_TRUE(std::equal(expected[i].begin(), expected[i].end(), f->bits())) << "picture " << i;
  }
  auto newest = buffer_.PopNewest();
  ASSERT_TRUE(newest);
  EXPECT_TRUE(std::equal(expected[10].begin(), expected[10].end(), newest->bits()));
  EXPECT_FALSE(buffer_.PopNewest());  // the three before it went with it
  EXPECT_FALSE(buffer_.PopFront());

  AVFrame yuv = *pictures[0].View(), empty = yuv, zero = yuv;
  yuv.format = AV_PIX_FMT_YUV420P;
  empty.data[0] = nullptr;
  zero.width = 0;
  for (const AVFrame* unusable :
       std::initializer_list<const AVFrame*>{nullptr, &yuv, &empty, &zero})
    buffer_.PushFrame(unusable);
  EXPECT_FALSE(buffer_.PopFront());
  for (int i = 0; i < 12; ++i) buffer_.PushFrame(pictures[0].View());  // two displace older ones
  buffer_.Clear();
  EXPECT_FALSE(buffer_.PopFront());
  EXPECT_EQ(buffer_.IsFull(), 0);
  buffer_.PushFrame(landscape_.View());
  std::vector<uint64_t> counts;
  for (uint64_t i = 0; i < 23; ++i) counts.push_back(i);
  counts.push_back(0);
  EXPECT_EQ(told, counts);
}

// A red picture whose cropped-away margins are green: nothing green may show.
RgbPicture MarginPicture(int w, int h, int margin_x, int margin_y) {
  RgbPicture p;
  p.width = w;
  p.height = h;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const bool margin = x < margin_x || x >= w - margin_x || y < margin_y || y >= h - margin_y;
      p.pixels.insert(p.pixels.end(), {uint8_t(margin ? 0 : 255), uint8_t(margin ? 255 : 0), 0});
    }
  return p;
}

// Odd, tiny, huge-aspect and nearly-output sizes cover the whole output (red everywhere, no pixel
// left unwritten), in both output orientations, mirrored and flipped. Scaled pictures are cropped
// equally on both sides: 640 x 480 is drawn 1280 x 960 at y = -120 (60 source rows cropped at the
// top and the bottom), 2340 x 1080 1560 x 720 at x = -140 (210 source columns at each side);
// turned into portrait output the same margins are cropped (columns become rows).
TEST_F(VideoFrameBufferTest, AnyPictureSizeCoversTheOutputAndScaledOnesAreCroppedEvenly) {
  const int sizes[][2] = {{1, 1},      {2, 3},      {333, 777},  {1281, 719},
                          {4000, 100}, {100, 4000}, {1279, 720}, {720, 1281}};
  const struct { int w, h, mx, my; } cases[] = {{640, 480, 0, 59}, {2340, 1080, 208, 0}};
  for (int flip = 0; flip < 4; ++flip) {
    buffer_.SetMirror(flip & 1, flip & 1);
    buffer_.SetPortrait(flip >> 1);
    for (const auto& [w, h] : sizes) {
      RgbPicture p = MarginPicture(w, h, 0, 0);
      auto out = Push(buffer_, p);
      ASSERT_TRUE(out) << w << "x" << h;
      EXPECT_EQ(std::tuple(out->width(), out->height()),
                flip >> 1 ? std::tuple(720, 1280) : std::tuple(1280, 720));
      for (int y = 0; y < out->height(); y += 37)
        for (int x = 0; x < out->width(); x += 41) {
          const Rgb c = Pixel(*out, x, y);
          ASSERT_TRUE(c.r == 255 && c.g == 0 && c.b == 0)
              << w << "x" << h << " at " << x << "," << y;
        }
    }
    for (const auto& c : cases) {
      RgbPicture p = MarginPicture(c.w, c.h, c.mx, c.my);
      auto out = Push(buffer_, p);
      ASSERT_TRUE(out);
      int green = 0;
      for (int y = 0; y < out->height(); ++y)
        for (int x = 0; x < out->width(); ++x)
          if (Pixel(*out, x, y).g > 40) ++green;
      EXPECT_EQ(green, 0) << c.w << "x" << c.h;
      // One more source row or column of margin would show: the crop is exactly at the edge.
      RgbPicture wider = MarginPicture(c.w, c.h, c.mx ? c.mx + 4 : 0, c.my ? c.my + 3 : 0);
      EXPECT_GT(Pixel(*Push(buffer_, wider), 0, 0).g, 100) << c.w << "x" << c.h;
    }
  }
}

TEST_F(VideoFrameBufferTest, DecoderFeedsTheBufferAndTheUiSideDrainsItConcurrently) {
  H264Decoder decoder;
  decoder.SetSink(&buffer_);
  std::atomic<bool> done{false};
  int taken = 0;
  std::thread ui([&] {
    while (!done) {
      if (auto f = buffer_.PopFront()) {
        EXPECT_EQ(f->width(), 1280);
        ++taken;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  DecodeInChunks(decoder, ReadClip("portrait_720x1280"), 4096);
  done = true;
  ui.join();
  while (buffer_.PopFront()) ++taken;
  EXPECT_GE(taken, 10);
  EXPECT_LE(taken, 149);
}

// Output-sized pictures are taken as they are; a picture of the output's width or height but
// longer the other way is cropped unscaled (an odd overflow crops one more at the end); other
// sizes are scaled to cover, cropped equally on both sides. The preview letterboxes instead.
TEST(PlanTest, IdenticalCroppedOrScaledToCoverOrLetterboxed) {
  constexpr CoverMode kSame = CoverMode::kIdentical, kCrop = CoverMode::kCrop,
                      kScale = CoverMode::kScale;
  struct Case {
    int w, h, ow, oh;
    CoverMode mode;
    int dw, dh, x, y;
  } cases[] = {
      {1280, 720, 1280, 720, kSame, 1280, 720, 0, 0},
      {720, 1280, 720, 1280, kSame, 720, 1280, 0, 0},
      {1280, 960, 1280, 720, kCrop, 1280, 960, 0, -120},    // 4:3: 120 rows top and bottom
      {960, 1280, 720, 1280, kCrop, 960, 1280, -120, 0},    // portrait output: columns
      {1280, 961, 1280, 720, kCrop, 1280, 961, 0, -120},    // 241 rows too many
      {640, 360, 1280, 720, kScale, 1280, 720, 0, 0},       // stretched
      {1920, 1080, 1280, 720, kScale, 1280, 720, 0, 0},     // shrunk
      {640, 480, 1280, 720, kScale, 1280, 960, 0, -120},    // 4:3 scaled, rows cropped
      {2340, 1080, 1280, 720, kScale, 1560, 720, -140, 0},  // wide phone: columns cropped
      {1000, 1000, 720, 1280, kScale, 1280, 1280, -280, 0},
      {1280, 700, 1280, 720, kScale, 1316, 720, -18, 0},  // one side equal, the other smaller
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
    const CoverPlan p = PlanCover(c.w, c.h, c.ow, c.oh);
    EXPECT_EQ(p.mode, c.mode);
    if (c.mode == kSame) continue;
    EXPECT_EQ(std::vector<int>({p.drawn_width, p.drawn_height, p.x, p.y}),
              std::vector<int>({c.dw, c.dh, c.x, c.y}));
  }
  // Letterboxed into the preview; empty sizes plan nothing.
  const struct {
    int w, h, ow, oh, dw, dh, x, y;
  } letterboxes[] = {{1280, 720, 727, 522, 727, 408, 0, 57},
                     {720, 1280, 727, 522, 293, 522, 217, 0},
                     {1280, 720, 0, 0, 0, 0, 0, 0}};
  for (const auto& c : letterboxes) {
    const ContainPlan p = PlanContain(c.w, c.h, c.ow, c.oh);
    EXPECT_EQ(std::vector<int>({p.drawn_width, p.drawn_height, p.x, p.y}),
              std::vector<int>({c.dw, c.dh, c.x, c.y}))
        << c.w << "x" << c.h;
  }
  EXPECT_EQ(PlanCover(0, 720, 1280, 720).drawn_width, 0);
}

std::vector<int> released;
void Release(const int& memory) {
  released.push_back(memory);
}
using Store = RecycledPictures<int, Release>;

// A few are kept, the most recently released; after the orientation is toggled, the pictures of
// the new size are kept although the store is full of the old size's.
TEST(RecycledPicturesTest, HandsOutOnlyTheSameSizeAndKeepsTheLatestFew) {
  released.clear();
  {
    Store store;
    int memory = 0;
    EXPECT_FALSE(store.Take(1280, 720, &memory));
    for (int i = 1; i <= 6; ++i) store.Give(1280, 720, i);  // two more than are kept
    EXPECT_EQ(released, (std::vector<int>{1, 2}));
    EXPECT_FALSE(store.Take(720, 1280, &memory));
    store.Give(720, 1280, 7);
    EXPECT_EQ(released, (std::vector<int>{1, 2, 3}));
    ASSERT_TRUE(store.Take(720, 1280, &memory));
    EXPECT_EQ(memory, 7);
    ASSERT_TRUE(store.Take(1280, 720, &memory));
    EXPECT_EQ(memory, 4);
  }
  EXPECT_EQ(released, (std::vector<int>{1, 2, 3, 5, 6}));  // the kept ones go with the store
}

}  // namespace
}  // namespace vl::test
