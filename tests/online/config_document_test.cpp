// The configuration document, the record and its cached values; program versions (four 16-bit
// fields compared from the first) and the update decision: which box, and what a Yes leads to.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "common/text_convert.h"
#include "online/config_document.h"
#include "online/remote_config.h"
#include "online/update_check.h"
#include "online/version_number.h"
#include "tests/online/fake_prompts.h"

namespace vl {
namespace {

using Settings = std::map<std::string, std::string>;

class ConfigDocumentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UpdateRemoteConfig([](RemoteConfig& c) { c = RemoteConfig(); });
  }
  test::MemorySettings settings_;
};

constexpr char kFullDocument[] =
    "<?xml version=\"1.0\"?>\n"
    "<anything>\n"
    "  <tips_conn>line one\r\nline two\nline three</tips_conn>\n"
    "  <app_name>Quillet</app_name>\n"
    "  <app_url>http://www.velloria.com.cn/quillet/</app_url>\n"
    "  <open_debug_mode_url>https://www.baidu.com/s?wd=</open_debug_mode_url>\n"
    "  <adb_drive_url>http://www.velloria.com.cn/adb.zip</adb_drive_url>\n"
    "  <image_help_conn>http://www.velloria.com.cn/conn.png</image_help_conn>\n"
    "  <image_help_vcam>http://www.velloria.com.cn/v.jpg</image_help_vcam>\n"
    "  <image_help_hcam>http://www.velloria.com.cn/h.jpg</image_help_hcam>\n"
    "  <update>\n"
    "    <appupdate_version>1.0.10.0</appupdate_version>\n"
    "    <appupdate_url>http://www.velloria.com.cn/setup_1.0.10.exe</appupdate_url>\n"
    "    <appupdate_msg>New &amp; better</appupdate_msg>\n"
    "  </update>\n"
    "</anything>\n";

TEST_F(ConfigDocumentTest, EveryKeyReachesTheRecordAndTheCachedOnesTheSettings) {
  const auto doc = ParseConfigDocument(kFullDocument);
  ASSERT_TRUE(doc);
  EXPECT_TRUE(doc->has_update);
  ApplyConfigDocument(*doc, settings_);
  const RemoteConfig c = GetRemoteConfig();
  // XML reads CR LF as one line feed; the break itself is kept.
  EXPECT_EQ(c.tips_conn, "line one\nline two\nline three");
  EXPECT_EQ(c.app_name, "Quillet");
  EXPECT_EQ(c.app_url, "http://www.velloria.com.cn/quillet/");
  EXPECT_EQ(c.open_debug_mode_url, "https://www.baidu.com/s?wd=");
  EXPECT_EQ(c.adb_drive_url, "http://www.velloria.com.cn/adb.zip");
  EXPECT_EQ(c.image_help_conn, "http://www.velloria.com.cn/conn.png");
  EXPECT_EQ(c.image_help_vcam, "http://www.velloria.com.cn/v.jpg");
  EXPECT_EQ(c.image_help_hcam, "http://www.velloria.com.cn/h.jpg");
  EXPECT_EQ(c.appupdate_version, "1.0.10.0");
  EXPECT_EQ(c.appupdate_url, "http://www.velloria.com.cn/setup_1.0.10.exe");
  EXPECT_EQ(c.appupdate_msg, "New & better");

  // Picture addresses are stored by the picture refresh, the update offer never.
  EXPECT_EQ(settings_.values, (Settings{{"ConnTips", "line one</br>line two</br>line three"},
                                        {"AppName", "Quillet"},
                                        {"AppUrl", "http://www.velloria.com.cn/quillet/"},
                                        {"OpenDebugModeUrl", "https://www.baidu.com/s?wd="},
                                        {"AdbDriveUrl", "http://www.velloria.com.cn/adb.zip"}}));
}

TEST_F(ConfigDocumentTest, MissingElementsChangeNothingAndTheBodyEndsAtItsSize) {
  UpdateRemoteConfig([](RemoteConfig& c) {
    c.app_name = "cached name";
    c.adb_drive_url = "http://cached/adb";
  });
  const auto doc = ParseConfigDocument("<c><tips_conn>a\r\nb</tips_conn><app_url/></c>");
  ASSERT_TRUE(doc);
  EXPECT_FALSE(doc->has_update);
  ApplyConfigDocument(*doc, settings_);
  const RemoteConfig c = GetRemoteConfig();
  EXPECT_EQ(c.tips_conn, "a\nb");
  EXPECT_EQ(c.app_name, "cached name");
  EXPECT_EQ(c.adb_drive_url, "http://cached/adb");
  EXPECT_EQ(c.app_url, "");  // present without text: the empty string
  EXPECT_EQ(settings_.values, (Settings{{"ConnTips", "a</br>b"}, {"AppUrl", ""}}));

  // An update element without some of its children offers empty values for them.
  UpdateRemoteConfig([](RemoteConfig& c) { c.appupdate_version = "old"; });
  const auto update =
      ParseConfigDocument("<c><update><appupdate_msg>m</appupdate_msg></update></c>");
  ASSERT_TRUE(update);
  EXPECT_TRUE(update->has_update);
  ApplyConfigDocument(*update, settings_);
  EXPECT_EQ(GetRemoteConfig().appupdate_version, "");
  EXPECT_EQ(GetRemoteConfig().appupdate_msg, "m");

  // The body needs no terminating zero.
  const std::string body = "<c><app_name>abc</app_name></c>trailing-garbage-not-parsed";
  const auto cut = ParseConfigDocument(std::string_view(body.data(), body.find("trailing")));
  ASSERT_TRUE(cut);
  EXPECT_EQ(*cut->app_name, "abc");
}

TEST_F(ConfigDocumentTest, TextsArriveInTheAnsiCodePageFromUtf8OrGbkOnlyAndMalformedOnesNot) {
  // The same tip and name in UTF-8 (declared or by XML's default) and in GBK (declared).
  const std::string tip = "连接失败，请检查USB调试", name = "奎丽特";
  const std::string gbk_tip = Utf8ToAnsi(tip), gbk_name = Utf8ToAnsi(name);
  ASSERT_NE(gbk_tip, tip);  // the ANSI code page here is GBK
  const struct {
    const char* prolog;
    bool gbk;
  } cases[] = {{"<?xml version=\"1.0\" encoding=\"UTF-8\"?>", false},
               {"<?xml version=\"1.0\"?>", false},
               {"", false},
               {"<?xml version='1.0' encoding='gbk'?>", true},
               {"<?xml version=\"1.0\" encoding=\"GB2312\"?>", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.prolog);
    const auto doc =
        ParseConfigDocument(std::string(c.prolog) + "<c><tips_conn>" + (c.gbk ? gbk_tip : tip) +
                            "</tips_conn><update><appupdate_msg>" + (c.gbk ? gbk_name : name) +
                            "</appupdate_msg></update></c>");
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->tips_conn, gbk_tip);
    EXPECT_EQ(doc->appupdate_msg, gbk_name);
  }
  // Malformed documents or another encoding are refused.
  for (const std::string& document : {std::string(), std::string("<html><body>502 Bad Gateway"),
                                      std::string("plain text"), std::string("<c>\0</c>", 8)})
    EXPECT_FALSE(ParseConfigDocument(document)) << document;
  for (const char* encoding : {"ISO-8859-1", "UTF-16", "Big5", ""}) {
    EXPECT_FALSE(ParseConfigDocument(std::string("<?xml version=\"1.0\" encoding=\"") + encoding +
                                     "\"?><c><app_name>x</app_name></c>"))
        << encoding;
  }
}

TEST_F(ConfigDocumentTest, StartLoadsTheCachedValuesWithTheirLineBreaks) {
  settings_.values = {{"ConnTips", "x</br>y"},
                      {"AppName", ""},
                      {"AppUrl", "http://stored/app"},
                      {"OpenDebugModeUrl", ""},
                      {"AdbDriveUrl", "http://stored/adb"}};
  UpdateRemoteConfig([](RemoteConfig& c) {
    c.app_name = "before";
    c.open_debug_mode_url = "before";
  });
  LoadCachedRemoteConfig(settings_);
  const RemoteConfig c = GetRemoteConfig();
  EXPECT_EQ(c.tips_conn, "x\ny");
  EXPECT_EQ(c.app_name, "before");  // an empty stored name keeps the record's
  EXPECT_EQ(c.app_url, "http://stored/app");
  EXPECT_EQ(c.open_debug_mode_url, "");  // the links always take the stored value
  EXPECT_EQ(c.adb_drive_url, "http://stored/adb");
  // Every kind of line break is stored as "</br>" and read back as a line feed.
  EXPECT_EQ(EncodeLineBreaks("a\r\nb\nc\rd"), "a</br>b</br>c</br>d");
  EXPECT_EQ(EncodeLineBreaks("no breaks"), "no breaks");
  EXPECT_EQ(DecodeLineBreaks("a</br>b</br></br>c"), "a\nb\n\nc");
  EXPECT_EQ(DecodeLineBreaks(""), "");
}

TEST(RemoteConfigRecord, ReadersSeeWholeValuesWhileTheFetchThreadWrites) {
  const std::string a(1000, 'a'), b(3000, 'b');
  UpdateRemoteConfig([&](RemoteConfig& c) { c.tips_conn = a; });
  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (int i = 0; i < 20000; ++i)
      UpdateRemoteConfig([&](RemoteConfig& c) { c.tips_conn = (i % 2) ? a : b; });
    done = true;
  });
  int torn = 0;
  while (!done) {
    const std::string seen = GetRemoteConfig().tips_conn;
    if (seen != a && seen != b) ++torn;
  }
  writer.join();
  EXPECT_EQ(torn, 0);
}

TEST(Version, FourFieldsMissingOnesZeroAndNewerWhenTheFirstDifferingFieldIsLarger) {
  EXPECT_EQ(ParseVersion("1.2.3.4"), (VersionNumber{1, 2, 3, 4}));
  EXPECT_EQ(ParseVersion("1.2.3"), (VersionNumber{1, 2, 3, 0}));
  EXPECT_EQ(ParseVersion("7"), (VersionNumber{7, 0, 0, 0}));
  EXPECT_EQ(ParseVersion(""), (VersionNumber{0, 0, 0, 0}));
  EXPECT_EQ(ParseVersion("2.1beta.x.9"), (VersionNumber{2, 1, 0, 9}));
  EXPECT_EQ(ParseVersion("1.2.3.4.5"), (VersionNumber{1, 2, 3, 4}));
  EXPECT_EQ(ParseVersion("1.70000.99999999999999999999.3"), (VersionNumber{1, 65535, 65535, 3}));
  EXPECT_EQ(FormatVersion({1, 0, 10, 100}), "1.0.10.100");
  // Newer only when the first differing field is larger. Fields above 255 compare by their whole
  // value: packing eight bits per field made 256 look like 0, a downgrade offered at every start.
  // An unreadable program version sees no update.
  const struct {
    const char *program, *offered;
    bool newer;
  } cases[] = {
      {"2.0.0.255", "2.0.0.256", true}, {"2.0.0.256", "2.0.0.255", false},
      {"1.256.0.0", "1.0.0.0", false},  {"1.0.0.0", "1.256.0.0", true},
      {"1.0.300.0", "1.1.0.0", true},   {"1.0.9.0", "1.0.10.0", true},
      {"1.0.9.0", "1.0.9.0", false},    {"1.0.10.0", "1.0.9.0", false},
      {"1.0.0.0", "1.0.0.1", true},     {"2.0.0.0", "1.9.9.9", false},
      {"1.2.3.0", "1.2.4", true},       {"", "9.9.9.9", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsNewerVersion(c.program, c.offered), c.newer) << c.program << " < " << c.offered;
}

TEST(UpdateCheck, WhichBoxAndWhatAYesLeadsTo) {
  const std::string ask = "ask:release note|Velloria软件更新提示";
  const struct {
    const char *program, *offered, *url;
    bool notify, yes;
    std::string records;
  } cases[] = {
      // A newer version asks; Yes downloads an installer or opens a web page, never anything else.
      {"1.0.9.0", "1.0.10.0", "http://h/a.exe", false, true, ask + " download:http://h/a.exe"},
      {"1.0.9.0", "1.0.10.0", "http://h/setup.exe", true, false, ask},
      {"1.0.0.0", "2.0.0.0", "https://h/download/", false, true, ask + " open:https://h/download/"},
      {"1.0.0.0", "2.0.0.0", "C:\\Windows\\System32\\calc", false, true, ask},
      {"1.0.0.0", "2.0.0.0", "file:///c:/windows/notepad", false, true, ask},
      // Not newer: silent unless asked.
      {"2.0.0.256", "2.0.0.255", "http://h/setup.exe", false, false, ""},
      {"1.0.9.0", "1.0.9.0", "http://h/setup.exe", true, false, "inform:未检查到有更新！|软件更新"},
      // An empty offer or address, or an unreadable program version: no box even when asked.
      {"1.0.0.0", "", "http://h/setup.exe", true, false, ""},
      {"1.0.0.0", "9.0.0.0", "", true, false, ""},
      {"", "9.0.0.0", "http://h/setup.exe", false, false, ""},
  };
  for (const auto& c : cases) {
    test::FakePrompts prompts;
    if (c.yes) prompts.AnswerYes();
    CheckForUpdate(c.program, c.offered, "release note", c.url, c.notify, prompts, prompts);
    EXPECT_EQ(prompts.Summary(), c.records) << c.program << " " << c.offered << " " << c.url;
  }
}

}  // namespace
}  // namespace vl
