// Pace and drift of a captured stream, from each sample's start stamp and arrival time:
// how many samples a second arrived, and how far the stamps moved away from the clock.
// Platform-neutral.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vl::tools {

struct PaceSample {
  int64_t start = 0;       // the sample's start stamp, 100 ns units
  int64_t arrival_us = 0;  // when it arrived, microseconds on any steady clock
};

struct PaceFigures {
  size_t samples = 0;
  double elapsed_s = 0;  // first to last arrival
  double pace_fps = 0;   // samples after the first per second of elapsed time
  // Drift of a sample: how far its stamp has moved from the first measured sample's, minus how
  // far the clock has moved between their arrivals; positive when stamps run ahead of the clock.
  double drift_end_ms = 0;  // of the last sample
  double drift_min_ms = 0;
  double drift_max_ms = 0;
  // The same drift gained per minute, fitted over all samples (least squares).
  double drift_per_minute_ms = 0;
};

// The first `settle` samples count for the pace but not for the drift: with a graph clock the
// first sample is the pre-roll delivered before Run, stamped before stream time began.
inline constexpr size_t kSettleSamples = 2;
PaceFigures MeasurePace(const std::vector<PaceSample>& samples, size_t settle = kSettleSamples);

}  // namespace vl::tools
