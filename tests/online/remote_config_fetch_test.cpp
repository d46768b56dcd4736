// The configuration fetch against the local test server: the request, the document into the
// record and the settings, the update offer, the help pictures and the fetch guard.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <ctime>
#include <regex>

#include "common/text_convert.h"
#include "common/win/gdiplus_gate.h"
#include "online/remote_config.h"
#include "online/remote_config_fetch_win.h"
#include "tests/online/fake_prompts.h"
#include "tests/online/test_pictures.h"
#include "tests/online/test_root.h"
#include "tests/online/test_server_client.h"

namespace vl {
namespace {

class RemoteConfigFetchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.available()) << "run through tools/http_test_server";
    test::StartGdiplusForTests();
    server_.ClearLog();
    UpdateRemoteConfig([](RemoteConfig& c) { c = RemoteConfig(); });
    context_.prompts = &prompts_;
    context_.settings = &settings_;
    context_.downloads = &prompts_;
    context_.help_picture_changed = [this] { ++placeholder_reloads_; };
    context_.config_endpoint = server_.Url("/serelpartner/config.php");
    context_.program_directory = program_dir_.path();
    // The per-user picture folder, here a scratch one.
    context_.picture_directory = program_dir_.path() + "res\\";
    context_.program_version = "1.0.9.0";
  }
  void ServeConfig(const std::string& xml) { server_.PutFile("serelpartner/config.php", xml); }
  std::string ResFile(const char* name) const {
    return test::ReadWholeFile(program_dir_.path() + "res\\" + name);
  }
  void PutResFile(const char* name, const std::string& bytes) const {
    CreateDirectoryA((program_dir_.path() + "res").c_str(), nullptr);
    test::WriteWholeFile(program_dir_.path() + "res\\" + name, bytes);
  }
  size_t RequestsFor(const std::string& prefix) const {
    size_t n = 0;
    for (const auto& r : server_.Requests())
      if (r.line.compare(0, 4 + prefix.size(), "GET " + prefix) == 0) ++n;
    return n;
  }
  std::string Pictures(const std::string& conn, const std::string& vcam, const std::string& hcam) {
    return "<image_help_conn>" + conn + "</image_help_conn><image_help_vcam>" + vcam +
           "</image_help_vcam><image_help_hcam>" + hcam + "</image_help_hcam>";
  }

  test::TestServer server_;
  test::FakePrompts prompts_;
  test::MemorySettings settings_;
  test::ScratchFolder program_dir_;
  OnlineContext context_;
  int placeholder_reloads_ = 0;
};

// Over HTTP and, for an https endpoint, over TLS with the same path and query.
TEST_F(RemoteConfigFetchTest, AsksWithVersionAndTimeAcceptingAnythingAndNoUserAgent) {
  ASSERT_TRUE(test::TrustTestRoot());
  ASSERT_TRUE(server_.tls_available());
  ServeConfig("<config><app_name>Quillet</app_name></config>");
  for (const bool secure : {false, true}) {
    SCOPED_TRACE(secure ? "https" : "http");
    UpdateRemoteConfig([](RemoteConfig& c) { c = RemoteConfig(); });
    server_.ClearLog();
    context_.config_endpoint = secure ? server_.SecureUrl("/serelpartner/config.php")
                                      : server_.Url("/serelpartner/config.php");
    const long long before = std::time(nullptr);
    EXPECT_EQ(FetchRemoteConfig(context_, false), 1);
    const auto requests = server_.Requests();
    ASSERT_EQ(requests.size(), 1u);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(
        requests[0].line, m,
        std::regex(R"(GET /serelpartner/config\.php\?ver=1\.0\.9\.0&rand=(\d+) HTTP/1\.1)")))
        << requests[0].line;
    const long long rand = std::stoll(m[1]);
    EXPECT_GE(rand, before);
    EXPECT_LE(rand, std::time(nullptr));
    EXPECT_EQ(requests[0].Header("Accept"), "*/*");
    EXPECT_FALSE(requests[0].Has("User-Agent"));
    EXPECT_EQ(GetRemoteConfig().app_name, "Quillet");
    EXPECT_EQ(settings_.values["AppName"], "Quillet");
  }
  // A host whose certificate cannot be trusted gives nothing, and nothing else is asked.
  UpdateRemoteConfig([](RemoteConfig& c) { c = RemoteConfig(); });
  server_.ClearLog();
  context_.config_endpoint = server_.UntrustedSecureUrl("/serelpartner/config.php");
  EXPECT_EQ(FetchRemoteConfig(context_, false), 0);
  EXPECT_TRUE(server_.Requests().empty());
  EXPECT_EQ(GetRemoteConfig().app_name, "");
}

TEST_F(RemoteConfigFetchTest, ANewerInstallerIsOfferedAndYesHandsItToTheWindow) {
  ServeConfig(
      "<c><update><appupdate_version>1.0.10.0</appupdate_version>"
      "<appupdate_url>http://d.example/setup_1.0.10.exe</appupdate_url>"
      "<appupdate_msg>note</appupdate_msg></update></c>");
  prompts_.AnswerYes();
  EXPECT_EQ(FetchRemoteConfig(context_, false), 1);
  const auto records = prompts_.Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].kind, "ask");
  EXPECT_EQ(records[0].text, "note");
  EXPECT_EQ(records[1].kind, "download");
  EXPECT_EQ(records[1].text, "http://d.example/setup_1.0.10.exe");
  EXPECT_EQ(GetRemoteConfig().appupdate_version, "1.0.10.0");
}

TEST_F(RemoteConfigFetchTest, AskedForAndNothingNewerSaysSo) {
  ServeConfig(
      "<c><update><appupdate_version>1.0.9.0</appupdate_version>"
      "<appupdate_url>http://d.example/setup.exe</appupdate_url></update></c>");
  EXPECT_EQ(FetchRemoteConfig(context_, false), 1);
  EXPECT_TRUE(prompts_.Records().empty());
  EXPECT_EQ(FetchRemoteConfig(context_, true), 1);
  ASSERT_EQ(prompts_.Records("inform").size(), 1u);
  EXPECT_EQ(AnsiToUtf8(prompts_.Records("inform")[0].text), "未检查到有更新！");
}

TEST_F(RemoteConfigFetchTest, WithoutAnUpdateElementNoCheckAndNoPictures) {
  server_.PutFile("conn.png", test::PngPicture());
  ServeConfig("<c>" + Pictures(server_.Url("/conn.png"), "", "") + "</c>");
  EXPECT_EQ(FetchRemoteConfig(context_, true), 1);
  EXPECT_EQ(server_.Requests().size(), 1u);
  EXPECT_TRUE(prompts_.Records().empty());
  EXPECT_EQ(settings_.values.count("HelpConnImage"), 0u);
  EXPECT_EQ(GetRemoteConfig().image_help_conn, server_.Url("/conn.png"));
}

TEST_F(RemoteConfigFetchTest, AnEmptyOfferShowsNoBoxButRefreshesThePictures) {
  server_.PutFile("conn.png", test::PngPicture());
  server_.PutFile("v.jpg", test::JpegPicture());
  server_.PutFile("h.jpg", test::JpegPicture());
  ServeConfig("<c>" +
              Pictures(server_.Url("/conn.png"), server_.Url("/v.jpg"), server_.Url("/h.jpg")) +
              "<update><appupdate_version></appupdate_version>"
              "<appupdate_url>http://d.example/setup.exe</appupdate_url></update></c>");
  EXPECT_EQ(FetchRemoteConfig(context_, true), 1);
  EXPECT_TRUE(prompts_.Records().empty());
  EXPECT_TRUE(ResFile("default.png") == test::PngPicture());
  EXPECT_TRUE(ResFile("default_v.jpg") == test::JpegPicture());
  EXPECT_TRUE(ResFile("default_h.jpg") == test::JpegPicture());
  EXPECT_EQ(placeholder_reloads_, 1);  // only the preview's picture concerns the window
  EXPECT_EQ(settings_.values["HelpConnImage"], server_.Url("/conn.png"));
  EXPECT_EQ(settings_.values["HelpVCamImage"], server_.Url("/v.jpg"));
  EXPECT_EQ(settings_.values["HelpHCamImage"], server_.Url("/h.jpg"));
  EXPECT_EQ(program_dir_.Listing("res\\"), "default.png default_h.jpg default_v.jpg");

  // Unchanged addresses: no downloads.
  server_.ClearLog();
  EXPECT_EQ(FetchRemoteConfig(context_, false), 1);
  EXPECT_EQ(server_.Requests().size(), 1u);
  EXPECT_EQ(placeholder_reloads_, 1);
}

// The fetch thread may still run while the program shuts GDI+ down: once the shutdown has
// begun, a downloaded help picture is not decoded (it is not taken either, and is tried again at
// the next fetch), so no thread calls GDI+ after it is shut down.
TEST_F(RemoteConfigFetchTest, NoPictureIsDecodedOnceGdiplusIsShuttingDown) {
  server_.PutFile("conn.png", test::PngPicture());
  ServeConfig("<c>" + Pictures(server_.Url("/conn.png"), "", "") +
              "<update><appupdate_version></appupdate_version></update></c>");
  win::CloseGdiplusGate();
  EXPECT_EQ(FetchRemoteConfig(context_, false), 1);
  win::OpenGdiplusGate();
  EXPECT_FALSE(test::FileExists(program_dir_.path() + "res\\default.png"));
  EXPECT_EQ(placeholder_reloads_, 0);
  EXPECT_EQ(settings_.values.count("HelpConnImage"), 0u);
  // GDI+ up again (a later fetch): the picture is taken.
  EXPECT_EQ(FetchRemoteConfig(context_, false), 1);
  EXPECT_TRUE(ResFile("default.png") == test::PngPicture());
}

TEST_F(RemoteConfigFetchTest, AFailedPictureKeepsTheOldOneAndIsTriedAgain) {
  PutResFile("default.png", "old conn");
  PutResFile("default_v.jpg", "old v");
  PutResFile("default_h.jpg", "old h");
  server_.PutFile("v.jpg", test::JpegPicture());
  server_.PutFile("h.jpg", "<html>not a picture</html>");
  const std::string update =
      "<update><appupdate_version>1.0.0.0</appupdate_version>"
      "<appupdate_url>http://d.example/setup.exe</appupdate_url></update>";
  ServeConfig("<c>" +
              Pictures(server_.Url("/status/404/conn.png"), server_.Url("/truncate/500/v.jpg"),
                       server_.Url("/h.jpg")) +
              update + "</c>");
  EXPECT_EQ(FetchRemoteConfig(context_, false), 1);
  EXPECT_EQ(ResFile("default.png"), "old conn");
  EXPECT_EQ(ResFile("default_v.jpg"), "old v");
  EXPECT_EQ(ResFile("default_h.jpg"), "old h");
  EXPECT_EQ(program_dir_.Listing("res\\"), "default.png default_h.jpg default_v.jpg");
  EXPECT_EQ(placeholder_reloads_, 0);
  EXPECT_EQ(settings_.values.count("HelpConnImage"), 0u);
  EXPECT_EQ(settings_.values.count("HelpVCamImage"), 0u);
  EXPECT_EQ(settings_.values.count("HelpHCamImage"), 0u);

  // The next check tries the same addresses again; the one now served properly is applied.
  server_.PutFile("h.jpg", test::JpegPicture());
  server_.ClearLog();
  EXPECT_EQ(FetchRemoteConfig(context_, false), 1);
  EXPECT_EQ(server_.Requests().size(), 4u);
  EXPECT_TRUE(ResFile("default_h.jpg") == test::JpegPicture());
  EXPECT_EQ(settings_.values["HelpHCamImage"], server_.Url("/h.jpg"));
  EXPECT_EQ(ResFile("default.png"), "old conn");
  EXPECT_EQ(settings_.values.count("HelpConnImage"), 0u);
}

// An enhanced metafile (GDI+ decodes it; OLE's picture loader in a camera would draw it).
std::string Metafile() {
  HDC dc = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
  Rectangle(dc, 0, 0, 64, 64);
  HENHMETAFILE metafile = CloseEnhMetaFile(dc);
  std::string bytes(GetEnhMetaFileBits(metafile, 0, nullptr), '\0');
  GetEnhMetaFileBits(metafile, static_cast<UINT>(bytes.size()), reinterpret_cast<BYTE*>(&bytes[0]));
  DeleteEnhMetaFile(metafile);
  return bytes;
}

TEST_F(RemoteConfigFetchTest, PicturesOfAnotherTypeOrTooLargeAreRefused) {
  // Each served under a name its type does not match, or declaring too many pixels.
  server_.PutFile("huge.png", test::ReadWholeFile(VL_LARGE_PNG_WIN));
  server_.PutFile("v.jpg", test::PngPicture());
  server_.PutFile("h.jpg", Metafile());
  ASSERT_FALSE(test::ReadWholeFile(VL_LARGE_PNG_WIN).empty());
  ServeConfig("<c>" +
              Pictures(server_.Url("/huge.png"), server_.Url("/v.jpg"), server_.Url("/h.jpg")) +
              "<update><appupdate_version/></update></c>");
  EXPECT_EQ(FetchRemoteConfig(context_, false), 1);
  EXPECT_EQ(program_dir_.Listing("res\\"), "");
  EXPECT_EQ(placeholder_reloads_, 0);
  for (const char* key : {"HelpConnImage", "HelpVCamImage", "HelpHCamImage"})
    EXPECT_EQ(settings_.values.count(key), 0u) << key;
}

TEST_F(RemoteConfigFetchTest, AnEmptyAddressIsStoredWithoutDownload) {
  settings_.values["HelpVCamImage"] = "http://old.example/v.jpg";
  PutResFile("default_v.jpg", "old v");
  ServeConfig("<c><image_help_vcam></image_help_vcam><update><appupdate_version/></update></c>");
  EXPECT_EQ(FetchRemoteConfig(context_, false), 1);
  EXPECT_EQ(server_.Requests().size(), 1u);
  EXPECT_EQ(settings_.values["HelpVCamImage"], "");
  EXPECT_EQ(ResFile("default_v.jpg"), "old v");
}

TEST_F(RemoteConfigFetchTest, NoResponseOrABrokenDocumentChangesNothing) {
  UpdateRemoteConfig([](RemoteConfig& c) { c.app_name = "cached"; });
  ServeConfig("");
  EXPECT_EQ(FetchRemoteConfig(context_, true), 0);
  ServeConfig("<c><app_name>half");
  EXPECT_EQ(FetchRemoteConfig(context_, true), 1);
  context_.config_endpoint = "http://127.0.0.1:1/serelpartner/config.php";
  EXPECT_EQ(FetchRemoteConfig(context_, true), 0);
  context_.config_endpoint = server_.Url("/status/500/config.php");
  EXPECT_EQ(FetchRemoteConfig(context_, true), 0);
  // Without the program's version nothing is asked at all.
  server_.ClearLog();
  context_.config_endpoint = server_.Url("/serelpartner/config.php");
  context_.program_version = "";
  EXPECT_EQ(FetchRemoteConfig(context_, true), 0);
  EXPECT_TRUE(server_.Requests().empty());
  EXPECT_EQ(GetRemoteConfig().app_name, "cached");
  EXPECT_TRUE(settings_.values.empty());
  EXPECT_TRUE(prompts_.Records().empty());
}

// A thread that cannot start releases the guard; a request while one runs is dropped.
TEST(RemoteConfigFetchGuard, OneFetchAtATimeAndAFailedStartReleasesTheGuard) {
  ASSERT_FALSE(IsRemoteConfigFetchRunning());
  EXPECT_FALSE(StartRemoteConfigFetch(false, [](std::function<void()>) { return false; }));
  EXPECT_FALSE(IsRemoteConfigFetchRunning());
  std::function<void()> held;
  int starts = 0;
  const auto hold = [&](std::function<void()> job) {
    ++starts;
    held = std::move(job);
    return true;
  };
  EXPECT_TRUE(StartRemoteConfigFetch(false, hold));
  EXPECT_TRUE(IsRemoteConfigFetchRunning());
  EXPECT_FALSE(StartRemoteConfigFetch(true, hold));
  EXPECT_EQ(starts, 1);
  held();
  EXPECT_FALSE(IsRemoteConfigFetchRunning());
  EXPECT_TRUE(StartRemoteConfigFetch(true, hold));
  held();
}

TEST_F(RemoteConfigFetchTest, TheRealThreadFetchesWithTheProgramsContext) {
  ServeConfig("<c><adb_drive_url>http://d.example/adb.zip</adb_drive_url></c>");
  SetOnlineContext(context_);
  ASSERT_TRUE(StartRemoteConfigFetch(false));
  for (int i = 0; i < 500 && IsRemoteConfigFetchRunning(); ++i) Sleep(10);
  EXPECT_FALSE(IsRemoteConfigFetchRunning());
  EXPECT_EQ(GetRemoteConfig().adb_drive_url, "http://d.example/adb.zip");
  EXPECT_EQ(settings_.values["AdbDriveUrl"], "http://d.example/adb.zip");
  SetOnlineContext(OnlineContext());
}

}  // namespace
}  // namespace vl
