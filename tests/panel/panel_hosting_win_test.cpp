// The panel's real windows under Wine: where they go in the main window, what they paint, and real
// mouse input (xdotool) on them reaching the phone simulator as event packets, with the phone's
// answers changing the panel.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <tuple>
#include <utility>

#include "app/main_dlg_layout.h"
#include "common/main_window_messages.h"
#include "common/text_convert.h"
#include "common/win/window_impl.h"
#include "device/socket_layer.h"
#include "media/stream_worker.h"
#include "panel/dui_items.h"
#include "panel/dui_pages.h"
#include "panel/event_text.h"
#include "panel/filter_band.h"
#include "panel/list_view_window_win.h"
#include "panel/page_windows_win.h"
#include "panel/panel_hosting_win.h"
#include "panel/control_window_win.h"
#include "panel/slider_window_win.h"
#include "widgets/slider_math.h"
#include "tests/device/fake_adb_workdir.h"
#include "tests/media/stream_test_support.h"
#include "tests/panel/panel_test_support.h"
#include "tests/widgets/widget_test_support.h"
#include "tools/vcam_capture/bmp_file.h"

namespace vl {
namespace {

using test::Config;

// A main window that hosts the panel the way the program's main window does (messages
// kMsgStreamConnected to kMsgPanelCommand from a real stream worker), at the screen's top-left
// corner, above everything: clicks land where the tests aim.
class PanelHostWindow : public win::CWindowImpl<PanelHostWindow> {
 public:
  static constexpr int kUnconnectedWidth = 730;
  static constexpr int kHeight = 648;

  PanelHostWindow() {
    Create(nullptr, RECT{0, 0, kUnconnectedWidth, kHeight}, "Velloria panel test",
           WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, WS_EX_TOPMOST);
    hosting_ = std::make_unique<PanelHosting>(m_hWnd, main_layout::kPanel);
    ::SetForegroundWindow(m_hWnd);
    test::PumpFor(50);
  }
  static const char* GetWndClassName() { return "VelloriaPanelTestHost"; }
  static HBRUSH GetWndBackground() { return reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1); }

  PanelHosting& hosting() { return *hosting_; }
  PanelManager& manager() { return hosting_->manager(); }
  bool connected() const { return connected_; }
  bool keep_panel_when_disconnected = false;  // to click it while no connection exists
  // Sends a command as the stream worker does (kMsgPanelCommand, synchronous).
  void SendCommand(const std::string& ansi_text) {
    ::SendMessageA(m_hWnd, kMsgPanelCommand, 0, reinterpret_cast<LPARAM>(ansi_text.c_str()));
  }

  BEGIN_MSG_MAP(PanelHostWindow)
  MESSAGE_HANDLER(kMsgStreamConnected, OnConnected)
  MESSAGE_HANDLER(kMsgStreamRunEnded, OnDisconnected)
  MESSAGE_HANDLER(kMsgStreamConnectFailed, OnDisconnected)
  MESSAGE_HANDLER(kMsgPanelCommand, OnPanelCommand)
  END_MSG_MAP()

 private:
  LRESULT OnConnected(UINT, WPARAM, LPARAM, BOOL&) {
    connected_ = true;
    SetWidth(main_layout::kConnectedWidth);
    hosting_->OnConnected();
    return 0;
  }
  LRESULT OnDisconnected(UINT, WPARAM, LPARAM, BOOL&) {
    connected_ = false;
    if (!keep_panel_when_disconnected) {
      SetWidth(kUnconnectedWidth);
      hosting_->OnDisconnected();
    }
    return 0;
  }
  LRESULT OnPanelCommand(UINT, WPARAM, LPARAM l, BOOL&) {
    hosting_->ApplyCommand(reinterpret_cast<const char*>(l));
    return 0;
  }
  void SetWidth(int width) {
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, width, kHeight, SWP_NOMOVE | SWP_NOZORDER);
  }

  std::unique_ptr<PanelHosting> hosting_;
  bool connected_ = false;
};

bool Near(COLORREF a, COLORREF b, int tolerance) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance &&
         std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

// Client rectangle of `child` in `parent`'s client coordinates.
RECT RectIn(HWND child, HWND parent) {
  RECT rc{};
  ::GetWindowRect(child, &rc);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
  return rc;
}

constexpr COLORREF kPink = RGB(231, 89, 137);
constexpr COLORREF kWhite = RGB(255, 255, 255);

// The demo phone's panel, as the main window receives it (ANSI).
std::string DemoPanel() {
  const auto bytes = test::ReadBytes(std::string(VL_PANEL_SCRIPT_DIR) + "/beauty_panel.xml");
  return Utf8ToAnsi(std::string(bytes.begin(), bytes.end()));
}

COLORREF Colour(uint32_t rrggbb) {
  return RGB(rrggbb >> 16, (rrggbb >> 8) & 0xFF, rrggbb & 0xFF);
}

// A pixel as the screen shows it once the paint has reached the display.
COLORREF Pixel(HWND window, int x, int y) {
  ::RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  test::PumpFor(40);
  return test::PixelAt(window, x, y);
}

// Windows in `root`'s tree (the root's own included).
int WindowsUnder(HWND root) {
  int count = 1;
  for (HWND c = ::GetWindow(root, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
    count += WindowsUnder(c);
  return count;
}

// The rows [first, last] of a window's pixels between x `left` and `right` that carry ink (text
// darker than light grey); {-1, -1} when none do.
std::pair<int, int> InkRows(const test::ScreenShot& shot, int left, int right) {
  int first = -1, last = -1;
  for (int y = 0; y < shot.height(); ++y)
    for (int x = left; x < right; ++x) {
      const COLORREF c = shot.at(x, y);
      if ((GetRValue(c) + GetGValue(c) + GetBValue(c)) / 3 < 200) {
        if (first < 0) first = y;
        last = y;
      }
    }
  return {first, last};
}

class PanelWindowTest : public ::testing::Test {
 protected:
  DUICtrl* Find(int32_t id) { return host_.manager().FindControl(id, RootSearch::kWithRoot); }
  HWND Window(int32_t id) {  // the control's window, null when it has none
    const DUICtrl* c = Find(id);
    return c && c->view() ? static_cast<ControlWindow*>(c->view())->m_hWnd : nullptr;
  }
  void Connect() {  // what kMsgStreamConnected does, without a phone
    ::PostMessageA(host_, kMsgStreamConnected, 0, 0);
    ASSERT_TRUE(test::PumpUntil([&] { return host_.connected(); }));
  }

  PanelWindowTest() { test::EnsureGdiplus(); }
  PanelHostWindow host_;
};

// The first config, the windows each class makes and the pointer timer.
TEST_F(PanelWindowTest, WindowsFollowTheConnectionAndKeepToTheirBounds) {
  // As it happens: kMsgPanelCommand (sent) overtakes kMsgStreamConnected (posted) while the window
  // is still 730 wide. The panel is laid out for the connected window all the same.
  host_.SendCommand(DemoPanel());
  HWND panel = host_.hosting().panel_window();
  ASSERT_NE(panel, nullptr);
  EXPECT_FALSE(::IsWindowVisible(panel));
  const RECT area = RectIn(panel, host_);
  EXPECT_EQ(std::make_tuple(area.left, area.top, area.right, area.bottom),
            std::make_tuple(728L, 68L, 1078L, 640L));
  // Its children were laid out for that width too: four tabs of 87 pixels.
  EXPECT_EQ(RectIn(Window(10), Window(2)).right, 87);
  EXPECT_EQ(RectIn(Window(13), Window(2)).right, 348);
  Connect();
  EXPECT_TRUE(::IsWindowVisible(panel));
  // Disconnected: hidden, unchanged; shown again at the next connection.
  ::PostMessageA(host_, kMsgStreamRunEnded, 0, 0);
  ASSERT_TRUE(test::PumpUntil([&] { return !host_.connected(); }));
  EXPECT_FALSE(::IsWindowVisible(panel));
  Connect();
  EXPECT_EQ(host_.hosting().panel_window(), panel);
  EXPECT_TRUE(::IsWindowVisible(panel));
  // A null command text changes nothing.
  ::SendMessageA(host_, kMsgPanelCommand, 0, 0);
  EXPECT_EQ(host_.hosting().panel_window(), panel);

  // The windows each class really makes, as the window bound counts them (ViewWindows), each class
  // where its parent gives it a window, `%` standing for it.
  const std::string in_tabs = R"(<ctrl class="tab_holder" id="2">%</ctrl>)";
  const std::string in_switch = R"(<ctrl class="page_switch" id="2" selected="4">%</ctrl>)";
  const std::string in_grid =
      R"(<ctrl class="page_switch" id="2" selected="3"><ctrl class="page_list" id="3">%</ctrl>)"
      "</ctrl>";
  const std::pair<const char*, std::string> cases[] = {
      {"tab", in_tabs},         {"page_list", in_switch}, {"page_adjust", in_switch},
      {"filter_item", in_grid}, {"circle_item", in_grid}, {"decor_item", in_grid},
      {"slider", in_grid},      {"tab_holder", "%"},      {"page_switch", "%"}};
  for (const auto& [cls, around] : cases) {
    SCOPED_TRACE(cls);
    const size_t at = around.find('%');
    host_.SendCommand(Config(around.substr(0, at) + around.substr(at + 1)));
    const int without = WindowsUnder(host_.hosting().panel_window());
    host_.SendCommand(Config(around.substr(0, at) + test::Ctrls(cls, 4) + around.substr(at + 1)));
    const DUICtrl* control = Find(4);
    ASSERT_NE(control, nullptr);
    ASSERT_TRUE(control->HasWindow());
    int expected = ViewWindows(control->kind());
    // A page's item list is a control of its own, with its own windows.
    if (IsPageClass(control->kind())) expected += ViewWindows(ControlClass::kListView);
    EXPECT_EQ(WindowsUnder(host_.hosting().panel_window()) - without, expected);
  }

  // Hundreds of item lists share one pointer timer: the thread gets about one timer message per 10
  // ms, not one per list.
  host_.SendCommand(Config(R"(<ctrl class="page_switch" id="2" selected="10">)" +
                           test::Ctrls("page_list", 10, 400) + "</ctrl>"));
  test::PumpFor(100);
  int timer_messages = 0;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 500) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_TIMER) ++timer_messages;
      DispatchMessageA(&msg);
    }
    Sleep(1);
  }
  // One 10 ms timer for 500 ms: about 50 (Wine may merge late ones); 400 timers: thousands.
  EXPECT_LE(timer_messages, 120);
  EXPECT_GT(timer_messages, 5);  // and the pointer is still watched
  // Gone with the panel.
  host_.SendCommand(Config(""));
  EXPECT_FALSE(ListPointerWatch::Ticking());
}

// With a real stream worker and the demo phone.
class PanelPhoneTest : public PanelWindowTest {
 protected:
  void TearDown() override {
    if (phone_) phone_->Shutdown();  // the run ends at once, not at a receive time-out
    if (worker_.IsRunning()) worker_.Stop();
  }
  std::vector<std::string> Events(size_t session = 0) {
    std::vector<std::string> events;
    const auto reports = phone_->Reports();
    if (session >= reports.size()) return events;
    for (const auto& p : reports[session].packets)
      if (p.packet.type == 4) events.push_back(p.packet.payload);
    return events;
  }
  // Pumps until the phone has received `n` events in the session.
  bool WaitEvents(size_t n, size_t session = 0) {
    return test::PumpUntil([&] { return Events(session).size() >= n; });
  }
  void Modify(int parent, const std::string& ctrls) {
    host_.SendCommand(test::Command("modify", parent, ctrls));
  }

  net::SocketLibrary sockets_;
  test::FakeAdbWorkdir adb_{"device PHONE1 device\n"};
  std::unique_ptr<phonesim::PhoneSimulator> phone_;
  DeviceEntry entry_;
  StreamWorker worker_;
};

// The demo phone's panel, one connection after another: what its items, tabs and sliders paint, and
// real clicks, drags and the wheel on them reaching the phone, whose answers change it.
TEST_F(PanelPhoneTest, TheDemoPanelPaintsAndTakesRealInputThePhoneAnswers) {
  ASSERT_TRUE(test::XInput::Park());
  phone_ = test::StartPhone({"--resource-dir", VL_PANEL_PICTURES, "--script",
                             std::string(VL_PANEL_SCRIPT_DIR) + "/beauty_panel.script",
                             "--connections", "2"});
  worker_.SetNotifyWindow(host_);
  worker_.SetResourceStore(&host_.manager());
  worker_.SetDecoderFactory({});
  worker_.SetPort(phone_->port());
  entry_.identifier = "PHONE1";
  entry_.kind = 2;
  worker_.Start(&entry_);
  ASSERT_TRUE(test::PumpUntil([&] { return host_.connected() && Find(114) != nullptr; }, 20000));
  test::PumpFor(200);
  // The demo phone's pictures came first, one per item; four tabs over four pages.
  EXPECT_EQ(host_.manager().resources().count(), 31u);
  std::vector<uint8_t> png;
  ASSERT_TRUE(host_.manager().FindResource("filter_retro.png", &png));
  EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
  EXPECT_EQ(Find(2)->GetChildren().size(), 4u);
  EXPECT_EQ(Find(20)->GetChildren().size(), 15u);
  EXPECT_TRUE(static_cast<DUIFilterItem*>(Find(100))->plain());

  // Filter items: "原图" is plain and selected at start.
  HWND original = Window(100);
  HWND natural = Window(101);
  ASSERT_NE(original, nullptr);
  RECT rc{};
  ::GetClientRect(original, &rc);
  EXPECT_EQ(std::make_pair(rc.right, rc.bottom), std::make_pair(68L, 90L));
  // Selected: the square in the pink mask colour (alpha 0xE5 over the picture), the band below it
  // exactly under the square (rows 68 to 89), in the readable band colour.
  const COLORREF square = Pixel(original, 2, 2);
  EXPECT_GT(GetRValue(square), 200);
  EXPECT_LT(GetGValue(square), 120);
  for (int y : {68, 79, 89})
    EXPECT_EQ(Pixel(original, 2, y), Colour(FilterBandColour(0xE75988, false))) << "row " << y;
  EXPECT_NE(Pixel(original, 2, 67), Pixel(original, 2, 68));  // the square ends, the band starts
  // Not selected and not plain: the picture and a band; a plain one unselected: no band.
  EXPECT_FALSE(Near(Pixel(natural, 2, 68 + 2), kWhite, 8));
  Modify(3, Utf8ToAnsi(R"(<ctrl class="page_list" id="20" name="滤镜" selected="109"/>)"));
  EXPECT_TRUE(Near(Pixel(original, 2, 68 + 2), kWhite, 0));
  EXPECT_EQ(test::WindowText(original), Utf8ToAnsi("原图"));
  // The forest filter's own mask colour (0x3BA55C): its band, and darker still while
  // hovered, where the square is the opaque mask colour.
  HWND forest = Window(109);
  const COLORREF band = Pixel(forest, 2, 68 + 2);
  EXPECT_EQ(band, Colour(FilterBandColour(0x3BA55C, false)));
  EXPECT_GT(GetGValue(band), GetRValue(band));  // still green
  test::XInput::MoveTo(test::ScreenPoint(forest, 34, 20));
  ASSERT_TRUE(test::PumpUntil(
      [&] { return Pixel(forest, 2, 68 + 2) == Colour(FilterBandColour(0x3BA55C, true)); }));
  EXPECT_TRUE(Near(Pixel(forest, 2, 2), RGB(0x3B, 0xA5, 0x5C), 1));
  test::XInput::Park();

  // A wide picture (any format GDI+ decodes) is fitted into the square and centred.
  tools::BmpPicture blue{136, 68, 24, {}};
  for (int i = 0; i < 136 * 68; ++i) blue.pixels.insert(blue.pixels.end(), {255, 0, 0});
  std::vector<uint8_t> bmp;
  ASSERT_TRUE(tools::EncodeBmp(blue, &bmp));
  auto data = std::make_unique<uint8_t[]>(bmp.size());
  std::copy(bmp.begin(), bmp.end(), data.get());
  host_.manager().AddResource("wide.bmp", std::move(data), static_cast<int32_t>(bmp.size()));
  Modify(20, R"(<ctrl id="101" image="wide.bmp"/>)");
  auto* item = static_cast<DUIPictureItem*>(Find(101));
  ASSERT_NE(item->picture(), nullptr);
  EXPECT_EQ(item->picture()->width(), 68);
  EXPECT_EQ(item->picture()->height(), 34);
  EXPECT_TRUE(Near(Pixel(natural, 34, 15), kWhite, 0));
  EXPECT_TRUE(Near(Pixel(natural, 34, 18), RGB(0, 0, 255), 2));
  EXPECT_TRUE(Near(Pixel(natural, 34, 50), RGB(0, 0, 255), 2));
  EXPECT_TRUE(Near(Pixel(natural, 34, 52), kWhite, 0));
  // Bytes that are not a picture keep it.
  host_.manager().AddResource("junk.png", std::make_unique<uint8_t[]>(10), 10);
  Modify(20, R"(<ctrl id="101" image="junk.png"/>)");
  ASSERT_NE(item->picture(), nullptr);
  EXPECT_EQ(item->picture()->height(), 34);

  // The wheel scrolls the grid by one row.
  auto* list = static_cast<ListViewWindow*>(static_cast<DUIPageList*>(Find(20))->list().view());
  const int top = RectIn(original, list->container()).top;
  test::XInput::MoveTo(test::ScreenCentre(original));
  ASSERT_TRUE(test::PumpUntil([&] { return list->pointer_inside(); }));
  EXPECT_TRUE(::IsWindowVisible(list->scroll_bar().m_hWnd));  // 15 filters: taller than the view
  test::XInput::Run("click 5");                               // wheel towards the user
  // One row is 102 pixels; the grid (5 rows, 498 pixels) is only 69 taller than the view (448), and
  // the bar's range adds 19: the position stops at 69.
  ASSERT_TRUE(test::PumpUntil([&] { return list->scroll_offset() == 69; }));
  EXPECT_EQ(RectIn(original, list->container()).top, top - 69);
  test::XInput::Run("click 4");
  ASSERT_TRUE(test::PumpUntil([&] { return list->scroll_offset() == 0; }));
  test::XInput::Park();
  ASSERT_TRUE(test::PumpUntil([&] { return !list->pointer_inside(); }));
  EXPECT_FALSE(::IsWindowVisible(list->scroll_bar().m_hWnd));

  // Circle items: outside the disc the mask is white; inside, the swatch. "无", a cancel item
  // selected at start, shows only a ring.
  Modify(1, R"(<ctrl class="page_switch" id="3" selected="22"/>)");
  HWND none = Window(300);
  HWND red = Window(302);
  EXPECT_TRUE(Near(Pixel(red, 1, 1), kWhite, 2));
  const COLORREF swatch = Pixel(red, 34, 50);
  EXPECT_GT(GetRValue(swatch), 150);
  EXPECT_LT(GetGValue(swatch), 80);
  EXPECT_TRUE(Near(Pixel(none, 34, 2), kPink, 40));
  Modify(3, Utf8ToAnsi(R"(<ctrl class="page_list" id="22" name="美妆" selected="302"/>)"));
  // Selected (not cancel): a pink disc over the swatch at alpha 0xCC, with the white pencil.
  EXPECT_TRUE(Near(Pixel(red, 12, 34), kPink, 30));
  EXPECT_TRUE(Near(Pixel(none, 34, 2), kWhite, 30));
  Modify(1, R"(<ctrl class="page_switch" id="3" selected="20"/>)");

  // A click on an item, which the phone answers by selecting it.
  test::XInput::Click(test::ScreenCentre(Window(106)));
  ASSERT_TRUE(WaitEvents(1));
  EXPECT_EQ(Events()[0], BuildEventText("click", 106, 20, {}));
  ASSERT_TRUE(test::PumpUntil([&] { return static_cast<DUIItem*>(Find(106))->selected(); }));
  EXPECT_FALSE(static_cast<DUIItem*>(Find(109))->selected());

  // The beauty tab: the phone's answer selects it and its page.
  ASSERT_TRUE(::IsWindowVisible(Window(20)));
  test::XInput::Click(test::ScreenCentre(Window(11)));
  ASSERT_TRUE(WaitEvents(2));
  EXPECT_EQ(Events()[1], BuildEventText("click", 11, 2, {}));
  ASSERT_TRUE(test::PumpUntil([&] { return ::IsWindowVisible(Window(21)); }));
  EXPECT_FALSE(::IsWindowVisible(Window(20)));
  // The selected tab's pink bar (two rows), the other's grey line.
  HWND beauty = Window(11);
  HWND filters = Window(10);
  ::GetClientRect(beauty, &rc);
  EXPECT_EQ(test::WindowText(beauty), Utf8ToAnsi("美颜"));
  EXPECT_TRUE(Near(Pixel(beauty, 5, rc.bottom - 1), kPink, 0));
  EXPECT_TRUE(Near(Pixel(beauty, 5, rc.bottom - 2), kPink, 0));
  EXPECT_TRUE(Near(Pixel(beauty, 5, rc.bottom - 3), kWhite, 0));
  EXPECT_TRUE(Near(Pixel(filters, 5, rc.bottom - 1), RGB(0xED, 0xED, 0xED), 0));
  EXPECT_TRUE(Near(Pixel(filters, 5, rc.bottom - 2), kWhite, 0));
  Modify(1, R"(<ctrl class="tab_holder" id="2" selected="10"/>)");
  EXPECT_TRUE(Near(Pixel(filters, 5, rc.bottom - 2), kPink, 0));
  EXPECT_TRUE(Near(Pixel(beauty, 5, rc.bottom - 2), kWhite, 0));

  // The sliders' captions and values sit on the track: their ink is centred on its centre line,
  // between rows 10 and 11 of the 22-pixel cell.
  auto* adjust = static_cast<DUIPageAdjust*>(Find(21));
  ASSERT_EQ(adjust->list().GetChildren().size(), 7u);
  auto* smooth = static_cast<DUISlider*>(adjust->list().GetChildren()[0]);
  auto* smooth_view = static_cast<SliderWindow*>(smooth->view());
  ASSERT_NE(smooth_view, nullptr);
  EXPECT_EQ(test::WindowText(smooth_view->name_label()), Utf8ToAnsi("磨皮"));
  EXPECT_EQ(test::WindowText(smooth_view->value_label()), "60");
  ASSERT_TRUE(::IsWindowVisible(smooth_view->m_hWnd));
  test::PumpFor(50);
  const test::ScreenShot ink(smooth_view->m_hWnd);
  // The track's top row, filled up to the thumb at 60 of 0..100.
  EXPECT_EQ(ink.at(150, SliderTrackTop(22)), RGB(232, 88, 137));
  for (auto [left, right] : {std::pair{0, 40}, std::pair{270, 310}}) {
    const auto [first, last] = InkRows(ink, left, right);
    ASSERT_GE(first, 0) << "no text in " << left << ".." << right;
    EXPECT_NEAR((first + last) / 2.0, 10.5, 1.0)
        << "ink rows " << first << ".." << last << " of the text in " << left << ".." << right;
  }
  auto* whiten = static_cast<DUISlider*>(adjust->list().GetChildren()[1]);  // 美白, at 40
  auto* view = static_cast<SliderWindow*>(whiten->view());

  // A drag past the track's end reports each changed value, then the release at the maximum.
  HWND track = view->slider().m_hWnd;
  ::GetClientRect(track, &rc);
  const SIZE thumb = view->slider().ThumbSize();
  const int y = rc.bottom / 2;
  const POINT from = test::ScreenPoint(track, view->slider().ThumbLeft() + thumb.cx / 2, y);
  const POINT to = test::ScreenPoint(track, rc.right - thumb.cx / 2 - 1, y);
  const size_t before = Events().size();
  test::XInput::MoveTo(from);
  test::XInput::Run("mousedown 1");
  for (int x = from.x + 10; x <= to.x; x += 30) test::XInput::MoveTo(POINT{x, from.y});
  test::XInput::MoveTo(POINT{to.x + 40, from.y});  // past the end: the value stops at the maximum
  test::XInput::Run("mouseup 1");
  ASSERT_TRUE(test::PumpUntil([&] {
    const auto e = Events();
    return e.size() > before && e.back().find("slider_end") != std::string::npos;
  }));
  auto events = Events();
  std::vector<std::string> moves(events.begin() + static_cast<long>(before), events.end() - 1);
  ASSERT_GE(moves.size(), 3u);
  int last = -1;
  for (const std::string& e : moves) {
    ASSERT_NE(e.find("\"slider_pos\" id=\"201\" parent_id=\"21\" pos=\""), std::string::npos) << e;
    const int pos = std::atoi(e.c_str() + e.find("pos=\"", e.find("parent_id")) + 5);
    EXPECT_NE(pos, last);  // only changes are reported
    last = pos;
  }
  EXPECT_EQ(last, 100);
  EXPECT_EQ(events.back(), BuildEventText("slider_end", 201, 21, {{"pos", "100"}}));
  EXPECT_EQ(test::WindowText(view->value_label()), "100");
  EXPECT_EQ(whiten->value(), 100);

  // Reset puts the phone's values back; back returns to the filters.
  auto* page = static_cast<PageAdjustWindow*>(Find(21)->view());
  Modify(21, R"(<ctrl id="200" pos="99"/>)");
  EXPECT_EQ(smooth->value(), 99);
  const size_t sent = Events().size();
  test::XInput::Click(test::ScreenCentre(page->reset_button().m_hWnd));
  ASSERT_TRUE(WaitEvents(sent + 1));
  EXPECT_EQ(Events()[sent], BuildEventText("custom", 21, 3, {{"event", "reset"}}));
  ASSERT_TRUE(test::PumpUntil([&] { return smooth->value() == 60; }));
  test::XInput::Click(test::ScreenCentre(page->back_button().m_hWnd));
  ASSERT_TRUE(WaitEvents(sent + 2));
  EXPECT_EQ(Events()[sent + 1], BuildEventText("custom", 21, 3, {{"event", "back"}}));
  ASSERT_TRUE(test::PumpUntil([&] { return ::IsWindowVisible(Window(20)); }));

  // The phone's modifies reach the labels (empty and inverted ranges too), send nothing back, and
  // leave the caption the label was made with.
  Modify(21, R"(<ctrl id="200" pos="10"/>)");
  Modify(21, R"(<ctrl id="200" min="20"/>)");
  EXPECT_EQ(test::WindowText(smooth_view->value_label()), "20");
  EXPECT_EQ(smooth_view->slider().GetValue(), 20);
  EXPECT_EQ(smooth_view->slider().GetMinimum(), 20);
  Modify(21, R"(<ctrl id="200" min="70" max="70"/><ctrl id="201" min="90" max="10" pos="50"/>)");
  EXPECT_EQ(test::WindowText(smooth_view->value_label()), "70");
  Modify(21, R"(<ctrl id="200" name="x"/>)");
  EXPECT_EQ(test::WindowText(smooth_view->name_label()), Utf8ToAnsi("磨皮"));
  test::PumpFor(50);
  EXPECT_EQ(Events().size(), sent + 2);
  EXPECT_EQ(phone_->Reports()[0].protocol_errors, 0);

  // Disconnected, a click and a double-click (click, doubleclick, click) wait for the next
  // connection and go out after its handshake.
  host_.keep_panel_when_disconnected = true;
  worker_.Stop();
  ASSERT_TRUE(test::PumpUntil([&] { return !host_.connected(); }));
  test::XInput::Click(test::ScreenCentre(Window(104)));
  const POINT p = test::ScreenCentre(Window(105));
  test::XInput::Run("mousemove " + std::to_string(p.x) + " " + std::to_string(p.y) +
                    " click --repeat 2 --delay 60 1");
  ASSERT_TRUE(test::PumpUntil([&] { return host_.manager().outbox().pending() == 4; }));
  EXPECT_EQ(Events(0).size(), sent + 2);
  worker_.Start(&entry_);
  ASSERT_TRUE(WaitEvents(4, 1));
  EXPECT_EQ(Events(1),
            (std::vector<std::string>{
                BuildEventText("click", 104, 20, {}), BuildEventText("click", 105, 20, {}),
                BuildEventText("doubleclick", 105, 20, {}), BuildEventText("click", 105, 20, {})}));
  EXPECT_EQ(phone_->Reports()[1].protocol_errors, 0);
}

}  // namespace
}  // namespace vl
