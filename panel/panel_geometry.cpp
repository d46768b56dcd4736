#include "panel/panel_geometry.h"

#include <algorithm>

namespace vl {
namespace {

int32_t Clamp(int32_t v, int32_t lo, int32_t hi) {
  return std::min(std::max(v, lo), hi);
}

int32_t ClampToInt32(int64_t v) {
  return static_cast<int32_t>(std::min<int64_t>(std::max<int64_t>(v, INT32_MIN), INT32_MAX));
}

}  // namespace

ListGeometry ListGeometry::Clamped() const {
  ListGeometry g;
  g.item_width = Clamp(item_width, 0, kMaxCellSize);
  g.item_height = Clamp(item_height, 0, kMaxCellSize);
  g.spacex = Clamp(spacex, 0, kMaxCellGap);
  g.spacey = Clamp(spacey, 0, kMaxCellGap);
  g.columns = Clamp(columns, 1, kMaxPanelControls);
  return g;
}

PanelRect ListCell(const ListGeometry& geometry, int32_t index) {
  const ListGeometry g = geometry.Clamped();
  const int64_t row = index / g.columns;
  const int64_t column = index % g.columns;
  const int64_t x = column * (g.item_width + g.spacex);
  const int64_t y = row * (g.item_height + g.spacey);
  return PanelRect{ClampToInt32(x), ClampToInt32(y), ClampToInt32(x + g.item_width),
                   ClampToInt32(y + g.item_height)};
}

int32_t ListContentHeight(const ListGeometry& g, int32_t count) {
  return count <= 0 ? 0 : ListCell(g, count - 1).bottom;
}

PanelRect TabSlot(const PanelRect& client, int32_t count, int32_t index) {
  const int32_t w = count > 0 ? client.width() / count : 0;
  const int32_t left = client.left + index * w;
  return PanelRect{left, client.top, left + w, client.bottom};
}

}  // namespace vl
