// AnnexBSplitter: the units of a byte stream whatever its chunks, what the next chunk says about
// the pending unit, and the bounds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "media/annexb_splitter.h"

namespace vl {
namespace {

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

TEST(AnnexBSplitterTest, ADroppedPendingUnitIsNotCompletedByTheNextStartCode) {
  AnnexBSplitter splitter;
  const Bytes first = {0, 0, 1, 0x65, 1, 2, 0, 0};
  Units(splitter, first, first.size());
  EXPECT_EQ(Pending(splitter), (Bytes{0, 0, 1, 0x65, 1, 2}));
  splitter.DropPending();
  EXPECT_TRUE(Pending(splitter).empty());
  // The zeros before the drop still begin the next start code.
  const Bytes next = {1, 0x41, 3, 0, 0, 1, 0x41, 4};
  EXPECT_EQ(Units(splitter, next, next.size()), (std::vector<Bytes>{{0, 0, 1, 0x41, 3}}));
  EXPECT_EQ(Pending(splitter), (Bytes{0, 0, 1, 0x41, 4}));
}

TEST(AnnexBSplitterTest, AUnitLongerThanTheBoundIsDroppedUntilTheNextStartCode) {
  AnnexBSplitter splitter;
  Bytes stream = {0, 0, 1, 0x41};
  stream.resize(AnnexBSplitter::kMaxUnitSize + 10, 0x55);
  Units(splitter, stream, 1 << 20);
  EXPECT_TRUE(Pending(splitter).empty());
  // The long unit's rest is dropped with it; the units after the next start code come out.
  const Bytes next = {0x55, 0, 0, 1, 0x41, 7, 0, 0, 1};
  EXPECT_EQ(Units(splitter, next, next.size()), (std::vector<Bytes>{{0, 0, 1, 0x41, 7}}));
  const Bytes after = {0x41, 8, 0, 0, 1};
  EXPECT_EQ(Units(splitter, after, after.size()), (std::vector<Bytes>{{0, 0, 1, 0x41, 8}}));
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
}  // namespace vl
