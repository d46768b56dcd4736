// The help, input and settings dialogs under Wine: which links show, what each opens (through
// the recording prompts, never the shell), results, the settings panel's version and links.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <vector>

#include "common/text_convert.h"
#include "online/help_dlg.h"
#include "online/product_pages.h"
#include "online/remote_config.h"
#include "online/setting_dlg.h"
#include "tests/online/fake_prompts.h"
#include "tests/online/test_pictures.h"

namespace vl {
namespace {

// Runs `steps` one per 60 ms timer tick on this thread while a modal dialog runs; each step
// gets the active dialog of the thread (the newest popup).
class Script {
 public:
  using Step = std::function<void(HWND dialog)>;
  explicit Script(std::vector<Step> steps) : steps_(std::move(steps)) {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 60, &Script::Tick);
  }
  ~Script() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  bool finished() const { return next_ == steps_.size(); }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    Script* self = current_;
    if (self == nullptr || self->finished()) return;
    HWND dialog = GetActiveWindow();
    if (dialog == nullptr) return;
    self->steps_[self->next_++](dialog);
  }
  static Script* current_;
  std::vector<Step> steps_;
  size_t next_ = 0;
  UINT_PTR timer_ = 0;
};
Script* Script::current_ = nullptr;

void Command(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// A left click as the mouse makes it, in the middle of a child window.
void Click(HWND child) {
  RECT rc;
  GetClientRect(child, &rc);
  const LPARAM at = MAKELPARAM(rc.right / 2, rc.bottom / 2);
  SendMessageA(child, WM_MOUSEMOVE, 0, at);
  SendMessageA(child, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(child, WM_LBUTTONUP, 0, at);
}

std::string WindowText(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return AnsiToUtf8(text);
}

class DialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::StartGdiplusForTests();
    UpdateRemoteConfig([](RemoteConfig& c) { c = RemoteConfig(); });
  }
  std::vector<std::string> Opened() const {
    std::vector<std::string> urls;
    for (const auto& r : prompts_.Records("open")) urls.push_back(r.text);
    return urls;
  }
  test::FakePrompts prompts_;
};

TEST_F(DialogsTest, HelpShowsOnlyTheLinksThatAreConfigured) {
  HelpDlg bare(prompts_);
  HWND dialog = bare.Create(nullptr);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(WindowText(dialog), "使用帮助");
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_HELP_ADB_DRIVER)));
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_HELP_DEBUG_MODE)));
  EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_HELP_ADB_DRIVER)), "下载ADB驱动");
  EXPECT_EQ(
      WindowText(GetDlgItem(dialog, IDC_HELP_TEXT)).rfind("未检测到设备？\n\n安卓用户：\n", 0), 0u);
  DestroyWindow(dialog);

  UpdateRemoteConfig([](RemoteConfig& c) {
    c.adb_drive_url = "http://www.velloria.com.cn/adb.zip";
    c.open_debug_mode_url = "http://www.velloria.com.cn/debug.html";
  });
  HelpDlg configured(prompts_);
  dialog = configured.Create(nullptr);
  ShowWindow(dialog, SW_SHOW);
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_HELP_ADB_DRIVER)));
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_HELP_DEBUG_MODE)));
  DestroyWindow(dialog);
}

// A pixel of a window as the screen shows it.
COLORREF ScreenPixel(HWND window, int x, int y) {
  RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  POINT p = {x, y};
  ClientToScreen(window, &p);
  HDC screen = GetDC(nullptr);
  const COLORREF c = GetPixel(screen, p.x, p.y);
  ReleaseDC(nullptr, screen);
  return c;
}

TEST_F(DialogsTest, HelpButtonsAreTheToolkitsOnTheButtonBand) {
  HelpDlg help(prompts_);
  HWND dialog = help.Create(nullptr);
  ASSERT_NE(dialog, nullptr);
  ShowWindow(dialog, SW_SHOW);
  UpdateWindow(dialog);
  RECT client;
  GetClientRect(dialog, &client);
  const struct {
    int id;
    const char* text;
  } buttons[] = {{IDC_HELP_TUTORIAL, "详细教程"}, {IDOK, "我知道了"}};
  RECT rects[2];
  for (int i = 0; i < 2; ++i) {
    HWND button = GetDlgItem(dialog, buttons[i].id);
    ASSERT_NE(button, nullptr) << buttons[i].text;
    char name[64] = {};
    GetClassNameA(button, name, sizeof name);
    EXPECT_STREQ(name, "VelloriaButton") << buttons[i].text;
    EXPECT_EQ(WindowText(button), buttons[i].text);
    GetWindowRect(button, &rects[i]);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rects[i]), 2);
    EXPECT_GE(rects[i].top, client.bottom - HelpDlg::kButtonBandHeight) << buttons[i].text;
    EXPECT_LE(rects[i].bottom, client.bottom) << buttons[i].text;
    EXPECT_EQ(rects[i].right - rects[i].left, 96);
    EXPECT_EQ(rects[i].bottom - rects[i].top, 36);
  }
  EXPECT_LT(rects[0].right, rects[1].left);  // "详细教程" left of "我知道了"
  EXPECT_EQ(rects[1].right, client.right - HelpDlg::kButtonMargin);
  // What the screen shows: the pink face of "我知道了", the white face of "详细教程", the grey
  // band around them, and no push button left of the template's.
  const COLORREF ok = ScreenPixel(dialog, rects[1].left + 6, rects[1].top + 6);
  EXPECT_GT(GetRValue(ok), 200);
  EXPECT_LT(GetGValue(ok), 120);
  EXPECT_EQ(ScreenPixel(dialog, rects[0].left + 6, rects[0].top + 6), RGB(255, 255, 255));
  EXPECT_EQ(ScreenPixel(dialog, rects[0].left - 4, rects[0].top + 6), RGB(240, 240, 240));
  // The rounded corner shows the band, not a white square.
  EXPECT_EQ(ScreenPixel(dialog, rects[1].left, rects[1].top), RGB(240, 240, 240));
  int buttons_found = 0;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char name[64] = {};
    GetClassNameA(child, name, sizeof name);
    if (std::string(name) == "Button") ++buttons_found;
  }
  EXPECT_EQ(buttons_found, 0);
  DestroyWindow(dialog);
}

TEST_F(DialogsTest, HelpLinksOpenTheirPagesAndTheButtonsEndTheDialog) {
  UpdateRemoteConfig([](RemoteConfig& c) {
    c.adb_drive_url = "http://www.velloria.com.cn/adb.zip";
    c.open_debug_mode_url = "http://www.velloria.com.cn/debug.html";
  });
  HelpDlg help(prompts_);
  {
    Script script({[](HWND d) { Command(d, IDC_HELP_ADB_DRIVER); },
                   [](HWND d) { Command(d, IDC_HELP_DEBUG_MODE); },
                   [](HWND d) { Command(d, IDOK); }});
    EXPECT_EQ(help.DoModal(nullptr), IDOK);
  }
  EXPECT_EQ(Opened(), (std::vector<std::string>{"http://www.velloria.com.cn/adb.zip",
                                                "http://www.velloria.com.cn/debug.html"}));
  prompts_.Clear();
  {
    Script script({[](HWND d) { Command(d, IDC_HELP_TUTORIAL); }});
    EXPECT_EQ(help.DoModal(nullptr), IDCANCEL);
  }
  EXPECT_EQ(Opened(), (std::vector<std::string>{kIosHelpPageUrl}));
  prompts_.Clear();
  {
    Script script({[](HWND d) { PostMessageA(d, WM_CLOSE, 0, 0); }});
    EXPECT_EQ(help.DoModal(nullptr), IDCANCEL);
  }
  EXPECT_TRUE(Opened().empty());
  // Configured addresses that are no web pages are not opened.
  UpdateRemoteConfig([](RemoteConfig& c) {
    c.adb_drive_url = "C:\\Windows\\System32\\calc.exe";
    c.open_debug_mode_url = "file:///c:/windows/notepad.exe";
  });
  {
    Script script({[](HWND d) { Command(d, IDC_HELP_ADB_DRIVER); },
                   [](HWND d) { Command(d, IDC_HELP_DEBUG_MODE); },
                   [](HWND d) { Command(d, IDOK); }});
    EXPECT_EQ(help.DoModal(nullptr), IDOK);
  }
  EXPECT_TRUE(Opened().empty());
}

TEST_F(DialogsTest, ASearchAddressAsksForThePhoneAndSearchesForIt) {
  UpdateRemoteConfig(
      [](RemoteConfig& c) { c.open_debug_mode_url = "https://www.baidu.com/s?wd="; });
  HelpDlg help(prompts_);
  std::string question_caption, prompt_text;
  Script script({[](HWND d) { Command(d, IDC_HELP_DEBUG_MODE); },
                 [&](HWND box) {
                   question_caption = WindowText(box);
                   prompt_text = WindowText(GetDlgItem(box, IDC_INPUT_PROMPT));
                   SetDlgItemTextA(box, IDC_INPUT_EDIT, "vivo \"X9\"");
                   Command(box, IDOK);
                 },
                 [](HWND d) { Command(d, IDC_HELP_DEBUG_MODE); },
                 [](HWND box) { PostMessageA(box, WM_CLOSE, 0, 0); },
                 [](HWND d) { Command(d, IDOK); }});
  EXPECT_EQ(help.DoModal(nullptr), IDOK);
  EXPECT_TRUE(script.finished());
  EXPECT_EQ(question_caption, "打开USB调试模式");
  EXPECT_EQ(prompt_text, "请输入手机品牌或型号");
  // Confirmed: the model and the phrase appended, blanks and quotes encoded (the Chinese phrase
  // as the code page writes it); cancelled: nothing opened.
  ASSERT_EQ(Opened().size(), 1u);
  EXPECT_EQ(AnsiToUtf8(Opened()[0]),
            "https://www.baidu.com/s?wd=vivo%20%22X9%22%20打开USB调试模式");
}

TEST_F(DialogsTest, SettingsShowsTheWholeVersion) {
  Setting setting(prompts_, nullptr);
  HWND dialog = setting.Create(nullptr);
  ASSERT_NE(dialog, nullptr);
  // This test program's version resource says 1.0.10.100: ten characters, all of them shown.
  EXPECT_EQ(AnsiToUtf8(setting.version_text()), "当前版本号：1.0.10.100");
  RECT rc;
  GetWindowRect(dialog, &rc);
  EXPECT_EQ(rc.right - rc.left, Setting::kWidth);
  EXPECT_EQ(rc.bottom - rc.top, Setting::kHeight);
  EXPECT_EQ(AnsiToUtf8(setting.download_link().text()), "下载Quillet");
  DestroyWindow(dialog);
}

TEST_F(DialogsTest, SettingsLinksCheckForUpdatesAndOpenTheAppPage) {
  int checks = 0;
  Setting setting(prompts_, [&] { ++checks; });
  Script script({[](HWND d) { Click(GetDlgItem(d, Setting::kCheckUpdateId)); },
                 [](HWND d) { Click(GetDlgItem(d, Setting::kDownloadAppId)); },
                 [](HWND d) { Command(d, Setting::kCloseId); }});
  EXPECT_EQ(setting.DoModal(nullptr), 0);
  EXPECT_EQ(checks, 1);  // and the dialog stayed open for the next click
  EXPECT_EQ(Opened(), (std::vector<std::string>{kProductHomePageUrl}));

  prompts_.Clear();
  UpdateRemoteConfig([](RemoteConfig& c) {
    c.app_name = "Quillet Pro";
    c.app_url = "https://www.velloria.com.cn/quillet/";
  });
  Setting configured(prompts_, nullptr);
  std::string link_text;
  Script again({[&](HWND d) {
                  link_text = WindowText(GetDlgItem(d, Setting::kDownloadAppId));
                  Click(GetDlgItem(d, Setting::kDownloadAppId));
                },
                [](HWND d) { Click(GetDlgItem(d, Setting::kCloseId)); }});
  EXPECT_EQ(configured.DoModal(nullptr), 0);
  EXPECT_EQ(link_text, "下载Quillet Pro");
  EXPECT_EQ(Opened(), (std::vector<std::string>{"https://www.velloria.com.cn/quillet/"}));

  // An app address that is no web page falls back to the home page.
  prompts_.Clear();
  UpdateRemoteConfig([](RemoteConfig& c) { c.app_url = "\\\\server\\share\\tool.exe"; });
  Setting refused(prompts_, nullptr);
  Script third({[](HWND d) { Click(GetDlgItem(d, Setting::kDownloadAppId)); },
                [](HWND d) { Command(d, Setting::kCloseId); }});
  EXPECT_EQ(refused.DoModal(nullptr), 0);
  EXPECT_EQ(Opened(), (std::vector<std::string>{kProductHomePageUrl}));
}

}  // namespace
}  // namespace vl
