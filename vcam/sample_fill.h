// Filling one video sample of the camera: the picture (from the shared section or the fallback
// file) turned to the camera's orientation, centred, unscaled and clipped, or plain blue when
// there is no picture. Platform-neutral.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "media/frame_mapping_layout.h"
#include "vcam/camera_format.h"

namespace vl::vcam {

// A 24-bit BGR picture with bottom-up rows of `stride` bytes.
struct SourcePicture {
  const uint8_t* pixels = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  int64_t stride = 0;
};

// The sample buffer: `size` bytes holding a bottom-up picture of width x height in `layout`.
struct SampleTarget {
  uint8_t* data = nullptr;
  size_t size = 0;
  int32_t width = 0;
  int32_t height = 0;
  SampleLayout layout = SampleLayout::kRgb24;
};

// Source of the noise written into samples of types the camera cannot draw.
using RandomByteSource = int (*)();

// Row stride of the sample for its layout (24-bit rows are padded to 4 bytes; 32-bit rows are
// width x 4).
int64_t SampleStride(const SampleTarget& target);

// No picture: 24-bit every pixel B=FF G=00 R=00, 32-bit FF 00 00 FF, other layouts noise.
void FillWithoutPicture(const SampleTarget& target, RandomByteSource random);

// Turns `source` 90 degrees clockwise into `storage`; returns the view of the result, or a
// picture without pixels when memory runs out.
SourcePicture RotateClockwise(const SourcePicture& source, std::vector<uint8_t>* storage);

// Copies `source` centred into the sample, rotating it first when its orientation differs from
// the camera's. Sample bytes outside the copied picture keep their content. Other layouts get
// noise. Returns false (writing nothing) when the rotation buffer cannot be had.
bool FillWithPicture(const SampleTarget& target, const SourcePicture& source,
                     CameraOrientation orientation, std::vector<uint8_t>* scratch,
                     RandomByteSource random);

// One sample as the camera fills it: the published picture when the section holds one, else
// the fallback picture (null: none), else plain blue.
void FillSample(const SampleTarget& target, const MappedPicture& published,
                const SourcePicture* fallback, CameraOrientation orientation,
                std::vector<uint8_t>* scratch, RandomByteSource random);

}  // namespace vl::vcam
