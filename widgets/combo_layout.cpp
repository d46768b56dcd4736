#include "widgets/combo_layout.h"

#include <algorithm>
#include <cstdint>

namespace vl {

WidgetRect ComboTextRect(const WidgetRect& c) {
  return {c.left + 16, c.top + 1, c.right - 38, c.bottom - 2};
}

WidgetRect ComboArrowRect(const WidgetRect& c) {
  return {c.right - 28, c.top, c.right - 10, c.bottom};
}

WidgetRect ComboListRect(const WidgetRect& combo, int item_count) {
  const int64_t height = std::max<int64_t>(static_cast<int64_t>(item_count) * kComboItemHeight, 1);
  const int top = combo.bottom - 1;
  return {combo.left, top, combo.right,
          static_cast<int>(std::min<int64_t>(top + height, INT32_MAX / 2))};
}

int ComboItemAt(int y, int item_count) {
  if (y < 0) return -1;
  const int index = y / kComboItemHeight;
  return index < item_count ? index : -1;
}

}  // namespace vl
