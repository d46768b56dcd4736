// Row length of a Windows device-independent bitmap: each row padded to a multiple of 4 bytes.
// Every picture of the system uses this layout: decoded output pictures, the preview's
// bitmaps, the shared frame section, the camera's samples and fallback picture.
#pragma once

#include <cstdint>

namespace vl {

// Bytes of one row of `width` pixels of `bits_per_pixel` bits.
inline constexpr int64_t DibRowStride(int64_t width, int64_t bits_per_pixel) {
  return (width * bits_per_pixel + 31) / 32 * 4;
}

// Bytes of one row of a 24-bit (B, G, R) picture.
inline constexpr int64_t Rgb24RowStride(int64_t width) {
  return DibRowStride(width, 24);
}

static_assert(Rgb24RowStride(1280) == 3840 && Rgb24RowStride(5) == 16 && Rgb24RowStride(1) == 4);

}  // namespace vl
