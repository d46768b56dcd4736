// The configuration document: every key, line breaks in the cached tip, missing and malformed
// parts; the record loaded from the settings file at start.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "common/text_convert.h"
#include "online/config_document.h"
#include "online/remote_config.h"
#include "tests/online/fake_prompts.h"

namespace vl {
namespace {

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

  EXPECT_EQ(settings_.values["ConnTips"], "line one</br>line two</br>line three");
  EXPECT_EQ(settings_.values["AppName"], "Quillet");
  EXPECT_EQ(settings_.values["AppUrl"], "http://www.velloria.com.cn/quillet/");
  EXPECT_EQ(settings_.values["OpenDebugModeUrl"], "https://www.baidu.com/s?wd=");
  EXPECT_EQ(settings_.values["AdbDriveUrl"], "http://www.velloria.com.cn/adb.zip");
  // Picture addresses are stored by the picture refresh, the update offer never.
  EXPECT_EQ(settings_.values.size(), 5u);
}

TEST_F(ConfigDocumentTest, MissingElementsLeaveTheRecordAndTheSettingsAlone) {
  UpdateRemoteConfig([](RemoteConfig& c) {
    c.app_name = "cached name";
    c.adb_drive_url = "http://cached/adb";
  });
  const auto doc = ParseConfigDocument("<c><tips_conn>a\r\nb</tips_conn><app_url/></c>");
  ASSERT_TRUE(doc);
  EXPECT_FALSE(doc->has_update);
  EXPECT_FALSE(doc->app_name);
  ASSERT_TRUE(doc->app_url);
  EXPECT_EQ(*doc->app_url, "");  // present without text: the empty string
  ApplyConfigDocument(*doc, settings_);
  const RemoteConfig c = GetRemoteConfig();
  EXPECT_EQ(c.tips_conn, "a\nb");
  EXPECT_EQ(c.app_name, "cached name");
  EXPECT_EQ(c.adb_drive_url, "http://cached/adb");
  EXPECT_EQ(c.app_url, "");
  EXPECT_EQ(settings_.values["ConnTips"], "a</br>b");
  EXPECT_EQ(settings_.values.count("AppName"), 0u);
  EXPECT_EQ(settings_.values.count("AdbDriveUrl"), 0u);
  EXPECT_EQ(settings_.values.count("AppUrl"), 1u);
}

TEST_F(ConfigDocumentTest, AnUpdateElementWithoutChildrenOffersEmptyValues) {
  UpdateRemoteConfig([](RemoteConfig& c) { c.appupdate_version = "old"; });
  const auto doc = ParseConfigDocument("<c><update><appupdate_msg>m</appupdate_msg></update></c>");
  ASSERT_TRUE(doc);
  EXPECT_TRUE(doc->has_update);
  ApplyConfigDocument(*doc, settings_);
  EXPECT_EQ(GetRemoteConfig().appupdate_version, "");
  EXPECT_EQ(GetRemoteConfig().appupdate_msg, "m");
}

TEST_F(ConfigDocumentTest, MalformedDocumentsChangeNothing) {
  EXPECT_FALSE(ParseConfigDocument(""));
  EXPECT_FALSE(ParseConfigDocument("<html><body>502 Bad Gateway"));
  EXPECT_FALSE(ParseConfigDocument("plain text"));
  EXPECT_FALSE(ParseConfigDocument(std::string("<c>\0</c>", 8)));
}

TEST_F(ConfigDocumentTest, TheBodyNeedsNoTerminatingZero) {
  const std::string body = "<c><app_name>abc</app_name></c>trailing-garbage-not-parsed";
  const auto doc = ParseConfigDocument(std::string_view(body.data(), body.find("trailing")));
  ASSERT_TRUE(doc);
  EXPECT_EQ(*doc->app_name, "abc");
}

TEST_F(ConfigDocumentTest, TextsArriveInTheAnsiCodePageFromTheDeclaredEncoding) {
  // The same tip and name in UTF-8 (declared or by XML's default) and in GBK (declared).
  const std::string tip = "连接失败，请检查USB调试", name = "奎丽特";
  const std::string gbk_tip = Utf8ToAnsi(tip), gbk_name = Utf8ToAnsi(name);
  ASSERT_NE(gbk_tip, tip);  // the ANSI code page here is GBK
  const struct {
    const char* what;
    std::string document;
  } cases[] = {
      {"UTF-8 declared", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><c><tips_conn>" + tip +
                             "</tips_conn><update><appupdate_msg>" + name +
                             "</appupdate_msg></update></c>"},
      {"nothing declared", "<?xml version=\"1.0\"?><c><tips_conn>" + tip +
                               "</tips_conn><update><appupdate_msg>" + name +
                               "</appupdate_msg></update></c>"},
      {"no declaration", "<c><tips_conn>" + tip + "</tips_conn><update><appupdate_msg>" + name +
                             "</appupdate_msg></update></c>"},
      {"GBK declared", "<?xml version='1.0' encoding='gbk'?><c><tips_conn>" + gbk_tip +
                           "</tips_conn><update><appupdate_msg>" + gbk_name +
                           "</appupdate_msg></update></c>"},
      {"GB2312 declared", "<?xml version=\"1.0\" encoding=\"GB2312\"?><c><tips_conn>" + gbk_tip +
                              "</tips_conn><update><appupdate_msg>" + gbk_name +
                              "</appupdate_msg></update></c>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto doc = ParseConfigDocument(c.document);
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->tips_conn, gbk_tip);
    EXPECT_EQ(doc->appupdate_msg, gbk_name);
  }
}

TEST_F(ConfigDocumentTest, ADocumentInAnotherEncodingIsRefused) {
  for (const char* encoding : {"ISO-8859-1", "UTF-16", "Big5", ""}) {
    SCOPED_TRACE(encoding);
    EXPECT_FALSE(ParseConfigDocument(std::string("<?xml version=\"1.0\" encoding=\"") + encoding +
                                     "\"?><c><app_name>x</app_name></c>"));
  }
}

TEST(LineBreaks, EveryKindOfBreakIsStoredAsBrAndReadBackAsLineFeed) {
  EXPECT_EQ(EncodeLineBreaks("a\r\nb\nc\rd"), "a</br>b</br>c</br>d");
  EXPECT_EQ(EncodeLineBreaks("no breaks"), "no breaks");
  EXPECT_EQ(DecodeLineBreaks("a</br>b</br></br>c"), "a\nb\n\nc");
  EXPECT_EQ(DecodeLineBreaks(""), "");
}

TEST_F(ConfigDocumentTest, StartLoadsTheCachedValues) {
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

TEST(ConfigRequest, CarriesVersionAndTime) {
  EXPECT_EQ(ConfigRequestUrl("http://h/serelpartner/config.php", "1.0.0.0", 1700000000),
            "http://h/serelpartner/config.php?ver=1.0.0.0&rand=1700000000");
}

}  // namespace
}  // namespace vl
