// The help pictures that the configuration host may replace are PNG (the preview's placeholder)
// or JPEG (the cameras' fallback pictures). Before any decoder sees one, and especially before a
// camera parses one inside every capture program that opens it, its type is told from its
// signature, must match the file's name, and its declared size must stay small.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace vl {

enum class PictureType { kPng, kJpeg };

struct PictureHeader {
  PictureType type;
  uint32_t width;
  uint32_t height;
};

// Bounds of a help picture.
inline constexpr uint32_t kMaxHelpPictureSide = 2048;
inline constexpr size_t kMaxHelpPictureBytes = 4u << 20;

// Type and size from the signature and the header (a PNG's IHDR, a JPEG's first start-of-frame
// marker); nothing for anything else (GIF, BMP, metafiles, ...) or a header cut short.
std::optional<PictureHeader> ReadPictureHeader(const uint8_t* data, size_t size);

// The type a file name promises: ".png" or ".jpg"/".jpeg" (any case); nothing otherwise.
std::optional<PictureType> PictureTypeOfName(std::string_view file_name);

// A help picture may be used: at most kMaxHelpPictureBytes, a PNG or JPEG of the type its name
// promises, each side from 1 to kMaxHelpPictureSide pixels.
bool IsAcceptableHelpPicture(const uint8_t* data, size_t size, std::string_view file_name);

}  // namespace vl
