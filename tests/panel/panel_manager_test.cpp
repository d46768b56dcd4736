// The command model: "config", "insert" (with its position quirks), "delete" and "modify" on the
// control tree, the find order, and what each command ignores.
#include <gtest/gtest.h>

#include "panel/dui_items.h"
#include "panel/dui_pages.h"
#include "panel/dui_tabs.h"
#include "tests/panel/panel_test_support.h"

namespace vl {
namespace {

using test::PanelFixture;

// A realistic panel: tabs over a page switch with a filter grid and a slider page.
constexpr char kPanel[] = R"(<command name="config">
  <ctrl class="op_area" id="1">
    <ctrl class="tab_holder" id="10" selected="11">
      <ctrl class="tab" id="11" name="filters"/>
      <ctrl class="tab" id="12" name="beauty"/>
    </ctrl>
    <ctrl class="page_switch" id="20" selected="30">
      <ctrl class="page_list" id="30" name="Filters" selected="31">
        <ctrl class="filter_item" id="31" name="a"/>
        <ctrl class="filter_item" id="32" name="b"/>
        <ctrl class="filter_item" id="33" name="c"/>
      </ctrl>
      <ctrl class="page_adjust" id="40" name="Beauty">
        <ctrl class="slider" id="41" name="smooth" pos="30"/>
        <ctrl class="slider" id="42" name="whiten"/>
      </ctrl>
    </ctrl>
  </ctrl>
</command>)";

std::string Insert(int parent, const std::string& ctrls, const std::string& pos = "") {
  return "<command name=\"insert\" parent_id=\"" + std::to_string(parent) + "\"" +
         (pos.empty() ? "" : " pos_index=\"" + pos + "\"") + ">" + ctrls + "</command>";
}

std::string Modify(int parent, const std::string& ctrls) {
  return "<command name=\"modify\" parent_id=\"" + std::to_string(parent) + "\">" + ctrls +
         "</command>";
}

std::string Delete(int parent, const std::string& ctrls) {
  return "<command name=\"delete\" parent_id=\"" + std::to_string(parent) + "\">" + ctrls +
         "</command>";
}

std::string Filter(int id) {
  return "<ctrl class=\"filter_item\" id=\"" + std::to_string(id) + "\"/>";
}

// A manager holding kPanel.
class PanelTest : public ::testing::Test {
 protected:
  void SetUp() override { f.Apply(kPanel); }
  PanelFixture f;
};

TEST_F(PanelTest, BuildsTheNestedTreeAndHandsTheRootToTheHost) {
  DUICtrl* root = f.manager.root();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->kind(), ControlClass::kOpArea);
  EXPECT_EQ(f.host.calls, 1);
  EXPECT_EQ(PanelFixture::Ids(root), (std::vector<int32_t>{10, 20}));
  EXPECT_EQ(PanelFixture::Ids(f.Find(10)), (std::vector<int32_t>{11, 12}));
  EXPECT_EQ(PanelFixture::Ids(f.Find(30)), (std::vector<int32_t>{31, 32, 33}));
  EXPECT_EQ(f.Find(31)->GetParentId(), 30);
  EXPECT_EQ(f.Find(11)->name(), "filters");
  // The sliders of an adjustment page are not found by commands.
  EXPECT_EQ(f.Find(41), nullptr);
  auto* adjust = static_cast<DUIPageAdjust*>(f.Find(40));
  EXPECT_TRUE(PanelFixture::Ids(adjust).empty());
  EXPECT_EQ(PanelFixture::Ids(&adjust->list()), (std::vector<int32_t>{41, 42}));
  EXPECT_EQ(static_cast<DUISlider*>(adjust->list().GetChildren()[0])->value(), 30);
  EXPECT_EQ(f.manager.CountControls(), 12);
}

TEST(PanelConfigTest, DescriptionsStartAtTheFirstCtrlElementWhateverFollows) {
  PanelFixture f;
  f.Apply(R"(<x name="config"><item class="op_area" id="9"/><ctrl class="op_area" id="1">
      <skip class="tab" id="5"/><ctrl class="tab_holder" id="2"/><other class="tab" id="3"/>
    </ctrl></x>)");
  ASSERT_NE(f.manager.root(), nullptr);
  EXPECT_EQ(f.manager.root()->GetId(), 1);
  // Inside: "skip" comes before the first "ctrl" and is ignored; "other" follows it and counts.
  EXPECT_EQ(PanelFixture::Ids(f.manager.root()), (std::vector<int32_t>{2, 3}));
}

TEST(PanelConfigTest, NothingBuiltKeepsThePanelAndOnlyTheFirstTopLevelControlIsShown) {
  PanelFixture f;
  // Before the first "config" no command finds a parent.
  f.Apply(Insert(1, Filter(2)));
  f.Apply(Modify(1, Filter(2)));
  f.Apply(Delete(1, Filter(2)));
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
}

class PanelInsertTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A page list 1 with the children X (100) and Y (101), under a root 1000.
    f.Apply(
        R"(<command name="config"><ctrl class="op_area" id="1000"><ctrl class="page_list" id="1">
        <ctrl class="filter_item" id="100"/><ctrl class="filter_item" id="101"/>
      </ctrl></ctrl></command>)");
  }
  std::vector<int32_t> Order() { return PanelFixture::Ids(f.Find(1)); }
  PanelFixture f;
};

TEST_F(PanelInsertTest, WithoutPositionOneIsAppendedAndTheSecondAndLaterGoToTheFront) {
  f.Apply(Insert(1, Filter(7)));
  EXPECT_EQ(Order(), (std::vector<int32_t>{100, 101, 7}));
  EXPECT_EQ(f.Find(7)->GetParentId(), 1);
  // A, B, C into X, Y, 7: A appended at -1, then B at 0 and C at 1.
  f.Apply(Insert(1, Filter(1001) + Filter(1002) + Filter(1003)));
  EXPECT_EQ(Order(), (std::vector<int32_t>{1002, 1003, 100, 101, 7, 1001}));
}

TEST_F(PanelInsertTest, WithPositionTheNewControlsTakeConsecutivePlaces) {
  f.Apply(Insert(1, Filter(102)));  // X, Y, Z
  f.Apply(Insert(1, Filter(7) + Filter(8), "1"));
  EXPECT_EQ(Order(), (std::vector<int32_t>{100, 7, 8, 101, 102}));
  f.Apply(Insert(1, Filter(9), "5"));  // at the end: appended
  f.Apply(Insert(1, Filter(10), "99"));
  f.Apply(Insert(1, Filter(11), "-5"));
  EXPECT_EQ(Order(), (std::vector<int32_t>{100, 7, 8, 101, 102, 9, 10, 11}));
}

TEST_F(PanelInsertTest, DroppedDescriptionsAndMissingParentsDiscardTheControls) {
  f.Apply(Insert(1, "<ctrl class=\"bogus\" id=\"5\"/>" + Filter(6)));
  EXPECT_EQ(Order(), (std::vector<int32_t>{100, 101, 6}));
  f.Apply("<command name=\"insert\">" + Filter(7) + "</command>");  // no parent_id
  f.Apply(Insert(-1, Filter(8)));
  f.Apply(Insert(555, Filter(9)));
  EXPECT_EQ(f.manager.CountControls(), 5);
}

TEST_F(PanelInsertTest, TheRootItselfIsNoParentForInsertOrDelete) {
  f.Apply(Insert(1000, "<ctrl class=\"page_list\" id=\"7\"/>"));
  f.Apply(Delete(1000, "<ctrl id=\"1\"/>"));
  EXPECT_EQ(f.Find(7), nullptr);
  EXPECT_EQ(PanelFixture::Ids(f.manager.root()), std::vector<int32_t>{1});
}

TEST_F(PanelTest, PagesTakeItemsOnlyAndHoldersTakeAnything) {
  f.Apply(Insert(30, "<ctrl class=\"op_area\" id=\"50\"/>" + Filter(51)));
  EXPECT_EQ(f.Find(50), nullptr);
  ASSERT_NE(f.Find(51), nullptr);
  EXPECT_EQ(f.Find(51)->GetParentId(), 30);
  // A slider under a tab holder stays in the tree (it gets no window).
  f.Apply(Insert(10, "<ctrl class=\"slider\" id=\"52\"/>"));
  EXPECT_EQ(PanelFixture::Ids(f.Find(10)), (std::vector<int32_t>{11, 12, 52}));
}

TEST_F(PanelTest, RemovesTheFirstDirectChildWithThatId) {
  f.Apply(Delete(30, Filter(32)));
  EXPECT_EQ(PanelFixture::Ids(f.Find(30)), (std::vector<int32_t>{31, 33}));
  // Not a direct child (33 is a grandchild of 20), a missing id, no id, parent -1: no change.
  f.Apply(Delete(20, Filter(33)));
  f.Apply(Delete(30, Filter(99)));
  f.Apply(Delete(30, "<ctrl class=\"filter_item\"/>"));
  f.Apply(Delete(-1, Filter(31)));
  f.Apply("<command name=\"delete\">" + Filter(31) + "</command>");
  EXPECT_EQ(PanelFixture::Ids(f.Find(30)), (std::vector<int32_t>{31, 33}));
  f.Apply(Delete(30, Filter(31) + Filter(33)));
  EXPECT_TRUE(PanelFixture::Ids(f.Find(30)).empty());
}

TEST_F(PanelTest, ModifyReplacesTheWholeMapOfTheChild) {
  f.Apply(Modify(30, "<ctrl class=\"filter_item\" id=\"31\" mask_color=\"0x00FF00\"/>"));
  auto* item = static_cast<DUIFilterItem*>(f.Find(31));
  EXPECT_EQ(item->mask_color(), 0x00FF00);
  EXPECT_EQ(item->name(), "");  // no "name": the caption is cleared
  // Omitted class attributes keep their values.
  f.Apply(Modify(30, "<ctrl id=\"31\" name=\"x\"/>"));
  EXPECT_EQ(item->mask_color(), 0x00FF00);
  EXPECT_EQ(item->name(), "x");
  EXPECT_EQ(item->class_name(), "");
  // Holders modified without "selected" select id 0.
  auto* tabs = static_cast<DUITabHolder*>(f.Find(10));
  EXPECT_EQ(tabs->selected(), 11);
  f.Apply(Modify(1, "<ctrl class=\"tab_holder\" id=\"10\" selected=\"12\"/>"));
  EXPECT_EQ(tabs->selected(), 12);
  EXPECT_FALSE(static_cast<DUITabButton*>(f.Find(11))->selected());
  EXPECT_TRUE(static_cast<DUITabButton*>(f.Find(12))->selected());
  f.Apply(Modify(1, "<ctrl class=\"tab_holder\" id=\"10\"/>"));
  EXPECT_EQ(tabs->selected(), 0);
  EXPECT_FALSE(static_cast<DUITabButton*>(f.Find(12))->selected());
  auto* pages = static_cast<DUIPageHolder*>(f.Find(20));
  EXPECT_EQ(pages->selected(), 30);
  f.Apply(Modify(1, "<ctrl class=\"page_switch\" id=\"20\"/>"));
  EXPECT_EQ(pages->selected(), 0);
  // The root's id reaches its direct children only; other parents are not found.
  f.Apply(Modify(1, "<ctrl class=\"page_switch\" id=\"20\" name=\"renamed\"/>" +
                        std::string("<ctrl class=\"tab\" id=\"11\" name=\"not direct\"/>") +
                        "<ctrl class=\"tab\" name=\"no id\"/>"));
  EXPECT_EQ(f.Find(20)->name(), "renamed");
  EXPECT_EQ(f.Find(11)->name(), "filters");
  f.Apply(Modify(-1, "<ctrl id=\"20\" name=\"x\"/>"));
  f.Apply(Modify(777, "<ctrl id=\"20\" name=\"x\"/>"));
  EXPECT_EQ(f.Find(20)->name(), "renamed");
}

TEST(PanelFindTest, ChildrenOfAControlPrecedeItsGrandchildren) {
  // root 1 { A=2 { A1=5 { A11=7 }, A2=6 }, B=3 { B1=7 } }: the order is 2, 3, 5, 6, 7 (A11), 7.
  PanelFixture f;
  f.Apply(R"(<command name="config"><ctrl class="op_area" id="1">
      <ctrl class="tab_holder" id="2">
        <ctrl class="tab" id="5"><ctrl class="tab" id="7" name="A11"/></ctrl>
        <ctrl class="tab" id="6"/>
      </ctrl>
      <ctrl class="page_switch" id="3"><ctrl class="tab" id="7" name="B1"/></ctrl>
    </ctrl></command>)");
  ASSERT_NE(f.Find(7), nullptr);
  EXPECT_EQ(f.Find(7)->name(), "A11");  // depth first by blocks, not level by level
}

TEST(PanelFindTest, DuplicateIdsFindAndDeleteTheFirstAndTheRootOnlyWhenIncluded) {
  PanelFixture f;
  f.Apply(R"(<command name="config"><ctrl class="op_area" id="4" name="root">
      <ctrl class="tab_holder" id="8" name="holder">
        <ctrl class="tab" id="4" name="tab"/>
      </ctrl>
      <ctrl class="page_switch" id="8" name="switch"/>
    </ctrl></command>)");
  EXPECT_EQ(f.manager.FindControl(4, RootSearch::kWithRoot)->name(), "root");
  EXPECT_EQ(f.manager.FindControl(4, RootSearch::kBelowRoot)->name(), "tab");
  EXPECT_EQ(f.manager.FindControl(8, RootSearch::kBelowRoot)->name(), "holder");
  // So an insert under id 4 goes to the tab, a modify under id 4 to the root's children.
  f.Apply(Insert(4, "<ctrl class=\"tab\" id=\"9\"/>"));
  EXPECT_EQ(PanelFixture::Ids(f.manager.FindControl(4, RootSearch::kBelowRoot)),
            (std::vector<int32_t>{9}));
  // Of duplicate ids a delete removes the first only.
  f.Apply(Insert(4, "<ctrl class=\"tab\" id=\"9\" name=\"second\"/>"));
  f.Apply(Delete(4, "<ctrl id=\"9\"/>"));
  const DUICtrl* tab = f.manager.FindControl(4, RootSearch::kBelowRoot);
  ASSERT_EQ(tab->GetChildren().size(), 1u);
  EXPECT_EQ(tab->GetChildren()[0]->name(), "second");
  f.Apply(Modify(4, "<ctrl id=\"8\" name=\"first 8\"/>"));
  EXPECT_EQ(f.manager.root()->GetChildren()[0]->name(), "first 8");
  EXPECT_EQ(f.manager.root()->GetChildren()[1]->name(), "switch");
}

TEST(PanelResourceTest, ASecondResourceWithTheSameNameReplacesTheFirst) {
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
}

TEST(PanelResourceTest, ItemsTakeTheirPictureWhenTheyLoad) {
  PanelFixture f;
  f.Resource("big.png", "PIC 136x68");
  f.Apply(R"(<command name="config"><ctrl class="page_list" id="1">
      <ctrl class="filter_item" id="2" image="big.png"/>
      <ctrl class="circle_item" id="3" image="later.png"/>
      <ctrl class="decor_item" id="4" image="big.png"/>
    </ctrl></command>)");
  auto* filter = static_cast<DUIPictureItem*>(f.Find(2));
  ASSERT_NE(filter->picture(), nullptr);
  EXPECT_EQ(filter->picture()->width(), 68);  // fitted into 68 x 68
  EXPECT_EQ(filter->picture()->height(), 34);
  EXPECT_NE(static_cast<DUIPictureItem*>(f.Find(4))->picture(), nullptr);
  // A resource arriving after the load is picked up at the next load naming it.
  auto* circle = static_cast<DUIPictureItem*>(f.Find(3));
  EXPECT_EQ(circle->picture(), nullptr);
  f.Resource("later.png", "PIC 20x20");
  EXPECT_EQ(circle->picture(), nullptr);
  f.Apply(Modify(1, "<ctrl id=\"3\" image=\"later.png\"/>"));
  ASSERT_NE(circle->picture(), nullptr);
  EXPECT_EQ(circle->picture()->width(), 20);
  // Undecodable bytes or a missing name keep the picture.
  f.Resource("junk.png", "not a picture");
  f.Apply(Modify(1, "<ctrl id=\"3\" image=\"junk.png\"/>"));
  f.Apply(Modify(1, "<ctrl id=\"3\" image=\"nothing.png\"/>"));
  f.Apply(Modify(1, "<ctrl id=\"3\"/>"));
  ASSERT_NE(circle->picture(), nullptr);
  EXPECT_EQ(circle->picture()->width(), 20);
  // The same when the loads come in a row before anything asks for the picture.
  f.Resource("next.png", "PIC 30x30");
  f.Apply(Modify(1, "<ctrl id=\"3\" image=\"next.png\"/>"));
  f.Apply(Modify(1, "<ctrl id=\"3\" image=\"junk.png\"/>"));
  ASSERT_NE(circle->picture(), nullptr);
  EXPECT_EQ(circle->picture()->width(), 30);
}

}  // namespace
}  // namespace vl
