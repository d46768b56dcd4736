#include "media/frame_geometry.h"

namespace vl {

CoverPlan PlanCover(int width, int height, int out_width, int out_height) {
  CoverPlan plan;
  if (width <= 0 || height <= 0 || out_width <= 0 || out_height <= 0) return plan;
  if (width == out_width && height == out_height) {
    plan.drawn_width = width;
    plan.drawn_height = height;
    return plan;
  }
  const float source_aspect = static_cast<float>(width) / static_cast<float>(height);
  const float out_aspect = static_cast<float>(out_width) / static_cast<float>(out_height);
  if (source_aspect > out_aspect) {
    plan.drawn_height = out_height;
    const float drawn = static_cast<float>(out_height) * source_aspect;
    plan.drawn_width = static_cast<int>(drawn);
  } else {
    plan.drawn_width = out_width;
    const float drawn = static_cast<float>(out_width) / source_aspect;
    plan.drawn_height = static_cast<int>(drawn);
  }
  plan.x = (out_width - plan.drawn_width) / 2;
  plan.y = (out_height - plan.drawn_height) / 2;
  const bool width_equal = width == out_width, height_equal = height == out_height;
  const bool unscaled = (width_equal && !height_equal && height > out_height) ||
                        (height_equal && !width_equal && width > out_width);
  plan.mode = unscaled ? CoverMode::kCrop : CoverMode::kScale;
  return plan;
}

ContainPlan PlanContain(int image_width, int image_height, int client_width, int client_height) {
  ContainPlan plan;
  if (image_width <= 0 || image_height <= 0 || client_width <= 0 || client_height <= 0) return plan;
  const float image_aspect = static_cast<float>(image_width) / static_cast<float>(image_height);
  const float client_aspect = static_cast<float>(client_width) / static_cast<float>(client_height);
  if (client_aspect > image_aspect) {
    const float drawn = static_cast<float>(client_height) * image_aspect;
    plan.drawn_width = static_cast<int>(drawn);
    plan.drawn_height = client_height;
    plan.x = (client_width - plan.drawn_width) / 2;
  } else {
    plan.drawn_width = client_width;
    const float drawn = static_cast<float>(client_width) / image_aspect;
    plan.drawn_height = static_cast<int>(drawn);
    plan.y = (client_height - plan.drawn_height) / 2;
  }
  return plan;
}

}  // namespace vl
