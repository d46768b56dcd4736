// The mini scroll bar and the slider on real windows under Wine, with real pointer input. The
// degenerate ranges and sizes (empty, inverted, a track no wider than the thumb) are cases of
// their maths: slider_scroll_maths_test.
#include <gtest/gtest.h>

#include <vector>

#include "tests/widgets/widget_test_support.h"
#include "widgets/mini_scroll_bar.h"
#include "widgets/slider.h"

namespace vl {
namespace {

using test::PumpUntil;
using test::XInput;

struct Scrolls : IMiniScrollBarOnScrollListener {
  std::vector<int> positions;
  void OnScroll(MiniScrollBar*, int position) override { positions.push_back(position); }
};

struct SliderEvents : ISliderListener {
  std::vector<int> moves, ends;
  void OnSliderPos(int value) override { moves.push_back(value); }
  void OnSliderEnd(int value) override { ends.push_back(value); }
};

// The scroll bar at the right of the host, the slider (the panel's 220 x 22 track) left of it.
class ScrollBarSliderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(XInput::Park());
    ASSERT_TRUE(bar.Create(host, {300, 10, 310, 390}));  // 380 pixels high
    bar.SetListener(&scrolls);
    bar.SetPage(380);
    bar.SetRange(1900);  // thumb 76 pixels
    ASSERT_TRUE(slider.Create(host, {50, 100, 270, 122}));
    slider.SetListener(&events);
    test::PumpFor(30);
  }
  int XFor(int value) const {  // client x whose value is `value` (range 0..100)
    const int thumb = slider.ThumbSize().cx;
    return thumb / 2 + (220 - thumb) * value / 100 + 1;
  }
  test::TestHost host;
  MiniScrollBar bar;
  Scrolls scrolls;
  Slider slider;
  SliderEvents events;
};

TEST_F(ScrollBarSliderTest, LineCommandsScrollByTheStepAndNotifyAndContentThatFitsStaysAtZero) {
  bar.SetLineStep(20);
  // The last line up finds it at 0 already: no notification.
  for (WPARAM line : {MiniScrollBar::kLineDown, MiniScrollBar::kLineDown, MiniScrollBar::kLineUp,
                      MiniScrollBar::kLineUp, MiniScrollBar::kLineUp})
    SendMessageA(bar, WM_COMMAND, line, 0);
  EXPECT_EQ(bar.GetPos(), 0);
  EXPECT_EQ(scrolls.positions, (std::vector<int>{20, 40, 20, 0}));
  bar.SetPos(5000, false);
  EXPECT_EQ(bar.GetPos(), 1520);
  EXPECT_EQ(scrolls.positions.size(), 4u);
  bar.SetRange(100);  // below the page: raised to it
  EXPECT_EQ(bar.GetRange(), 380);
  scrolls.positions.clear();
  bar.SetPos(50, true);
  EXPECT_EQ(bar.GetPos(), 0);
  EXPECT_EQ(bar.ThumbRect().bottom - bar.ThumbRect().top, 380);
  const POINT grip = test::ScreenPoint(bar, 5, 100);
  ASSERT_TRUE(XInput::Drag(grip, {grip.x, grip.y + 100}));
  ASSERT_TRUE(XInput::Release({grip.x, grip.y + 100}));
  EXPECT_EQ(bar.GetPos(), 0);
  EXPECT_TRUE(scrolls.positions.empty());
}

TEST_F(ScrollBarSliderTest, ClickBelowTheThumbPagesDownAboveItPagesUpAndHoldingRepeats) {
  ASSERT_EQ(bar.ThumbRect().bottom - bar.ThumbRect().top, 76);
  ASSERT_TRUE(XInput::Click(test::ScreenPoint(bar, 5, 300)));
  ASSERT_TRUE(PumpUntil([&] { return !scrolls.positions.empty(); }, 1000));
  EXPECT_EQ(scrolls.positions.front(), 380);
  test::PumpFor(400);  // released: the repeat timer has stopped
  EXPECT_EQ(bar.GetPos(), 380);
  EXPECT_EQ(bar.ThumbRect().top, (380 - 76) * 380 / 1520);
  ASSERT_TRUE(XInput::Click(test::ScreenPoint(bar, 5, 2)));
  ASSERT_TRUE(PumpUntil([&] { return bar.GetPos() == 0; }, 1000));
  // Held below the thumb, the paging repeats to the end.
  ASSERT_TRUE(XInput::Press(test::ScreenPoint(bar, 5, 370)));
  ASSERT_TRUE(PumpUntil([&] { return bar.GetPos() == 1520; }, 3000));
  ASSERT_TRUE(XInput::Release(test::ScreenPoint(bar, 5, 370)));
  EXPECT_EQ(scrolls.positions, (std::vector<int>{380, 0, 380, 760, 1140, 1520}));
}

TEST_F(ScrollBarSliderTest, DraggingTheThumbMovesThePositionAndStopsAtTheEnds) {
  const POINT grip = test::ScreenPoint(bar, 5, 30);
  ASSERT_TRUE(XInput::Drag(grip, {grip.x, grip.y + 152}));
  EXPECT_TRUE(bar.IsDragging());
  EXPECT_EQ(bar.thumb_state(), MiniScrollBar::kThumbPressed);
  // 152 of 304 free pixels: half of 1520.
  EXPECT_EQ(bar.GetPos(), 760);
  EXPECT_EQ(scrolls.positions.back(), 760);
  ASSERT_TRUE(XInput::Run("mousemove " + std::to_string(grip.x) + " 2000 mouseup 1"));
  EXPECT_EQ(bar.GetPos(), 1520);
  EXPECT_FALSE(bar.IsDragging());
  const POINT low = test::ScreenCentre(bar);
  ASSERT_TRUE(XInput::Drag({low.x, test::ScreenPoint(bar, 5, 340).y}, {low.x, -50 + 100}));
  ASSERT_TRUE(XInput::Release({low.x, 50}));
  EXPECT_EQ(bar.GetPos(), 0);
}

TEST_F(ScrollBarSliderTest, ClickSetsTheValueDragFollowsTheMouseInTheRangeAndReleaseReportsTheEnd) {
  EXPECT_EQ(slider.ThumbSize().cx, 16);
  ASSERT_TRUE(XInput::Click(test::ScreenPoint(slider, XFor(75), 11)));
  ASSERT_TRUE(PumpUntil([&] { return !events.ends.empty(); }, 1000));
  EXPECT_EQ(slider.GetValue(), 75);
  EXPECT_EQ(events.moves, std::vector<int>{75});
  EXPECT_EQ(events.ends, std::vector<int>{75});
  EXPECT_EQ(test::WindowText(slider), "75");
  events.moves.clear();
  const POINT from = test::ScreenPoint(slider, XFor(50), 11);
  ASSERT_TRUE(XInput::Drag(from, {from.x + 400, from.y}));
  EXPECT_EQ(slider.GetValue(), 100);
  EXPECT_EQ(events.ends.size(), 1u);
  ASSERT_TRUE(XInput::Release({5, from.y}));
  ASSERT_TRUE(PumpUntil([&] { return events.ends.size() == 2; }, 1000));
  EXPECT_EQ(slider.GetValue(), 0);
  EXPECT_EQ(events.ends, (std::vector<int>{75, 0}));
  ASSERT_GE(events.moves.size(), 2u);
  EXPECT_EQ(events.moves.back(), 0);
  for (size_t i = 1; i < events.moves.size(); ++i) EXPECT_NE(events.moves[i], events.moves[i - 1]);
}

// A message box or Alt+Tab takes the mouse from a slider being dragged: the release never comes
// to it, so the drag ends when the capture goes, with "slider_end" at the value reached.
TEST_F(ScrollBarSliderTest, ACaptureTakenMidDragEndsTheDragOnce) {
  const POINT from = test::ScreenPoint(slider, XFor(50), 11);
  ASSERT_TRUE(XInput::Drag(from, {from.x + 60, from.y}));
  const int reached = slider.GetValue();
  ASSERT_GT(reached, 50);
  ASSERT_TRUE(events.ends.empty());
  ::SetCapture(host);  // what a box opening meanwhile does
  test::PumpFor(30);
  EXPECT_EQ(events.ends, std::vector<int>{reached});
  ASSERT_TRUE(XInput::Release({from.x + 60, from.y}));
  ::ReleaseCapture();
  test::PumpFor(50);
  EXPECT_EQ(events.ends, std::vector<int>{reached});  // the release went elsewhere: no second end
  // An ordinary drag afterwards ends once, at its release.
  ASSERT_TRUE(XInput::Drag(from, {from.x - 30, from.y}));
  ASSERT_TRUE(XInput::Release({from.x - 30, from.y}));
  ASSERT_TRUE(PumpUntil([&] { return events.ends.size() == 2; }, 1000));
  test::PumpFor(50);
  EXPECT_EQ(events.ends.size(), 2u);
}

bool Pink(COLORREF c) {
  return GetRValue(c) > 200 && GetGValue(c) < 160 && GetBValue(c) < 190;
}

TEST_F(ScrollBarSliderTest, ACentredRangeFillsFromTheMiddleWithARoundDotInSightUnderTheThumb) {
  slider.SetMinimum(-50);
  slider.SetMaximum(50);
  slider.SetValue(25);
  test::PumpFor(50);
  // Pink between the centre dot and the thumb, grey track to the left of the centre. The dot:
  // 4 x 4 around the track's centre line (rows 10 and 11 of 22, centre x 110); its left half
  // lies on the grey track, left of the fill that starts at the centre.
  const test::ScreenShot at_25(slider);
  EXPECT_GT(GetRValue(at_25.at(125, 10)), 200);
  EXPECT_LT(GetGValue(at_25.at(125, 10)), 140);
  EXPECT_EQ(at_25.at(60, 10), RGB(224, 224, 224));
  for (POINT p : {POINT{108, 10}, POINT{109, 11}, POINT{109, 9}, POINT{110, 12}})
    EXPECT_TRUE(Pink(at_25.at(p.x, p.y))) << p.x << "," << p.y;
  EXPECT_EQ(at_25.at(106, 10), RGB(224, 224, 224));  // grey track beside it
  EXPECT_EQ(at_25.at(110, 1), RGB(255, 255, 255));   // no notch: the dot is in sight
  // At 0 the thumb sits on the dot; notches above and below it mark the centre.
  slider.SetValue(0);
  test::PumpFor(50);
  const test::ScreenShot at_0(slider);
  EXPECT_EQ(slider.ThumbLeft() + slider.ThumbSize().cx / 2, 110);
  for (POINT p : {POINT{109, 0}, POINT{110, 2}, POINT{109, 19}, POINT{110, 21}})
    EXPECT_TRUE(Pink(at_0.at(p.x, p.y))) << p.x << "," << p.y;
  EXPECT_EQ(at_0.at(104, 1), RGB(255, 255, 255));
  // Dragged to the left end: the minimum.
  const POINT thumb = test::ScreenPoint(slider, slider.ThumbLeft() + 8, 11);
  ASSERT_TRUE(XInput::Drag(thumb, {5, thumb.y}));
  ASSERT_TRUE(XInput::Release({5, thumb.y}));
  EXPECT_EQ(slider.GetValue(), -50);
  // A range from 0 has no centre mark at all.
  slider.SetMinimum(0);
  slider.SetValue(50);
  test::PumpFor(50);
  EXPECT_EQ(test::ScreenShot(slider).at(110, 1), RGB(255, 255, 255));
}
}  // namespace
}  // namespace vl
