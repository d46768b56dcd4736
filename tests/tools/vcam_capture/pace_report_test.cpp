// Pace and drift figures of the capture tool, from made-up stamps and arrivals.
#include "tools/vcam_capture/pace_report.h"

#include <gtest/gtest.h>

namespace vl::tools {
namespace {

std::vector<PaceSample> Samples(int count, int64_t stamp_step, int64_t arrival_step_us) {
  std::vector<PaceSample> samples;
  for (int i = 0; i < count; ++i)
    samples.push_back({1000 + i * stamp_step, 50 + i * arrival_step_us});
  return samples;
}

TEST(PaceReport, StampsInStepHaveNoDriftAndAFasterSourceDriftsAhead) {
  PaceFigures f = MeasurePace(Samples(91, 333333, 33333));
  EXPECT_EQ(f.samples, 91u);
  EXPECT_NEAR(f.elapsed_s, 3.0, 0.001);
  EXPECT_NEAR(f.pace_fps, 30.0, 0.01);
  EXPECT_NEAR(f.drift_end_ms, 0.0, 0.1);
  EXPECT_NEAR(f.drift_per_minute_ms, 0.0, 1.0);  // 33.3333 against 33.333 ms
  // Samples every 31.25 ms stamped 33.33 ms apart: 2.08 ms ahead per sample.
  f = MeasurePace(Samples(97, 333333, 31250), 0);
  EXPECT_NEAR(f.pace_fps, 32.0, 0.01);
  EXPECT_NEAR(f.drift_end_ms, 96 * 2.0833, 0.1);
  EXPECT_NEAR(f.drift_max_ms, f.drift_end_ms, 0.001);
  EXPECT_NEAR(f.drift_min_ms, 0.0, 0.001);
  EXPECT_NEAR(f.drift_per_minute_ms, 60000.0 * 2.0833 / 31.25, 1.0);
  // Fewer than two samples give no figures.
  EXPECT_EQ(MeasurePace({}).samples, 0u);
  const PaceFigures one = MeasurePace({{0, 0}});
  EXPECT_EQ(one.samples, 1u);
  EXPECT_EQ(one.pace_fps, 0.0);
}

TEST(PaceReport, SkippedFramesThatCatchUpAndThePreRollAreNoDrift) {
  std::vector<PaceSample> samples = Samples(30, 333333, 33333);
  // A stall: the next sample comes five frames later and is stamped five frames later.
  samples.push_back({samples.back().start + 5 * 333333, samples.back().arrival_us + 5 * 33333});
  EXPECT_NEAR(MeasurePace(samples).drift_end_ms, 0.0, 0.1);
  // Nor the pre-roll before Run: with a graph clock the first sample is delivered before Run,
  // stamped 0, and the next ones follow stream time, which began 200 ms later.
  samples = {{0, 0}};
  for (int i = 1; i < 60; ++i) samples.push_back({i * 333333, 200000 + i * 33333});
  EXPECT_NEAR(MeasurePace(samples).drift_end_ms, 0.0, 0.1);
  EXPECT_NEAR(MeasurePace(samples, 0).drift_end_ms, -200.0, 0.1);
}

}  // namespace
}  // namespace vl::tools
