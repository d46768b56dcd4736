#include "benchmarks/bench_support.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "media/h264_decoder.h"

namespace vl::bench {

std::vector<uint8_t> ReadClip(const std::string& name) {
  const std::string path = std::string(VL_CLIPS_DIR) + "/" + name + ".h264";
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("missing clip " + path + ": run scripts/make-clips");
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

const AVFrame* DecodedPicture::View() {
  frame = AVFrame{};
  frame.width = width;
  frame.height = height;
  frame.format = AV_PIX_FMT_RGB24;
  frame.data[0] = pixels.data();
  frame.linesize[0] = width * 3;
  return &frame;
}

namespace {
class FirstPictureSink : public IFrameBuffer {
 public:
  explicit FirstPictureSink(DecodedPicture* out) : out_(out) {}
  void PushFrame(const AVFrame* f) override {
    if (!out_->pixels.empty()) return;
    out_->width = f->width;
    out_->height = f->height;
    for (int y = 0; y < f->height; ++y)
      out_->pixels.insert(out_->pixels.end(),
                          f->data[0] + static_cast<ptrdiff_t>(y) * f->linesize[0],
                          f->data[0] + static_cast<ptrdiff_t>(y) * f->linesize[0] + f->width * 3);
  }
  int IsFull() override { return 0; }

 private:
  DecodedPicture* out_;
};
}  // namespace

DecodedPicture FirstPicture(const std::string& clip) {
  DecodedPicture picture;
  FirstPictureSink sink(&picture);
  H264Decoder decoder;
  decoder.SetSink(&sink);
  const std::vector<uint8_t> bytes = ReadClip(clip);
  for (size_t off = 0; off < bytes.size() && picture.pixels.empty(); off += 4096)
    decoder.DecodeChunk(bytes.data() + off,
                        static_cast<int32_t>(std::min<size_t>(4096, bytes.size() - off)));
  return picture;
}

}  // namespace vl::bench
