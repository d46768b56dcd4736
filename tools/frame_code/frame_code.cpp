#include "tools/frame_code/frame_code.h"

#include <algorithm>
#include <vector>

namespace vl::tools {
namespace {

// Brightness of one pixel (any byte order: the three colour bytes count alike).
int Brightness(const CodedPicture& p, int x, int y) {
  const uint8_t* q = p.pixels + y * p.stride + static_cast<ptrdiff_t>(x) * p.bytes_per_pixel;
  return (q[0] + q[1] + q[2]) / 3;
}

// Reads the cells along one line of `length` pixels; `at(i, across)` gives the brightness of
// pixel i along the line, `across` pixels to one side of it. Returns the number or -1.
template <typename At>
int32_t ReadLine(int length, bool backwards, const At& at) {
  if (length < kFrameCodeCells * 4) return -1;
  bool white[kFrameCodeCells];
  for (int cell = 0; cell < kFrameCodeCells; ++cell) {
    // The middle half of the cell, a few lines thick: blur and block edges stay outside.
    const int begin =
        static_cast<int>(static_cast<int64_t>(length) * (4 * cell + 1) / (4 * kFrameCodeCells));
    const int end =
        static_cast<int>(static_cast<int64_t>(length) * (4 * cell + 3) / (4 * kFrameCodeCells));
    int sum = 0, count = 0;
    for (int i = begin; i <= end; ++i)
      for (int across = -2; across <= 2; ++across) {
        const int pos = backwards ? length - 1 - i : i;
        sum += at(pos, across);
        ++count;
      }
    const int level = sum / std::max(1, count);
    if (level > 80 && level < 176) return -1;  // neither black nor white: not a code
    white[cell] = level >= 128;
  }
  if (!white[0] || !white[1] || white[2]) return -1;
  if (white[kFrameCodeCells - 2] || !white[kFrameCodeCells - 1]) return -1;
  uint32_t number = 0;
  for (int bit = 0; bit < kFrameCodeBits; ++bit) {
    const bool a = white[3 + 2 * bit], b = white[4 + 2 * bit];
    if (a == b) return -1;
    number = (number << 1) | (a ? 1u : 0u);
  }
  return static_cast<int32_t>(number);
}

}  // namespace

bool FrameCodeCell(uint32_t number, int cell) {
  if (cell < 3) return cell < 2;
  if (cell >= kFrameCodeCells - 2) return cell == kFrameCodeCells - 1;
  const int bit = (cell - 3) / 2;
  const bool one = ((number >> (kFrameCodeBits - 1 - bit)) & 1u) != 0;
  return ((cell - 3) % 2 == 0) == one;
}

int32_t ReadFrameCode(const CodedPicture& p) {
  if (p.pixels == nullptr || p.width < 8 || p.height < 8 ||
      (p.bytes_per_pixel != 3 && p.bytes_per_pixel != 4))
    return -1;
  const int mid_y = p.height / 2, mid_x = p.width / 2;
  auto clamp_y = [&](int y) { return std::clamp(y, 0, p.height - 1); };
  auto clamp_x = [&](int x) { return std::clamp(x, 0, p.width - 1); };
  for (bool backwards : {false, true}) {
    const int32_t row = ReadLine(p.width, backwards, [&](int i, int across) {
      return Brightness(p, i, clamp_y(mid_y + across));
    });
    if (row >= 0) return row;
    const int32_t column = ReadLine(p.height, backwards, [&](int i, int across) {
      return Brightness(p, clamp_x(mid_x + across), i);
    });
    if (column >= 0) return column;
  }
  return -1;
}

void DrawFrameCode(uint8_t* pixels, int width, int height, ptrdiff_t stride, uint32_t number) {
  const int top = height * 7 / 16, bottom = top + height / 8;
  for (int y = top; y < bottom; ++y) {
    uint8_t* row = pixels + y * stride;
    for (int x = 0; x < width; ++x) {
      const int cell = static_cast<int>(static_cast<int64_t>(x) * kFrameCodeCells / width);
      const uint8_t v = FrameCodeCell(number, cell) ? 255 : 0;
      row[x * 3] = row[x * 3 + 1] = row[x * 3 + 2] = v;
    }
  }
}

}  // namespace vl::tools
