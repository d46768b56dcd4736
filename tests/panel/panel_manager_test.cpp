// The command model and what each command ignores; where the controls put their children's
// windows (recorded by stand-in views) and what they repaint; and what a phone that is not to be
// trusted can send: endless nesting and controls, renamed classes, impossible grids and ranges.
#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "common/text_convert.h"
#include "panel/dui_items.h"
#include "panel/dui_pages.h"
#include "panel/dui_tabs.h"
#include "panel/panel_limits.h"
#include "panel/panel_resources.h"
#include "tests/panel/panel_test_support.h"

namespace vl {
namespace {

using test::Config;
using test::Ctrls;
using test::FakeView;
using test::Ids;
using test::kNoParent;
using test::PanelFixture;
using V = std::vector<int32_t>;

std::string Filter(int id) {
  return Ctrls("filter_item", id);
}

// A realistic panel: tabs over a page switch with a filter grid and a slider page.
constexpr char kPanel[] = R"(<command name="config"><ctrl class="op_area" id="1">
  <ctrl class="tab_holder" id="10" selected="11">
    <ctrl class="tab" id="11" name="filters"/><ctrl class="tab" id="12" name="beauty"/></ctrl>
  <ctrl class="page_switch" id="20" selected="30">
    <ctrl class="page_list" id="30" name="Filters" selected="31">
      <ctrl class="filter_item" id="31" name="a"/><ctrl class="filter_item" id="32" name="b"/>
      <ctrl class="filter_item" id="33" name="c"/></ctrl>
    <ctrl class="page_adjust" id="40" name="Beauty">
      <ctrl class="slider" id="41" name="smooth" pos="30"/><ctrl class="slider" id="42"/></ctrl>
  </ctrl></ctrl></command>)";

TEST(PanelCommandTest, BuildsTheTreeAppliesEachCommandInFindOrderAndLoadsResources) {
  PanelFixture f;
  // Before the first "config" no command finds a parent.
  for (const char* name : {"insert", "modify", "delete"}) f.Apply(name, 1, Filter(2));
  EXPECT_EQ(f.manager.root(), nullptr);
  f.Apply(kPanel);
  DUICtrl* root = f.manager.root();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->kind(), ControlClass::kOpArea);
  EXPECT_EQ(f.host.calls, 1);
  EXPECT_EQ(Ids(root), (V{10, 20}));
  EXPECT_EQ(Ids(f.Find(10)), (V{11, 12}));
  EXPECT_EQ(Ids(f.Find(30)), (V{31, 32, 33}));
  EXPECT_EQ(f.Find(31)->GetParentId(), 30);
  EXPECT_EQ(f.Find(11)->name(), "filters");
  // The sliders of an adjustment page are not found by commands.
  EXPECT_EQ(f.Find(41), nullptr);
  auto* adjust = f.Get<DUIPageAdjust>(40);
  EXPECT_TRUE(Ids(adjust).empty());
  EXPECT_EQ(Ids(&adjust->list()), (V{41, 42}));
  EXPECT_EQ(static_cast<DUISlider*>(adjust->list().GetChildren()[0])->value(), 30);
  EXPECT_EQ(f.manager.CountControls(), 12);

  // Pages take items only; holders take anything (a slider under the tab holder stays in the tree,
  // without a window).
  f.Apply("insert", 30, "<ctrl class=\"op_area\" id=\"50\"/>" + Filter(51));
  EXPECT_EQ(f.Find(50), nullptr);
  ASSERT_NE(f.Find(51), nullptr);
  EXPECT_EQ(f.Find(51)->GetParentId(), 30);
  f.Apply("delete", 30, Filter(51));
  f.Apply("insert", 10, "<ctrl class=\"slider\" id=\"52\"/>");
  EXPECT_EQ(Ids(f.Find(10)), (V{11, 12, 52}));

  // Modify replaces the whole map of the child: no "name" clears the caption, omitted class
  // attributes keep their values.
  f.Apply("modify", 30, "<ctrl class=\"filter_item\" id=\"31\" mask_color=\"0x00FF00\"/>");
  auto* item = f.Get<DUIFilterItem>(31);
  EXPECT_EQ(item->mask_color(), 0x00FF00);
  EXPECT_EQ(item->name(), "");
  f.Apply("modify", 30, "<ctrl id=\"31\" name=\"x\"/>");
  EXPECT_EQ(item->mask_color(), 0x00FF00);
  EXPECT_EQ(item->name(), "x");
  EXPECT_EQ(item->class_name(), "");
  // Holders modified without "selected" select id 0.
  auto* tabs = f.Get<DUITabHolder>(10);
  EXPECT_EQ(tabs->selected(), 11);
  f.Apply("modify", 1, "<ctrl class=\"tab_holder\" id=\"10\" selected=\"12\"/>");
  EXPECT_EQ(tabs->selected(), 12);
  EXPECT_FALSE(f.Get<DUITabButton>(11)->selected());
  EXPECT_TRUE(f.Get<DUITabButton>(12)->selected());
  f.Apply("modify", 1, "<ctrl class=\"tab_holder\" id=\"10\"/>");
  EXPECT_EQ(tabs->selected(), 0);
  EXPECT_FALSE(f.Get<DUITabButton>(12)->selected());
  EXPECT_EQ(f.Get<DUIPageHolder>(20)->selected(), 30);
  f.Apply("modify", 1, "<ctrl class=\"page_switch\" id=\"20\"/>");
  EXPECT_EQ(f.Get<DUIPageHolder>(20)->selected(), 0);
  // The root's id reaches its direct children only; other parents are not found.
  f.Apply("modify", 1, R"(<ctrl class="page_switch" id="20" name="renamed"/>
          <ctrl class="tab" id="11" name="not direct"/><ctrl class="tab" name="no id"/>)");
  EXPECT_EQ(f.Find(20)->name(), "renamed");
  EXPECT_EQ(f.Find(11)->name(), "filters");
  f.Apply("modify", -1, "<ctrl id=\"20\" name=\"x\"/>");
  f.Apply("modify", 777, "<ctrl id=\"20\" name=\"x\"/>");
  EXPECT_EQ(f.Find(20)->name(), "renamed");

  // Delete removes the first direct child with that id. Not a direct child (33 is a grandchild of
  // 20), a missing id, no id, parent -1 or none: no change.
  f.Apply("delete", 30, Filter(32));
  EXPECT_EQ(Ids(f.Find(30)), (V{31, 33}));
  f.Apply("delete", 20, Filter(33));
  f.Apply("delete", 30, Filter(99));
  f.Apply("delete", 30, "<ctrl class=\"filter_item\"/>");
  f.Apply("delete", -1, Filter(31));
  f.Apply("delete", kNoParent, Filter(31));
  EXPECT_EQ(Ids(f.Find(30)), (V{31, 33}));
  f.Apply("delete", 30, Filter(31) + Filter(33));
  EXPECT_TRUE(Ids(f.Find(30)).empty());

  // Configs that build nothing keep the panel; the first "ctrl" element is the only root.
  f.Apply(R"(<command name="config"><ctrl class="button" id="2"/><ctrl id="3"/></command>)");
  f.Apply("<command name=\"config\">");  // not well-formed
  f.Apply("<command name=\"refresh\"><ctrl class=\"op_area\" id=\"4\"/></command>");
  f.Apply("");
  f.manager.ApplyCommand(nullptr);
  EXPECT_EQ(f.manager.root(), root);
  EXPECT_EQ(f.host.calls, 1);

  f.Apply(R"(<command name="config"><ctrl class="page_switch" id="5"/>
             <ctrl class="op_area" id="6"/></command>)");
  ASSERT_NE(f.manager.root(), nullptr);
  EXPECT_EQ(f.manager.root()->GetId(), 5);  // a page switch may be the root
  EXPECT_EQ(f.manager.CountControls(), 1);
  EXPECT_EQ(f.Find(6), nullptr);
  EXPECT_EQ(f.host.calls, 2);
  // Descriptions start at the first "ctrl" element, whatever follows.
  f.Apply(R"(<x name="config"><item class="op_area" id="9"/><ctrl class="op_area" id="1">
      <skip class="tab" id="5"/><ctrl class="tab_holder" id="2"/><other class="tab" id="3"/>
    </ctrl></x>)");
  ASSERT_NE(f.manager.root(), nullptr);
  EXPECT_EQ(f.manager.root()->GetId(), 1);
  // Inside: "skip" comes before the first "ctrl" and is ignored; "other" follows it and counts.
  EXPECT_EQ(Ids(f.manager.root()), (V{2, 3}));

  // Inserts: positions, dropped descriptions, parents that are none; then the find order.
  // A page list 1 with the children X (100) and Y (101), under a root 1000.
  f.Apply(
      Config(R"(<ctrl class="page_list" id="1">)" + Filter(100) + Filter(101) + "</ctrl>", 1000));
  // Without a position one is appended, and the second and later go to the front: A, B, C into X,
  // Y, 7 are A appended at -1, then B at 0 and C at 1.
  f.Apply("insert", 1, Filter(7));
  EXPECT_EQ(Ids(f.Find(1)), (V{100, 101, 7}));
  EXPECT_EQ(f.Find(7)->GetParentId(), 1);
  f.Apply("insert", 1, Filter(1001) + Filter(1002) + Filter(1003));
  EXPECT_EQ(Ids(f.Find(1)), (V{1002, 1003, 100, 101, 7, 1001}));
  // With a position the new controls take consecutive places; at the end or past it, or negative:
  // appended.
  f.Apply("insert", 1, Filter(8) + Filter(9), "1");
  EXPECT_EQ(Ids(f.Find(1)), (V{1002, 8, 9, 1003, 100, 101, 7, 1001}));
  f.Apply("insert", 1, Filter(10), "8");
  f.Apply("insert", 1, Filter(11), "99");
  f.Apply("insert", 1, Filter(12), "-5");
  EXPECT_EQ(Ids(f.Find(1)), (V{1002, 8, 9, 1003, 100, 101, 7, 1001, 10, 11, 12}));
  // A dropped description does not count as the first; missing parents discard the controls.
  f.Apply("insert", 1, "<ctrl class=\"bogus\" id=\"5\"/>" + Filter(6));
  EXPECT_EQ(Ids(f.Find(1)).back(), 6);
  f.Apply("insert", kNoParent, Filter(13));
  f.Apply("insert", -1, Filter(14));
  f.Apply("insert", 555, Filter(15));
  EXPECT_EQ(f.manager.CountControls(), 14);
  // The root itself is no parent for insert or delete.
  f.Apply("insert", 1000, "<ctrl class=\"page_list\" id=\"70\"/>");
  f.Apply("delete", 1000, "<ctrl id=\"1\"/>");
  EXPECT_EQ(f.Find(70), nullptr);
  EXPECT_EQ(Ids(f.manager.root()), V{1});

  // root 1 { A=2 { A1=5 { A11=7 }, A2=6 }, B=3 { B1=7 } }: the order is 2, 3, 5, 6, 7 (A11), 7.
  f.Apply(Config(R"(<ctrl class="tab_holder" id="2">
      <ctrl class="tab" id="5"><ctrl class="tab" id="7" name="A11"/></ctrl>
      <ctrl class="tab" id="6"/></ctrl>
    <ctrl class="page_switch" id="3"><ctrl class="tab" id="7" name="B1"/></ctrl>)"));
  ASSERT_NE(f.Find(7), nullptr);
  EXPECT_EQ(f.Find(7)->name(), "A11");  // depth first by blocks, not level by level
  // Duplicate ids: find and delete take the first, and the root only when it is included.
  f.Apply(R"(<command name="config"><ctrl class="op_area" id="4" name="root">
      <ctrl class="tab_holder" id="8" name="holder"><ctrl class="tab" id="4" name="tab"/></ctrl>
      <ctrl class="page_switch" id="8" name="switch"/></ctrl></command>)");
  EXPECT_EQ(f.manager.FindControl(4, RootSearch::kWithRoot)->name(), "root");
  EXPECT_EQ(f.manager.FindControl(4, RootSearch::kBelowRoot)->name(), "tab");
  EXPECT_EQ(f.manager.FindControl(8, RootSearch::kBelowRoot)->name(), "holder");
  // So an insert under id 4 goes to the tab, a modify under id 4 to the root's children.
  f.Apply("insert", 4, "<ctrl class=\"tab\" id=\"9\"/>");
  const DUICtrl* tab = f.manager.FindControl(4, RootSearch::kBelowRoot);
  EXPECT_EQ(Ids(tab), (V{9}));
  // Of duplicate ids a delete removes the first only.
  f.Apply("insert", 4, "<ctrl class=\"tab\" id=\"9\" name=\"second\"/>");
  f.Apply("delete", 4, "<ctrl id=\"9\"/>");
  ASSERT_EQ(tab->GetChildren().size(), 1u);
  EXPECT_EQ(tab->GetChildren()[0]->name(), "second");
  f.Apply("modify", 4, "<ctrl id=\"8\" name=\"first 8\"/>");
  EXPECT_EQ(f.manager.root()->GetChildren()[0]->name(), "first 8");
  EXPECT_EQ(f.manager.root()->GetChildren()[1]->name(), "switch");

  // A second resource replaces the first; items take their picture when they load (below).
  f.Resource("face.png", "PIC 10x20");
  f.Resource("face.png", "PIC 30x40");
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(f.manager.FindResource("face.png", &bytes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "PIC 30x40");
  EXPECT_FALSE(f.manager.FindResource("FACE.png", &bytes));
  EXPECT_EQ(f.manager.resources().count(), 1u);
  // An empty resource (a packet of just the name field) is stored with no bytes.
  f.manager.AddResource("empty", nullptr, 0);
  EXPECT_TRUE(f.manager.FindResource("empty", &bytes));
  EXPECT_TRUE(bytes.empty());
  f.Resource("big.png", "PIC 136x68");
  f.Apply(R"(<command name="config"><ctrl class="page_list" id="1">
      <ctrl class="filter_item" id="2" image="big.png"/>
      <ctrl class="circle_item" id="3" image="later.png"/>
      <ctrl class="decor_item" id="4" image="big.png"/></ctrl></command>)");
  auto* filter = f.Get<DUIPictureItem>(2);
  ASSERT_NE(filter->picture(), nullptr);
  EXPECT_EQ(filter->picture()->width(), 68);  // fitted into 68 x 68
  EXPECT_EQ(filter->picture()->height(), 34);
  EXPECT_NE(f.Get<DUIPictureItem>(4)->picture(), nullptr);
  // A resource arriving after the load is picked up at the next load naming it.
  auto* circle = f.Get<DUIPictureItem>(3);
  EXPECT_EQ(circle->picture(), nullptr);
  f.Resource("later.png", "PIC 20x20");
  EXPECT_EQ(circle->picture(), nullptr);
  f.Apply("modify", 1, "<ctrl id=\"3\" image=\"later.png\"/>");
  ASSERT_NE(circle->picture(), nullptr);
  EXPECT_EQ(circle->picture()->width(), 20);
  // Undecodable bytes or a missing name keep the picture.
  f.Resource("junk.png", "not a picture");
  f.Apply("modify", 1, "<ctrl id=\"3\" image=\"junk.png\"/>");
  f.Apply("modify", 1, "<ctrl id=\"3\" image=\"nothing.png\"/>");
  f.Apply("modify", 1, "<ctrl id=\"3\"/>");
  ASSERT_NE(circle->picture(), nullptr);
  EXPECT_EQ(circle->picture()->width(), 20);
  // The same when the loads come in a row before anything asks for the picture.
  f.Resource("next.png", "PIC 30x30");
  f.Apply("modify", 1, "<ctrl id=\"3\" image=\"next.png\"/>");
  f.Apply("modify", 1, "<ctrl id=\"3\" image=\"junk.png\"/>");
  ASSERT_NE(circle->picture(), nullptr);
  EXPECT_EQ(circle->picture()->width(), 30);

  // Past a store's bound new names and growth are refused, in the manager's store too.
  PanelResourceStore store(1000);
  auto block = [](size_t n) { return std::make_unique<uint8_t[]>(n); };
  EXPECT_TRUE(store.Add("a", block(400), 400));
  EXPECT_TRUE(store.Add("b", block(400), 400));
  EXPECT_FALSE(store.Add("c", block(400), 400));  // a new name past the bound
  EXPECT_EQ(store.count(), 2u);
  EXPECT_FALSE(store.Add("a", block(600), 600));  // a replacement that would pass it
  ASSERT_TRUE(store.Find("a", &bytes));
  EXPECT_EQ(bytes.size(), 400u);
  EXPECT_TRUE(store.Add("a", block(10), 10));  // shrinking frees room
  EXPECT_TRUE(store.Add("c", block(300), 300));
  EXPECT_LE(store.used_bytes(), 1000);
  // Empty resources cost something too, so names alone cannot grow the store without bound.
  int empties = 0;
  while (store.Add("e" + std::to_string(empties), nullptr, 0)) ++empties;
  EXPECT_LT(empties, 10);
  // The manager's store is bounded.
  const int32_t chunk = 8 * 1024 * 1024;
  int stored = 0;
  for (int i = 0; i < 12; ++i) {
    f.manager.AddResource("pic" + std::to_string(i), std::make_unique<uint8_t[]>(chunk), chunk);
    if (f.manager.FindResource("pic" + std::to_string(i), &bytes)) ++stored;
  }
  EXPECT_EQ(stored, static_cast<int>(kMaxResourceStoreBytes / chunk) - 1);
  EXPECT_LE(f.manager.resources().used_bytes(), kMaxResourceStoreBytes);
}

PanelRect R(int l, int t, int r, int b) {
  return PanelRect{l, t, r, b};
}

constexpr char kTabsAndPages[] = R"(<command name="config"><ctrl class="op_area" id="1">
    <ctrl class="tab" id="2"/>
    <ctrl class="tab_holder" id="10" selected="12">
      <ctrl class="tab" id="11"/><ctrl class="tab" id="12"/><ctrl class="slider" id="13"/></ctrl>
    <ctrl class="page_switch" id="20" selected="40">
      <ctrl class="page_list" id="30" list_padding_left="10" list_padding_top="50"/>
      <ctrl class="page_adjust" id="40"/><ctrl class="page_adjust" id="41" style="1"/>
      <ctrl class="tab" id="42"/></ctrl>
  </ctrl></command>)";

TEST(PanelWindowsTest, TheAreaPlacesTheTabRowAboveThePagesAndTheGridItsCells) {
  PanelFixture f;
  f.Apply(kTabsAndPages);
  auto view = [&](int32_t id) { return f.platform.ViewOf(id); };
  ASSERT_NE(view(1), nullptr);
  EXPECT_EQ(view(1)->rect, R(728, 68, 1078, 640));
  EXPECT_EQ(view(2), nullptr);  // a tab directly under the operation area gets no window
  EXPECT_EQ(view(10)->rect, R(0, 0, 350, 38));
  EXPECT_EQ(view(20)->rect, R(0, 38, 350, 572));
  EXPECT_EQ(view(10)->parent, view(1));

  // Tabs share the row: three children, slots of 116 pixels; the slider's slot stays empty.
  EXPECT_EQ(view(11)->rect, R(0, 0, 116, 38));
  EXPECT_EQ(view(12)->rect, R(116, 0, 232, 38));
  EXPECT_EQ(view(13), nullptr);
  EXPECT_FALSE(f.Get<DUITabButton>(11)->selected());
  EXPECT_TRUE(f.Get<DUITabButton>(12)->selected());
  // A new tab takes a slot at once; removing one re-spreads the rest.
  f.Apply("insert", 10, Ctrls("tab", 14));
  EXPECT_EQ(view(14)->rect, R(261, 0, 348, 38));
  EXPECT_EQ(view(11)->rect, R(0, 0, 87, 38));
  f.Apply("delete", 10, R"(<ctrl id="11"/><ctrl id="13"/>)");
  EXPECT_EQ(view(11), nullptr);
  EXPECT_EQ(view(12)->rect, R(0, 0, 175, 38));
  EXPECT_EQ(view(14)->rect, R(175, 0, 350, 38));
  f.Apply("delete", 10, R"(<ctrl id="12"/><ctrl id="14"/>)");
  EXPECT_TRUE(Ids(f.Find(10)).empty());
  EXPECT_NE(view(10), nullptr);

  // Pages place their lists; adjustment pages take the slider layout.
  auto* list_page = f.Get<DUIPageList>(30);
  FakeView* list = f.platform.ViewOf(&list_page->list());
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->rect, R(10, 50, 350, 534));
  EXPECT_EQ(list->parent, view(30));
  auto* adjust = f.Get<DUIPageAdjust>(40);
  EXPECT_EQ(f.platform.ViewOf(&adjust->list())->rect, R(20, 126, 350, 534));
  EXPECT_EQ(f.platform.ViewOf(&f.Get<DUIPageAdjust>(41)->list())->rect, R(20, 128, 350, 534));
  // Sliders inserted now sit 47 pixels apart (without "pos_index" the second goes first), and, as
  // the layout map has no id, report the list's id 0 as their parent until the page is loaded
  // again.
  f.Apply("insert", 40, Ctrls("slider", 51, 2));
  ASSERT_EQ(adjust->list().GetChildren().size(), 2u);
  EXPECT_EQ(view(52)->rect, R(0, 0, 320, 22));
  EXPECT_EQ(view(51)->rect, R(0, 47, 320, 69));
  EXPECT_EQ(adjust->list().GetChildren()[0]->GetParentId(), 0);
  f.Apply("modify", 20, R"(<ctrl class="page_adjust" id="40"/>)");
  f.Apply("insert", 40, Ctrls("slider", 53));
  EXPECT_EQ(adjust->list().GetChildren()[2]->GetParentId(), 40);
  EXPECT_EQ(view(53)->rect, R(0, 94, 320, 116));

  // The page switch shows the selected page only; the tab row and the page switch change
  // independently, each by its own modify.
  EXPECT_EQ(view(30)->rect, R(0, 0, 350, 534));
  EXPECT_FALSE(view(30)->visible);
  EXPECT_TRUE(view(40)->visible);
  EXPECT_FALSE(view(41)->visible);
  EXPECT_EQ(view(42), nullptr);
  f.Apply("modify", 1, R"(<ctrl id="10" selected="11"/>)");
  EXPECT_TRUE(view(40)->visible);
  f.Apply("modify", 1, R"(<ctrl id="20" selected="30"/>)");
  EXPECT_TRUE(view(30)->visible);
  EXPECT_FALSE(view(40)->visible);
  f.Apply("modify", 1, R"(<ctrl id="20" selected="99"/>)");
  EXPECT_FALSE(view(30)->visible);
  EXPECT_FALSE(view(40)->visible);
  // Pages added after the switch has its window get none.
  f.Apply("insert", 20, Ctrls("page_list", 43));
  EXPECT_EQ(view(43), nullptr);

  // The next panel replaces every window.
  EXPECT_GT(f.platform.log.live.size(), 8u);
  f.Apply(Config("", 9));
  ASSERT_EQ(f.platform.log.live.size(), 1u);
  EXPECT_EQ(f.platform.log.live[0]->control.GetId(), 9);

  // The grid places seven filter items in cells of three columns, the fifth selected, and repacks
  // them after a removal.
  f.Apply(Config(R"(<ctrl class="page_switch" id="2" selected="3">
      <ctrl class="page_list" id="3" selected="104">)" +
                 Ctrls("filter_item", 100, 7) + "</ctrl></ctrl>"));
  list = f.platform.ViewOf(&f.Get<DUIPageList>(3)->list());
  EXPECT_EQ(view(106)->rect, R(0, 160, 68, 228));
  EXPECT_EQ(view(106)->parent, list);
  EXPECT_EQ(list->content_height, 228);
  EXPECT_TRUE(f.Get<DUIItem>(104)->selected());
  const int resets = f.platform.log.scroll_resets;
  f.Apply("delete", 3, R"(<ctrl id="101"/>)");
  EXPECT_EQ(view(101), nullptr);
  EXPECT_EQ(view(102)->rect, R(102, 0, 170, 68));
  EXPECT_EQ(view(106)->rect, R(204, 80, 272, 148));
  EXPECT_EQ(list->content_height, 148);
  EXPECT_EQ(f.platform.log.scroll_resets, resets + 1);  // back to the top
  // Selecting through the page marks the item and moves nothing.
  const int moves = view(100)->moves;
  f.Apply("modify", 2, R"(<ctrl class="page_list" id="3" selected="100"/>)");
  EXPECT_TRUE(f.Get<DUIItem>(100)->selected());
  EXPECT_FALSE(f.Get<DUIItem>(104)->selected());
  EXPECT_EQ(view(100)->moves, moves);
  // A filter item inserted into the page shows in the grid at once.
  f.Apply("insert", 3, Ctrls("filter_item", 107));
  EXPECT_EQ(view(107)->rect, R(0, 160, 68, 228));
  // Only items whose selection or attributes change repaint.
  int before = f.platform.log.repaints;
  f.Apply("modify", 2, R"(<ctrl id="3" selected="102"/>)");
  EXPECT_EQ(f.platform.log.repaints, before + 2);  // 100 unmarked, 102 marked
  before = f.platform.log.repaints;
  f.Apply("modify", 2, R"(<ctrl id="3" selected="102"/>)");
  EXPECT_EQ(f.platform.log.repaints, before);
  f.Apply("modify", 3, R"(<ctrl id="103" name="new"/>)");
  EXPECT_EQ(f.platform.log.repaints, before + 1);
}

// Deepest level of the tree (root = 1), walking every owned control.
int Depth(const DUICtrl* c) {
  int deepest = 0;
  for (const DUICtrl* k : c->OwnedControls()) deepest = std::max(deepest, Depth(k));
  return deepest + 1;
}

TEST(PanelCapTest, CapsHoldAndOddDescriptionsStayAsTheyWereMade) {
  PanelFixture f;
  f.Apply(Config(Ctrls("page_switch", 2)));
  // Each insert goes under the control the previous one made: without a cap the tree would deepen
  // by one level per command, and every recursive walk with it.
  for (int id = 3; id < 3 + 5 * kMaxPanelDepth; ++id)
    f.Apply("insert", id - 1, Ctrls("page_switch", id));
  EXPECT_EQ(Depth(f.manager.root()), kMaxPanelDepth);
  EXPECT_NE(f.Find(kMaxPanelDepth), nullptr);
  EXPECT_EQ(f.Find(kMaxPanelDepth + 1), nullptr);
  EXPECT_EQ(f.manager.CountControls(), kMaxPanelDepth);
  // A config nested 90 deep (below the XML parser's own limit of 100 elements) too.
  std::string nested;
  for (int i = 90; i > 0; --i)
    nested = "<ctrl class=\"tab\" id=\"" + std::to_string(i) + "\">" + nested + "</ctrl>";
  f.Apply(test::Command("config", kNoParent, nested));
  ASSERT_EQ(f.manager.root()->kind(), ControlClass::kTab);  // the nested config replaced it
  EXPECT_EQ(Depth(f.manager.root()), kMaxPanelDepth);
  EXPECT_EQ(f.manager.CountControls(), kMaxPanelDepth);

  // The control cap: a config, an insert, adjustment pages' sliders; and the attribute bound.
  f.Apply(Config("<ctrl class=\"page_switch\" id=\"2\">" +
                 Ctrls("tab", 100, kMaxPanelControls + 500) + "</ctrl>"));
  EXPECT_EQ(f.manager.CountControls(), kMaxPanelControls);
  f.Apply("insert", 2, Ctrls("tab", 5));
  EXPECT_EQ(f.manager.CountControls(), kMaxPanelControls);
  EXPECT_EQ(f.Find(5), nullptr);
  // Deleting makes room again.
  f.Apply("delete", 2, Ctrls("tab", 100, 2));
  f.Apply("insert", 2, Ctrls("tab", 5, 3));
  EXPECT_EQ(f.manager.CountControls(), kMaxPanelControls);
  EXPECT_NE(f.Find(5), nullptr);
  EXPECT_NE(f.Find(6), nullptr);
  EXPECT_EQ(f.Find(7), nullptr);
  // The sliders of adjustment pages count too.
  f.Apply(Config(R"(<ctrl class="page_switch" id="2"><ctrl class="page_adjust" id="3"/></ctrl>)"));
  ASSERT_EQ(f.manager.CountControls(), 3);
  std::string sliders;
  for (int i = 0; i < kMaxPanelControls; ++i) sliders += "<ctrl class=\"slider\" id=\"9\"/>";
  f.Apply("insert", 3, sliders);
  f.Apply("insert", 3, sliders);
  EXPECT_EQ(f.manager.CountControls(), kMaxPanelControls);
  // A description up to the attribute bound is kept and one byte more is dropped: class, id and
  // name="...", names and values, and a charge per attribute.
  const int64_t fixed = 3 * kAttributeCharge + 5 + 11 + 2 + 1 + 4;
  const std::string fits(static_cast<size_t>(kMaxAttributeBytes - fixed), 'n');
  f.Apply(Config(R"(<ctrl class="page_list" id="2">)" +
                 Ctrls("filter_item", 5, 1, "name=\"" + fits + "\"") +
                 Ctrls("filter_item", 6, 1, "name=\"" + fits + "n\"") + "</ctrl>"));
  EXPECT_NE(f.Find(5), nullptr);
  EXPECT_EQ(f.Find(6), nullptr);

  // Classes as created, impossible grids and ranges, and captions in the ANSI code page.
  f.Apply(Config(R"(<ctrl class="tab_holder" id="10"><ctrl class="tab" id="11"/>
      <ctrl class="slider" id="12"/></ctrl>
      <ctrl class="page_switch" id="20" selected="21"><ctrl class="page_list" id="21"/></ctrl>)"));
  ASSERT_EQ(f.platform.ViewOf(12), nullptr);
  // The slider renamed "tab", and the tab holder selecting it: it stays a slider, gets no tab slot
  // and is never treated as a tab button.
  f.Apply("modify", 10, R"(<ctrl class="tab" id="12"/>)");
  EXPECT_EQ(f.Find(12)->class_name(), "tab");
  EXPECT_EQ(f.Find(12)->kind(), ControlClass::kSlider);
  f.Apply("modify", 1, R"(<ctrl class="tab_holder" id="10" selected="12"/>)");
  f.Apply("insert", 10, Ctrls("tab", 13));
  EXPECT_EQ(f.platform.ViewOf(12), nullptr);
  EXPECT_FALSE(f.Get<DUISlider>(12)->selected());
  // A page renamed "slider" is still shown and hidden as a page; an "op_area" renamed "page_list"
  // is still not one.
  f.Apply("modify", 20, R"(<ctrl class="slider" id="21"/>)");
  f.Apply("modify", 1, R"(<ctrl class="page_switch" id="20" selected="99"/>)");
  EXPECT_FALSE(f.platform.ViewOf(21)->visible);
  f.Apply("insert", 21, Ctrls("filter_item", 22) + Ctrls("tab", 23));
  EXPECT_NE(f.Find(22), nullptr);
  EXPECT_EQ(f.Find(23), nullptr);

  // Non-positive columns lay out as one column.
  f.Apply(Config(R"(<ctrl class="page_switch" id="2" selected="3">
      <ctrl class="page_list" id="3" col="0"><ctrl class="circle_item" id="4"/>
      <ctrl class="circle_item" id="5"/></ctrl></ctrl>)"));
  EXPECT_EQ(f.platform.ViewOf(5)->rect, (PanelRect{0, 80, 68, 148}));
  f.Apply("modify", 2, R"(<ctrl id="3" col="-7" item_width="2147483647"
             item_height="0x7FFFFFFF" spacex="2147483647" spacey="-2147483648"/>)");
  f.Apply("insert", 3, Ctrls("circle_item", 6));
  // Re-laid out: one column of the largest cells, no gap (a negative gap counts as none).
  EXPECT_EQ(f.platform.ViewOf(4)->rect, (PanelRect{0, 0, kMaxCellSize, kMaxCellSize}));
  EXPECT_EQ(f.platform.ViewOf(5)->rect.top, kMaxCellSize);
  EXPECT_EQ(f.platform.ViewOf(6)->rect.top, 2 * kMaxCellSize);

  // Equal and inverted slider ranges stay ordered.
  f.Apply(Config(R"(<ctrl class="page_list" id="2">
        <ctrl class="slider" id="3" min="40" max="40" pos="90"/>
        <ctrl class="slider" id="4" min="80" max="20" pos="50"/>
        <ctrl class="slider" id="5" min="-2147483648" max="2147483647" pos="-2147483648"/>
      </ctrl>)"));
  EXPECT_EQ(f.Get<DUISlider>(3)->value(), 40);
  // min 80, then max 20 below it lowers the minimum, then pos 50 is held at the maximum.
  auto* inverted = f.Get<DUISlider>(4);
  EXPECT_EQ(inverted->minimum(), 20);
  EXPECT_EQ(inverted->maximum(), 20);
  EXPECT_EQ(inverted->value(), 20);
  auto* wide = f.Get<DUISlider>(5);
  EXPECT_EQ(wide->value(), INT32_MIN);
  wide->SetValue(INT32_MAX);
  EXPECT_EQ(wide->value(), INT32_MAX);

  // Captions reach the panel converted to the ANSI code page (GBK on the target systems), so the
  // no-filter words must be compared in that encoding, not in this file's UTF-8.
  const std::string original = Utf8ToAnsi("原图");
  ASSERT_NE(original, "原图");  // really another encoding than this file's UTF-8
  const struct {
    std::string name;
    bool plain;
  } items[] = {{original, true},
               {Utf8ToAnsi("无"), true},
               {Utf8ToAnsi("取消"), true},
               {"原图", false},
               {original + "x", false}};
  std::string xml = "<command name=\"config\"><ctrl class=\"page_list\" id=\"1\">";
  for (size_t i = 0; i < std::size(items); ++i) {
    xml += "<ctrl class=\"filter_item\" id=\"" + std::to_string(2 + i) + "\" name=\"" +
           items[i].name + "\"/>";
  }
  f.Apply(xml + "</ctrl></command>");
  auto plain = [&](size_t i) { return f.Get<DUIFilterItem>(static_cast<int>(2 + i))->plain(); };
  for (size_t i = 0; i < std::size(items); ++i) EXPECT_EQ(plain(i), items[i].plain) << i;
  // Once plain, always plain.
  f.Apply("modify", 1, R"(<ctrl id="2" name="Vivid"/>)");
  EXPECT_TRUE(plain(0));
}

}  // namespace
}  // namespace vl
