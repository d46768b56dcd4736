// The H.264 decoder fed arbitrary video payloads, cut into packets the way the phone's stream
// may cut them.
//
// Input: one byte choosing the packet size, then the bytes of the video packets.
#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" {
#include <libavutil/frame.h>
}

#include "media/h264_decoder.h"
#include "media/i_frame_buffer.h"

namespace {

// Reads the first and last byte of every row of each picture, so a picture that does not
// hold the rows it claims is caught.
class TouchingSink : public vl::IFrameBuffer {
 public:
  void PushFrame(const AVFrame* picture) override {
    if (picture->width <= 0 || picture->height <= 0) __builtin_trap();
    const uint8_t* row = picture->data[0];
    for (int y = 0; y < picture->height; ++y, row += picture->linesize[0]) {
      sum_ += row[0] + row[picture->width * 3 - 1];
    }
  }
  int IsFull() override { return 0; }
  unsigned sum_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t packet = 1 + static_cast<size_t>(data[0]) * 37;
  ++data;
  --size;
  TouchingSink sink;
  vl::H264Decoder decoder;
  decoder.SetSink(&sink);
  for (size_t offset = 0; offset < size; offset += packet) {
    const size_t length = size - offset < packet ? size - offset : packet;
    decoder.DecodeChunk(data + offset, static_cast<int32_t>(length));
  }
  return 0;
}
