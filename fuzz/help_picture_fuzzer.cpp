// A help picture as the program and the cameras judge it before any decoder sees it: any bytes
// the configuration host (or another program writing the user's picture folder) may give.
#include <cstddef>
#include <cstdint>

#include "common/picture_header.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto header = vl::ReadPictureHeader(data, size);
  for (const char* name : {"default.png", "default_h.jpg"}) {
    if (!vl::IsAcceptableHelpPicture(data, size, name)) continue;
    // Accepted means: a header was read, of the promised type and within the bounds.
    if (!header || header->width == 0 || header->height == 0 ||
        header->width > vl::kMaxHelpPictureSide || header->height > vl::kMaxHelpPictureSide ||
        header->type != *vl::PictureTypeOfName(name))
      __builtin_trap();
  }
  return 0;
}
