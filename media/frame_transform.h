// The one-pass fill of an output picture from a decoded RGB24 picture: optional 90° clockwise
// rotation, mirroring, flipping, R,G,B -> B,G,R and bottom-up row order, all while copying.
// Platform-neutral; works on plain buffers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vl {

// Packed RGB24 picture, rows top-down.
struct RgbView {
  const uint8_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  ptrdiff_t stride = 0;
};

// Packed 24-bit picture (B,G,R) stored bottom-up: the first row in memory is the bottom row.
struct BgrBottomUpView {
  uint8_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  ptrdiff_t stride = 0;
};

struct Orientation {
  bool rotate = false;  // 90° clockwise: T(r, c) = S(h - 1 - c, r)
  bool mirror = false;  // T(r, c) taken from column (width - 1 - c)
  bool flip = false;    // T(r, c) taken from row (height - 1 - r)
};

// Size of the picture once oriented.
inline void OrientedSize(int width, int height, bool rotate, int* out_width, int* out_height) {
  *out_width = rotate ? height : width;
  *out_height = rotate ? width : height;
}

// Fills `out` with the window of the oriented picture whose top-left corner is (left, top) in
// oriented coordinates and whose size is the size of `out`. Returns false, writing nothing, when
// the window does not lie inside the oriented picture or a view is unusable.
bool FillOriented(const RgbView& src, const Orientation& orientation, int left, int top,
                  const BgrBottomUpView& out);

// Widens a packed 24-bit picture to 32 bits per pixel: each pixel's three bytes kept in order,
// then a zero byte; rows in memory order, `width` x `height` pixels. The screen's bitmaps hold
// 32-bit pixels, and GDI copies a 24-bit bitmap onto one only through a conversion buffer it
// allocates and fills at every copy. Returns false, writing nothing, on an unusable view.
bool WidenTo32Bits(const uint8_t* src, ptrdiff_t src_stride, uint8_t* dst, ptrdiff_t dst_stride,
                   int width, int height);

}  // namespace vl
