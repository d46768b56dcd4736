// Where the controls put their children's windows: the operation area, the tab row, the page
// switch, pages and their item grids (recorded by stand-in views), and what they repaint.
#include <gtest/gtest.h>

#include "panel/dui_items.h"
#include "panel/dui_pages.h"
#include "panel/dui_tabs.h"
#include "tests/panel/panel_test_support.h"

namespace vl {
namespace {

using test::Ctrls;
using test::FakeView;
using test::PanelFixture;

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

TEST(PanelWindowsTest, TheAreaPlacesTheTabRowAboveThePagesUntilTheNextPanel) {
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
  EXPECT_TRUE(test::Ids(f.Find(10)).empty());
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
  const ListGeometry& g = adjust->list().geometry();
  EXPECT_EQ(g.item_width, 320);
  EXPECT_EQ(g.item_height, 22);
  EXPECT_EQ(g.spacey, 25);
  EXPECT_EQ(g.columns, 1);
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
  f.Apply(test::Config("", 9));
  ASSERT_EQ(f.platform.log.live.size(), 1u);
  EXPECT_EQ(f.platform.log.live[0]->control.GetId(), 9);
}

TEST(PanelWindowsTest, TheGridPlacesItemsInCellsAndRepacksAfterARemoval) {
  // Seven filter items in a grid of three columns, the fifth selected.
  PanelFixture f;
  f.Apply(test::Config(R"(<ctrl class="page_switch" id="2" selected="3">
      <ctrl class="page_list" id="3" selected="104">)" +
                       Ctrls("filter_item", 100, 7) + "</ctrl></ctrl>"));
  auto view = [&](int32_t id) { return f.platform.ViewOf(id); };
  FakeView* list = f.platform.ViewOf(&f.Get<DUIPageList>(3)->list());
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

}  // namespace
}  // namespace vl
