// Byte-level rules: little-endian fields, resource payload layout, header document flags.
#include "media/stream_header.h"
#include "media/stream_wire.h"

#include <gtest/gtest.h>

#include <vector>

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

TEST(StreamWire, ResourceNameEndsAtTheFirstNulAndDataFollowsTheField) {
  std::vector<uint8_t> p(255 + 3, 0);
  const char name[] = "btn\0tail";
  std::copy(name, name + 8, p.begin());
  p[255] = 9;
  p[257] = 7;
  ResourceView v;
  ASSERT_TRUE(SplitResourcePayload(p.data(), static_cast<int32_t>(p.size()), v));
  EXPECT_EQ(v.name, "btn");
  EXPECT_EQ(v.size, 3);
  EXPECT_EQ(v.data, p.data() + 255);
  EXPECT_EQ(v.data[2], 7);
}

TEST(StreamWire, ResourceNeedsAWholeNameField) {
  std::vector<uint8_t> p(255, 'a');
  ResourceView v;
  ASSERT_TRUE(SplitResourcePayload(p.data(), 255, v));
  EXPECT_EQ(v.name, std::string(255, 'a'));
  EXPECT_EQ(v.size, 0);
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

}  // namespace
}  // namespace vl
