// The command model: "config", "insert" (with its position quirks), "delete" and "modify" on the
// control tree, the find order, and what each command ignores.
#include <gtest/gtest.h>

#include "panel/dui_items.h"
#include "panel/dui_pages.h"
#include "panel/dui_tabs.h"
#include "tests/panel/panel_test_support.h"

namespace vl {
namespace {

using test::Ids;
using test::kNoParent;
using test::PanelFixture;
using V = std::vector<int32_t>;

std::string Filter(int id) {
  return test::Ctrls("filter_item", id);
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

TEST(PanelCommandTest, BuildsTheTreeThenInsertsDeletesAndModifiesDirectChildren) {
  PanelFixture f;
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
}

TEST(PanelConfigTest, NothingBuiltKeepsThePanelAndTheFirstCtrlElementIsTheOnlyRoot) {
  PanelFixture f;
  // Before the first "config" no command finds a parent.
  for (const char* name : {"insert", "modify", "delete"}) f.Apply(name, 1, Filter(2));
  EXPECT_EQ(f.manager.root(), nullptr);
  f.Apply(kPanel);
  DUICtrl* before = f.manager.root();
  f.Apply(R"(<command name="config"><ctrl class="button" id="2"/><ctrl id="3"/></command>)");
  f.Apply("<command name=\"config\">");  // not well-formed
  f.Apply("<command name=\"refresh\"><ctrl class=\"op_area\" id=\"4\"/></command>");
  f.Apply("");
  f.manager.ApplyCommand(nullptr);
  EXPECT_EQ(f.manager.root(), before);
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
}

TEST(PanelInsertTest, PositionsDroppedDescriptionsAndParentsThatAreNone) {
  // A page list 1 with the children X (100) and Y (101), under a root 1000.
  PanelFixture f;
  f.Apply(test::Config(R"(<ctrl class="page_list" id="1">)" + Filter(100) + Filter(101) + "</ctrl>",
                       1000));
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
}

TEST(PanelFindTest, ChildrenPrecedeGrandchildrenAndOfDuplicateIdsTheFirstCounts) {
  // root 1 { A=2 { A1=5 { A11=7 }, A2=6 }, B=3 { B1=7 } }: the order is 2, 3, 5, 6, 7 (A11), 7.
  PanelFixture f;
  f.Apply(test::Config(R"(<ctrl class="tab_holder" id="2">
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
}

TEST(PanelResourceTest, ASecondResourceReplacesTheFirstAndItemsTakeTheirPictureWhenTheyLoad) {
  PanelFixture f;
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
  // Items take their picture when they load.
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
}

}  // namespace
}  // namespace vl
