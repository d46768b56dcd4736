#include "media/yuv_to_rgb.h"

#include <algorithm>
#include <atomic>

#include "media/cpu_features.h"

#if defined(__i386__) || defined(__x86_64__)
#include <tmmintrin.h>
#define VL_HAVE_SSSE3_KERNELS 1
#endif

namespace vl {
namespace {

// The definition's numbers: luma factor (halved after multiplying), luma offset less the
// rounding term 32, and the chroma factors.
struct Coefficients {
  int16_t y_mul, y_bias, r_v, g_u, g_v, b_u;
};
constexpr Coefficients kLimited = {149, 1192 - 32, 102, 25, 52, 129};
constexpr Coefficients kFull = {128, -32, 90, 22, 46, 113};

inline uint8_t Clamp6(int v) {
  return static_cast<uint8_t>(std::clamp(v >> 6, 0, 255));
}

// Pixels [from, to) of one row.
void ConvertRowPlain(const Coefficients& c, const uint8_t* y, const uint8_t* u, const uint8_t* v,
                     uint8_t* rgb, int from, int to) {
  for (int x = from; x < to; ++x) {
    const int luma = ((c.y_mul * y[x]) >> 1) - c.y_bias;
    const int d = u[x / 2] - 128, e = v[x / 2] - 128;
    uint8_t* out = rgb + x * 3;
    out[0] = Clamp6(luma + c.r_v * e);
    out[1] = Clamp6(luma - c.g_u * d - c.g_v * e);
    out[2] = Clamp6(luma + c.b_u * d);
  }
}

#ifdef VL_HAVE_SSSE3_KERNELS
// Sixteen pixels at a time in 16-bit lanes. Only blue can leave the 16-bit range (above
// 32767, for colours far beyond white): the saturating additions clamp it there, which gives
// 255 as the definition does.
struct InterleaveMasks {
  __m128i m[3][3];  // [output register][channel]
};

__attribute__((target("ssse3"))) InterleaveMasks MakeInterleaveMasks() {
  InterleaveMasks masks;
  for (int reg = 0; reg < 3; ++reg)
    for (int channel = 0; channel < 3; ++channel) {
      alignas(16) int8_t bytes[16];
      for (int i = 0; i < 16; ++i) {
        const int k = reg * 16 + i;  // output byte: pixel k / 3, channel k % 3
        bytes[i] = k % 3 == channel ? static_cast<int8_t>(k / 3) : static_cast<int8_t>(-128);
      }
      masks.m[reg][channel] = _mm_load_si128(reinterpret_cast<const __m128i*>(bytes));
    }
  return masks;
}

// One or two rows that share their chroma row (`y2`/`rgb2` null for one); returns the pixels
// done in each.
__attribute__((target("ssse3"))) int ConvertRowsSsse3(const Coefficients& c,
                                                      const InterleaveMasks& masks,
                                                      const uint8_t* y1, const uint8_t* y2,
                                                      const uint8_t* u, const uint8_t* v,
                                                      uint8_t* rgb1, uint8_t* rgb2, int width) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i y_mul = _mm_set1_epi16(c.y_mul), y_bias = _mm_set1_epi16(c.y_bias);
  const __m128i r_v = _mm_set1_epi16(c.r_v), g_u = _mm_set1_epi16(c.g_u);
  const __m128i g_v = _mm_set1_epi16(c.g_v), b_u = _mm_set1_epi16(c.b_u);
  const __m128i half = _mm_set1_epi16(128);
  int x = 0;
  for (; x + 16 <= width; x += 16) {
    const __m128i d = _mm_sub_epi16(
        _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(u + x / 2)), zero),
        half);
    const __m128i e = _mm_sub_epi16(
        _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(v + x / 2)), zero),
        half);
    // The chroma terms of eight chroma samples, each used by two neighbouring pixels of both rows.
    const __m128i red = _mm_mullo_epi16(e, r_v);
    const __m128i green = _mm_add_epi16(_mm_mullo_epi16(d, g_u), _mm_mullo_epi16(e, g_v));
    const __m128i blue = _mm_mullo_epi16(d, b_u);
    const __m128i terms[3][2] = {
        {_mm_unpacklo_epi16(red, red), _mm_unpackhi_epi16(red, red)},
        {_mm_unpacklo_epi16(green, green), _mm_unpackhi_epi16(green, green)},
        {_mm_unpacklo_epi16(blue, blue), _mm_unpackhi_epi16(blue, blue)}};
    for (int row = 0; row < 2; ++row) {
      const uint8_t* y = row == 0 ? y1 : y2;
      if (y == nullptr) break;
      const __m128i luma = _mm_loadu_si128(reinterpret_cast<const __m128i*>(y + x));
      // Y * 149 stays below 65536: the product's low half, shifted as unsigned, is exact.
      const __m128i y_lo = _mm_sub_epi16(
          _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(luma, zero), y_mul), 1), y_bias);
      const __m128i y_hi = _mm_sub_epi16(
          _mm_srli_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(luma, zero), y_mul), 1), y_bias);
      const __m128i r = _mm_packus_epi16(_mm_srai_epi16(_mm_adds_epi16(y_lo, terms[0][0]), 6),
                                         _mm_srai_epi16(_mm_adds_epi16(y_hi, terms[0][1]), 6));
      const __m128i g = _mm_packus_epi16(_mm_srai_epi16(_mm_subs_epi16(y_lo, terms[1][0]), 6),
                                         _mm_srai_epi16(_mm_subs_epi16(y_hi, terms[1][1]), 6));
      const __m128i b = _mm_packus_epi16(_mm_srai_epi16(_mm_adds_epi16(y_lo, terms[2][0]), 6),
                                         _mm_srai_epi16(_mm_adds_epi16(y_hi, terms[2][1]), 6));
      __m128i* out = reinterpret_cast<__m128i*>((row == 0 ? rgb1 : rgb2) + x * 3);
      for (int reg = 0; reg < 3; ++reg)
        _mm_storeu_si128(out + reg, _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(r, masks.m[reg][0]),
                                                              _mm_shuffle_epi8(g, masks.m[reg][1])),
                                                 _mm_shuffle_epi8(b, masks.m[reg][2])));
    }
  }
  return x;
}
#endif

std::atomic<bool> g_plain_only{false};

}  // namespace

bool ConvertYuv420ToRgb24(const Yuv420View& src, uint8_t* rgb, ptrdiff_t rgb_stride) {
  if (src.y == nullptr || src.u == nullptr || src.v == nullptr || rgb == nullptr ||
      src.width <= 0 || src.height <= 0 || rgb_stride < static_cast<ptrdiff_t>(src.width) * 3)
    return false;
  const Coefficients& c = src.full_range ? kFull : kLimited;
#ifdef VL_HAVE_SSSE3_KERNELS
  const bool vector = ProcessorHasSsse3() && !g_plain_only.load(std::memory_order_relaxed);
  static const InterleaveMasks masks =
      ProcessorHasSsse3() ? MakeInterleaveMasks() : InterleaveMasks{};
#endif
  // Rows in pairs: both rows of a pair read the same chroma row.
  for (int row = 0; row < src.height; row += 2) {
    const bool pair = row + 1 < src.height;
    const uint8_t* y1 = src.y + row * src.y_stride;
    const uint8_t* y2 = pair ? y1 + src.y_stride : nullptr;
    const uint8_t* u = src.u + (row / 2) * src.u_stride;
    const uint8_t* v = src.v + (row / 2) * src.v_stride;
    uint8_t* out1 = rgb + row * rgb_stride;
    uint8_t* out2 = pair ? out1 + rgb_stride : nullptr;
    int done = 0;
#ifdef VL_HAVE_SSSE3_KERNELS
    if (vector) done = ConvertRowsSsse3(c, masks, y1, y2, u, v, out1, out2, src.width);
#endif
    ConvertRowPlain(c, y1, u, v, out1, done, src.width);
    if (pair) ConvertRowPlain(c, y2, u, v, out2, done, src.width);
  }
  return true;
}

void UsePlainYuvKernels(bool plain) {
  g_plain_only = plain;
}

}  // namespace vl
