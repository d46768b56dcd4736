// A decoded picture of a panel item, as the platform made it.
#pragma once

#include <cstdint>

namespace vl {

// A decoded picture of an item, already scaled to fit the item's square.
class PanelPicture {
 public:
  virtual ~PanelPicture() = default;
  virtual int32_t width() const = 0;
  virtual int32_t height() const = 0;
};

}  // namespace vl
