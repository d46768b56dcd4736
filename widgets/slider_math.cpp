#include "widgets/slider_math.h"

#include <algorithm>
#include <cstdint>

namespace vl {

void SetSliderMinimum(SliderRange& r, int minimum) {
  r.minimum = minimum;
  if (r.maximum < r.minimum) r.maximum = r.minimum;
  r.value = std::clamp(r.value, r.minimum, r.maximum);
}

void SetSliderMaximum(SliderRange& r, int maximum) {
  r.maximum = maximum;
  if (r.minimum > r.maximum) r.minimum = r.maximum;
  r.value = std::clamp(r.value, r.minimum, r.maximum);
}

void SetSliderValue(SliderRange& r, int value) {
  r.value = std::clamp(value, r.minimum, r.maximum);
}

int SliderValueAt(const SliderRange& r, int x, int client_width, int thumb_width) {
  const int64_t track = static_cast<int64_t>(client_width) - thumb_width;
  const int64_t span = static_cast<int64_t>(r.maximum) - r.minimum;
  if (track <= 0 || span <= 0) return r.minimum;
  const int64_t offset = static_cast<int64_t>(x) - thumb_width / 2;
  const int64_t value = r.minimum + span * offset / track;
  return static_cast<int>(std::clamp<int64_t>(value, r.minimum, r.maximum));
}

int SliderThumbLeft(const SliderRange& r, int client_width, int thumb_width) {
  const int64_t track = static_cast<int64_t>(client_width) - thumb_width;
  const int64_t span = static_cast<int64_t>(r.maximum) - r.minimum;
  if (track <= 0 || span <= 0) return 0;
  const int64_t along = std::clamp<int64_t>(static_cast<int64_t>(r.value) - r.minimum, 0, span);
  return static_cast<int>(along * track / span);
}

SliderFill SliderFillSpan(const SliderRange& r, int client_width, int thumb_width) {
  const int x = SliderThumbLeft(r, client_width, thumb_width);
  SliderFill fill;
  if (r.minimum >= 0) {
    fill.from = 0;
    fill.to = x + thumb_width;
    return fill;
  }
  const int centre = client_width / 2;
  fill.centre_dot = true;
  if (r.value >= 0) {
    fill.from = centre;
    fill.to = x + thumb_width;
  } else {
    fill.from = x;
    fill.to = centre;
  }
  return fill;
}

int SliderTrackTop(int client_height) {
  return (client_height - 2) / 2;
}

SliderCentreMark SliderCentreMarkAt(const SliderRange& r, int client_width, int client_height,
                                    int thumb_width, int thumb_height) {
  SliderCentreMark mark;
  if (r.minimum >= 0) return mark;
  mark.shown = true;
  const int centre = client_width / 2;
  const int track_top = SliderTrackTop(client_height);
  // Rows track_top - 1 .. track_top + 2: the 2-pixel track in the middle of the dot.
  mark.dot = {centre - 2, track_top - 1, centre + 2, track_top + 3};
  const int thumb_left = SliderThumbLeft(r, client_width, thumb_width);
  const int thumb_top = (client_height - thumb_height) / 2;
  const bool hidden = thumb_left < mark.dot.right && thumb_left + thumb_width > mark.dot.left;
  mark.notch_above = {centre - 1, 0, centre + 1, thumb_top};
  mark.notch_below = {centre - 1, thumb_top + thumb_height, centre + 1, client_height};
  mark.notches = hidden && !mark.notch_above.empty() && !mark.notch_below.empty();
  return mark;
}

}  // namespace vl
