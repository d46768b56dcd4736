// The frame number a measurement clip carries in its pictures, and how to read it back from any
// picture the pipeline makes of it (scaled, turned a quarter, mirrored or flipped).
//
// The code is a band across the middle of the picture, an eighth of its height, cut into
// kFrameCodeCells equal cells, each black or white:
//   white white black | 16 bits, most significant first, each as white-black (1) or
//   black-white (0) | black white
// Reading it backwards fails the start mark, so the direction is never in doubt, and every bit
// checks itself. scripts/make-clips draws it with ffmpeg; DrawFrameCode draws the same for tests.
// Platform-neutral.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vl::tools {

inline constexpr int kFrameCodeBits = 16;
inline constexpr int kFrameCodeCells = 3 + 2 * kFrameCodeBits + 2;

// A packed 24- or 32-bit picture (bytes B, G, R[, X] or R, G, B: only brightness counts), rows
// `stride` bytes apart in memory order (top-down or bottom-up alike).
struct CodedPicture {
  const uint8_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  ptrdiff_t stride = 0;
  int bytes_per_pixel = 3;
};

// The cell's colour: true for white.
bool FrameCodeCell(uint32_t number, int cell);

// The number, or -1 when no reading along the middle row or column (either direction) is a
// valid code.
int32_t ReadFrameCode(const CodedPicture& picture);

// Draws the band of `number` into a packed 24-bit picture (rows top-down, `stride` apart),
// across its width at the middle of its height.
void DrawFrameCode(uint8_t* pixels, int width, int height, ptrdiff_t stride, uint32_t number);

}  // namespace vl::tools
