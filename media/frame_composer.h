// Makes one output picture from one decoded picture: orientation, mirror, flip, R,G,B -> B,G,R
// and bottom-up rows in one pass, with the cover placement (as it is, cropped, or smoothly
// scaled; scaling happens before the pass, on the part of the picture the output shows).
// Platform-neutral; keeps its scratch picture and scaler tables between pictures, so a steady
// stream allocates nothing.
#pragma once

#include <vector>

#include "media/frame_transform.h"
#include "media/smooth_scaler.h"

namespace vl {

class FrameComposer {
 public:
  // Fills `out` (its size is the output size) from `src`. False when a view is unusable.
  bool Compose(const RgbView& src, const Orientation& orientation, const BgrBottomUpView& out);

 private:
  std::vector<uint8_t> scaled_;  // the shown part of the scaled picture, phone's orientation
  SmoothScaler scaler_;
};

}  // namespace vl
