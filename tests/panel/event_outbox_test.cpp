// Events from the controls to the phone: their text, the queue, and the sender thread writing them
// through a real reader to the phone simulator on loopback.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "device/socket_layer.h"
#include "media/bmt_reader.h"
#include "panel/dui_items.h"
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
  </ctrl></ctrl></command>)";

// Extra attributes in their order, negative ids: the text the events below are compared with.
TEST(PanelEventTextTest, MatchesThePhonesFormat) {
  EXPECT_EQ(BuildEventText("custom", -4, 0, {{"event", "back"}, {"x", "-1"}}),
            "<command name=\"notify\"><event name=\"custom\" id=\"-4\" parent_id=\"0\" "
            "event=\"back\" x=\"-1\"></event></command>");
}

class PanelEventTest : public ::testing::Test {
 protected:
  PanelEventTest() { manager_->ApplyCommand(kPanel); }

  void Connect(phonesim::PhoneSimulator& phone, BMTReader& reader) {
    EXPECT_EQ(reader.Connect(2, "PHONE1", phone.port()), 1);
  }
  DUIItem* Item(int32_t id) {
    return static_cast<DUIItem*>(manager_->FindControl(id, RootSearch::kBelowRoot));
  }
  void WaitSenderIdle() {
    for (int i = 0; i < 500 && manager_->outbox().sending(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_FALSE(manager_->outbox().sending());
  }
  static std::vector<std::string> Events(const SessionReport& r) {
    std::vector<std::string> events;
    for (const auto& p : r.packets)
      if (p.packet.type == 4) events.push_back(p.packet.payload);
    return events;
  }
  static bool HasEvents(phonesim::PhoneSimulator& phone, size_t n) {
    return phone.WaitFor([n](const SessionReport& r) { return Events(r).size() >= n; }, kWait);
  }

  net::SocketLibrary sockets_;
  test::FakeAdbWorkdir adb_{"device PHONE1 device\n"};
  std::unique_ptr<PanelManager> manager_ = std::make_unique<PanelManager>(nullptr, nullptr);
};

// One connection, beside a heartbeat every millisecond: each control reports with its id and its
// parent's id, a sender thread that cannot start does not stop later events, bursts of events
// stay whole, and the sender never outlives the queue it reads.
TEST_F(PanelEventTest, EventsGoOutWholeAndInOrderWithTheirIdsAndTheirParentsIds) {
  auto phone = test::StartPhone({});
  auto reader = BMTReader::Create();
  reader->SetHeartbeatInterval(std::chrono::milliseconds(1));
  Connect(*phone, *reader);
  Item(12)->OnClick();
  Item(12)->OnDoubleClick();
  auto* slider = static_cast<DUISlider*>(Item(7));
  slider->OnSliderEnd(40);
  ASSERT_TRUE(HasEvents(*phone, 3));
  WaitSenderIdle();
  manager_->outbox().SetThreadStarter([](std::function<void()>) { return false; });
  Item(12)->OnClick();
  EXPECT_FALSE(manager_->outbox().sending());
  EXPECT_EQ(manager_->outbox().pending(), 1u);
  manager_->outbox().SetThreadStarter(&StartDetachedThread);
  Item(12)->OnDoubleClick();
  constexpr int kBurst = 400;
  for (int i = 0; i < kBurst; ++i) {
    slider->OnSliderPos(i % 101);
    if (i % 50 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(15));
  }
  ASSERT_TRUE(HasEvents(*phone, 5 + kBurst));
  WaitSenderIdle();
  std::function<void()> sender;
  manager_->outbox().SetThreadStarter([&](std::function<void()> body) {
    sender = std::move(body);
    return true;
  });
  Item(12)->OnClick();
  ASSERT_TRUE(sender);
  manager_.reset();  // the program's window (and its panel manager) goes away first
  std::thread(sender).join();
  ASSERT_TRUE(HasEvents(*phone, 6 + kBurst));
  const SessionReport report = phone->Reports().back();
  const auto events = Events(report);
  const std::string click = BuildEventText("click", 12, 3, {});
  const std::string doubleclick = BuildEventText("doubleclick", 12, 3, {});
  EXPECT_EQ(std::vector<std::string>(events.begin(), events.begin() + 5),
            (std::vector<std::string>{click, doubleclick,
                                      BuildEventText("slider_end", 7, 2, {{"pos", "40"}}), click,
                                      doubleclick}));
  for (int i = 0; i < kBurst; ++i) {
    EXPECT_NE(events[5 + i].find("pos=\"" + std::to_string(i % 101) + "\""), std::string::npos)
        << i;
  }
  EXPECT_EQ(events.back(), click);
  // Each arrived as one packet: type 4, then its exact length, then the text.
  for (const auto& p : report.packets) {
    if (p.packet.type != 4) continue;
    EXPECT_EQ(p.packet.length, static_cast<int32_t>(p.packet.payload.size()));
  }
  EXPECT_EQ(report.protocol_errors, 0);
  EXPECT_GT(report.heartbeats(), 0);
}

// Events queued while no reader can take them (none, one that came and went without a flush, one
// not through its handshake yet) go out in order at the flush after the next handshake; past the
// bound the oldest are dropped.
TEST_F(PanelEventTest, QueuedEventsWaitForTheHandshakeAndPastTheBoundTheOldestAreDropped) {
  Item(12)->OnClick();  // the oldest: dropped by the last of the slider's events
  auto* slider = static_cast<DUISlider*>(Item(7));
  for (size_t i = 0; i < EventOutbox::kMaxQueued; ++i) slider->OnSliderEnd(static_cast<int>(i));
  WaitSenderIdle();
  EXPECT_EQ(manager_->outbox().pending(), EventOutbox::kMaxQueued);
  {
    auto first = test::StartPhone({"--end", "close"});
    auto reader = BMTReader::Create();
    Connect(*first, *reader);
    reader->Close();
  }
  EXPECT_EQ(manager_->outbox().pending(), EventOutbox::kMaxQueued);
  // The current reader has not connected yet: writing now would fail (and lose the events) or
  // land inside the handshake.
  auto phone = test::StartPhone({"--sleep", "300"});
  auto reader = BMTReader::Create();
  manager_->FlushEvents();
  WaitSenderIdle();
  EXPECT_EQ(manager_->outbox().pending(), EventOutbox::kMaxQueued);
  Connect(*phone, *reader);
  manager_->FlushEvents();
  ASSERT_TRUE(HasEvents(*phone, EventOutbox::kMaxQueued));
  EXPECT_EQ(manager_->outbox().pending(), 0u);
  const SessionReport report = phone->Reports().back();
  EXPECT_EQ(report.protocol_errors, 0);
  const auto events = Events(report);
  for (size_t i = 0; i < events.size(); ++i)
    EXPECT_NE(
        events[i].find("slider_end\" id=\"7\" parent_id=\"2\" pos=\"" + std::to_string(i) + "\""),
        std::string::npos)
        << events[i];
}

}  // namespace
}  // namespace vl
