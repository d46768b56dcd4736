#include "vcam/camera_format.h"

#include <algorithm>
#include <limits>

namespace vl::vcam {

FrameSize DefaultFrameSize(CameraOrientation orientation) {
  return orientation == CameraOrientation::kLandscape ? FrameSize{1280, 720} : FrameSize{720, 1280};
}

FrameSize OfferedFrameSize(CameraOrientation orientation, int32_t mapping_width,
                           int32_t mapping_height) {
  if (mapping_width <= 0 || mapping_height <= 0 || mapping_width > kMaxOfferedSide ||
      mapping_height > kMaxOfferedSide)
    return DefaultFrameSize(orientation);
  FrameSize size{mapping_width, mapping_height};
  if (NeedsRotation(orientation, size.width, size.height)) {
    size.width = mapping_height;
    size.height = mapping_width;
  }
  return size;
}

bool NeedsRotation(CameraOrientation orientation, int32_t width, int32_t height) {
  return orientation == CameraOrientation::kLandscape ? width < height : width > height;
}

bool GetOfferedFormat(int position, OfferedFormat* format) {
  OfferedFormat f;
  switch (position) {
    case 0:
      f.bit_count = 32;
      f.subtype = BitmapSubtype::kRgb32;
      break;
    case 1:
      f.bit_count = 24;
      f.subtype = BitmapSubtype::kRgb24;
      break;
    case 2:
      f.bit_count = 16;
      f.compression = kBiBitfields;
      f.masks[0] = 0xF800;
      f.masks[1] = 0x07E0;
      f.masks[2] = 0x001F;
      f.subtype = BitmapSubtype::kRgb565;
      break;
    case 3:
      f.bit_count = 16;
      f.compression = kBiBitfields;
      f.masks[0] = 0x7C00;
      f.masks[1] = 0x03E0;
      f.masks[2] = 0x001F;
      f.subtype = BitmapSubtype::kRgb555;
      break;
    case 4:
      f.bit_count = 8;
      f.colours_used = 256;
      f.subtype = BitmapSubtype::kRgb8;
      break;
    default:
      return false;
  }
  *format = f;
  return true;
}

bool HeaderMatchesSubtype(BitmapSubtype subtype, int32_t bit_count, uint32_t compression) {
  switch (subtype) {
    case BitmapSubtype::kRgb8:
      return bit_count == 8 && compression == kBiRgb;
    case BitmapSubtype::kRgb555:
      return bit_count == 16 && (compression == kBiRgb || compression == kBiBitfields);
    case BitmapSubtype::kRgb565:
      return bit_count == 16 && compression == kBiBitfields;
    case BitmapSubtype::kRgb24:
      return bit_count == 24 && compression == kBiRgb;
    case BitmapSubtype::kRgb32:
      return bit_count == 32 && compression == kBiRgb;
    default:
      return false;
  }
}

SampleLayout LayoutForBitCount(int32_t bit_count) {
  if (bit_count == 24) return SampleLayout::kRgb24;
  if (bit_count == 32) return SampleLayout::kRgb32;
  return SampleLayout::kOther;
}

StreamCapsFigures GetStreamCapsFigures(FrameSize size) {
  const int64_t pixels = static_cast<int64_t>(size.width) * size.height;
  StreamCapsFigures figures;
  figures.min_frame_interval = 200000;    // 50 frames per second
  figures.max_frame_interval = 50000000;  // one frame every 5 s
  // The structure holds 32-bit fields: large sizes saturate rather than wrap.
  const int64_t limit = std::numeric_limits<int32_t>::max();
  figures.min_bits_per_second = static_cast<int32_t>(std::min(pixels * 24 / 5, limit));
  figures.max_bits_per_second = static_cast<int32_t>(std::min(pixels * 1200, limit));
  return figures;
}

}  // namespace vl::vcam
