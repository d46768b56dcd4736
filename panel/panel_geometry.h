// Layout maths of the panel: rectangles, the tab row and the item grid.
#pragma once

#include <cstdint>

#include "common/pixel_rect.h"
#include "panel/panel_limits.h"

namespace vl {

using PanelRect = PixelRect;

// Cell size, gaps and columns of an item grid, always within bounds (Clamped).
struct ListGeometry {
  int32_t item_width = 68;
  int32_t item_height = 68;
  int32_t spacex = 34;
  int32_t spacey = 12;
  int32_t columns = 3;

  // Sizes in [0, kMaxCellSize], gaps in [0, kMaxCellGap], columns in [1, kMaxPanelControls]:
  // a phone's "col" of 0 or less means one column.
  ListGeometry Clamped() const;
};

// The cell of item `index` (0-based) in the grid's coordinates before scrolling.
PanelRect ListCell(const ListGeometry& g, int32_t index);
// Bottom of the last cell of `count` items; 0 without items.
int32_t ListContentHeight(const ListGeometry& g, int32_t count);
// The slot of child `index` of `count` in a tab row: equal widths (the remainder of the width
// stays empty), full height of the holder's client rectangle.
PanelRect TabSlot(const PanelRect& client, int32_t count, int32_t index);

}  // namespace vl
