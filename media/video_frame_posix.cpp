#include <cstdlib>

#include "media/recycled_pictures.h"
#include "media/video_frame.h"

namespace vl {
namespace {

void FreePixels(uint8_t* const& bits) {
  std::free(bits);
}

using Store = RecycledPictures<uint8_t*, FreePixels>;

Store& Recycled() {
  static Store store;
  return store;
}

}  // namespace

std::unique_ptr<VideoFrame> VideoFrame::Create(int width, int height) {
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return nullptr;
  std::unique_ptr<VideoFrame> frame(new VideoFrame());
  frame->width_ = width;
  frame->height_ = height;
  if (!Recycled().Take(width, height, &frame->bits_))
    frame->bits_ = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(frame->size())));
  if (frame->bits_ == nullptr) return nullptr;
  return frame;
}

VideoFrame::~VideoFrame() {
  if (bits_ != nullptr) Recycled().Give(width_, height_, bits_);
}

}  // namespace vl
