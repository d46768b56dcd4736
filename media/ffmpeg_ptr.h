// Owning pointers for the FFmpeg objects of the video pipeline.
#pragma once

#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libavutil/mem.h>
#include <libswscale/swscale.h>
}

namespace vl {

struct AvCodecContextDeleter {
  void operator()(AVCodecContext* p) const { avcodec_free_context(&p); }
};
struct AvParserDeleter {
  void operator()(AVCodecParserContext* p) const { av_parser_close(p); }
};
struct AvFrameDeleter {
  void operator()(AVFrame* p) const { av_frame_free(&p); }
};
struct AvPacketDeleter {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct SwsContextDeleter {
  void operator()(SwsContext* p) const { sws_freeContext(p); }
};
struct AvFreeDeleter {
  void operator()(void* p) const { av_free(p); }
};

using AvCodecContextPtr = std::unique_ptr<AVCodecContext, AvCodecContextDeleter>;
using AvParserPtr = std::unique_ptr<AVCodecParserContext, AvParserDeleter>;
using AvFramePtr = std::unique_ptr<AVFrame, AvFrameDeleter>;
using AvPacketPtr = std::unique_ptr<AVPacket, AvPacketDeleter>;
using SwsContextPtr = std::unique_ptr<SwsContext, SwsContextDeleter>;
using AvBufferPtr = std::unique_ptr<uint8_t, AvFreeDeleter>;

}  // namespace vl
