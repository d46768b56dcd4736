// Cost of filling one camera sample (the streaming thread does this about 30 times a second,
// besides its 30 ms sleep): exact copies, the quarter turn of portrait pictures, 32-bit
// expansion and the blue picture.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "common/dib_stride.h"
#include "vcam/sample_fill.h"

namespace {

using vl::vcam::CameraOrientation;
using vl::vcam::SampleLayout;

int Zero() {
  return 0;
}

void Fill(benchmark::State& state, int32_t src_w, int32_t src_h, SampleLayout layout,
          CameraOrientation orientation) {
  const int64_t src_stride = vl::Rgb24RowStride(src_w);
  std::vector<uint8_t> pixels(static_cast<size_t>(src_stride * src_h), 0x5A);
  const vl::vcam::FrameSize size = vl::vcam::DefaultFrameSize(orientation);
  const int bpp = layout == SampleLayout::kRgb32 ? 4 : 3;
  std::vector<uint8_t> sample(static_cast<size_t>(size.width) * size.height * bpp);
  std::vector<uint8_t> scratch;
  const vl::vcam::SampleTarget target{sample.data(), sample.size(), size.width, size.height,
                                      layout};
  const vl::vcam::SourcePicture source{pixels.data(), src_w, src_h, src_stride};
  for (auto _ : state) {
    vl::vcam::FillWithPicture(target, source, orientation, &scratch, &Zero);
    benchmark::DoNotOptimize(sample.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(sample.size()));
}

void BM_Rgb24SameSize(benchmark::State& s) {
  Fill(s, 1280, 720, SampleLayout::kRgb24, CameraOrientation::kLandscape);
}
void BM_Rgb32SameSize(benchmark::State& s) {
  Fill(s, 1280, 720, SampleLayout::kRgb32, CameraOrientation::kLandscape);
}
void BM_Rgb24PortraitTurnedIntoLandscape(benchmark::State& s) {
  Fill(s, 720, 1280, SampleLayout::kRgb24, CameraOrientation::kLandscape);
}
void BM_Rgb24LandscapeTurnedIntoPortrait(benchmark::State& s) {
  Fill(s, 1280, 720, SampleLayout::kRgb24, CameraOrientation::kPortrait);
}

void BM_BluePicture(benchmark::State& state) {
  std::vector<uint8_t> sample(1280 * 720 * 3);
  const vl::vcam::SampleTarget target{sample.data(), sample.size(), 1280, 720,
                                      SampleLayout::kRgb24};
  for (auto _ : state) {
    vl::vcam::FillWithoutPicture(target, &Zero);
    benchmark::DoNotOptimize(sample.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(sample.size()));
}

BENCHMARK(BM_Rgb24SameSize)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rgb32SameSize)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rgb24PortraitTurnedIntoLandscape)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rgb24LandscapeTurnedIntoPortrait)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BluePicture)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
