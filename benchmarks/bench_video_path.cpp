// Per-picture costs of the video path: decoding alone, decoding with the RGB24 conversion, the
// frame buffer's PushFrame (fill + cover scaling), and all together. On Windows also GDI's HALFTONE
// StretchBlt of the same sizes, the scaling this path does not use, and the preview's copy of its
// scaled picture onto the screen's bitmap format.
#include <benchmark/benchmark.h>

#include <string>

#include "common/dib_stride.h"
#include "tests/media/video_test_support.h"
#include "media/h264_decoder.h"
#include "media/video_frame_buffer.h"

#ifdef _WIN32
#include <windows.h>

#include "common/win/dib.h"
#endif

namespace {

// Reports milliseconds per picture beside the time per iteration.
void PerFrame(benchmark::State& state, double frames_per_iteration) {
  state.counters["ms_per_frame"] = benchmark::Counter(
      frames_per_iteration / 1000.0,
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

class CountingSink : public vl::IFrameBuffer {
 public:
  void PushFrame(const AVFrame* f) override {
    benchmark::DoNotOptimize(f->data[0][0]);
    ++count;
  }
  int IsFull() override { return 0; }
  int count = 0;
};

// The frame buffer as the stream worker and the preview use it: every picture is queued and
// taken out again.
class DrainedBuffer : public vl::IFrameBuffer {
 public:
  void PushFrame(const AVFrame* f) override {
    buffer.PushFrame(f);
    auto frame = buffer.PopFront();
    benchmark::DoNotOptimize(frame.get());
    ++count;
  }
  int IsFull() override { return 0; }
  vl::VideoFrameBuffer buffer;
  int count = 0;
};

// The decoder without its conversion: every decoded picture is only counted.
class DecodingOnly : public vl::H264Decoder {
 public:
  int count = 0;

 protected:
  void Deliver(const AVFrame* decoded) override {
    benchmark::DoNotOptimize(decoded->data[0][0]);
    ++count;
  }
};

// The clip in packets of 64 KiB.
void Feed(vl::H264Decoder& decoder, const std::vector<uint8_t>& bytes) {
  for (size_t off = 0; off < bytes.size(); off += 65536)
    decoder.DecodeChunk(bytes.data() + off,
                        static_cast<int32_t>(std::min<size_t>(65536, bytes.size() - off)));
}

void BM_Decode(benchmark::State& state, const std::string& clip) {
  const std::vector<uint8_t> bytes = vl::test::ReadClip(clip);
  int frames = 0;
  for (auto _ : state) {
    DecodingOnly decoder;
    Feed(decoder, bytes);
    frames = decoder.count;
  }
  PerFrame(state, frames);
}

template <typename Sink>
void DecodeClip(benchmark::State& state, const std::string& clip) {
  const std::vector<uint8_t> bytes = vl::test::ReadClip(clip);
  int frames = 0;
  for (auto _ : state) {
    Sink sink;
    vl::H264Decoder decoder;
    decoder.SetSink(&sink);
    Feed(decoder, bytes);
    frames = sink.count;
  }
  PerFrame(state, frames);
}

void BM_DecodeConvert(benchmark::State& state, const std::string& clip) {
  DecodeClip<CountingSink>(state, clip);
}
void BM_WholePath(benchmark::State& state, const std::string& clip) {
  DecodeClip<DrainedBuffer>(state, clip);
}

// The first decoded picture of a clip, as the decoder made it.
class FirstPicture : public vl::H264Decoder {
 public:
  vl::AvFramePtr frame;

 protected:
  void Deliver(const AVFrame* decoded) override {
    if (!frame) frame.reset(av_frame_clone(decoded));
  }
};

vl::AvFramePtr DecodedPicture(const std::string& clip) {
  FirstPicture decoder;
  vl::test::DecodeInChunks(decoder, vl::test::ReadClip(clip), 65536);
  return std::move(decoder.frame);
}

// The RGB24 conversion of one decoded picture alone.
void BM_ConvertRgb24(benchmark::State& state, const std::string& clip) {
  const vl::AvFramePtr f = DecodedPicture(clip);
  std::vector<uint8_t> rgb(static_cast<size_t>(f->width) * f->height * 3);
  vl::SwsContextPtr sws(sws_getContext(f->width, f->height, static_cast<AVPixelFormat>(f->format),
                                       f->width, f->height, AV_PIX_FMT_RGB24, SWS_FAST_BILINEAR,
                                       nullptr, nullptr, nullptr));
  uint8_t* planes[4] = {rgb.data()};
  int strides[4] = {f->width * 3};
  for (auto _ : state) {
    sws_scale(sws.get(), f->data, f->linesize, 0, f->height, planes, strides);
    benchmark::DoNotOptimize(rgb.data());
  }
  PerFrame(state, 1);
}

void BM_PushFrame(benchmark::State& state, const std::string& clip) {
  vl::test::RgbPicture picture = vl::test::DecodePictures(clip, 1).at(0);
  vl::VideoFrameBuffer buffer;
  const AVFrame* view = picture.View();
  for (auto _ : state) {
    buffer.PushFrame(view);
    auto frame = buffer.PopFront();
    benchmark::DoNotOptimize(frame.get());
  }
  PerFrame(state, 1);
}

BENCHMARK_CAPTURE(BM_Decode, 1920x1080, std::string("landscape_1920x1080"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ConvertRgb24, 1920x1080, std::string("landscape_1920x1080"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecodeConvert, 1920x1080, std::string("landscape_1920x1080"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecodeConvert, 720x1280, std::string("portrait_720x1280"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PushFrame, 640x360, std::string("landscape_640x360"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PushFrame, 1920x1080, std::string("landscape_1920x1080"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PushFrame, 720x1280, std::string("portrait_720x1280"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WholePath, 1920x1080, std::string("landscape_1920x1080"))
    ->Unit(benchmark::kMillisecond);

#ifdef _WIN32
// GDI's smooth scaling of a width x height 24-bit DIB section onto a 1280 x 720 one.
void BM_GdiHalftone(benchmark::State& state, int width, int height) {
  auto dib = [](int w, int h, HBITMAP* bitmap) {
    uint8_t* bits = nullptr;
    *bitmap = vl::win::CreateBottomUpDib24(w, h, &bits);
    if (bits != nullptr)
      for (int64_t i = 0; i < vl::Rgb24RowStride(w) * h; ++i) bits[i] = static_cast<uint8_t>(i * 7);
  };
  HBITMAP src_bitmap = nullptr, dst_bitmap = nullptr;
  dib(width, height, &src_bitmap);
  dib(1280, 720, &dst_bitmap);
  HDC screen = GetDC(nullptr);
  HDC src_dc = CreateCompatibleDC(screen), dst_dc = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old_src = SelectObject(src_dc, src_bitmap), old_dst = SelectObject(dst_dc, dst_bitmap);
  SetStretchBltMode(dst_dc, HALFTONE);
  SetBrushOrgEx(dst_dc, 0, 0, nullptr);
  for (auto _ : state) {
    StretchBlt(dst_dc, 0, 0, 1280, 720, src_dc, 0, 0, width, height, SRCCOPY);
    GdiFlush();
  }
  SelectObject(src_dc, old_src);
  SelectObject(dst_dc, old_dst);
  DeleteDC(src_dc);
  DeleteDC(dst_dc);
  DeleteObject(src_bitmap);
  DeleteObject(dst_bitmap);
  PerFrame(state, 1);
}
// The preview's copy of its letterboxed picture (1280 x 720 shown in 727 x 522: 727 x 409) from
// a DIB section of `bits_per_pixel` bits onto a bitmap compatible with the screen, as its paint
// does. The screen's bitmaps hold 32-bit pixels: from 24 bits GDI converts at every copy.
void BM_GdiCopyToScreenBitmap(benchmark::State& state, int bits_per_pixel) {
  constexpr int kWidth = 727, kHeight = 409;
  uint8_t* bits = nullptr;
  HBITMAP picture = vl::win::CreateBottomUpDib(kWidth, kHeight, bits_per_pixel, &bits);
  if (bits != nullptr)
    for (int64_t i = 0; i < vl::DibRowStride(kWidth, bits_per_pixel) * kHeight; ++i)
      bits[i] = static_cast<uint8_t>(i * 7);
  HDC screen = GetDC(nullptr);
  HBITMAP back = CreateCompatibleBitmap(screen, kWidth, 522);
  HDC src_dc = CreateCompatibleDC(screen), dst_dc = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old_src = SelectObject(src_dc, picture), old_dst = SelectObject(dst_dc, back);
  for (auto _ : state) {
    BitBlt(dst_dc, 0, 56, kWidth, kHeight, src_dc, 0, 0, SRCCOPY);
    GdiFlush();
  }
  SelectObject(src_dc, old_src);
  SelectObject(dst_dc, old_dst);
  DeleteDC(src_dc);
  DeleteDC(dst_dc);
  DeleteObject(picture);
  DeleteObject(back);
  PerFrame(state, 1);
}
BENCHMARK_CAPTURE(BM_GdiCopyToScreenBitmap, 24bit, 24)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_CAPTURE(BM_GdiCopyToScreenBitmap, 32bit, 32)->Unit(benchmark::kMillisecond)->MinTime(1.0);

BENCHMARK_CAPTURE(BM_GdiHalftone, 640x360, 640, 360)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_CAPTURE(BM_GdiHalftone, 1920x1080, 1920, 1080)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);
#endif

}  // namespace

BENCHMARK_MAIN();
