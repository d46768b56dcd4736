// The program's services under Wine. "AppConfig.ini" in its two copies through the real profile
// functions: both written, the user copy read first, values on one line, the read-back cut, and
// no user folder. The notification-area icon and its balloons, through a recording notifier:
// added once with its fixed identity, then each balloon as a modification with the texts cut to
// fit.
#include "app/settings.h"
#include "app/tray_icon.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "common/text_convert.h"

namespace vl {
namespace {

std::string TempDir(const std::string& name) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() /
      (name + "_" + std::to_string(GetTickCount()) + "_" + std::to_string(GetCurrentProcessId()));
  std::filesystem::create_directories(dir);
  return dir.string() + "\\";
}

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string RawRead(const std::string& file, const std::string& key) {
  char buffer[2048] = {};
  GetPrivateProfileStringA("Config", key.c_str(), "", buffer, sizeof buffer, file.c_str());
  return buffer;
}

void RawWrite(const std::string& file, const std::string& key, const std::string& value) {
  WritePrivateProfileStringA("Config", key.c_str(), value.c_str(), file.c_str());
}

class SettingsTest : public ::testing::Test {
 protected:
  ~SettingsTest() override {
    for (const std::string& dir : {user_, app_}) {
      SetFileAttributesA((dir + "AppConfig.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA((dir + "AppConfig.ini").c_str());
      RemoveDirectoryA(dir.c_str());
    }
  }
  std::string user_ = TempDir("vl_settings_user");
  std::string app_ = TempDir("vl_settings_app");
  std::string user_file_ = user_ + "AppConfig.ini";
  std::string app_file_ = app_ + "AppConfig.ini";
  SettingsFiles files_{user_, app_};
};

TEST_F(SettingsTest, WriteGoesIntoBothCopiesAndTheUserCopyIsReadFirst) {
  files_.Write("AppName", "Velloria");
  EXPECT_EQ(RawRead(user_file_, "AppName"), "Velloria");
  EXPECT_EQ(RawRead(app_file_, "AppName"), "Velloria");
  EXPECT_NE(FileText(user_file_).find("[Config]"), std::string::npos);
  EXPECT_EQ(files_.Paths(), (std::vector<std::string>{user_file_, app_file_}));
  // The user copy wins whenever it holds the key.
  RawWrite(user_file_, "AppUrl", "http://user.example/");
  RawWrite(app_file_, "AppUrl", "http://app.example/");
  EXPECT_EQ(files_.Read("AppUrl"), "http://user.example/");
  RawWrite(user_file_, "AppUrl", "");  // held, and empty: the newest value
  EXPECT_EQ(files_.Read("AppUrl"), "");
  RawWrite(app_file_, "AdbDriveUrl", "only here");
  EXPECT_EQ(files_.Read("AdbDriveUrl"), "only here");
  EXPECT_EQ(files_.Read("Absent"), "");
}

// The installed program's folder is protected: the installer's "run now" (elevated) left a
// fallback copy there that later runs, as the user, cannot write. Its staleness must not come
// back: a value withdrawn since then stays withdrawn, and everything else works.
TEST_F(SettingsTest, AFallbackCopyThatCannotBeWrittenCostsOnlyThatCopy) {
  RawWrite(app_file_, "AdbDriveUrl", "http://old.example/driver.zip");
  RawWrite(app_file_, "AppName", "Old name");
  // Read-only, and held open without sharing: the attribute alone stops no one running as root
  // (as the test bench may), the open handle stops every writer.
  ASSERT_TRUE(SetFileAttributesA(app_file_.c_str(), FILE_ATTRIBUTE_READONLY));
  HANDLE held = CreateFileA(app_file_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  files_.Write("AdbDriveUrl", "");  // the server withdrew the link
  files_.Write("AppName", "Quillet");
  files_.Write("ConnTips", "new tip");
  CloseHandle(held);
  const std::string fallback = FileText(app_file_);
  ASSERT_NE(fallback.find("Old name"), std::string::npos) << "the fallback copy was written";
  ASSERT_EQ(fallback.find("Quillet"), std::string::npos) << "the fallback copy was written";
  EXPECT_EQ(files_.Read("AdbDriveUrl"), "");
  EXPECT_EQ(files_.Read("AppName"), "Quillet");
  EXPECT_EQ(files_.Read("ConnTips"), "new tip");
  EXPECT_EQ(RawRead(user_file_, "ConnTips"), "new tip");
}

TEST_F(SettingsTest, LineBreaksNeverReachTheFileAsLinesAndLongValuesComeBackCut) {
  files_.Write("ConnTips", "first\r\nInjected=1\nlast");
  EXPECT_EQ(files_.Read("Injected"), "");
  EXPECT_EQ(files_.Read("ConnTips"), "first</br>Injected=1</br>last");
  for (const std::string& file : {user_file_, app_file_}) {
    const std::string text = FileText(file);
    EXPECT_EQ(text.find("\nInjected"), std::string::npos) << text;
    EXPECT_NE(text.find("ConnTips=first</br>Injected=1</br>last"), std::string::npos) << text;
  }
  files_.Write("Bad\nKey", "x");
  EXPECT_EQ(FileText(user_file_).find("Bad"), std::string::npos);
  // Long values come back cut, without half characters.
  files_.Write("AppName", std::string(300, 'v'));
  EXPECT_EQ(files_.Read("AppName"), std::string(258, 'v'));
  // 129 Chinese characters after one ASCII byte: the 258-byte limit falls inside the 129th.
  std::string chinese = "a";
  for (int i = 0; i < 129; ++i) chinese += Utf8ToAnsi("测");
  files_.Write("ConnTips", chinese);
  const std::string back = files_.Read("ConnTips");
  EXPECT_EQ(back, chinese.substr(0, 257));
  EXPECT_EQ(AnsiToUtf16(back).size(), 129u);  // 'a' and 128 whole characters
}

TEST_F(SettingsTest, WithoutAUserFolderOnlyTheProgramDirectoryCopyIsUsed) {
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  const std::string stray = std::string(windows) + "\\AppConfig.ini";
  DeleteFileA(stray.c_str());
  SettingsFiles files("", app_);
  files.Write("AppName", "from the program directory");
  EXPECT_EQ(GetFileAttributesA(stray.c_str()), INVALID_FILE_ATTRIBUTES)
      << "a bare file name landed in the Windows folder";
  EXPECT_EQ(RawRead(app_file_, "AppName"), "from the program directory");
  EXPECT_EQ(files.Read("AppName"), "from the program directory");
  EXPECT_EQ(files.Paths(), std::vector<std::string>{app_file_});
  DeleteFileA(stray.c_str());
}

TEST(UserDataDir, IsLocalAppDataVelloriaAndExists) {
  const std::string dir = GetUserDataDir();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.substr(dir.size() - 10), "\\Velloria\\");
  const DWORD attributes = GetFileAttributesA(dir.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

struct Call {
  DWORD message;
  NOTIFYICONDATAA data;
};

class TrayIconTest : public ::testing::Test {
 protected:
  TrayIconTest() {
    window_ = CreateWindowA("STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                            nullptr);
    icon_ = LoadIcon(nullptr, IDI_APPLICATION);
    tray_.SetOwner(window_, icon_);
    tray_.SetNotifier([this](DWORD message, NOTIFYICONDATAA* data) {
      calls_.push_back({message, *data});
      return accept_;
    });
  }
  ~TrayIconTest() override { DestroyWindow(window_); }

  HWND window_;
  HICON icon_;
  TrayIcon tray_;
  std::vector<Call> calls_;
  BOOL accept_ = TRUE;
};

TEST_F(TrayIconTest, FirstBalloonAddsTheIconThenEachBalloonModifiesItWithItsTextsCut) {
  tray_.ShowBalloon("download finished", "Velloria", NIIF_INFO, 5000);
  tray_.ShowBalloon("second", "title", NIIF_WARNING, 3000);
  ASSERT_EQ(calls_.size(), 3u);
  const NOTIFYICONDATAA& add = calls_[0].data;
  EXPECT_EQ(calls_[0].message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(add.hWnd, window_);
  EXPECT_EQ(add.uID, 99u);
  EXPECT_EQ(add.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(add.uCallbackMessage, 0u);
  EXPECT_EQ(add.hIcon, icon_);
  EXPECT_STREQ(add.szTip, "Velloria");
  for (int i : {1, 2}) {
    EXPECT_EQ(calls_[i].message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(calls_[i].data.uID, 99u);
    EXPECT_EQ(calls_[i].data.uFlags, static_cast<UINT>(NIF_INFO));
  }
  EXPECT_STREQ(calls_[1].data.szInfo, "download finished");
  EXPECT_STREQ(calls_[1].data.szInfoTitle, "Velloria");
  EXPECT_EQ(calls_[1].data.dwInfoFlags, static_cast<DWORD>(NIIF_INFO));
  EXPECT_EQ(calls_[1].data.uTimeout, 5000u);
  EXPECT_STREQ(calls_[2].data.szInfo, "second");
  EXPECT_EQ(calls_[2].data.dwInfoFlags, static_cast<DWORD>(NIIF_WARNING));
  EXPECT_TRUE(tray_.added());
  // Long texts are cut to the fields without half characters; missing ones are empty.
  tray_.ShowBalloon(std::string(300, 't').c_str(), std::string(100, 'h').c_str(), NIIF_INFO, 1);
  EXPECT_EQ(std::string(calls_[3].data.szInfo), std::string(255, 't'));
  EXPECT_EQ(std::string(calls_[3].data.szInfoTitle), std::string(63, 'h'));
  std::string title = "x";
  for (int i = 0; i < 40; ++i) title += Utf8ToAnsi("更");
  tray_.ShowBalloon("", title.c_str(), NIIF_INFO, 1);
  EXPECT_EQ(std::string(calls_[4].data.szInfoTitle), title.substr(0, 63));  // 'x' + 31 whole
  tray_.ShowBalloon(nullptr, nullptr, NIIF_NONE, 1);
  ASSERT_EQ(calls_.size(), 6u);
  EXPECT_STREQ(calls_[5].data.szInfo, "");
  EXPECT_STREQ(calls_[5].data.szInfoTitle, "");
}

TEST_F(TrayIconTest, NoIconIsAddedWithoutAWindowAndAFailedAddIsTriedAgain) {
  TrayIcon orphan;
  std::vector<DWORD> messages;
  orphan.SetNotifier([&](DWORD m, NOTIFYICONDATAA*) {
    messages.push_back(m);
    return TRUE;
  });
  orphan.ShowBalloon("x", "y", NIIF_INFO, 1);
  EXPECT_EQ(messages, std::vector<DWORD>{NIM_MODIFY});
  accept_ = FALSE;
  tray_.ShowBalloon("a", "b", NIIF_INFO, 1);
  EXPECT_FALSE(tray_.added());
  accept_ = TRUE;
  tray_.ShowBalloon("a", "b", NIIF_INFO, 1);
  EXPECT_TRUE(tray_.added());
  ASSERT_EQ(calls_.size(), 4u);
  EXPECT_EQ(calls_[2].message, static_cast<DWORD>(NIM_ADD));
}

}  // namespace
}  // namespace vl
