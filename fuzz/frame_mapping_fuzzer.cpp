// The shared frame section as any process in the session may have written it, read the way a
// camera reads it: its size offered at construction, then one sample filled from it.
//
// Input: one byte of choices (orientation, sample layout, a sample shorter than its type, the
// camera's own size), that size (two 32-bit numbers) when chosen, then the section's bytes
// (header and pixels); the view ends where the input ends.
#include <cstddef>
#include <cstdint>
#include <cstring>
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
  // A camera made while another picture was published: its own size follows the choices.
  const bool own_size = (choices & 16) != 0;
  const size_t skip = own_size ? 9 : 1;
  if (size < skip) return 0;
  int32_t camera_width = 0, camera_height = 0;
  if (own_size) {
    std::memcpy(&camera_width, data + 1, 4);
    std::memcpy(&camera_height, data + 5, 4);
  }
  const uint8_t* view = data + skip;
  const size_t view_size = size - skip;
  const CameraOrientation orientation =
      (choices & 1) ? CameraOrientation::kPortrait : CameraOrientation::kLandscape;
  static const int32_t kBitCounts[] = {24, 32, 16, 8};
  const int32_t bits = kBitCounts[(choices >> 1) & 3];
  const bool short_sample = (choices & 8) != 0;

  // Construction: the size offered comes from the section's header.
  const vl::MappedPicture first = vl::ReadFrameMappingHeader(view, view_size);
  const FrameSize offered = OfferedFrameSize(orientation, own_size ? camera_width : first.width,
                                             own_size ? camera_height : first.height);

  // One sample. Without a picture the sample is plain blue and nothing is read from the
  // section; skipping that fill (and the camera-sized buffer it needs) keeps the fuzzer fast.
  const vl::MappedPicture published = vl::ReadFrameMappingHeader(view, view_size);
  if (published.pixels == nullptr) return 0;
  // Everything the header promises lies inside the view.
  const int64_t needed = vl::Rgb24RowStride(published.width) * published.height;
  if (published.pixels + needed > view + view_size) __builtin_trap();

  // A buffer of exactly the type's size (or less), so any write past it is caught.
  int64_t sample_bytes = BitmapImageSize(offered.width, bits, offered.height);
  if (short_sample) sample_bytes /= 3;
  SampleTarget target;
  target.data = SampleBuffer(static_cast<size_t>(sample_bytes));
  target.size = static_cast<size_t>(sample_bytes);
  target.width = offered.width;
  target.height = offered.height;
  target.layout = LayoutForBitCount(bits);

  std::vector<uint8_t> scratch;
  FillSample(target, published, nullptr, orientation, &scratch, &FixedNoise);
  return 0;
}
