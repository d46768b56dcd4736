#include "vcam/sample_fill.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "common/dib_stride.h"

namespace vl::vcam {
namespace {

int BytesPerPixel(SampleLayout layout) {
  return layout == SampleLayout::kRgb32 ? 4 : 3;
}

void FillNoise(const SampleTarget& target, RandomByteSource random) {
  for (size_t i = 0; i < target.size; ++i) target.data[i] = static_cast<uint8_t>(random());
}

}  // namespace

int64_t SampleStride(const SampleTarget& target) {
  if (target.layout == SampleLayout::kRgb32) return static_cast<int64_t>(target.width) * 4;
  return Rgb24RowStride(target.width);
}

void FillWithoutPicture(const SampleTarget& target, RandomByteSource random) {
  if (target.data == nullptr) return;
  if (target.layout == SampleLayout::kOther) {
    FillNoise(target, random);
    return;
  }
  const int bpp = BytesPerPixel(target.layout);
  const uint8_t blue[4] = {0xFF, 0x00, 0x00, 0xFF};
  const int64_t stride = SampleStride(target);
  for (int64_t row = 0; row < target.height; ++row) {
    const int64_t offset = row * stride;
    if (offset >= static_cast<int64_t>(target.size)) break;
    // Whole pixels only, never past the end of the buffer.
    const int64_t room = (static_cast<int64_t>(target.size) - offset) / bpp;
    const int64_t pixels = std::min<int64_t>(target.width, room);
    uint8_t* out = target.data + offset;
    for (int64_t x = 0; x < pixels; ++x, out += bpp) std::memcpy(out, blue, bpp);
  }
}

SourcePicture RotateClockwise(const SourcePicture& source, std::vector<uint8_t>* storage) {
  const int32_t w = source.width;
  const int32_t h = source.height;
  const int64_t out_stride = Rgb24RowStride(h);
  try {
    storage->resize(static_cast<size_t>(out_stride * w));
  } catch (const std::bad_alloc&) {
    return SourcePicture{};
  }
  // Memory row i, column j of the source goes to memory row (w - 1 - j), column i: with
  // bottom-up rows that is a clockwise quarter turn of the picture as seen.
  uint8_t* out = storage->data();
  for (int32_t i = 0; i < h; ++i) {
    const uint8_t* in_row = source.pixels + i * source.stride;
    for (int32_t j = 0; j < w; ++j) {
      uint8_t* dst = out + (w - 1 - j) * out_stride + static_cast<int64_t>(i) * 3;
      const uint8_t* src = in_row + static_cast<int64_t>(j) * 3;
      dst[0] = src[0];
      dst[1] = src[1];
      dst[2] = src[2];
    }
  }
  return SourcePicture{out, h, w, out_stride};
}

bool FillWithPicture(const SampleTarget& target, const SourcePicture& source,
                     CameraOrientation orientation, std::vector<uint8_t>* scratch,
                     RandomByteSource random) {
  if (target.data == nullptr || source.pixels == nullptr || source.width <= 0 || source.height <= 0)
    return false;
  if (target.layout == SampleLayout::kOther) {
    FillNoise(target, random);
    return true;
  }
  SourcePicture picture = source;
  if (NeedsRotation(orientation, source.width, source.height)) {
    picture = RotateClockwise(source, scratch);
    if (picture.pixels == nullptr) return false;
  }

  // Centred without scaling; negative offsets when the picture is the larger.
  const int32_t x0 = (target.width - picture.width) / 2;
  const int32_t y0 = (target.height - picture.height) / 2;
  const int32_t first_col = std::max(0, -x0);
  const int32_t last_col = std::min(picture.width, target.width - x0);  // exclusive
  if (first_col >= last_col) return true;
  const int bpp = BytesPerPixel(target.layout);
  const int64_t stride = SampleStride(target);

  for (int32_t k = 0; k < picture.height; ++k) {
    const int64_t row = static_cast<int64_t>(y0) + k;
    if (row < 0 || row >= target.height) continue;
    const int64_t row_offset = row * stride;
    // Columns that fit into the buffer (a sample may be shorter than its type says).
    const int64_t room = (static_cast<int64_t>(target.size) - row_offset) / bpp - x0;
    const int32_t end_col = static_cast<int32_t>(std::min<int64_t>(last_col, room));
    if (end_col <= first_col) break;
    const uint8_t* src = picture.pixels + k * picture.stride + static_cast<int64_t>(first_col) * 3;
    uint8_t* dst = target.data + row_offset + (static_cast<int64_t>(x0) + first_col) * bpp;
    const int32_t count = end_col - first_col;
    if (target.layout == SampleLayout::kRgb24) {
      std::memcpy(dst, src, static_cast<size_t>(count) * 3);
    } else {
      for (int32_t j = 0; j < count; ++j, src += 3, dst += 4) {
        dst[0] = src[0];
        dst[1] = src[1];
        dst[2] = src[2];
        dst[3] = 0xFF;
      }
    }
  }
  return true;
}

void FillSample(const SampleTarget& target, const MappedPicture& published,
                const SourcePicture* fallback, CameraOrientation orientation,
                std::vector<uint8_t>* scratch, RandomByteSource random) {
  bool drawn = false;
  if (published.pixels != nullptr) {
    const SourcePicture picture{published.pixels, published.width, published.height,
                                Rgb24RowStride(published.width)};
    drawn = FillWithPicture(target, picture, orientation, scratch, random);
  } else if (fallback != nullptr) {
    drawn = FillWithPicture(target, *fallback, orientation, scratch, random);
  }
  if (!drawn) FillWithoutPicture(target, random);
}

}  // namespace vl::vcam
