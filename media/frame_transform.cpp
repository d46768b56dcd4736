#include "media/frame_transform.h"

#include <algorithm>
#include <cstring>

namespace vl {
namespace {

// Rotated pictures are filled in square tiles so that the source rows a tile reads stay in
// the cache while its output rows are written.
constexpr int kTile = 32;

inline uint32_t Load32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
inline void Store32(uint8_t* p, uint32_t v) {
  std::memcpy(p, &v, 4);
}

// Copies `count` pixels forward, swapping R and B. Four pixels (three little-endian words) at a
// time: R0G0B0R1 G1B1R2G2 B2R3G3B3 -> B0G0R0B1 G1R1B2G2 R2B3G3R3.
void CopySwapForward(const uint8_t* src, uint8_t* dst, int count) {
  int i = 0;
  for (; i + 4 <= count; i += 4, src += 12, dst += 12) {
    const uint32_t a = Load32(src), b = Load32(src + 4), c = Load32(src + 8);
    Store32(dst,
            ((a >> 16) & 0xFFu) | (a & 0xFF00u) | ((a & 0xFFu) << 16) | (((b >> 8) & 0xFFu) << 24));
    Store32(dst + 4, (b & 0xFFu) | ((a >> 24) << 8) | ((c & 0xFFu) << 16) | (b & 0xFF000000u));
    Store32(dst + 8,
            ((b >> 16) & 0xFFu) | ((c >> 24) << 8) | (c & 0xFF0000u) | ((c & 0xFF00u) << 16));
  }
  for (; i < count; ++i, src += 3, dst += 3) {
    dst[0] = src[2];
    dst[1] = src[1];
    dst[2] = src[0];
  }
}

// Copies `count` pixels while walking the source backwards from `src` (the first pixel to
// write), swapping R and B. Reversing the byte order of a run of RGB pixels both mirrors the run
// and turns every pixel into B,G,R, so four pixels are three byte-swapped words.
void CopySwapBackward(const uint8_t* src, uint8_t* dst, int count) {
  int i = 0;
  for (; i + 4 <= count; i += 4, src -= 12, dst += 12) {
    const uint8_t* run = src - 9;  // the four source pixels, lowest address first
    const uint32_t a = Load32(run), b = Load32(run + 4), c = Load32(run + 8);
    Store32(dst, __builtin_bswap32(c));
    Store32(dst + 4, __builtin_bswap32(b));
    Store32(dst + 8, __builtin_bswap32(a));
  }
  for (; i < count; ++i, src -= 3, dst += 3) {
    dst[0] = src[2];
    dst[1] = src[1];
    dst[2] = src[0];
  }
}

}  // namespace

bool FillOriented(const RgbView& src, const Orientation& o, int left, int top,
                  const BgrBottomUpView& out) {
  if (src.pixels == nullptr || out.pixels == nullptr || src.width <= 0 || src.height <= 0 ||
      out.width <= 0 || out.height <= 0 || src.stride < static_cast<ptrdiff_t>(src.width) * 3 ||
      out.stride < static_cast<ptrdiff_t>(out.width) * 3)
    return false;
  int tw, th;
  OrientedSize(src.width, src.height, o.rotate, &tw, &th);
  if (left < 0 || top < 0 || left > tw - out.width || top > th - out.height) return false;

  // Output pixel (r, c) in top-down coordinates comes from oriented pixel (top + r, left + c),
  // which comes from the source pixel at base + r * step_r + c * step_c.
  const int r0 = o.flip ? th - 1 - top : top;      // oriented row before flipping
  const int c0 = o.mirror ? tw - 1 - left : left;  // oriented column before mirroring
  const ptrdiff_t dr = o.flip ? -1 : 1, dc = o.mirror ? -1 : 1;
  const uint8_t* base;
  ptrdiff_t step_r, step_c;
  if (!o.rotate) {
    base = src.pixels + r0 * src.stride + static_cast<ptrdiff_t>(c0) * 3;
    step_r = dr * src.stride;
    step_c = dc * 3;
  } else {
    // T(r, c) = S(h - 1 - c, r)
    base = src.pixels + (src.height - 1 - c0) * src.stride + static_cast<ptrdiff_t>(r0) * 3;
    step_r = dr * 3;
    step_c = -dc * src.stride;
  }
  auto out_row = [&](int r) { return out.pixels + (out.height - 1 - r) * out.stride; };

  if (!o.rotate) {
    for (int r = 0; r < out.height; ++r) {
      const uint8_t* s = base + r * step_r;
      if (o.mirror)
        CopySwapBackward(s, out_row(r), out.width);
      else
        CopySwapForward(s, out_row(r), out.width);
    }
    return true;
  }
  for (int r_tile = 0; r_tile < out.height; r_tile += kTile) {
    const int r_end = std::min(out.height, r_tile + kTile);
    for (int c_tile = 0; c_tile < out.width; c_tile += kTile) {
      const int c_end = std::min(out.width, c_tile + kTile);
      for (int r = r_tile; r < r_end; ++r) {
        const uint8_t* s = base + r * step_r + c_tile * step_c;
        uint8_t* d = out_row(r) + static_cast<ptrdiff_t>(c_tile) * 3;
        for (int c = c_tile; c < c_end; ++c, s += step_c, d += 3) {
          d[0] = s[2];
          d[1] = s[1];
          d[2] = s[0];
        }
      }
    }
  }
  return true;
}

}  // namespace vl
