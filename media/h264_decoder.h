// H.264 decoding of the phone's video packets into packed RGB24 pictures at the phone's size.
// Runs on the stream worker's thread; only RequestStop may come from another thread.
#pragma once

#include <atomic>
#include <cstdint>

#include "media/ffmpeg_ptr.h"
#include "media/i_frame_buffer.h"
#include "media/i_video_decoder.h"

namespace vl {

class H264Decoder : public IVideoDecoder {
 public:
  // Input is parsed in pieces of this many bytes.
  static constexpr int kPieceSize = 4096;
  // Largest picture accepted: 4096 x 4096 (phones send up to 3840 x 2160).
  static constexpr int64_t kMaxPixels = 4096 * 4096;

  H264Decoder();
  ~H264Decoder() override;
  H264Decoder(const H264Decoder&) = delete;
  H264Decoder& operator=(const H264Decoder&) = delete;

  void SetSink(IFrameBuffer* sink) { sink_ = sink; }
  // 1 when the whole chunk went through the parser; 0 when it did not (a parser error, a parser
  // step that made no progress, or a stop request).
  int DecodeChunk(const uint8_t* data, int32_t length) override;
  void RequestStop() override { stop_.store(true, std::memory_order_relaxed); }

 protected:
  // One step of the parser over `size` bytes: the bytes it consumed (negative on an error),
  // with a completed packet left in packet_ (size 0 when none is complete yet).
  virtual int ParseStep(const uint8_t* data, int size);

  // What happens to every decoded picture: converted to RGB24 and handed to the sink (not
  // after a stop request). Benchmarks of the decoding alone replace it.
  virtual void Deliver(const AVFrame* decoded);

  AvPacketPtr packet_;

 private:
  bool Init();
  void Decode();
  // Makes the conversion context and the RGB picture for the decoded picture's size and
  // format, again whenever either changes within the run.
  bool PrepareConversion(const AVFrame* decoded);
  bool Stopped() const { return stop_.load(std::memory_order_relaxed); }

  std::atomic<bool> stop_{false};
  IFrameBuffer* sink_ = nullptr;
  // Each piece is copied here; the zeroed tail is the padding the parser may read past the data.
  uint8_t input_[kPieceSize + AV_INPUT_BUFFER_PADDING_SIZE];

  const AVCodec* codec_ = nullptr;
  AvCodecContextPtr context_;
  AvParserPtr parser_;
  AvFramePtr decoded_;
  SwsContextPtr conversion_;
  AvFramePtr rgb_;
  AvBufferPtr rgb_pixels_;
  int conv_width_ = 0, conv_height_ = 0, conv_format_ = -1;
};

}  // namespace vl
