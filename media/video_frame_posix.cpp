#include <cstdlib>

#include "media/video_frame.h"

namespace vl {

std::unique_ptr<VideoFrame> VideoFrame::Create(int width, int height) {
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return nullptr;
  std::unique_ptr<VideoFrame> frame(new VideoFrame());
  frame->width_ = width;
  frame->height_ = height;
  frame->bits_ = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(frame->size())));
  if (frame->bits_ == nullptr) return nullptr;
  return frame;
}

VideoFrame::~VideoFrame() {
  std::free(bits_);
}

}  // namespace vl
