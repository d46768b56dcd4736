// The installer download against the local test server: fresh folder, signature, rename and
// start with "?update=true"; every failure leaves nothing behind; the retry question; the update
// window with its balloons.
#include <gtest/gtest.h>

#include <windows.h>

#include "common/text_convert.h"
#include "online/download_update_wnd.h"
#include "online/shell_prompts_win.h"
#include "online/signature_check_win.h"
#include "online/update_download_win.h"
#include "online/remote_config.h"
#include "tests/online/fake_prompts.h"
#include "tests/online/test_root.h"
#include "tests/online/test_server_client.h"

namespace vl {
namespace {

std::string InstallerBytes(const char* name) {
  return test::ReadWholeFile(std::string(VL_TEST_INSTALLERS_DIR) + "\\" + name);
}

std::string TempFolder() {
  char temp[MAX_PATH + 1] = {};
  GetTempPathA(sizeof temp, temp);
  return temp;
}

// The update folders under the temporary folder.
int UpdateFolders() {
  int n = 0;
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((TempFolder() + "VelloriaUpdate-*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return 0;
  do ++n;
  while (FindNextFileA(find, &found));
  FindClose(find);
  return n;
}

void RemoveInstaller(const std::string& path) {
  DeleteFileA((path + ".ran").c_str());
  DeleteFileA(path.c_str());
  RemoveDirectoryA(path.substr(0, path.find_last_of('\\')).c_str());
}

class UpdateDownloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.available()) << "run through tools/http_test_server";
    ASSERT_TRUE(test::TrustTestRoot());
    server_.ClearLog();
    for (const char* name : {"signed.exe", "stranger.exe", "unsigned.exe", "altered.exe",
                             "rogue.exe", "old.exe", "other-program.exe"})
      server_.PutFile(std::string("pc/") + name, InstallerBytes(name));
    state_.pinned_key_sha256 = PublisherKeySha256();
    // The offer of the stand-in installer, to the tests' program (version.rc: 1.0.10.100).
    state_.offered_version = "1.0.11.0";
    state_.program_version = "1.0.10.100";
    folders_before_ = UpdateFolders();
  }
  UpdateAttempt Attempt(const std::string& url, std::string* path = nullptr) {
    state_.url = url;
    return DownloadAndStartInstaller(state_, prompts_, path);
  }

  test::TestServer server_;
  test::FakePrompts prompts_;
  UpdateDownloadState state_;
  int folders_before_ = 0;
};

TEST_F(UpdateDownloadTest, ASignedInstallerIsVerifiedRenamedAndStartedWithTheUpdateFlag) {
  std::string path;
  ASSERT_EQ(Attempt(server_.Url("/pc/signed.exe?channel=app&next=/x"), &path),
            UpdateAttempt::kStarted);
  const auto starts = prompts_.Records("start");
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].text, path);
  EXPECT_EQ(starts[0].caption, "?update=true");
  // In a fresh folder of its own under the user's temporary folder, never the current one.
  EXPECT_EQ(path.compare(0, TempFolder().size() + 15, TempFolder() + "VelloriaUpdate-"), 0) << path;
  EXPECT_EQ(path.substr(path.size() - 11), "\\signed.exe");
  EXPECT_TRUE(test::ReadWholeFile(path) == InstallerBytes("signed.exe"));
  EXPECT_FALSE(test::FileExists(path.substr(0, path.size() - 4) + ".tmp"));
  EXPECT_EQ(state_.percent, 100);
  EXPECT_EQ(state_.total, InstallerBytes("signed.exe").size());
  RemoveInstaller(path);
}

TEST_F(UpdateDownloadTest, EveryFailureDeletesWhatItWroteAndStartsNothing) {
  const size_t size = InstallerBytes("signed.exe").size();
  const struct {
    std::string path;
    UpdateAttempt expected;
  } cases[] = {
      {"/truncate/" + std::to_string(size / 2) + "/pc/signed.exe", UpdateAttempt::kDownloadFailed},
      {"/status/404/signed.exe", UpdateAttempt::kDownloadFailed},
      {"/status/500/signed.exe", UpdateAttempt::kDownloadFailed},
      {"/pc/unsigned.exe", UpdateAttempt::kUntrusted},
      {"/pc/altered.exe", UpdateAttempt::kUntrusted},
      {"/pc/stranger.exe", UpdateAttempt::kUntrusted},
      {"/pc/rogue.exe", UpdateAttempt::kUntrusted},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(Attempt(server_.Url(c.path)), c.expected);
    EXPECT_EQ(UpdateFolders(), folders_before_);
  }
  EXPECT_TRUE(prompts_.Records("start").empty());
  EXPECT_EQ(server_.Requests().size(), 7u);
  // Another program of the user rewrites the file before it is checked.
  state_.downloaded = [](const std::string& path) {
    test::WriteWholeFile(path, InstallerBytes("altered.exe"));
  };
  EXPECT_EQ(Attempt(server_.Url("/pc/signed.exe")), UpdateAttempt::kUntrusted);
  EXPECT_EQ(UpdateFolders(), folders_before_);
  EXPECT_TRUE(prompts_.Records("start").empty());
  // A start that fails is a failure too.
  state_.downloaded = nullptr;
  prompts_.start_succeeds = false;
  EXPECT_EQ(Attempt(server_.Url("/pc/signed.exe")), UpdateAttempt::kStartFailed);
  EXPECT_EQ(UpdateFolders(), folders_before_);
}

TEST_F(UpdateDownloadTest, OurOwnSignedFilesAreRefusedUnlessTheyAreTheOfferedNewerInstaller) {
  // Any file the publisher ever signed passes the signature: the version resource decides.
  const struct {
    const char* what;
    const char* path;
    const char* offered;
    const char* program;
  } cases[] = {
      {"an older installer offered as newer", "/pc/old.exe", "99.0.0.0", "1.0.10.100"},
      {"an older installer offered as itself", "/pc/old.exe", "1.0.9.0", "1.0.10.100"},
      {"the installer offered under another version", "/pc/signed.exe", "99.0.0.0", "1.0.10.100"},
      {"the installer, not newer than the program", "/pc/signed.exe", "1.0.11.0", "1.0.11.0"},
      {"the installer, the program's version unknown", "/pc/signed.exe", "1.0.11.0", ""},
      {"another of our programs", "/pc/other-program.exe", "1.0.11.0", "1.0.10.100"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    state_.offered_version = c.offered;
    state_.program_version = c.program;
    EXPECT_EQ(Attempt(server_.Url(c.path)), UpdateAttempt::kNotTheOffer);
    EXPECT_EQ(UpdateFolders(), folders_before_);
  }
  EXPECT_TRUE(prompts_.Records("start").empty());
}

TEST_F(UpdateDownloadTest, TheCheckedFileCannotBeSwappedBeforeItStarts) {
  // At the start, another program tries to put its own file in the checked one's place.
  std::string swapped_bytes;
  bool write_refused = false, delete_refused = false, rename_refused = false;
  bool folder_rename_refused = false;
  prompts_.on_start = [&](const std::string& path) {
    write_refused = !test::WriteWholeFile(path, InstallerBytes("unsigned.exe"));
    delete_refused = !DeleteFileA(path.c_str());
    rename_refused = !MoveFileA(path.c_str(), (path + ".old").c_str());
    const std::string folder = path.substr(0, path.find_last_of('\\'));
    folder_rename_refused = !MoveFileA(folder.c_str(), (folder + "-moved").c_str());
    swapped_bytes = test::ReadWholeFile(path);
  };
  std::string path;
  ASSERT_EQ(Attempt(server_.Url("/pc/signed.exe"), &path), UpdateAttempt::kStarted);
  EXPECT_TRUE(write_refused);
  EXPECT_TRUE(delete_refused);
  EXPECT_TRUE(rename_refused);
  EXPECT_TRUE(folder_rename_refused);
  EXPECT_TRUE(swapped_bytes == InstallerBytes("signed.exe"));
  RemoveInstaller(path);
}

TEST_F(UpdateDownloadTest, NamesThatEscapeTheFolderAreRefusedBeforeAnyRequest) {
  // A file of the program in the current directory, which the old naming would have deleted.
  test::WriteWholeFile("vlux_horizontal.dll", "module");
  for (const std::string path : {"/app/vlux_horizontal.dll?.exe", "/pc/..\\..\\evil.exe",
                                 "/pc/c:evil.exe", "/pc/?x=/a.exe", "/pc/setup.exe/"}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(Attempt(server_.Url(path)), UpdateAttempt::kBadName);
  }
  EXPECT_EQ(Attempt("http://setup.exe/"), UpdateAttempt::kBadName);
  EXPECT_EQ(test::ReadWholeFile("vlux_horizontal.dll"), "module");
  DeleteFileA("vlux_horizontal.dll");
  EXPECT_TRUE(server_.Requests().empty());
  EXPECT_EQ(UpdateFolders(), folders_before_);
}

TEST_F(UpdateDownloadTest, TheRetryQuestionRepeatsUntilDeclined) {
  prompts_.AnswerYes(2);
  state_.url = server_.Url("/status/404/signed.exe");
  EXPECT_FALSE(RunUpdateDownload(state_, prompts_));
  const auto asks = prompts_.Records("ask");
  ASSERT_EQ(asks.size(), 3u);
  EXPECT_EQ(AnsiToUtf8(asks[0].text), "下载更新失败，是否继续尝试下载？");
  EXPECT_EQ(AnsiToUtf8(asks[0].caption), "提示");
  EXPECT_EQ(server_.Requests().size(), 3u);

  prompts_.Clear();
  state_.url = server_.Url("/pc/signed.exe");
  EXPECT_TRUE(RunUpdateDownload(state_, prompts_));
  EXPECT_TRUE(prompts_.Records("ask").empty());
  RemoveInstaller(prompts_.Records("start").at(0).text);
}

TEST_F(UpdateDownloadTest, TheShellStartsTheVerifiedInstaller) {
  ShellPrompts shell(nullptr);
  state_.url = server_.Url("/pc/signed.exe");
  std::string path;
  ASSERT_EQ(DownloadAndStartInstaller(state_, shell, &path), UpdateAttempt::kStarted);
  std::string ran;
  for (int i = 0; i < 300 && ran.empty(); ++i) {
    Sleep(50);
    ran = test::ReadWholeFile(path + ".ran");
  }
  EXPECT_NE(ran.find("?update=true"), std::string::npos) << ran;
  Sleep(200);
  RemoveInstaller(path);
}

// The update window under a parent of its own, pumped until the download ends.
class UpdateWindowTest : public UpdateDownloadTest {
 protected:
  void SetUp() override {
    UpdateDownloadTest::SetUp();
    parent_ = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "update test", WS_POPUP, 0, 0, 100, 100,
                              nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(parent_, nullptr);
    window_.SetPrompts(&prompts_);
  }
  void TearDown() override { DestroyWindow(parent_); }
  void PumpUntilEnded() {
    for (int i = 0; i < 3000 && window_.running(); ++i) {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
      Sleep(10);
    }
  }
  std::vector<std::string> Balloons() const {
    std::vector<std::string> texts;
    for (const auto& r : prompts_.Records("balloon")) {
      EXPECT_EQ(AnsiToUtf8(r.caption), "软件更新");
      texts.push_back(AnsiToUtf8(r.text));
    }
    return texts;
  }

  HWND parent_ = nullptr;
  CDownloadUpdate window_;
};

TEST_F(UpdateWindowTest, DownloadsInTheBackgroundWithProgressBalloons) {
  // The offer as the configuration left it in the record; the program is the tests' 1.0.10.100.
  UpdateRemoteConfig([&](RemoteConfig& c) {
    c.appupdate_version = "1.0.11.0";
    c.appupdate_url = server_.Url("/slow/400/pc/signed.exe");
  });
  ASSERT_TRUE(window_.Start(parent_, server_.Url("/slow/400/pc/signed.exe")));
  EXPECT_TRUE(window_.running());
  EXPECT_FALSE(IsWindowVisible(window_));
  EXPECT_EQ(GetParent(window_), parent_);
  // A second offer while the first downloads is dropped.
  EXPECT_FALSE(window_.Start(parent_, server_.Url("/pc/signed.exe")));
  PumpUntilEnded();
  EXPECT_FALSE(window_.running());
  const auto balloons = Balloons();
  ASSERT_GE(balloons.size(), 3u);
  EXPECT_EQ(balloons.front(), "已切换至后台更新，下载完毕后将提示您安装");
  EXPECT_EQ(balloons[1].rfind("正在下载更新，请稍后......\n文件大小:", 0), 0u) << balloons[1];
  EXPECT_EQ(balloons.back(), "更新下载完毕");
  ASSERT_EQ(prompts_.Records("start").size(), 1u);
  EXPECT_EQ(prompts_.Records("start")[0].caption, "?update=true");
  EXPECT_EQ(server_.Requests().size(), 1u);
  RemoveInstaller(prompts_.Records("start")[0].text);
}

TEST_F(UpdateWindowTest, AGivenUpDownloadEndsWithoutTheCompletionBalloon) {
  prompts_.AnswerNo();
  ASSERT_TRUE(window_.Start(parent_, server_.Url("/pc/unsigned.exe")));
  PumpUntilEnded();
  EXPECT_FALSE(window_.running());
  const auto balloons = Balloons();
  ASSERT_EQ(balloons.size(), 1u);
  EXPECT_EQ(balloons[0], "已切换至后台更新，下载完毕后将提示您安装");
  EXPECT_EQ(prompts_.Records("ask").size(), 1u);
  EXPECT_TRUE(prompts_.Records("start").empty());
  // The window can start the next offer.
  prompts_.Clear();
  UpdateRemoteConfig([&](RemoteConfig& c) {
    c.appupdate_version = "1.0.11.0";
    c.appupdate_url = server_.Url("/pc/signed.exe");
  });
  ASSERT_TRUE(window_.Start(parent_, server_.Url("/pc/signed.exe")));
  PumpUntilEnded();
  ASSERT_EQ(prompts_.Records("start").size(), 1u);
  RemoveInstaller(prompts_.Records("start")[0].text);
}

}  // namespace
}  // namespace vl
