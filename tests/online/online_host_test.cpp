// The online services as a main window hosts them, against the local test server: the cached
// settings at start, the fetch at start, the update offer handed over with kMsgUpdateOffer and
// downloaded in the background with balloons, the help picture with kMsgHelpPictures.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <mutex>
#include <set>

#include "common/text_convert.h"
#include "common/win/message_box.h"
#include "common/win/window_impl.h"
#include "online/online_host_win.h"
#include "online/remote_config.h"
#include "online/remote_config_fetch_win.h"
#include "tests/online/fake_prompts.h"
#include "tests/online/test_pictures.h"
#include "tests/online/test_root.h"
#include "tests/online/test_server_client.h"

namespace vl {
namespace {

// Stands in for the main window: forwards kMsgUpdateOffer to the host and counts kMsgHelpPictures.
class HostWindow : public win::CWindowImpl<HostWindow> {
 public:
  explicit HostWindow(OnlineHost& host) : host_(host) {}
  int placeholder_reloads = 0;
  int offers = 0;

  BEGIN_MSG_MAP(HostWindow)
  MESSAGE_HANDLER(kMsgUpdateOffer, OnUpdateDownload)
  MESSAGE_HANDLER(kMsgHelpPictures, OnHelpPictureChanged)
  END_MSG_MAP()

 private:
  LRESULT OnUpdateDownload(UINT, WPARAM, LPARAM l, BOOL&) {
    ++offers;
    host_.StartUpdateDownload(m_hWnd, reinterpret_cast<const char*>(l));
    return 0;
  }
  LRESULT OnHelpPictureChanged(UINT, WPARAM, LPARAM, BOOL&) {
    ++placeholder_reloads;
    return 0;
  }
  OnlineHost& host_;
};

class OnlineHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.available()) << "run through tools/http_test_server";
    // Installers are signed by the tree's test publisher, under its test root.
    ASSERT_TRUE(test::TrustTestRoot());
    test::StartGdiplusForTests();
    server_.ClearLog();
    UpdateRemoteConfig([](RemoteConfig& c) { c = RemoteConfig(); });
    host_.SetPrompts(&prompts_);
    const RECT rc = {0, 0, 100, 100};
    ASSERT_NE(window_.Create(nullptr, rc, "host test", WS_POPUP), nullptr);
  }
  void TearDown() override {
    for (int i = 0; i < 500 && IsRemoteConfigFetchRunning(); ++i) Pump(10);
    window_.DestroyWindow();
  }
  void Pump(int ms) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(ms);
  }

  test::TestServer server_;
  test::FakePrompts prompts_;
  test::MemorySettings settings_;
  test::ScratchFolder program_dir_;
  OnlineHost host_{settings_, nullptr};
  HostWindow window_{host_};
};

TEST_F(OnlineHostTest, StartLoadsTheCachedSettingsBeforeAnyFetch) {
  settings_.values = {
      {"ConnTips", "a</br>b"}, {"AppName", "Cached"}, {"AdbDriveUrl", "http://x/adb"}};
  host_.LoadCachedRemoteConfig();
  EXPECT_EQ(GetRemoteConfig().tips_conn, "a\nb");
  EXPECT_EQ(GetRemoteConfig().app_name, "Cached");
  EXPECT_EQ(GetRemoteConfig().adb_drive_url, "http://x/adb");
}

TEST_F(OnlineHostTest, AnOfferedInstallerIsDownloadedInTheBackgroundAndStarted) {
  server_.PutFile("pc/setup_1.0.10.exe",
                  test::ReadWholeFile(std::string(VL_TEST_INSTALLERS_DIR) + "\\signed.exe"));
  server_.PutFile("conn.png", test::PngPicture());
  // The stand-in installer is 1.0.11.0, newer than the tests' program (version.rc).
  server_.PutFile("serelpartner/config.php",
                  "<c><tips_conn>tip</tips_conn><image_help_conn>" + server_.Url("/conn.png") +
                      "</image_help_conn><update><appupdate_version>1.0.11.0</appupdate_version>"
                      "<appupdate_url>" +
                      server_.Url("/slow/300/pc/setup_1.0.10.exe") +
                      "</appupdate_url><appupdate_msg>new</appupdate_msg></update></c>");
  prompts_.AnswerYes();
  host_.Start(window_, program_dir_.path(), server_.Url("/serelpartner/config.php"),
              program_dir_.path() + "res\\");
  for (int i = 0; i < 3000 && prompts_.Records("start").empty(); ++i) Pump(10);
  for (int i = 0; i < 300 && host_.downloading(); ++i) Pump(10);

  const auto asks = prompts_.Records("ask");
  ASSERT_EQ(asks.size(), 1u);
  EXPECT_EQ(asks[0].text, "new");
  const auto starts = prompts_.Records("start");
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].caption, "?update=true");
  EXPECT_EQ(starts[0].text.substr(starts[0].text.size() - 17), "\\setup_1.0.10.exe");
  // The balloons are the update window's (update_download_test checks each).
  ASSERT_FALSE(prompts_.Records("balloon").empty());
  EXPECT_EQ(AnsiToUtf8(prompts_.Records("balloon").back().text), "更新下载完毕");
  EXPECT_FALSE(host_.downloading());
  // An offer without an address starts nothing; a second offer while one downloads is dropped
  // by the update window (update_download_test).
  EXPECT_FALSE(host_.StartUpdateDownload(window_, nullptr));
  // The help picture, refreshed after the update check, reached the window as kMsgHelpPictures.
  EXPECT_EQ(window_.placeholder_reloads, 1);
  EXPECT_TRUE(test::ReadWholeFile(program_dir_.path() + "res\\default.png") == test::PngPicture());
  EXPECT_EQ(settings_.values["ConnTips"], "tip");
  const std::string installer = starts[0].text;
  DeleteFileA(installer.c_str());
  RemoveDirectoryA(installer.substr(0, installer.find_last_of('\\')).c_str());
}

// Settings that know whether they are still there when they are used.
class TrackedSettings : public ISettingsStore {
 public:
  struct Record {
    std::mutex lock;
    std::set<const void*> live;
    std::vector<std::string> uses;
    int uses_after_destruction = 0;
  };
  static Record& Shared() {
    static Record record;
    return record;
  }
  TrackedSettings() { Shared().live.insert(this); }
  ~TrackedSettings() override {
    std::lock_guard<std::mutex> hold(Shared().lock);
    Shared().live.erase(this);
  }
  std::string Read(const std::string& key) override {
    Note("read " + key);
    return "";
  }
  void Write(const std::string& key, const std::string& value) override {
    Note("write " + key + "=" + value);
  }

 private:
  void Note(const std::string& what) {
    std::lock_guard<std::mutex> hold(Shared().lock);
    if (!Shared().live.count(this)) ++Shared().uses_after_destruction;
    Shared().uses.push_back(what);
  }
};

// The main window closes while the configuration fetch still waits for a slow server. The
// fetch thread is never joined: it goes on with what it shares with the host (the settings it
// writes, the prompts that ask about the update, the link to the window), all still there, and
// no longer reaches the window: no balloon, no kMsgUpdateOffer for the update the user accepts.
TEST_F(OnlineHostTest, AFetchOutlivingTheHostUsesOnlyWhatItKeeps) {
  server_.PutFile("serelpartner/config.php",
                  "<c><tips_conn>late</tips_conn><update><appupdate_version>99.0.0.0"
                  "</appupdate_version><appupdate_url>http://127.0.0.1:1/setup.exe"
                  "</appupdate_url><appupdate_msg>newer</appupdate_msg></update></c>");
  std::vector<std::string> boxes;
  win::SetMessageBoxHandler([&](HWND, const std::string& text, const std::string&, UINT) {
    boxes.push_back(text);
    return IDYES;
  });
  int balloons = 0;
  {
    OnlineHost host(std::make_shared<TrackedSettings>(),
                    [&](const std::string&, const std::string&) { ++balloons; });
    host.Start(window_, program_dir_.path(), server_.Url("/slow/250/serelpartner/config.php"));
    Pump(300);
    ASSERT_TRUE(IsRemoteConfigFetchRunning());
  }  // the window's host goes while the fetch waits for the rest of the document
  for (int i = 0; i < 1000 && IsRemoteConfigFetchRunning(); ++i) Pump(10);
  ASSERT_FALSE(IsRemoteConfigFetchRunning());
  win::SetMessageBoxHandler(nullptr);
  // The fetch finished its work on the settings it kept...
  const std::vector<std::string>& uses = TrackedSettings::Shared().uses;
  EXPECT_NE(std::find(uses.begin(), uses.end(), "write ConnTips=late"), uses.end());
  EXPECT_EQ(TrackedSettings::Shared().uses_after_destruction, 0);
  // ...asked about the update with the prompts it kept, and reached the window no more.
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "newer");
  EXPECT_EQ(balloons, 0);
  EXPECT_EQ(window_.offers, 0);
}

}  // namespace
}  // namespace vl
