// Attribute maps: exact, first-match lookups and the phone's integer forms, including values
// that would overflow a 32-bit integer.
#include "panel/attribute_map.h"

#include <gtest/gtest.h>

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
  ASSERT_EQ(copy->size(), 4u);
  EXPECT_EQ(copy->pairs()[0].first, "id");
  EXPECT_EQ(copy->pairs()[1].first, "Name");
  EXPECT_EQ(copy->pairs()[3].second, "second");
  EXPECT_FALSE(copy->Has("c"));
}

TEST(AttributeMapTest, IntegersReadLikeThePhoneWritesThem) {
  EXPECT_EQ(ReadInteger("0x1F"), 31);
  EXPECT_EQ(ReadInteger("25"), 25);
  EXPECT_EQ(ReadInteger("abc"), 0);
  EXPECT_EQ(ReadInteger(""), 0);
  EXPECT_EQ(ReadInteger("  -12px"), -12);
  EXPECT_EQ(ReadInteger("+8"), 8);
  EXPECT_EQ(ReadInteger("0xE75988"), 0xE75988);
  EXPECT_EQ(ReadInteger("0x00FF00"), 0x00FF00);
  EXPECT_EQ(ReadInteger("0xff"), 255);
  EXPECT_EQ(ReadInteger("0x"), 0);
  EXPECT_EQ(ReadInteger("0x1G2"), 1);  // reading stops at the first non-hex digit
  // "0x" anywhere makes the value hex, read from its third character on.
  EXPECT_EQ(ReadInteger("120x5"), 0);  // from "0x5": '0', then 'x' stops it
  EXPECT_EQ(ReadInteger(" 0x1F"), 0);  // from "x1F": nothing
  EXPECT_EQ(ReadInteger("ab1F0x"), 0x1F0);
  EXPECT_EQ(ReadInteger("0X1F"), 0);  // only lower-case "0x" selects hex; atoi reads 0
  // Values beyond 32 bits saturate instead of overflowing.
  EXPECT_EQ(ReadInteger("2147483647"), INT32_MAX);
  EXPECT_EQ(ReadInteger("2147483648"), INT32_MAX);
  EXPECT_EQ(ReadInteger("99999999999999999999999999"), INT32_MAX);
  EXPECT_EQ(ReadInteger("-2147483648"), INT32_MIN);
  EXPECT_EQ(ReadInteger("-2147483649"), INT32_MIN);
  EXPECT_EQ(ReadInteger("-99999999999999999999999999"), INT32_MIN);
  // Hex keeps the 32-bit pattern (colours), and saturates past eight digits.
  EXPECT_EQ(ReadInteger("0xFFFFFFFF"), -1);
  EXPECT_EQ(ReadInteger("0x80000000"), INT32_MIN);
  EXPECT_EQ(ReadInteger("0x123456789"), -1);
  EXPECT_EQ(ReadInteger("0xFFFFFFFFFFFFFFFFFFFFFFFFFFFF"), -1);
}

}  // namespace
}  // namespace vl
