// Smooth scaling of packed 24-bit pictures: area averaging along an axis that shrinks, bilinear
// interpolation along an axis that grows (pixel centres aligned), a plain copy along an axis that
// keeps its size. Never nearest-neighbour. The byte order inside a pixel does not matter, and
// rows are taken in memory order, so bottom-up pictures scale like top-down ones.
// Platform-neutral; tables and the row buffer are kept between calls of the same geometry, so
// scaling a stream of equal pictures allocates nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vl {

// The filter of one axis: every output position reads `taps` consecutive source positions
// starting at `start[i]`, with 8-bit fixed-point weights that add up to 256.
struct ScaleAxis {
  int source = 0, drawn = 0, offset = 0, count = 0;  // the geometry this axis was made for
  int taps = 0;
  std::vector<int> start;
  std::vector<uint16_t> weights;  // count * taps
  // The weights of output pairs (i, i + 1) spread for 16-bit lanes: for each pair and tap,
  // four copies of pixel i's weight then four of pixel i + 1's.
  std::vector<uint16_t> pair_lanes;
  int first = 0, last = 0;  // source positions any output reads: [first, last]

  // Output positions [offset, offset + count) of a drawn size `drawn` over `source` positions.
  void Build(int source, int drawn, int offset, int count);
};

class SmoothScaler {
 public:
  // Scales `src` (width x height, rows `src_stride` bytes apart) to drawn_width x drawn_height
  // and writes the out_width x out_height window whose top-left corner in the drawn picture is
  // (left, top) into `dst`. Returns false, writing nothing, on an empty picture or a window
  // outside the drawn picture.
  bool Scale(const uint8_t* src, int width, int height, ptrdiff_t src_stride, int drawn_width,
             int drawn_height, int left, int top, uint8_t* dst, int out_width, int out_height,
             ptrdiff_t dst_stride);

 private:
  ScaleAxis horizontal_, vertical_;
  std::vector<uint16_t> row_;  // one vertically filtered row, 16 bits per byte of a pixel
};

}  // namespace vl
