// The panel's real windows under Wine: where they go in the main window, what they paint, and
// real mouse input (xdotool) on them reaching the phone simulator as event packets, with the
// phone's answers changing the panel.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <utility>

#include "common/text_convert.h"
#include "device/socket_layer.h"
#include "media/stream_worker.h"
#include "panel/dui_items.h"
#include "panel/dui_pages.h"
#include "panel/dui_tabs.h"
#include "panel/filter_band.h"
#include "panel/item_windows_win.h"
#include "panel/list_view_window_win.h"
#include "panel/page_windows_win.h"
#include "panel/panel_limits.h"
#include "panel/slider_window_win.h"
#include "widgets/slider_math.h"
#include "tests/device/fake_adb_workdir.h"
#include "tests/media/stream_test_support.h"
#include "tests/panel/panel_win_test_support.h"

namespace vl {
namespace {

using phonesim::SessionReport;
using test::PanelHostWindow;
using test::WindowOf;

constexpr COLORREF kPink = RGB(231, 89, 137);

// The demo phone's panel, as the main window receives it (ANSI).
std::string DemoPanel() {
  const auto bytes = test::ReadBytes(std::string(VL_PANEL_SCRIPT_DIR) + "/beauty_panel.xml");
  return Utf8ToAnsi(std::string(bytes.begin(), bytes.end()));
}

void AddDemoPictures(PanelManager& manager) {
  for (const auto& e : std::filesystem::directory_iterator(VL_PANEL_PICTURES)) {
    const auto bytes = test::ReadBytes(e.path().string());
    auto data = std::make_unique<uint8_t[]>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), data.get());
    manager.AddResource(e.path().filename().string(), std::move(data),
                        static_cast<int32_t>(bytes.size()));
  }
}

COLORREF Colour(uint32_t rrggbb) {
  return RGB(rrggbb >> 16, (rrggbb >> 8) & 0xFF, rrggbb & 0xFF);
}
uint32_t Rgb(COLORREF c) {
  return (static_cast<uint32_t>(GetRValue(c)) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

// A pixel as the screen shows it once the paint has reached the display.
COLORREF Pixel(HWND window, int x, int y) {
  ::RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  test::PumpFor(40);
  return test::PixelAt(window, x, y);
}

void DoubleClick(POINT p) {
  test::XInput::Run("mousemove " + std::to_string(p.x) + " " + std::to_string(p.y) +
                    " click --repeat 2 --delay 60 1");
}

class PanelWindowTest : public ::testing::Test {
 protected:
  DUICtrl* Find(int32_t id) { return host_.manager().FindControl(id, RootSearch::kWithRoot); }
  HWND Window(int32_t id) { return WindowOf(Find(id)); }
  void Connect() {  // what kMsgStreamConnected does, without a phone
    ::PostMessageA(host_, kMsgStreamConnected, 0, 0);
    ASSERT_TRUE(test::PumpUntil([&] { return host_.connected(); }));
  }

  PanelWindowTest() { test::EnsureGdiplus(); }
  PanelHostWindow host_;
};

TEST_F(PanelWindowTest, TheFirstConfigArrivingBeforeTheConnectionIsLaidOutForTheConnectedWindow) {
  // As it happens: kMsgPanelCommand (sent) overtakes kMsgStreamConnected (posted) while the window
  // is still 730 wide.
  host_.SendCommand(DemoPanel());
  HWND panel = host_.hosting().panel_window();
  ASSERT_NE(panel, nullptr);
  EXPECT_FALSE(::IsWindowVisible(panel));
  RECT rc = test::RectIn(panel, host_);
  EXPECT_EQ(rc.left, 728);
  EXPECT_EQ(rc.top, 68);
  EXPECT_EQ(rc.right, 1078);
  EXPECT_EQ(rc.bottom, 640);
  // Its children were laid out for that width too: four tabs of 87 pixels.
  EXPECT_EQ(test::RectIn(Window(10), Window(2)).right, 87);
  EXPECT_EQ(test::RectIn(Window(13), Window(2)).right, 348);
  Connect();
  EXPECT_TRUE(::IsWindowVisible(panel));
  EXPECT_EQ(test::RectIn(panel, host_).right, 1078);
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
}

BOOL CALLBACK CountWindow(HWND, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

// Windows in `root`'s tree (the root's own included).
int WindowsUnder(HWND root) {
  int count = 1;
  EnumChildWindows(root, CountWindow, reinterpret_cast<LPARAM>(&count));
  return count;
}

// The window bound counts what each class really makes: its view's own windows, one per
// control of every class but the adjustment page (three: the page, back, reset), the list (three:
// list, container, scroll bar) and the slider (four: cell, track, two labels).
TEST_F(PanelWindowTest, EveryClassMakesTheWindowsTheBoundCountsForIt) {
  // Each class where its parent gives it a window: {class, opening, closing} around it.
  const char* const kInTabRow[] = {"<ctrl class=\"tab_holder\" id=\"2\">", "</ctrl>"};
  const char* const kInSwitch[] = {"<ctrl class=\"page_switch\" id=\"2\" selected=\"4\">",
                                   "</ctrl>"};
  const char* const kInGrid[] = {
      "<ctrl class=\"page_switch\" id=\"2\" selected=\"3\"><ctrl class=\"page_list\" "
      "id=\"3\">",
      "</ctrl></ctrl>"};
  const char* const kInArea[] = {"", ""};
  const struct {
    const char* cls;
    const char* const* around;
  } cases[] = {{"tab", kInTabRow},       {"page_list", kInSwitch}, {"page_adjust", kInSwitch},
               {"filter_item", kInGrid}, {"circle_item", kInGrid}, {"decor_item", kInGrid},
               {"slider", kInGrid},      {"tab_holder", kInArea},  {"page_switch", kInArea}};
  Connect();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cls);
    auto panel = [&](const std::string& inside) {
      return std::string("<command name=\"config\"><ctrl class=\"op_area\" id=\"1\">") +
             c.around[0] + inside + c.around[1] + "</ctrl></command>";
    };
    host_.SendCommand(panel(""));
    const int without = WindowsUnder(host_.hosting().panel_window());
    host_.SendCommand(panel(std::string("<ctrl class=\"") + c.cls + "\" id=\"4\"/>"));
    const DUICtrl* control = Find(4);
    ASSERT_NE(control, nullptr);
    ASSERT_TRUE(control->HasWindow());
    int expected = ViewWindows(control->kind());
    // A page's item list is a control of its own, with its own windows.
    if (IsPageClass(control->kind())) expected += ViewWindows(ControlClass::kListView);
    EXPECT_EQ(WindowsUnder(host_.hosting().panel_window()) - without, expected);
  }
}

// A panel of as many adjustment pages as the control bound allows asks for more than 12,000
// windows: the panel keeps to its window bound, the pages past it stay without windows, the
// main window goes on working and the next ordinary panel gets all its windows.
TEST_F(PanelWindowTest, APanelKeepsToItsWindowBound) {
  Connect();
  std::string config =
      "<command name=\"config\"><ctrl class=\"op_area\" id=\"1\"><ctrl "
      "class=\"page_switch\" id=\"2\" selected=\"10\">";
  for (int i = 0; i < kMaxPanelControls - 2; ++i)
    config += "<ctrl class=\"page_adjust\" id=\"" + std::to_string(10 + i) + "\"/>";
  host_.SendCommand(config + "</ctrl></ctrl></command>");
  HWND panel = host_.hosting().panel_window();
  ASSERT_NE(panel, nullptr);
  EXPECT_LE(WindowsUnder(panel), kMaxPanelWindows);
  EXPECT_GT(WindowsUnder(panel), kMaxPanelWindows - 6);
  EXPECT_NE(Window(10), nullptr);
  EXPECT_EQ(Window(kMaxPanelControls), nullptr);
  // The host still makes windows of its own.
  HWND probe = CreateWindowExA(0, "STATIC", "probe", WS_CHILD, 0, 0, 10, 10, host_, nullptr,
                               nullptr, nullptr);
  EXPECT_NE(probe, nullptr);
  if (probe) DestroyWindow(probe);
  host_.SendCommand(DemoPanel());
  EXPECT_NE(Window(100), nullptr);
  EXPECT_TRUE(::IsWindowVisible(Window(100)));
}

// Hundreds of item lists share one pointer timer: the thread gets about one timer message per
// 10 ms, not one per list.
TEST_F(PanelWindowTest, ManyListsShareOnePointerTimer) {
  Connect();
  std::string config =
      "<command name=\"config\"><ctrl class=\"op_area\" id=\"1\"><ctrl "
      "class=\"page_switch\" id=\"2\" selected=\"10\">";
  for (int i = 0; i < 400; ++i)
    config += "<ctrl class=\"page_list\" id=\"" + std::to_string(10 + i) + "\"/>";
  host_.SendCommand(config + "</ctrl></ctrl></command>");
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
  host_.SendCommand(R"(<command name="config"><ctrl class="op_area" id="1"/></command>)");
  EXPECT_FALSE(ListPointerWatch::Ticking());
}

TEST_F(PanelWindowTest, FilterItemsShowBandsMarksAndTheirColours) {
  ASSERT_TRUE(test::XInput::Park());
  Connect();
  AddDemoPictures(host_.manager());
  host_.SendCommand(DemoPanel());
  HWND original = Window(100);  // "原图": plain, selected at start
  HWND natural = Window(101);
  ASSERT_NE(original, nullptr);
  RECT rc{};
  ::GetClientRect(original, &rc);
  EXPECT_EQ(rc.right, 68);
  EXPECT_EQ(rc.bottom, 90);
  // Selected: the square in the pink mask colour (alpha 0xE5 over the picture), the band below
  // it exactly under the square (rows 68 to 89), dark enough for its white caption.
  const COLORREF square = Pixel(original, 2, 2);
  EXPECT_GT(GetRValue(square), 200);
  EXPECT_LT(GetGValue(square), 120);
  for (int y : {68, 79, 89})
    EXPECT_EQ(Pixel(original, 2, y), Colour(FilterBandColour(0xE75988, false))) << "row " << y;
  EXPECT_GE(ContrastRatio(Rgb(Pixel(original, 2, 70)), 0xFFFFFF), 4.5);
  EXPECT_NE(Pixel(original, 2, 67), Pixel(original, 2, 68));  // the square ends, the band starts
  // Not selected and not plain: the picture and a band; a plain one unselected: no band.
  EXPECT_FALSE(test::Near(Pixel(natural, 2, 68 + 2), RGB(255, 255, 255), 8));
  host_.SendCommand(Utf8ToAnsi(R"(<command name="modify" parent_id="3"><ctrl class="page_list"
      id="20" name="滤镜" selected="109"/></command>)"));
  EXPECT_TRUE(test::Near(Pixel(original, 2, 68 + 2), RGB(255, 255, 255), 0));
  EXPECT_EQ(test::WindowText(original), Utf8ToAnsi("原图"));
  // The forest filter's own mask colour (0x3BA55C): its band, readable, and darker still while
  // hovered, where the square is the opaque mask colour.
  HWND forest = Window(109);
  const COLORREF band = Pixel(forest, 2, 68 + 2);
  EXPECT_EQ(band, Colour(FilterBandColour(0x3BA55C, false)));
  EXPECT_GE(ContrastRatio(Rgb(band), 0xFFFFFF), 4.5);
  EXPECT_GT(GetGValue(band), GetRValue(band));  // still green
  test::XInput::MoveTo(test::ScreenPoint(forest, 34, 20));
  ASSERT_TRUE(test::PumpUntil(
      [&] { return Pixel(forest, 2, 68 + 2) == Colour(FilterBandColour(0x3BA55C, true)); }));
  EXPECT_TRUE(test::Near(Pixel(forest, 2, 2), RGB(0x3B, 0xA5, 0x5C), 1));
  test::XInput::Park();
}

// A 24-bit BMP file of one colour (GDI+ decodes any format it knows).
std::string SolidBmp(int w, int h, COLORREF colour) {
  const int stride = (w * 3 + 3) & ~3;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + stride * h;
  info.biSize = sizeof info;
  info.biWidth = w;
  info.biHeight = h;
  info.biPlanes = 1;
  info.biBitCount = 24;
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
  bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
  std::string row(static_cast<size_t>(stride), '\0');
  for (int x = 0; x < w; ++x) {
    row[x * 3] = static_cast<char>(GetBValue(colour));
    row[x * 3 + 1] = static_cast<char>(GetGValue(colour));
    row[x * 3 + 2] = static_cast<char>(GetRValue(colour));
  }
  for (int y = 0; y < h; ++y) bytes += row;
  return bytes;
}

// The rows [first, last] of a window's pixels between x `left` and `right` that carry ink
// (text darker than light grey); {-1, -1} when none do.
std::pair<int, int> InkRows(const test::ScreenShot& shot, int left, int right) {
  int first = -1, last = -1;
  for (int y = 0; y < shot.height(); ++y)
    for (int x = left; x < right; ++x) {
      const COLORREF c = shot.at(x, y);
      if ((GetRValue(c) + GetGValue(c) + GetBValue(c)) / 3 < 200) {
        if (first < 0) first = y;
        last = y;
        break;
      }
    }
  return {first, last};
}

TEST_F(PanelWindowTest, AWidePictureIsFittedAndCentredAndCircleItemsAreDiscs) {
  Connect();
  AddDemoPictures(host_.manager());
  host_.SendCommand(DemoPanel());
  const std::string bmp = SolidBmp(136, 68, RGB(0, 0, 255));
  auto data = std::make_unique<uint8_t[]>(bmp.size());
  std::copy(bmp.begin(), bmp.end(), data.get());
  host_.manager().AddResource("wide.bmp", std::move(data), static_cast<int32_t>(bmp.size()));
  host_.SendCommand(R"(<command name="modify" parent_id="20"><ctrl id="101" image="wide.bmp"/>
                       </command>)");
  auto* item = static_cast<DUIPictureItem*>(Find(101));
  ASSERT_NE(item->picture(), nullptr);
  EXPECT_EQ(item->picture()->width(), 68);
  EXPECT_EQ(item->picture()->height(), 34);
  HWND w = Window(101);
  EXPECT_TRUE(test::Near(Pixel(w, 34, 15), RGB(255, 255, 255), 0));
  EXPECT_TRUE(test::Near(Pixel(w, 34, 18), RGB(0, 0, 255), 2));
  EXPECT_TRUE(test::Near(Pixel(w, 34, 50), RGB(0, 0, 255), 2));
  EXPECT_TRUE(test::Near(Pixel(w, 34, 52), RGB(255, 255, 255), 0));
  // Bytes that are not a picture keep it.
  host_.manager().AddResource("junk.png", std::make_unique<uint8_t[]>(10), 10);
  host_.SendCommand(R"(<command name="modify" parent_id="20"><ctrl id="101" image="junk.png"/>
                       </command>)");
  ASSERT_NE(item->picture(), nullptr);
  EXPECT_EQ(item->picture()->height(), 34);
  host_.SendCommand(R"(<command name="modify" parent_id="1"><ctrl class="page_switch" id="3"
                       selected="22"/></command>)");
  HWND none = Window(300);  // "无", a cancel item, selected at start: only a ring
  HWND red = Window(302);
  // Outside the disc the mask is white; inside, the swatch.
  EXPECT_TRUE(test::Near(Pixel(red, 1, 1), RGB(255, 255, 255), 2));
  const COLORREF swatch = Pixel(red, 34, 50);
  EXPECT_GT(GetRValue(swatch), 150);
  EXPECT_LT(GetGValue(swatch), 80);
  const COLORREF ring = Pixel(none, 34, 2);
  EXPECT_TRUE(test::Near(ring, kPink, 40));
  host_.SendCommand(Utf8ToAnsi(R"(<command name="modify" parent_id="3"><ctrl class="page_list"
      id="22" name="美妆" selected="302"/></command>)"));
  // Selected (not cancel): a pink disc over the swatch at alpha 0xCC, with the white pencil.
  const COLORREF disc = Pixel(red, 12, 34);
  EXPECT_TRUE(test::Near(disc, kPink, 30));
  EXPECT_TRUE(test::Near(Pixel(none, 34, 2), RGB(255, 255, 255), 30));
}

TEST_F(PanelWindowTest, TabsAndSlidersShowTheirCaptionsAndFollowModifies) {
  Connect();
  host_.SendCommand(DemoPanel());
  HWND selected = Window(10);
  HWND other = Window(11);
  RECT rc{};
  ::GetClientRect(selected, &rc);
  EXPECT_EQ(test::WindowText(other), Utf8ToAnsi("美颜"));
  EXPECT_TRUE(test::Near(Pixel(selected, 5, rc.bottom - 1), kPink, 0));
  EXPECT_TRUE(test::Near(Pixel(selected, 5, rc.bottom - 2), kPink, 0));
  EXPECT_TRUE(test::Near(Pixel(selected, 5, rc.bottom - 3), RGB(255, 255, 255), 0));
  EXPECT_TRUE(test::Near(Pixel(other, 5, rc.bottom - 1), RGB(0xED, 0xED, 0xED), 0));
  EXPECT_TRUE(test::Near(Pixel(other, 5, rc.bottom - 2), RGB(255, 255, 255), 0));
  // The phone moves the bar; the pages follow only their own modify.
  host_.SendCommand(R"(<command name="modify" parent_id="1"><ctrl class="tab_holder" id="2"
                       selected="11"/></command>)");
  EXPECT_TRUE(test::Near(Pixel(other, 5, rc.bottom - 2), kPink, 0));
  EXPECT_TRUE(test::Near(Pixel(selected, 5, rc.bottom - 2), RGB(255, 255, 255), 0));
  EXPECT_TRUE(::IsWindowVisible(Window(20)));
  EXPECT_FALSE(::IsWindowVisible(Window(21)));
  host_.SendCommand(R"(<command name="modify" parent_id="1"><ctrl class="page_switch" id="3"
                       selected="21"/></command>)");
  auto* adjust = static_cast<DUIPageAdjust*>(Find(21));
  auto* smooth = static_cast<DUISlider*>(adjust->list().GetChildren()[0]);
  auto* view = static_cast<SliderWindow*>(smooth->view());
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(test::WindowText(view->name_label()), Utf8ToAnsi("磨皮"));
  EXPECT_EQ(test::WindowText(view->value_label()), "60");
  // Caption and value sit on the track: their ink is centred on its centre line, between rows
  // 10 and 11 of the 22-pixel cell.
  ASSERT_TRUE(::IsWindowVisible(view->m_hWnd));
  test::PumpFor(50);
  const test::ScreenShot ink(view->m_hWnd);
  // The track's top row, filled up to the thumb at 60 of 0..100.
  EXPECT_EQ(ink.at(150, SliderTrackTop(22)), RGB(232, 88, 137));
  for (auto [left, right] : {std::pair{0, 40}, std::pair{270, 310}}) {
    const auto [first, last] = InkRows(ink, left, right);
    ASSERT_GE(first, 0) << "no text in " << left << ".." << right;
    EXPECT_NEAR((first + last) / 2.0, 10.5, 1.0)
        << "ink rows " << first << ".." << last << " of the text in " << left << ".." << right;
  }
  RECT cell = test::RectIn(view->m_hWnd, ::GetParent(view->m_hWnd));
  EXPECT_EQ(cell.right - cell.left, 320);
  EXPECT_EQ(cell.bottom - cell.top, 22);
  EXPECT_EQ(
      test::RectIn(static_cast<SliderWindow*>(adjust->list().GetChildren()[1]->view())->m_hWnd,
                   ::GetParent(view->m_hWnd))
          .top,
      47);
  host_.SendCommand(R"(<command name="modify" parent_id="21"><ctrl id="200" pos="10"/></command>)");
  host_.SendCommand(R"(<command name="modify" parent_id="21"><ctrl id="200" min="20"/></command>)");
  EXPECT_EQ(test::WindowText(view->value_label()), "20");
  EXPECT_EQ(view->slider().GetValue(), 20);
  EXPECT_EQ(view->slider().GetMinimum(), 20);
  // Empty and inverted ranges from the phone.
  host_.SendCommand(R"(<command name="modify" parent_id="21"><ctrl id="200" min="70" max="70"/>
                       <ctrl id="201" min="90" max="10" pos="50"/></command>)");
  EXPECT_EQ(test::WindowText(view->value_label()), "70");
  test::PumpFor(50);
  EXPECT_EQ(host_.manager().outbox().pending(), 0u);  // a modify sends nothing
  // The caption stays the one the label was made with.
  host_.SendCommand(R"(<command name="modify" parent_id="21"><ctrl id="200" name="x"/></command>)");
  EXPECT_EQ(test::WindowText(view->name_label()), Utf8ToAnsi("磨皮"));
}

// With a real stream worker and the demo phone.
class PanelPhoneTest : public PanelWindowTest {
 protected:
  void StartPhone(std::vector<std::string> extra = {}) {
    std::vector<std::string> args{"--resource-dir", VL_PANEL_PICTURES, "--script",
                                  std::string(VL_PANEL_SCRIPT_DIR) + "/beauty_panel.script"};
    args.insert(args.end(), extra.begin(), extra.end());
    phone_ = test::StartPhone(args);
    worker_.SetNotifyWindow(host_);
    worker_.SetResourceStore(&host_.manager());
    worker_.SetDecoderFactory({});
    worker_.SetPort(phone_->port());
    entry_.identifier = "PHONE1";
    entry_.kind = 2;
    worker_.Start(&entry_);
    ASSERT_TRUE(test::PumpUntil([&] { return host_.connected() && Find(114) != nullptr; }, 20000));
    test::PumpFor(200);
  }
  void TearDown() override {
    if (phone_) phone_->Shutdown();  // the run ends at once, not at a receive time-out
    if (worker_.IsRunning()) worker_.Stop();
  }
  std::vector<std::string> Events(size_t session = 0) {
    std::vector<std::string> events;
    const auto reports = phone_->Reports();
    if (session >= reports.size()) return events;
    for (const auto& p : reports[session].packets) {
      if (p.packet.type == 4) events.push_back(p.packet.payload);
    }
    return events;
  }
  // Pumps until the phone has received `n` events in the session.
  bool WaitEvents(size_t n, size_t session = 0) {
    return test::PumpUntil([&] { return Events(session).size() >= n; });
  }
  static std::string Event(const std::string& name, int id, int parent,
                           const std::string& extra = "") {
    return "<command name=\"notify\"><event name=\"" + name + "\" id=\"" + std::to_string(id) +
           "\" parent_id=\"" + std::to_string(parent) + "\"" + extra + "></event></command>";
  }

  net::SocketLibrary sockets_;
  test::FakeAdbWorkdir adb_{"device PHONE1 device\n"};
  std::unique_ptr<phonesim::PhoneSimulator> phone_;
  DeviceEntry entry_;
  StreamWorker worker_;
};

// The beauty tab, a slider dragged on its page, then the page's reset and back buttons.
TEST_F(PanelPhoneTest, TabSliderAndPageButtonsGoToThePhoneWhichAnswers) {
  StartPhone();
  // The demo phone's pictures came first, one per item; four tabs over four pages.
  EXPECT_EQ(host_.manager().resources().count(), 31u);
  std::vector<uint8_t> png;
  ASSERT_TRUE(host_.manager().FindResource("filter_retro.png", &png));
  EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
  EXPECT_EQ(Find(2)->GetChildren().size(), 4u);
  EXPECT_EQ(Find(20)->GetChildren().size(), 15u);
  EXPECT_TRUE(static_cast<DUIFilterItem*>(Find(100))->plain());
  ASSERT_TRUE(::IsWindowVisible(Window(20)));
  test::XInput::Click(test::ScreenCentre(Window(11)));
  ASSERT_TRUE(WaitEvents(1));
  EXPECT_EQ(Events()[0], Event("click", 11, 2));
  ASSERT_TRUE(test::PumpUntil([&] { return ::IsWindowVisible(Window(21)); }));
  EXPECT_FALSE(::IsWindowVisible(Window(20)));
  EXPECT_EQ(static_cast<DUITabHolder*>(Find(2))->selected(), 11);
  EXPECT_EQ(static_cast<DUIPageHolder*>(Find(3))->selected(), 21);

  // A drag past the track's end reports each changed value, then the release at the maximum.
  auto* adjust = static_cast<DUIPageAdjust*>(Find(21));
  ASSERT_EQ(adjust->list().GetChildren().size(), 7u);
  EXPECT_EQ(static_cast<DUISlider*>(adjust->list().GetChildren()[6])->minimum(), -50);
  auto* whiten = static_cast<DUISlider*>(adjust->list().GetChildren()[1]);  // 美白, at 40
  auto* view = static_cast<SliderWindow*>(whiten->view());
  HWND track = view->slider().m_hWnd;
  RECT rc{};
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
  EXPECT_EQ(events.back(), Event("slider_end", 201, 21, " pos=\"100\""));
  EXPECT_EQ(test::WindowText(view->value_label()), "100");
  EXPECT_EQ(whiten->value(), 100);

  // Reset puts the phone's values back; back returns to the filters.
  auto* page = static_cast<PageAdjustWindow*>(Find(21)->view());
  auto* smooth = static_cast<DUISlider*>(adjust->list().GetChildren()[0]);
  host_.SendCommand(R"(<command name="modify" parent_id="21"><ctrl id="200" pos="99"/></command>)");
  EXPECT_EQ(smooth->value(), 99);
  const size_t sent = Events().size();
  test::XInput::Click(test::ScreenCentre(page->reset_button().m_hWnd));
  ASSERT_TRUE(WaitEvents(sent + 1));
  EXPECT_EQ(Events()[sent], Event("custom", 21, 3, " event=\"reset\""));
  ASSERT_TRUE(test::PumpUntil([&] { return smooth->value() == 60; }));
  test::XInput::Click(test::ScreenCentre(page->back_button().m_hWnd));
  ASSERT_TRUE(WaitEvents(sent + 2));
  EXPECT_EQ(Events()[sent + 1], Event("custom", 21, 3, " event=\"back\""));
  ASSERT_TRUE(test::PumpUntil([&] { return ::IsWindowVisible(Window(20)); }));
  // Each event went as one packet: type 4, its length, the text; beside the heartbeats.
  const SessionReport r = phone_->Reports()[0];
  EXPECT_EQ(r.protocol_errors, 0);
  for (const auto& p : r.packets) {
    if (p.packet.type != 4) continue;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(p.packet.header), 8),
              std::string("\x04\0\0\0", 4) +
                  std::string(reinterpret_cast<const char*>(p.packet.header + 4), 4));
    EXPECT_EQ(p.packet.length, static_cast<int32_t>(p.packet.payload.size()));
  }
}

TEST_F(PanelPhoneTest, TheWheelScrollsTheGridByOneRow) {
  StartPhone();
  auto* page = static_cast<DUIPageList*>(Find(20));
  auto* list = static_cast<ListViewWindow*>(page->list().view());
  HWND first = Window(100);
  const int top = test::RectIn(first, list->container()).top;
  test::XInput::MoveTo(test::ScreenCentre(first));
  ASSERT_TRUE(test::PumpUntil([&] { return list->pointer_inside(); }));
  EXPECT_TRUE(::IsWindowVisible(list->scroll_bar().m_hWnd));  // 15 filters: taller than the view
  test::XInput::Run("click 5");                               // wheel towards the user
  // One row is 102 pixels; the grid (5 rows, 498 pixels) is only 69 taller than the view
  // (448), and the bar's range adds 19: the position stops at 69.
  ASSERT_TRUE(test::PumpUntil([&] { return list->scroll_offset() == 69; }));
  EXPECT_EQ(test::RectIn(first, list->container()).top, top - 69);
  test::XInput::Run("click 4");
  ASSERT_TRUE(test::PumpUntil([&] { return list->scroll_offset() == 0; }));
  test::XInput::Park();
  ASSERT_TRUE(test::PumpUntil([&] { return !list->pointer_inside(); }));
  EXPECT_FALSE(::IsWindowVisible(list->scroll_bar().m_hWnd));
}

// A click the phone answers by selecting the item; then, disconnected, a click and a
// double-click (click, doubleclick, click) wait for the next connection.
TEST_F(PanelPhoneTest, ItemClicksAndClicksWhileDisconnectedGoOutAfterTheNextHandshake) {
  StartPhone({"--connections", "2"});
  test::XInput::Click(test::ScreenCentre(Window(106)));
  ASSERT_TRUE(WaitEvents(1));
  EXPECT_EQ(Events()[0], Event("click", 106, 20));
  ASSERT_TRUE(test::PumpUntil([&] { return static_cast<DUIItem*>(Find(106))->selected(); }));
  EXPECT_FALSE(static_cast<DUIItem*>(Find(100))->selected());
  host_.KeepPanelWhenDisconnected(true);
  worker_.Stop();
  ASSERT_TRUE(test::PumpUntil([&] { return host_.runs_ended() == 1; }));
  test::XInput::Click(test::ScreenCentre(Window(104)));
  DoubleClick(test::ScreenCentre(Window(105)));
  ASSERT_TRUE(test::PumpUntil([&] { return host_.manager().outbox().pending() == 4; }));
  EXPECT_EQ(Events(0).size(), 1u);
  worker_.Start(&entry_);
  ASSERT_TRUE(WaitEvents(4, 1));
  EXPECT_EQ(Events(1),
            (std::vector<std::string>{Event("click", 104, 20), Event("click", 105, 20),
                                      Event("doubleclick", 105, 20), Event("click", 105, 20)}));
  const SessionReport second = phone_->Reports()[1];
  EXPECT_TRUE(second.ack_received);
  EXPECT_EQ(second.protocol_errors, 0);
}

}  // namespace
}  // namespace vl
