// H.264 decoding of the phone's video packets into packed RGB24 pictures at the phone's size.
// Runs on the stream worker's thread; only RequestStop may come from another thread.
//
// The stream is cut into NAL units (AnnexBSplitter) and the decoder takes them one by one
// (AV_CODEC_FLAG2_CHUNKS): a picture is finished when its last macroblock row is decoded, not when
// the next picture begins. A unit is complete once the next start code has arrived; the unit a
// packet ends in is decoded at the packet's end too when the phone has only ever cut its packets
// between units, as phones sending one encoded picture per packet do. Should such a phone later
// cut a unit after all, the decoder's state is rebuilt from the units since the last key frame
// and decoding goes on with the whole unit; a phone that cuts units waits for the next start code.
#pragma once

#include <atomic>
#include <cstdint>
#include <utility>
#include <vector>

#include "media/annexb_splitter.h"
#include "media/ffmpeg_ptr.h"
#include "media/i_frame_buffer.h"
#include "media/i_video_decoder.h"

namespace vl {

class H264Decoder : public IVideoDecoder {
 public:
  // Largest picture accepted: 4096 x 4096 (phones send up to 3840 x 2160).
  static constexpr int64_t kMaxPixels = 4096 * 4096;
  // Most bytes of units kept for rebuilding the decoder's state since the last key frame; beyond
  // it, a unit found cut after it was decoded costs the pictures until the next key frame.
  static constexpr size_t kMaxReplayBytes = 16 << 20;

  H264Decoder();
  ~H264Decoder() override;
  H264Decoder(const H264Decoder&) = delete;
  H264Decoder& operator=(const H264Decoder&) = delete;

  void SetSink(IFrameBuffer* sink) { sink_ = sink; }
  // 1 when the chunk was taken in; 0 when the codec could not be set up (the next chunk tries
  // again) or a stop request cut the chunk short.
  int DecodeChunk(const uint8_t* data, int32_t length) override;
  void RequestStop() override { stop_.store(true, std::memory_order_relaxed); }

 protected:
  // What happens to every decoded picture: converted to RGB24 and handed to the sink (not
  // after a stop request). Benchmarks of the decoding alone replace it.
  virtual void Deliver(const AVFrame* decoded);

 private:
  bool Init();
  // The unit the last chunk ended in was decoded as complete: the new chunk says whether it was.
  void Settle(AnnexBSplitter::Boundary boundary);
  void DecodeUnit(const NalUnit& unit);
  // Hands one unit to the codec and takes every picture that comes out.
  void Send(const NalUnit& unit);
  // A picture begins: a decoder left in the middle of an earlier one (a unit lost or damaged)
  // would refuse every picture after it, so it starts afresh; pictures resume at a key frame.
  void BeforePicture(const NalUnit& unit);
  // Keeps a decoded unit for a rebuild; `pictures_out` pictures have already come out of it.
  void Record(const NalUnit& unit, int pictures_out);
  void ForgetReplay();
  // After a unit decoded as complete turned out to be cut: the decoder's state from the units
  // since the last key frame, without that unit; pictures already delivered are not delivered
  // again.
  void Rebuild();
  // Makes the conversion context and the RGB picture for the decoded picture's size and
  // format, again whenever either changes within the run.
  bool PrepareConversion(const AVFrame* decoded);
  bool Stopped() const { return stop_.load(std::memory_order_relaxed); }

  std::atomic<bool> stop_{false};
  IFrameBuffer* sink_ = nullptr;

  const AVCodec* codec_ = nullptr;
  AvCodecContextPtr context_;
  AvPacketPtr packet_;
  AvFramePtr decoded_;
  SwsContextPtr conversion_;
  AvFramePtr rgb_;
  AvBufferPtr rgb_pixels_;
  int conv_width_ = 0, conv_height_ = 0, conv_format_ = -1;

  AnnexBSplitter splitter_;
  // How the phone cuts its packets: boundaries seen at a unit's start, and whether any packet
  // has continued a unit.
  int aligned_boundaries_ = 0;
  bool cuts_units_ = false;
  bool speculated_ = false;  // the pending unit was decoded as complete
  bool speculating_ = false;
  int provisional_pictures_ = 0;  // pictures that came out of the speculated unit

  // Pictures begun since the last picture came out (a stalled decoder stops giving pictures).
  int silent_pictures_ = 0;

  // The units decoded since the first unit of the last key frame's access unit.
  std::vector<uint8_t> replay_;
  std::vector<std::pair<size_t, size_t>> replay_units_;  // offset, size
  size_t access_unit_start_ = 0;  // index of the current access unit's first unit
  bool last_was_slice_ = false;
  bool replay_valid_ = false;  // from a key frame on, and within kMaxReplayBytes
  int pictures_since_replay_start_ = 0;
  int suppress_pictures_ = 0;  // pictures of a rebuild already delivered before it
};

}  // namespace vl
