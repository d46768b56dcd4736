// The shared frame section as any process in the session may have written it, read the way a
// camera reads it: its size offered at construction, then one sample filled from it.
//
// Input: one byte of choices (orientation, sample layout, a sample shorter than its type), then
// the section's bytes (header and pixels); the view ends where the input ends.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "common/dib_stride.h"
#include "media/frame_mapping_layout.h"
#include "vcam/camera_format.h"
#include "vcam/framework/bitmap_math.h"
#include "vcam/sample_fill.h"

namespace {

int FixedNoise() {
  return 0x5A;
}

// Sample buffers of exactly the size asked for (so a write past one is caught), kept between
// runs: making a camera-sized buffer for every input would be most of the fuzzer's time.
uint8_t* SampleBuffer(size_t size) {
  static std::map<size_t, std::unique_ptr<uint8_t[]>> buffers;
  static size_t held = 0;
  auto found = buffers.find(size);
  if (found != buffers.end()) return found->second.get();
  if (held + size > (256u << 20)) {
    buffers.clear();
    held = 0;
  }
  held += size;
  return (buffers[size] = std::unique_ptr<uint8_t[]>(new uint8_t[size > 0 ? size : 1])).get();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vl::vcam;
  if (size < 1) return 0;
  const uint8_t choices = data[0];
  const uint8_t* view = data + 1;
  const size_t view_size = size - 1;
  const CameraOrientation orientation =
      (choices & 1) ? CameraOrientation::kPortrait : CameraOrientation::kLandscape;
  static const int32_t kBitCounts[] = {24, 32, 16, 8};
  const int32_t bits = kBitCounts[(choices >> 1) & 3];
  const bool short_sample = (choices & 8) != 0;

  // Construction: the size offered comes from the section's header.
  const vl::MappedPicture first = vl::ReadFrameMappingHeader(view, view_size);
  const FrameSize offered = OfferedFrameSize(orientation, first.width, first.height);

  // One sample: a buffer of exactly the type's size (or less), so any write past it is caught.
  int64_t sample_bytes = BitmapImageSize(offered.width, bits, offered.height);
  if (short_sample) sample_bytes /= 3;
  SampleTarget target;
  target.data = SampleBuffer(static_cast<size_t>(sample_bytes));
  target.size = static_cast<size_t>(sample_bytes);
  target.width = offered.width;
  target.height = offered.height;
  target.layout = LayoutForBitCount(bits);

  const vl::MappedPicture published = vl::ReadFrameMappingHeader(view, view_size);
  // Without a picture the sample is plain blue and nothing is read from the section; skipping
  // that fill keeps the fuzzer fast.
  if (published.pixels == nullptr) return 0;
  // Everything the header promises lies inside the view.
  const int64_t needed = vl::Rgb24RowStride(published.width) * published.height;
  if (published.pixels + needed > view + view_size) __builtin_trap();
  std::vector<uint8_t> scratch;
  FillSample(target, published, nullptr, orientation, &scratch, &FixedNoise);
  return 0;
}
