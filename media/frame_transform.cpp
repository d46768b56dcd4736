#include "media/frame_transform.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>

#include "media/cpu_features.h"
#include "media/pixel_swap_shuffles.h"
#include "media/plain_kernels.h"

#if defined(__i386__) || defined(__x86_64__)
#include <tmmintrin.h>
#define VL_HAVE_SSSE3_KERNELS 1
#endif

namespace vl {
namespace {

// Rotated pictures are filled in tiles of 16 output rows by 256 output columns: the 256 source
// rows a tile reads (16 pixels of each) stay in the cache while its output rows are written
// in long runs. (Measured best among square and flatter shapes.)
constexpr int kTileRows = 16, kTileCols = 256;

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

#ifdef VL_HAVE_SSSE3_KERNELS
// SSSE3 kernels, chosen at run time. Four pixels are twelve bytes of one 16-byte register; the
// four spare bytes are read from pixels of the same run and written over pixels that are filled
// right after, so no access leaves the run.

__attribute__((target("ssse3"))) void CopySwapForwardSsse3(const uint8_t* src, uint8_t* dst,
                                                           int count) {
  // Sixteen pixels are three registers in and three out; each output register gathers its bytes
  // from at most three input registers.
  const PixelSwapShuffles s = MakePixelSwapShuffles();
  const __m128i a0 = s.a0, b0 = s.b0, a1 = s.a1, b1 = s.b1, c1 = s.c1, b2 = s.b2, c2 = s.c2;
  int i = 0;
  for (; i + 16 <= count; i += 16, src += 48, dst += 48) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 16));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 32));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst),
                     _mm_or_si128(_mm_shuffle_epi8(a, a0), _mm_shuffle_epi8(b, b0)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 16),
                     _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(a, a1), _mm_shuffle_epi8(b, b1)),
                                  _mm_shuffle_epi8(c, c1)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 32),
                     _mm_or_si128(_mm_shuffle_epi8(b, b2), _mm_shuffle_epi8(c, c2)));
  }
  CopySwapForward(src, dst, count - i);
}

__attribute__((target("ssse3"))) void CopySwapBackwardSsse3(const uint8_t* src, uint8_t* dst,
                                                            int count) {
  // Sixteen pixels are 48 bytes ending at src + 2; reversing all 48 bytes mirrors the run and
  // swaps R and B: the output registers are the input registers reversed, in reverse order.
  const __m128i reverse = _mm_setr_epi8(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
  int i = 0;
  for (; i + 16 <= count; i += 16, src -= 48, dst += 48) {
    const uint8_t* run = src - 45;
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(run));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(run + 16));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(run + 32));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_shuffle_epi8(c, reverse));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 16), _mm_shuffle_epi8(b, reverse));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 32), _mm_shuffle_epi8(a, reverse));
  }
  CopySwapBackward(src, dst, count - i);
}

// Rotated fill of a strip of four output rows, `blocks` blocks of 4 x 4 pixels from left to
// right. Output pixel (j, k) of a block (row j, column k) is pixel j of the k-th source run: the
// runs are the twelve bytes of four source pixels, one run per source row, `run` the lowest
// address of the block's first run and `step_c` the distance to the next run. Each run is loaded
// at once and spread into 32-bit lanes with R and B swapped; `spread` also reverses the pixel
// order when output rows go backwards along the source rows (flip), and mirroring only changes
// the sign of `step_c`, so neither costs an extra instruction. The 4 x 4 lanes are then transposed
// so that each register is one output row, packed back to 12 bytes and stored. kExactLoads reads
// only the twelve bytes of each run (for strips that end at the source's last byte); otherwise
// sixteen. Every block but the last stores sixteen bytes, the last four of which the next block
// overwrites; the last stores exactly twelve, so nothing is written past the strip.
template <bool kExactLoads>
__attribute__((target("ssse3"))) inline __m128i LoadRun(const uint8_t* run) {
  if (kExactLoads) {
    uint32_t tail;
    std::memcpy(&tail, run + 8, 4);
    return _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(run)),
                              _mm_cvtsi32_si128(static_cast<int>(tail)));
  }
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(run));
}

// The block whose runs start at run0, run0 + step_c, run2 and run2 + step_c.
template <bool kExactLoads>
__attribute__((target("ssse3"))) inline void RotateBlockSsse3(const uint8_t* run0,
                                                              const uint8_t* run2, ptrdiff_t step_c,
                                                              __m128i spread, __m128i rows[4]) {
  const __m128i pack = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
  const __m128i a0 = _mm_shuffle_epi8(LoadRun<kExactLoads>(run0), spread);
  const __m128i a1 = _mm_shuffle_epi8(LoadRun<kExactLoads>(run0 + step_c), spread);
  // a[k] lane j = output (j, k); transpose to rows.
  const __m128i t0 = _mm_unpacklo_epi32(a0, a1), t2 = _mm_unpackhi_epi32(a0, a1);
  const __m128i a2 = _mm_shuffle_epi8(LoadRun<kExactLoads>(run2), spread);
  const __m128i a3 = _mm_shuffle_epi8(LoadRun<kExactLoads>(run2 + step_c), spread);
  const __m128i t1 = _mm_unpacklo_epi32(a2, a3), t3 = _mm_unpackhi_epi32(a2, a3);
  rows[0] = _mm_shuffle_epi8(_mm_unpacklo_epi64(t0, t1), pack);
  rows[1] = _mm_shuffle_epi8(_mm_unpackhi_epi64(t0, t1), pack);
  rows[2] = _mm_shuffle_epi8(_mm_unpacklo_epi64(t2, t3), pack);
  rows[3] = _mm_shuffle_epi8(_mm_unpackhi_epi64(t2, t3), pack);
}

// Two pointers for the four runs and two for the four output rows keep the loop within the
// registers of a 32-bit processor.
template <bool kExactLoads>
__attribute__((target("ssse3"))) void RotateStripSsse3(const uint8_t* run, ptrdiff_t step_c,
                                                       bool descending, uint8_t* out,
                                                       ptrdiff_t out_stride, int blocks) {
  // Lane j <- pixel j of the run (ascending) or pixel 3 - j (descending).
  const __m128i spread = descending
                             ? _mm_setr_epi8(11, 10, 9, -1, 8, 7, 6, -1, 5, 4, 3, -1, 2, 1, 0, -1)
                             : _mm_setr_epi8(2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1);
  // Output rows are bottom-up: row j of the strip lies j strides below `out`.
  const ptrdiff_t down = -out_stride;
  uint8_t* d0 = out;
  uint8_t* d2 = out + 2 * down;
  const uint8_t* run2 = run + 2 * step_c;
  const ptrdiff_t step_block = 4 * step_c;
  uint8_t* const d0_last = out + static_cast<ptrdiff_t>(blocks - 1) * 12;
  __m128i rows[4];
  for (; d0 != d0_last; run += step_block, run2 += step_block, d0 += 12, d2 += 12) {
    RotateBlockSsse3<kExactLoads>(run, run2, step_c, spread, rows);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d0), rows[0]);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d0 + down), rows[1]);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d2), rows[2]);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d2 + down), rows[3]);
  }
  RotateBlockSsse3<kExactLoads>(run, run2, step_c, spread, rows);
  uint8_t* const last[4] = {d0, d0 + down, d2, d2 + down};
  for (int j = 0; j < 4; ++j) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(last[j]), rows[j]);
    const int tail = _mm_cvtsi128_si32(_mm_srli_si128(rows[j], 8));
    std::memcpy(last[j] + 8, &tail, 4);
  }
}

std::atomic<bool> g_plain_only{false};

bool HaveSsse3() {
  return ProcessorHasSsse3() && !g_plain_only.load(std::memory_order_relaxed);
}
#endif

// A rotated fill: output pixel (r, c) (top-down) is the source pixel at
// base + r * step_r + c * step_c, where step_r is +-3 bytes and step_c +-one source row.
struct RotateJob {
  const uint8_t* base;
  ptrdiff_t step_r, step_c;
  const uint8_t* src_end;  // one past the source's last byte, for the bounds of vector loads
  BgrBottomUpView out;
};

template <bool kSimd>
__attribute__((always_inline)) inline void RotatedBody(const RotateJob& job) {
  const BgrBottomUpView& out = job.out;
  auto out_row = [&](int r) { return out.pixels + (out.height - 1 - r) * out.stride; };
  auto pixels = [&](int r, int c, int c_end) {
    const uint8_t* s = job.base + r * job.step_r + c * job.step_c;
    uint8_t* d = out_row(r) + static_cast<ptrdiff_t>(c) * 3;
    for (; c < c_end; ++c, s += job.step_c, d += 3) {
      d[0] = s[2];
      d[1] = s[1];
      d[2] = s[0];
    }
  };
  for (int r_tile = 0; r_tile < out.height; r_tile += kTileRows) {
    const int r_end = std::min(out.height, r_tile + kTileRows);
    for (int c_tile = 0; c_tile < out.width; c_tile += kTileCols) {
      const int c_end = std::min(out.width, c_tile + kTileCols);
      int r = r_tile;
#ifdef VL_HAVE_SSSE3_KERNELS
      if constexpr (kSimd) {
        // Strips of four rows in whole 4 x 4 blocks with the vector kernel; leftovers pixel by
        // pixel.
        const bool descending = job.step_r < 0;
        const int blocks = (c_end - c_tile) / 4, c_vec_end = c_tile + blocks * 4;
        for (; blocks > 0 && r + 4 <= r_end; r += 4) {
          const uint8_t* p = job.base + r * job.step_r + c_tile * job.step_c;
          const uint8_t* first = descending ? p - 9 : p;
          const uint8_t* last = first + (c_vec_end - 1 - c_tile) * job.step_c;
          // Addresses are linear in c: the strip's sixteen-byte loads stay inside the source
          // when those of its two ends do.
          if (job.src_end - std::max(first, last) >= 16)
            RotateStripSsse3<false>(first, job.step_c, descending, out_row(r) + c_tile * 3,
                                    out.stride, blocks);
          else
            RotateStripSsse3<true>(first, job.step_c, descending, out_row(r) + c_tile * 3,
                                   out.stride, blocks);
          for (int rr = r; rr < r + 4; ++rr) pixels(rr, c_vec_end, c_end);
        }
      }
#endif
      for (; r < r_end; ++r) pixels(r, c_tile, c_end);
    }
  }
}

void FillRotatedPlain(const RotateJob& job) {
  RotatedBody<false>(job);
}
#ifdef VL_HAVE_SSSE3_KERNELS
__attribute__((target("ssse3"))) void FillRotatedSsse3(const RotateJob& job) {
  RotatedBody<true>(job);
}
#endif

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
    auto copy = o.mirror ? CopySwapBackward : CopySwapForward;
#ifdef VL_HAVE_SSSE3_KERNELS
    if (HaveSsse3()) copy = o.mirror ? CopySwapBackwardSsse3 : CopySwapForwardSsse3;
#endif
    for (int r = 0; r < out.height; ++r) copy(base + r * step_r, out_row(r), out.width);
    return true;
  }
  const RotateJob job{
      base, step_r, step_c,
      src.pixels + (src.height - 1) * src.stride + static_cast<ptrdiff_t>(src.width) * 3, out};
#ifdef VL_HAVE_SSSE3_KERNELS
  if (HaveSsse3()) {
    FillRotatedSsse3(job);
    return true;
  }
#endif
  FillRotatedPlain(job);
  return true;
}

namespace {

void WidenRowPlain(const uint8_t* src, uint8_t* dst, int count) {
  for (int i = 0; i < count; ++i, src += 3, dst += 4) {
    dst[0] = src[0];
    dst[1] = src[1];
    dst[2] = src[2];
    dst[3] = 0;
  }
}

#ifdef VL_HAVE_SSSE3_KERNELS
// Sixteen pixels are three registers in, four out: each output register is four pixels of one
// (or two adjacent) input registers spread to 32-bit lanes, the fourth byte of each lane zero.
__attribute__((target("ssse3"))) void WidenRowSsse3(const uint8_t* src, uint8_t* dst, int count) {
  const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  int i = 0;
  for (; i + 16 <= count; i += 16, src += 48, dst += 64) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 16));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 32));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_shuffle_epi8(a, spread));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 16),
                     _mm_shuffle_epi8(_mm_alignr_epi8(b, a, 12), spread));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 32),
                     _mm_shuffle_epi8(_mm_alignr_epi8(c, b, 8), spread));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 48),
                     _mm_shuffle_epi8(_mm_srli_si128(c, 4), spread));
  }
  WidenRowPlain(src, dst, count - i);
}
#endif

}  // namespace

bool WidenTo32Bits(const uint8_t* src, ptrdiff_t src_stride, uint8_t* dst, ptrdiff_t dst_stride,
                   int width, int height) {
  if (src == nullptr || dst == nullptr || width <= 0 || height <= 0) return false;
  const ptrdiff_t src_row = static_cast<ptrdiff_t>(width) * 3, dst_row = src_row / 3 * 4;
  if (std::abs(src_stride) < src_row || std::abs(dst_stride) < dst_row) return false;
  void (*widen)(const uint8_t*, uint8_t*, int) = WidenRowPlain;
#ifdef VL_HAVE_SSSE3_KERNELS
  if (HaveSsse3()) widen = WidenRowSsse3;
#endif
  for (int r = 0; r < height; ++r) widen(src + r * src_stride, dst + r * dst_stride, width);
  return true;
}

void UsePlainPixelKernels(bool plain) {
#ifdef VL_HAVE_SSSE3_KERNELS
  g_plain_only = plain;
#endif
}

}  // namespace vl
