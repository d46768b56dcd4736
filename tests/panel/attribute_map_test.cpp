// Attribute maps: exact, first-match lookups and the phone's integer forms, including values that
// would overflow a 32-bit integer.
#include "panel/attribute_map.h"

#include <gtest/gtest.h>

#include <vector>

namespace vl {
namespace {

TEST(AttributeMapTest, LookupsAreExactAndTakeTheFirstMatchAndClonesAreDeepCopies) {
  AttributeMap m;
  m.Add("id", "7");
  m.Add("Name", "upper");
  m.Add("name", "first");
  m.Add("name", "second");
  EXPECT_EQ(m.GetString("name"), "first");
  EXPECT_EQ(m.GetString("NAME"), "");
  EXPECT_EQ(m.GetString("missing"), "");
  EXPECT_EQ(m.GetInt("id", -1), 7);
  EXPECT_EQ(m.GetInt("missing", -1), -1);
  EXPECT_TRUE(m.Has("Name"));
  EXPECT_FALSE(m.Has("nAme"));
  // A clone is a deep copy in document order.
  auto copy = m.Clone();
  m.Add("c", "3");
  EXPECT_EQ(copy->pairs(),
            (std::vector<AttributeMap::Pair>{
                {"id", "7"}, {"Name", "upper"}, {"name", "first"}, {"name", "second"}}));
}

// Decimal and hex as the phone writes them. Hex reading stops at the first non-hex digit; "0x"
// anywhere makes the value hex, read from its third character on ("120x5" from "0x5": '0', then 'x'
// stops it; " 0x1F" from "x1F": nothing); only lower-case "0x" selects hex ("0X1F": atoi reads 0).
// Values beyond 32 bits saturate instead of overflowing; hex keeps the 32-bit pattern (colours),
// and saturates past eight digits.
TEST(AttributeMapTest, IntegersReadLikeThePhoneWritesThem) {
  const struct {
    int32_t value;
    std::vector<const char*> texts;
  } cases[] = {
      {0, {"abc", "", "0x", "120x5", " 0x1F", "0X1F"}},
      {31, {"0x1F"}},
      {25, {"25"}},
      {-12, {"  -12px"}},
      {8, {"+8"}},
      {0xE75988, {"0xE75988"}},
      {0x00FF00, {"0x00FF00"}},
      {255, {"0xff"}},
      {1, {"0x1G2"}},
      {0x1F0, {"ab1F0x"}},
      {INT32_MAX, {"2147483647", "2147483648", "99999999999999999999999999"}},
      {INT32_MIN, {"-2147483648", "-2147483649", "-99999999999999999999999999", "0x80000000"}},
      {-1, {"0xFFFFFFFF", "0x123456789", "0xFFFFFFFFFFFFFFFFFFFFFFFFFFFF"}}};
  for (const auto& c : cases) {
    for (const char* text : c.texts) EXPECT_EQ(ReadInteger(text), c.value) << '"' << text << '"';
  }
}

}  // namespace
}  // namespace vl
