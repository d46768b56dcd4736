#include "tests/media/video_test_support.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <utility>

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace vl::test {

std::string ClipPath(const std::string& name) {
  return std::string(VL_CLIPS_DIR) + "/" + name + ".h264";
}

std::vector<uint8_t> ReadClip(const std::string& name) {
  std::ifstream in(ClipPath(name), std::ios::binary);
  if (!in) throw std::runtime_error("missing clip " + ClipPath(name) + ": run scripts/make-clips");
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

AVFrame* RgbPicture::View() {
  frame = AVFrame{};
  frame.width = width;
  frame.height = height;
  frame.format = AV_PIX_FMT_RGB24;
  frame.data[0] = pixels.data();
  frame.linesize[0] = width * 3;
  return &frame;
}

void RecordingSink::PushFrame(const AVFrame* picture) {
  entries.push_back({picture->width, picture->height, picture->format, picture->linesize[0],
                     PictureHash(picture)});
  if (pictures.size() < keep_pixels_) {
    RgbPicture copy;
    copy.width = picture->width;
    copy.height = picture->height;
    copy.pixels.resize(static_cast<size_t>(copy.width) * copy.height * 3);
    for (int y = 0; y < copy.height; ++y)
      std::copy_n(picture->data[0] + static_cast<ptrdiff_t>(y) * picture->linesize[0],
                  copy.width * 3, copy.pixels.begin() + static_cast<ptrdiff_t>(y) * copy.width * 3);
    pictures.push_back(std::move(copy));
  }
  if (on_picture) on_picture(entries.size());
}

uint64_t PictureHash(const AVFrame* f) {
  uint64_t hash = 1469598103934665603ull;
  auto mix = [&](uint64_t v) { hash = (hash ^ v) * 1099511628211ull; };
  mix(static_cast<uint64_t>(f->width));
  mix(static_cast<uint64_t>(f->height));
  mix(static_cast<uint64_t>(f->format));
  const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(f->format));
  for (int plane = 0; d != nullptr && plane < 4 && f->data[plane] != nullptr; ++plane) {
    const int w = plane == 0 ? f->width : AV_CEIL_RSHIFT(f->width, d->log2_chroma_w);
    const int h = plane == 0 ? f->height : AV_CEIL_RSHIFT(f->height, d->log2_chroma_h);
    for (int y = 0; y < h; ++y) {
      const uint8_t* row = f->data[plane] + static_cast<ptrdiff_t>(y) * f->linesize[plane];
      for (int x = 0; x < w; ++x) mix(row[x]);
    }
  }
  return hash;
}

std::vector<uint64_t> ReferencePictureHashes(const std::vector<uint8_t>& stream) {
  std::vector<uint64_t> hashes;
  const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_H264);
  AvCodecContextPtr context(avcodec_alloc_context3(codec));
  AvParserPtr parser(av_parser_init(AV_CODEC_ID_H264));
  AvFramePtr frame(av_frame_alloc());
  AvPacketPtr packet(av_packet_alloc());
  if (!context || !parser || !frame || !packet || avcodec_open2(context.get(), codec, nullptr) < 0)
    throw std::runtime_error("FFmpeg's H.264 decoder cannot be opened");
  auto decode = [&](const uint8_t* data, int size) {
    packet->data = const_cast<uint8_t*>(data);
    packet->size = size;
    avcodec_send_packet(context.get(), size > 0 ? packet.get() : nullptr);
    while (avcodec_receive_frame(context.get(), frame.get()) >= 0)
      hashes.push_back(PictureHash(frame.get()));
  };
  std::vector<uint8_t> padded(stream);
  padded.resize(stream.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
  const uint8_t* rest = padded.data();
  int remaining = static_cast<int>(stream.size());
  bool last = false;
  do {
    last = remaining == 0;  // a call without input hands over the final picture
    uint8_t* out = nullptr;
    int out_size = 0;
    const int used = av_parser_parse2(parser.get(), context.get(), &out, &out_size, rest, remaining,
                                      AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
    if (used < 0 || (used == 0 && out_size == 0 && !last)) break;
    rest += used;
    remaining -= used;
    if (out_size > 0) decode(out, out_size);
  } while (!last);
  decode(nullptr, 0);  // drain
  return hashes;
}

void DecodeInChunks(H264Decoder& decoder, const std::vector<uint8_t>& bytes, size_t chunk) {
  for (size_t off = 0; off < bytes.size(); off += chunk)
    decoder.DecodeChunk(bytes.data() + off,
                        static_cast<int32_t>(std::min(chunk, bytes.size() - off)));
}

std::vector<RgbPicture> DecodePictures(const std::string& clip, size_t count) {
  RecordingSink sink(count);
  H264Decoder decoder;
  decoder.SetSink(&sink);
  DecodeInChunks(decoder, ReadClip(clip), 4096);
  return std::move(sink.pictures);
}

namespace {
// The corner colours of a w x h picture whose pixel (x, y), top-down, `at` gives: the average of
// an 8 x 8 block well inside each corner block (a fifth of each dimension in the clips), named
// 'R', 'G', 'B', 'Y', or '?' when none is close.
template <typename At>
std::string CornersOf(int w, int h, At at) {
  auto colour = [&](int cx, int cy) {
    int sum[3] = {};
    for (int y = cy - 4; y < cy + 4; ++y)
      for (int x = cx - 4; x < cx + 4; ++x)
        for (int k = 0; k < 3; ++k) sum[k] += at(x, y, k);
    static const std::pair<char, Rgb> kColours[] = {
        {'R', {255, 0, 0}}, {'G', {0, 255, 0}}, {'B', {0, 0, 255}}, {'Y', {255, 255, 0}}};
    for (const auto& [name, c] : kColours)
      if (std::abs(sum[0] / 64 - c.r) < 40 && std::abs(sum[1] / 64 - c.g) < 40 &&
          std::abs(sum[2] / 64 - c.b) < 40)
        return name;
    return '?';
  };
  const int dx = std::max(8, w / 20), dy = std::max(8, h / 20);
  return {colour(dx, dy), colour(w - 1 - dx, dy), colour(w - 1 - dx, h - 1 - dy),
          colour(dx, h - 1 - dy)};
}
}  // namespace

std::string Corners(const RgbPicture& p) {
  return CornersOf(p.width, p.height, [&](int x, int y, int k) { return p.At(x, y)[k]; });
}
std::string Corners(const VideoFrame& f) {  // bottom-up BGR
  return CornersOf(f.width(), f.height(), [&](int x, int y, int k) {
    return f.bits()[(f.height() - 1 - y) * f.stride() + x * 3 + 2 - k];
  });
}

}  // namespace vl::test
