// The slider's and the scroll bar's maths, including the ranges that used to divide by zero.
#include <gtest/gtest.h>

#include <climits>

#include "widgets/scroll_math.h"
#include "widgets/slider_math.h"

namespace vl {
namespace {

constexpr int kThumb = 16;

TEST(SliderMath, ValueFollowsTheMouseAndStaysInTheRange) {
  const SliderRange r{0, 100, 50};
  // 220-pixel track (the panel's slider) with a 16-pixel thumb: 204 pixels of travel.
  EXPECT_EQ(SliderValueAt(r, 8, 220, kThumb), 0);
  EXPECT_EQ(SliderValueAt(r, 8 + 102, 220, kThumb), 50);
  EXPECT_EQ(SliderValueAt(r, 212, 220, kThumb), 100);
  EXPECT_EQ(SliderValueAt(r, -500, 220, kThumb), 0);
  EXPECT_EQ(SliderValueAt(r, 5000, 220, kThumb), 100);
}

TEST(SliderMath, NegativeRangeFillsFromTheCentre) {
  SliderRange r{-50, 50, 0};
  EXPECT_EQ(SliderValueAt(r, 110, 220, kThumb), 0);
  EXPECT_EQ(SliderValueAt(r, -1000, 220, kThumb), -50);
  EXPECT_EQ(SliderValueAt(r, 1000, 220, kThumb), 50);
  SetSliderValue(r, 25);
  const int x = SliderThumbLeft(r, 220, kThumb);
  EXPECT_EQ(x, 153);  // 75 x 204 / 100
  SliderFill fill = SliderFillSpan(r, 220, kThumb);
  EXPECT_TRUE(fill.centre_dot);
  EXPECT_EQ(fill.from, 110);
  EXPECT_EQ(fill.to, x + kThumb);
  SetSliderValue(r, -25);
  fill = SliderFillSpan(r, 220, kThumb);
  EXPECT_EQ(fill.from, SliderThumbLeft(r, 220, kThumb));
  EXPECT_EQ(fill.to, 110);
  SetSliderValue(r, 0);  // 0 fills like the values above it: from the centre over the thumb
  fill = SliderFillSpan(r, 220, kThumb);
  EXPECT_EQ(fill.from, 110);
  EXPECT_EQ(fill.to, SliderThumbLeft(r, 220, kThumb) + kThumb);
}

// The centre mark of a -50..50 slider on the panel's 220 x 22 track with its 16 x 16 thumb:
// the dot always; the notches exactly while the thumb covers any of the dot.
TEST(SliderMath, CentreMarkStaysInSightWhereverTheThumbIs) {
  const struct {
    int value;
    bool notches;
  } cases[] = {{0, true},   {1, true},  {3, true},   {4, true},   {6, false},
               {50, false}, {-4, true}, {-6, false}, {-50, false}};
  for (const auto& c : cases) {
    const SliderRange r{-50, 50, c.value};
    const SliderCentreMark mark = SliderCentreMarkAt(r, 220, 22, kThumb, kThumb);
    EXPECT_TRUE(mark.shown) << c.value;
    EXPECT_EQ(mark.dot, (WidgetRect{108, 9, 112, 13})) << c.value;  // rows 10-11 in its middle
    EXPECT_EQ(mark.notches, c.notches)
        << c.value << " thumb at " << SliderThumbLeft(r, 220, kThumb);
    if (mark.notches) {
      EXPECT_EQ(mark.notch_above, (WidgetRect{109, 0, 111, 3}));
      EXPECT_EQ(mark.notch_below, (WidgetRect{109, 19, 111, 22}));
    }
  }
  EXPECT_EQ(SliderTrackTop(22), 10);
  // No negative minimum, no mark; a client no taller than the thumb has no room for notches.
  EXPECT_FALSE(SliderCentreMarkAt({0, 100, 50}, 220, 22, kThumb, kThumb).shown);
  EXPECT_FALSE(SliderCentreMarkAt({-50, 50, 0}, 220, 16, kThumb, kThumb).notches);
}

// A positive range fills from the left; an empty range draws the thumb left and reports the
// minimum; a track no wider than the thumb never divides.
TEST(SliderMath, PositiveEmptyAndThumbWideRanges) {
  const SliderFill fill = SliderFillSpan({0, 100, 100}, 220, kThumb);
  EXPECT_FALSE(fill.centre_dot);
  EXPECT_EQ(fill.from, 0);
  EXPECT_EQ(fill.to, 220);
  const SliderRange empty{7, 7, 7};
  EXPECT_EQ(SliderThumbLeft(empty, 220, kThumb), 0);
  EXPECT_EQ(SliderValueAt(empty, 150, 220, kThumb), 7);
  EXPECT_EQ(SliderFillSpan(empty, 220, kThumb).to, kThumb);
  const SliderRange r{0, 100, 60};
  EXPECT_EQ(SliderThumbLeft(r, kThumb, kThumb), 0);
  EXPECT_EQ(SliderValueAt(r, 10, kThumb, kThumb), 0);
  EXPECT_EQ(SliderThumbLeft(r, 4, kThumb), 0);
  EXPECT_EQ(SliderValueAt(r, 10, 0, kThumb), 0);
}

TEST(SliderMath, MinimumAboveMaximumNeverInvertsTheRange) {
  // The phone sends "min" 80, then "max" 20: the maximum wins and the minimum follows.
  SliderRange r;
  SetSliderMinimum(r, 80);
  EXPECT_EQ(r.value, 80);
  SetSliderMaximum(r, 20);
  EXPECT_EQ(r.minimum, 20);
  EXPECT_EQ(r.maximum, 20);
  EXPECT_EQ(r.value, 20);
  // And the other way round: a minimum above the maximum lifts the maximum.
  SliderRange s;
  SetSliderMinimum(s, 150);
  EXPECT_EQ(s.maximum, 150);
  EXPECT_EQ(s.value, 150);
  SetSliderValue(s, -3);
  EXPECT_EQ(s.value, 150);
}

TEST(SliderMath, ExtremeRangesDoNotOverflow) {
  const SliderRange r{INT_MIN, INT_MAX, 0};
  EXPECT_EQ(SliderValueAt(r, 8, 220, kThumb), INT_MIN);
  EXPECT_EQ(SliderValueAt(r, 212, 220, kThumb), INT_MAX);
  const int x = SliderThumbLeft(r, 220, kThumb);
  EXPECT_GE(x, 101);
  EXPECT_LE(x, 102);
}

TEST(ScrollMath, ThumbSizeAndPlace) {
  ScrollState s{1000, 200, 0};
  EXPECT_EQ(ScrollThumbHeight(s, 400), 80);
  EXPECT_EQ(ScrollThumbTop(s, 400), 0);
  s.position = 800;
  EXPECT_EQ(ScrollThumbTop(s, 400), 320);
  s.position = 400;
  EXPECT_EQ(ScrollThumbTop(s, 400), 160);
  EXPECT_EQ(ScrollPositionForThumbTop(s, 400, 160), 400);
  EXPECT_EQ(ScrollPositionForThumbTop(s, 400, -30), 0);
  EXPECT_EQ(ScrollPositionForThumbTop(s, 400, 999), 800);
}

TEST(ScrollMath, ThumbIsAtLeast56PixelsButNeverTallerThanTheClient) {
  const ScrollState s{100000, 10, 0};
  EXPECT_EQ(ScrollThumbHeight(s, 400), kMinimumThumbHeight);
  EXPECT_EQ(ScrollThumbHeight(s, 40), 40);
  EXPECT_EQ(ScrollThumbHeight({0, 10, 0}, 300), 300);
}

TEST(ScrollMath, PositionsStayInTheScrollableSpanAndFullThumbsNeverDivide) {
  const ScrollState s{100, 100, 0};
  EXPECT_EQ(MaxScrollPosition(s), 0);
  EXPECT_EQ(ClampScrollPosition(s, 30), 0);
  EXPECT_EQ(ScrollThumbTop(s, 400), 0);
  EXPECT_EQ(ScrollPositionForThumbTop(s, 400, 50), 0);
  // Positions are clamped to the scrollable span.
  const ScrollState t{500, 200, 0};
  EXPECT_EQ(ClampScrollPosition(t, -4), 0);
  EXPECT_EQ(ClampScrollPosition(t, 301), 300);
  EXPECT_EQ(ClampScrollPosition(t, 120), 120);
  // A thumb filling the track (its minimum height fills a 56-pixel client) never divides.
  const ScrollState u{1000, 100, 300};
  EXPECT_EQ(ScrollThumbHeight(u, 56), 56);
  EXPECT_EQ(ScrollThumbTop(u, 56), 0);
  EXPECT_EQ(ScrollPositionForThumbTop(u, 56, 10), 0);
  EXPECT_EQ(ScrollPositionForThumbTop(u, 30, 10), 0);
  EXPECT_EQ(ScrollPositionForThumbTop(u, 0, 0), 0);
}

}  // namespace
}  // namespace vl
