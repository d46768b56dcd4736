// What a phone that is not to be trusted can send: endless nesting, endless controls, classes
// renamed under the panel's feet, impossible grids and ranges, oversized pictures, and captions in
// the code page the text arrives in.
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
using test::PanelFixture;

// Deepest level of the tree (root = 1), walking every owned control.
int Depth(const DUICtrl* c) {
  int deepest = 0;
  for (const DUICtrl* k : c->OwnedControls()) deepest = std::max(deepest, Depth(k));
  return deepest + 1;
}

TEST(PanelDepthTest, ChainedInsertsAndNestedConfigsStopAtTheDepthCap) {
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
  PanelFixture g;
  std::string nested;
  for (int i = 90; i > 0; --i)
    nested = "<ctrl class=\"tab\" id=\"" + std::to_string(i) + "\">" + nested + "</ctrl>";
  g.Apply(test::Command("config", test::kNoParent, nested));
  ASSERT_NE(g.manager.root(), nullptr);
  EXPECT_EQ(Depth(g.manager.root()), kMaxPanelDepth);
  EXPECT_EQ(g.manager.CountControls(), kMaxPanelDepth);
}

TEST(PanelCountTest, ConfigInsertAndAdjustmentPagesStopAtTheControlCap) {
  PanelFixture f;
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
  PanelFixture g;
  g.Apply(Config(R"(<ctrl class="page_switch" id="2"><ctrl class="page_adjust" id="3"/></ctrl>)"));
  std::string sliders;
  for (int i = 0; i < kMaxPanelControls; ++i) sliders += "<ctrl class=\"slider\" id=\"9\"/>";
  g.Apply("insert", 3, sliders);
  g.Apply("insert", 3, sliders);
  EXPECT_EQ(g.manager.CountControls(), kMaxPanelControls);
}

TEST(PanelCountTest, ADescriptionUpToTheAttributeBoundIsKeptAndOneByteMoreIsDropped) {
  // class="filter_item" id="5" name="...": names and values, and a charge per attribute.
  const int64_t fixed = 3 * kAttributeCharge + 5 + 11 + 2 + 1 + 4;
  const std::string fits(static_cast<size_t>(kMaxAttributeBytes - fixed), 'n');
  PanelFixture f;
  f.Apply(Config(R"(<ctrl class="page_list" id="2">)" +
                 Ctrls("filter_item", 5, 1, "name=\"" + fits + "\"") +
                 Ctrls("filter_item", 6, 1, "name=\"" + fits + "n\"") + "</ctrl>"));
  EXPECT_NE(f.Find(5), nullptr);
  EXPECT_EQ(f.Find(6), nullptr);
}

TEST(PanelClassTest, BehaviourFollowsTheClassAControlWasCreatedWith) {
  PanelFixture f;
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
}

TEST(PanelListTest, NonPositiveColumnsLayOutAsOneColumn) {
  PanelFixture f;
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
}

TEST(PanelSliderRangeTest, EqualAndInvertedRangesStayOrdered) {
  PanelFixture f;
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
}

TEST(PanelResourceBoundTest, PastTheBoundNewNamesAndGrowthAreRefusedInTheManagersStoreToo) {
  PanelResourceStore store(1000);
  auto bytes = [](size_t n) { return std::make_unique<uint8_t[]>(n); };
  EXPECT_TRUE(store.Add("a", bytes(400), 400));
  EXPECT_TRUE(store.Add("b", bytes(400), 400));
  EXPECT_FALSE(store.Add("c", bytes(400), 400));  // a new name past the bound
  EXPECT_EQ(store.count(), 2u);
  EXPECT_FALSE(store.Add("a", bytes(600), 600));  // a replacement that would pass it
  std::vector<uint8_t> out;
  ASSERT_TRUE(store.Find("a", &out));
  EXPECT_EQ(out.size(), 400u);
  EXPECT_TRUE(store.Add("a", bytes(10), 10));  // shrinking frees room
  EXPECT_TRUE(store.Add("c", bytes(300), 300));
  EXPECT_LE(store.used_bytes(), 1000);
  // Empty resources cost something too, so names alone cannot grow the store without bound.
  int empties = 0;
  while (store.Add("e" + std::to_string(empties), nullptr, 0)) ++empties;
  EXPECT_LT(empties, 10);
  // The manager's store is bounded.
  PanelFixture f;
  const int32_t chunk = 8 * 1024 * 1024;
  int stored = 0;
  for (int i = 0; i < 12; ++i) {
    f.manager.AddResource("pic" + std::to_string(i), std::make_unique<uint8_t[]>(chunk), chunk);
    if (f.manager.FindResource("pic" + std::to_string(i), &out)) ++stored;
  }
  EXPECT_EQ(stored, static_cast<int>(kMaxResourceStoreBytes / chunk) - 1);
  EXPECT_LE(f.manager.resources().used_bytes(), kMaxResourceStoreBytes);
}

TEST(PanelCaptionTest, NoFilterWordsAreComparedInTheAnsiCodePage) {
  // Captions reach the panel converted to the ANSI code page (GBK on the target systems), so the
  // words must be compared in that encoding, not in this file's UTF-8.
  PanelFixture f;
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
