// Where the nine pieces of a nine-part picture go: corners at their own size, edges stretched
// along one axis, the centre in both. Platform-neutral.
#pragma once

#include <array>

#include "widgets/widget_rect.h"

namespace vl {

// Insets of the fixed border of a picture. An inset of -1 takes the value of its partner (left
// and right, top and bottom).
struct NinePartInsets {
  int left = 0, right = 0, top = 0, bottom = 0;
};

struct NinePiece {
  WidgetRect source;  // in the picture
  WidgetRect dest;    // in the destination
};

// The insets with -1 resolved, negative values made 0 and each pair cut to the picture's size.
NinePartInsets ResolveInsets(NinePartInsets insets, int picture_width, int picture_height);

// The nine pieces, row by row from the top-left corner; pieces with an empty source or
// destination are returned empty and should be skipped. A destination narrower (or lower) than
// the two insets shrinks both corners in proportion so they never overlap.
std::array<NinePiece, 9> LayOutNineParts(int picture_width, int picture_height,
                                         NinePartInsets insets, const WidgetRect& dest);

}  // namespace vl
