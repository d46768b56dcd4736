// The slider's and the scroll bar's maths, including the ranges that used to divide by zero.
#include <gtest/gtest.h>

#include <climits>
#include <tuple>

#include "widgets/scroll_math.h"
#include "widgets/slider_math.h"

namespace vl {
namespace {

constexpr int kThumb = 16;

// The value under the mouse on the panel's 220-pixel track (204 pixels of travel for the thumb),
// kept in the range; an empty range gives its minimum, a track no wider than the thumb never
// divides, and the widest range does not overflow.
TEST(SliderMath, ValueFollowsTheMouseAndStaysInTheRange) {
  const struct {
    int minimum, maximum, x, width, value;
  } cases[] = {{0, 100, 8, 220, 0},
               {0, 100, 110, 220, 50},
               {0, 100, 212, 220, 100},
               {0, 100, -500, 220, 0},
               {0, 100, 5000, 220, 100},
               {-50, 50, 110, 220, 0},
               {-50, 50, -1000, 220, -50},
               {-50, 50, 1000, 220, 50},
               {7, 7, 150, 220, 7},
               {0, 100, 10, kThumb, 0},
               {0, 100, 10, 0, 0},
               {INT_MIN, INT_MAX, 8, 220, INT_MIN},
               {INT_MIN, INT_MAX, 212, 220, INT_MAX}};
  for (const auto& c : cases)
    EXPECT_EQ(SliderValueAt({c.minimum, c.maximum, c.minimum}, c.x, c.width, kThumb), c.value)
        << c.minimum << ".." << c.maximum << " at " << c.x << " of " << c.width;
}

// The thumb's left edge and the filled part: from the left for a positive or empty range; for a
// range below zero between the centre (110) and the thumb, to its right edge for 0 and the
// values above, from its left edge below 0.
TEST(SliderMath, ThumbAndFill) {
  const struct {
    SliderRange r;
    int left, from, to;
    bool centre_dot;
  } cases[] = {{{-50, 50, 25}, 153, 110, 169, true},  // 75 x 204 / 100
               {{-50, 50, -25}, 51, 51, 110, true},
               {{-50, 50, 0}, 102, 110, 118, true},
               {{0, 100, 100}, 204, 0, 220, false},
               {{7, 7, 7}, 0, 0, kThumb, false}};
  for (const auto& c : cases) {
    const SliderFill fill = SliderFillSpan(c.r, 220, kThumb);
    EXPECT_EQ(std::tuple(SliderThumbLeft(c.r, 220, kThumb), fill.from, fill.to, fill.centre_dot),
              std::tuple(c.left, c.from, c.to, c.centre_dot))
        << c.r.minimum << " " << c.r.value;
  }
  // A track no wider than the thumb never divides; the widest range does not overflow.
  EXPECT_EQ(SliderThumbLeft({0, 100, 60}, kThumb, kThumb), 0);
  EXPECT_EQ(SliderThumbLeft({0, 100, 60}, 4, kThumb), 0);
  const int x = SliderThumbLeft({INT_MIN, INT_MAX, 0}, 220, kThumb);
  EXPECT_GE(x, 101);
  EXPECT_LE(x, 102);
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

TEST(SliderMath, MinimumAboveMaximumNeverInvertsTheRange) {
  // The phone sends "min" 80, then "max" 20: the maximum wins and the minimum follows.
  SliderRange r;
  SetSliderMinimum(r, 80);
  EXPECT_EQ(r.value, 80);
  SetSliderMaximum(r, 20);
  EXPECT_EQ(std::tuple(r.minimum, r.maximum, r.value), std::tuple(20, 20, 20));
  // And the other way round: a minimum above the maximum lifts the maximum.
  SliderRange s;
  SetSliderMinimum(s, 150);
  EXPECT_EQ(s.maximum, 150);
  EXPECT_EQ(s.value, 150);
  SetSliderValue(s, -3);
  EXPECT_EQ(s.value, 150);
}

// Thumb height (at least 56 pixels, never taller than the client) and top; a thumb that fills
// the track, as with content that fits or a 56-pixel client, never divides.
TEST(ScrollMath, ThumbHeightAndTop) {
  const struct {
    ScrollState s;
    int client, height, top;
  } cases[] = {{{1000, 200, 0}, 400, 80, 0},     {{1000, 200, 400}, 400, 80, 160},
               {{1000, 200, 800}, 400, 80, 320}, {{100000, 10, 0}, 400, kMinimumThumbHeight, 0},
               {{100000, 10, 0}, 40, 40, 0},     {{0, 10, 0}, 300, 300, 0},
               {{100, 100, 0}, 400, 400, 0},     {{1000, 100, 300}, 56, 56, 0}};
  for (const auto& c : cases)
    EXPECT_EQ(std::pair(ScrollThumbHeight(c.s, c.client), ScrollThumbTop(c.s, c.client)),
              std::pair(c.height, c.top))
        << c.s.range << " at " << c.s.position << " in " << c.client;
}

// Positions stay in the scrollable span, for a thumb dragged anywhere too.
TEST(ScrollMath, PositionsStayInTheScrollableSpan) {
  const struct {
    ScrollState s;
    int client, thumb_top, position;
  } cases[] = {{{1000, 200, 400}, 400, 160, 400}, {{1000, 200, 400}, 400, -30, 0},
               {{1000, 200, 400}, 400, 999, 800}, {{100, 100, 0}, 400, 50, 0},
               {{1000, 100, 300}, 56, 10, 0},     {{1000, 100, 300}, 30, 10, 0},
               {{1000, 100, 300}, 0, 0, 0}};
  for (const auto& c : cases)
    EXPECT_EQ(ScrollPositionForThumbTop(c.s, c.client, c.thumb_top), c.position)
        << c.thumb_top << " in " << c.client;
  EXPECT_EQ(MaxScrollPosition({100, 100, 0}), 0);
  EXPECT_EQ(ClampScrollPosition({100, 100, 0}, 30), 0);
  const ScrollState t{500, 200, 0};
  for (auto [asked, clamped] : {std::pair{-4, 0}, {301, 300}, {120, 120}})
    EXPECT_EQ(ClampScrollPosition(t, asked), clamped) << asked;
}

}  // namespace
}  // namespace vl
