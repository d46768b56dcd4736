// The sink of decoded pictures: the decoder hands every RGB24 picture to it.
#pragma once

struct AVFrame;

namespace vl {

class IFrameBuffer {
 public:
  virtual ~IFrameBuffer() = default;
  // Converts and queues the picture during the call; the caller keeps the picture and
  // overwrites it afterwards.
  virtual void PushFrame(const AVFrame* picture) = 0;
  // 1 when the queue is full, else 0.
  virtual int IsFull() = 0;
};

}  // namespace vl
