#include "media/frame_composer.h"

#include "media/frame_geometry.h"

namespace vl {

bool FrameComposer::Compose(const RgbView& src, const Orientation& orientation,
                            const BgrBottomUpView& out) {
  if (src.pixels == nullptr || src.width <= 0 || src.height <= 0) return false;
  int width, height;
  OrientedSize(src.width, src.height, orientation.rotate, &width, &height);
  const CoverPlan plan = PlanCover(width, height, out.width, out.height);
  switch (plan.mode) {
    case CoverMode::kIdentical:
      return FillOriented(src, orientation, 0, 0, out);
    case CoverMode::kCrop:
      return FillOriented(src, orientation, -plan.x, -plan.y, out);
    case CoverMode::kScale:
      break;
  }
  const ptrdiff_t stride = (static_cast<ptrdiff_t>(width) * 3 + 3) / 4 * 4;
  oriented_.resize(static_cast<size_t>(stride) * height);
  const BgrBottomUpView oriented{oriented_.data(), width, height, stride};
  if (!FillOriented(src, orientation, 0, 0, oriented)) return false;
  // Both pictures are bottom-up: the drawn picture's rows [-y, -y + out height) counted from
  // the top are, counted in memory order, the rows from drawn height + y - out height on.
  const int top_in_memory = plan.drawn_height + plan.y - out.height;
  return scaler_.Scale(oriented.pixels, width, height, stride, plan.drawn_width, plan.drawn_height,
                       -plan.x, top_in_memory, out.pixels, out.width, out.height, out.stride);
}

}  // namespace vl
