// The one-pass fill against memcpy of the same output bytes: 720 x 1280 turned into 1280 x 720,
// and 1280 x 720 kept upright.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "media/frame_transform.h"
#include "media/plain_kernels.h"
#include "media/smooth_scaler.h"

namespace {

constexpr int kOutWidth = 1280, kOutHeight = 720;
constexpr size_t kOutBytes = static_cast<size_t>(kOutWidth) * kOutHeight * 3;

std::vector<uint8_t> Pattern(size_t n) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(i * 13 + (i >> 9));
  return v;
}

void BM_Memcpy(benchmark::State& state) {
  const std::vector<uint8_t> src = Pattern(kOutBytes);
  std::vector<uint8_t> dst(kOutBytes);
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), kOutBytes);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kOutBytes));
}

void Fill(benchmark::State& state, int src_w, int src_h, bool rotate, bool mirror) {
  const std::vector<uint8_t> src = Pattern(static_cast<size_t>(src_w) * src_h * 3);
  std::vector<uint8_t> dst(kOutBytes);
  const vl::RgbView in{src.data(), src_w, src_h, src_w * 3};
  const vl::BgrBottomUpView out{dst.data(), kOutWidth, kOutHeight, kOutWidth * 3};
  const vl::Orientation o{rotate, mirror, false};
  for (auto _ : state) {
    vl::FillOriented(in, o, 0, 0, out);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kOutBytes));
}

void BM_FillUpright(benchmark::State& state) {
  Fill(state, 1280, 720, false, false);
}
void BM_FillUprightMirrored(benchmark::State& state) {
  Fill(state, 1280, 720, false, true);
}
void BM_FillRotated(benchmark::State& state) {
  Fill(state, 720, 1280, true, false);
}
// The same with the portable kernels only (processors without SSSE3).
void BM_FillUprightPortable(benchmark::State& state) {
  vl::UsePlainPixelKernels(true);
  Fill(state, 1280, 720, false, false);
  vl::UsePlainPixelKernels(false);
}
void BM_FillRotatedPortable(benchmark::State& state) {
  vl::UsePlainPixelKernels(true);
  Fill(state, 720, 1280, true, false);
  vl::UsePlainPixelKernels(false);
}

// The cover scaling alone: 1920 x 1080 down and 640 x 360 up to 1280 x 720.
void Scale(benchmark::State& state, int src_w, int src_h) {
  const std::vector<uint8_t> src = Pattern(static_cast<size_t>(src_w) * src_h * 3);
  std::vector<uint8_t> dst(kOutBytes);
  vl::SmoothScaler scaler;
  for (auto _ : state) {
    scaler.Scale({src.data(), src_w, src_h, src_w * 3},
                 {kOutWidth, kOutHeight, 0, 0, dst.data(), kOutWidth, kOutHeight, kOutWidth * 3});
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kOutBytes));
}
void BM_ScaleDown1080p(benchmark::State& state) {
  Scale(state, 1920, 1080);
}
void BM_ScaleUp360p(benchmark::State& state) {
  Scale(state, 640, 360);
}

// The preview's own scaling of every new picture: the 1280 x 720 camera picture letterboxed into
// 727 x 409, widened to the 32-bit bitmap its paint copies.
void BM_PreviewScale(benchmark::State& state) {
  constexpr int kWidth = 727, kHeight = 409;
  const std::vector<uint8_t> src = Pattern(kOutBytes);
  std::vector<uint8_t> scaled(static_cast<size_t>(kWidth) * kHeight * 3);
  std::vector<uint8_t> wide(static_cast<size_t>(kWidth) * kHeight * 4);
  vl::SmoothScaler scaler;
  for (auto _ : state) {
    scaler.Scale({src.data(), kOutWidth, kOutHeight, kOutWidth * 3},
                 {kWidth, kHeight, 0, 0, scaled.data(), kWidth, kHeight, kWidth * 3});
    vl::WidenTo32Bits(scaled.data(), kWidth * 3, wide.data(), kWidth * 4, kWidth, kHeight);
    benchmark::DoNotOptimize(wide.data());
    benchmark::ClobberMemory();
  }
}

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FillUpright)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FillUprightMirrored)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FillRotated)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FillUprightPortable)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FillRotatedPortable)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScaleDown1080p)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScaleUp360p)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PreviewScale)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
