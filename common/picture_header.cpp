#include "common/picture_header.h"

#include <cctype>
#include <cstring>
#include <string>

namespace vl {
namespace {

uint32_t BigEndian16(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 8) | p[1];
}

uint32_t BigEndian32(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

std::optional<PictureHeader> ReadPng(const uint8_t* data, size_t size) {
  // Signature, then the first chunk, which must be IHDR of 13 bytes.
  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (size < 8 + 8 + 13 || std::memcmp(data, kSignature, 8) != 0) return std::nullopt;
  if (BigEndian32(data + 8) != 13 || std::memcmp(data + 12, "IHDR", 4) != 0) return std::nullopt;
  return PictureHeader{PictureType::kPng, BigEndian32(data + 16), BigEndian32(data + 20)};
}

bool IsStartOfFrame(uint8_t marker) {
  // SOF0..SOF15 except DHT (C4), JPG (C8) and DAC (CC).
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

std::optional<PictureHeader> ReadJpeg(const uint8_t* data, size_t size) {
  if (size < 4 || data[0] != 0xFF || data[1] != 0xD8 || data[2] != 0xFF) return std::nullopt;
  size_t pos = 2;
  // Every step moves forward by at least two bytes: the walk ends within `size` steps.
  while (pos + 4 <= size) {
    if (data[pos] != 0xFF) return std::nullopt;
    const uint8_t marker = data[pos + 1];
    if (marker == 0xFF) {  // fill byte
      ++pos;
      continue;
    }
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // no length
      pos += 2;
      continue;
    }
    // Image data or the end before any frame header: not a picture we can size.
    if (marker == 0xD8 || marker == 0xD9 || marker == 0xDA) return std::nullopt;
    const uint32_t length = BigEndian16(data + pos + 2);
    if (length < 2 || pos + 2 + length > size) return std::nullopt;
    if (IsStartOfFrame(marker)) {
      if (length < 8) return std::nullopt;
      // Precision, height, width.
      return PictureHeader{PictureType::kJpeg, BigEndian16(data + pos + 7),
                           BigEndian16(data + pos + 5)};
    }
    pos += 2 + length;
  }
  return std::nullopt;
}

std::string LowerExtension(std::string_view name) {
  const size_t dot = name.find_last_of('.');
  const size_t slash = name.find_last_of("\\/");
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return "";
  std::string extension(name.substr(dot));
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension;
}

}  // namespace

std::optional<PictureHeader> ReadPictureHeader(const uint8_t* data, size_t size) {
  if (data == nullptr) return std::nullopt;
  if (auto png = ReadPng(data, size)) return png;
  return ReadJpeg(data, size);
}

std::optional<PictureType> PictureTypeOfName(std::string_view file_name) {
  const std::string extension = LowerExtension(file_name);
  if (extension == ".png") return PictureType::kPng;
  if (extension == ".jpg" || extension == ".jpeg") return PictureType::kJpeg;
  return std::nullopt;
}

bool IsAcceptableHelpPicture(const uint8_t* data, size_t size, std::string_view file_name) {
  if (size == 0 || size > kMaxHelpPictureBytes) return false;
  const auto header = ReadPictureHeader(data, size);
  const auto promised = PictureTypeOfName(file_name);
  return header && promised && header->type == *promised && header->width >= 1 &&
         header->height >= 1 && header->width <= kMaxHelpPictureSide &&
         header->height <= kMaxHelpPictureSide;
}

}  // namespace vl
