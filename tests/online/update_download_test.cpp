// The installer's signature: only an intact signature by the pinned publisher, in a certificate
// that leads to a trusted root, passes (the build's test root is trusted as a real publisher's
// root is on Windows). The installer download against the local test server: fresh folder,
// signature, rename and start with "?update=true"; every failure leaves nothing behind; the retry
// question; the update window with its balloons.
#include <gtest/gtest.h>

#include <windows.h>

#include "common/text_convert.h"
#include "common/win/handles.h"
#include "online/download_update_wnd.h"
#include "online/shell_prompts_win.h"
#include "online/signature_check_win.h"
#include "online/update_download_win.h"
#include "online/remote_config.h"
#include "tests/online/fake_prompts.h"
#include "tests/online/online_test_support.h"

namespace vl {
namespace {

std::string InstallerPath(const char* name) {
  return std::string(VL_TEST_INSTALLERS_DIR) + "\\" + name;
}

std::string InstallerBytes(const char* name) {
  return test::ReadWholeFile(InstallerPath(name));
}

TEST(SignatureCheck, EachKindOfFileGetsItsVerdict) {
  ASSERT_TRUE(test::TrustTestRoot());
  ASSERT_EQ(std::string(PublisherKeySha256()).size(), 64u);
  const struct {
    const char* file;
    SignatureCheck verdict;
  } cases[] = {
      {"signed.exe", SignatureCheck::kTrusted},
      // Under Wine any certificate verifies: only the pinned key tells a stranger apart...
      {"stranger.exe", SignatureCheck::kOtherSigner},
      // ...and only the chain tells our key in a certificate nobody vouches for.
      {"rogue.exe", SignatureCheck::kUntrustedChain},
      {"unsigned.exe", SignatureCheck::kUnsigned},
      {"altered.exe", SignatureCheck::kBadSignature},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    EXPECT_EQ(CheckInstallerSignature(InstallerPath(c.file), PublisherKeySha256()), c.verdict);
  }
  EXPECT_EQ(CheckInstallerSignature(InstallerPath("signed.exe"), std::string(64, '0')),
            SignatureCheck::kOtherSigner);
  EXPECT_NE(CheckInstallerSignature(InstallerPath("missing.exe"), PublisherKeySha256()),
            SignatureCheck::kTrusted);
  // A file held open is checked through its handle.
  win::UniqueHandle file(CreateFileA(InstallerPath("signed.exe").c_str(), GENERIC_READ,
                                     FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                     nullptr));
  ASSERT_TRUE(file);
  EXPECT_EQ(CheckInstallerSignature(InstallerPath("signed.exe"), PublisherKeySha256(), file.get()),
            SignatureCheck::kTrusted);
}

// The update folders under the temporary folder.
std::string UpdateFolders() {
  return test::FileNames(test::TempFolder() + "VelloriaUpdate-*");
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
  std::string folders_before_;
};

// At the start, another program tries to put its own file in the checked one's place.
TEST_F(UpdateDownloadTest, ASignedInstallerIsVerifiedRenamedAndStartedWithTheUpdateFlag) {
  std::string swapped_bytes, refused;
  prompts_.on_start = [&](const std::string& path) {
    if (!test::WriteWholeFile(path, InstallerBytes("unsigned.exe"))) refused += "write ";
    if (!DeleteFileA(path.c_str())) refused += "delete ";
    if (!MoveFileA(path.c_str(), (path + ".old").c_str())) refused += "rename ";
    const std::string folder = path.substr(0, path.find_last_of('\\'));
    if (!MoveFileA(folder.c_str(), (folder + "-moved").c_str())) refused += "folder-rename";
    swapped_bytes = test::ReadWholeFile(path);
  };
  std::string path;
  ASSERT_EQ(Attempt(server_.Url("/pc/signed.exe?channel=app&next=/x"), &path),
            UpdateAttempt::kStarted);
  EXPECT_EQ(prompts_.Summary(), "start:" + path + "|?update=true");
  // In a fresh folder of its own under the user's temporary folder, never the current one.
  const std::string temp = test::TempFolder();
  EXPECT_EQ(path.compare(0, temp.size() + 15, temp + "VelloriaUpdate-"), 0) << path;
  EXPECT_EQ(path.substr(path.size() - 11), "\\signed.exe");
  EXPECT_TRUE(test::ReadWholeFile(path) == InstallerBytes("signed.exe"));
  EXPECT_FALSE(test::FileExists(path.substr(0, path.size() - 4) + ".tmp"));
  EXPECT_EQ(state_.percent, 100);
  EXPECT_EQ(state_.total, InstallerBytes("signed.exe").size());
  EXPECT_EQ(refused, "write delete rename folder-rename");
  EXPECT_TRUE(swapped_bytes == InstallerBytes("signed.exe"));
  RemoveInstaller(path);
}

TEST_F(UpdateDownloadTest, EveryFailureDeletesWhatItWroteAndStartsNothing) {
  constexpr UpdateAttempt kFailed = UpdateAttempt::kDownloadFailed,
                          kUntrusted = UpdateAttempt::kUntrusted,
                          kNotTheOffer = UpdateAttempt::kNotTheOffer,
                          kBadName = UpdateAttempt::kBadName;
  const std::string half = std::to_string(InstallerBytes("signed.exe").size() / 2);
  const struct {
    std::string path;
    UpdateAttempt expected;
    const char* offered = "1.0.11.0";
    const char* program = "1.0.10.100";
  } cases[] = {
      {"/truncate/" + half + "/pc/signed.exe", kFailed},
      {"/status/404/signed.exe", kFailed},
      {"/status/500/signed.exe", kFailed},
      {"/pc/unsigned.exe", kUntrusted},
      {"/pc/altered.exe", kUntrusted},
      {"/pc/stranger.exe", kUntrusted},
      {"/pc/rogue.exe", kUntrusted},
      // Any file the publisher ever signed passes the signature: the version resource decides.
      {"/pc/old.exe", kNotTheOffer, "99.0.0.0"},     // an older installer offered as newer
      {"/pc/old.exe", kNotTheOffer, "1.0.9.0"},      // an older installer offered as itself
      {"/pc/signed.exe", kNotTheOffer, "99.0.0.0"},  // the installer under another version
      {"/pc/signed.exe", kNotTheOffer, "1.0.11.0", "1.0.11.0"},  // not newer than the program
      {"/pc/signed.exe", kNotTheOffer, "1.0.11.0", ""},          // the program's version unknown
      {"/pc/other-program.exe", kNotTheOffer},                   // another of our programs
      // Names that escape the folder, refused before any request; the first names a file of the
      // program in the current directory, which the old naming would have deleted.
      {"/app/vlux_horizontal.dll?.exe", kBadName},
      {"/pc/..\\..\\evil.exe", kBadName},
      {"/pc/c:evil.exe", kBadName},
      {"/pc/?x=/a.exe", kBadName},
      {"/pc/setup.exe/", kBadName},
      {"http://setup.exe/", kBadName},
  };
  test::WriteWholeFile("vlux_horizontal.dll", "module");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path + " " + c.offered + " " + c.program);
    state_.offered_version = c.offered;
    state_.program_version = c.program;
    EXPECT_EQ(Attempt(c.path[0] == '/' ? server_.Url(c.path) : c.path), c.expected);
    EXPECT_EQ(UpdateFolders(), folders_before_);
  }
  EXPECT_EQ(server_.Requests().size(), 13u);
  EXPECT_EQ(test::ReadWholeFile("vlux_horizontal.dll"), "module");
  DeleteFileA("vlux_horizontal.dll");
  // Another program of the user rewrites the file before it is checked.
  state_.downloaded = [](const std::string& path) {
    test::WriteWholeFile(path, InstallerBytes("altered.exe"));
  };
  EXPECT_EQ(Attempt(server_.Url("/pc/signed.exe")), kUntrusted);
  EXPECT_EQ(UpdateFolders(), folders_before_);
  EXPECT_TRUE(prompts_.Records().empty());
  // A start that fails is a failure too.
  state_.downloaded = nullptr;
  prompts_.start_succeeds = false;
  EXPECT_EQ(Attempt(server_.Url("/pc/signed.exe")), UpdateAttempt::kStartFailed);
  EXPECT_EQ(UpdateFolders(), folders_before_);
}

TEST_F(UpdateDownloadTest, TheRetryQuestionRepeatsUntilDeclined) {
  prompts_.AnswerYes(2);
  state_.url = server_.Url("/status/404/signed.exe");
  EXPECT_FALSE(RunUpdateDownload(state_, prompts_));
  const std::string ask = "ask:下载更新失败，是否继续尝试下载？|提示";
  EXPECT_EQ(prompts_.Summary(), ask + " " + ask + " " + ask);
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

// The update window under a parent of its own: a download given up ends without the completion
// balloon; the window can start the next offer, which downloads in the background with progress
// balloons.
TEST_F(UpdateDownloadTest, TheWindowDownloadsInTheBackgroundWithProgressBalloons) {
  HWND parent = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "update test", WS_POPUP, 0, 0, 100, 100,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(parent, nullptr);
  CDownloadUpdate window;
  window.SetPrompts(&prompts_);
  const auto pump_until_ended = [&] {
    for (int i = 0; i < 3000 && window.running(); ++i) {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
      Sleep(10);
    }
    EXPECT_FALSE(window.running());
  };
  const std::string announced = "已切换至后台更新，下载完毕后将提示您安装";
  prompts_.AnswerNo();
  ASSERT_TRUE(window.Start(parent, server_.Url("/pc/unsigned.exe")));
  pump_until_ended();
  EXPECT_EQ(prompts_.Summary(),
            "balloon:" + announced + "|软件更新 ask:下载更新失败，是否继续尝试下载？|提示");

  // The offer as the configuration left it in the record; the program is the tests' 1.0.10.100.
  prompts_.Clear();
  server_.ClearLog();
  UpdateRemoteConfig([&](RemoteConfig& c) {
    c.appupdate_version = "1.0.11.0";
    c.appupdate_url = server_.Url("/slow/400/pc/signed.exe");
  });
  ASSERT_TRUE(window.Start(parent, server_.Url("/slow/400/pc/signed.exe")));
  EXPECT_TRUE(window.running());
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_EQ(GetParent(window), parent);
  // A second offer while the first downloads is dropped.
  EXPECT_FALSE(window.Start(parent, server_.Url("/pc/signed.exe")));
  pump_until_ended();
  std::vector<std::string> balloons;
  for (const auto& r : prompts_.Records("balloon")) {
    EXPECT_EQ(AnsiToUtf8(r.caption), "软件更新");
    balloons.push_back(AnsiToUtf8(r.text));
  }
  ASSERT_GE(balloons.size(), 3u);
  EXPECT_EQ(balloons.front(), announced);
  EXPECT_EQ(balloons[1].rfind("正在下载更新，请稍后......\n文件大小:", 0), 0u) << balloons[1];
  EXPECT_EQ(balloons.back(), "更新下载完毕");
  ASSERT_EQ(prompts_.Records("start").size(), 1u);
  EXPECT_EQ(prompts_.Records("start")[0].caption, "?update=true");
  EXPECT_EQ(server_.Requests().size(), 1u);
  RemoveInstaller(prompts_.Records("start")[0].text);
  DestroyWindow(parent);
}

}  // namespace
}  // namespace vl
