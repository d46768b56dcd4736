#include "media/smooth_scaler.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
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

inline void StorePixel(uint8_t* d, uint64_t sum) {
  sum = (sum + ((uint64_t{kWeightOne / 2} << 32) | (kWeightOne / 2 << 16) | kWeightOne / 2)) >>
        kWeightBits;
  d[0] = static_cast<uint8_t>(sum);
  d[1] = static_cast<uint8_t>(sum >> 16);
  d[2] = static_cast<uint8_t>(sum >> 32);
}

#ifdef __SSE2__
// Two output pixels per register: each tap's pixels are read as four 16-bit values (B, G, R and
// the next pixel's first value), weighted, summed, and narrowed to bytes. Every pixel is written
// as four bytes, the fourth overwritten by the next pixel, so the last one is written alone.
template <int kTaps>
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
    const __m128i bytes = _mm_packus_epi16(_mm_srli_epi16(sum, kWeightBits), sum);
    const int lo = _mm_cvtsi128_si32(bytes), hi = _mm_cvtsi128_si32(_mm_srli_si128(bytes, 4));
    std::memcpy(out, &lo, 4);
    std::memcpy(out + 3, &hi, 4);
  }
  for (w += static_cast<ptrdiff_t>(i) * kTaps; i < count; ++i, w += kTaps, out += 3) {
    const uint16_t* p = row + static_cast<ptrdiff_t>(start[i] - first) * 3;
    uint64_t sum = 0;
    for (int t = 0; t < kTaps; ++t) sum += LoadPixel(p + 3 * t) * w[t];
    StorePixel(out, sum);
  }
}
#endif

// `row` holds the source columns from axis.first on.
template <int kTaps>
void FilterColumns(const uint16_t* row, const ScaleAxis& axis, uint8_t* out) {
  const int* start = axis.start.data();
  const uint16_t* w = axis.weights.data();
  for (int i = 0; i < axis.count; ++i, w += kTaps, out += 3) {
    const uint16_t* p = row + static_cast<ptrdiff_t>(start[i] - axis.first) * 3;
    uint64_t sum = 0;
    for (int t = 0; t < kTaps; ++t) sum += LoadPixel(p + 3 * t) * w[t];
    StorePixel(out, sum);
  }
}

void FilterColumnsAnyTaps(const uint16_t* row, const ScaleAxis& axis, uint8_t* out) {
  const uint16_t* w = axis.weights.data();
  for (int i = 0; i < axis.count; ++i, w += axis.taps, out += 3) {
    const uint16_t* p = row + static_cast<ptrdiff_t>(axis.start[i] - axis.first) * 3;
    uint64_t sum = 0;
    for (int t = 0; t < axis.taps; ++t) sum += LoadPixel(p + 3 * t) * w[t];
    StorePixel(out, sum);
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
template <int kTaps>
void Columns(const uint16_t* row, const ScaleAxis& axis, uint8_t* out) {
#ifdef __SSE2__
  FilterColumnsSse2<kTaps>(row, axis, out);
#else
  FilterColumns<kTaps>(row, axis, out);
#endif
}

}  // namespace

void ScaleAxis::Build(int source_size, int drawn_size, int first_output, int output_count) {
  source = source_size;
  drawn = drawn_size;
  offset = first_output;
  count = output_count;
  std::vector<Footprint> prints(static_cast<size_t>(count));
  taps = 1;
  for (int i = 0; i < count; ++i) {
    prints[i] = MakeFootprint(offset + i, source, drawn);
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

bool SmoothScaler::Scale(const uint8_t* src, int width, int height, ptrdiff_t src_stride,
                         int drawn_width, int drawn_height, int left, int top, uint8_t* dst,
                         int out_width, int out_height, ptrdiff_t dst_stride) {
  if (src == nullptr || dst == nullptr || width <= 0 || height <= 0 || out_width <= 0 ||
      out_height <= 0 || left < 0 || top < 0 || left > drawn_width - out_width ||
      top > drawn_height - out_height || src_stride < static_cast<ptrdiff_t>(width) * 3 ||
      dst_stride < static_cast<ptrdiff_t>(out_width) * 3)
    return false;
  if (horizontal_.source != width || horizontal_.drawn != drawn_width ||
      horizontal_.offset != left || horizontal_.count != out_width)
    horizontal_.Build(width, drawn_width, left, out_width);
  if (vertical_.source != height || vertical_.drawn != drawn_height || vertical_.offset != top ||
      vertical_.count != out_height)
    vertical_.Build(height, drawn_height, top, out_height);

  // Only the source columns the horizontal pass reads are filtered vertically. The row keeps
  // one spare pixel so that the 64-bit read of the last pixel stays inside it.
  const int first = horizontal_.first;
  const int bytes = (horizontal_.last - first + 1) * 3;
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
    uint8_t* out = dst + y * dst_stride;
    switch (horizontal_.taps) {
      case 1: Columns<1>(row, horizontal_, out); break;
      case 2: Columns<2>(row, horizontal_, out); break;
      case 3: Columns<3>(row, horizontal_, out); break;
      case 4: Columns<4>(row, horizontal_, out); break;
      default: FilterColumnsAnyTaps(row, horizontal_, out); break;
    }
    // clang-format on
  }
  return true;
}

}  // namespace vl
