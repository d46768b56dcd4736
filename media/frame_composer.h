// Makes one output picture from one decoded picture: orientation, mirror and flip in one pass,
// then the cover placement (as it is, cropped, or smoothly scaled). Platform-neutral; keeps its
// scratch picture and scaler tables between pictures, so a steady stream allocates nothing.
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
  std::vector<uint8_t> oriented_;  // the oriented picture, when it must be scaled
  SmoothScaler scaler_;
};

}  // namespace vl
