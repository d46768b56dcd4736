// The main window in-process under Wine, driven with real pointer input (xdotool): the picker's
// contents and order, connecting to a simulated phone (preview, width, cameras), the phone
// quitting, a failed connection, the orientation toggle, device-change bursts, dragging,
// minimising, balloons, and leaving while the phone streams.
//
// The program directory is this test's own folder: the camera modules and res\. iPhones come
// from the fake mobile-device service around the test (each test writes its iPhones into the
// fake's file); adb is the fake adb in a scratch working directory.
#include "app/main_dlg.h"
#include "app/program_settings_store.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <memory>
#include <thread>

#include "common/main_window_messages.h"
#include "common/module_directory.h"
#include "common/text_convert.h"
#include "common/win/app_module.h"
#include "common/win/message_box.h"
#include "device/socket_layer.h"
#include "media/bmt_reader.h"
#include "media/frame_mapping_win.h"
#include "online/online_resource.h"
#include "online/remote_config.h"
#include "online/main_window_link_win.h"
#include "panel/panel_manager.h"
#include "tests/device/fake_adb_workdir.h"
#include "tests/device/fake_iphones.h"
#include "tests/device/refusing_port.h"
#include "tests/media/stream_test_support.h"
#include "tests/media/video_test_support.h"
#include "tests/widgets/widget_test_support.h"
#include "tools/vcam_capture/capture_graph.h"

namespace vl {
namespace {

using test::PumpFor;
using test::PumpUntil;
using test::ScreenCentre;
using test::ScreenPoint;
using test::WindowText;
using test::XInput;

const auto A = Utf8ToAnsi;

std::string ProgramDir() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return DirectoryOfModulePath(path);
}

struct Box {
  std::string text, caption;
  int window_width;  // of the main window when the box appeared
};

int WidthOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r.right - r.left;
}

bool Visible(HWND window) {
  return (GetWindowLongPtrA(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

int CountOf(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// The darkest grey level (average of R, G, B) a window shows: how dark a link's ink is.
int DarkestInk(HWND window) {
  const test::ScreenShot shot(window);
  int darkest = 255;
  for (int y = 0; y < shot.height(); ++y)
    for (int x = 0; x < shot.width(); ++x) {
      const COLORREF c = shot.at(x, y);
      darkest = std::min(darkest, (GetRValue(c) + GetGValue(c) + GetBValue(c)) / 3);
    }
  return darkest;
}

// Runs a capture graph on a camera on its own thread while the UI thread keeps pumping (the
// preview publishes the pictures from the UI thread).
struct CameraSamples {
  bool ok = false;
  LONG width = 0, height = 0;
  std::vector<uint8_t> bytes;  // one sample, bottom-up BGR
};

CameraSamples CaptureCamera(const wchar_t* name) {
  CameraSamples result;
  std::atomic<bool> done{false};
  std::thread capture([&] {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    {
      win::ComPtr<IBaseFilter> camera;
      tools::CaptureGraph graph;
      tools::CaptureOptions options;
      options.subtype = MEDIASUBTYPE_RGB24;
      options.keep = {20};
      if (SUCCEEDED(tools::OpenVideoDevice(name, &camera)) &&
          SUCCEEDED(graph.Build(camera.get(), options)) && SUCCEEDED(graph.Run())) {
        result.ok = graph.WaitForSamples(21, 20000) && graph.KeptSample(20, &result.bytes);
        if (const VIDEOINFOHEADER* info = graph.NegotiatedVideoInfo()) {
          result.width = info->bmiHeader.biWidth;
          result.height = info->bmiHeader.biHeight;
        }
        graph.Stop();
      }
    }
    CoUninitialize();
    done = true;
  });
  PumpUntil([&] { return done.load(); }, 60000);
  capture.join();
  return result;
}

// The share of pixels that are neither black nor the camera's plain blue.
double PictureShare(const std::vector<uint8_t>& bgr) {
  if (bgr.empty()) return 0;
  size_t lit = 0;
  for (size_t i = 0; i + 2 < bgr.size(); i += 3) {
    const bool black = bgr[i] < 16 && bgr[i + 1] < 16 && bgr[i + 2] < 16;
    const bool blue = bgr[i] > 200 && bgr[i + 1] < 40 && bgr[i + 2] < 40;
    if (!black && !blue) ++lit;
  }
  return static_cast<double>(lit) / static_cast<double>(bgr.size() / 3);
}

const char kTwoAndroidPhones[] =
    "device PIXEL001 device\n"
    "device LOCKED02 unauthorized\n"
    "device GALAXY03 device\n"
    "prop PIXEL001 ro.product.model Pixel 7\n"
    "prop GALAXY03 ro.product.model Galaxy S10\n";

class MainWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    win::Module().Init(GetModuleHandleA(nullptr));
    test::EnsureGdiplus();
    CoInitialize(nullptr);
  }

  MainWindowTest() {
    SetApplicationDirectory(ProgramDir());
    win::SetMessageBoxHandler(
        [this](HWND owner, const std::string& text, const std::string& caption, UINT) {
          boxes_.push_back({text, caption, owner ? WidthOf(owner) : 0});
          return IDOK;
        });
    win::Module().AddMessageLoop(&loop_);
  }

  ~MainWindowTest() override {
    dialog_.reset();
    PumpFor(50);
    win::Module().RemoveMessageLoop();
    win::SetMessageBoxHandler(nullptr);
    for (int i = 0; i < 3000 && DeviceScanner::RunningScanThreads() > 0; ++i) Sleep(10);
  }

  // The attached phones: iPhones for the fake mobile-device service (one "device UDID NAME"
  // line each), Android phones as the fake adb's configuration.
  void Attach(const std::string& iphones, const std::string& adb_config) {
    ASSERT_TRUE(iphones_.available()) << "run under fake_usbmuxd run";
    iphones_.Attach(iphones);
    adb_ = std::make_unique<test::FakeAdbWorkdir>(adb_config);
  }

  // Creates and shows the main window, then waits for its first device list.
  void Open() {
    dialog_ = std::make_unique<CMainDlg>();
    ASSERT_NE(dialog_->Create(nullptr), nullptr);
    Show();
  }
  void Show() {
    // High on the 800-pixel test screen, so that the picker's list fits below the window.
    SetWindowPos(*dialog_, nullptr, 100, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    dialog_->ShowWindow(SW_SHOW);
    SetForegroundWindow(*dialog_);
    ASSERT_TRUE(PumpUntil([&] { return !Visible(controls().loading_overlay()); }, 30000));
    PumpFor(100);
  }
  void OpenWithAndroids() {
    Attach("", kTwoAndroidPhones);
    Open();
  }
  // Connects to the phone on `port`: true once the window has widened.
  bool ConnectTo(uint16_t port) {
    dialog_->stream_worker()->SetPort(port);
    ClickOn(controls().connect_button());
    return WaitForWidth(1080);
  }
  // The close button's command: the window goes and its loop ends with exit code 2.
  void CloseWithExitCode2() {
    SendMessageA(main(), WM_COMMAND, kCommandClose, 0);
    dialog_.reset();
    MSG quit;
    ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 2u);
  }

  MainDlgControls& controls() { return dialog_->controls(); }
  HWND main() { return *dialog_; }

  void ClickOn(HWND window) { ASSERT_TRUE(XInput::Click(ScreenCentre(window))); }
  // A real drag with the left button between client points of the main window, released at
  // the end (Windows moves a window in a loop of its own until the button comes up).
  bool DragAndRelease(POINT from, POINT to) {
    const POINT a = ScreenPoint(main(), from.x, from.y), b = ScreenPoint(main(), to.x, to.y);
    std::string args =
        "mousemove " + std::to_string(a.x) + " " + std::to_string(a.y) + " mousedown 1 sleep 0.2";
    for (int i = 1; i <= 6; ++i)
      args += " mousemove " + std::to_string(a.x + (b.x - a.x) * i / 6) + " " +
              std::to_string(a.y + (b.y - a.y) * i / 6) + " sleep 0.05";
    return XInput::Run(args + " sleep 0.2 mouseup 1");
  }

  void Pick(int index) {
    ComboBox& picker = controls().picker();
    ClickOn(picker);
    ASSERT_TRUE(PumpUntil([&] { return picker.list_open(); }, 3000));
    RECT rc;
    GetWindowRect(picker.list(), &rc);
    const POINT item = {rc.left + 60,
                        rc.top + index * picker.ItemHeight() + picker.ItemHeight() / 2};
    ASSERT_TRUE(XInput::Click(item));
    ASSERT_TRUE(PumpUntil([&] { return picker.GetCurSel() == index; }, 3000));
  }

  bool WaitForWidth(int width, DWORD timeout_ms = 20000) {
    return PumpUntil([&] { return WidthOf(main()) == width; }, timeout_ms);
  }

  std::vector<std::string> PickerItems() {
    std::vector<std::string> items;
    for (int i = 0; i < controls().picker().Count(); ++i)
      items.push_back(controls().picker().GetItemText(i));
    return items;
  }

  net::SocketLibrary sockets_;
  win::CMessageLoop loop_;
  test::FakeIphones iphones_;
  std::unique_ptr<test::FakeAdbWorkdir> adb_;
  std::unique_ptr<CMainDlg> dialog_;
  std::vector<Box> boxes_;
};

// The help dialog runs modally inside the handling of the device list: a thread timer (served by
// its loop) counts it once it is up and ends it.
int g_help_dialogs = 0;
BOOL CALLBACK EndHelpDialog(HWND window, LPARAM) {
  if (IsWindowVisible(window) && GetDlgItem(window, IDC_HELP_TUTORIAL) != nullptr) {
    ++g_help_dialogs;
    PostMessageA(window, WM_COMMAND, IDOK, 0);
  }
  return TRUE;
}
void CALLBACK WatchForHelpDialog(HWND, UINT, UINT_PTR, DWORD) {
  EnumThreadWindows(GetCurrentThreadId(), &EndHelpDialog, 0);
}

TEST_F(MainWindowTest, LoadingOverlayThenNoPhoneIsSaidAndTheThirdEmptyRefreshOpensTheHelp) {
  Attach("", "");
  dialog_ = std::make_unique<CMainDlg>();
  ASSERT_NE(dialog_->Create(nullptr), nullptr);
  // Right after the initialisation, before the dialog is shown and before the scan's list can
  // arrive (it needs this thread's message handling): the overlay is up and the controls are
  // hidden (by their own style, as none of them could be visible yet).
  EXPECT_TRUE(Visible(controls().loading_overlay()));
  EXPECT_FALSE(Visible(controls().connect_button()));
  EXPECT_FALSE(Visible(controls().picker()));
  EXPECT_FALSE(Visible(dialog_->preview_host().preview()));
  const std::vector<HWND>& hidden = controls().hidden_windows();
  EXPECT_NE(std::find(hidden.begin(), hidden.end(), controls().connect_button().m_hWnd),
            hidden.end());
  // The overlay buttons and the help link start hidden and are not brought back.
  EXPECT_EQ(std::find(hidden.begin(), hidden.end(), controls().help_button().m_hWnd), hidden.end());
  Show();
  EXPECT_TRUE(Visible(controls().connect_button()));
  EXPECT_TRUE(Visible(controls().picker()));
  EXPECT_TRUE(Visible(dialog_->preview_host().preview()));
  EXPECT_FALSE(Visible(dialog_->preview_host().orientation_button()));
  EXPECT_EQ(WidthOf(main()), 730);
  // No phone: the picker says so, the help link shows, and Connect has nothing to take.
  EXPECT_TRUE(PickerItems().empty());
  EXPECT_EQ(WindowText(controls().picker()), A("未检测到设备"));
  EXPECT_TRUE(Visible(controls().help_button()));
  // (Its box's text and the idle look after it: connection_workflow_test.)
  ClickOn(controls().connect_button());
  ASSERT_TRUE(PumpUntil([&] { return !boxes_.empty(); }, 3000));
  // The third empty refresh in a row opens the help dialog.
  g_help_dialogs = 0;
  const UINT_PTR watch = SetTimer(nullptr, 0, 100, &WatchForHelpDialog);
  const std::string devices = test::AsLogged("adb\\adb.exe devices");
  for (int press = 1; press <= 3; ++press) {
    ClickOn(controls().refresh_button());
    ASSERT_TRUE(PumpUntil([&] { return CountOf(adb_->ReadLog(), devices) == press + 1; }, 20000));
    if (press < 3) {
      PumpFor(500);
      EXPECT_EQ(g_help_dialogs, 0) << "after " << press << " empty refreshes";
    }
  }
  EXPECT_TRUE(PumpUntil([&] { return g_help_dialogs == 1; }, 10000));
  KillTimer(nullptr, watch);
  EXPECT_EQ(dialog_->workflow()->refresh_count(), 0);  // counted afresh from here
  // The drag strip moves the window; below it nothing moves; minimise minimises.
  RECT before;
  GetWindowRect(main(), &before);
  ASSERT_TRUE(DragAndRelease({300, 30}, {360, 70}));
  PumpFor(300);
  RECT after;
  GetWindowRect(main(), &after);
  EXPECT_EQ(after.left - before.left, 60);
  EXPECT_EQ(after.top - before.top, 40);
  ASSERT_TRUE(DragAndRelease({300, 595}, {330, 560}));
  PumpFor(300);
  RECT still;
  GetWindowRect(main(), &still);
  EXPECT_EQ(still.left, after.left);
  ClickOn(controls().minimise_button());
  ASSERT_TRUE(PumpUntil([&] { return IsIconic(main()) != FALSE; }, 3000));
}

TEST_F(MainWindowTest, IphoneComesFirstThenAndroidsTheChosenOneStaysChosenBurstsRefreshOnce) {
  Attach("device UDID-ONE \xE6\xB5\x8B\xE8\xAF\x95\xE7\x9A\x84iPhone\n", kTwoAndroidPhones);
  Open();
  EXPECT_EQ(PickerItems(), (std::vector<std::string>{A("测试的iPhone"), "Pixel 7", "Galaxy S10"}));
  EXPECT_EQ(WindowText(controls().picker()), A("测试的iPhone"));
  EXPECT_EQ(controls().picker().GetCurSel(), 0);
  EXPECT_FALSE(Visible(controls().help_button()));
  Pick(2);
  EXPECT_FALSE(controls().picker().list_open());
  EXPECT_EQ(WindowText(controls().picker()), "Galaxy S10");
  // Connect takes the phone on the picked line; nobody answers: the failure box over the narrow
  // window (its caption and the idle look before it: connection_workflow_test).
  test::RefusingPort nobody;
  dialog_->stream_worker()->SetPort(nobody.port());
  ClickOn(controls().connect_button());
  ASSERT_TRUE(PumpUntil([&] { return !boxes_.empty(); }, 20000));
  EXPECT_EQ(dialog_->workflow()->current_device().identifier, "GALAXY03");
  EXPECT_NE(adb_->ReadLog().find("-s GALAXY03 forward tcp:8984 tcp:8984"), std::string::npos);
  EXPECT_EQ(boxes_[0].text,
            A("同步失败！请打开Quillet手机APP并进入直播模式。\nTips：QuilletAPP，首页右滑进入个人"
              "中心，选择「Orsel服务 - Zentrel」"));
  EXPECT_EQ(boxes_[0].window_width, 730);
  // A phone joins ahead of it in adb's list: the refreshed list selects the Galaxy where it now
  // stands, not the first line.
  adb_->WriteConfig("device NEW00004 device\ndevice PIXEL001 device\ndevice GALAXY03 device\n");
  ClickOn(controls().refresh_button());
  const std::vector<std::string> refreshed{A("测试的iPhone"), "NEW00004", "PIXEL001", "GALAXY03"};
  ASSERT_TRUE(PumpUntil([&] { return PickerItems() == refreshed; }, 20000));
  EXPECT_EQ(controls().picker().GetCurSel(), 3);
  // A burst of device changes gives one refresh, a second after the last.
  const std::string devices = test::AsLogged("adb\\adb.exe devices");
  ASSERT_EQ(CountOf(adb_->ReadLog(), devices), 2);
  for (int i = 0; i < 3; ++i) {
    PostMessageA(main(), WM_DEVICECHANGE, 7 /* DBT_DEVNODES_CHANGED */, 0);
    PumpFor(300);
  }
  EXPECT_EQ(CountOf(adb_->ReadLog(), devices), 2);  // not yet: a second after the last
  ASSERT_TRUE(PumpUntil([&] { return CountOf(adb_->ReadLog(), devices) == 3; }, 5000));
  PumpFor(2000);
  EXPECT_EQ(CountOf(adb_->ReadLog(), devices), 3);
  EXPECT_EQ(PickerItems().size(), 4u);
}

// The first child window of `parent` (descendants included, depth first) showing `text`.
HWND ChildWithText(HWND parent, const std::string& text) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (WindowText(child) == text) return child;
    if (HWND below = ChildWithText(child, text)) return below;
  }
  return nullptr;
}

// The demo phone: its pictures, its panel (sent at once, before the window has widened), its
// answers to taps, then video.
TEST_F(MainWindowTest, ConnectShowsThePanelFeedsCamerasFlipsTurnsUntilAPhoneQuits) {
  auto phone =
      test::StartPhone({"--resource-dir", VL_PANEL_PICTURES, "--script", VL_PANEL_SCRIPT, "--video",
                        test::ClipPath("landscape_1280x720"), "--fps", "30", "--loop", "0"});
  OpenWithAndroids();
  ASSERT_TRUE(XInput::Park());
  const int usable_link = DarkestInk(controls().refresh_button());
  ASSERT_TRUE(ConnectTo(phone->port())) << (boxes_.empty() ? "" : boxes_[0].text);
  EXPECT_EQ(WindowText(controls().connect_button()), A("断开连接"));
  EXPECT_TRUE(IsWindowEnabled(controls().connect_button()));
  EXPECT_FALSE(IsWindowEnabled(controls().picker()));
  EXPECT_FALSE(IsWindowEnabled(controls().refresh_button()));
  // The refresh link cannot be used while connected, and looks it: icon and text lighter than
  // when it works, still legible.
  // A busy machine repaints the disabled link late: wait up to two seconds for it to change.
  int disabled_link = usable_link;
  PumpUntil(
      [&] { return (disabled_link = DarkestInk(controls().refresh_button())) != usable_link; },
      2000);
  EXPECT_LT(usable_link, 130);
  EXPECT_GT(disabled_link, usable_link + 40);
  EXPECT_LT(disabled_link, 230);
  // The title bar's divider runs across the whole window, the panel's side too.
  {
    const test::ScreenShot window(main());
    for (int x : {2, 400, 727, 728, 900, 1077})
      EXPECT_EQ(window.at(x, 67), RGB(224, 224, 224)) << "x " << x;
  }
  // The phone's panel beside the preview; a real click on its beauty tab reaches the phone,
  // whose answer selects it.
  PanelHosting& host = *dialog_->panel_host();
  ASSERT_TRUE(PumpUntil([&] { return host.panel_window() != nullptr; }, 10000));
  HWND panel = host.panel_window();
  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(panel) != FALSE; }, 5000));
  RECT rc{};
  GetWindowRect(panel, &rc);
  MapWindowPoints(nullptr, main(), reinterpret_cast<POINT*>(&rc), 2);
  EXPECT_EQ((std::vector<LONG>{rc.left, rc.top, rc.right, rc.bottom}),
            (std::vector<LONG>{728, 68, 1078, 640}));
  HWND beauty = ChildWithText(panel, A("美颜"));
  ASSERT_NE(beauty, nullptr);
  ClickOn(beauty);
  const std::string click =
      "<command name=\"notify\"><event name=\"click\" id=\"11\" parent_id=\"2\"></event></command>";
  auto has_click = [&](const phonesim::SessionReport& r) {
    for (const auto& p : r.packets)
      if (p.packet.payload == click) return true;
    return false;
  };
  ASSERT_TRUE(PumpUntil([&] { return has_click(phone->Reports().back()); }, 10000));
  ASSERT_TRUE(PumpUntil(
      [&] {
        HWND caption = ChildWithText(panel, A("磨皮"));
        return caption && IsWindowVisible(caption);
      },
      10000));
  MainPreviewHost& preview = dialog_->preview_host();
  EXPECT_TRUE(Visible(preview.orientation_button()));
  EXPECT_TRUE(Visible(preview.vertical_flip_button()));
  EXPECT_EQ(WindowText(preview.orientation_button()), A("竖屏模式"));

  // The preview shows the phone's picture, not black.
  ASSERT_TRUE(PumpUntil([&] { return preview.preview().current_picture() != nullptr; }, 10000));
  PumpFor(500);
  int lit = 0;
  for (int y = 100; y < 500; y += 40)
    for (int x = 100; x < 700; x += 60) {
      const COLORREF c = test::PixelAt(preview.preview(), x, y);
      if (GetRValue(c) + GetGValue(c) + GetBValue(c) > 60) ++lit;
    }
  EXPECT_GT(lit, 50);  // of 110 points

  // The clip's corners are red, green, yellow and blue (clockwise from the top left): each flip
  // toggle reaches the pictures of the preview and of the camera.
  auto corners = [&] {
    const VideoFrame* f = preview.preview().current_picture();
    return f ? test::Corners(*f) : std::string();
  };
  ASSERT_TRUE(PumpUntil([&] { return corners() == "RGYB"; }, 10000)) << corners();
  ClickOn(preview.horizontal_flip_button());
  EXPECT_TRUE(PumpUntil([&] { return corners() == "GRBY"; }, 5000)) << corners();
  ClickOn(preview.vertical_flip_button());
  EXPECT_TRUE(PumpUntil([&] { return corners() == "YBRG"; }, 5000)) << corners();
  // A capture program on the landscape camera receives the phone's pictures. Its sample
  // (bottom-up BGR): the top-left corner is the clip's bottom-right, yellow.
  const CameraSamples landscape = CaptureCamera(L"Velloria(\u6A2A\u5C4F)");
  ASSERT_TRUE(landscape.ok);
  ASSERT_EQ(landscape.width, 1280);
  EXPECT_EQ(landscape.height, 720);
  EXPECT_GT(PictureShare(landscape.bytes), 0.5);
  const uint8_t* top_left = landscape.bytes.data() + (720 - 1 - 36) * 1280 * 3 + 64 * 3;
  EXPECT_LT(top_left[0], 80);   // blue
  EXPECT_GT(top_left[1], 170);  // green
  EXPECT_GT(top_left[2], 170);  // red
  ClickOn(preview.vertical_flip_button());
  ClickOn(preview.horizontal_flip_button());
  EXPECT_TRUE(PumpUntil([&] { return corners() == "RGYB"; }, 5000)) << corners();

  // The orientation toggle, clicked on the preview: the hint (its text: connection_workflow_test),
  // the new button text, and portrait pictures for the portrait camera.
  ClickOn(preview.orientation_button());
  ASSERT_TRUE(PumpUntil([&] { return !boxes_.empty(); }, 3000));
  EXPECT_EQ(WindowText(preview.orientation_button()), A("横屏模式"));
  ASSERT_TRUE(PumpUntil(
      [&] {
        VideoFrame* f = preview.preview().current_picture();
        return f && f->width() == 720 && f->height() == 1280;
      },
      10000));
  const CameraSamples portrait = CaptureCamera(L"Velloria(\u7AD6\u5C4F)");
  ASSERT_TRUE(portrait.ok);
  EXPECT_EQ(portrait.width, 720);
  EXPECT_EQ(portrait.height, 1280);
  EXPECT_GT(PictureShare(portrait.bytes), 0.5);

  ClickOn(preview.orientation_button());
  ASSERT_TRUE(PumpUntil([&] { return boxes_.size() == 2; }, 3000));
  EXPECT_EQ(WindowText(preview.orientation_button()), A("竖屏模式"));

  // Disconnect: back to the idle look, without a box.
  ClickOn(controls().connect_button());
  ASSERT_TRUE(WaitForWidth(730));
  EXPECT_EQ(WindowText(controls().connect_button()), A("马上连接"));
  EXPECT_TRUE(IsWindowEnabled(controls().picker()));
  EXPECT_FALSE(Visible(preview.orientation_button()));
  EXPECT_FALSE(IsWindowVisible(panel));
  EXPECT_EQ(boxes_.size(), 2u);
  EXPECT_EQ(phone->Reports()[0].protocol_errors, 0);

  // A phone that quits mid-stream (its clip lasts a second, then it closes the connection)
  // brings back the idle look without a box.
  auto quitting = test::StartPhone(
      {"--video", test::ClipPath(), "--fps", "30", "--end", "close", "--connections", "1"});
  ASSERT_TRUE(ConnectTo(quitting->port()));
  ASSERT_TRUE(WaitForWidth(730, 12000));
  EXPECT_EQ(WindowText(controls().connect_button()), A("马上连接"));
  EXPECT_TRUE(IsWindowEnabled(controls().connect_button()));
  EXPECT_EQ(boxes_.size(), 2u);
}

TEST_F(MainWindowTest, MissingAdbIsToldWithTheDriverLinkAndAnUpdateOfferIsTakenOnlyFromOurOwn) {
  // The driver link as the cached configuration holds it (read at the window's start).
  const std::string link = "http://www.velloria.com.cn/adb_driver.exe";
  ProgramSettingsStore settings;
  settings.Write(kAdbDriveUrlKey, link);
  Attach("device UDID-ONE \xE6\xB5\x8B\xE8\xAF\x95\xE7\x9A\x84iPhone\n", kTwoAndroidPhones);
  adb_->RemoveAdb();
  Open();
  settings.Write(kAdbDriveUrlKey, "");
  EXPECT_EQ(PickerItems(), std::vector<std::string>{A("测试的iPhone")});
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].text,
            A("未找到安卓手机连接组件adb\\adb.exe，无法检测安卓手机，请重新安装Velloria。\n"
              "安卓手机驱动下载：") +
                link);
  EXPECT_EQ(boxes_[0].caption, A("提示"));

  // The first balloon adds the window's own icon.
  std::vector<std::pair<DWORD, NOTIFYICONDATAA>> calls;
  dialog_->tray().SetNotifier([&](DWORD m, NOTIFYICONDATAA* d) {
    calls.push_back({m, *d});
    return TRUE;
  });
  dialog_->tray().ShowBalloon("update ready", "Velloria", NIIF_INFO, 3000);
  ASSERT_EQ(calls.size(), 2u);  // added, then the balloon (services_win_test checks their fields)
  EXPECT_EQ(calls[0].second.hWnd, main());
  EXPECT_EQ(calls[0].second.hIcon, dialog_->small_icon());
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(dialog_->small_icon(), &info));
  BITMAP mask{};
  GetObject(info.hbmMask, sizeof mask, &mask);
  EXPECT_EQ(mask.bmWidth, 16);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);

  // Any program can send the main window kMsgUpdateOffer with any number in lParam. Only an
  // address this process's update check is sending (through MainWindowLink, waiting for the
  // answer) is read; anything else is never touched, so it cannot crash the program or start a
  // download.
  // A download announces itself with a balloon first: one more call to the tray.
  static const char kInstaller[] = "http://127.0.0.1:1/Velloria_setup_9.9.9.9.exe";
  const LPARAM strangers[] = {0x10, reinterpret_cast<LPARAM>(kInstaller)};
  for (LPARAM address : strangers) {
    std::thread sender([&] { SendMessageA(main(), kMsgUpdateOffer, 0, address); });
    PumpUntil([] { return false; }, 200);
    sender.join();
    EXPECT_EQ(calls.size(), 2u) << address;
  }
  // The update check's own hand-over, from its thread, starts the download.
  std::thread fetch([&] { MainWindowLink(main()).StartUpdateDownload(kInstaller); });
  ASSERT_TRUE(PumpUntil([&] { return calls.size() > 2; }, 5000));
  fetch.join();
  // The address cannot be fetched: the retry question, answered No, ends the download.
  ASSERT_TRUE(PumpUntil([&] { return !dialog_->online_host().downloading(); }, 30000));
}

// Closing while the phone streams video and a resource every few milliseconds: the stream
// worker's thread, which hands the resources to the panel's store, has ended before the panel
// (and its store) is destroyed. (That Stop does not wait for a silent phone: stream_worker_test.) A
// watcher sees the panel manager go and notes whether a connection (the worker's reader) still
// existed at that moment.
TEST_F(MainWindowTest, ClosingWhileStreamingEndsTheWorkerBeforeThePanelGoes) {
  auto phone = test::StartPhone({"--resource-churn", "2:pic.png=4000", "--video", test::ClipPath(),
                                 "--fps", "60", "--loop", "0"});
  OpenWithAndroids();
  ASSERT_TRUE(ConnectTo(phone->port()));
  PumpFor(500);
  ASSERT_NE(PanelManager::Current(), nullptr);
  ASSERT_NE(BMTReader::Current(), nullptr);
  std::atomic<bool> watching{true};
  std::atomic<int> reader_when_panel_went{-1};
  std::thread watcher([&] {
    while (watching) {
      if (PanelManager::Current() == nullptr) {
        reader_when_panel_went = BMTReader::Current() != nullptr ? 1 : 0;
        return;
      }
    }
  });
  CloseWithExitCode2();
  for (int i = 0; i < 200 && reader_when_panel_went < 0; ++i) Sleep(10);
  watching = false;
  watcher.join();
  EXPECT_EQ(reader_when_panel_went.load(), 0);
}

}  // namespace
}  // namespace vl
