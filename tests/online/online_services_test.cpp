// The online services under Wine: the configuration fetch against the local test server, the
// services as a main window hosts them, and the help, input and settings dialogs.
#include <gtest/gtest.h>

#include <windows.h>

#include <ctime>
#include <functional>
#include <regex>
#include <vector>

#include "common/text_convert.h"
#include "common/win/gdiplus_gate.h"
#include "common/win/message_box.h"
#include "common/win/window_impl.h"
#include "online/help_dlg.h"
#include "online/online_host_win.h"
#include "online/product_pages.h"
#include "online/remote_config.h"
#include "online/remote_config_fetch_win.h"
#include "online/setting_dlg.h"
#include "tests/online/fake_prompts.h"
#include "tests/online/online_test_support.h"

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
  int Fetch(const std::string& xml, bool notify = false) {
    server_.PutFile("serelpartner/config.php", xml);
    return FetchRemoteConfig(context_, notify);
  }
  std::string ResFile(const char* name) const {
    return test::ReadWholeFile(program_dir_.path() + "res\\" + name);
  }
  // The three help picture addresses on the test server; "" stays empty.
  std::string Pictures(const std::string& conn, const std::string& vcam, const std::string& hcam) {
    const auto url = [this](const std::string& path) {
      return path.empty() ? "" : server_.Url(path);
    };
    return "<image_help_conn>" + url(conn) + "</image_help_conn><image_help_vcam>" + url(vcam) +
           "</image_help_vcam><image_help_hcam>" + url(hcam) + "</image_help_hcam>";
  }
  void ExpectNoPictureTaken() {
    EXPECT_EQ(placeholder_reloads_, 0);
    for (const char* key : {"HelpConnImage", "HelpVCamImage", "HelpHCamImage"})
      EXPECT_EQ(settings_.values.count(key), 0u) << key;
  }

  test::TestServer server_;
  test::FakePrompts prompts_;
  test::MemorySettings settings_;
  test::ScratchFolder program_dir_;
  OnlineContext context_;
  int placeholder_reloads_ = 0;
};

// No response or a broken document changes nothing. Then the request with version and time:
// over TLS, and without a user agent, program_config_test asks with the real program;
// HttpClientTest (update_download_test) refuses a host whose certificate cannot be trusted. Without
// an update element there is no update check and no picture download, even when asked. Nothing
// newer is said when asked; a newer installer is offered.
TEST_F(RemoteConfigFetchTest, AsksWithVersionAndTimeAndOffersOnlyANewerInstaller) {
  UpdateRemoteConfig([](RemoteConfig& c) { c.app_name = "cached"; });
  EXPECT_EQ(Fetch("", true), 0);
  EXPECT_EQ(Fetch("<c><app_name>half", true), 1);
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

  context_.program_version = "1.0.9.0";
  server_.PutFile("conn.png", test::PngPicture());
  const long long before = std::time(nullptr);
  EXPECT_EQ(
      Fetch("<config><app_name>Quillet</app_name>" + Pictures("/conn.png", "", "") + "</config>",
            true),
      1);
  const auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 1u);
  std::smatch m;
  ASSERT_TRUE(std::regex_match(
      requests[0], m,
      std::regex(R"(GET /serelpartner/config\.php\?ver=1\.0\.9\.0&rand=(\d+) HTTP/1\.1)")))
      << requests[0];
  EXPECT_GE(std::stoll(m[1]), before);
  EXPECT_LE(std::stoll(m[1]), std::time(nullptr));
  EXPECT_EQ(GetRemoteConfig().app_name, "Quillet");
  EXPECT_EQ(settings_.values["AppName"], "Quillet");
  EXPECT_EQ(GetRemoteConfig().image_help_conn, server_.Url("/conn.png"));
  EXPECT_TRUE(prompts_.Records().empty());
  EXPECT_EQ(settings_.values.count("HelpConnImage"), 0u);

  const std::string same =
      "<c><update><appupdate_version>1.0.9.0</appupdate_version>"
      "<appupdate_url>http://d.example/setup.exe</appupdate_url></update></c>";
  EXPECT_EQ(Fetch(same), 1);
  EXPECT_TRUE(prompts_.Records().empty());
  EXPECT_EQ(Fetch(same, true), 1);
  EXPECT_EQ(prompts_.Summary(), "inform:未检查到有更新！|软件更新");

  // Yes to a newer one hands its address to the window.
  prompts_.Clear();
  prompts_.AnswerYes();
  EXPECT_EQ(Fetch("<c><update><appupdate_version>1.0.10.0</appupdate_version>"
                  "<appupdate_url>http://d.example/setup_1.0.10.exe</appupdate_url>"
                  "<appupdate_msg>note</appupdate_msg></update></c>"),
            1);
  EXPECT_EQ(prompts_.Summary(),
            "ask:note|Velloria软件更新提示 download:http://d.example/setup_1.0.10.exe");
  EXPECT_EQ(GetRemoteConfig().appupdate_version, "1.0.10.0");
}

// The fetch thread may still run while the program shuts GDI+ down: once the shutdown has
// begun, a downloaded help picture is not decoded (it is not taken either, and is tried again at
// the next fetch), so no thread calls GDI+ after it is shut down.
TEST_F(RemoteConfigFetchTest, AnEmptyOfferShowsNoBoxButRefreshesThePictures) {
  server_.PutFile("conn.png", test::PngPicture());
  server_.PutFile("v.jpg", test::JpegPicture());
  server_.PutFile("h.jpg", test::JpegPicture());
  const std::string update =
      "<update><appupdate_version></appupdate_version>"
      "<appupdate_url>http://d.example/setup.exe</appupdate_url></update></c>";
  const std::string config = "<c>" + Pictures("/conn.png", "/v.jpg", "/h.jpg") + update;
  win::CloseGdiplusGate();
  EXPECT_EQ(Fetch(config), 1);
  win::OpenGdiplusGate();
  EXPECT_EQ(program_dir_.Listing("res\\"), "");
  ExpectNoPictureTaken();

  // GDI+ up again (a later fetch): the pictures are taken; asked, the empty offer shows no box.
  EXPECT_EQ(Fetch(config, true), 1);
  EXPECT_TRUE(prompts_.Records().empty());
  EXPECT_TRUE(ResFile("default.png") == test::PngPicture());
  EXPECT_TRUE(ResFile("default_v.jpg") == test::JpegPicture());
  EXPECT_TRUE(ResFile("default_h.jpg") == test::JpegPicture());
  EXPECT_EQ(placeholder_reloads_, 1);  // only the preview's picture concerns the window
  EXPECT_EQ(settings_.values["HelpConnImage"], server_.Url("/conn.png"));
  EXPECT_EQ(settings_.values["HelpVCamImage"], server_.Url("/v.jpg"));
  EXPECT_EQ(settings_.values["HelpHCamImage"], server_.Url("/h.jpg"));
  EXPECT_EQ(program_dir_.Listing("res\\"), "default.png default_h.jpg default_v.jpg");

  // Unchanged addresses: no downloads. An empty address is stored without download.
  server_.ClearLog();
  EXPECT_EQ(Fetch(config), 1);
  EXPECT_EQ(Fetch("<c>" + Pictures("/conn.png", "", "/h.jpg") + update), 1);
  EXPECT_EQ(server_.Requests().size(), 2u);
  EXPECT_EQ(placeholder_reloads_, 1);
  EXPECT_EQ(settings_.values["HelpVCamImage"], "");
  EXPECT_TRUE(ResFile("default_v.jpg") == test::JpegPicture());
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

TEST_F(RemoteConfigFetchTest, ABadPictureKeepsTheOldOneAndIsTriedAgain) {
  CreateDirectoryA((program_dir_.path() + "res").c_str(), nullptr);
  for (const char* name : {"default.png", "default_v.jpg", "default_h.jpg"})
    test::WriteWholeFile(program_dir_.path() + "res\\" + name, std::string("old ") + name);
  ASSERT_FALSE(test::ReadWholeFile(VL_LARGE_PNG_WIN).empty());
  server_.PutFile("v.jpg", test::JpegPicture());
  server_.PutFile("h.jpg", "<html>not a picture</html>");
  server_.PutFile("huge.png", test::ReadWholeFile(VL_LARGE_PNG_WIN));
  server_.PutFile("png.jpg", test::PngPicture());
  server_.PutFile("emf.jpg", Metafile());
  const std::string update =
      "<update><appupdate_version>1.0.0.0</appupdate_version>"
      "<appupdate_url>http://d.example/setup.exe</appupdate_url></update></c>";
  // Missing, cut short, no picture; then too many pixels declared, or of another type than its
  // name says.
  const std::string failing =
      "<c>" + Pictures("/status/404/conn.png", "/truncate/500/v.jpg", "/h.jpg") + update;
  for (const std::string& config :
       {failing, "<c>" + Pictures("/huge.png", "/png.jpg", "/emf.jpg") + update}) {
    EXPECT_EQ(Fetch(config), 1);
    for (const char* name : {"default.png", "default_v.jpg", "default_h.jpg"})
      EXPECT_EQ(ResFile(name), std::string("old ") + name);
    EXPECT_EQ(program_dir_.Listing("res\\"), "default.png default_h.jpg default_v.jpg");
    ExpectNoPictureTaken();
  }

  // The next check tries the same addresses again; the one now served properly is applied.
  server_.PutFile("h.jpg", test::JpegPicture());
  server_.ClearLog();
  EXPECT_EQ(Fetch(failing), 1);
  EXPECT_EQ(server_.Requests().size(), 4u);
  EXPECT_TRUE(ResFile("default_h.jpg") == test::JpegPicture());
  EXPECT_EQ(settings_.values["HelpHCamImage"], server_.Url("/h.jpg"));
  EXPECT_EQ(ResFile("default.png"), "old default.png");
  EXPECT_EQ(settings_.values.count("HelpConnImage"), 0u);
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

// Stands in for the main window: forwards kMsgUpdateOffer to the host and counts kMsgHelpPictures.
class HostWindow : public win::CWindowImpl<HostWindow> {
 public:
  explicit HostWindow(OnlineHost& host) : host_(host) {}
  int placeholder_reloads = 0;
  int offers = 0;

  BEGIN_MSG_MAP(HostWindow)
  MESSAGE_HANDLER(kMsgUpdateOffer, OnHostMessage)
  MESSAGE_HANDLER(kMsgHelpPictures, OnHostMessage)
  END_MSG_MAP()

 private:
  LRESULT OnHostMessage(UINT message, WPARAM, LPARAM l, BOOL&) {
    if (message == kMsgHelpPictures) {
      ++placeholder_reloads;
    } else {
      ++offers;
      host_.StartUpdateDownload(m_hWnd, reinterpret_cast<const char*>(l));
    }
    return 0;
  }
  OnlineHost& host_;
};

// The online services as a main window hosts them: the cached settings at start, the fetch at
// start, the update offer handed over with kMsgUpdateOffer and downloaded in the background with
// balloons, the help picture with kMsgHelpPictures.
class OnlineHostTest : public RemoteConfigFetchTest {
 protected:
  void SetUp() override {
    RemoteConfigFetchTest::SetUp();
    // Installers are signed by the tree's test publisher, under its test root.
    ASSERT_TRUE(test::TrustTestRoot());
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

  OnlineHost host_{settings_, nullptr};
  HostWindow window_{host_};
};

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
  // The cached settings are loaded before any fetch.
  settings_.values = {{"ConnTips", "a</br>b"}, {"AppName", "Cached"}};
  host_.LoadCachedRemoteConfig();
  EXPECT_EQ(GetRemoteConfig().tips_conn, "a\nb");
  EXPECT_EQ(GetRemoteConfig().app_name, "Cached");
  prompts_.AnswerYes();
  host_.Start(window_, program_dir_.path(), server_.Url("/serelpartner/config.php"),
              program_dir_.path() + "res\\");
  for (int i = 0; i < 3000 && prompts_.Records("start").empty(); ++i) Pump(10);
  for (int i = 0; i < 300 && host_.downloading(); ++i) Pump(10);

  EXPECT_EQ(prompts_.Summary("ask"), "ask:new|Velloria软件更新提示");
  const auto starts = prompts_.Records("start");
  ASSERT_EQ(starts.size(), 1u);
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
  auto settings = std::make_shared<test::MemorySettings>();
  const std::weak_ptr<test::MemorySettings> watched = settings;
  {
    OnlineHost host(std::move(settings),
                    [&](const std::string&, const std::string&) { ++balloons; });
    host.Start(window_, program_dir_.path(), server_.Url("/slow/250/serelpartner/config.php"));
    Pump(300);
    ASSERT_TRUE(IsRemoteConfigFetchRunning());
  }  // the window's host goes while the fetch waits for the rest of the document
  const auto kept = watched.lock();
  ASSERT_TRUE(kept);
  for (int i = 0; i < 1000 && IsRemoteConfigFetchRunning(); ++i) Pump(10);
  ASSERT_FALSE(IsRemoteConfigFetchRunning());
  win::SetMessageBoxHandler(nullptr);
  EXPECT_EQ(kept->values["ConnTips"], "late");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "newer");
  EXPECT_EQ(balloons, 0);
  EXPECT_EQ(window_.offers, 0);
}

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

const Step CloseBox = [](HWND dialog) { PostMessageA(dialog, WM_CLOSE, 0, 0); };

std::string WindowText(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return AnsiToUtf8(text);
}

COLORREF ScreenPixel(HWND window, int x, int y) {
  RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  POINT p = {x, y};
  ClientToScreen(window, &p);
  HDC screen = GetDC(nullptr);
  const COLORREF c = GetPixel(screen, p.x, p.y);
  ReleaseDC(nullptr, screen);
  return c;
}

// The help, input and settings dialogs: which links show, what each opens (through the recording
// prompts, never the shell), results, the settings panel's version and links.
using DialogsTest = RemoteConfigFetchTest;

// Without configured addresses the links hide (configured, online_dialog_clicks_test clicks them,
// and finds the dialog by its title); the buttons are the toolkit's, on the band.
TEST_F(DialogsTest, HelpShowsOnlyTheConfiguredLinksAndTheToolkitsButtonsOnTheBand) {
  HelpDlg help(prompts_);
  HWND dialog = help.Create(nullptr);
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_HELP_ADB_DRIVER)));
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_HELP_DEBUG_MODE)));
  EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_HELP_ADB_DRIVER)), "下载ADB驱动");
  EXPECT_EQ(
      WindowText(GetDlgItem(dialog, IDC_HELP_TEXT)).rfind("未检测到设备？\n\n安卓用户：\n", 0), 0u);
  ShowWindow(dialog, SW_SHOW);
  UpdateWindow(dialog);
  RECT client;
  GetClientRect(dialog, &client);
  const std::pair<int, const char*> buttons[] = {{IDC_HELP_TUTORIAL, "详细教程"},
                                                 {IDOK, "我知道了"}};
  RECT rects[2];
  for (int i = 0; i < 2; ++i) {
    const auto [id, text] = buttons[i];
    HWND button = GetDlgItem(dialog, id);
    ASSERT_NE(button, nullptr) << text;
    char name[64] = {};
    GetClassNameA(button, name, sizeof name);
    EXPECT_STREQ(name, "VelloriaButton") << text;
    EXPECT_EQ(WindowText(button), text);
    GetWindowRect(button, &rects[i]);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rects[i]), 2);
    EXPECT_GE(rects[i].top, client.bottom - HelpDlg::kButtonBandHeight) << text;
    EXPECT_LE(rects[i].bottom, client.bottom) << text;
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

// Configured web pages open (online_dialog_clicks_test, with real clicks); addresses that are no
// web pages do not. A search address asks for the phone and searches for it.
TEST_F(DialogsTest, HelpLinksOpenOnlyWebPagesAndASearchAddressAsksForThePhone) {
  UpdateRemoteConfig([](RemoteConfig& c) {
    c.adb_drive_url = "C:\\Windows\\System32\\calc.exe";
    c.open_debug_mode_url = "file:///c:/windows/notepad.exe";
  });
  HelpDlg help(prompts_);
  EXPECT_EQ(RunModal(help, {Press(IDC_HELP_ADB_DRIVER), Press(IDC_HELP_DEBUG_MODE), Press(IDOK)}),
            IDOK);
  EXPECT_EQ(prompts_.Summary(), "");
  // "详细教程" (online_dialog_clicks_test) and closing end it with IDCANCEL.
  EXPECT_EQ(RunModal(help, {CloseBox}), IDCANCEL);

  UpdateRemoteConfig(
      [](RemoteConfig& c) { c.open_debug_mode_url = "https://www.baidu.com/s?wd="; });
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
// update check, the default app page and the links' and close button's mouse clicks are
// online_dialog_clicks_test's, with real clicks.
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
  EXPECT_EQ(RunModal(configured, {look, Press(Setting::kDownloadAppId), Press(Setting::kCloseId)}),
            0);
  EXPECT_EQ(link_text, "下载Quillet Pro");
  EXPECT_EQ(prompts_.Summary(), "open:https://www.velloria.com.cn/quillet/");

  // An app address that is no web page falls back to the home page.
  prompts_.Clear();
  UpdateRemoteConfig([](RemoteConfig& c) { c.app_url = "\\\\server\\share\\tool.exe"; });
  Setting refused(prompts_, nullptr);
  EXPECT_EQ(RunModal(refused, {Press(Setting::kDownloadAppId), Press(Setting::kCloseId)}), 0);
  EXPECT_EQ(prompts_.Summary(), std::string("open:") + kProductHomePageUrl);
}

}  // namespace
}  // namespace vl
