#include "widgets/image_button.h"

#include "widgets/font_size.h"

namespace vl {

ImageButton::ImageButton() {
  SetFade(true);
}

void ImageButton::OnCreated() {
  if (font_) return;
  // "宋体" 9 pt at the screen's resolution.
  HDC screen = ::GetDC(nullptr);
  const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ::ReleaseDC(nullptr, screen);
  LOGFONTW lf = {};
  lf.lfHeight = -FontPixelHeight(90, dpi);
  lf.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(lf.lfFaceName, L"\x5B8B\x4F53", LF_FACESIZE);
  own_font_.reset(::CreateFontIndirectW(&lf));
  font_ = own_font_.get();
}

void ImageButton::OnRelease(bool was_pressed) {
  if (was_pressed) Notify(true);
}

void ImageButton::DrawPictures(HDC dc, const RECT& rc) {
  if (fade_from()) DrawCentred(dc, fade_from(), rc, static_cast<BYTE>(255 - alpha()));
  HBITMAP current = CurrentPicture();
  DrawCentred(dc, current, rc, static_cast<BYTE>(alpha()));
  set_last_drawn(current);
}

void ImageButton::Draw(HDC dc, const RECT& rc) {
  DrawPictures(dc, rc);
}

}  // namespace vl
