// Reading and writing uncompressed BMP files (24- and 32-bit, bottom-up), as the capture tool
// saves samples and the publisher reads pictures. Platform-neutral.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/dib_stride.h"

namespace vl::tools {

// A bottom-up picture: rows of `stride` bytes, the first row is the bottom one.
struct BmpPicture {
  int32_t width = 0;
  int32_t height = 0;
  int32_t bits_per_pixel = 24;  // 24 or 32
  std::vector<uint8_t> pixels;

  int64_t Stride() const { return DibRowStride(width, bits_per_pixel); }
};

// The whole file as bytes; false when the picture is inconsistent (size, bit count).
bool EncodeBmp(const BmpPicture& picture, std::vector<uint8_t>* file);
// Parses an uncompressed 24- or 32-bit BMP (either row order; top-down files are turned
// bottom-up). Bounded: sides up to `max_side`, every offset checked against the data.
bool DecodeBmp(const uint8_t* data, size_t size, BmpPicture* picture, int32_t max_side = 8192);

bool WriteBmpFile(const std::string& path, const BmpPicture& picture);
bool ReadBmpFile(const std::string& path, BmpPicture* picture);

// The same picture as packed 24-bit rows padded to 4 bytes (the shared section's layout).
BmpPicture ToBgr24(const BmpPicture& picture);

}  // namespace vl::tools
