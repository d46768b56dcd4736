#include "widgets/scroll_math.h"

#include <algorithm>
#include <cstdint>

namespace vl {

int MaxScrollPosition(const ScrollState& s) {
  const int64_t max = static_cast<int64_t>(s.range) - s.page;
  return max > 0 ? static_cast<int>(std::min<int64_t>(max, INT32_MAX)) : 0;
}

int ClampScrollPosition(const ScrollState& s, int position) {
  return std::clamp(position, 0, MaxScrollPosition(s));
}

int ScrollThumbHeight(const ScrollState& s, int client_height) {
  client_height = std::max(client_height, 0);
  if (s.range <= 0) return client_height;
  const int64_t height = static_cast<int64_t>(client_height) * std::max(s.page, 0) / s.range;
  const int64_t at_least = std::max<int64_t>(height, kMinimumThumbHeight);
  return static_cast<int>(std::min<int64_t>(at_least, client_height));
}

int ScrollThumbTop(const ScrollState& s, int client_height) {
  const int max_position = MaxScrollPosition(s);
  const int64_t free = static_cast<int64_t>(client_height) - ScrollThumbHeight(s, client_height);
  if (max_position < 1 || free <= 0) return 0;
  const int64_t position = std::clamp(s.position, 0, max_position);
  return static_cast<int>(free * position / max_position);
}

int ScrollPositionForThumbTop(const ScrollState& s, int client_height, int thumb_top) {
  const int64_t free = static_cast<int64_t>(client_height) - ScrollThumbHeight(s, client_height);
  if (free <= 0) return 0;
  const int64_t top = std::clamp<int64_t>(thumb_top, 0, free);
  return static_cast<int>(MaxScrollPosition(s) * top / free);
}

}  // namespace vl
