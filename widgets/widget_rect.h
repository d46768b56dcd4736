// A pixel rectangle of the widgets' layout maths (left/top inclusive, right/bottom exclusive, as
// a Windows RECT). Platform-neutral.
#pragma once

namespace vl {

struct WidgetRect {
  int left = 0, top = 0, right = 0, bottom = 0;

  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool empty() const { return right <= left || bottom <= top; }
  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  friend bool operator==(const WidgetRect& a, const WidgetRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
  }
};

}  // namespace vl
