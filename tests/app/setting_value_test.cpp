// Values of "AppConfig.ini" as one line each and the keys the file can hold. The read-back cut
// and a value's way through the real file are services_win_test's (under Wine).
#include "app/setting_value.h"

#include <gtest/gtest.h>

namespace vl {
namespace {

TEST(SettingValue, EveryKindOfLineBreakIsStoredAsABrMark) {
  EXPECT_EQ(SettingValueForFile("a\r\nb\nc\rd"), "a</br>b</br>c</br>d");
  EXPECT_EQ(SettingValueForFile("\n\n"), "</br></br>");
  EXPECT_EQ(SettingValueForFile("plain"), "plain");
}

TEST(SettingValue, KeysMustBeOneLineWithoutEqualsOrSection) {
  EXPECT_TRUE(IsValidSettingKey("ConnTips"));
  for (const char* key : {"", "A\nB", "A\rB", "A=B", "[Other]"})
    EXPECT_FALSE(IsValidSettingKey(key)) << key;
}

}  // namespace
}  // namespace vl
