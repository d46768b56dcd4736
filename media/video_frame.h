// One output picture: 24-bit B,G,R, rows bottom-up, always 1280 x 720 or 720 x 1280.
// On Windows its pixels are a DIB section, so the preview can select it into a DC; elsewhere
// they are plain memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "common/dib_stride.h"

struct HBITMAP__;

namespace vl {

class VideoFrame {
 public:
  // A new picture (contents undefined), or null when it cannot be made.
  static std::unique_ptr<VideoFrame> Create(int width, int height);
  ~VideoFrame();
  VideoFrame(const VideoFrame&) = delete;
  VideoFrame& operator=(const VideoFrame&) = delete;

  int width() const { return width_; }
  int height() const { return height_; }
  uint8_t* bits() const { return bits_; }
  ptrdiff_t stride() const { return static_cast<ptrdiff_t>(Rgb24RowStride(width_)); }
  int32_t size() const { return static_cast<int32_t>(stride() * height_); }
  HBITMAP__* bitmap() const { return bitmap_; }  // Windows only; null elsewhere
  // Distinct for every picture made in this process (a new picture may reuse an old address).
  uint64_t serial() const { return serial_; }

 private:
  VideoFrame() = default;
  int width_ = 0, height_ = 0;
  uint8_t* bits_ = nullptr;
  HBITMAP__* bitmap_ = nullptr;
  uint64_t serial_ = NextSerial();
  static uint64_t NextSerial();
};

}  // namespace vl
