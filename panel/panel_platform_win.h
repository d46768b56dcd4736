// The panel on Windows: every control gets its window class, pictures decode with GDI+, and the
// built-in pictures of the items (circle mask, pencil, frame, marks) are decoded once and shared
// by all items instead of once per item, which a panel of hundreds of items would feel.
#pragma once

#include <windows.h>

#include <memory>

#include "common/win/handles.h"
#include "panel/i_panel_platform.h"

namespace vl {

// A phone's picture, fitted to its item and ready for AlphaBlend (premultiplied alpha).
class GdiPanelPicture : public PanelPicture {
 public:
  GdiPanelPicture(win::UniqueBitmap bitmap, int32_t width, int32_t height)
      : bitmap_(std::move(bitmap)), width_(width), height_(height) {}
  int32_t width() const override { return width_; }
  int32_t height() const override { return height_; }
  HBITMAP bitmap() const { return bitmap_.get(); }

 private:
  win::UniqueBitmap bitmap_;
  int32_t width_;
  int32_t height_;
};

// The items' built-in pictures, each loaded at first use; null when it cannot be (the item
// then paints without that decoration).
class PanelPictures {
 public:
  HBITMAP circle_mask() const { return Get(kCircleMaskSlot); }
  HBITMAP edit_mark() const { return Get(kEditMarkSlot); }
  HBITMAP decor_frame() const { return Get(kDecorFrameSlot); }
  HBITMAP check_mark() const { return Get(kCheckMarkSlot); }
  HBITMAP adjust_mark() const { return Get(kAdjustMarkSlot); }

 private:
  enum Slot { kCircleMaskSlot, kEditMarkSlot, kDecorFrameSlot, kCheckMarkSlot, kAdjustMarkSlot };
  HBITMAP Get(Slot slot) const;
  mutable win::UniqueBitmap bitmaps_[5];
  mutable bool tried_[5] = {};
};

class PanelPlatformWin : public IPanelPlatform {
 public:
  std::unique_ptr<IControlView> MakeView(DUICtrl& control) override;
  std::unique_ptr<PanelPicture> DecodePicture(const uint8_t* data, size_t size,
                                              int32_t bound) override;
  const PanelPictures& pictures() const { return pictures_; }

 private:
  PanelPictures pictures_;
};

}  // namespace vl
