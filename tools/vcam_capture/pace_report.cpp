#include "tools/vcam_capture/pace_report.h"

#include <algorithm>

namespace vl::tools {

PaceFigures MeasurePace(const std::vector<PaceSample>& samples, size_t settle) {
  PaceFigures f;
  f.samples = samples.size();
  if (samples.size() < 2) return f;
  f.elapsed_s = (samples.back().arrival_us - samples.front().arrival_us) / 1e6;
  if (f.elapsed_s > 0) f.pace_fps = (samples.size() - 1) / f.elapsed_s;
  if (settle + 2 > samples.size()) settle = 0;
  const PaceSample& first = samples[settle];
  double sum_t = 0, sum_d = 0, sum_tt = 0, sum_td = 0;
  for (size_t i = settle; i < samples.size(); ++i) {
    const double t_ms = (samples[i].arrival_us - first.arrival_us) / 1e3;
    const double d_ms = (samples[i].start - first.start) / 1e4 - t_ms;
    if (i == settle || d_ms < f.drift_min_ms) f.drift_min_ms = d_ms;
    if (i == settle || d_ms > f.drift_max_ms) f.drift_max_ms = d_ms;
    f.drift_end_ms = d_ms;
    sum_t += t_ms;
    sum_d += d_ms;
    sum_tt += t_ms * t_ms;
    sum_td += t_ms * d_ms;
  }
  const double n = static_cast<double>(samples.size() - settle);
  const double denominator = n * sum_tt - sum_t * sum_t;
  if (denominator > 0) f.drift_per_minute_ms = (n * sum_td - sum_t * sum_d) / denominator * 60000.0;
  return f;
}

}  // namespace vl::tools
