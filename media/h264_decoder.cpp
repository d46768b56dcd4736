#include "media/h264_decoder.h"

#include <algorithm>

extern "C" {
#include <libavutil/imgutils.h>
}

namespace vl {

H264Decoder::H264Decoder() = default;
H264Decoder::~H264Decoder() = default;

bool H264Decoder::Init() {
  if (!packet_) packet_.reset(av_packet_alloc());
  if (!packet_) return false;
  if (!codec_) codec_ = avcodec_find_decoder(AV_CODEC_ID_H264);
  if (!codec_) return false;
  if (!context_) {
    AvCodecContextPtr context(avcodec_alloc_context3(codec_));
    if (!context) return false;
    // A stream announcing a picture larger than any phone's is refused by the decoder instead
    // of making it allocate without bound.
    context->max_pixels = kMaxPixels;
    // Units one at a time; a picture is finished when its last macroblock row is decoded.
    context->flags2 |= AV_CODEC_FLAG2_CHUNKS;
    if (avcodec_open2(context.get(), codec_, nullptr) < 0) return false;
    context_ = std::move(context);
  }
  if (!decoded_) decoded_.reset(av_frame_alloc());
  return decoded_ != nullptr;
}

int H264Decoder::DecodeChunk(const uint8_t* data, int32_t length) {
  if (!Init()) return 0;
  if (data == nullptr || length <= 0) return 1;
  if (Stopped()) return 0;
  const size_t size = static_cast<size_t>(length);
  Settle(splitter_.Classify(data, size));
  splitter_.Feed(data, size, [this](const NalUnit& unit) {
    if (!Stopped()) DecodeUnit(unit);
  });
  // A phone that has so far cut its packets only between units ends this unit here too.
  if (!Stopped() && !speculated_ && aligned_boundaries_ > 0 && !cuts_units_) {
    const NalUnit pending = splitter_.Pending();
    if (nal::IsSlice(pending) && pending.size > 4) {
      speculating_ = true;
      provisional_pictures_ = 0;
      BeforePicture(pending);
      Send(pending);
      speculating_ = false;
      speculated_ = true;
    }
  }
  return Stopped() ? 0 : 1;
}

void H264Decoder::Settle(AnnexBSplitter::Boundary boundary) {
  using Boundary = AnnexBSplitter::Boundary;
  if (boundary != Boundary::kAtStart && boundary != Boundary::kInsideUnit) return;
  if (boundary == Boundary::kAtStart)
    ++aligned_boundaries_;
  else
    cuts_units_ = true;
  if (!speculated_) return;
  speculated_ = false;
  if (boundary == Boundary::kAtStart) {
    // It was complete: it joins the record, and the splitter forgets it.
    Record(splitter_.Pending(), provisional_pictures_);
    splitter_.DropPending();
  } else {
    // It was cut. The rest follows in this chunk or later ones, and the whole unit is decoded
    // once complete, on the state from before it.
    Rebuild();
  }
}

void H264Decoder::DecodeUnit(const NalUnit& unit) {
  BeforePicture(unit);
  Record(unit, 0);
  Send(unit);
}

void H264Decoder::BeforePicture(const NalUnit& unit) {
  if (!nal::BeginsPicture(unit)) return;
  // Pictures a decoder may hold back to put them in order, and the two fields of an
  // interlaced picture, one of which begins without completing a picture.
  const int allowed = context_->has_b_frames + (nal::IsIdrSlice(unit) ? 0 : 1);
  if (silent_pictures_ > allowed) {
    avcodec_flush_buffers(context_.get());
    silent_pictures_ = 0;
    ForgetReplay();  // a rebuild would meet the same damage
  }
  ++silent_pictures_;
}

void H264Decoder::Send(const NalUnit& unit) {
  packet_->data = const_cast<uint8_t*>(unit.data);
  packet_->size = static_cast<int>(unit.size);
  // A unit the codec refuses is skipped; a picture it leaves unfinished is caught by
  // BeforePicture.
  avcodec_send_packet(context_.get(), packet_.get());
  packet_->data = nullptr;
  packet_->size = 0;
  while (!Stopped() && avcodec_receive_frame(context_.get(), decoded_.get()) >= 0) {
    silent_pictures_ = 0;
    ++pictures_since_replay_start_;
    if (speculating_) ++provisional_pictures_;
    if (suppress_pictures_ > 0) {
      --suppress_pictures_;
      continue;
    }
    Deliver(decoded_.get());
  }
}

void H264Decoder::Record(const NalUnit& unit, int pictures_out) {
  if (cuts_units_) {
    // Nothing is decoded ahead of its start code any more: nothing will be rebuilt.
    if (!replay_units_.empty() || replay_valid_) ForgetReplay();
    return;
  }
  const bool slice = nal::IsSlice(unit);
  // After a slice, a unit of another kind or a slice beginning a picture opens an access unit.
  if (last_was_slice_ && (!slice || nal::BeginsPicture(unit)))
    access_unit_start_ = replay_units_.size();
  last_was_slice_ = slice;
  if (nal::IsIdrSlice(unit) && nal::BeginsPicture(unit)) {
    // A key frame: nothing before its access unit is needed any more.
    const size_t keep_from = access_unit_start_ < replay_units_.size()
                                 ? replay_units_[access_unit_start_].first
                                 : replay_.size();
    replay_.erase(replay_.begin(), replay_.begin() + static_cast<ptrdiff_t>(keep_from));
    replay_units_.erase(replay_units_.begin(),
                        replay_units_.begin() + static_cast<ptrdiff_t>(access_unit_start_));
    for (auto& kept : replay_units_) kept.first -= keep_from;
    access_unit_start_ = 0;
    replay_valid_ = true;
    pictures_since_replay_start_ = pictures_out;
  }
  if (replay_.size() + unit.size > kMaxReplayBytes) {
    ForgetReplay();
    return;
  }
  replay_units_.emplace_back(replay_.size(), unit.size);
  replay_.insert(replay_.end(), unit.data, unit.data + unit.size);
}

void H264Decoder::ForgetReplay() {
  replay_.clear();
  replay_units_.clear();
  access_unit_start_ = 0;
  replay_valid_ = false;
  pictures_since_replay_start_ = 0;
}

void H264Decoder::Rebuild() {
  avcodec_flush_buffers(context_.get());
  silent_pictures_ = 0;
  if (!replay_valid_) return;  // pictures resume at the next key frame
  suppress_pictures_ = std::max(0, pictures_since_replay_start_ - provisional_pictures_);
  pictures_since_replay_start_ = 0;
  for (const auto& [offset, size] : replay_units_) {
    if (Stopped()) break;
    const NalUnit unit{replay_.data() + offset, size};
    BeforePicture(unit);
    Send(unit);
  }
  suppress_pictures_ = 0;
}

void H264Decoder::Deliver(const AVFrame* decoded) {
  if (!PrepareConversion(decoded)) return;  // picture of a size we cannot convert
  sws_scale(conversion_.get(), decoded->data, decoded->linesize, 0, decoded->height, rgb_->data,
            rgb_->linesize);
  if (Stopped() || sink_ == nullptr) return;
  sink_->PushFrame(rgb_.get());
}

bool H264Decoder::PrepareConversion(const AVFrame* decoded) {
  if (conversion_ && decoded->width == conv_width_ && decoded->height == conv_height_ &&
      decoded->format == conv_format_)
    return true;
  conversion_.reset();
  rgb_.reset();
  rgb_pixels_.reset();
  conv_width_ = conv_height_ = 0;
  conv_format_ = -1;

  const int w = decoded->width, h = decoded->height;
  const int bytes = av_image_get_buffer_size(AV_PIX_FMT_RGB24, w, h, 1);
  if (bytes <= 0) return false;
  AvFramePtr rgb(av_frame_alloc());
  AvBufferPtr pixels(static_cast<uint8_t*>(av_malloc(static_cast<size_t>(bytes))));
  if (!rgb || !pixels) return false;
  rgb->width = w;
  rgb->height = h;
  rgb->format = AV_PIX_FMT_RGB24;
  if (av_image_fill_arrays(rgb->data, rgb->linesize, pixels.get(), AV_PIX_FMT_RGB24, w, h, 1) < 0)
    return false;
  SwsContextPtr conversion(sws_getContext(w, h, static_cast<AVPixelFormat>(decoded->format), w, h,
                                          AV_PIX_FMT_RGB24, SWS_FAST_BILINEAR, nullptr, nullptr,
                                          nullptr));
  if (!conversion) return false;
  conversion_ = std::move(conversion);
  rgb_ = std::move(rgb);
  rgb_pixels_ = std::move(pixels);
  conv_width_ = w;
  conv_height_ = h;
  conv_format_ = decoded->format;
  return true;
}

}  // namespace vl
