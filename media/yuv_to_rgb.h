// The decoder's conversion of 8-bit 4:2:0 pictures (what phones send) to packed RGB24, R, G, B
// per pixel, rows top-down. BT.601 colours as the scaling library converts them by default:
// limited range (Y 16..235) or, for pictures flagged full range, 0..255; each 2 x 2 block of
// pixels shares its chroma sample. Platform-neutral.
//
// The definition, in integers, for luma Y and chroma U, V of a pixel (d = U - 128, e = V - 128):
//   limited range:  y = (149 * Y >> 1) - 1192   (74.5 * (Y - 16))
//                   R = y + 102 e,  G = y - 25 d - 52 e,  B = y + 129 d
//   full range:     y = 64 * Y
//                   R = y + 90 e,   G = y - 22 d - 46 e,  B = y + 113 d
//   each channel = clamp((value + 32) >> 6, 0, 255)
// (the BT.601 coefficients in sixty-fourths). On processors with SSSE3 sixteen pixels are
// converted at a time, with the same results, bit for bit, as the portable kernel's.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vl {

struct Yuv420View {
  const uint8_t* y = nullptr;
  const uint8_t* u = nullptr;
  const uint8_t* v = nullptr;
  ptrdiff_t y_stride = 0, u_stride = 0, v_stride = 0;
  int width = 0, height = 0;  // of the luma plane; chroma planes are (width + 1) / 2 wide
  bool full_range = false;
};

// Fills `rgb` (width * 3 bytes a row, rows `rgb_stride` apart). False, writing nothing, on an
// unusable view.
bool ConvertYuv420ToRgb24(const Yuv420View& src, uint8_t* rgb, ptrdiff_t rgb_stride);

// Tests only: true restricts the conversion to the portable kernel.
void UsePlainYuvKernels(bool plain);

}  // namespace vl
