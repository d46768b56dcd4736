// Values of "AppConfig.ini" as one line each, keys the file can hold, and the read-back cut.
#include "app/setting_value.h"

#include <gtest/gtest.h>

#include "common/text_convert.h"

namespace vl {
namespace {

TEST(SettingValue, LineBreaksAreStoredAsBrMarks) {
  EXPECT_EQ(SettingValueForFile("a\r\nb\nc\rd"), "a</br>b</br>c</br>d");
  EXPECT_EQ(SettingValueForFile("x\nInjected=1"), "x</br>Injected=1");
  EXPECT_EQ(SettingValueForFile("\n\n"), "</br></br>");
  EXPECT_EQ(SettingValueForFile("plain"), "plain");
}

TEST(SettingValue, KeysMustBeOneLineWithoutEqualsOrSection) {
  EXPECT_TRUE(IsValidSettingKey("ConnTips"));
  EXPECT_FALSE(IsValidSettingKey(""));
  EXPECT_FALSE(IsValidSettingKey("A\nB"));
  EXPECT_FALSE(IsValidSettingKey("A=B"));
  EXPECT_FALSE(IsValidSettingKey("[Other]"));
}

TEST(SettingValue, ReadBackIsCutTo258BytesOnACharacterBoundary) {
  EXPECT_EQ(CutSettingValue(std::string(300, 'a')), std::string(258, 'a'));
  // 257 ASCII bytes, then a Chinese character whose second byte would be the 259th.
  const std::string chinese = Utf8ToAnsi("测");
  ASSERT_EQ(chinese.size(), 2u);
  const std::string value = std::string(257, 'a') + chinese + "z";
  EXPECT_EQ(CutSettingValue(value), std::string(257, 'a'));
  EXPECT_EQ(CutSettingValue(std::string(256, 'a') + chinese + "z"),
            std::string(256, 'a') + chinese);
}

}  // namespace
}  // namespace vl
