#include "vcam/framework/bitmap_math.h"

#include "common/dib_stride.h"

namespace vl::vcam {

int64_t BitmapImageSize(int32_t width, int32_t bit_count, int32_t height) {
  const int64_t row = DibRowStride(width, bit_count);
  const int64_t rows = height < 0 ? -static_cast<int64_t>(height) : height;
  return height < 0 ? -(row * rows) : row * rows;
}

BitmapSubtype ClassifyBitmap(uint32_t compression, int32_t bit_count, const uint32_t* masks) {
  if (compression != kBiRgb && compression != kBiBitfields) return BitmapSubtype::kFourCC;
  switch (bit_count) {
    case 1:
      return BitmapSubtype::kRgb1;
    case 4:
      return BitmapSubtype::kRgb4;
    case 8:
      return BitmapSubtype::kRgb8;
    case 24:
      return BitmapSubtype::kRgb24;
    case 32:
      return BitmapSubtype::kRgb32;
    case 16:
      if (compression == kBiRgb) return BitmapSubtype::kRgb555;
      if (masks == nullptr) return BitmapSubtype::kNone;
      if (masks[0] == 0x7C00 && masks[1] == 0x03E0 && masks[2] == 0x001F)
        return BitmapSubtype::kRgb555;
      if (masks[0] == 0xF800 && masks[1] == 0x07E0 && masks[2] == 0x001F)
        return BitmapSubtype::kRgb565;
      return BitmapSubtype::kNone;
    default:
      return BitmapSubtype::kNone;
  }
}

}  // namespace vl::vcam
