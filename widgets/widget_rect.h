// The widgets' layout maths measure in the one pixel rectangle (common/pixel_rect.h).
#pragma once

#include "common/pixel_rect.h"

namespace vl {

using WidgetRect = PixelRect;

}  // namespace vl
