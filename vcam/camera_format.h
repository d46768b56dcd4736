// What the camera offers: its picture size, the five media types by position, frame timing and
// the figures of its stream capabilities. Platform-neutral; the Windows stream builds media
// types and capability structures from these.
#pragma once

#include <cstdint>

#include "vcam/framework/bitmap_math.h"

namespace vl::vcam {

enum class CameraOrientation { kLandscape, kPortrait };

struct FrameSize {
  int32_t width = 0;
  int32_t height = 0;
};

// 1/30 s in 100 ns units: the time stamp step of one sample.
inline constexpr int64_t kFrameDuration = 333333;
// Largest side accepted from the shared section's header for the offered size; anything else
// is a damaged header and the default size is offered instead.
inline constexpr int32_t kMaxOfferedSide = 4096;

FrameSize DefaultFrameSize(CameraOrientation orientation);

// The size the camera offers, from the width and height found in the shared section (0 when
// there is none): the default when either is missing or out of range, else the section's size
// turned to the camera's orientation.
FrameSize OfferedFrameSize(CameraOrientation orientation, int32_t mapping_width,
                           int32_t mapping_height);

// Whether a picture of `width` x `height` must be turned 90 degrees clockwise to match the
// camera's orientation.
bool NeedsRotation(CameraOrientation orientation, int32_t width, int32_t height);

struct OfferedFormat {
  int32_t bit_count = 0;
  uint32_t compression = kBiRgb;
  uint32_t masks[3] = {0, 0, 0};  // red, green, blue; BI_BITFIELDS only
  uint32_t colours_used = 0;
  BitmapSubtype subtype = BitmapSubtype::kNone;
};

inline constexpr int kOfferedFormatCount = 5;
// Position 0 RGB32, 1 RGB24, 2 RGB565, 3 RGB555, 4 RGB8. False outside 0..4.
bool GetOfferedFormat(int position, OfferedFormat* format);
// The position of 24-bit RGB, the type a new camera starts with.
inline constexpr int kDefaultFormatPosition = 1;

// Whether a proposed type's bitmap header says what its subtype says: the subtype's bit count,
// and BI_RGB (RGB555 also with BI_BITFIELDS, RGB565 only with it).
bool HeaderMatchesSubtype(BitmapSubtype subtype, int32_t bit_count, uint32_t compression);

// How a sample of a given bit count is filled.
enum class SampleLayout { kRgb24, kRgb32, kOther };
SampleLayout LayoutForBitCount(int32_t bit_count);

struct StreamCapsFigures {
  int64_t min_frame_interval;  // 100 ns units
  int64_t max_frame_interval;
  int32_t min_bits_per_second;
  int32_t max_bits_per_second;
};
StreamCapsFigures GetStreamCapsFigures(FrameSize size);

}  // namespace vl::vcam
