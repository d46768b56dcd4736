// What the stream worker hands video packets to. The worker creates one decoder per run
// through its factory and destroys it at the end of the run.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace vl {

class IVideoDecoder {
 public:
  virtual ~IVideoDecoder() = default;
  // One chunk of an H.264 Annex B stream; borders need not match NAL units.
  virtual int DecodeChunk(const uint8_t* data, int32_t length) = 0;
  // Called from another thread by StreamWorker::Stop: finish the current chunk early.
  virtual void RequestStop() = 0;
};

using VideoDecoderFactory = std::function<std::unique_ptr<IVideoDecoder>()>;

}  // namespace vl
