// Byte shuffles that reverse the byte order of every 3-byte pixel in a run of sixteen pixels
// (48 bytes, three 16-byte registers): R,G,B <-> B,G,R. Output register k is gathered from
// input registers k-1, k and k+1: out0 = a0(in0) | b0(in1), out1 = a1(in0) | b1(in1) | c1(in2),
// out2 = b2(in1) | c2(in2). Shared by the transform and the scaler's gathers.
#pragma once

#if defined(__i386__) || defined(__x86_64__)
#include <emmintrin.h>

namespace vl {

struct PixelSwapShuffles {
  __m128i a0, b0, a1, b1, c1, b2, c2;
};

__attribute__((target("sse2"))) inline PixelSwapShuffles MakePixelSwapShuffles() {
  PixelSwapShuffles s;
  s.a0 = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, -1);
  s.b0 = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 1);
  s.a1 = _mm_setr_epi8(-1, 15, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
  s.b1 = _mm_setr_epi8(0, -1, 4, 3, 2, 7, 6, 5, 10, 9, 8, 13, 12, 11, -1, 15);
  s.c1 = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 0, -1);
  s.b2 = _mm_setr_epi8(14, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
  s.c2 = _mm_setr_epi8(-1, 3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10, 15, 14, 13);
  return s;
}

}  // namespace vl
#endif
