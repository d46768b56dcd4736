// Events from the controls to the phone: their text, the queue, and the sender thread writing
// them through a real reader to the phone simulator on loopback.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "common/text_convert.h"
#include "device/socket_layer.h"
#include "media/bmt_reader.h"
#include "panel/dui_items.h"
#include "panel/dui_pages.h"
#include "panel/dui_tabs.h"
#include "panel/event_text.h"
#include "panel/panel_manager.h"
#include "tests/device/fake_adb_workdir.h"
#include "tests/media/stream_test_support.h"

namespace vl {
namespace {

using phonesim::SessionReport;
constexpr std::chrono::seconds kWait{15};

constexpr char kPanel[] = R"(<command name="config"><ctrl class="op_area" id="1">
  <ctrl class="page_switch" id="9">
    <ctrl class="page_list" id="3"><ctrl class="circle_item" id="12"/></ctrl>
    <ctrl class="page_list" id="2"><ctrl class="slider" id="7"/></ctrl>
    <ctrl class="page_adjust" id="5"/>
  </ctrl></ctrl></command>)";

// Extra attributes in their order, negative ids (each control's events arrive whole below).
TEST(PanelEventTextTest, MatchesThePhonesFormat) {
  EXPECT_EQ(BuildEventText("custom", -4, 0, {{"event", "back"}, {"x", "-1"}}),
            "<command name=\"notify\"><event name=\"custom\" id=\"-4\" parent_id=\"0\" "
            "event=\"back\" x=\"-1\"></event></command>");
}

class PanelEventTest : public ::testing::Test {
 protected:
  PanelEventTest() { manager_->ApplyCommand(kPanel); }

  std::shared_ptr<BMTReader> Connect(phonesim::PhoneSimulator& phone,
                                     std::shared_ptr<BMTReader> reader = nullptr) {
    if (!reader) reader = BMTReader::Create();
    EXPECT_EQ(reader->Connect(2, "PHONE1", phone.port()), 1);
    return reader;
  }
  DUIItem* Item(int32_t id) {
    return static_cast<DUIItem*>(manager_->FindControl(id, RootSearch::kBelowRoot));
  }
  void WaitSenderIdle() {
    for (int i = 0; i < 500 && manager_->outbox().sending(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_FALSE(manager_->outbox().sending());
  }
  static std::vector<std::string> Events(const SessionReport& r) {
    std::vector<std::string> events;
    for (const auto& p : r.packets) {
      if (p.packet.type == 4) events.push_back(p.packet.payload);
    }
    return events;
  }
  static bool HasEvents(phonesim::PhoneSimulator& phone, size_t n) {
    return phone.WaitFor([n](const SessionReport& r) { return Events(r).size() >= n; }, kWait);
  }

  net::SocketLibrary sockets_;
  test::FakeAdbWorkdir adb_{"device PHONE1 device\n"};
  std::unique_ptr<PanelManager> manager_ = std::make_unique<PanelManager>(nullptr, nullptr);
};

TEST_F(PanelEventTest, EachControlReportsWithItsIdAndItsParentsId) {
  auto phone = test::StartPhone({});
  auto reader = Connect(*phone);
  Item(12)->OnClick();
  Item(12)->OnDoubleClick();
  auto* slider = static_cast<DUISlider*>(Item(7));
  slider->OnSliderPos(41);
  slider->OnSliderEnd(40);
  static_cast<DUIPageAdjust*>(manager_->FindControl(5, RootSearch::kBelowRoot))->OnCommand(4);
  static_cast<DUIPageAdjust*>(manager_->FindControl(5, RootSearch::kBelowRoot))->OnCommand(3);
  ASSERT_TRUE(HasEvents(*phone, 6));
  const std::string head = "<command name=\"notify\"><event name=\"";
  const std::string tail = "></event></command>";
  EXPECT_EQ(
      Events(phone->Reports().back()),
      (std::vector<std::string>{head + "click\" id=\"12\" parent_id=\"3\"" + tail,
                                head + "doubleclick\" id=\"12\" parent_id=\"3\"" + tail,
                                head + "slider_pos\" id=\"7\" parent_id=\"2\" pos=\"41\"" + tail,
                                head + "slider_end\" id=\"7\" parent_id=\"2\" pos=\"40\"" + tail,
                                head + "custom\" id=\"5\" parent_id=\"9\" event=\"reset\"" + tail,
                                head + "custom\" id=\"5\" parent_id=\"9\" event=\"back\"" + tail}));
  EXPECT_EQ(slider->value(), 40);
  // Each arrived as one packet: type 4, then its exact length, then the text.
  const SessionReport report = phone->Reports().back();
  const auto& p = report.packets.front().packet;
  EXPECT_EQ(p.header[0], 4);
  EXPECT_EQ(p.length, static_cast<int32_t>(p.payload.size()));
  EXPECT_EQ(phone->Reports().back().protocol_errors, 0);
}

TEST_F(PanelEventTest, EventsWaitForTheHandshakeOfTheCurrentReader) {
  auto phone = test::StartPhone({"--sleep", "300"});
  // A reader exists but has not connected yet: writing now would fail (and lose the event) or
  // land inside the handshake.
  auto reader = BMTReader::Create();
  Item(12)->OnClick();
  WaitSenderIdle();
  EXPECT_EQ(manager_->outbox().pending(), 1u);
  Connect(*phone, reader);
  manager_->FlushEvents();
  ASSERT_TRUE(HasEvents(*phone, 1));
  EXPECT_EQ(manager_->outbox().pending(), 0u);
  EXPECT_EQ(phone->Reports().back().protocol_errors, 0);
}

TEST_F(PanelEventTest, EventsQueuedWhileDisconnectedGoOutInOrderAfterTheNextHandshake) {
  Item(12)->OnClick();
  static_cast<DUISlider*>(Item(7))->OnSliderEnd(3);
  Item(12)->OnDoubleClick();
  WaitSenderIdle();
  EXPECT_EQ(manager_->outbox().pending(), 3u);
  {
    // A connection that comes and goes without a flush takes nothing.
    auto first = test::StartPhone({"--end", "close"});
    auto reader = Connect(*first);
    reader->Close();
  }
  EXPECT_EQ(manager_->outbox().pending(), 3u);
  auto phone = test::StartPhone({});
  auto reader = Connect(*phone);
  manager_->FlushEvents();
  ASSERT_TRUE(HasEvents(*phone, 3));
  const auto events = Events(phone->Reports().back());
  EXPECT_NE(events[0].find("\"click\" id=\"12\""), std::string::npos);
  EXPECT_NE(events[1].find("slider_end"), std::string::npos);
  EXPECT_NE(events[2].find("doubleclick"), std::string::npos);
}

TEST_F(PanelEventTest, PastTheBoundTheOldestQueuedEventsAreDropped) {
  Item(12)->OnClick();  // the oldest: dropped by the last of the slider's events
  auto* slider = static_cast<DUISlider*>(Item(7));
  for (size_t i = 0; i < EventOutbox::kMaxQueued; ++i) slider->OnSliderEnd(static_cast<int>(i));
  WaitSenderIdle();
  EXPECT_EQ(manager_->outbox().pending(), EventOutbox::kMaxQueued);
  auto phone = test::StartPhone({});
  auto reader = Connect(*phone);
  manager_->FlushEvents();
  ASSERT_TRUE(HasEvents(*phone, EventOutbox::kMaxQueued));
  const auto events = Events(phone->Reports().back());
  EXPECT_NE(events.front().find("slider_end\" id=\"7\" parent_id=\"2\" pos=\"0\""),
            std::string::npos)
      << events.front();
  EXPECT_NE(events.back().find("pos=\"1023\""), std::string::npos) << events.back();
}

TEST_F(PanelEventTest, BurstsOfEventsStayWholeBesideTheHeartbeat) {
  auto phone = test::StartPhone({});
  auto reader = BMTReader::Create();
  reader->SetHeartbeatInterval(std::chrono::milliseconds(1));
  Connect(*phone, reader);
  auto* slider = static_cast<DUISlider*>(Item(7));
  constexpr int kEvents = 400;
  for (int i = 0; i < kEvents; ++i) {
    slider->OnSliderPos(i % 101);
    if (i % 50 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(15));
  }
  ASSERT_TRUE(HasEvents(*phone, kEvents));
  const SessionReport r = phone->Reports().back();
  EXPECT_EQ(r.protocol_errors, 0);
  EXPECT_GT(r.heartbeats(), 0);
  const auto events = Events(r);
  for (int i = 0; i < kEvents; ++i) {
    ASSERT_NE(events[static_cast<size_t>(i)].find("pos=\"" + std::to_string(i % 101) + "\""),
              std::string::npos)
        << i;
  }
}

TEST_F(PanelEventTest, AThreadThatCannotStartDoesNotStopLaterEvents) {
  auto phone = test::StartPhone({});
  auto reader = Connect(*phone);
  manager_->outbox().SetThreadStarter([](std::function<void()>) { return false; });
  Item(12)->OnClick();
  EXPECT_FALSE(manager_->outbox().sending());
  EXPECT_EQ(manager_->outbox().pending(), 1u);
  manager_->outbox().SetThreadStarter(&StartDetachedThread);
  Item(12)->OnDoubleClick();
  ASSERT_TRUE(HasEvents(*phone, 2));
  EXPECT_NE(Events(phone->Reports().back())[0].find("\"click\""), std::string::npos);
}

TEST_F(PanelEventTest, TheSenderNeverOutlivesTheQueueItReads) {
  auto phone = test::StartPhone({});
  auto reader = Connect(*phone);
  std::function<void()> sender;
  manager_->outbox().SetThreadStarter([&](std::function<void()> body) {
    sender = std::move(body);
    return true;
  });
  Item(12)->OnClick();
  ASSERT_TRUE(sender);
  manager_.reset();  // the program's window (and its panel manager) goes away first
  std::thread(sender).join();
  ASSERT_TRUE(HasEvents(*phone, 1));
}

// The main window's part natively: commands the reader delivers are applied to the panel.
class ApplyingListener : public IStreamWorkerListener {
 public:
  explicit ApplyingListener(PanelManager& manager) : manager_(manager) {}
  void OnConnected() override {}
  void OnRunEnded() override {}
  void OnConnectFailed() override {}
  void OnPanelCommand(const char* text) override {
    manager_.ApplyCommand(text);
    ++commands;
  }
  int commands = 0;

 private:
  PanelManager& manager_;
};

TEST(PanelDemoScriptTest, TheDemoPhoneBuildsItsPanelAndAnswersTaps) {
  net::SocketLibrary sockets;
  test::FakeAdbWorkdir adb{"device PHONE1 device\n"};
  PanelManager manager(nullptr, nullptr);
  ApplyingListener listener(manager);
  auto phone = test::StartPhone({"--resource-dir", VL_PANEL_PICTURES, "--script", VL_PANEL_SCRIPT});
  auto reader = BMTReader::Create(PacketSinks{&listener, &manager});
  ASSERT_EQ(reader->Connect(2, "PHONE1", phone->port()), 1);
  auto read_until = [&](const std::function<bool()>& done) {
    while (!done()) {
      if (!reader->ReadPacket()) return false;
    }
    return true;
  };
  ASSERT_TRUE(read_until([&] { return manager.root() != nullptr; }));
  // The pictures came first, one per item.
  EXPECT_EQ(manager.resources().count(), 31u);
  std::vector<uint8_t> png;
  ASSERT_TRUE(manager.FindResource("filter_retro.png", &png));
  EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
  // Four tabs over four pages; the beauty page's sliders are inside its list.
  EXPECT_EQ(manager.FindControl(2, RootSearch::kBelowRoot)->GetChildren().size(), 4u);
  EXPECT_EQ(manager.FindControl(20, RootSearch::kBelowRoot)->GetChildren().size(), 15u);
  EXPECT_EQ(static_cast<DUIPageAdjust*>(manager.FindControl(21, RootSearch::kBelowRoot))
                ->list()
                .GetChildren()
                .size(),
            7u);
  const std::string beauty = Utf8ToAnsi("美颜");
  EXPECT_EQ(manager.FindControl(11, RootSearch::kBelowRoot)->name(), beauty);
  EXPECT_TRUE(
      static_cast<DUIFilterItem*>(manager.FindControl(100, RootSearch::kBelowRoot))->plain());

  // A tap on the beauty tab: the phone selects the tab and shows its page.
  static_cast<DUITabButton*>(manager.FindControl(11, RootSearch::kBelowRoot))->OnClick();
  const int before = listener.commands;
  ASSERT_TRUE(read_until([&] { return listener.commands > before; }));
  EXPECT_EQ(static_cast<DUITabHolder*>(manager.FindControl(2, RootSearch::kBelowRoot))->selected(),
            11);
  EXPECT_EQ(static_cast<DUIPageHolder*>(manager.FindControl(3, RootSearch::kBelowRoot))->selected(),
            21);
  // A tap on a filter selects it; reset puts a moved slider back.
  static_cast<DUIItem*>(manager.FindControl(107, RootSearch::kBelowRoot))->OnClick();
  ASSERT_TRUE(read_until([&] { return listener.commands > before + 1; }));
  EXPECT_EQ(
      static_cast<DUIPageList*>(manager.FindControl(20, RootSearch::kBelowRoot))->list().selected(),
      107);
  auto* adjust = static_cast<DUIPageAdjust*>(manager.FindControl(21, RootSearch::kBelowRoot));
  auto* smooth = static_cast<DUISlider*>(adjust->list().GetChildren()[0]);
  smooth->OnSliderEnd(95);
  adjust->OnCommand(DUIPageAdjust::kResetCommand);
  ASSERT_TRUE(read_until([&] { return listener.commands > before + 2; }));
  EXPECT_EQ(smooth->value(), 60);
  EXPECT_EQ(static_cast<DUISlider*>(adjust->list().GetChildren()[6])->minimum(), -50);
}

}  // namespace
}  // namespace vl
