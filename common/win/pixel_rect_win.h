// PixelRect to and from the Windows RECT.
#pragma once

#include <windows.h>

#include "common/pixel_rect.h"

namespace vl {

inline RECT ToRect(const PixelRect& r) {
  return RECT{r.left, r.top, r.right, r.bottom};
}

inline PixelRect ToPixelRect(const RECT& r) {
  return PixelRect{r.left, r.top, r.right, r.bottom};
}

}  // namespace vl
