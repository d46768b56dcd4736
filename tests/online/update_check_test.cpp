// The update decision: which box, and what a Yes leads to.
#include <gtest/gtest.h>

#include "common/text_convert.h"
#include "online/update_check.h"
#include "tests/online/fake_prompts.h"

namespace vl {
namespace {

class UpdateCheckTest : public ::testing::Test {
 protected:
  void Check(const char* program, const char* offered, const char* url, bool notify) {
    CheckForUpdate(program, offered, "release note", url, notify, prompts_, prompts_);
  }
  test::FakePrompts prompts_;
};

TEST_F(UpdateCheckTest, NewerVersionAsksAndYesDownloadsAnInstaller) {
  prompts_.AnswerYes();
  Check("1.0.9.0", "1.0.10.0", "http://h/setup.exe", false);
  const auto records = prompts_.Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].kind, "ask");
  EXPECT_EQ(records[0].text, "release note");
  EXPECT_EQ(AnsiToUtf8(records[0].caption), "Velloria软件更新提示");
  EXPECT_EQ(records[1].kind, "download");
  EXPECT_EQ(records[1].text, "http://h/setup.exe");
}

TEST_F(UpdateCheckTest, NoDoesNothing) {
  prompts_.AnswerNo();
  Check("1.0.9.0", "1.0.10.0", "http://h/setup.exe", true);
  ASSERT_EQ(prompts_.Records().size(), 1u);
  EXPECT_EQ(prompts_.Records()[0].kind, "ask");
}

TEST_F(UpdateCheckTest, APageAddressOpensInTheBrowser) {
  prompts_.AnswerYes();
  Check("1.0.0.0", "2.0.0.0", "https://www.velloria.com.cn/download/", false);
  ASSERT_EQ(prompts_.Records("open").size(), 1u);
  EXPECT_EQ(prompts_.Records("open")[0].text, "https://www.velloria.com.cn/download/");
  EXPECT_TRUE(prompts_.Records("download").empty());
}

TEST_F(UpdateCheckTest, AnAddressThatIsNoWebPageIsNotOpened) {
  prompts_.AnswerYes(2);
  Check("1.0.0.0", "2.0.0.0", "C:\\Windows\\System32\\calc", false);
  Check("1.0.0.0", "2.0.0.0", "file:///c:/windows/notepad", false);
  EXPECT_TRUE(prompts_.Records("open").empty());
}

TEST_F(UpdateCheckTest, NotNewerIsSilentUnlessAsked) {
  Check("2.0.0.256", "2.0.0.255", "http://h/setup.exe", false);
  EXPECT_TRUE(prompts_.Records().empty());
  Check("1.0.9.0", "1.0.9.0", "http://h/setup.exe", true);
  ASSERT_EQ(prompts_.Records().size(), 1u);
  EXPECT_EQ(prompts_.Records()[0].kind, "inform");
  EXPECT_EQ(AnsiToUtf8(prompts_.Records()[0].text), "未检查到有更新！");
  EXPECT_EQ(AnsiToUtf8(prompts_.Records()[0].caption), "软件更新");
}

TEST_F(UpdateCheckTest, EmptyOfferOrAddressShowsNoBoxEvenWhenAsked) {
  Check("1.0.0.0", "", "http://h/setup.exe", true);
  Check("1.0.0.0", "9.0.0.0", "", true);
  EXPECT_TRUE(prompts_.Records().empty());
}

TEST_F(UpdateCheckTest, AnUnreadableProgramVersionOffersNothing) {
  Check("", "9.0.0.0", "http://h/setup.exe", false);
  EXPECT_TRUE(prompts_.Records().empty());
}

}  // namespace
}  // namespace vl
