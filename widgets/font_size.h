// Font sizes of the shared font cache: widgets ask for a size in pixels as designed at 96 dots
// per inch; the font is made from the equivalent point size, so it grows with the screen's
// logical resolution. Platform-neutral.
#pragma once

namespace vl {

// Point size in tenths of a point for a pixel size at 96 dpi (size x 720 / 96, truncated).
int FontPointTenths(int pixel_size);

// The font height in pixels (a positive character height) of a point size in tenths at the
// given logical resolution, rounded to the nearest pixel as the system's MulDiv rounds.
int FontPixelHeight(int point_tenths, int dpi);

}  // namespace vl
