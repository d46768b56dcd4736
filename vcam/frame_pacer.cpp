#include "vcam/frame_pacer.h"

namespace vl::vcam {

FramePacer::FramePacer(int64_t frame_duration)
    : frame_duration_(frame_duration > 0 ? frame_duration : 1) {}

void FramePacer::Restart() {
  next_frame_ = 0;
  skipped_ = 0;
}

void FramePacer::Resync(int64_t now) {
  const int64_t first_not_due = now <= 0 ? 0 : (now + frame_duration_ - 1) / frame_duration_;
  if (first_not_due > next_frame_) next_frame_ = first_not_due;
}

int64_t FramePacer::TimeUntilDue(int64_t now) const {
  const int64_t due = next_frame_ * frame_duration_;
  return due > now ? due - now : 0;
}

int64_t FramePacer::Take(int64_t now) {
  const int64_t due = next_frame_ * frame_duration_;
  if (now - due >= frame_duration_) {
    // Late by a frame or more: continue with the latest frame already due.
    const int64_t latest = now / frame_duration_;
    skipped_ += latest - next_frame_;
    next_frame_ = latest;
  }
  const int64_t stamp = next_frame_ * frame_duration_;
  ++next_frame_;
  return stamp;
}

}  // namespace vl::vcam
