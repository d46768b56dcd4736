#include "widgets/loading_button.h"

#include "widgets/font_cache.h"
#include "widgets/image_loader.h"

namespace vl {

namespace {
constexpr int kIconLeft = 13;
constexpr int kTextAfterIcon = 18;
}  // namespace

LoadingButton::~LoadingButton() {
  if (m_hWnd) ::KillTimer(m_hWnd, kSpinTimer);
}

void LoadingButton::SetIcon(int png_id, bool spin) {
  SetIconImage(png_id ? LoadPngResource(png_id) : nullptr, spin);
}

void LoadingButton::SetIconImage(std::unique_ptr<Gdiplus::Bitmap> icon, bool spin) {
  icon_ = std::move(icon);
  angle_ = 0;
  spin_ = spin;
  if (m_hWnd) {
    if (spin_)
      ::SetTimer(m_hWnd, kSpinTimer, kSpinPeriodMs, nullptr);
    else
      ::KillTimer(m_hWnd, kSpinTimer);
  }
  Repaint();
}

void LoadingButton::SetTextColor(COLORREF color) {
  text_color_ = color;
  Repaint();
}

bool LoadingButton::OnOtherTimer(UINT_PTR id) {
  if (id != kSpinTimer) return false;
  angle_ = (angle_ + kSpinStep) % 360;
  Repaint();
  return true;
}

void LoadingButton::Draw(HDC dc, const RECT& rc) {
  DrawPictures(dc, rc);
  const int height = rc.bottom - rc.top;
  int text_left = kIconLeft;
  if (icon_) {
    const int w = static_cast<int>(icon_->GetWidth()), h = static_cast<int>(icon_->GetHeight());
    Gdiplus::Graphics graphics(dc);
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    const float cx = static_cast<float>(rc.left + kIconLeft) + w / 2.0f;
    const float cy = static_cast<float>(rc.top) + height / 2.0f;
    if (spin_ && angle_ != 0) {
      graphics.TranslateTransform(cx, cy);
      graphics.RotateTransform(static_cast<Gdiplus::REAL>(angle_));
      graphics.TranslateTransform(-cx, -cy);
    }
    graphics.DrawImage(icon_.get(), rc.left + kIconLeft, rc.top + (height - h) / 2, w, h);
    text_left = w + kTextAfterIcon;
  }
  RECT text_rc = rc;
  text_rc.left += text_left;
  const int saved = SaveDC(dc);
  SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, text_color_);
  if (HFONT font = GetCachedFont(12)) SelectObject(dc, font);
  DrawTextA(dc, caption().c_str(), -1, &text_rc,
            DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  RestoreDC(dc, saved);
}

}  // namespace vl
