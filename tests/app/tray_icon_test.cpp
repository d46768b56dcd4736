// The notification-area icon and its balloons, through a recording notifier: added once with
// its fixed identity, then each balloon as a modification with the texts cut to fit.
#include "app/tray_icon.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/text_convert.h"

namespace vl {
namespace {

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

TEST_F(TrayIconTest, FirstBalloonAddsTheIconThenEachBalloonModifiesIt) {
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
}

TEST_F(TrayIconTest, LongTextsAreCutToTheFieldsWithoutHalfCharactersAndMissingOnesAreEmpty) {
  tray_.ShowBalloon(std::string(300, 't').c_str(), std::string(100, 'h').c_str(), NIIF_INFO, 1);
  ASSERT_EQ(calls_.size(), 2u);
  EXPECT_EQ(std::string(calls_[1].data.szInfo), std::string(255, 't'));
  EXPECT_EQ(std::string(calls_[1].data.szInfoTitle), std::string(63, 'h'));
  std::string title = "x";
  for (int i = 0; i < 40; ++i) title += Utf8ToAnsi("更");
  tray_.ShowBalloon("", title.c_str(), NIIF_INFO, 1);
  EXPECT_EQ(std::string(calls_[2].data.szInfoTitle), title.substr(0, 63));  // 'x' + 31 whole
  tray_.ShowBalloon(nullptr, nullptr, NIIF_NONE, 1);
  ASSERT_EQ(calls_.size(), 4u);
  EXPECT_STREQ(calls_[3].data.szInfo, "");
  EXPECT_STREQ(calls_[3].data.szInfoTitle, "");
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
