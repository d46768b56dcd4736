// The size a picture's header declares, read before any decoder sees the picture: a few hundred
// bytes of PNG can declare a picture of gigabytes, and the decoder would try to allocate it.
// Only formats whose header states the size are recognised: PNG, JPEG, GIF and BMP.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vl {

struct PictureSize {
  int64_t width = 0;
  int64_t height = 0;
};

// False when the bytes are none of the four formats or are cut before the size.
bool ReadPictureSize(const uint8_t* data, size_t size, PictureSize* out);

// The size is one the panel decodes: not empty, each side at most kMaxPictureSide and at most
// kMaxPicturePixels in all.
bool IsDecodablePictureSize(const PictureSize& size);

}  // namespace vl
