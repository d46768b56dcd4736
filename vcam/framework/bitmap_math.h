// Sizes and subtype classification of bitmap headers. Platform-neutral: the Windows media type
// utilities turn the classification into DirectShow subtypes.
#pragma once

#include <cstdint>

namespace vl::vcam {

// Compression codes of a bitmap header.
inline constexpr uint32_t kBiRgb = 0;
inline constexpr uint32_t kBiBitfields = 3;

// Bytes of a bitmap's pixels: rows padded to 32 bits, times |height|, with the sign of height.
int64_t BitmapImageSize(int32_t width, int32_t bit_count, int32_t height);

enum class BitmapSubtype { kNone, kFourCC, kRgb1, kRgb4, kRgb8, kRgb555, kRgb565, kRgb24, kRgb32 };

// Classifies a header by compression, bit count and (for BI_BITFIELDS) its red, green and blue
// masks; `masks` may be null when the header carries none.
BitmapSubtype ClassifyBitmap(uint32_t compression, int32_t bit_count, const uint32_t* masks);

}  // namespace vl::vcam
