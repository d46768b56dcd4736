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
// The list's window (screen coordinates) for a combo box at `combo` (screen coordinates):
// starts one pixel above its bottom edge, spans its width, as tall as all items (at least 1).
WidgetRect ComboListRect(const WidgetRect& combo, int item_count);
// The item at client y of the list, or -1.
int ComboItemAt(int y, int item_count);

}  // namespace vl
