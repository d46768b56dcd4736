// H264Decoder on real clips (scripts/make-clips): every way of cutting a stream into packets gives
// the pictures FFmpeg's own parser and decoder make of the whole stream, a picture sent whole is
// decoded with its own packet, and the rest of its life: resynchronisation, damage, stopping,
// size changes, the sink. Its AnnexBSplitter on byte strings: the units whatever the chunks,
// what the next chunk says about the pending unit, and the bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "media/annexb_splitter.h"
#include "media/h264_decoder.h"
#include "tests/media/video_test_support.h"
#include "tools/phonesim/annexb_frames.h"

namespace vl::test {
namespace {

// A clip and where its units and pictures begin.
struct Clip {
  std::vector<uint8_t> bytes;
  std::vector<size_t> units;     // start code offsets (a 4-byte code's leading zero included)
  std::vector<size_t> pictures;  // offsets of the first unit of each picture
  std::vector<uint64_t> reference;

  explicit Clip(const std::string& clip)
      : bytes(ReadClip(clip)), reference(ReferencePictureHashes(bytes)) {
    for (size_t i = 0; i + 3 < bytes.size(); ++i)
      if (bytes[i] == 0 && bytes[i + 1] == 0 && bytes[i + 2] == 1) {
        units.push_back(i > 0 && bytes[i - 1] == 0 ? i - 1 : i);
        i += 2;
      }
    pictures = phonesim::FindFrameStarts(bytes);
  }
  size_t UnitEnd(size_t u) const { return u + 1 < units.size() ? units[u + 1] : bytes.size(); }
  // Offset of a unit's header byte.
  size_t HeaderAt(size_t u) const {
    return units[u] +
           (bytes[units[u]] == 0 && bytes[units[u] + 1] == 0 && bytes[units[u] + 2] == 0 ? 4 : 3);
  }
  bool IsSlice(size_t u) const {
    const int type = bytes[HeaderAt(u)] & 0x1F;
    return type == 1 || type == 5;
  }
  size_t LastSliceOf(size_t p) const {
    size_t last = 0;
    for (size_t u = 0; u < units.size(); ++u)
      if (units[u] >= pictures[p] && units[u] < PictureEnd(p) && IsSlice(u)) last = u;
    return last;
  }
  size_t PictureEnd(size_t p) const {
    return p + 1 < pictures.size() ? pictures[p + 1] : bytes.size();
  }
};

// The decoder with its pictures fingerprinted instead of converted, each noted with the packet
// it came out of.
class FingerprintingDecoder : public H264Decoder {
 public:
  std::vector<uint64_t> hashes;
  std::vector<size_t> packet_of;
  size_t packet = 0;

 protected:
  void Deliver(const AVFrame* decoded) override {
    hashes.push_back(PictureHash(decoded));
    packet_of.push_back(packet);
  }
};

// Feeds the clip as packets cut at `cuts` (sorted offsets inside the clip).
void FeedCut(FingerprintingDecoder& decoder, const Clip& clip, std::vector<size_t> cuts) {
  cuts.push_back(clip.bytes.size());
  size_t from = 0;
  for (size_t cut : cuts) {
    if (cut <= from) continue;
    decoder.DecodeChunk(clip.bytes.data() + from, static_cast<int32_t>(cut - from));
    ++decoder.packet;
    from = cut;
  }
}

// Which packet holds offset `at` when the clip is cut at `cuts`.
size_t PacketHolding(std::vector<size_t> cuts, size_t at) {
  cuts.erase(std::remove(cuts.begin(), cuts.end(), size_t{0}), cuts.end());
  return static_cast<size_t>(std::upper_bound(cuts.begin(), cuts.end(), at) - cuts.begin());
}

struct Feeding {
  const char* name;
  std::function<std::vector<size_t>(const Clip&)> cuts;
  // Whether the phone cut between units only: then the clip's last picture comes out (its last
  // unit is decoded before another start code arrives), and every picture but the first comes
  // out of the packet holding its last byte.
  bool between_units;
  // A picture whose last unit was decoded as complete a byte short may come out (the last byte
  // held only the slice's closing bits, or the picture is damaged there) ahead of its repaired
  // copy: the only picture that may be delivered twice.
  int early_copy_of = -1;
};

std::vector<size_t> Every(size_t step, const Clip& clip) {
  std::vector<size_t> cuts;
  for (size_t at = step; at < clip.bytes.size(); at += step) cuts.push_back(at);
  return cuts;
}

// Where a unit (or a picture) is cut.
size_t InStartCode(const Clip& c, size_t u) {
  return c.HeaderAt(u) - 2;
}
size_t AtHeader(const Clip& c, size_t u) {
  return c.HeaderAt(u);
}
size_t Middle(const Clip& c, size_t u) {
  return (c.HeaderAt(u) + c.UnitEnd(u)) / 2;
}
size_t ByteShort(const Clip& c, size_t p) {
  return c.PictureEnd(p) - 1;
}
size_t MiddleOfLastSlice(const Clip& c, size_t p) {
  return Middle(c, c.LastSliceOf(p));
}
size_t AtLastSlicesHeader(const Clip& c, size_t p) {
  return c.HeaderAt(c.LastSliceOf(p));
}

// A cut in every unit (or every slice, or every picture) at `where(clip, unit or picture)`.
std::vector<size_t> InEvery(const Clip& c, char what, size_t (*where)(const Clip&, size_t)) {
  std::vector<size_t> cuts;
  for (size_t i = 0; i < (what == 'p' ? c.pictures.size() : c.units.size()); ++i)
    if (what != 's' || c.IsSlice(i)) cuts.push_back(where(c, i));
  return cuts;
}

// Packets of whole pictures, but picture `p` cut once more at `where(clip, p)`.
std::vector<size_t> PicturesWithOneCut(const Clip& clip, size_t p,
                                       size_t (*where)(const Clip&, size_t)) {
  std::vector<size_t> cuts = clip.pictures;
  cuts.push_back(where(clip, p));
  std::sort(cuts.begin(), cuts.end());
  return cuts;
}

const Feeding kFeedings[] = {
    {"the whole stream in one packet", [](const Clip&) { return std::vector<size_t>{}; }, false},
    {"one packet per picture", [](const Clip& c) { return c.pictures; }, true},
    {"one packet per unit", [](const Clip& c) { return c.units; }, true},
    {"cut inside every start code", [](const Clip& c) { return InEvery(c, 'u', InStartCode); },
     true},
    {"cut inside every unit header (after its start code)",
     [](const Clip& c) { return InEvery(c, 'u', AtHeader); }, false},
    {"cut inside every slice", [](const Clip& c) { return InEvery(c, 's', Middle); }, false},
    {"pictures cut one byte before their end",
     [](const Clip& c) { return InEvery(c, 'p', ByteShort); }, false},
    {"packets of one byte", [](const Clip& c) { return Every(1, c); }, false},
    {"packets of 333 bytes", [](const Clip& c) { return Every(333, c); }, false},
    {"packets of 4097 bytes", [](const Clip& c) { return Every(4097, c); }, false},
    // A phone that has sent whole pictures and then cuts one: what was decoded of the cut unit
    // is undone, and from then on units end at start codes only.
    {"whole pictures, then one cut inside a slice",
     [](const Clip& c) { return PicturesWithOneCut(c, 10, MiddleOfLastSlice); }, false},
    {"whole pictures, then one cut inside a key frame's slice",
     [](const Clip& c) {
       return PicturesWithOneCut(c, c.pictures.size() > 30 ? 30 : 0, MiddleOfLastSlice);
     },
     false},
    {"whole pictures, then one cut one byte before a picture's end",
     [](const Clip& c) { return PicturesWithOneCut(c, 10, ByteShort); }, false, 10},
    {"whole pictures, then one cut after a slice's start code",
     [](const Clip& c) { return PicturesWithOneCut(c, 10, AtLastSlicesHeader); }, false},
};

class DecoderFeedingTest : public ::testing::TestWithParam<const char*> {};

TEST_P(DecoderFeedingTest, EveryPictureIsTheOneDecodedFromTheWholeStream) {
  const Clip clip(GetParam());
  ASSERT_EQ(clip.reference.size(), clip.pictures.size());
  for (const Feeding& feeding : kFeedings) {
    SCOPED_TRACE(feeding.name);
    FingerprintingDecoder decoder;
    const std::vector<size_t> cuts = feeding.cuts(clip);
    FeedCut(decoder, clip, cuts);
    std::vector<uint64_t> expected = clip.reference;
    if (!feeding.between_units) expected.pop_back();
    if (feeding.early_copy_of >= 0 && decoder.hashes.size() == expected.size() + 1) {
      const size_t early = static_cast<size_t>(feeding.early_copy_of);
      decoder.hashes.erase(decoder.hashes.begin() + static_cast<ptrdiff_t>(early));
    }
    ASSERT_EQ(decoder.hashes.size(), expected.size());
    for (size_t p = 0; p < expected.size(); ++p) ASSERT_EQ(decoder.hashes[p], expected[p]) << p;
    if (!feeding.between_units) continue;
    for (size_t p = 1; p < expected.size(); ++p)
      ASSERT_EQ(decoder.packet_of[p], PacketHolding(cuts, clip.PictureEnd(p) - 1)) << p;
  }
}

INSTANTIATE_TEST_SUITE_P(Clips, DecoderFeedingTest,
                         ::testing::Values("landscape_640x360", "sliced_640x360"));

// Junk before a clip delivers nothing and does not stop the decoder: the tail of a slice without
// its start code (as if the phone's stream was joined late), random bytes, pictures larger than
// any phone's. Every picture of the clip follows as a clean decoder makes it; the junk costs at
// most its own picture.
TEST(H264DecoderTest, JunkBeforeAClipDeliversNothingAndEveryPictureOfTheClipFollows) {
  const std::vector<uint8_t> clip = ReadClip("landscape_640x360");
  RecordingSink clean;
  H264Decoder reference;
  reference.SetSink(&clean);
  DecodeInChunks(reference, clip, 4096);
  std::vector<uint8_t> tail(clip.begin() + clip.size() / 2, clip.begin() + clip.size() / 2 + 3000);
  for (size_t i = 0; i + 2 < tail.size(); ++i)
    if (tail[i] == 0 && tail[i + 1] == 0) tail[i + 1] = 0x55;  // no start code inside
  std::vector<uint8_t> random(100000);
  uint32_t seed = 12345;
  for (auto& b : random) b = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 16);
  for (const std::vector<uint8_t>& junk : {tail, random, ReadClip("oversize_8192x2112")}) {
    RecordingSink sink;
    H264Decoder decoder;
    decoder.SetSink(&sink);
    for (size_t at = 0; at < junk.size(); at += 5000) {
      const size_t n = std::min<size_t>(5000, junk.size() - at);
      ASSERT_EQ(decoder.DecodeChunk(junk.data() + at, static_cast<int32_t>(n)), 1);
    }
    EXPECT_TRUE(sink.entries.empty());
    DecodeInChunks(decoder, clip, 4096);
    ASSERT_GE(sink.entries.size(), clean.entries.size());
    for (const auto& e : sink.entries) EXPECT_EQ(e.width, 640);
    EXPECT_TRUE(std::equal(clean.entries.begin(), clean.entries.end(),
                           sink.entries.end() - clean.entries.size(),
                           [](const auto& a, const auto& b) { return a.hash == b.hash; }));
  }
}

// Damage in the middle of a stream: a picture that never completes must not hold up the ones
// after it. Pictures resume at the next key frame at the latest.
TEST(H264DecoderTest, APictureThatNeverCompletesDoesNotStopTheNextKeyFrame) {
  const Clip clip("sliced_640x360");  // key frames at pictures 0 and 30
  // Picture 20 loses its last slice, or has it cut short.
  for (const bool cut_short : {false, true}) {
    SCOPED_TRACE(cut_short ? "last slice cut short" : "last slice lost");
    std::vector<uint8_t> stream = clip.bytes;
    const size_t u = clip.LastSliceOf(20);
    stream.erase(
        stream.begin() + static_cast<ptrdiff_t>(cut_short ? clip.HeaderAt(u) + 40 : clip.units[u]),
        stream.begin() + static_cast<ptrdiff_t>(clip.UnitEnd(u)));
    FingerprintingDecoder decoder;
    DecodeInChunks(decoder, stream, 1000);
    // The first 20 pictures as they should be; from the key frame on again (the stream's last
    // picture waits for a start code).
    ASSERT_GE(decoder.hashes.size(), 20u + 29u);
    for (size_t p = 0; p < 20; ++p) ASSERT_EQ(decoder.hashes[p], clip.reference[p]) << p;
    const std::vector<uint64_t> tail(decoder.hashes.end() - 29, decoder.hashes.end());
    EXPECT_EQ(tail, std::vector<uint64_t>(clip.reference.begin() + 30, clip.reference.end() - 1));
  }
}

// Without a sink pictures are decoded but not delivered; empty and negative lengths are harmless.
// No picture reaches the sink after RequestStop: asked from inside the third delivery, in the
// middle of one long packet, or from another thread once the first picture has come.
TEST(H264DecoderTest, WithoutSinkOrAfterRequestStopNoPictureIsDelivered) {
  const std::vector<uint8_t> clip = ReadClip("landscape_640x360");
  const size_t half = clip.size() / 2;
  RecordingSink sink;
  H264Decoder without;
  EXPECT_EQ(without.DecodeChunk(nullptr, 0), 1);
  uint8_t byte = 0;
  EXPECT_EQ(without.DecodeChunk(&byte, -5), 1);
  EXPECT_EQ(without.DecodeChunk(clip.data(), static_cast<int32_t>(half)), 1);
  without.SetSink(&sink);
  EXPECT_EQ(without.DecodeChunk(clip.data() + half, static_cast<int32_t>(clip.size() - half)), 1);
  // The second half decodes straight on (references from the first half were kept).
  EXPECT_GT(sink.entries.size(), 20u);
  EXPECT_LT(sink.entries.size(), 45u);

  sink.entries.clear();
  H264Decoder decoder;
  decoder.SetSink(&sink);
  sink.on_picture = [&](size_t count) {
    if (count == 3) decoder.RequestStop();
  };
  EXPECT_EQ(decoder.DecodeChunk(clip.data(), static_cast<int32_t>(clip.size())), 0);
  EXPECT_EQ(decoder.DecodeChunk(clip.data(), static_cast<int32_t>(clip.size())), 0);
  EXPECT_EQ(sink.entries.size(), 3u);

  const std::vector<uint8_t> large = ReadClip("landscape_1280x720");
  RecordingSink other_sink;
  H264Decoder other;
  other.SetSink(&other_sink);
  std::atomic<bool> first{false};
  other_sink.on_picture = [&](size_t) { first = true; };
  std::thread stopper([&] {
    while (!first) std::this_thread::yield();
    other.RequestStop();
  });
  DecodeInChunks(other, large, 4096);
  stopper.join();
  const size_t delivered = other_sink.entries.size();
  EXPECT_LT(delivered, 60u);
  DecodeInChunks(other, large, 4096);
  EXPECT_EQ(other_sink.entries.size(), delivered);
}

// Every picture comes out as packed RGB24 at the phone's size (rows contiguous), across size
// changes within a run; the last one waits for a start code that a live stream always sends.
TEST(H264DecoderTest, DeliversPackedRgb24AtThePhoneSizeAcrossSizeChanges) {
  std::vector<uint8_t> stream;
  for (const char* clip : {"landscape_640x360", "landscape_1280x720", "portrait_720x1280"}) {
    const std::vector<uint8_t> bytes = ReadClip(clip);
    stream.insert(stream.end(), bytes.begin(), bytes.end());
  }
  RecordingSink sink(200);
  H264Decoder decoder;
  decoder.SetSink(&sink);
  DecodeInChunks(decoder, stream, 4096);
  ASSERT_EQ(sink.entries.size(), 60u + 60u + 149u);  // all but the very last
  for (size_t i = 0; i < sink.entries.size(); ++i) {
    const int w = i < 60 ? 640 : i < 120 ? 1280 : 720;
    const int h = i < 60 ? 360 : i < 120 ? 720 : 1280;
    const RecordingSink::Entry& e = sink.entries[i];
    ASSERT_EQ(std::tuple(e.width, e.height, e.stride, e.format),
              std::tuple(w, h, w * 3, static_cast<int>(AV_PIX_FMT_RGB24)))
        << i;
  }
  for (size_t i : {0, 59, 60, 120}) EXPECT_EQ(Corners(sink.pictures[i]), "RGYB") << i;
}

using Bytes = std::vector<uint8_t>;

// Every unit the stream's chunks complete, as byte strings.
std::vector<Bytes> Units(AnnexBSplitter& splitter, const Bytes& stream, size_t chunk) {
  std::vector<Bytes> units;
  for (size_t off = 0; off < stream.size(); off += chunk) {
    const size_t n = std::min(chunk, stream.size() - off);
    splitter.Feed(stream.data() + off, n,
                  [&](const NalUnit& u) { units.emplace_back(u.data, u.data + u.size); });
  }
  return units;
}

Bytes Pending(const AnnexBSplitter& splitter) {
  const NalUnit u = splitter.Pending();
  return Bytes(u.data, u.data + u.size);
}

struct StreamCase {
  const char* name;
  Bytes stream;
  std::vector<Bytes> units;  // completed by the stream
  Bytes pending;             // the unit the stream ends in
};

const StreamCase kStreams[] = {
    {"three- and four-byte start codes",
     {0, 0, 0, 1, 0x67, 1, 2, 0, 0, 1, 0x68, 3, 0, 0, 1, 0x65, 0x88, 4},
     {{0, 0, 1, 0x67, 1, 2}, {0, 0, 1, 0x68, 3}},
     {0, 0, 1, 0x65, 0x88, 4}},
    {"bytes before the first start code are dropped",
     {7, 1, 0, 1, 0, 0, 5, 0, 0, 1, 0x09, 0xF0, 0, 0, 0, 1, 0x41, 0x9A},
     {{0, 0, 1, 0x09, 0xF0}},
     {0, 0, 1, 0x41, 0x9A}},
    {"trailing zero bytes belong to no unit",
     {0, 0, 1, 0x06, 5, 0, 0, 0, 0, 0, 1, 0x41, 7, 0, 0},
     {{0, 0, 1, 0x06, 5}},
     {0, 0, 1, 0x41, 7}},
    {"a 01 byte after one zero, and an emulation prevention byte, stay inside",
     {0, 0, 1, 0x41, 0, 1, 0, 0, 3, 1, 9, 0, 0, 1, 0x41, 2},
     {{0, 0, 1, 0x41, 0, 1, 0, 0, 3, 1, 9}},
     {0, 0, 1, 0x41, 2}},
    {"an empty unit between two start codes is no unit",
     {0, 0, 1, 0, 0, 1, 0x41, 5, 0, 0, 1},
     {{0, 0, 1, 0x41, 5}},
     {}},
    {"no start code at all", {1, 2, 3, 0, 0, 4, 0}, {}, {}},
};

TEST(AnnexBSplitterTest, UnitsAreTheSameForEveryChunkSize) {
  for (const StreamCase& c : kStreams) {
    for (size_t chunk = 1; chunk <= c.stream.size(); ++chunk) {
      AnnexBSplitter splitter;
      EXPECT_EQ(Units(splitter, c.stream, chunk), c.units) << c.name << ", chunks of " << chunk;
      EXPECT_EQ(Pending(splitter), c.pending) << c.name << ", chunks of " << chunk;
    }
  }
}

struct BoundaryCase {
  const char* name;
  Bytes before, next;
  AnnexBSplitter::Boundary boundary;
};

TEST(AnnexBSplitterTest, TheNextChunkTellsWhetherThePendingUnitEnded) {
  using B = AnnexBSplitter::Boundary;
  const BoundaryCase cases[] = {
      {"no unit yet", {5, 6}, {0, 0, 1, 0x41}, B::kNoUnit},
      {"a start code", {0, 0, 1, 0x41, 9}, {0, 0, 0, 1, 0x41}, B::kAtStart},
      {"a start code cut after 00", {0, 0, 1, 0x41, 9, 0}, {0, 1, 0x41}, B::kAtStart},
      {"a start code cut after 00 00", {0, 0, 1, 0x41, 9, 0, 0}, {1, 0x41}, B::kAtStart},
      {"payload", {0, 0, 1, 0x41, 9}, {7, 8}, B::kInsideUnit},
      {"emulation prevention after the cut", {0, 0, 1, 0x41, 9, 0, 0}, {3, 1}, B::kInsideUnit},
      {"a 01 after one zero only", {0, 0, 1, 0x41, 9}, {0, 1, 5}, B::kInsideUnit},
      {"the header after a start code", {0, 0, 1}, {0x41, 9}, B::kInsideUnit},
      {"zeros only", {0, 0, 1, 0x41, 9}, {0, 0}, B::kUndecided},
  };
  for (const BoundaryCase& c : cases) {
    AnnexBSplitter splitter;
    Units(splitter, c.before, c.before.size());
    EXPECT_EQ(splitter.Classify(c.next.data(), c.next.size()), c.boundary) << c.name;
  }
}

// A dropped pending unit is not completed by the next start code, though the zeros before the
// drop still begin it; a unit longer than the bound is dropped, its rest with it, until the next
// start code.
TEST(AnnexBSplitterTest, DroppedAndOverlongUnitsAreNotCompletedByTheNextStartCode) {
  AnnexBSplitter splitter;
  const Bytes first = {0, 0, 1, 0x65, 1, 2, 0, 0};
  Units(splitter, first, first.size());
  EXPECT_EQ(Pending(splitter), (Bytes{0, 0, 1, 0x65, 1, 2}));
  splitter.DropPending();
  EXPECT_TRUE(Pending(splitter).empty());
  const Bytes next = {1, 0x41, 3, 0, 0, 1, 0x41, 4};
  EXPECT_EQ(Units(splitter, next, next.size()), (std::vector<Bytes>{{0, 0, 1, 0x41, 3}}));
  EXPECT_EQ(Pending(splitter), (Bytes{0, 0, 1, 0x41, 4}));

  Bytes stream = {0, 0, 1, 0x41};
  stream.resize(AnnexBSplitter::kMaxUnitSize + 10, 0x55);
  EXPECT_EQ(Units(splitter, stream, 1 << 20), (std::vector<Bytes>{{0, 0, 1, 0x41, 4}}));
  EXPECT_TRUE(Pending(splitter).empty());
  const Bytes after = {0x55, 0, 0, 1, 0x41, 7, 0, 0, 1, 0x41, 8, 0, 0, 1};
  EXPECT_EQ(Units(splitter, after, after.size()),
            (std::vector<Bytes>{{0, 0, 1, 0x41, 7}, {0, 0, 1, 0x41, 8}}));
}

TEST(AnnexBSplitterTest, SlicesThatBeginAPictureAreKnownByTheirFirstMacroblock) {
  struct Case {
    Bytes unit;
    bool slice, idr, begins;
  };
  const Case cases[] = {
      {{0, 0, 1, 0x65, 0x88}, true, true, true},    // IDR, first_mb_in_slice 0
      {{0, 0, 1, 0x41, 0x9A}, true, false, true},   // P, first_mb_in_slice 0
      {{0, 0, 1, 0x41, 0x5A}, true, false, false},  // P, first_mb_in_slice 1 and more
      {{0, 0, 1, 0x65, 0x40}, true, true, false},
      {{0, 0, 1, 0x67, 0x80}, false, false, false},  // SPS
      {{0, 0, 1, 0x41}, true, false, false},         // no payload yet
  };
  for (const Case& c : cases) {
    const NalUnit u{c.unit.data(), c.unit.size()};
    EXPECT_EQ(nal::IsSlice(u), c.slice) << int(c.unit[3]);
    EXPECT_EQ(nal::IsIdrSlice(u), c.idr) << int(c.unit[3]);
    EXPECT_EQ(nal::BeginsPicture(u), c.begins) << int(c.unit[3]) << " " << int(c.unit.back());
  }
}

}  // namespace
}  // namespace vl::test
