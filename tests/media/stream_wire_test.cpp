// Byte-level rules: little-endian fields, resource payload layout, header document flags; and
// the stream reader's buffer: whatever the transport delivers at a time, the reads give the
// stream's bytes in order; long payloads bypass the buffer; an ended stream gives a short read.
#include "media/stream_header.h"
#include "media/stream_wire.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <tuple>
#include <vector>

#include "media/buffered_byte_source.h"

namespace vl {
namespace {

TEST(StreamWire, PacketHeaderIsTypeThenLengthLittleEndian) {
  uint8_t h[8];
  EncodePacketHeader(kPacketHeartbeat, 0, h);
  EXPECT_EQ(std::vector<uint8_t>(h, h + 8), (std::vector<uint8_t>{5, 0, 0, 0, 0, 0, 0, 0}));
  EncodePacketHeader(0xBEEF, 0x01020304, h);
  EXPECT_EQ(std::vector<uint8_t>(h, h + 8), (std::vector<uint8_t>{0xEF, 0xBE, 0, 0, 4, 3, 2, 1}));
  EncodePacketHeader(kPacketPanel, -2, h);
  EXPECT_EQ(static_cast<int32_t>(GetLe32(h + 4)), -2);
}

// The name ends at the first NUL, or fills the whole 255-byte field; the data follows the
// field. A payload shorter than the field is no resource.
TEST(StreamWire, ResourceNameEndsAtTheFirstNulAndDataFollowsTheField) {
  std::vector<uint8_t> p(255 + 3, 0);
  const char name[] = "btn\0tail";
  std::copy(name, name + 8, p.begin());
  p[255] = 9;
  p[257] = 7;
  ResourceView v;
  ASSERT_TRUE(SplitResourcePayload(p.data(), static_cast<int32_t>(p.size()), v));
  EXPECT_EQ(std::tuple(v.name, v.size, v.data), std::tuple("btn", 3, p.data() + 255));
  EXPECT_EQ(v.data[2], 7);
  std::fill(p.begin(), p.end(), 'a');
  ASSERT_TRUE(SplitResourcePayload(p.data(), 255, v));
  EXPECT_EQ(std::tuple(v.name, v.size), std::tuple(std::string(255, 'a'), 0));
  EXPECT_FALSE(SplitResourcePayload(p.data(), 254, v));
  EXPECT_FALSE(SplitResourcePayload(nullptr, 300, v));
}

// Both flags from the root element whatever its name, read like atoi (leading digits, sign and
// blanks), clamped to 32 bits; a missing, broken or empty document gives zero.
TEST(StreamHeader, FlagsAreReadLikeAtoiFromTheRootOrAreZero) {
  const struct {
    const char* document;
    int32_t reverse_v, reverse_h;
  } cases[] = {
      {"<cfg reverse_v=\"1\" reverse_h=\"2\"/>", 1, 2},
      {"<h reverse_v=\"7px\" reverse_h=\" -1\"/>", 7, -1},
      {"<h reverse_v=\"  +4\" reverse_h=\"\"/>", 4, 0},
      {"<h reverse_v=\"x1\" reverse_h=\"yes\"/>", 0, 0},
      {"<h reverse_v=\"0x10\"/>", 0, 0},
      {"<h reverse_v=\"99999999999\" reverse_h=\"-99999999999\"/>", INT32_MAX, INT32_MIN},
      {"<?xml version=\"1.0\"?><!-- phone --><any reverse_v=\"3\"><in reverse_h=\"9\"/></any>", 3,
       0},
      {"", 0, 0},
      {"<h/>", 0, 0},
      {"<h reverse_v=\"1\"", 0, 0},
      {"not xml", 0, 0},
      {"<!-- only -->", 0, 0},
      {"<a><b reverse_v=\"1\"/></a>", 0, 0},
  };
  for (const auto& c : cases) {
    const HeaderFlags f = ParseStreamHeader(c.document);
    EXPECT_EQ(f.reverse_v, c.reverse_v) << c.document;
    EXPECT_EQ(f.reverse_h, c.reverse_h) << c.document;
  }
}

// A transport that has `stream` to give, delivering at most `piece` bytes per read.
class PieceSource : public IByteSource {
 public:
  PieceSource(std::vector<uint8_t> stream, int32_t piece)
      : stream_(std::move(stream)), piece_(piece) {}
  int32_t Receive(void* buffer, int32_t length) override { return Give(buffer, length); }
  int32_t ReceiveSome(void* buffer, int32_t capacity) override {
    return Give(buffer, std::min(capacity, piece_));
  }
  int reads = 0;

 private:
  int32_t Give(void* buffer, int32_t most) {
    ++reads;
    const int32_t n = std::min<int32_t>(most, static_cast<int32_t>(stream_.size() - at_));
    std::copy_n(stream_.begin() + static_cast<std::ptrdiff_t>(at_), n,
                static_cast<uint8_t*>(buffer));
    at_ += static_cast<size_t>(n);
    return n;
  }
  std::vector<uint8_t> stream_;
  size_t at_ = 0;
  int32_t piece_;
};

TEST(BufferedByteSourceTest, ReadsGiveTheStreamInOrderFromFewReadsAndShortOnceItEnds) {
  std::vector<uint8_t> stream(300000);
  std::iota(stream.begin(), stream.end(), 0);
  // Reads as a packet reader makes them: two 4-byte fields, then payloads short and long.
  const int32_t reads[] = {4, 4, 100, 4, 4, 70000, 4, 4, 1, 4, 4, 65536, 4, 4, 30000, 5};
  for (int32_t piece : {1, 7, 4096, 65536, 1 << 20}) {
    PieceSource source(stream, piece);
    BufferedByteSource buffered(source);
    size_t at = 0;
    for (int32_t length : reads) {
      std::vector<uint8_t> got(static_cast<size_t>(length));
      ASSERT_EQ(buffered.Receive(got.data(), length), length) << "pieces of " << piece;
      ASSERT_TRUE(
          std::equal(got.begin(), got.end(), stream.begin() + static_cast<std::ptrdiff_t>(at)))
          << "pieces of " << piece << " at " << at;
      at += static_cast<size_t>(length);
    }
  }
  // The small fields of many packets come from few reads; a stream that ends gives a short read.
  PieceSource source(std::vector<uint8_t>(100 * 40, 1), 1 << 20);  // 100 packets of 8 + 32 bytes
  BufferedByteSource buffered(source);
  uint8_t field[32];
  for (int packet = 0; packet < 100; ++packet) {
    ASSERT_EQ(buffered.Receive(field, 4), 4);
    ASSERT_EQ(buffered.Receive(field, 4), 4);
    ASSERT_EQ(buffered.Receive(field, 32), 32);
  }
  EXPECT_EQ(source.reads, 1);
  for (int32_t length : {10, 200000}) {
    PieceSource short_source(std::vector<uint8_t>(50, 3), 16);
    BufferedByteSource ending(short_source);
    std::vector<uint8_t> got(static_cast<size_t>(length));
    EXPECT_EQ(ending.Receive(got.data(), 8), 8);
    EXPECT_EQ(ending.Receive(got.data(), length), length == 10 ? 10 : 42) << length;
  }
}

}  // namespace
}  // namespace vl
