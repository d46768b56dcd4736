// An image button that also shows an icon, optionally spinning (10 degrees every 30 ms, a turn in
// about 1.1 s), and a text: the main window's connect button.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>

#include "widgets/image_button.h"

namespace vl {

class LoadingButton : public ImageButton {
 public:
  static constexpr UINT_PTR kSpinTimer = 2;
  static constexpr UINT kSpinPeriodMs = 30;
  static constexpr int kSpinStep = 10;

  ~LoadingButton() override;

  // The icon from a "PNG" resource (0: none) and whether it spins; the angle starts again at 0.
  void SetIcon(int png_id, bool spin);
  void SetIconImage(std::unique_ptr<Gdiplus::Bitmap> icon, bool spin);
  void SetText(const char* text) { SetCaption(text); }
  const std::string& text() const { return caption(); }
  void SetTextColor(COLORREF color);

  bool spinning() const { return spin_; }
  int angle() const { return angle_; }
  bool has_icon() const { return icon_ != nullptr; }

  void Draw(HDC dc, const RECT& rc) override;

 protected:
  bool OnOtherTimer(UINT_PTR id) override;

 private:
  std::unique_ptr<Gdiplus::Bitmap> icon_;
  bool spin_ = false;
  int angle_ = 0;
  COLORREF text_color_ = RGB(255, 255, 255);
};

}  // namespace vl
