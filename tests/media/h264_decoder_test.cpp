// H264Decoder on real clips: pictures, piecewise parsing, resynchronisation, stopping and size
// changes within one run.
#include <gtest/gtest.h>

#include <thread>

#include "media/h264_decoder.h"
#include "tests/media/video_test_support.h"

namespace vl::test {
namespace {

std::vector<uint64_t> Hashes(const RecordingSink& sink) {
  std::vector<uint64_t> h;
  for (const auto& e : sink.entries) h.push_back(e.hash);
  return h;
}

TEST(H264DecoderTest, DeliversEveryPictureAsPackedRgb24AtThePhoneSize) {
  RecordingSink sink(1);
  H264Decoder decoder;
  decoder.SetSink(&sink);
  DecodeInChunks(decoder, ReadClip("landscape_1280x720"), 65536);
  // 2 s at 30 fps. The parser ends a picture when the next one starts, so the last picture of
  // a stream waits for more bytes: a live stream never ends there.
  ASSERT_EQ(sink.entries.size(), 59u);
  for (const auto& e : sink.entries) {
    EXPECT_EQ(e.width, 1280);
    EXPECT_EQ(e.height, 720);
    EXPECT_EQ(e.format, AV_PIX_FMT_RGB24);
    EXPECT_EQ(e.stride, 1280 * 3);  // alignment 1: rows are contiguous
  }
  EXPECT_EQ(Corners(sink.pictures[0]), "RGYB");
}

TEST(H264DecoderTest, LongPacketsGiveTheSamePicturesAsAnyOtherCut) {
  const std::vector<uint8_t> clip = ReadClip("landscape_640x360");
  RecordingSink whole, pieces, small;
  H264Decoder a, b, c;
  a.SetSink(&whole);
  b.SetSink(&pieces);
  c.SetSink(&small);
  EXPECT_EQ(a.DecodeChunk(clip.data(), static_cast<int32_t>(clip.size())), 1);  // one packet
  DecodeInChunks(b, clip, 4097);  // every packet just over one piece
  DecodeInChunks(c, clip, 333);   // frames split across many packets
  ASSERT_EQ(whole.entries.size(), 59u);
  EXPECT_EQ(Hashes(whole), Hashes(pieces));
  EXPECT_EQ(Hashes(whole), Hashes(small));
}

TEST(H264DecoderTest, StreamJoinedMidNalYieldsPicturesOnceAStartCodeArrives) {
  const std::vector<uint8_t> clip = ReadClip("landscape_640x360");
  RecordingSink clean, joined;
  H264Decoder reference, decoder;
  reference.SetSink(&clean);
  decoder.SetSink(&joined);
  DecodeInChunks(reference, clip, 4096);

  // The tail of a slice NAL without its start code, as if the phone's stream was joined late.
  const size_t from = clip.size() / 2;
  std::vector<uint8_t> tail(clip.begin() + from, clip.begin() + from + 3000);
  for (size_t i = 0; i + 2 < tail.size(); ++i)
    if (tail[i] == 0 && tail[i + 1] == 0) tail[i + 1] = 0x55;  // no start code inside
  EXPECT_EQ(decoder.DecodeChunk(tail.data(), static_cast<int32_t>(tail.size())), 1);
  EXPECT_TRUE(joined.entries.empty());

  DecodeInChunks(decoder, clip, 4096);
  ASSERT_FALSE(joined.entries.empty());
  const auto expected = Hashes(clean), got = Hashes(joined);
  // Every picture of the clean stream arrives; the junk costs at most its own picture.
  ASSERT_GE(got.size(), expected.size());
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), got.end() - expected.size()));
}

TEST(H264DecoderTest, GarbageNeverDeliversAPictureOrFails) {
  std::vector<uint8_t> junk(100000);
  uint32_t seed = 12345;
  for (auto& b : junk) b = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 16);
  RecordingSink sink;
  H264Decoder decoder;
  decoder.SetSink(&sink);
  DecodeInChunks(decoder, junk, 5000);
  // The decoder recovers at the next real key frame.
  DecodeInChunks(decoder, ReadClip("landscape_640x360"), 4096);
  EXPECT_GE(sink.entries.size(), 59u);
  for (const auto& e : sink.entries) EXPECT_EQ(e.width, 640);
}

TEST(H264DecoderTest, NoPictureReachesTheSinkAfterRequestStop) {
  const std::vector<uint8_t> clip = ReadClip("landscape_640x360");
  RecordingSink sink;
  H264Decoder decoder;
  decoder.SetSink(&sink);
  // Stop from inside the third delivery, in the middle of one long packet.
  sink.on_picture = [&](size_t count) {
    if (count == 3) decoder.RequestStop();
  };
  EXPECT_EQ(decoder.DecodeChunk(clip.data(), static_cast<int32_t>(clip.size())), 0);
  EXPECT_EQ(sink.entries.size(), 3u);
  EXPECT_EQ(decoder.DecodeChunk(clip.data(), static_cast<int32_t>(clip.size())), 0);
  EXPECT_EQ(sink.entries.size(), 3u);
}

TEST(H264DecoderTest, RequestStopFromAnotherThreadEndsDelivery) {
  const std::vector<uint8_t> clip = ReadClip("landscape_1280x720");
  RecordingSink sink;
  H264Decoder decoder;
  decoder.SetSink(&sink);
  std::atomic<bool> first{false};
  sink.on_picture = [&](size_t) { first = true; };
  std::thread stopper([&] {
    while (!first) std::this_thread::yield();
    decoder.RequestStop();
  });
  DecodeInChunks(decoder, clip, 4096);
  stopper.join();
  const size_t delivered = sink.entries.size();
  EXPECT_LT(delivered, 60u);
  DecodeInChunks(decoder, clip, 4096);
  EXPECT_EQ(sink.entries.size(), delivered);
}

TEST(H264DecoderTest, SizeChangeWithinARunKeepsDecoding) {
  std::vector<uint8_t> stream = ReadClip("landscape_640x360");
  const std::vector<uint8_t> larger = ReadClip("landscape_1280x720");
  stream.insert(stream.end(), larger.begin(), larger.end());
  const std::vector<uint8_t> portrait = ReadClip("portrait_720x1280");
  stream.insert(stream.end(), portrait.begin(), portrait.end());
  RecordingSink sink(200);
  H264Decoder decoder;
  decoder.SetSink(&sink);
  DecodeInChunks(decoder, stream, 4096);
  ASSERT_EQ(sink.entries.size(), 60u + 60u + 149u);  // all but the very last
  for (size_t i = 0; i < sink.entries.size(); ++i) {
    const int w = i < 60 ? 640 : i < 120 ? 1280 : 720;
    const int h = i < 60 ? 360 : i < 120 ? 720 : 1280;
    ASSERT_EQ(sink.entries[i].width, w) << i;
    ASSERT_EQ(sink.entries[i].height, h) << i;
    ASSERT_EQ(sink.entries[i].stride, w * 3) << i;
  }
  EXPECT_EQ(Corners(sink.pictures[59]), "RGYB");
  EXPECT_EQ(Corners(sink.pictures[60]), "RGYB");
  EXPECT_EQ(Corners(sink.pictures[120]), "RGYB");
}

TEST(H264DecoderTest, WithoutSinkPicturesAreDecodedButNotDelivered) {
  const std::vector<uint8_t> clip = ReadClip("landscape_640x360");
  const size_t half = clip.size() / 2;
  RecordingSink sink;
  H264Decoder decoder;
  EXPECT_EQ(decoder.DecodeChunk(clip.data(), static_cast<int32_t>(half)), 1);
  decoder.SetSink(&sink);
  EXPECT_EQ(decoder.DecodeChunk(clip.data() + half, static_cast<int32_t>(clip.size() - half)), 1);
  // The second half decodes straight on (references from the first half were kept).
  EXPECT_GT(sink.entries.size(), 20u);
  EXPECT_LT(sink.entries.size(), 45u);
}

TEST(H264DecoderTest, PicturesLargerThanAnyPhoneIsRefusedAndDecodingGoesOn) {
  std::vector<uint8_t> stream = ReadClip("oversize_8192x2112");
  const std::vector<uint8_t> normal = ReadClip("landscape_640x360");
  stream.insert(stream.end(), normal.begin(), normal.end());
  RecordingSink sink;
  H264Decoder decoder;
  decoder.SetSink(&sink);
  DecodeInChunks(decoder, stream, 4096);
  ASSERT_FALSE(sink.entries.empty());
  for (const auto& e : sink.entries) EXPECT_EQ(e.width, 640);
}

TEST(H264DecoderTest, EmptyAndNegativeLengthsAreHarmless) {
  H264Decoder decoder;
  EXPECT_EQ(decoder.DecodeChunk(nullptr, 0), 1);
  uint8_t byte = 0;
  EXPECT_EQ(decoder.DecodeChunk(&byte, -5), 1);
}

}  // namespace
}  // namespace vl::test
