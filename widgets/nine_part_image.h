// Draws a picture with premultiplied alpha as nine parts into any rectangle: corners at their
// size, edges stretched along one axis, the centre in both (the scroll bar's thumb).
#pragma once

#include <windows.h>

#include "common/win/handles.h"
#include "widgets/nine_part_layout.h"

namespace vl {

class NinePartImage {
 public:
  NinePartImage() = default;
  // Takes over `bitmap`. Insets of -1 take their partner's value.
  NinePartImage(win::UniqueBitmap bitmap, NinePartInsets insets, BYTE alpha = 255);
  // Borrows `bitmap`, which must outlive this drawer.
  NinePartImage(HBITMAP bitmap, NinePartInsets insets, BYTE alpha = 255);

  void Draw(HDC dc, const RECT& dest, HDC scratch = nullptr) const;
  HBITMAP bitmap() const { return owned_ ? owned_.get() : borrowed_; }
  void set_alpha(BYTE alpha) { alpha_ = alpha; }

 private:
  win::UniqueBitmap owned_;
  HBITMAP borrowed_ = nullptr;
  NinePartInsets insets_;
  BYTE alpha_ = 255;
};

}  // namespace vl
