#include "widgets/font_size.h"

#include <cstdint>

namespace vl {

int FontPointTenths(int pixel_size) {
  return static_cast<int>(static_cast<int64_t>(pixel_size) * 720 / 96);
}

int FontPixelHeight(int point_tenths, int dpi) {
  // MulDiv(point_tenths, dpi, 720): half-way values round away from zero.
  const int64_t product = static_cast<int64_t>(point_tenths) * dpi;
  const int64_t rounded = product >= 0 ? (product + 360) / 720 : -((-product + 360) / 720);
  return static_cast<int>(rounded);
}

}  // namespace vl
