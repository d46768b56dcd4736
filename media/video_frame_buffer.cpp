#include "media/video_frame_buffer.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
}

namespace vl {

uint64_t VideoFrame::NextSerial() {
  static std::atomic<uint64_t> next{1};
  return next.fetch_add(1, std::memory_order_relaxed);
}

void VideoFrameBuffer::PushFrame(const AVFrame* picture) {
  if (picture == nullptr || picture->format != AV_PIX_FMT_RGB24 || picture->data[0] == nullptr)
    return;
  const bool portrait = portrait_.load() != 0;
  const int out_width = portrait ? kLandscapeHeight : kLandscapeWidth;
  const int out_height = portrait ? kLandscapeWidth : kLandscapeHeight;

  const RgbView src{picture->data[0], picture->width, picture->height, picture->linesize[0]};
  Orientation orientation;
  orientation.rotate = (picture->width < picture->height) != portrait;
  orientation.mirror = (reverse_h_.load() != 0) != (mirror_.load() != 0);
  orientation.flip = (reverse_v_.load() != 0) != (flip_.load() != 0);

  std::unique_ptr<VideoFrame> frame = VideoFrame::Create(out_width, out_height);
  if (!frame) return;
  const BgrBottomUpView out{frame->bits(), out_width, out_height, frame->stride()};
  if (!composer_.Compose(src, orientation, out)) return;

  std::unique_ptr<VideoFrame> dropped;  // released outside the lock
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (queue_.size() >= static_cast<size_t>(kCapacity)) {
      dropped = std::move(queue_.front());
      queue_.pop_front();
    }
    queue_.push_back(std::move(frame));
  }
  const uint64_t number = queued_in_run_++;
  if (queued_observer_) queued_observer_(number);
}

int VideoFrameBuffer::IsFull() {
  std::lock_guard<std::mutex> guard(lock_);
  return queue_.size() >= static_cast<size_t>(kCapacity) ? 1 : 0;
}

void VideoFrameBuffer::SetReverse(int reverse_v, int reverse_h) {
  reverse_v_ = reverse_v;
  reverse_h_ = reverse_h;
}

void VideoFrameBuffer::SetMirror(int mirror, int flip) {
  mirror_ = mirror;
  flip_ = flip;
}

void VideoFrameBuffer::SetPortrait(int portrait) {
  portrait_ = portrait != 0 ? 1 : 0;
}

void VideoFrameBuffer::Clear() {
  std::deque<std::unique_ptr<VideoFrame>> released;
  {
    std::lock_guard<std::mutex> guard(lock_);
    released.swap(queue_);
  }
  queued_in_run_ = 0;
}

std::unique_ptr<VideoFrame> VideoFrameBuffer::PopNewest() {
  // Called every preview tick: the older pictures are moved out (and released outside the
  // lock) without swapping the queue for a new one, which would allocate at every tick.
  std::unique_ptr<VideoFrame> older[kCapacity];
  std::unique_ptr<VideoFrame> newest;
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (queue_.empty()) return nullptr;
    newest = std::move(queue_.back());
    queue_.pop_back();
    for (size_t i = 0; !queue_.empty() && i < kCapacity; ++i) {
      older[i] = std::move(queue_.front());
      queue_.pop_front();
    }
  }
  return newest;
}

std::unique_ptr<VideoFrame> VideoFrameBuffer::PopFront() {
  std::lock_guard<std::mutex> guard(lock_);
  if (queue_.empty()) return nullptr;
  std::unique_ptr<VideoFrame> frame = std::move(queue_.front());
  queue_.pop_front();
  return frame;
}

}  // namespace vl
