// Where the controls put their children's windows: the operation area, the tab row, the page
// switch, pages and their item grids (recorded by stand-in views), and what they repaint.
#include <gtest/gtest.h>

#include "panel/dui_items.h"
#include "panel/dui_pages.h"
#include "panel/dui_tabs.h"
#include "tests/panel/panel_test_support.h"

namespace vl {
namespace {

using test::FakeView;
using test::PanelFixture;

PanelRect R(int l, int t, int r, int b) {
  return PanelRect{l, t, r, b};
}

class PanelWindowsTest : public ::testing::Test {
 protected:
  FakeView* View(int32_t id) { return f.platform.ViewOf(id); }
  PanelFixture f;
};

constexpr char kTabsAndPages[] = R"(<command name="config">
  <ctrl class="op_area" id="1">
    <ctrl class="tab" id="2"/>
    <ctrl class="tab_holder" id="10" selected="12">
      <ctrl class="tab" id="11"/><ctrl class="tab" id="12"/><ctrl class="slider" id="13"/>
    </ctrl>
    <ctrl class="page_switch" id="20" selected="40">
      <ctrl class="page_list" id="30" list_padding_left="10" list_padding_top="50"/>
      <ctrl class="page_adjust" id="40"/>
      <ctrl class="page_adjust" id="41" style="1"/>
      <ctrl class="tab" id="42"/>
    </ctrl>
  </ctrl>
</command>)";

TEST_F(PanelWindowsTest, OperationAreaPlacesTheTabRowAboveThePageSwitchUntilTheNextPanel) {
  f.Apply(kTabsAndPages);
  ASSERT_NE(View(1), nullptr);
  EXPECT_EQ(View(1)->rect(), R(728, 68, 1078, 640));
  EXPECT_EQ(View(2), nullptr);  // a tab directly under the operation area gets no window
  EXPECT_EQ(View(10)->rect(), R(0, 0, 350, 38));
  EXPECT_EQ(View(20)->rect(), R(0, 38, 350, 572));
  EXPECT_EQ(View(10)->parent(), View(1));
  // The next panel replaces every window.
  EXPECT_GT(f.platform.log.live.size(), 8u);
  f.Apply(R"(<command name="config"><ctrl class="op_area" id="9"/></command>)");
  ASSERT_EQ(f.platform.log.live.size(), 1u);
  EXPECT_EQ(f.platform.log.live[0]->control().GetId(), 9);
}

TEST_F(PanelWindowsTest, TabsShareTheRowAndOtherChildrenKeepTheirSlotEmpty) {
  f.Apply(kTabsAndPages);
  // Three children: slots of 116 pixels; the slider's slot stays empty.
  EXPECT_EQ(View(11)->rect(), R(0, 0, 116, 38));
  EXPECT_EQ(View(12)->rect(), R(116, 0, 232, 38));
  EXPECT_EQ(View(13), nullptr);
  EXPECT_FALSE(static_cast<DUITabButton*>(f.Find(11))->selected());
  EXPECT_TRUE(static_cast<DUITabButton*>(f.Find(12))->selected());
  // A new tab takes a slot at once; removing one re-spreads the rest.
  f.Apply(R"(<command name="insert" parent_id="10"><ctrl class="tab" id="14"/></command>)");
  EXPECT_EQ(View(14)->rect(), R(261, 0, 348, 38));
  EXPECT_EQ(View(11)->rect(), R(0, 0, 87, 38));
  f.Apply(R"(<command name="delete" parent_id="10"><ctrl id="11"/><ctrl id="13"/></command>)");
  EXPECT_EQ(View(11), nullptr);
  EXPECT_EQ(View(12)->rect(), R(0, 0, 175, 38));
  EXPECT_EQ(View(14)->rect(), R(175, 0, 350, 38));
  f.Apply(R"(<command name="delete" parent_id="10"><ctrl id="12"/><ctrl id="14"/></command>)");
  EXPECT_TRUE(PanelFixture::Ids(f.Find(10)).empty());
  EXPECT_NE(View(10), nullptr);
}

TEST_F(PanelWindowsTest, ThePageSwitchShowsTheSelectedPageOnly) {
  f.Apply(kTabsAndPages);
  EXPECT_EQ(View(30)->rect(), R(0, 0, 350, 534));
  EXPECT_FALSE(View(30)->visible());
  EXPECT_TRUE(View(40)->visible());
  EXPECT_FALSE(View(41)->visible());
  EXPECT_EQ(View(42), nullptr);
  // The tab row and the page switch change independently, each by its own modify.
  f.Apply(R"(<command name="modify" parent_id="1"><ctrl id="10" selected="11"/></command>)");
  EXPECT_TRUE(View(40)->visible());
  f.Apply(R"(<command name="modify" parent_id="1"><ctrl id="20" selected="30"/></command>)");
  EXPECT_TRUE(View(30)->visible());
  EXPECT_FALSE(View(40)->visible());
  f.Apply(R"(<command name="modify" parent_id="1"><ctrl id="20" selected="99"/></command>)");
  EXPECT_FALSE(View(30)->visible());
  EXPECT_FALSE(View(40)->visible());
  // Pages added after the switch has its window get none.
  f.Apply(R"(<command name="insert" parent_id="20"><ctrl class="page_list" id="43"/></command>)");
  EXPECT_EQ(View(43), nullptr);
}

TEST_F(PanelWindowsTest, PagesPlaceTheirListsAndAdjustmentPagesTakeTheSliderLayout) {
  f.Apply(kTabsAndPages);
  auto* list_page = static_cast<DUIPageList*>(f.Find(30));
  FakeView* list = f.platform.ViewOf(&list_page->list());
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->rect(), R(10, 50, 350, 534));
  EXPECT_EQ(list->parent(), View(30));
  auto* adjust = static_cast<DUIPageAdjust*>(f.Find(40));
  EXPECT_EQ(f.platform.ViewOf(&adjust->list())->rect(), R(20, 126, 350, 534));
  auto* styled = static_cast<DUIPageAdjust*>(f.Find(41));
  EXPECT_EQ(f.platform.ViewOf(&styled->list())->rect(), R(20, 128, 350, 534));
  const ListGeometry& g = adjust->list().geometry();
  EXPECT_EQ(g.item_width, 320);
  EXPECT_EQ(g.item_height, 22);
  EXPECT_EQ(g.spacey, 25);
  EXPECT_EQ(g.columns, 1);
  // Sliders inserted now sit 47 pixels apart (without "pos_index" the second goes first), and,
  // as the layout map has no id, report the list's id 0 as their parent until the page is
  // loaded again.
  f.Apply(R"(<command name="insert" parent_id="40"><ctrl class="slider" id="51"/>
             <ctrl class="slider" id="52"/></command>)");
  ASSERT_EQ(adjust->list().GetChildren().size(), 2u);
  EXPECT_EQ(View(52)->rect(), R(0, 0, 320, 22));
  EXPECT_EQ(View(51)->rect(), R(0, 47, 320, 69));
  EXPECT_EQ(adjust->list().GetChildren()[0]->GetParentId(), 0);
  f.Apply(R"(<command name="modify" parent_id="20"><ctrl class="page_adjust" id="40"/></command>)");
  f.Apply(R"(<command name="insert" parent_id="40"><ctrl class="slider" id="53"/></command>)");
  EXPECT_EQ(adjust->list().GetChildren()[2]->GetParentId(), 40);
  EXPECT_EQ(View(53)->rect(), R(0, 94, 320, 116));
}

// Seven filter items in a grid of three columns, the fifth selected.
constexpr char kGrid[] = R"(<command name="config"><ctrl class="op_area" id="1">
  <ctrl class="page_switch" id="2" selected="3"><ctrl class="page_list" id="3" selected="104">
    <ctrl class="filter_item" id="100"/><ctrl class="filter_item" id="101"/>
    <ctrl class="filter_item" id="102"/><ctrl class="filter_item" id="103"/>
    <ctrl class="filter_item" id="104"/><ctrl class="filter_item" id="105"/>
    <ctrl class="filter_item" id="106"/></ctrl></ctrl></ctrl></command>)";

TEST_F(PanelWindowsTest, TheGridPlacesItemsInCellsAndRepacksAfterARemoval) {
  f.Apply(kGrid);
  auto* page = static_cast<DUIPageList*>(f.Find(3));
  FakeView* list = f.platform.ViewOf(&page->list());
  EXPECT_EQ(View(106)->rect(), R(0, 160, 68, 228));
  EXPECT_EQ(View(106)->parent(), list);
  EXPECT_EQ(list->content_height(), 228);
  EXPECT_TRUE(static_cast<DUIItem*>(f.Find(104))->selected());
  const int resets = f.platform.log.scroll_resets;
  f.Apply(R"(<command name="delete" parent_id="3"><ctrl id="101"/></command>)");
  EXPECT_EQ(View(101), nullptr);
  EXPECT_EQ(View(102)->rect(), R(102, 0, 170, 68));
  EXPECT_EQ(View(106)->rect(), R(204, 80, 272, 148));
  EXPECT_EQ(list->content_height(), 148);
  EXPECT_EQ(f.platform.log.scroll_resets, resets + 1);  // back to the top
  // Selecting through the page marks the item and moves nothing.
  const int moves = View(100)->moves();
  f.Apply(R"(<command name="modify" parent_id="2"><ctrl class="page_list" id="3"
             selected="100"/></command>)");
  EXPECT_TRUE(static_cast<DUIItem*>(f.Find(100))->selected());
  EXPECT_FALSE(static_cast<DUIItem*>(f.Find(104))->selected());
  EXPECT_EQ(View(100)->moves(), moves);
  // A filter item inserted into the page shows in the grid at once.
  f.Apply(R"(<command name="insert" parent_id="3"><ctrl class="filter_item" id="107"/></command>)");
  EXPECT_EQ(View(107)->rect(), R(0, 160, 68, 228));
  // Only items whose selection or attributes change repaint.
  int before = f.platform.log.repaints;
  f.Apply(R"(<command name="modify" parent_id="2"><ctrl id="3" selected="102"/></command>)");
  EXPECT_EQ(f.platform.log.repaints, before + 2);  // 100 unmarked, 102 marked
  before = f.platform.log.repaints;
  f.Apply(R"(<command name="modify" parent_id="2"><ctrl id="3" selected="102"/></command>)");
  EXPECT_EQ(f.platform.log.repaints, before);
  f.Apply(R"(<command name="modify" parent_id="3"><ctrl id="103" name="new"/></command>)");
  EXPECT_EQ(f.platform.log.repaints, before + 1);
}

}  // namespace
}  // namespace vl
