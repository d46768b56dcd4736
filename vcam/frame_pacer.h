// The pace of a live source: sample n carries the time stamps n × duration and is delivered
// when the stream time reaches n × duration, so the stamps follow the clock instead of
// drifting from it. Platform-neutral; times are in 100 ns units of stream time (0 is the start
// of the stream).
#pragma once

#include <cstdint>

namespace vl::vcam {

class FramePacer {
 public:
  explicit FramePacer(int64_t frame_duration);

  // The next sample is frame 0: the start of a stream.
  void Restart();
  // Another clock takes over at stream time `now` (the graph's, once it runs): the next sample
  // is the first frame not yet due on it, but never one before the frames already handed out.
  void Resync(int64_t now);
  // How long to wait, at stream time `now`, before the next sample is due; 0 when it is due.
  int64_t TimeUntilDue(int64_t now) const;
  // Takes the next sample at stream time `now` and returns its start stamp. A source one frame
  // late or more (a stall, a busy machine) skips the frames it missed: the stamp is that of the
  // latest frame already due, less than one frame behind the clock and never earlier than a
  // stamp handed out before.
  int64_t Take(int64_t now);

  int64_t frame_duration() const { return frame_duration_; }
  // Frames skipped so far because the source was late.
  int64_t skipped() const { return skipped_; }

 private:
  const int64_t frame_duration_;
  int64_t next_frame_ = 0;
  int64_t skipped_ = 0;
};

}  // namespace vl::vcam
