// Clips and decoded pictures for the benchmarks.
#pragma once

#include <string>
#include <vector>

extern "C" {
#include <libavutil/frame.h>
}

namespace vl::bench {

std::vector<uint8_t> ReadClip(const std::string& name);

// The first decoded picture of a clip, kept as packed RGB24.
struct DecodedPicture {
  int width = 0, height = 0;
  std::vector<uint8_t> pixels;
  AVFrame frame{};
  const AVFrame* View();
};
DecodedPicture FirstPicture(const std::string& clip);

}  // namespace vl::bench
