#include "media/smooth_scaler.h"

#include <algorithm>
#include <cmath>
#include <cstring>

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
    switch (vtaps) {
      case 1:
        FilterRows<1>(rows, w, row_.data(), bytes);
        break;
      case 2:
        FilterRows<2>(rows, w, row_.data(), bytes);
        break;
      case 3:
        FilterRows<3>(rows, w, row_.data(), bytes);
        break;
      case 4:
        FilterRows<4>(rows, w, row_.data(), bytes);
        break;
      default:
        FilterRowsAnyTaps(rows, w, vtaps, row_.data(), bytes);
        break;
    }
    uint8_t* out = dst + y * dst_stride;
    switch (horizontal_.taps) {
      case 1:
        FilterColumns<1>(row, horizontal_, out);
        break;
      case 2:
        FilterColumns<2>(row, horizontal_, out);
        break;
      case 3:
        FilterColumns<3>(row, horizontal_, out);
        break;
      case 4:
        FilterColumns<4>(row, horizontal_, out);
        break;
      default:
        FilterColumnsAnyTaps(row, horizontal_, out);
        break;
    }
  }
  return true;
}

}  // namespace vl
