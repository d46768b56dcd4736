// Smooth scaling of packed 24-bit pictures: area averaging along an axis that shrinks, bilinear
// interpolation along an axis that grows (pixel centres aligned), a plain copy along an axis that
// keeps its size. Never nearest-neighbour. The byte order inside a pixel does not matter, and
// rows are taken in memory order, so bottom-up pictures scale like top-down ones.
// Platform-neutral; tables and the row buffer are kept between calls of the same geometry, so
// scaling a stream of equal pictures allocates nothing.
//
// On processors with SSSE3 the horizontal pass gathers the bytes of eight output values at once
// from one or two 16-byte loads of the vertically filtered row (tables of byte positions and
// weights, built once per geometry), which is also where the output's byte order and direction
// are chosen, for free. The results are the same, bit for bit, as the portable kernels'.
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
  bool reversed = false;    // output i is drawn position offset + count - 1 - i

  // Output positions [offset, offset + count) of a drawn size `drawn` over `source` positions,
  // in reverse order when `reversed`.
  void Build(int source, int drawn, int offset, int count, bool reversed = false);
};

// The horizontal pass as gathers of 8 output bytes (one 16-bit lane each): block b reads the
// 16 bytes (kLoads 2: 32 bytes) of the filtered 8-bit row from base[b] on; for each tap a
// shuffle puts each lane's source byte in its low half, and the lane's weight multiplies it.
// Per block and tap `lanes` holds kLoads masks of 16 bytes, then 8 weights.
struct ByteBlocks {
  int loads = 0;  // 0: this geometry has no gather tables (a window is wider than 32 bytes)
  int taps = 0;
  int pairs = 0;             // pairs of blocks: 16 output bytes each
  bool swap = false;         // the output's byte order asked for
  bool swapped_row = false;  // the swap is made by the vertical pass, not by the gathers
  std::vector<int32_t> base;
  std::vector<uint8_t> lanes;

  // For `axis` (a row of 8-bit values from axis.first on, with 32 readable bytes after its
  // end), the first (count * 3) / 16 * 16 output bytes; `swap` exchanges the first and third
  // byte of every output pixel.
  void Build(const ScaleAxis& axis, bool swap);
};

// The picture read: width x height pixels of 3 bytes, rows `stride` bytes apart.
struct ScaleSource {
  const uint8_t* pixels = nullptr;
  int width = 0, height = 0;
  ptrdiff_t stride = 0;
};

// What is written: the source drawn at drawn_width x drawn_height, and of that drawn picture the
// width x height window whose top-left corner is (left, top), row y at pixels + y * stride (a
// negative stride writes upwards).
struct ScaleTarget {
  int drawn_width = 0, drawn_height = 0;
  int left = 0, top = 0;
  uint8_t* pixels = nullptr;
  int width = 0, height = 0;
  ptrdiff_t stride = 0;
};

struct ScaleOptions {
  bool swap_red_blue = false;  // the first and third byte of every output pixel exchanged
  bool mirror = false;         // every output row written right to left
};

class SmoothScaler {
 public:
  // Scales `source` into `target`. Returns false, writing nothing, on an empty picture or a
  // window outside the drawn picture.
  bool Scale(const ScaleSource& source, const ScaleTarget& target,
             const ScaleOptions& options = {});

 private:
  bool ScaleWithGathers(const uint8_t* src, ptrdiff_t src_stride, uint8_t* dst,
                        ptrdiff_t dst_stride);

  ScaleAxis horizontal_, vertical_;
  ByteBlocks blocks_;
  std::vector<uint16_t> row_;       // one vertically filtered row, 16 bits per byte of a pixel
  std::vector<uint8_t> row_bytes_;  // the same as bytes, for the gathers
};

}  // namespace vl
