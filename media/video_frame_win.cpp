#include <windows.h>

#include <mutex>
#include <vector>

#include "common/win/dib.h"
#include "media/video_frame.h"

namespace vl {
namespace {

// Released pictures' DIB sections, kept for the next pictures of the same size: a fresh section
// costs a page fault for every page of its 2.7 MB at its first fill, every picture, 30 times a
// second. Bounded; the sections still cached are deleted at exit.
class DibCache {
 public:
  static constexpr size_t kMax = 4;
  struct Entry {
    HBITMAP bitmap;
    uint8_t* bits;
    int width, height;
  };
  ~DibCache() {
    gone = true;
    for (const Entry& e : entries_) DeleteObject(e.bitmap);
  }
  // Set once the cache has been destroyed at exit: pictures released later delete their own.
  static inline bool gone = false;
  bool Take(int width, int height, Entry* out) {
    std::lock_guard<std::mutex> guard(lock_);
    for (size_t i = 0; i < entries_.size(); ++i)
      if (entries_[i].width == width && entries_[i].height == height) {
        *out = entries_[i];
        entries_.erase(entries_.begin() + static_cast<ptrdiff_t>(i));
        return true;
      }
    return false;
  }
  void Give(const Entry& e) {
    {
      std::lock_guard<std::mutex> guard(lock_);
      if (entries_.size() < kMax) {
        entries_.push_back(e);
        return;
      }
    }
    DeleteObject(e.bitmap);
  }

 private:
  std::mutex lock_;
  std::vector<Entry> entries_;
};

DibCache& Cache() {
  static DibCache cache;
  return cache;
}

}  // namespace

std::unique_ptr<VideoFrame> VideoFrame::Create(int width, int height) {
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return nullptr;
  DibCache::Entry entry{};
  if (!Cache().Take(width, height, &entry)) {
    uint8_t* bits = nullptr;
    HBITMAP bitmap = win::CreateBottomUpDib24(width, height, &bits);
    if (bitmap == nullptr) return nullptr;
    entry = {bitmap, bits, width, height};
  }
  std::unique_ptr<VideoFrame> frame(new VideoFrame());
  frame->width_ = width;
  frame->height_ = height;
  frame->bits_ = entry.bits;
  frame->bitmap_ = entry.bitmap;
  return frame;
}

VideoFrame::~VideoFrame() {
  if (bitmap_ == nullptr) return;
  if (DibCache::gone)
    DeleteObject(bitmap_);
  else
    Cache().Give({bitmap_, bits_, width_, height_});
}

}  // namespace vl
