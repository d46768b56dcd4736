#include "widgets/nine_part_layout.h"

#include <algorithm>
#include <cstdint>

namespace vl {
namespace {

// Resolves a pair of insets along one axis of `size` pixels.
void ResolvePair(int& first, int& second, int size) {
  if (first == -1) first = second;
  if (second == -1) second = first;
  first = std::max(first, 0);
  second = std::max(second, 0);
  if (first + second > size) {
    first = std::min(first, size);
    second = size - first;
  }
}

// Destination sizes of the two fixed ends along an axis of `extent` pixels.
void FitEnds(int first, int second, int extent, int& out_first, int& out_second) {
  extent = std::max(extent, 0);
  if (first + second <= extent) {
    out_first = first;
    out_second = second;
    return;
  }
  out_first = static_cast<int>(static_cast<int64_t>(extent) * first / (first + second));
  out_second = extent - out_first;
}

}  // namespace

NinePartInsets ResolveInsets(NinePartInsets insets, int picture_width, int picture_height) {
  ResolvePair(insets.left, insets.right, std::max(picture_width, 0));
  ResolvePair(insets.top, insets.bottom, std::max(picture_height, 0));
  return insets;
}

std::array<NinePiece, 9> LayOutNineParts(int picture_width, int picture_height,
                                         NinePartInsets insets, const WidgetRect& dest) {
  std::array<NinePiece, 9> pieces{};
  if (picture_width <= 0 || picture_height <= 0 || dest.empty()) return pieces;
  const NinePartInsets in = ResolveInsets(insets, picture_width, picture_height);
  int dl, dr, dt, db;
  FitEnds(in.left, in.right, dest.width(), dl, dr);
  FitEnds(in.top, in.bottom, dest.height(), dt, db);
  const int sx[4] = {0, in.left, picture_width - in.right, picture_width};
  const int sy[4] = {0, in.top, picture_height - in.bottom, picture_height};
  const int dx[4] = {dest.left, dest.left + dl, dest.right - dr, dest.right};
  const int dy[4] = {dest.top, dest.top + dt, dest.bottom - db, dest.bottom};
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) {
      NinePiece& p = pieces[row * 3 + col];
      p.source = {sx[col], sy[row], sx[col + 1], sy[row + 1]};
      p.dest = {dx[col], dy[row], dx[col + 1], dy[row + 1]};
      if (p.source.empty() || p.dest.empty()) p = NinePiece{};
    }
  }
  return pieces;
}

}  // namespace vl
