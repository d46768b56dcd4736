#include "widgets/icon_button.h"

#include "widgets/font_cache.h"
#include "widgets/image_loader.h"

namespace vl {

CIconButton::CIconButton() {
  SetFade(false);
}

void CIconButton::SetTextColors(COLORREF normal, COLORREF hover, COLORREF pressed,
                                COLORREF disabled) {
  colors_[0] = normal;
  colors_[1] = hover;
  colors_[2] = pressed;
  colors_[3] = disabled;
  Repaint();
}

void CIconButton::SetFontSize(int pixels) {
  font_size_ = pixels;
  Repaint();
}

void CIconButton::SetGap(int pixels) {
  gap_ = pixels;
  Repaint();
}

int CIconButton::IconWidth() const {
  return static_cast<int>(BitmapSize(picture(2)).cx);
}

COLORREF CIconButton::CurrentTextColor() const {
  if (m_hWnd && !::IsWindowEnabled(m_hWnd)) return colors_[3];
  switch (state()) {
    case kPressed:
      return colors_[2];
    case kHover:
      return colors_[1];
    default:
      return colors_[0];
  }
}

void CIconButton::OnRelease(bool) {
  Notify(false);
}

void CIconButton::Draw(HDC dc, const RECT& rc) {
  if (parent_drawn() && !::IsWindowVisible(m_hWnd)) return;
  HBITMAP icon = CurrentPicture();
  if (icon) {
    const SIZE size = BitmapSize(icon);
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, rc.left, rc.top, rc.right, rc.bottom);
    DrawAlphaBitmap(dc, icon, rc.left, rc.top + (rc.bottom - rc.top - size.cy) / 2);
    RestoreDC(dc, saved);
  }
  set_last_drawn(icon);
  RECT text_rc = rc;
  text_rc.left += IconWidth() + gap_;
  const int saved = SaveDC(dc);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, CurrentTextColor());
  if (HFONT font = GetCachedFont(font_size_)) SelectObject(dc, font);
  DrawTextA(dc, caption().c_str(), -1, &text_rc,
            DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  RestoreDC(dc, saved);
}

}  // namespace vl
