// The horizontal slider's maths: range, value under the mouse, thumb position and the filled part
// of the track. Ranges come from the phone, so every function accepts any integers: an empty
// range (max == min) or a client no wider than the thumb never divides by zero, and products are
// computed in 64 bits. Platform-neutral.
#pragma once

#include "widgets/widget_rect.h"

namespace vl {

struct SliderRange {
  int minimum = 0;
  int maximum = 100;
  int value = 50;
};

// Setters keep minimum <= maximum and the value inside: the bound just set wins and the other
// bound follows it when they would cross.
void SetSliderMinimum(SliderRange& range, int minimum);
void SetSliderMaximum(SliderRange& range, int maximum);
void SetSliderValue(SliderRange& range, int value);

// The value under client x: minimum + (maximum - minimum) x (x - thumb/2) / (client - thumb),
// clamped to the range; the minimum when the range is empty or the track has no length.
int SliderValueAt(const SliderRange& range, int x, int client_width, int thumb_width);

// Left edge of the thumb: (value - minimum) x (client - thumb) / (maximum - minimum); 0 when the
// range is empty or the track has no length.
int SliderThumbLeft(const SliderRange& range, int client_width, int thumb_width);

struct SliderFill {
  int from = 0, to = 0;     // filled part of the track, in client x
  bool centre_dot = false;  // a range below zero fills from the centre and marks it
};

// The filled part: from 0 to the thumb's right edge, or for a negative minimum between the
// centre and the thumb (to its right edge for values >= 0, from its left edge below 0).
SliderFill SliderFillSpan(const SliderRange& range, int client_width, int thumb_width);

// Top row of the 2-pixel track: (client height - 2) / 2.
int SliderTrackTop(int client_height);

// The centre mark of a range below zero: a 4 x 4 dot centred on the track at half the width.
// Where the thumb hides the dot (at 0 and around it), a 2-pixel notch above and one below the
// thumb keep the centre in sight.
struct SliderCentreMark {
  bool shown = false;
  WidgetRect dot;
  bool notches = false;
  WidgetRect notch_above, notch_below;
};
SliderCentreMark SliderCentreMarkAt(const SliderRange& range, int client_width, int client_height,
                                    int thumb_width, int thumb_height);

}  // namespace vl
