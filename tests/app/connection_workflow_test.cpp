// The connection workflow against a recording view, stream worker and device source: the
// picker's contents, connect / disconnect / failure with their looks and boxes, and the
// orientation, mirror and flip toggles.
#include "app/connection_workflow.h"

#include <gtest/gtest.h>

#include "common/text_convert.h"

namespace vl {
namespace {

const auto Ansi = Utf8ToAnsi;

// The view, stream worker, device source and host turns the workflow drives, in one recorder
// whose log keeps the order of everything it was asked.
class Recorder : public IConnectionView,
                 public IStreamControl,
                 public IDeviceSource,
                 public IWorkflowTurns {
 public:
  void ShowDevices(const std::vector<std::string>& n, int s) override {
    names = n;
    selected = s;
    Log("devices");
  }
  void SetPickerText(const std::string& text) override {
    picker_text = text;
    Log("picker text");
  }
  int SelectedDevice() const override { return selected; }
  void SetNoDeviceHelpVisible(bool v) override {
    help_visible = v;
    Log(v ? "help shown" : "help hidden");
  }
  void EndLoading() override { Log("loading ended"); }
  void SetConnectLook(ConnectLook look, bool enabled) override {
    static const char* const kNames[] = {"idle", "connecting", "connected"};
    Log(std::string("look ") + kNames[static_cast<int>(look)] + (enabled ? "" : " disabled"));
  }
  void SetConnectedLayout(bool connected) override { Log(connected ? "wide" : "narrow"); }
  void SetPreviewPolling(bool on) override { Log(on ? "polling" : "not polling"); }
  void SetOrientationLook(bool portrait) override {
    Log(portrait ? "button says landscape" : "button says portrait");
  }
  void ShowMessage(const std::string& text, const std::string& caption) override {
    boxes.push_back({text, caption});
    Log("box");
  }

  void Start(const DeviceEntry& d) override {
    started.push_back(d);
    running = true;
    Log("start " + d.identifier);
  }
  void Stop() override {
    running = false;
    Log("stop");
  }
  bool IsRunning() const override { return running; }
  std::string GetErrorText() const override { return "phone said no"; }
  void SetMirror(int m, int f) override { mirror_calls.push_back({m, f}); }
  void SetPortrait(int p) override { portrait_calls.push_back(p); }

  bool StartScan() override { return ++scans > 0; }
  std::vector<DeviceEntry> GetEntries() const override { return entries; }
  bool AdbMissing() const override { return adb_missing; }

  void OnEmptyDeviceList(int& count) override {
    counts_seen.push_back(count);
    if (count >= 3) count = 0;  // as the help dialog's turn does
    Log("empty turn");
  }
  void OnConnectedLayout() override { Log("panel shown"); }
  void OnDisconnectedLayout() override { Log("panel hidden"); }
  std::string AndroidDriverLink() override { return driver_link; }

  void Log(const std::string& what) { log.push_back(what); }
  std::vector<std::string> TakeLog() { return std::exchange(log, {}); }

  std::vector<std::string> names, log;
  int selected = -1;
  std::string picker_text, driver_link;
  bool help_visible = false;
  std::vector<std::pair<std::string, std::string>> boxes;
  std::vector<DeviceEntry> started, entries;
  bool running = false, adb_missing = false;
  std::vector<std::pair<int, int>> mirror_calls;
  std::vector<int> portrait_calls, counts_seen;
  int scans = 0;
};

const DeviceEntry kIphone{"iPhone", "UDID-1", kDeviceKindIos};
const DeviceEntry kPixel{"Pixel 7", "PIXEL001", kDeviceKindAndroid};
const DeviceEntry kGalaxy{"GALAXY03", "GALAXY03", kDeviceKindAndroid};

class ConnectionWorkflowTest : public ::testing::Test {
 protected:
  void Arrive(std::vector<DeviceEntry> entries) {
    r_.entries = std::move(entries);
    flow_.OnDeviceListArrived();
  }

  Recorder r_;
  ConnectionWorkflow flow_{r_, r_, r_, &r_};
};

TEST_F(ConnectionWorkflowTest, DeviceListsFillThePickerAndEmptyOnesGiveTheHostItsTurn) {
  EXPECT_EQ(flow_.state(), WorkflowState::kStarting);
  Arrive({kIphone, kPixel, kGalaxy});
  EXPECT_EQ(r_.names, (std::vector<std::string>{"iPhone", "Pixel 7", "GALAXY03"}));
  EXPECT_EQ(r_.selected, 0);
  EXPECT_EQ(r_.TakeLog(), (std::vector<std::string>{"devices", "help hidden", "loading ended"}));
  EXPECT_EQ(flow_.state(), WorkflowState::kIdle);
  // An empty list says no device, shows the help link and gives the host its turn.
  flow_.OnRefreshCommand();
  flow_.OnRefreshCommand();
  EXPECT_EQ(r_.scans, 2);
  EXPECT_EQ(r_.picker_text, Ansi("正在读取设备列表..."));
  Arrive({});
  EXPECT_EQ(r_.selected, -1);
  EXPECT_EQ(r_.picker_text, Ansi("未检测到设备"));
  EXPECT_TRUE(r_.help_visible);
  EXPECT_EQ(r_.counts_seen, std::vector<int>{2});
  flow_.OnRefreshCommand();
  Arrive({});
  EXPECT_EQ(r_.counts_seen, (std::vector<int>{2, 3}));
  EXPECT_EQ(flow_.refresh_count(), 0);  // reset by the turn
  // A phone appears: the count starts again and the help link goes.
  flow_.OnRefreshCommand();
  Arrive({kPixel});
  EXPECT_EQ(flow_.refresh_count(), 0);
  EXPECT_FALSE(r_.help_visible);
}

TEST_F(ConnectionWorkflowTest, MissingAdbIsToldOnceBehindTheListedIphonesWithTheDriverLink) {
  const std::string kText =
      Ansi("未找到安卓手机连接组件adb\\adb.exe，无法检测安卓手机，请重新安装Velloria。");
  struct Case {
    std::string link, text;
  };
  for (const Case& c : {Case{"", kText}, Case{"http://www.velloria.com.cn/driver.exe",
                                              kText + Ansi("\n安卓手机驱动下载：") +
                                                  "http://www.velloria.com.cn/driver.exe"}}) {
    Recorder r;
    r.driver_link = c.link;
    r.adb_missing = true;
    r.entries = {kIphone};
    ConnectionWorkflow flow{r, r, r, &r};
    flow.OnDeviceListArrived();
    EXPECT_EQ(r.names, std::vector<std::string>{"iPhone"});
    EXPECT_EQ(r.TakeLog(),
              (std::vector<std::string>{"devices", "help hidden", "loading ended", "box"}));
    ASSERT_EQ(r.boxes.size(), 1u);
    EXPECT_EQ(r.boxes[0].first, c.text);
    EXPECT_EQ(r.boxes[0].second, Ansi("提示"));
    // Later scans, with adb still missing or missing again, say nothing more.
    flow.OnRefreshCommand();
    flow.OnDeviceListArrived();
    r.adb_missing = false;
    flow.OnDeviceListArrived();
    r.adb_missing = true;
    flow.OnDeviceListArrived();
    EXPECT_EQ(r.boxes.size(), 1u);
  }
}

TEST_F(ConnectionWorkflowTest, ConnectWithNoPhoneShowsTheBoxAndStartsNothing) {
  // No list, nothing selected, or a selection past the list's end (a picker out of step).
  struct Case {
    std::vector<DeviceEntry> list;
    int selected;
  };
  for (const Case& c : {Case{{}, -1}, Case{{kIphone, kPixel}, -1}, Case{{kIphone, kPixel}, 2}}) {
    Arrive(c.list);
    r_.selected = c.selected;
    r_.boxes.clear();
    r_.TakeLog();
    flow_.OnConnectCommand();
    ASSERT_EQ(r_.boxes.size(), 1u) << c.selected;
    EXPECT_EQ(r_.boxes[0].first, Ansi("无可用设备，请刷新设备列表"));
    EXPECT_EQ(r_.boxes[0].second, Ansi("无可用设备"));
    EXPECT_EQ(r_.TakeLog(), (std::vector<std::string>{"box", "look idle"}));
    EXPECT_TRUE(r_.started.empty());
  }
}

TEST_F(ConnectionWorkflowTest, ConnectStartsThePhoneShownAtTheSelectedPositionWhichStaysSelected) {
  Arrive({kIphone, kPixel});
  r_.selected = 1;
  // A scan running meanwhile has emptied and then reordered the scanner's list: the picker
  // still shows the first list, and its second line is the Pixel.
  r_.entries = {};
  flow_.OnConnectCommand();
  ASSERT_EQ(r_.started.size(), 1u);
  EXPECT_EQ(r_.started[0].identifier, "PIXEL001");
  EXPECT_TRUE(r_.boxes.empty());
  r_.running = false;
  flow_.OnFailed();
  r_.entries = {kPixel, kIphone};
  flow_.OnConnectCommand();
  ASSERT_EQ(r_.started.size(), 2u);
  EXPECT_EQ(r_.started[1].identifier, "PIXEL001");
  // Connected, a refreshed list keeps the Pixel selected where it now stands; with the same
  // identifier twice, the last one; without it, the first line.
  flow_.OnConnected();
  Arrive({kGalaxy, kPixel, kIphone});
  EXPECT_EQ(r_.selected, 1);
  Arrive({kPixel, kGalaxy, kPixel});
  EXPECT_EQ(r_.selected, 2);
  Arrive({kGalaxy, kIphone});
  EXPECT_EQ(r_.selected, 0);
  EXPECT_EQ(flow_.state(), WorkflowState::kConnected);
}

// Connected and disconnected looks in order. Then Enter while connecting (the dialog manager's
// IDOK is the connect command) gives the connection up: the worker ends it as a failed one, which
// is no failure to report. The next connection that fails by itself shows its box.
TEST_F(ConnectionWorkflowTest, LooksInOrderAndOnlyAFailureOfItsOwnShowsABox) {
  Arrive({kPixel});
  r_.TakeLog();
  flow_.OnConnectCommand();
  EXPECT_EQ(flow_.state(), WorkflowState::kConnecting);
  EXPECT_EQ(r_.TakeLog(), (std::vector<std::string>{"look connecting disabled", "start PIXEL001"}));
  flow_.OnConnected();
  EXPECT_EQ(flow_.state(), WorkflowState::kConnected);
  EXPECT_EQ(r_.TakeLog(),
            (std::vector<std::string>{"wide", "panel shown", "look connected", "polling"}));
  // The connect button while running: Disconnect.
  flow_.OnConnectCommand();
  EXPECT_EQ(r_.TakeLog(), (std::vector<std::string>{"stop", "look idle"}));
  const std::vector<std::string> back_to_idle{"narrow", "panel hidden", "look idle", "not polling"};
  flow_.OnDisconnected();
  EXPECT_EQ(r_.TakeLog(), back_to_idle);
  EXPECT_EQ(flow_.state(), WorkflowState::kIdle);

  flow_.OnConnectCommand();
  flow_.OnConnectCommand();  // Enter while connecting: given up
  r_.TakeLog();
  flow_.OnFailed();
  EXPECT_EQ(r_.TakeLog(), back_to_idle);
  EXPECT_TRUE(r_.boxes.empty());
  EXPECT_EQ(flow_.state(), WorkflowState::kIdle);
  // A failure of its own restores the idle look before its box.
  flow_.OnConnectCommand();
  r_.running = false;
  r_.TakeLog();
  flow_.OnFailed();
  std::vector<std::string> failed = back_to_idle;
  failed.push_back("box");
  EXPECT_EQ(r_.TakeLog(), failed);
  ASSERT_EQ(r_.boxes.size(), 1u);
  EXPECT_EQ(r_.boxes[0].first, "phone said no");
  EXPECT_EQ(r_.boxes[0].second, Ansi("同步失败"));
}

TEST_F(ConnectionWorkflowTest, OrientationMirrorAndFlipTogglesTellTheWorker) {
  flow_.ToggleOrientation();
  flow_.ToggleOrientation();
  EXPECT_EQ(r_.portrait_calls, (std::vector<int>{1, 0}));
  ASSERT_EQ(r_.boxes.size(), 2u);
  EXPECT_EQ(r_.boxes[0].first, Ansi("请在直播平台中，切换摄像头为“Velloria（竖屏）”"));
  EXPECT_EQ(r_.boxes[1].first, Ansi("请在直播平台中，切换摄像头为“Velloria（横屏）” "));
  EXPECT_EQ(r_.boxes[0].second, Ansi("提示"));
  EXPECT_EQ(r_.TakeLog(), (std::vector<std::string>{"button says landscape", "box",
                                                    "button says portrait", "box"}));
  EXPECT_FALSE(flow_.portrait());
  // Mirror and flip give the worker both flags, and outlive connections.
  flow_.ToggleMirror();
  flow_.ToggleFlip();
  Arrive({kPixel});
  flow_.OnConnectCommand();
  flow_.OnConnected();
  flow_.OnDisconnected();
  flow_.ToggleMirror();
  EXPECT_EQ(r_.mirror_calls, (std::vector<std::pair<int, int>>{{1, 0}, {1, 1}, {0, 1}}));
  EXPECT_TRUE(flow_.flip());
}

}  // namespace
}  // namespace vl
