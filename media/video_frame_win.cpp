#include <windows.h>

#include "common/win/dib.h"
#include "media/recycled_pictures.h"
#include "media/video_frame.h"

namespace vl {
namespace {

struct Dib {
  HBITMAP bitmap;
  uint8_t* bits;
};

void DeleteDib(const Dib& dib) {
  DeleteObject(dib.bitmap);
}

using Store = RecycledPictures<Dib, DeleteDib>;

// Released pictures' DIB sections, kept for the next pictures of the same size; the sections
// still kept are deleted at exit.
Store& Recycled() {
  static Store store;
  return store;
}

}  // namespace

std::unique_ptr<VideoFrame> VideoFrame::Create(int width, int height) {
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return nullptr;
  Dib dib{};
  if (!Recycled().Take(width, height, &dib)) {
    dib.bitmap = win::CreateBottomUpDib24(width, height, &dib.bits);
    if (dib.bitmap == nullptr) return nullptr;
  }
  std::unique_ptr<VideoFrame> frame(new VideoFrame());
  frame->width_ = width;
  frame->height_ = height;
  frame->bits_ = dib.bits;
  frame->bitmap_ = dib.bitmap;
  return frame;
}

VideoFrame::~VideoFrame() {
  if (bitmap_ != nullptr) Recycled().Give(width_, height_, {bitmap_, bits_});
}

}  // namespace vl
