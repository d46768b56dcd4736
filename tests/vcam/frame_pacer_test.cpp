// The camera's pace against a simulated Windows clock: a sleep rounds up to the next tick of
// 15.6 ms and filling a sample costs a few milliseconds, yet over ten minutes every sample's
// stamp stays within one frame of the clock and the pace stays at 30 samples a second.
#include "vcam/frame_pacer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>

#include "vcam/camera_format.h"

namespace vl::vcam {
namespace {

constexpr int64_t kFrame = kFrameDuration;           // 100 ns units
constexpr int64_t kTick = 156250;                    // Windows' default timer: 15.625 ms
constexpr int64_t kTenMinutes = 600LL * 10000000LL;  // 100 ns units

// Stream time that only moves when the source sleeps or works.
struct CoarseClock {
  // Sleep(ms) as Windows does it: at least the time asked, ending on a timer tick.
  void Sleep(int64_t duration) {
    const int64_t ms = (duration + 9999) / 10000;
    const int64_t wake = now + ms * 10000;
    now = (wake + kTick - 1) / kTick * kTick;
  }
  void Work(int64_t duration) { now += duration; }
  int64_t now = 12345;  // not on a tick
};

struct PaceFigures {
  int64_t samples = 0;
  int64_t worst_behind = 0;  // clock minus stamp, at the moment the sample is taken
  int64_t worst_ahead = 0;   // stamp minus clock
  int64_t last_stamp = 0;
  int64_t skipped = 0;
};

// Runs the camera's loop for ten minutes of stream time: wait until due, take, fill.
PaceFigures RunTenMinutes(int64_t min_work, int64_t max_work, int64_t stall_every = 0,
                          int64_t stall = 0) {
  CoarseClock clock;
  FramePacer pacer(kFrame);
  std::mt19937 random(7);
  std::uniform_int_distribution<int64_t> work(min_work, max_work);
  PaceFigures f;
  const int64_t origin = clock.now;
  int64_t previous = -1;
  while (clock.now - origin < kTenMinutes) {
    const int64_t wait = pacer.TimeUntilDue(clock.now - origin);
    if (wait > 0) clock.Sleep(wait);
    const int64_t now = clock.now - origin;
    const int64_t stamp = pacer.Take(now);
    EXPECT_GT(stamp, previous);
    previous = stamp;
    f.worst_behind = std::max(f.worst_behind, now - stamp);
    f.worst_ahead = std::max(f.worst_ahead, stamp - now);
    f.last_stamp = stamp;
    ++f.samples;
    clock.Work(work(random));
    if (stall_every > 0 && f.samples % stall_every == 0) clock.Work(stall);
  }
  f.skipped = pacer.skipped();
  return f;
}

// Fills of 1 to 8 ms: 30 samples a second, none lost, none before its time. Every 100th fill
// stalling for a quarter of a second (a busy machine, a paging capture program): the missed frames
// are skipped instead of bursting late stamps. Fills longer than a frame (a huge sample on a slow
// machine): fewer samples, but their stamps are those of the clock.
TEST(FramePacer, StampsStayWithinOneFrameOfACoarseTimerAndStepByOneFrameFromZero) {
  const PaceFigures quick = RunTenMinutes(10000, 80000);
  EXPECT_LT(quick.worst_behind, kFrame);
  EXPECT_LE(quick.worst_ahead, 0);
  EXPECT_NEAR(static_cast<double>(quick.samples), 18000.0, 2.0);  // 30 a second for ten minutes
  EXPECT_EQ(quick.skipped, 0);
  EXPECT_NEAR(static_cast<double>(quick.last_stamp), static_cast<double>(kTenMinutes), kFrame);
  const PaceFigures stalls = RunTenMinutes(10000, 80000, 100, 2500000);
  EXPECT_LT(stalls.worst_behind, kFrame);
  EXPECT_GT(stalls.skipped, 0);
  EXPECT_NEAR(static_cast<double>(stalls.last_stamp), static_cast<double>(kTenMinutes), kFrame);
  const PaceFigures slow = RunTenMinutes(400000, 500000);
  EXPECT_LT(slow.worst_behind, kFrame);
  EXPECT_LT(slow.samples, 18000);
  EXPECT_GT(slow.skipped, 0);
  // Stamps step by one frame from zero and restart; a new clock continues without going back.
  FramePacer pacer(kFrame);
  EXPECT_EQ(pacer.TimeUntilDue(0), 0);
  EXPECT_EQ(pacer.Take(0), 0);
  EXPECT_EQ(pacer.TimeUntilDue(100000), kFrame - 100000);
  EXPECT_EQ(pacer.Take(kFrame), kFrame);
  EXPECT_EQ(pacer.Take(kFrame + 10), 2 * kFrame);  // early takes keep the step
  // Exactly one frame late (frame 3 due at 3 frames, taken at 4): frame 3's stamp would be a
  // whole frame behind the clock, so it is skipped.
  EXPECT_EQ(pacer.Take(4 * kFrame), 4 * kFrame);
  EXPECT_EQ(pacer.skipped(), 1);
  EXPECT_EQ(pacer.Take(6 * kFrame - 1), 5 * kFrame);  // just under a frame late: kept
  EXPECT_EQ(pacer.skipped(), 1);
  pacer.Restart();
  EXPECT_EQ(pacer.Take(5 * kFrame + 7), 5 * kFrame);  // late from the start: caught up

  FramePacer clocked(kFrame);
  EXPECT_EQ(clocked.Take(0), 0);  // a sample before the graph runs
  // The graph runs with a start time 200 ms ahead: its stream time is negative at first.
  clocked.Resync(-2000000);
  EXPECT_EQ(clocked.TimeUntilDue(-2000000), 2000000 + kFrame);
  EXPECT_EQ(clocked.Take(kFrame), kFrame);  // never a second stamp 0
  // A clock further on: the next sample is the first one not yet due there.
  clocked.Resync(10 * kFrame + 1);
  EXPECT_EQ(clocked.TimeUntilDue(10 * kFrame + 1), kFrame - 1);
  EXPECT_EQ(clocked.Take(11 * kFrame), 11 * kFrame);
  EXPECT_EQ(clocked.skipped(), 0);  // a new clock is not a late source
}

}  // namespace
}  // namespace vl::vcam
