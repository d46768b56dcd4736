#include "tools/vcam_capture/bmp_file.h"

#include <cstdio>
#include <cstring>

namespace vl::tools {
namespace {

constexpr size_t kFileHeader = 14;
constexpr size_t kInfoHeader = 40;
constexpr size_t kMaxFileBytes = 256u * 1024 * 1024;

void Put16(std::vector<uint8_t>* out, size_t at, uint32_t v) {
  (*out)[at] = static_cast<uint8_t>(v);
  (*out)[at + 1] = static_cast<uint8_t>(v >> 8);
}

void Put32(std::vector<uint8_t>* out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) (*out)[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t Get16(const uint8_t* p) {
  return p[0] | (p[1] << 8);
}

uint32_t Get32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

bool EncodeBmp(const BmpPicture& picture, std::vector<uint8_t>* file) {
  if (picture.width <= 0 || picture.height <= 0 ||
      (picture.bits_per_pixel != 24 && picture.bits_per_pixel != 32))
    return false;
  const int64_t image = picture.Stride() * picture.height;
  if (static_cast<int64_t>(picture.pixels.size()) < image ||
      image > static_cast<int64_t>(kMaxFileBytes))
    return false;
  const size_t offset = kFileHeader + kInfoHeader;
  file->assign(offset + static_cast<size_t>(image), 0);
  (*file)[0] = 'B';
  (*file)[1] = 'M';
  Put32(file, 2, static_cast<uint32_t>(file->size()));
  Put32(file, 10, static_cast<uint32_t>(offset));
  Put32(file, 14, kInfoHeader);
  Put32(file, 18, static_cast<uint32_t>(picture.width));
  Put32(file, 22, static_cast<uint32_t>(picture.height));
  Put16(file, 26, 1);
  Put16(file, 28, static_cast<uint32_t>(picture.bits_per_pixel));
  Put32(file, 34, static_cast<uint32_t>(image));
  std::memcpy(file->data() + offset, picture.pixels.data(), static_cast<size_t>(image));
  return true;
}

bool DecodeBmp(const uint8_t* data, size_t size, BmpPicture* picture, int32_t max_side) {
  if (data == nullptr || size < kFileHeader + kInfoHeader || data[0] != 'B' || data[1] != 'M')
    return false;
  const uint32_t offset = Get32(data + 10);
  const uint32_t info_size = Get32(data + 14);
  if (info_size < kInfoHeader || kFileHeader + info_size > size) return false;
  const int32_t width = static_cast<int32_t>(Get32(data + 18));
  const int32_t raw_height = static_cast<int32_t>(Get32(data + 22));
  const uint32_t bits = Get16(data + 28);
  const uint32_t compression = Get32(data + 30);
  if (compression != 0 || (bits != 24 && bits != 32)) return false;
  if (raw_height == INT32_MIN) return false;
  const bool top_down = raw_height < 0;
  const int32_t height = top_down ? -raw_height : raw_height;
  if (width <= 0 || height <= 0 || width > max_side || height > max_side) return false;

  BmpPicture result;
  result.width = width;
  result.height = height;
  result.bits_per_pixel = static_cast<int32_t>(bits);
  const int64_t stride = result.Stride();
  const int64_t image = stride * height;
  if (offset > size || static_cast<int64_t>(size - offset) < image) return false;
  result.pixels.resize(static_cast<size_t>(image));
  for (int32_t row = 0; row < height; ++row) {
    const int32_t from = top_down ? height - 1 - row : row;
    std::memcpy(result.pixels.data() + row * stride, data + offset + from * stride,
                static_cast<size_t>(stride));
  }
  *picture = std::move(result);
  return true;
}

bool WriteBmpFile(const std::string& path, const BmpPicture& picture) {
  std::vector<uint8_t> bytes;
  if (!EncodeBmp(picture, &bytes)) return false;
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

bool ReadBmpFile(const std::string& path, BmpPicture* picture) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  std::vector<uint8_t> bytes;
  uint8_t chunk[65536];
  size_t got;
  bool ok = true;
  while ((got = std::fread(chunk, 1, sizeof(chunk), file)) > 0) {
    if (bytes.size() + got > kMaxFileBytes) {
      ok = false;
      break;
    }
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  std::fclose(file);
  return ok && DecodeBmp(bytes.data(), bytes.size(), picture);
}

BmpPicture ToBgr24(const BmpPicture& picture) {
  if (picture.bits_per_pixel == 24) return picture;
  BmpPicture out;
  out.width = picture.width;
  out.height = picture.height;
  out.bits_per_pixel = 24;
  const int64_t in_stride = picture.Stride();
  const int64_t out_stride = out.Stride();
  out.pixels.assign(static_cast<size_t>(out_stride * out.height), 0);
  for (int32_t y = 0; y < picture.height; ++y) {
    const uint8_t* src = picture.pixels.data() + y * in_stride;
    uint8_t* dst = out.pixels.data() + y * out_stride;
    for (int32_t x = 0; x < picture.width; ++x) std::memcpy(dst + x * 3, src + x * 4, 3);
  }
  return out;
}

}  // namespace vl::tools
