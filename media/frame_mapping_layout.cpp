#include "media/frame_mapping_layout.h"

#include <cstring>

namespace vl {
namespace {

int32_t LoadLE32(const uint8_t* p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                              static_cast<uint32_t>(p[2]) << 16 |
                              static_cast<uint32_t>(p[3]) << 24);
}

void StoreLE32(uint8_t* p, int32_t v) {
  const auto u = static_cast<uint32_t>(v);
  p[0] = static_cast<uint8_t>(u);
  p[1] = static_cast<uint8_t>(u >> 8);
  p[2] = static_cast<uint8_t>(u >> 16);
  p[3] = static_cast<uint8_t>(u >> 24);
}

}  // namespace

MappedPicture ReadFrameMappingHeader(const uint8_t* view, size_t view_size) {
  MappedPicture pic;
  if (view == nullptr || view_size < kFrameMappingHeaderSize) return pic;
  pic.width = LoadLE32(view);
  pic.height = LoadLE32(view + 4);
  const int32_t size = LoadLE32(view + 8);
  if (size <= 0 || pic.width <= 0 || pic.height <= 0 || pic.width > kMaxFrameMappingSide ||
      pic.height > kMaxFrameMappingSide)
    return pic;
  // At most 49152 x 16384 bytes: no overflow in 64 bits.
  const int64_t needed = Rgb24RowStride(pic.width) * pic.height;
  const uint64_t available = view_size - kFrameMappingHeaderSize;
  if (needed > size || static_cast<uint64_t>(size) > available) return pic;
  pic.pixels = view + kFrameMappingHeaderSize;
  pic.size = size;
  return pic;
}

bool WriteFrameMapping(uint8_t* view, size_t view_size, int32_t width, int32_t height,
                       const uint8_t* pixels, int32_t size) {
  if (view == nullptr || view_size < kFrameMappingHeaderSize || size < 0 ||
      static_cast<uint64_t>(size) > view_size - kFrameMappingHeaderSize)
    return false;
  StoreLE32(view, width);
  StoreLE32(view + 4, height);
  StoreLE32(view + 8, size);
  if (size > 0) std::memcpy(view + kFrameMappingHeaderSize, pixels, static_cast<size_t>(size));
  return true;
}

}  // namespace vl
