// The end of a bounded exchange: every socket wait inside it gets only what is left, so a peer
// that trickles bytes cannot stretch the exchange beyond its time-out.
#pragma once

#include <chrono>
#include <climits>

namespace vl {

class Deadline {
 public:
  using Clock = std::chrono::steady_clock;

  explicit Deadline(int timeout_ms = 0)
      : end_(Clock::now() + std::chrono::milliseconds(timeout_ms)) {}

  // Milliseconds left, 0 once passed.
  int RemainingMs() const {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(end_ - Clock::now()).count();
    return left > 0 ? static_cast<int>(left < INT_MAX ? left : INT_MAX) : 0;
  }

 private:
  Clock::time_point end_;
};

}  // namespace vl
