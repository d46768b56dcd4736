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
#include "tests/online/online_test_support.h"

namespace vl {
namespace {

using Step = std::function<void(HWND dialog)>;
std::vector<Step>* g_steps = nullptr;
size_t g_next_step = 0;

void CALLBACK RunNextStep(HWND, UINT, UINT_PTR, DWORD) {
  HWND dialog = GetActiveWindow();
  if (g_steps != nullptr && g_next_step < g_steps->size() && dialog != nullptr)
    (*g_steps)[g_next_step++](dialog);
}

// Runs `dialog` modally while `steps` run one per 60 ms timer tick on this thread, each with the
// thread's active dialog (the newest popup); its result once all of them ran.
template <class Dialog>
INT_PTR RunModal(Dialog& dialog, std::vector<Step> steps) {
  g_steps = &steps;
  g_next_step = 0;
  const UINT_PTR timer = SetTimer(nullptr, 0, 60, &RunNextStep);
  const INT_PTR result = dialog.DoModal(nullptr);
  KillTimer(nullptr, timer);
  g_steps = nullptr;
  EXPECT_EQ(g_next_step, steps.size());
  return result;
}

// A button's command, as its click sends it.
Step Press(int id) {
  return [id](HWND dialog) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
  };
}

// A left click as the mouse makes it, in the middle of a child window.
Step Click(int id) {
  return [id](HWND dialog) {
    HWND child = GetDlgItem(dialog, id);
    RECT rc;
    GetClientRect(child, &rc);
    const LPARAM at = MAKELPARAM(rc.right / 2, rc.bottom / 2);
    SendMessageA(child, WM_MOUSEMOVE, 0, at);
    SendMessageA(child, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(child, WM_LBUTTONUP, 0, at);
  };
}

void CloseBox(HWND dialog) {
  PostMessageA(dialog, WM_CLOSE, 0, 0);
}

std::string WindowText(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return AnsiToUtf8(text);
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

void ConfigureHelpLinks(const char* adb_driver, const char* debug_mode) {
  UpdateRemoteConfig([&](RemoteConfig& c) {
    c.adb_drive_url = adb_driver;
    c.open_debug_mode_url = debug_mode;
  });
}

class DialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::StartGdiplusForTests();
    UpdateRemoteConfig([](RemoteConfig& c) { c = RemoteConfig(); });
  }
  test::FakePrompts prompts_;
};

// Without configured addresses the links hide (configured, online_dialog_clicks_test clicks them);
// the buttons are the toolkit's, on the band.
TEST_F(DialogsTest, HelpShowsOnlyTheConfiguredLinksAndTheToolkitsButtonsOnTheBand) {
  HelpDlg help(prompts_);
  HWND dialog = help.Create(nullptr);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(WindowText(dialog), "使用帮助");
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_HELP_ADB_DRIVER)));
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_HELP_DEBUG_MODE)));
  EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_HELP_ADB_DRIVER)), "下载ADB驱动");
  EXPECT_EQ(
      WindowText(GetDlgItem(dialog, IDC_HELP_TEXT)).rfind("未检测到设备？\n\n安卓用户：\n", 0), 0u);
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
  EXPECT_EQ(FindWindowExA(dialog, nullptr, "Button", nullptr), nullptr);
  DestroyWindow(dialog);
}

TEST_F(DialogsTest, HelpLinksOpenTheirPagesAndTheButtonsEndTheDialog) {
  ConfigureHelpLinks("http://www.velloria.com.cn/adb.zip", "http://www.velloria.com.cn/debug.html");
  HelpDlg help(prompts_);
  const std::vector<Step> links = {Press(IDC_HELP_ADB_DRIVER), Press(IDC_HELP_DEBUG_MODE),
                                   Press(IDOK)};
  EXPECT_EQ(RunModal(help, links), IDOK);
  EXPECT_EQ(prompts_.Summary(),
            "open:http://www.velloria.com.cn/adb.zip open:http://www.velloria.com.cn/debug.html");
  // "详细教程" (online_dialog_clicks_test) and closing end it with IDCANCEL.
  prompts_.Clear();
  EXPECT_EQ(RunModal(help, {CloseBox}), IDCANCEL);
  // Configured addresses that are no web pages are not opened.
  ConfigureHelpLinks("C:\\Windows\\System32\\calc.exe", "file:///c:/windows/notepad.exe");
  EXPECT_EQ(RunModal(help, links), IDOK);
  EXPECT_EQ(prompts_.Summary(), "");
}

TEST_F(DialogsTest, ASearchAddressAsksForThePhoneAndSearchesForIt) {
  UpdateRemoteConfig(
      [](RemoteConfig& c) { c.open_debug_mode_url = "https://www.baidu.com/s?wd="; });
  HelpDlg help(prompts_);
  std::string question_caption, prompt_text;
  EXPECT_EQ(RunModal(help, {Press(IDC_HELP_DEBUG_MODE),
                            [&](HWND box) {
                              question_caption = WindowText(box);
                              prompt_text = WindowText(GetDlgItem(box, IDC_INPUT_PROMPT));
                              SetDlgItemTextA(box, IDC_INPUT_EDIT, "vivo \"X9\"");
                              Press(IDOK)(box);
                            },
                            Press(IDC_HELP_DEBUG_MODE), CloseBox, Press(IDOK)}),
            IDOK);
  EXPECT_EQ(question_caption, "打开USB调试模式");
  EXPECT_EQ(prompt_text, "请输入手机品牌或型号");
  // Confirmed: the model and the phrase appended, blanks and quotes encoded (the Chinese phrase
  // as the code page writes it); cancelled: nothing opened.
  EXPECT_EQ(prompts_.Summary(),
            "open:https://www.baidu.com/s?wd=vivo%20%22X9%22%20打开USB调试模式");
}

// The whole version: this test program's version resource says 1.0.10.100, ten characters. The
// update check and the default app page are online_dialog_clicks_test's, with real clicks.
TEST_F(DialogsTest, SettingsShowTheVersionAndOpenTheConfiguredAppPage) {
  Setting setting(prompts_, nullptr);
  RECT rc = {};
  std::string link_text;
  const Step look = [&](HWND d) {
    GetWindowRect(d, &rc);
    link_text = WindowText(GetDlgItem(d, Setting::kDownloadAppId));
  };
  EXPECT_EQ(RunModal(setting, {look, Press(Setting::kCloseId)}), 0);
  EXPECT_EQ(AnsiToUtf8(setting.version_text()), "当前版本号：1.0.10.100");
  EXPECT_EQ(rc.right - rc.left, Setting::kWidth);
  EXPECT_EQ(rc.bottom - rc.top, Setting::kHeight);
  EXPECT_EQ(link_text, "下载Quillet");

  UpdateRemoteConfig([](RemoteConfig& c) {
    c.app_name = "Quillet Pro";
    c.app_url = "https://www.velloria.com.cn/quillet/";
  });
  Setting configured(prompts_, nullptr);
  EXPECT_EQ(RunModal(configured, {look, Click(Setting::kDownloadAppId), Click(Setting::kCloseId)}),
            0);
  EXPECT_EQ(link_text, "下载Quillet Pro");
  EXPECT_EQ(prompts_.Summary(), "open:https://www.velloria.com.cn/quillet/");

  // An app address that is no web page falls back to the home page.
  prompts_.Clear();
  UpdateRemoteConfig([](RemoteConfig& c) { c.app_url = "\\\\server\\share\\tool.exe"; });
  Setting refused(prompts_, nullptr);
  EXPECT_EQ(RunModal(refused, {Click(Setting::kDownloadAppId), Press(Setting::kCloseId)}), 0);
  EXPECT_EQ(prompts_.Summary(), std::string("open:") + kProductHomePageUrl);
}

}  // namespace
}  // namespace vl
