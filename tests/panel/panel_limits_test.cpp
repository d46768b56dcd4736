// What a phone that is not to be trusted can send: endless nesting, endless controls, classes
// renamed under the panel's feet, impossible grids and ranges, oversized pictures, and captions
// in the code page the text arrives in.
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

using test::PanelFixture;

// Deepest level of the tree (root = 1), walking every owned control.
int Depth(const DUICtrl* c) {
  int deepest = 0;
  for (const DUICtrl* k : c->OwnedControls()) deepest = std::max(deepest, Depth(k));
  return deepest + 1;
}

TEST(PanelDepthTest, ChainedInsertsAndNestedConfigsStopAtTheDepthCap) {
  PanelFixture f;
  f.Apply(R"(<command name="config"><ctrl class="op_area" id="1">
             <ctrl class="page_switch" id="2"/></ctrl></command>)");
  // Each insert goes under the control the previous one made: without a cap the tree would
  // deepen by one level per command, and every recursive walk with it.
  for (int id = 3; id < 3 + 5 * kMaxPanelDepth; ++id) {
    f.Apply("<command name=\"insert\" parent_id=\"" + std::to_string(id - 1) +
            "\"><ctrl class=\"page_switch\" id=\"" + std::to_string(id) + "\"/></command>");
  }
  EXPECT_EQ(Depth(f.manager.root()), kMaxPanelDepth);
  EXPECT_NE(f.Find(kMaxPanelDepth), nullptr);
  EXPECT_EQ(f.Find(kMaxPanelDepth + 1), nullptr);
  EXPECT_EQ(f.manager.CountControls(), kMaxPanelDepth);
  // A deeply nested config keeps the levels within the cap too.
  PanelFixture g;
  std::string xml = "<command name=\"config\">";
  const int nesting = 90;  // below the XML parser's own limit of 100 elements
  for (int i = 1; i <= nesting; ++i) xml += "<ctrl class=\"tab\" id=\"" + std::to_string(i) + "\">";
  for (int i = 1; i <= nesting; ++i) xml += "</ctrl>";
  xml += "</command>";
  g.Apply(xml);
  ASSERT_NE(g.manager.root(), nullptr);
  EXPECT_EQ(Depth(g.manager.root()), kMaxPanelDepth);
  EXPECT_EQ(g.manager.CountControls(), kMaxPanelDepth);
}

TEST(PanelCountTest, ConfigAndInsertStopAtTheControlCap) {
  PanelFixture f;
  std::string xml =
      "<command name=\"config\"><ctrl class=\"op_area\" id=\"1\">"
      "<ctrl class=\"page_switch\" id=\"2\">";
  for (int i = 0; i < kMaxPanelControls + 500; ++i) {
    xml += "<ctrl class=\"tab\" id=\"" + std::to_string(100 + i) + "\"/>";
  }
  xml += "</ctrl></ctrl></command>";
  f.Apply(xml);
  EXPECT_EQ(f.manager.CountControls(), kMaxPanelControls);
  f.Apply(R"(<command name="insert" parent_id="2"><ctrl class="tab" id="5"/></command>)");
  EXPECT_EQ(f.manager.CountControls(), kMaxPanelControls);
  EXPECT_EQ(f.Find(5), nullptr);
  // Deleting makes room again.
  f.Apply(R"(<command name="delete" parent_id="2"><ctrl id="100"/><ctrl id="101"/></command>)");
  f.Apply(R"(<command name="insert" parent_id="2"><ctrl class="tab" id="5"/>
             <ctrl class="tab" id="6"/><ctrl class="tab" id="7"/></command>)");
  EXPECT_EQ(f.manager.CountControls(), kMaxPanelControls);
  EXPECT_NE(f.Find(5), nullptr);
  EXPECT_NE(f.Find(6), nullptr);
  EXPECT_EQ(f.Find(7), nullptr);
}

TEST(PanelCountTest, SlidersOfAdjustmentPagesCountToo) {
  PanelFixture f;
  f.Apply(R"(<command name="config"><ctrl class="op_area" id="1"><ctrl class="page_switch" id="2">
             <ctrl class="page_adjust" id="3"/></ctrl></ctrl></command>)");
  std::string sliders;
  for (int i = 0; i < kMaxPanelControls; ++i) sliders += "<ctrl class=\"slider\" id=\"9\"/>";
  f.Apply("<command name=\"insert\" parent_id=\"3\">" + sliders + "</command>");
  f.Apply("<command name=\"insert\" parent_id=\"3\">" + sliders + "</command>");
  EXPECT_EQ(f.manager.CountControls(), kMaxPanelControls);
}

TEST(PanelCountTest, ADescriptionUpToTheAttributeBoundIsKeptAndOneByteMoreIsDropped) {
  // class="filter_item" id="5" name="...": names and values, and a charge per attribute.
  const int64_t fixed = 3 * kAttributeCharge + 5 + 11 + 2 + 1 + 4;
  const std::string fits(static_cast<size_t>(kMaxAttributeBytes - fixed), 'n');
  PanelFixture f;
  f.Apply(R"(<command name="config"><ctrl class="op_area" id="1"><ctrl class="page_list" id="2">)"
          "<ctrl class=\"filter_item\" id=\"5\" name=\"" +
          fits + "\"/><ctrl class=\"filter_item\" id=\"6\" name=\"" + fits +
          "n\"/></ctrl></ctrl></command>");
  EXPECT_NE(f.manager.FindControl(5, RootSearch::kBelowRoot), nullptr);
  EXPECT_EQ(f.manager.FindControl(6, RootSearch::kBelowRoot), nullptr);
}

TEST(PanelClassTest, BehaviourFollowsTheClassAControlWasCreatedWith) {
  PanelFixture f;
  f.Apply(R"(<command name="config"><ctrl class="op_area" id="1">
      <ctrl class="tab_holder" id="10"><ctrl class="tab" id="11"/><ctrl class="slider" id="12"/>
      </ctrl>
      <ctrl class="page_switch" id="20" selected="21"><ctrl class="page_list" id="21"/></ctrl>
    </ctrl></command>)");
  ASSERT_EQ(f.platform.ViewOf(12), nullptr);
  // The slider renamed "tab", and the tab holder selecting it: it stays a slider, gets no tab
  // slot and is never treated as a tab button.
  f.Apply(R"(<command name="modify" parent_id="10"><ctrl class="tab" id="12"/></command>)");
  EXPECT_EQ(f.Find(12)->class_name(), "tab");
  EXPECT_EQ(f.Find(12)->kind(), ControlClass::kSlider);
  f.Apply(R"(<command name="modify" parent_id="1"><ctrl class="tab_holder" id="10"
             selected="12"/></command>)");
  f.Apply(R"(<command name="insert" parent_id="10"><ctrl class="tab" id="13"/></command>)");
  EXPECT_EQ(f.platform.ViewOf(12), nullptr);
  EXPECT_FALSE(static_cast<DUISlider*>(f.Find(12))->selected());
  // A page renamed "slider" is still shown and hidden as a page; an "op_area" renamed
  // "page_list" is still not one.
  f.Apply(R"(<command name="modify" parent_id="20"><ctrl class="slider" id="21"/></command>)");
  f.Apply(R"(<command name="modify" parent_id="1"><ctrl class="page_switch" id="20"
             selected="99"/></command>)");
  EXPECT_FALSE(f.platform.ViewOf(21)->visible());
  f.Apply(R"(<command name="insert" parent_id="21"><ctrl class="filter_item" id="22"/>
             <ctrl class="tab" id="23"/></command>)");
  EXPECT_NE(f.Find(22), nullptr);
  EXPECT_EQ(f.Find(23), nullptr);
}

TEST(PanelListTest, NonPositiveColumnsLayOutAsOneColumn) {
  PanelFixture f;
  f.Apply(R"(<command name="config"><ctrl class="op_area" id="1"><ctrl class="page_switch" id="2"
        selected="3"><ctrl class="page_list" id="3" col="0">
      <ctrl class="circle_item" id="4"/><ctrl class="circle_item" id="5"/>
    </ctrl></ctrl></ctrl></command>)");
  EXPECT_EQ(f.platform.ViewOf(5)->rect(), (PanelRect{0, 80, 68, 148}));
  f.Apply(R"(<command name="modify" parent_id="2"><ctrl id="3" col="-7" item_width="2147483647"
             item_height="0x7FFFFFFF" spacex="2147483647" spacey="-2147483648"/></command>)");
  f.Apply(R"(<command name="insert" parent_id="3"><ctrl class="circle_item" id="6"/></command>)");
  // Re-laid out: one column of the largest cells, no gap (a negative gap counts as none).
  EXPECT_EQ(f.platform.ViewOf(4)->rect(), (PanelRect{0, 0, kMaxCellSize, kMaxCellSize}));
  EXPECT_EQ(f.platform.ViewOf(5)->rect().top, kMaxCellSize);
  EXPECT_EQ(f.platform.ViewOf(6)->rect().top, 2 * kMaxCellSize);
}

TEST(PanelSliderRangeTest, EqualAndInvertedRangesStayOrdered) {
  PanelFixture f;
  f.Apply(R"(<command name="config"><ctrl class="op_area" id="1">
      <ctrl class="page_list" id="2">
        <ctrl class="slider" id="3" min="40" max="40" pos="90"/>
        <ctrl class="slider" id="4" min="80" max="20" pos="50"/>
        <ctrl class="slider" id="5" min="-2147483648" max="2147483647" pos="-2147483648"/>
      </ctrl></ctrl></command>)");
  auto* equal = static_cast<DUISlider*>(f.manager.FindControl(3, RootSearch::kBelowRoot));
  ASSERT_NE(equal, nullptr);
  EXPECT_EQ(equal->value(), 40);
  // min 80, then max 20 below it lowers the minimum, then pos 50 is held at the maximum.
  auto* inverted = static_cast<DUISlider*>(f.manager.FindControl(4, RootSearch::kBelowRoot));
  EXPECT_EQ(inverted->minimum(), 20);
  EXPECT_EQ(inverted->maximum(), 20);
  EXPECT_EQ(inverted->value(), 20);
  auto* wide = static_cast<DUISlider*>(f.manager.FindControl(5, RootSearch::kBelowRoot));
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
  // Captions reach the panel converted to the ANSI code page (GBK on the target systems), so
  // the words must be compared in that encoding, not in this file's UTF-8.
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
  auto plain = [&](size_t i) {
    return static_cast<DUIFilterItem*>(f.manager.root()->GetChildren()[i])->plain();
  };
  for (size_t i = 0; i < std::size(items); ++i) EXPECT_EQ(plain(i), items[i].plain) << i;
  // Once plain, always plain.
  f.Apply("<command name=\"modify\" parent_id=\"1\"><ctrl id=\"2\" name=\"Vivid\"/></command>");
  EXPECT_TRUE(plain(0));
}

}  // namespace
}  // namespace vl
