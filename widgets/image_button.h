// A button drawn from one picture per state, cross-fading between states within 6 ticks of
// 30 ms. A release over the button after a press on it posts WM_COMMAND (control identifier in
// the low word) to the parent; Return while focused sends it.
#pragma once

#include "widgets/button_base.h"

namespace vl {

class ImageButton : public ButtonBase {
 public:
  ImageButton();

  // Draws the fading-out picture, then the current state's picture, centred and clipped.
  void Draw(HDC dc, const RECT& rc) override;

  // The button's own font ("宋体" 9 pt unless set before creation); kept for the caption of
  // derived buttons and for WM_GETFONT.
  void SetFont(HFONT font) { font_ = font; }
  HFONT font() const { return font_; }

  BEGIN_MSG_MAP(ImageButton)
  MESSAGE_HANDLER(WM_GETFONT, OnGetFont)
  CHAIN_MSG_MAP(ButtonBase)
  END_MSG_MAP()

 protected:
  void OnRelease(bool was_pressed) override;
  void OnCreated() override;
  // Picture part of Draw, shared with the loading button.
  void DrawPictures(HDC dc, const RECT& rc);

 private:
  LRESULT OnGetFont(UINT, WPARAM, LPARAM, BOOL&) { return reinterpret_cast<LRESULT>(font_); }

  HFONT font_ = nullptr;
  win::UniqueFont own_font_;
};

}  // namespace vl
