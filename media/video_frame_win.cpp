#include <windows.h>

#include "media/video_frame.h"

namespace vl {

std::unique_ptr<VideoFrame> VideoFrame::Create(int width, int height) {
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return nullptr;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // positive: bottom-up
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr) return nullptr;
  if (bits == nullptr) {
    DeleteObject(bitmap);
    return nullptr;
  }
  std::unique_ptr<VideoFrame> frame(new VideoFrame());
  frame->width_ = width;
  frame->height_ = height;
  frame->bits_ = static_cast<uint8_t*>(bits);
  frame->bitmap_ = bitmap;
  return frame;
}

VideoFrame::~VideoFrame() {
  if (bitmap_ != nullptr) DeleteObject(bitmap_);
}

}  // namespace vl
