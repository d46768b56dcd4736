#include "widgets/fit_size.h"

#include <algorithm>

namespace vl {

FitSize FitIntoSquare(int width, int height, int bound, bool force) {
  if (width <= 0 || height <= 0 || bound <= 0) return {};
  if (width <= bound && height <= bound && !force) return {width, height};
  const double aspect = static_cast<double>(width) / height;
  FitSize size;
  if (aspect > 1) {
    size.width = bound;
    size.height = static_cast<int>(bound / aspect);
  } else {
    size.height = bound;
    size.width = static_cast<int>(bound * aspect);
  }
  // A very wide or tall picture would truncate its short side to nothing.
  size.width = std::max(size.width, 1);
  size.height = std::max(size.height, 1);
  return size;
}

}  // namespace vl
