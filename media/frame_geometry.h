// Placement maths of the video pipeline: how an oriented picture covers the output picture, and
// how the output picture fits ("contain", letterboxed) into the preview. Platform-neutral.
#pragma once

namespace vl {

enum class CoverMode {
  kIdentical,  // same size as the output: taken as it is
  kCrop,       // drawn at its own size, the overflow of one dimension cropped equally
  kScale,      // scaled to the drawn size (covering the output), overflow cropped
};

struct CoverPlan {
  CoverMode mode = CoverMode::kIdentical;
  int drawn_width = 0;
  int drawn_height = 0;
  int x = 0;  // where the drawn picture's top-left corner lands in the output: zero or negative
  int y = 0;
};

// Cover placement of a width x height picture over an output of out_width x out_height.
// Aspects are single-precision ratios and drawn sizes truncated, so placements match pixel for
// pixel what the camera pictures have always looked like.
CoverPlan PlanCover(int width, int height, int out_width, int out_height);

struct ContainPlan {
  int drawn_width = 0;
  int drawn_height = 0;
  int x = 0;  // zero or positive: black bars around the picture
  int y = 0;
};

// Letterboxed placement of an image_width x image_height picture in a client area.
ContainPlan PlanContain(int image_width, int image_height, int client_width, int client_height);

}  // namespace vl
