// Target size of a thumbnail scaled to fit a square bound, keeping the aspect ratio.
// Platform-neutral.
#pragma once

namespace vl {

struct FitSize {
  int width = 0;
  int height = 0;
  bool valid() const { return width > 0 && height > 0; }
};

// A width x height picture fitted into bound x bound: unchanged when it already fits and `force`
// is false, else the longer side becomes the bound and the other follows the aspect ratio
// (truncated). Each side of a result is at least 1 pixel; an empty picture or a bound below 1
// gives an invalid (0 x 0) size.
FitSize FitIntoSquare(int width, int height, int bound, bool force);

}  // namespace vl
