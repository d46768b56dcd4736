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

TEST(StreamHeader, ReadsBothFlagsFromTheRootWhateverItsName) {
  const HeaderFlags f = ParseStreamHeader("<cfg reverse_v=\"1\" reverse_h=\"2\"/>");
  EXPECT_EQ(f.reverse_v, 1);
  EXPECT_EQ(f.reverse_h, 2);
}

TEST(StreamHeader, AtoiRulesLeadingDigitsSignAndBlanks) {
  EXPECT_EQ(ParseStreamHeader("<h reverse_v=\"7px\"/>").reverse_v, 7);
  EXPECT_EQ(ParseStreamHeader("<h reverse_v=\"  +4\"/>").reverse_v, 4);
  EXPECT_EQ(ParseStreamHeader("<h reverse_h=\"-1\"/>").reverse_h, -1);
  EXPECT_EQ(ParseStreamHeader("<h reverse_v=\"x1\"/>").reverse_v, 0);
  EXPECT_EQ(ParseStreamHeader("<h reverse_v=\"0x10\"/>").reverse_v, 0);
  // Out of range values are clamped instead of overflowing.
  EXPECT_EQ(ParseStreamHeader("<h reverse_v=\"99999999999\"/>").reverse_v, INT32_MAX);
}

TEST(StreamHeader, MissingBrokenOrEmptyDocumentsGiveZero) {
  for (const char* doc : {"", "<h/>", "<h reverse_v=\"1\"", "not xml", "<!-- only -->",
                          "<a><b reverse_v=\"1\"/></a>"}) {
    const HeaderFlags f = ParseStreamHeader(doc);
    EXPECT_EQ(f.reverse_v, 0) << doc;
    EXPECT_EQ(f.reverse_h, 0) << doc;
  }
}

}  // namespace
}  // namespace vl
