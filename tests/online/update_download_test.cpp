// Transfers against the local test server and the update they bring: the WinINet client, the
// installer's signature (the build's test root is trusted as a real publisher's root is on
// Windows), the installer download and the update window.
#include <gtest/gtest.h>

#include <windows.h>

#include "common/text_convert.h"
#include "online/download_update_wnd.h"
#include "online/http_client_win.h"
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
  const std::pair<const char*, SignatureCheck> cases[] = {
      {"signed.exe", SignatureCheck::kTrusted},
      // Under Wine any certificate verifies: only the pinned key tells a stranger apart...
      {"stranger.exe", SignatureCheck::kOtherSigner},
      // ...and only the chain tells our key in a certificate nobody vouches for.
      {"rogue.exe", SignatureCheck::kUntrustedChain},
      {"unsigned.exe", SignatureCheck::kUnsigned},
      {"altered.exe", SignatureCheck::kBadSignature},
  };
  for (const auto& [file, verdict] : cases)
    EXPECT_EQ(CheckInstallerSignature(InstallerPath(file), PublisherKeySha256()), verdict) << file;
  EXPECT_EQ(CheckInstallerSignature(InstallerPath("signed.exe"), std::string(64, '0')),
            SignatureCheck::kOtherSigner);
  EXPECT_NE(CheckInstallerSignature(InstallerPath("missing.exe"), PublisherKeySha256()),
            SignatureCheck::kTrusted);
  // The download checks the file it holds locked through its handle (UpdateDownloadTest).
}

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

// The WinINet client: status and length checks, TLS for https, ports, bounds and large bodies.
// The plain request (Accept: */*, no user agent) is program_config_test's, with the real program.
class HttpClientTest : public UpdateDownloadTest {
 protected:
  size_t Get(const std::string& url) {
    body_.clear();
    error_.clear();
    return HttpGet(url, &body_, &error_, kConnectTimeoutMs, kReceiveTimeoutMs, kSendTimeoutMs);
  }

  std::vector<uint8_t> body_;
  std::string error_;
};

// Every failure leaves the body empty; a null error in the table is any non-empty text.
TEST_F(HttpClientTest, ErrorPagesShortOrUnreadableLengthsAndBadAddressesFail) {
  server_.PutFile("big.bin", std::string(50000, 'x'));
  server_.PutFile("s.bin", "short");
  server_.PutFile("empty.xml", "");
  const std::pair<std::string, const char*> cases[] = {
      {server_.Url("/status/404/x.png"), "服务器返回错误，状态码：404\n"},
      {server_.Url("/status/500/x.png"), "服务器返回错误，状态码：500\n"},
      {server_.Url("/status/302/x.png"), "服务器返回错误，状态码：302\n"},
      {server_.Url("/truncate/20000/big.bin"), nullptr},  // shorter than its length
      {server_.Url("/badlength/s.bin"), nullptr},         // a length that is no number
      {server_.Url("/hugelength/s.bin"), nullptr},        // or too large
      {"127.0.0.1:99999/x", "Url地址错误！\n"},           // every refused address is SplitUrl's
      {"http://127.0.0.1:1/x", nullptr},                  // nothing listens on port 1 of loopback
      {server_.Url("/empty.xml"), ""},  // an empty response is no success, and no error
  };
  for (const auto& [url, error] : cases) {
    SCOPED_TRACE(url);
    EXPECT_EQ(Get(url), 0u);
    EXPECT_TRUE(body_.empty());
    if (error)
      EXPECT_EQ(AnsiToUtf8(error_), error);
    else
      EXPECT_FALSE(error_.empty());
  }
  // Only the addresses of the test server were asked for.
  EXPECT_EQ(server_.Requests().size(), 7u);
}

TEST_F(HttpClientTest, ResponsesAreBoundedAndMoreThanOneMebibyteArrivesWhole) {
  server_.PutFile("five.bin", std::string(5000, 'f'));
  HttpOptions options;
  options.max_bytes = 4096;
  size_t delivered = 0;
  const auto count = [&](const uint8_t*, size_t n) {
    delivered += n;
    return true;
  };
  EXPECT_EQ(HttpTransfer(server_.Url("/five.bin"), options, count, nullptr, &error_), 0u);
  EXPECT_FALSE(error_.empty());
  // Without a length the bound holds while the body arrives.
  EXPECT_EQ(HttpTransfer(server_.Url("/nolength/five.bin"), options, count, nullptr, &error_), 0u);
  EXPECT_FALSE(error_.empty());
  EXPECT_LE(delivered, 4096u);

  // More than a mebibyte arrives whole, also without a length, when the body ends with the
  // connection. Progress sees the total and every piece.
  std::string big(3 * 1048576 + 123, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + (i >> 13));
  server_.PutFile("big.bin", big);
  ASSERT_EQ(Get(server_.Url("/nolength/big.bin")), big.size());
  EXPECT_TRUE(std::string(body_.begin(), body_.end()) == big);
  EXPECT_EQ(error_, "");
  std::string received;
  uint64_t last = 0, total_seen = 0;
  int calls = 0;
  const auto sink = [&](const uint8_t* data, size_t size) {
    received.append(reinterpret_cast<const char*>(data), size);
    return true;
  };
  const auto progress = [&](uint64_t got, uint64_t total) {
    EXPECT_GE(got, last);
    last = got;
    total_seen = total;
    ++calls;
  };
  EXPECT_EQ(HttpTransfer(server_.Url("/big.bin"), HttpOptions(), sink, progress, &error_),
            big.size());
  EXPECT_TRUE(received == big);
  EXPECT_EQ(total_seen, big.size());
  EXPECT_EQ(last, big.size());
  EXPECT_GE(calls, 3);
}

TEST_F(HttpClientTest, HttpsReachesAServerWhoseCertificateLeadsToATrustedRootOnly) {
  ASSERT_TRUE(server_.tls_available()) << "run the server with --tls-dir";
  server_.PutFile("serelpartner/config.php", "<c/>");
  const std::string path = "/serelpartner/config.php?ver=1.0.0.0&rand=1700000000";
  ASSERT_EQ(Get(server_.SecureUrl(path)), 4u) << AnsiToUtf8(error_);
  EXPECT_EQ(std::string(body_.begin(), body_.end()), "<c/>");
  EXPECT_EQ(server_.Requests(), std::vector<std::string>{"GET " + path + " HTTP/1.1"});
  // A certificate no trusted root vouches for: no document, and no plain request instead.
  server_.ClearLog();
  EXPECT_EQ(Get(server_.SecureUrl(path, false)), 0u);
  EXPECT_FALSE(error_.empty());
  EXPECT_TRUE(server_.Requests().empty());
  // On the plain server's port the handshake fails; what matters is that a TLS handshake, not a
  // plain request, reached the written port.
  EXPECT_EQ(Get("https://127.0.0.1:" + std::to_string(server_.port()) + "/doc.xml"), 0u);
  EXPECT_FALSE(error_.empty());
  const auto requests = server_.Requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests[0].substr(0, 6), "TLS 16");
}

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
  EXPECT_EQ(test::FileNames(path.substr(0, path.size() - 4) + ".tmp"), "");
  EXPECT_EQ(state_.percent, 100);
  EXPECT_EQ(state_.total, InstallerBytes("signed.exe").size());
  EXPECT_EQ(refused, "write delete rename folder-rename");
  EXPECT_TRUE(swapped_bytes == InstallerBytes("signed.exe"));  // the checked file, started
  RemoveInstaller(path);
}

TEST_F(UpdateDownloadTest, EveryFailureDeletesWhatItWroteAndStartsNothing) {
  using A = UpdateAttempt;
  const std::string half = std::to_string(InstallerBytes("signed.exe").size() / 2);
  const struct {
    std::string path;
    A expected;
    const char *offered = "1.0.11.0", *program = "1.0.10.100";
  } cases[] = {
      {"/truncate/" + half + "/pc/signed.exe", A::kDownloadFailed},
      {"/status/404/signed.exe", A::kDownloadFailed},
      {"/status/500/signed.exe", A::kDownloadFailed},
      {"/pc/unsigned.exe", A::kUntrusted},
      {"/pc/altered.exe", A::kUntrusted},
      {"/pc/stranger.exe", A::kUntrusted},
      {"/pc/rogue.exe", A::kUntrusted},
      // Any file the publisher ever signed passes the signature: the version resource decides.
      {"/pc/old.exe", A::kNotTheOffer, "99.0.0.0"},     // an older installer offered as newer
      {"/pc/old.exe", A::kNotTheOffer, "1.0.9.0"},      // an older installer offered as itself
      {"/pc/signed.exe", A::kNotTheOffer, "99.0.0.0"},  // the installer under another version
      {"/pc/signed.exe", A::kNotTheOffer, "1.0.11.0", "1.0.11.0"},  // not newer than the program
      {"/pc/other-program.exe", A::kNotTheOffer},                   // another of our programs
      // A name refused before any request (every refused name is InstallerNames'): this one names
      // a file of the program in the current directory, which the old naming would have deleted.
      {"/app/vlux_horizontal.dll?.exe", A::kBadName},
  };
  test::WriteWholeFile("vlux_horizontal.dll", "module");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path + " " + c.offered + " " + c.program);
    state_.offered_version = c.offered;
    state_.program_version = c.program;
    EXPECT_EQ(Attempt(server_.Url(c.path)), c.expected);
    EXPECT_EQ(UpdateFolders(), folders_before_);
  }
  EXPECT_EQ(server_.Requests().size(), 12u);
  EXPECT_EQ(test::ReadWholeFile("vlux_horizontal.dll"), "module");
  DeleteFileA("vlux_horizontal.dll");
  // Another program of the user rewrites the file before it is checked.
  state_.downloaded = [](const std::string& path) {
    test::WriteWholeFile(path, InstallerBytes("altered.exe"));
  };
  EXPECT_EQ(Attempt(server_.Url("/pc/signed.exe")), A::kUntrusted);
  EXPECT_EQ(UpdateFolders(), folders_before_);
  EXPECT_TRUE(prompts_.Records().empty());
  // A start that fails is a failure too.
  state_.downloaded = nullptr;
  prompts_.start_succeeds = false;
  EXPECT_EQ(Attempt(server_.Url("/pc/signed.exe")), A::kStartFailed);
  EXPECT_EQ(UpdateFolders(), folders_before_);
}

TEST_F(UpdateDownloadTest, TheRetryQuestionRepeatsUntilDeclined) {
  prompts_.AnswerYes(2);
  state_.url = server_.Url("/status/404/signed.exe");
  EXPECT_FALSE(RunUpdateDownload(state_, prompts_));
  const std::string ask = "ask:下载更新失败，是否继续尝试下载？|提示";
  EXPECT_EQ(prompts_.Summary(), ask + " " + ask + " " + ask);
  EXPECT_EQ(server_.Requests().size(), 3u);
}

TEST_F(UpdateDownloadTest, TheShellStartsTheVerifiedInstaller) {
  ShellPrompts shell(nullptr);
  state_.url = server_.Url("/pc/signed.exe");
  std::string path;
  ASSERT_EQ(DownloadAndStartInstaller(state_, shell, &path), UpdateAttempt::kStarted);
  std::string ran;
  for (int i = 0; i < 300 && (ran = test::ReadWholeFile(path + ".ran")).empty(); ++i) Sleep(50);
  EXPECT_NE(ran.find("?update=true"), std::string::npos) << ran;
  Sleep(200);
  RemoveInstaller(path);
}

// The update window under a parent of its own: a download given up ends without the completion
// balloon; the window can start the next offer, which downloads in the background with progress
// balloons and, started at once, asks nothing.
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
  EXPECT_EQ(prompts_.Summary("ask"), "");
  ASSERT_EQ(prompts_.Records("start").size(), 1u);
  EXPECT_EQ(prompts_.Records("start")[0].caption, "?update=true");
  EXPECT_EQ(server_.Requests().size(), 1u);
  RemoveInstaller(prompts_.Records("start")[0].text);
  DestroyWindow(parent);
}

}  // namespace
}  // namespace vl
