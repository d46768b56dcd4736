// A pixel rectangle (left/top inclusive, right/bottom exclusive, as a Windows RECT): the one
// rectangle of the layout maths of the main window, the widgets and the panel. Platform-neutral.
#pragma once

namespace vl {

struct PixelRect {
  int left = 0, top = 0, right = 0, bottom = 0;

  constexpr int width() const { return right - left; }
  constexpr int height() const { return bottom - top; }
  constexpr bool empty() const { return right <= left || bottom <= top; }
  constexpr bool Contains(int x, int y) const {
    return x >= left && x < right && y >= top && y < bottom;
  }
  friend constexpr bool operator==(const PixelRect& a, const PixelRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
  }
  friend constexpr bool operator!=(const PixelRect& a, const PixelRect& b) { return !(a == b); }
};

}  // namespace vl
