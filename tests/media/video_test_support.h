// Helpers of the video pipeline tests: clips, decoding them, and reading colours of pictures.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "media/h264_decoder.h"
#include "media/i_frame_buffer.h"
#include "media/video_frame.h"

extern "C" {
#include <libavutil/frame.h>
}

namespace vl::test {

// Path of a clip made by scripts/make-clips ("landscape_1280x720" and so on).
std::string ClipPath(const std::string& name);
std::vector<uint8_t> ReadClip(const std::string& name);

// A copy of one decoded RGB24 picture.
struct RgbPicture {
  int width = 0, height = 0;
  std::vector<uint8_t> pixels;  // rows top-down, width * 3 bytes each
  const uint8_t* At(int x, int y) const {
    return &pixels[(static_cast<size_t>(y) * width + x) * 3];
  }
  // An AVFrame that views the pixels (for PushFrame).
  AVFrame* View();
  AVFrame frame{};
};

// Sink that records what the decoder delivers.
class RecordingSink : public IFrameBuffer {
 public:
  explicit RecordingSink(size_t keep_pixels = 0) : keep_pixels_(keep_pixels) {}
  void PushFrame(const AVFrame* picture) override;
  int IsFull() override { return 0; }

  struct Entry {
    int width, height, format, stride;
    uint64_t hash;
  };
  std::vector<Entry> entries;
  std::vector<RgbPicture> pictures;        // the first keep_pixels pictures
  std::function<void(size_t)> on_picture;  // called with the count after each picture

 private:
  size_t keep_pixels_;
};

// Fingerprint of a decoded picture: its size and the visible part of its planes, to compare the
// pictures of one stream decoded in different ways.
uint64_t PictureHash(const AVFrame* decoded);

// The pictures of a whole stream as FFmpeg's own parser and decoder make them, the stream's end
// drained: the reference for every way of feeding the stream to H264Decoder.
std::vector<uint64_t> ReferencePictureHashes(const std::vector<uint8_t>& stream);

// Decodes `bytes` in chunks of `chunk` bytes into `sink`.
void DecodeInChunks(H264Decoder& decoder, const std::vector<uint8_t>& bytes, size_t chunk);

// The first `count` pictures of a clip.
std::vector<RgbPicture> DecodePictures(const std::string& clip, size_t count);

struct Rgb {
  int r, g, b;
};
// The corner colours of a picture, clockwise from the top-left, e.g. "RGYB" for the clips.
std::string Corners(const RgbPicture& picture);
std::string Corners(const VideoFrame& frame);

}  // namespace vl::test
