#include "media/h264_decoder.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavutil/imgutils.h>
}

namespace vl {

H264Decoder::H264Decoder() {
  std::memset(input_, 0, sizeof(input_));
}

H264Decoder::~H264Decoder() {
  // Parser before the codec context it was used with; the rest in any order.
  parser_.reset();
  context_.reset();
}

bool H264Decoder::Init() {
  if (!packet_) packet_.reset(av_packet_alloc());
  if (!packet_) return false;
  if (!codec_) codec_ = avcodec_find_decoder(AV_CODEC_ID_H264);
  if (!codec_) return false;
  if (!parser_) parser_.reset(av_parser_init(codec_->id));
  if (!parser_) return false;
  if (!context_) {
    AvCodecContextPtr context(avcodec_alloc_context3(codec_));
    if (!context) return false;
    // A stream announcing a picture larger than any phone's is refused by the decoder instead
    // of making it allocate without bound.
    context->max_pixels = kMaxPixels;
    if (avcodec_open2(context.get(), codec_, nullptr) < 0) return false;
    context_ = std::move(context);
  }
  if (!decoded_) decoded_.reset(av_frame_alloc());
  return decoded_ != nullptr;
}

int H264Decoder::DecodeChunk(const uint8_t* data, int32_t length) {
  if (!Init()) return 0;
  int result = 1;
  for (int64_t offset = 0; length > 0 && data != nullptr && offset < length; offset += kPieceSize) {
    const int piece = static_cast<int>(std::min<int64_t>(kPieceSize, length - offset));
    std::memcpy(input_, data + offset, static_cast<size_t>(piece));
    const uint8_t* rest = input_;
    int remaining = piece;
    while (remaining > 0 && !Stopped()) {
      const int used = ParseStep(rest, remaining);
      if (used < 0 || used > remaining) {
        result = 0;
        break;
      }
      rest += used;
      remaining -= used;
      if (packet_->size > 0) {
        Decode();
      } else if (used == 0) {
        // A parser that neither consumes nor completes would loop for ever: the rest of the
        // piece is not decoded, and the caller hears so.
        result = 0;
        break;
      }
    }
    if (Stopped()) result = 0;
  }
  return result;
}

int H264Decoder::ParseStep(const uint8_t* data, int size) {
  return av_parser_parse2(parser_.get(), context_.get(), &packet_->data, &packet_->size, data, size,
                          AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
}

void H264Decoder::Decode() {
  if (avcodec_send_packet(context_.get(), packet_.get()) < 0) return;
  while (!Stopped() && avcodec_receive_frame(context_.get(), decoded_.get()) >= 0)
    Deliver(decoded_.get());
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
