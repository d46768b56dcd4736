// The combo box's layout: text and arrow areas, where its list opens and which item lies under
// a point. Platform-neutral.
#pragma once

#include "widgets/widget_rect.h"

namespace vl {

constexpr int kComboItemHeight = 46;

// The text area: the client moved in by 16 on the left, 1 on top, 38 on the right, 2 below.
WidgetRect ComboTextRect(const WidgetRect& client);
// The arrow area: from 28 to 10 pixels before the right edge, full height.
WidgetRect ComboArrowRect(const WidgetRect& client);
// Where the list opens (screen coordinates) for a combo box at `combo` on a monitor whose work
// area (the screen without the taskbar) is `work`. The list spans the combo box's width and
// overlaps its edge by one pixel:
//   - below it, as tall as all items (at least 1), when that fits above the work area's bottom;
//   - otherwise above it, when all items fit below the work area's top;
//   - otherwise on the side with more room, cut to whole items that fit (at least one item's
//     room, or what there is), and the list scrolls.
struct ComboListPlacement {
  WidgetRect rect;
  bool above = false;    // the list opens upwards: the combo box squares its top corners
  bool scrolls = false;  // not every item fits: the list scrolls through them
};
ComboListPlacement PlaceComboList(const WidgetRect& combo, const WidgetRect& work, int item_count);
// All items' height (at least 1 pixel, bounded for any count).
int ComboListHeight(int item_count);
// The item at client y of a list scrolled down by `scroll` pixels, or -1.
int ComboItemAt(int y, int item_count, int scroll = 0);
// The scroll offset that shows item `index` whole in a list `visible` pixels high, moving as
// little as possible from `scroll` (0 .. all items - visible).
int ComboScrollToShow(int index, int item_count, int visible, int scroll);

}  // namespace vl
