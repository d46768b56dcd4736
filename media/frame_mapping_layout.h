// Layout of the shared frame section "LumarooFileMapping" through which the main program hands
// its current picture to every open camera. Platform-neutral: the writer (main program) and the
// reader (camera modules, which link against no other deliverable) compile this same source.
//
//   offset 0   int32 LE  width
//   offset 4   int32 LE  height
//   offset 8   int32 LE  size   (pixel bytes that follow; <= 0: no picture)
//   offset 12  size bytes  24-bit BGR, bottom-up rows, each padded to a multiple of 4 bytes
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/dib_stride.h"

namespace vl {

inline constexpr char kFrameMappingName[] = "LumarooFileMapping";
inline constexpr size_t kFrameMappingSize = 0x1400000;  // 20 MiB
inline constexpr size_t kFrameMappingHeaderSize = 12;
// Largest width or height a reader accepts: any process in the session can write the section,
// and larger values only serve to overflow the size arithmetic.
inline constexpr int32_t kMaxFrameMappingSide = 16384;

struct MappedPicture {
  int32_t width = 0;
  int32_t height = 0;
  const uint8_t* pixels = nullptr;  // null: no picture
  int32_t size = 0;
};

// Reads the header of a section view of `view_size` bytes. Width and height are always
// returned (the camera uses them for its advertised size). `pixels` is set only when the header
// describes a picture that lies entirely inside the view: positive width and height, a size of at
// least stride * height bytes, and header + size within `view_size`. Anything else is
// reported as no picture, so a damaged header can never make a reader leave the section.
// Width or height above kMaxFrameMappingSide is no picture either.
MappedPicture ReadFrameMappingHeader(const uint8_t* view, size_t view_size);

// Writes header and pixels (header first, then the pixels, as readers expect). Returns false,
// writing nothing, when the picture does not fit into `view_size`.
bool WriteFrameMapping(uint8_t* view, size_t view_size, int32_t width, int32_t height,
                       const uint8_t* pixels, int32_t size);

}  // namespace vl
