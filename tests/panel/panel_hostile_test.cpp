// A phone that is not to be trusted, against the panel's bounds on memory, windows and work:
// pictures that hundreds of items name, inserts that can never be added, pages that each make
// several windows, commands that run out of memory half-way, and commands of thousands of
// descriptions. The memory figures are what this program holds through operator new
// (allocation_meter), under the address-space limit of a 32-bit process.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "panel/dui_items.h"
#include "panel/dui_pages.h"
#include "panel/panel_limits.h"
#include "tests/panel/allocation_meter.h"
#include "tests/panel/panel_test_support.h"

namespace vl {
namespace {

using test::AllocationMeter;
using test::PanelFixture;

constexpr int64_t kMiB = 1024 * 1024;
// What a 32-bit Windows program can allocate in all.
constexpr int64_t kAddressSpace32 = 2048 * kMiB;

std::string Id(int i) {
  return std::to_string(i);
}

// A picture the fake platform decodes (68 x 68), padded to `size` bytes.
void AddPicture(PanelFixture& f, const std::string& name, size_t size) {
  auto data = std::make_unique<uint8_t[]>(size);
  std::memset(data.get(), ' ', size);
  std::memcpy(data.get(), "PIC 68x68", 9);
  f.manager.AddResource(name, std::move(data), static_cast<int32_t>(size));
}

// A panel whose shown page (id 3) is empty and whose hidden page (id 4) holds `items` filter
// items naming `image`.
std::string HiddenPageConfig(int items, const std::string& image) {
  std::string x =
      "<command name=\"config\"><ctrl class=\"op_area\" id=\"1\">"
      "<ctrl class=\"page_switch\" id=\"2\" selected=\"3\"><ctrl class=\"page_list\" id=\"3\"/>"
      "<ctrl class=\"page_list\" id=\"4\">";
  for (int i = 0; i < items; ++i)
    x += "<ctrl class=\"filter_item\" id=\"" + Id(100 + i) + "\" image=\"" + image + "\"/>";
  return x + "</ctrl></ctrl></ctrl></command>";
}

// A modify of the hidden page's `items` filter items, each naming `image` again.
std::string HiddenPageReload(int items, const std::string& image) {
  std::string x = "<command name=\"modify\" parent_id=\"4\">";
  for (int i = 0; i < items; ++i)
    x += "<ctrl class=\"filter_item\" id=\"" + Id(100 + i) + "\" image=\"" + image + "\"/>";
  return x + "</command>";
}

std::string Descriptions(int count, const std::string& cls, int first_id) {
  std::string x;
  for (int i = 0; i < count; ++i)
    x += "<ctrl class=\"" + cls + "\" id=\"" + Id(first_id + i) + "\"/>";
  return x;
}

std::string AdjustPagesConfig(int pages) {
  return "<command name=\"config\"><ctrl class=\"op_area\" id=\"1\">"
         "<ctrl class=\"page_switch\" id=\"2\" selected=\"10\">" +
         Descriptions(pages, "page_adjust", 10) + "</ctrl></ctrl></command>";
}

const char kOrdinaryConfig[] = R"(<command name="config"><ctrl class="op_area" id="7">
    <ctrl class="tab_holder" id="8"><ctrl class="tab" id="9" name="filters"/></ctrl>
    <ctrl class="page_switch" id="10" selected="11"><ctrl class="page_list" id="11">
      <ctrl class="filter_item" id="12" name="vivid" image="thumb"/></ctrl></ctrl>
  </ctrl></command>)";

class PanelHostileTest : public ::testing::Test {
 protected:
  void SetUp() override { AllocationMeter::SetLimit(kAddressSpace32); }
  void TearDown() override { AllocationMeter::SetLimit(0); }
};

TEST_F(PanelHostileTest, HostileConfigsStayWithinTheBoundsAndTheNextOrdinaryConfigApplies) {
  IsPlainCaption("");  // its word list is made once, for the process
  const int64_t before = AllocationMeter::LiveBytes();
  {
    PanelFixture f;
    const std::string adjust_pages = AdjustPagesConfig(kMaxPanelControls - 2);
    const std::string lost_insert = "<command name=\"insert\" parent_id=\"999999\">" +
                                    Descriptions(20000, "page_adjust", 5000) + "</command>";
    struct Step {
      const char* what;
      std::function<void()> run;
    };
    const Step steps[] = {
        {"one 8 MiB picture", [&] { AddPicture(f, "big", 8 * kMiB); }},
        {"200 items on a hidden page naming it", [&] { f.Apply(HiddenPageConfig(200, "big")); }},
        {"the same 200 items loaded again", [&] { f.Apply(HiddenPageReload(200, "big")); }},
        {"an insert of 20,000 descriptions under a missing parent", [&] { f.Apply(lost_insert); }},
        {"2,046 adjustment pages", [&] { f.Apply(adjust_pages); }},
        {"the picture replaced, and the pages again",
         [&] {
           AddPicture(f, "big", 8 * kMiB);
           f.Apply(HiddenPageConfig(200, "big"));
           f.Apply(adjust_pages);
         }},
    };
    for (const Step& step : steps) {
      EXPECT_NO_THROW(step.run()) << step.what;
      EXPECT_LE(AllocationMeter::LiveBytes() - before, kMaxPanelHeldBytes) << step.what;
      EXPECT_LE(f.platform.windows().used(), kMaxPanelWindows) << step.what;
      EXPECT_LE(f.platform.LiveWindows(), kMaxPanelWindows) << step.what;
      EXPECT_LE(f.manager.CountControls(), kMaxPanelControls) << step.what;
    }
    // Pages past the window bound stay without windows; the first ones have theirs.
    EXPECT_NE(f.platform.ViewOf(10), nullptr);
    EXPECT_EQ(f.platform.ViewOf(kMaxPanelControls), nullptr);

    // The program goes on: the phone's next ordinary panel replaces it all.
    AddPicture(f, "thumb", 64);
    f.Apply(kOrdinaryConfig);
    ASSERT_NE(f.manager.root(), nullptr);
    EXPECT_EQ(f.manager.root()->GetId(), 7);
    ASSERT_NE(f.platform.ViewOf(12), nullptr);
    auto* item = static_cast<DUIFilterItem*>(f.Find(12));
    ASSERT_NE(item->picture(), nullptr);
    EXPECT_EQ(item->picture()->width(), 68);
    EXPECT_EQ(f.platform.windows().used(), f.platform.LiveWindows());
  }
  // Nothing is left behind once the panel is gone.
  EXPECT_EQ(AllocationMeter::LiveBytes(), before);
}

TEST_F(PanelHostileTest, ItemsNamingOneResourceShareOnePictureDecodedOnce) {
  PanelFixture f;
  AddPicture(f, "big", 8 * kMiB);
  const int64_t before = AllocationMeter::LiveBytes();
  f.Apply(HiddenPageConfig(200, "big"));
  EXPECT_EQ(f.platform.decodes, 1);
  const PanelPicture* first = static_cast<DUIFilterItem*>(f.Find(100))->picture();
  ASSERT_NE(first, nullptr);
  for (int i = 0; i < 200; ++i)
    EXPECT_EQ(static_cast<DUIFilterItem*>(f.Find(100 + i))->picture(), first);
  // No item holds bytes of the picture: the items and their tree take far less than one copy.
  EXPECT_LT(AllocationMeter::LiveBytes() - before, 8 * kMiB / 4);
  // Bytes that do not decode are tried once per resource, not once per item.
  f.Resource("junk", std::string(4096, 'x'));
  f.Apply(HiddenPageReload(200, "junk"));
  EXPECT_EQ(f.platform.decodes, 2);
  EXPECT_EQ(static_cast<DUIFilterItem*>(f.Find(150))->picture(), first);  // kept
  // A replacement is a new picture for the items that load it again.
  f.Resource("big", "PIC 10x20");
  f.Apply(HiddenPageReload(1, "big"));
  EXPECT_EQ(static_cast<DUIFilterItem*>(f.Find(100))->picture()->height(), 20);
  EXPECT_EQ(static_cast<DUIFilterItem*>(f.Find(101))->picture(), first);
}

TEST_F(PanelHostileTest, AnInsertThatCannotBeAddedBuildsNothing) {
  PanelFixture f;
  f.Apply(kOrdinaryConfig);
  const std::string body = Descriptions(20000, "page_adjust", 5000);
  // What reading the command costs (its text and document), with a name that does nothing.
  auto peak_of = [&](const std::string& command) {
    const int64_t before = AllocationMeter::LiveBytes();
    int64_t peak = 0;
    AllocationMeter::SetLimit(before + 64 * kMiB);
    // The largest limit that still fails tells the peak: halve the room until it fails.
    int64_t low = 0, high = 64 * kMiB;
    while (high - low > 64 * 1024) {
      const int64_t room = (low + high) / 2;
      AllocationMeter::SetLimit(before + room);
      bool ok = f.manager.ApplyCommand(command.c_str());
      (ok ? high : low) = room;
    }
    AllocationMeter::SetLimit(kAddressSpace32);
    peak = high;
    return peak;
  };
  const int64_t reading =
      peak_of("<command name=\"nothing\" parent_id=\"999\">" + body + "</command>");
  const struct {
    const char* what;
    std::string command;
  } cases[] = {
      {"a missing parent", "<command name=\"insert\" parent_id=\"999\">" + body + "</command>"},
      {"no parent id", "<command name=\"insert\">" + body + "</command>"},
  };
  for (const auto& c : cases) {
    EXPECT_LE(peak_of(c.command), reading + kMiB) << c.what;
    EXPECT_EQ(f.manager.CountControls(), 6) << c.what;
  }
}

// Every allocation a command makes may be the one that fails (a 32-bit process near its end):
// the command is dropped, the panel stays as it was, and the next command applies.
TEST_F(PanelHostileTest, ACommandThatRunsOutOfMemoryFailsAlone) {
  const struct {
    const char* what;
    std::string command;
  } cases[] = {
      {"config", HiddenPageConfig(30, "thumb")},
      {"insert", R"(<command name="insert" parent_id="11" pos_index="0">
          <ctrl class="filter_item" id="20" image="thumb"/><ctrl class="circle_item" id="21"/>
          <ctrl class="slider" id="22"/></command>)"},
      {"insert into the tab row", R"(<command name="insert" parent_id="8">
          <ctrl class="tab" id="23"/><ctrl class="tab" id="24"/></command>)"},
      {"delete", R"(<command name="delete" parent_id="11"><ctrl id="12"/><ctrl id="12"/>
          </command>)"},
  };
  auto snapshot = [](const PanelFixture& f) {
    std::string s;
    std::vector<std::pair<const DUICtrl*, int>> stack{{f.manager.root(), 0}};
    while (!stack.empty()) {
      auto [c, depth] = stack.back();
      stack.pop_back();
      if (!c) continue;
      s += std::string(static_cast<size_t>(depth), ' ') + c->class_name() + "#" + Id(c->GetId()) +
           " " + c->name() + (c->HasWindow() ? " w" : "") + "\n";
      for (const DUICtrl* k : c->OwnedControls()) stack.push_back({k, depth + 1});
    }
    return s;
  };
  for (const auto& c : cases) {
    int failures = 0;
    for (int64_t n = 1;; ++n) {
      PanelFixture f;
      AddPicture(f, "thumb", 64);
      f.Apply(kOrdinaryConfig);
      const std::string before = snapshot(f);
      AllocationMeter::FailAt(n);
      bool applied = false;
      EXPECT_NO_THROW(applied = f.manager.ApplyCommand(c.command.c_str())) << c.what << " " << n;
      const bool failed = AllocationMeter::Failed();
      AllocationMeter::FailAt(0);
      if (!failed) break;  // the command made fewer allocations than n: all were tried
      // A window that could not be made leaves its control without one (the command applies);
      // any other failure drops the command whole.
      if (!applied) {
        ++failures;
        EXPECT_EQ(snapshot(f), before) << c.what << ", allocation " << n << " failed";
      }
      EXPECT_EQ(f.platform.windows().used(), f.platform.LiveWindows()) << c.what << " " << n;
      f.Apply(HiddenPageConfig(2, "thumb"));
      EXPECT_NE(f.Find(101), nullptr) << c.what << " " << n;
    }
    EXPECT_GT(failures, 5) << c.what;
  }
}

// Clicks on the panel of a phone that has gone away wait for the next connection, but only the
// newest 1,024: hours of them do not grow the program without bound.
TEST_F(PanelHostileTest, EventsWaitingForAConnectionAreBounded) {
  PanelFixture f;
  f.manager.outbox().SetThreadStarter([](std::function<void()>) { return false; });
  f.Apply(kOrdinaryConfig);
  auto* item = static_cast<DUIItem*>(f.Find(12));
  const int64_t before = AllocationMeter::LiveBytes();
  for (int i = 0; i < 5000; ++i) item->OnClick();
  EXPECT_EQ(f.manager.outbox().pending(), EventOutbox::kMaxQueued);
  const int64_t per_event = (AllocationMeter::LiveBytes() - before) / 1024;
  for (int i = 0; i < 50000; ++i) item->OnClick();
  EXPECT_EQ(f.manager.outbox().pending(), EventOutbox::kMaxQueued);
  EXPECT_LE(AllocationMeter::LiveBytes() - before, per_event * 1100);
}

// Adding or removing many children at once lays the grid out once: each window moves at most
// once per command, not once per added sibling.
TEST_F(PanelHostileTest, ACommandOfManyChildrenMovesEachWindowAtMostOnce) {
  PanelFixture f;
  f.Apply(
      "<command name=\"config\"><ctrl class=\"op_area\" id=\"9\"><ctrl class=\"page_switch\" "
      "id=\"2\" selected=\"1\"><ctrl class=\"page_list\" id=\"1\">" +
      Descriptions(500, "filter_item", 1000) + "</ctrl></ctrl></ctrl></command>");
  auto moves = [&] {
    int n = 0;
    for (const test::FakeView* v : f.platform.log.live) n += v->moves();
    return n;
  };
  const struct {
    const char* what;
    std::string command;
    int most_moves;
    size_t children_after;
  } cases[] = {
      {"1,000 items inserted before the first",
       "<command name=\"insert\" parent_id=\"1\" pos_index=\"0\">" +
           Descriptions(1000, "filter_item", 5000) + "</command>",
       500, 1500},
      {"1,000 items removed",
       [] {
         std::string x = "<command name=\"delete\" parent_id=\"1\">";
         for (int i = 0; i < 1000; ++i) x += "<ctrl id=\"" + Id(5000 + i) + "\"/>";
         return x + "</command>";
       }(),
       500, 500},
      {"items appended",
       "<command name=\"insert\" parent_id=\"1\" pos_index=\"600\">" +
           Descriptions(200, "filter_item", 9000) + "</command>",
       0, 700},
  };
  for (const auto& c : cases) {
    const int before = moves();
    f.Apply(c.command);
    EXPECT_LE(moves() - before, c.most_moves) << c.what;
    EXPECT_EQ(f.Find(1)->GetChildren().size(), c.children_after) << c.what;
  }
  ASSERT_EQ(f.platform.ViewOf(1000)->rect().left, 0);
}

}  // namespace
}  // namespace vl
