#include "media/frame_composer.h"

#include <algorithm>

#include "media/frame_geometry.h"

namespace vl {
namespace {

struct Window {
  int left, top, width, height;
};

// The part of a picture P (width x height) that orientation `o` turns into the window
// [left, left + w) x [top, top + h) of the oriented picture.
Window Preimage(const Orientation& o, int width, int height, int left, int top, int w, int h) {
  const int tw = o.rotate ? height : width, th = o.rotate ? width : height;
  auto to_source = [&](int r, int c, int* pr, int* pc) {
    if (o.flip) r = th - 1 - r;
    if (o.mirror) c = tw - 1 - c;
    *pr = o.rotate ? height - 1 - c : r;  // T(r, c) = P(height - 1 - c, r)
    *pc = o.rotate ? r : c;
  };
  int r0, c0, r1, c1;
  to_source(top, left, &r0, &c0);
  to_source(top + h - 1, left + w - 1, &r1, &c1);
  return {std::min(c0, c1), std::min(r0, r1), std::abs(c1 - c0) + 1, std::abs(r1 - r0) + 1};
}

}  // namespace

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
  // Scaling commutes with turning, mirroring and flipping, so the picture is scaled first, in
  // the phone's orientation and only as far as the output shows it. The big oriented picture is
  // never made.
  int drawn_width, drawn_height;  // the drawn picture in the phone's orientation
  OrientedSize(plan.drawn_width, plan.drawn_height, orientation.rotate, &drawn_width,
               &drawn_height);
  const Window part =
      Preimage(orientation, drawn_width, drawn_height, -plan.x, -plan.y, out.width, out.height);
  if (!orientation.rotate) {
    // Unturned, the scaler writes the output itself: B,G,R, right to left when mirrored, and
    // rows bottom-up, or top-down when flipped (the output's top row is then the part's last).
    ScaleOptions options;
    options.swap_red_blue = true;
    options.mirror = orientation.mirror;
    const ptrdiff_t down = orientation.flip ? out.stride : -out.stride;
    uint8_t* first_row = orientation.flip ? out.pixels : out.pixels + (out.height - 1) * out.stride;
    return scaler_.Scale(
        {src.pixels, src.width, src.height, src.stride},
        {drawn_width, drawn_height, part.left, part.top, first_row, out.width, out.height, down},
        options);
  }
  // Turned: scaled into the scratch picture, then filled into the output in the usual one pass.
  const ptrdiff_t stride = static_cast<ptrdiff_t>(part.width) * 3;
  scaled_.resize(static_cast<size_t>(stride) * part.height);
  if (!scaler_.Scale({src.pixels, src.width, src.height, src.stride},
                     {drawn_width, drawn_height, part.left, part.top, scaled_.data(), part.width,
                      part.height, stride}))
    return false;
  const RgbView scaled{scaled_.data(), part.width, part.height, stride};
  return FillOriented(scaled, orientation, 0, 0, out);
}

}  // namespace vl
