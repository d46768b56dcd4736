#include "widgets/combo_layout.h"

#include <algorithm>
#include <cstdint>

namespace vl {
namespace {

// Bounds every height, so that sums with screen coordinates never overflow.
constexpr int64_t kMaximumListHeight = INT32_MAX / 4;

}  // namespace

WidgetRect ComboTextRect(const WidgetRect& c) {
  return {c.left + 16, c.top + 1, c.right - 38, c.bottom - 2};
}

WidgetRect ComboArrowRect(const WidgetRect& c) {
  return {c.right - 28, c.top, c.right - 10, c.bottom};
}

int ComboListHeight(int item_count) {
  const int64_t height = static_cast<int64_t>(std::max(item_count, 0)) * kComboItemHeight;
  return static_cast<int>(std::clamp<int64_t>(height, 1, kMaximumListHeight));
}

ComboListPlacement PlaceComboList(const WidgetRect& combo, const WidgetRect& work, int item_count) {
  const int full = ComboListHeight(item_count);
  // The list's edge lies one pixel inside the combo box, so outline meets outline.
  const int below_top = combo.bottom - 1;
  const int above_bottom = combo.top + 1;
  const int64_t room_below = static_cast<int64_t>(work.bottom) - below_top;
  const int64_t room_above = static_cast<int64_t>(above_bottom) - work.top;
  ComboListPlacement p;
  int height = full;
  if (full > room_below && full <= room_above) {
    p.above = true;
  } else if (full > room_below) {
    // Neither side holds every item: the roomier one, in whole items, scrolling.
    p.above = room_above > room_below;
    const int64_t room = std::max<int64_t>(p.above ? room_above : room_below, 1);
    const int64_t whole = room / kComboItemHeight * kComboItemHeight;
    height = static_cast<int>(std::min<int64_t>(whole > 0 ? whole : room, full));
    p.scrolls = height < full;
  }
  p.rect = p.above ? WidgetRect{combo.left, above_bottom - height, combo.right, above_bottom}
                   : WidgetRect{combo.left, below_top, combo.right, below_top + height};
  return p;
}

int ComboItemAt(int y, int item_count, int scroll) {
  const int64_t at = static_cast<int64_t>(y) + std::max(scroll, 0);
  if (y < 0 || at < 0) return -1;
  const int64_t index = at / kComboItemHeight;
  return index < item_count ? static_cast<int>(index) : -1;
}

int ComboScrollToShow(int index, int item_count, int visible, int scroll) {
  const int64_t total = static_cast<int64_t>(ComboListHeight(item_count));
  const int64_t most = std::max<int64_t>(total - std::max(visible, 0), 0);
  int64_t s = std::clamp<int64_t>(scroll, 0, most);
  if (index < 0 || index >= item_count) return static_cast<int>(s);
  const int64_t top = static_cast<int64_t>(index) * kComboItemHeight;
  const int64_t bottom = top + kComboItemHeight;
  if (top < s)
    s = top;
  else if (bottom > s + visible)
    s = bottom - visible;
  return static_cast<int>(std::clamp<int64_t>(s, 0, most));
}

}  // namespace vl
