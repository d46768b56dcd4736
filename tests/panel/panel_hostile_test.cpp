// A phone that is not to be trusted, against the panel's bounds on memory, windows and work:
// pictures that hundreds of items name, inserts that can never be added, pages that each make
// several windows, commands that run out of memory half-way, and commands of thousands of
// descriptions. The memory figures are what this program holds through operator new (replaced
// here), under the address-space limit of a 32-bit process.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "panel/dui_items.h"
#include "panel/panel_limits.h"
#include "tests/panel/panel_test_support.h"

namespace vl {
namespace {

constexpr int64_t kMiB = 1024 * 1024;
// What a 32-bit Windows program can allocate in all.
constexpr int64_t kAddressSpace32 = 2048 * kMiB;

// What this program holds through operator new, and allocations made to fail: past `limit` (a
// 32-bit process's address space), or the one at which `countdown` reaches zero (once; `failed`
// tells it has happened).
std::atomic<int64_t> live_bytes{0}, limit{kAddressSpace32}, countdown{0};
std::atomic<bool> failed{false};

// Each block carries its size in front, so that delete knows what it gives back.
constexpr size_t kHeader = 16;

void* Allocate(size_t size) {
  if (countdown.load() > 0 && countdown.fetch_sub(1) == 1) {
    failed = true;
    return nullptr;
  }
  if (live_bytes.load() + static_cast<int64_t>(size) > limit.load()) return nullptr;
  auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
  if (!block) return nullptr;
  *reinterpret_cast<size_t*>(block) = size;
  live_bytes += static_cast<int64_t>(size);
  return block + kHeader;
}

void Free(void* p) {
  if (!p) return;
  auto* block = static_cast<unsigned char*>(p) - kHeader;
  live_bytes -= static_cast<int64_t>(*reinterpret_cast<size_t*>(block));
  std::free(block);
}

}  // namespace
}  // namespace vl

void* operator new(size_t size) {
  if (void* p = vl::Allocate(size)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t size) {
  return operator new(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  return vl::Allocate(size);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
  return vl::Allocate(size);
}
void operator delete(void* p) noexcept {
  vl::Free(p);
}
void operator delete[](void* p) noexcept {
  vl::Free(p);
}
void operator delete(void* p, size_t) noexcept {
  vl::Free(p);
}
void operator delete[](void* p, size_t) noexcept {
  vl::Free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
  vl::Free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
  vl::Free(p);
}

namespace vl {
namespace {

using test::Command;
using test::Ctrls;
using test::PanelFixture;

// A picture the fake platform decodes (68 x 68), padded to `size` bytes.
void AddPicture(PanelFixture& f, const std::string& name, size_t size) {
  f.Resource(name, "PIC 68x68" + std::string(size - 9, ' '));
}

// `items` filter items (ids from 100) naming `image`.
std::string ImageItems(int items, const std::string& image) {
  return Ctrls("filter_item", 100, items, "image=\"" + image + "\"");
}

// A panel whose shown page (id 3) is empty and whose hidden page (id 4) holds the image items.
std::string HiddenPageConfig(int items, const std::string& image) {
  return test::Config(R"(<ctrl class="page_switch" id="2" selected="3"><ctrl class="page_list"
      id="3"/><ctrl class="page_list" id="4">)" +
                      ImageItems(items, image) + "</ctrl></ctrl>");
}

const char kOrdinaryConfig[] = R"(<command name="config"><ctrl class="op_area" id="7">
    <ctrl class="tab_holder" id="8"><ctrl class="tab" id="9" name="filters"/></ctrl>
    <ctrl class="page_switch" id="10" selected="11"><ctrl class="page_list" id="11">
      <ctrl class="filter_item" id="12" name="vivid" image="thumb"/></ctrl></ctrl>
  </ctrl></command>)";

TEST(PanelHostileTest, HostileConfigsStayWithinTheBoundsAndTheNextOrdinaryConfigApplies) {
  IsPlainCaption("");  // its word list is made once, for the process
  const int64_t before = live_bytes.load();
  {
    PanelFixture f;
    const std::string adjust_pages =
        test::Config("<ctrl class=\"page_switch\" id=\"2\" selected=\"10\">" +
                     Ctrls("page_adjust", 10, kMaxPanelControls - 2) + "</ctrl>");
    const std::string lost_insert = Command("insert", 999999, Ctrls("page_adjust", 5000, 20000));
    struct Step {
      const char* what;
      std::function<void()> run;
    };
    const Step steps[] = {
        {"one 8 MiB picture", [&] { AddPicture(f, "big", 8 * kMiB); }},
        {"200 items on a hidden page naming it", [&] { f.Apply(HiddenPageConfig(200, "big")); }},
        {"the same 200 items loaded again", [&] { f.Apply("modify", 4, ImageItems(200, "big")); }},
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
      EXPECT_LE(live_bytes.load() - before, kMaxPanelHeldBytes) << step.what;
      EXPECT_LE(f.platform.windows().used(), kMaxPanelWindows) << step.what;
      EXPECT_LE(f.platform.LiveWindows(), kMaxPanelWindows) << step.what;
      EXPECT_LE(f.manager.CountControls(), kMaxPanelControls) << step.what;
    }
    // Pages past the window bound stay without windows; the first ones have theirs, the bound
    // all but filled.
    EXPECT_GT(f.platform.LiveWindows(), kMaxPanelWindows - 6);
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
  EXPECT_EQ(live_bytes.load(), before);
}

TEST(PanelHostileTest, ItemsShareOnePictureDecodedOnceAndCommandsOfManyMoveEachWindowOnce) {
  PanelFixture f;
  AddPicture(f, "big", 8 * kMiB);
  const int64_t before = live_bytes.load();
  f.Apply(HiddenPageConfig(200, "big"));
  EXPECT_EQ(f.platform.decodes, 1);
  const PanelPicture* first = f.Get<DUIFilterItem>(100)->picture();
  ASSERT_NE(first, nullptr);
  for (int i = 0; i < 200; ++i) EXPECT_EQ(f.Get<DUIFilterItem>(100 + i)->picture(), first);
  // No item holds bytes of the picture: the items and their tree take far less than one copy.
  EXPECT_LT(live_bytes.load() - before, 8 * kMiB / 4);
  // Bytes that do not decode are tried once per resource, not once per item.
  f.Resource("junk", std::string(4096, 'x'));
  f.Apply("modify", 4, ImageItems(200, "junk"));
  EXPECT_EQ(f.platform.decodes, 2);
  EXPECT_EQ(f.Get<DUIFilterItem>(150)->picture(), first);  // kept
  // A replacement is a new picture for the items that load it again.
  f.Resource("big", "PIC 10x20");
  f.Apply("modify", 4, ImageItems(1, "big"));
  EXPECT_EQ(f.Get<DUIFilterItem>(100)->picture()->height(), 20);
  EXPECT_EQ(f.Get<DUIFilterItem>(101)->picture(), first);

  // Adding or removing many children at once lays the grid out once: each window moves at most once
  // per command, not once per added sibling.
  f.Apply(test::Config(
      R"(<ctrl class="page_switch" id="2" selected="1"><ctrl class="page_list" id="1">)" +
          Ctrls("filter_item", 1000, 500) + "</ctrl></ctrl>",
      9));
  auto moves = [&] {
    int n = 0;
    for (const test::FakeView* v : f.platform.log.live) n += v->moves;
    return n;
  };
  const struct {
    const char* what;
    std::string command;
    int most_moves;
    size_t children_after;
  } cases[] = {
      {"1,000 items inserted before the first",
       Command("insert", 1, Ctrls("filter_item", 5000, 1000), "0"), 500, 1500},
      {"1,000 items removed", Command("delete", 1, Ctrls("filter_item", 5000, 1000)), 500, 500},
      {"items appended", Command("insert", 1, Ctrls("filter_item", 9000, 200), "600"), 0, 700},
  };
  for (const auto& c : cases) {
    const int earlier = moves();
    f.Apply(c.command);
    EXPECT_LE(moves() - earlier, c.most_moves) << c.what;
    EXPECT_EQ(f.Find(1)->GetChildren().size(), c.children_after) << c.what;
  }
  ASSERT_EQ(f.platform.ViewOf(1000)->rect.left, 0);
}

TEST(PanelHostileTest, AnInsertThatCannotBeAddedBuildsNothingAndWaitingEventsAreBounded) {
  PanelFixture f;
  f.Apply(kOrdinaryConfig);
  const std::string body = Ctrls("page_adjust", 5000, 20000);
  // What a command costs at its peak (reading its text and document): the least room, to 64 KiB, it
  // applies in.
  auto peak_of = [&](const std::string& command) {
    const int64_t before = live_bytes.load();
    int64_t low = 0, high = 64 * kMiB;
    while (high - low > 64 * 1024) {
      const int64_t room = (low + high) / 2;
      limit = before + room;
      (f.manager.ApplyCommand(command.c_str()) ? high : low) = room;
    }
    limit = kAddressSpace32;
    return high;
  };
  // A name that does nothing costs the reading alone.
  const int64_t reading = peak_of(Command("nothing", 999, body));
  const struct {
    const char* what;
    std::string command;
  } cases[] = {{"a missing parent", Command("insert", 999, body)},
               {"no parent id", Command("insert", test::kNoParent, body)}};
  for (const auto& c : cases) {
    EXPECT_LE(peak_of(c.command), reading + kMiB) << c.what;
    EXPECT_EQ(f.manager.CountControls(), 6) << c.what;
  }
  // Clicks on the panel of a phone that has gone away wait for the next connection, but only the
  // newest 1,024: hours of them do not grow the program without bound.
  f.manager.outbox().SetThreadStarter([](std::function<void()>) { return false; });
  auto* item = static_cast<DUIItem*>(f.Find(12));
  const int64_t before = live_bytes.load();
  for (int i = 0; i < 5000; ++i) item->OnClick();
  EXPECT_EQ(f.manager.outbox().pending(), EventOutbox::kMaxQueued);
  const int64_t per_event = (live_bytes.load() - before) / 1024;
  for (int i = 0; i < 50000; ++i) item->OnClick();
  EXPECT_EQ(f.manager.outbox().pending(), EventOutbox::kMaxQueued);
  EXPECT_LE(live_bytes.load() - before, per_event * 1100);
}

// Every allocation a command makes may be the one that fails (a 32-bit process near its end): the
// command is dropped, the panel stays as it was, and the next command applies.
TEST(PanelHostileTest, ACommandThatRunsOutOfMemoryFailsAlone) {
  const struct {
    const char* what;
    std::string command;
  } cases[] = {
      {"config", HiddenPageConfig(30, "thumb")},
      {"insert", R"(<command name="insert" parent_id="11" pos_index="0">
          <ctrl class="filter_item" id="20" image="thumb"/><ctrl class="circle_item" id="21"/>
          <ctrl class="slider" id="22"/></command>)"},
      {"insert into the tab row", Command("insert", 8, Ctrls("tab", 23, 2))},
      {"delete", Command("delete", 11, R"(<ctrl id="12"/><ctrl id="12"/>)")},
  };
  auto snapshot = [](const PanelFixture& f) {
    std::string s;
    std::vector<std::pair<const DUICtrl*, int>> stack{{f.manager.root(), 0}};
    while (!stack.empty()) {
      auto [c, depth] = stack.back();
      stack.pop_back();
      if (!c) continue;
      s += std::string(static_cast<size_t>(depth), ' ') + c->class_name() + "#" +
           std::to_string(c->GetId()) + " " + c->name() + (c->HasWindow() ? " w" : "") + "\n";
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
      failed = false;
      countdown = n;
      bool applied = false;
      EXPECT_NO_THROW(applied = f.manager.ApplyCommand(c.command.c_str())) << c.what << " " << n;
      countdown = 0;
      if (!failed) break;  // the command made fewer allocations than n: all were tried
      // A window that could not be made leaves its control without one (the command applies); any
      // other failure drops the command whole.
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

}  // namespace
}  // namespace vl
