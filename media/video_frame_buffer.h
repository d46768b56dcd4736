// The frame buffer: turns every decoded picture into an output picture of the chosen
// orientation (1280 x 720, or 720 x 1280 in portrait mode) and keeps the newest ten.
// PushFrame runs on the stream worker's thread; the setters and PopFront on the UI thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "media/frame_composer.h"
#include "media/i_frame_buffer.h"
#include "media/video_frame.h"

namespace vl {

class VideoFrameBuffer : public IFrameBuffer {
 public:
  static constexpr int kCapacity = 10;
  static constexpr int kLandscapeWidth = 1280, kLandscapeHeight = 720;

  ~VideoFrameBuffer() override { Clear(); }

  void PushFrame(const AVFrame* picture) override;
  int IsFull() override;

  // The phone's header flags, at the start of each connected run.
  void SetReverse(int reverse_v, int reverse_h);
  // The user's toggles: mirror inverts reverse_h, flip inverts reverse_v.
  void SetMirror(int mirror, int flip);
  // 1: output pictures 720 x 1280, 0: 1280 x 720. Pictures already queued keep their size.
  void SetPortrait(int portrait);
  // Releases every queued picture; the next picture is the first of a new run.
  void Clear();
  // Told, on the pushing thread, of every picture queued: its number since the last Clear (0 for
  // the first). For the decode trace; set before pictures flow.
  using QueuedObserver = std::function<void(uint64_t picture)>;
  void SetQueuedObserver(QueuedObserver observer) { queued_observer_ = std::move(observer); }
  // The oldest picture, or null.
  std::unique_ptr<VideoFrame> PopFront();
  // The newest picture, or null; the older ones are dropped. What the preview takes at each
  // tick: a phone faster than the tick (60 fps against 33 ticks a second) would otherwise keep
  // the queue full, and every picture would wait ten ticks before it is shown.
  std::unique_ptr<VideoFrame> PopNewest();

 private:
  std::atomic<int> reverse_v_{0}, reverse_h_{0}, mirror_{0}, flip_{0}, portrait_{0};
  std::mutex lock_;  // guards queue_ only
  std::deque<std::unique_ptr<VideoFrame>> queue_;
  std::atomic<uint64_t> queued_in_run_{0};
  QueuedObserver queued_observer_;
  FrameComposer composer_;  // used by PushFrame alone
};

}  // namespace vl
