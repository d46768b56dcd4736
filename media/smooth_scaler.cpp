#include "media/smooth_scaler.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

#include "media/cpu_features.h"
#include "media/pixel_swap_shuffles.h"
#include "media/plain_kernels.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#if defined(__i386__) || defined(__x86_64__)
#include <tmmintrin.h>
#define VL_HAVE_SSSE3_GATHERS 1
#endif

namespace vl {
namespace {

constexpr int kWeightBits = 8;
constexpr int kWeightOne = 1 << kWeightBits;

// Float weights of one output position over the source positions [lo, hi].
struct Footprint {
  int lo = 0, hi = -1;
  double w[64];
};

// Area averaging: the output pixel covers [i * scale, (i + 1) * scale) of the source, and every
// source pixel counts with the length it overlaps.
Footprint AreaFootprint(int i, double scale, int source) {
  Footprint f;
  const double begin = i * scale, end = std::min<double>(source, (i + 1) * scale);
  f.lo = std::clamp(static_cast<int>(std::floor(begin)), 0, source - 1);
  f.hi = std::clamp(static_cast<int>(std::ceil(end)) - 1, f.lo, source - 1);
  if (f.hi - f.lo >= 64) f.hi = f.lo + 63;  // shrinking more than 64 times: keep the nearest
  for (int s = f.lo; s <= f.hi; ++s)
    f.w[s - f.lo] = std::max(0.0, std::min<double>(end, s + 1) - std::max<double>(begin, s));
  return f;
}

// Bilinear interpolation between the two source pixels around the output pixel's centre.
Footprint BilinearFootprint(int i, double scale, int source) {
  Footprint f;
  const double centre = std::clamp((i + 0.5) * scale - 0.5, 0.0, source - 1.0);
  f.lo = static_cast<int>(centre);
  const double frac = centre - f.lo;
  if (f.lo + 1 < source && frac > 0.0) {
    f.hi = f.lo + 1;
    f.w[0] = 1.0 - frac;
    f.w[1] = frac;
  } else {
    f.hi = f.lo;
    f.w[0] = 1.0;
  }
  return f;
}

Footprint MakeFootprint(int i, int source, int drawn) {
  const double scale = static_cast<double>(source) / drawn;
  if (drawn < source) return AreaFootprint(i, scale, source);
  if (drawn > source) return BilinearFootprint(i, scale, source);
  Footprint f;
  f.lo = f.hi = std::min(i, source - 1);
  f.w[0] = 1.0;
  return f;
}

// Vertical pass: one output row as the weighted sum of `taps` source rows, 16 bits per byte.
template <int kTaps>
void FilterRows(const uint8_t* const* rows, const uint16_t* w, uint16_t* out, int bytes) {
  for (int i = 0; i < bytes; ++i) {
    unsigned sum = kWeightOne / 2;
    for (int t = 0; t < kTaps; ++t) sum += static_cast<unsigned>(w[t]) * rows[t][i];
    out[i] = static_cast<uint16_t>(sum >> kWeightBits);
  }
}

#ifdef __SSE2__
// Sixteen bytes at a time in 16-bit lanes: a product is at most 255 * 256 and the weights add up
// to 256, so no lane overflows.
template <int kTaps>
void FilterRowsSse2(const uint8_t* const* rows, const uint16_t* w, uint16_t* out, int bytes) {
  const __m128i zero = _mm_setzero_si128(), round = _mm_set1_epi16(kWeightOne / 2);
  __m128i weight[kTaps];
  for (int t = 0; t < kTaps; ++t) weight[t] = _mm_set1_epi16(static_cast<short>(w[t]));
  int i = 0;
  for (; i + 16 <= bytes; i += 16) {
    __m128i lo = round, hi = round;
    for (int t = 0; t < kTaps; ++t) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[t] + i));
      lo = _mm_add_epi16(lo, _mm_mullo_epi16(_mm_unpacklo_epi8(v, zero), weight[t]));
      hi = _mm_add_epi16(hi, _mm_mullo_epi16(_mm_unpackhi_epi8(v, zero), weight[t]));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_srli_epi16(lo, kWeightBits));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), _mm_srli_epi16(hi, kWeightBits));
  }
  const uint8_t* rest[kTaps];
  for (int t = 0; t < kTaps; ++t) rest[t] = rows[t] + i;
  FilterRows<kTaps>(rest, w, out + i, bytes - i);
}
#endif

void FilterRowsAnyTaps(const uint8_t* const* rows, const uint16_t* w, int taps, uint16_t* out,
                       int bytes) {
  for (int i = 0; i < bytes; ++i) {
    unsigned sum = kWeightOne / 2;
    for (int t = 0; t < taps; ++t) sum += static_cast<unsigned>(w[t]) * rows[t][i];
    out[i] = static_cast<uint16_t>(sum >> kWeightBits);
  }
}

// Horizontal pass. Each pixel of the filtered row is read as one 64-bit word holding its three
// 16-bit channel values (and the next pixel's first one in the top lane, which is discarded), so
// the three channels are weighted with one multiplication. Values are at most 255 and weights
// add up to 256, so no lane carries into the next.
inline uint64_t LoadPixel(const uint16_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

template <bool kSwap>
inline void StorePixel(uint8_t* d, uint64_t sum) {
  sum = (sum + ((uint64_t{kWeightOne / 2} << 32) | (kWeightOne / 2 << 16) | kWeightOne / 2)) >>
        kWeightBits;
  d[kSwap ? 2 : 0] = static_cast<uint8_t>(sum);
  d[1] = static_cast<uint8_t>(sum >> 16);
  d[kSwap ? 0 : 2] = static_cast<uint8_t>(sum >> 32);
}

#ifdef __SSE2__
// Two output pixels per register: each tap's pixels are read as four 16-bit values (B, G, R and
// the next pixel's first value), weighted, summed, and narrowed to bytes. Every pixel is written
// as four bytes, the fourth overwritten by the next pixel, so the last one is written alone.
template <int kTaps, bool kSwap>
void FilterColumnsSse2(const uint16_t* row, const ScaleAxis& axis, uint8_t* out) {
  const int* start = axis.start.data();
  const uint16_t* w = axis.weights.data();
  const __m128i* lanes = reinterpret_cast<const __m128i*>(axis.pair_lanes.data());
  const int count = axis.count, first = axis.first;
  const __m128i round = _mm_set1_epi16(kWeightOne / 2);
  int i = 0;
  for (; i + 3 <= count; i += 2, lanes += kTaps, out += 6) {
    const uint16_t* a = row + static_cast<ptrdiff_t>(start[i] - first) * 3;
    const uint16_t* b = row + static_cast<ptrdiff_t>(start[i + 1] - first) * 3;
    __m128i sum = round;
    for (int t = 0; t < kTaps; ++t) {
      const __m128i pixels =
          _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(a + 3 * t)),
                             _mm_loadl_epi64(reinterpret_cast<const __m128i*>(b + 3 * t)));
      sum = _mm_add_epi16(sum, _mm_mullo_epi16(pixels, _mm_loadu_si128(lanes + t)));
    }
    if (kSwap) {
      sum = _mm_shufflelo_epi16(sum, _MM_SHUFFLE(3, 0, 1, 2));
      sum = _mm_shufflehi_epi16(sum, _MM_SHUFFLE(3, 0, 1, 2));
    }
    const __m128i bytes = _mm_packus_epi16(_mm_srli_epi16(sum, kWeightBits), sum);
    const int lo = _mm_cvtsi128_si32(bytes), hi = _mm_cvtsi128_si32(_mm_srli_si128(bytes, 4));
    std::memcpy(out, &lo, 4);
    std::memcpy(out + 3, &hi, 4);
  }
  for (w += static_cast<ptrdiff_t>(i) * kTaps; i < count; ++i, w += kTaps, out += 3) {
    const uint16_t* p = row + static_cast<ptrdiff_t>(start[i] - first) * 3;
    uint64_t sum = 0;
    for (int t = 0; t < kTaps; ++t) sum += LoadPixel(p + 3 * t) * w[t];
    StorePixel<kSwap>(out, sum);
  }
}
#endif

// `row` holds the source columns from axis.first on.
template <int kTaps, bool kSwap>
void FilterColumns(const uint16_t* row, const ScaleAxis& axis, uint8_t* out) {
  const int* start = axis.start.data();
  const uint16_t* w = axis.weights.data();
  for (int i = 0; i < axis.count; ++i, w += kTaps, out += 3) {
    const uint16_t* p = row + static_cast<ptrdiff_t>(start[i] - axis.first) * 3;
    uint64_t sum = 0;
    for (int t = 0; t < kTaps; ++t) sum += LoadPixel(p + 3 * t) * w[t];
    StorePixel<kSwap>(out, sum);
  }
}

template <bool kSwap>
void FilterColumnsAnyTaps(const uint16_t* row, const ScaleAxis& axis, uint8_t* out) {
  const uint16_t* w = axis.weights.data();
  for (int i = 0; i < axis.count; ++i, w += axis.taps, out += 3) {
    const uint16_t* p = row + static_cast<ptrdiff_t>(axis.start[i] - axis.first) * 3;
    uint64_t sum = 0;
    for (int t = 0; t < axis.taps; ++t) sum += LoadPixel(p + 3 * t) * w[t];
    StorePixel<kSwap>(out, sum);
  }
}

// The fastest kernels this build has.
template <int kTaps>
void Rows(const uint8_t* const* rows, const uint16_t* w, uint16_t* out, int bytes) {
#ifdef __SSE2__
  FilterRowsSse2<kTaps>(rows, w, out, bytes);
#else
  FilterRows<kTaps>(rows, w, out, bytes);
#endif
}
template <int kTaps, bool kSwap>
void Columns(const uint16_t* row, const ScaleAxis& axis, uint8_t* out) {
#ifdef __SSE2__
  FilterColumnsSse2<kTaps, kSwap>(row, axis, out);
#else
  FilterColumns<kTaps, kSwap>(row, axis, out);
#endif
}

template <bool kSwap>
void ColumnsAnyTaps(const uint16_t* row, const ScaleAxis& axis, uint8_t* out) {
  // clang-format off
  switch (axis.taps) {
    case 1: Columns<1, kSwap>(row, axis, out); break;
    case 2: Columns<2, kSwap>(row, axis, out); break;
    case 3: Columns<3, kSwap>(row, axis, out); break;
    case 4: Columns<4, kSwap>(row, axis, out); break;
    default: FilterColumnsAnyTaps<kSwap>(row, axis, out); break;
  }
  // clang-format on
}

// --- The gathers (SSSE3) -------------------------------------------------------------------

// Vertical pass into bytes: the same sums as FilterRows, narrowed (they never exceed 255).
template <int kTaps>
void FilterRowsToBytes(const uint8_t* const* rows, const uint16_t* w, uint8_t* out, int bytes) {
  int i = 0;
#ifdef __SSE2__
  const __m128i zero = _mm_setzero_si128(), round = _mm_set1_epi16(kWeightOne / 2);
  __m128i weight[kTaps];
  for (int t = 0; t < kTaps; ++t) weight[t] = _mm_set1_epi16(static_cast<short>(w[t]));
  for (; i + 16 <= bytes; i += 16) {
    __m128i lo = round, hi = round;
    for (int t = 0; t < kTaps; ++t) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[t] + i));
      lo = _mm_add_epi16(lo, _mm_mullo_epi16(_mm_unpacklo_epi8(v, zero), weight[t]));
      hi = _mm_add_epi16(hi, _mm_mullo_epi16(_mm_unpackhi_epi8(v, zero), weight[t]));
    }
    _mm_storeu_si128(
        reinterpret_cast<__m128i*>(out + i),
        _mm_packus_epi16(_mm_srli_epi16(lo, kWeightBits), _mm_srli_epi16(hi, kWeightBits)));
  }
#endif
  for (; i < bytes; ++i) {
    unsigned sum = kWeightOne / 2;
    for (int t = 0; t < kTaps; ++t) sum += static_cast<unsigned>(w[t]) * rows[t][i];
    out[i] = static_cast<uint8_t>(sum >> kWeightBits);
  }
}

#ifdef VL_HAVE_SSSE3_GATHERS
// The same, with the first and third byte of every pixel exchanged on the way (the row starts
// at a pixel): 16 pixels are three registers, each output register gathered from at most three.
template <int kTaps>
__attribute__((target("ssse3"))) void FilterRowsToSwappedBytes(const uint8_t* const* rows,
                                                               const uint16_t* w, uint8_t* out,
                                                               int bytes) {
  const __m128i zero = _mm_setzero_si128(), round = _mm_set1_epi16(kWeightOne / 2);
  __m128i weight[kTaps];
  for (int t = 0; t < kTaps; ++t) weight[t] = _mm_set1_epi16(static_cast<short>(w[t]));
  const PixelSwapShuffles s = MakePixelSwapShuffles();
  const __m128i a0 = s.a0, b0 = s.b0, a1 = s.a1, b1 = s.b1, c1 = s.c1, b2 = s.b2, c2 = s.c2;
  auto filtered = [&](int i) {
    __m128i lo = round, hi = round;
    for (int t = 0; t < kTaps; ++t) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[t] + i));
      lo = _mm_add_epi16(lo, _mm_mullo_epi16(_mm_unpacklo_epi8(v, zero), weight[t]));
      hi = _mm_add_epi16(hi, _mm_mullo_epi16(_mm_unpackhi_epi8(v, zero), weight[t]));
    }
    return _mm_packus_epi16(_mm_srli_epi16(lo, kWeightBits), _mm_srli_epi16(hi, kWeightBits));
  };
  int i = 0;
  for (; i + 48 <= bytes; i += 48) {
    const __m128i a = filtered(i), b = filtered(i + 16), c = filtered(i + 32);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                     _mm_or_si128(_mm_shuffle_epi8(a, a0), _mm_shuffle_epi8(b, b0)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 16),
                     _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(a, a1), _mm_shuffle_epi8(b, b1)),
                                  _mm_shuffle_epi8(c, c1)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 32),
                     _mm_or_si128(_mm_shuffle_epi8(b, b2), _mm_shuffle_epi8(c, c2)));
  }
  for (; i < bytes; ++i) {
    const int from = i - i % 3 + (2 - i % 3);
    unsigned sum = kWeightOne / 2;
    for (int t = 0; t < kTaps; ++t) sum += static_cast<unsigned>(w[t]) * rows[t][from];
    out[i] = static_cast<uint8_t>(sum >> kWeightBits);
  }
}
#endif

// The output bytes after the gathered ones, one at a time from the same tables.
void FilterTailBytes(const uint8_t* row, const ScaleAxis& axis, bool swap, int from, uint8_t* out) {
  for (int o = from; o < axis.count * 3; ++o) {
    const int i = o / 3, c = o % 3, channel = swap ? 2 - c : c;
    const uint16_t* w = &axis.weights[static_cast<size_t>(i) * axis.taps];
    const uint8_t* p = row + static_cast<ptrdiff_t>(axis.start[i] - axis.first) * 3 + channel;
    unsigned sum = kWeightOne / 2;
    for (int t = 0; t < axis.taps; ++t) sum += static_cast<unsigned>(w[t]) * p[3 * t];
    out[o] = static_cast<uint8_t>(sum >> kWeightBits);
  }
}

#ifdef VL_HAVE_SSSE3_GATHERS
template <int kLoads>
__attribute__((target("ssse3"))) inline __m128i Gather(__m128i v0, __m128i v1,
                                                       const uint8_t* masks) {
  const __m128i a = _mm_shuffle_epi8(v0, _mm_loadu_si128(reinterpret_cast<const __m128i*>(masks)));
  if (kLoads == 1) return a;
  return _mm_or_si128(
      a, _mm_shuffle_epi8(v1, _mm_loadu_si128(reinterpret_cast<const __m128i*>(masks + 16))));
}

template <int kTaps, int kLoads>
__attribute__((target("ssse3"))) void GatherColumnsSsse3(const uint8_t* row,
                                                         const ByteBlocks& blocks, uint8_t* out) {
  const __m128i round = _mm_set1_epi16(kWeightOne / 2);
  const int32_t* base = blocks.base.data();
  const uint8_t* lanes = blocks.lanes.data();
  constexpr int kLaneBytes = 16 * kLoads + 16;
  for (int k = 0; k < blocks.pairs; ++k, out += 16) {
    __m128i half[2];
    for (int h = 0; h < 2; ++h, ++base) {
      const uint8_t* p = row + *base;
      const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      const __m128i v1 =
          kLoads == 2 ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)) : v0;
      __m128i sum = round;
      for (int t = 0; t < kTaps; ++t, lanes += kLaneBytes) {
        const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lanes + 16 * kLoads));
        sum = _mm_add_epi16(sum, _mm_mullo_epi16(Gather<kLoads>(v0, v1, lanes), w));
      }
      half[h] = _mm_srli_epi16(sum, kWeightBits);
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(half[0], half[1]));
  }
}

template <int kTaps>
void GatherColumns(const uint8_t* row, const ByteBlocks& blocks, uint8_t* out) {
  if (blocks.loads == 1)
    GatherColumnsSsse3<kTaps, 1>(row, blocks, out);
  else
    GatherColumnsSsse3<kTaps, 2>(row, blocks, out);
}

std::atomic<bool> g_plain_only{false};

bool HaveSsse3() {
  return ProcessorHasSsse3() && !g_plain_only.load(std::memory_order_relaxed);
}
#endif

}  // namespace

void ScaleAxis::Build(int source_size, int drawn_size, int first_output, int output_count,
                      bool reverse) {
  source = source_size;
  drawn = drawn_size;
  offset = first_output;
  count = output_count;
  reversed = reverse;
  std::vector<Footprint> prints(static_cast<size_t>(count));
  taps = 1;
  for (int i = 0; i < count; ++i) {
    prints[i] = MakeFootprint(offset + (reversed ? count - 1 - i : i), source, drawn);
    taps = std::max(taps, prints[i].hi - prints[i].lo + 1);
  }
  start.assign(static_cast<size_t>(count), 0);
  weights.assign(static_cast<size_t>(count) * taps, 0);
  first = source;
  last = 0;
  for (int i = 0; i < count; ++i) {
    const Footprint& f = prints[i];
    // Every output reads exactly `taps` positions; near the end the window starts earlier and
    // the extra positions get weight 0.
    const int s = std::min(f.lo, source - taps);
    start[i] = s;
    double total = 0;
    for (int k = 0; k <= f.hi - f.lo; ++k) total += f.w[k];
    uint16_t* w = &weights[static_cast<size_t>(i) * taps];
    int sum = 0, largest = 0;
    for (int k = 0; k <= f.hi - f.lo; ++k) {
      const int slot = f.lo - s + k;
      w[slot] = static_cast<uint16_t>(std::lround(f.w[k] / total * kWeightOne));
      sum += w[slot];
      if (w[slot] > w[largest]) largest = slot;
    }
    w[largest] = static_cast<uint16_t>(w[largest] + (kWeightOne - sum));  // exact unity gain
    first = std::min(first, s);
    last = std::max(last, s + taps - 1);
  }
  pair_lanes.assign(static_cast<size_t>((count + 1) / 2) * taps * 8, 0);
  for (int i = 0; i < count; ++i)
    for (int t = 0; t < taps; ++t)
      for (int k = 0; k < 4; ++k)
        pair_lanes[(static_cast<size_t>(i / 2) * taps + t) * 8 + (i % 2) * 4 + k] =
            weights[static_cast<size_t>(i) * taps + t];
}

void ByteBlocks::Build(const ScaleAxis& axis, bool swap_bytes) {
  loads = 0;
  taps = axis.taps;
  swap = swap_bytes;
  pairs = axis.count * 3 / 16;
  base.clear();
  lanes.clear();
  const int blocks = pairs * 2;
  // Where lane l of block b reads for tap t, relative to the row's start; `gather_swap`: the
  // gathers exchange the bytes (else the row holds them exchanged already, or no swap is due).
  bool gather_swap = swap;
  auto source_byte = [&](int b, int l, int t) {
    const int o = 8 * b + l, i = o / 3, c = o % 3;
    return (axis.start[i] + t - axis.first) * 3 + (gather_swap ? 2 - c : c);
  };
  std::vector<int> lowest(static_cast<size_t>(blocks));
  auto widest_window = [&] {
    int widest = 0;
    for (int b = 0; b < blocks; ++b) {
      int lo = source_byte(b, 0, 0), hi = lo;
      for (int l = 0; l < 8; ++l)
        for (int t = 0; t < taps; ++t) {
          lo = std::min(lo, source_byte(b, l, t));
          hi = std::max(hi, source_byte(b, l, t));
        }
      lowest[b] = lo;
      widest = std::max(widest, hi - lo + 1);
    }
    return widest;
  };
  int widest = widest_window();
  // A block's first and last pixels are cut: which of their channels it holds decides the
  // window, and exchanging them can widen it past one load. A row exchanged by the vertical
  // pass keeps the narrower window.
  swapped_row = false;
  if (swap && widest > 16) {
    gather_swap = false;
    const int plain = widest_window();
    if (plain <= 16) {
      swapped_row = true;
      widest = plain;
    } else {
      gather_swap = true;
      widest = widest_window();
    }
  }
  if (blocks == 0 || widest > 32 || taps > 4) return;
  loads = widest > 16 ? 2 : 1;
  const int lane_bytes = 16 * loads + 16;
  base.assign(lowest.begin(), lowest.end());
  lanes.assign(static_cast<size_t>(blocks) * taps * lane_bytes, 0x80);
  for (int b = 0; b < blocks; ++b)
    for (int t = 0; t < taps; ++t) {
      uint8_t* masks = &lanes[(static_cast<size_t>(b) * taps + t) * lane_bytes];
      uint8_t* weights = masks + 16 * loads;
      for (int l = 0; l < 8; ++l) {
        const int at = source_byte(b, l, t) - lowest[b];  // 0 ... 31
        masks[(at / 16) * 16 + 2 * l] = static_cast<uint8_t>(at % 16);
        const int i = (8 * b + l) / 3;
        const uint16_t w = axis.weights[static_cast<size_t>(i) * taps + t];
        weights[2 * l] = static_cast<uint8_t>(w);
        weights[2 * l + 1] = static_cast<uint8_t>(w >> 8);
      }
    }
}

bool SmoothScaler::ScaleWithGathers(const uint8_t* src, ptrdiff_t src_stride, uint8_t* dst,
                                    ptrdiff_t dst_stride) {
#ifdef VL_HAVE_SSSE3_GATHERS
  if (!HaveSsse3() || blocks_.loads == 0 || vertical_.taps > 4) return false;
  const int first = horizontal_.first;
  const int bytes = (horizontal_.last - first + 1) * 3;
  row_bytes_.resize(static_cast<size_t>(bytes) + 32);  // the last window's loads stay inside
  uint8_t* const row = row_bytes_.data();
  const int vtaps = vertical_.taps, gathered = blocks_.pairs * 16;
  const uint8_t* rows[4];
  for (int y = 0; y < vertical_.count; ++y) {
    const uint16_t* w = &vertical_.weights[static_cast<size_t>(y) * vtaps];
    for (int t = 0; t < vtaps; ++t)
      rows[t] = src + (vertical_.start[y] + t) * src_stride + static_cast<ptrdiff_t>(first) * 3;
    uint8_t* out = dst + y * dst_stride;
    // clang-format off
    if (blocks_.swapped_row) {
      switch (vtaps) {
        case 1: FilterRowsToSwappedBytes<1>(rows, w, row, bytes); break;
        case 2: FilterRowsToSwappedBytes<2>(rows, w, row, bytes); break;
        case 3: FilterRowsToSwappedBytes<3>(rows, w, row, bytes); break;
        default: FilterRowsToSwappedBytes<4>(rows, w, row, bytes); break;
      }
    } else {
      switch (vtaps) {
        case 1: FilterRowsToBytes<1>(rows, w, row, bytes); break;
        case 2: FilterRowsToBytes<2>(rows, w, row, bytes); break;
        case 3: FilterRowsToBytes<3>(rows, w, row, bytes); break;
        default: FilterRowsToBytes<4>(rows, w, row, bytes); break;
      }
    }
    switch (blocks_.taps) {
      case 1: GatherColumns<1>(row, blocks_, out); break;
      case 2: GatherColumns<2>(row, blocks_, out); break;
      case 3: GatherColumns<3>(row, blocks_, out); break;
      default: GatherColumns<4>(row, blocks_, out); break;
    }
    // clang-format on
    // The tail reads the row as it is: exchanged already, or exchanging on the way.
    FilterTailBytes(row, horizontal_, blocks_.swap && !blocks_.swapped_row, gathered, out);
  }
  return true;
#else
  (void)src;
  (void)src_stride;
  (void)dst;
  (void)dst_stride;
  return false;
#endif
}

bool SmoothScaler::Scale(const ScaleSource& source, const ScaleTarget& target,
                         const ScaleOptions& options) {
  const uint8_t* const src = source.pixels;
  const int width = source.width, height = source.height;
  const ptrdiff_t src_stride = source.stride;
  const int drawn_width = target.drawn_width, drawn_height = target.drawn_height;
  const int left = target.left, top = target.top;
  uint8_t* const dst = target.pixels;
  const int out_width = target.width, out_height = target.height;
  const ptrdiff_t dst_stride = target.stride;
  if (src == nullptr || dst == nullptr || width <= 0 || height <= 0 || out_width <= 0 ||
      out_height <= 0 || left < 0 || top < 0 || left > drawn_width - out_width ||
      top > drawn_height - out_height || src_stride < static_cast<ptrdiff_t>(width) * 3 ||
      std::abs(dst_stride) < static_cast<ptrdiff_t>(out_width) * 3)
    return false;
  const bool rebuild_horizontal = horizontal_.source != width || horizontal_.drawn != drawn_width ||
                                  horizontal_.offset != left || horizontal_.count != out_width ||
                                  horizontal_.reversed != options.mirror;
  if (rebuild_horizontal) horizontal_.Build(width, drawn_width, left, out_width, options.mirror);
  if (vertical_.source != height || vertical_.drawn != drawn_height || vertical_.offset != top ||
      vertical_.count != out_height)
    vertical_.Build(height, drawn_height, top, out_height);

  const int first = horizontal_.first;
  const int bytes = (horizontal_.last - first + 1) * 3;
  if (rebuild_horizontal || blocks_.swap != options.swap_red_blue || blocks_.taps == 0)
    blocks_.Build(horizontal_, options.swap_red_blue);
  if (ScaleWithGathers(src, src_stride, dst, dst_stride)) return true;

  // Only the source columns the horizontal pass reads are filtered vertically. The row keeps
  // one spare pixel so that the 64-bit read of the last pixel stays inside it.
  row_.resize(static_cast<size_t>(bytes) + 4);
  const uint16_t* const row = row_.data();

  const int vtaps = vertical_.taps;
  const uint8_t* rows[64];
  for (int y = 0; y < out_height; ++y) {
    const uint16_t* w = &vertical_.weights[static_cast<size_t>(y) * vtaps];
    for (int t = 0; t < vtaps; ++t)
      rows[t] = src + (vertical_.start[y] + t) * src_stride + static_cast<ptrdiff_t>(first) * 3;
    // clang-format off
    switch (vtaps) {
      case 1: Rows<1>(rows, w, row_.data(), bytes); break;
      case 2: Rows<2>(rows, w, row_.data(), bytes); break;
      case 3: Rows<3>(rows, w, row_.data(), bytes); break;
      case 4: Rows<4>(rows, w, row_.data(), bytes); break;
      default: FilterRowsAnyTaps(rows, w, vtaps, row_.data(), bytes); break;
    }
    // clang-format on
    uint8_t* out = dst + y * dst_stride;
    if (options.swap_red_blue)
      ColumnsAnyTaps<true>(row, horizontal_, out);
    else
      ColumnsAnyTaps<false>(row, horizontal_, out);
  }
  return true;
}

void UsePlainScalerKernels(bool plain) {
#ifdef VL_HAVE_SSSE3_GATHERS
  g_plain_only = plain;
#else
  (void)plain;
#endif
}

}  // namespace vl
