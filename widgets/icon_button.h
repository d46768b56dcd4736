// A text link with an icon: the icon (the state's picture) at the left, vertically centred, and
// the caption after it in the state's colour. A left-button release over it sends WM_COMMAND to
// the parent, wherever the press began; Return while focused sends it too. No cross-fade.
#pragma once

#include "widgets/button_base.h"

namespace vl {

class CIconButton : public ButtonBase {
 public:
  CIconButton();

  void SetText(const char* text) { SetCaption(text); }
  const std::string& text() const { return caption(); }
  void SetTextColors(COLORREF normal, COLORREF hover, COLORREF pressed, COLORREF disabled);
  // Font size in pixels from the shared font cache (default 9).
  void SetFontSize(int pixels);
  // Gap in pixels between icon and text.
  void SetGap(int pixels);

  // Width of the icon: the pressed picture's, 0 without one.
  int IconWidth() const;
  COLORREF CurrentTextColor() const;

  void Draw(HDC dc, const RECT& rc) override;

 protected:
  void OnRelease(bool was_pressed) override;

 private:
  COLORREF colors_[4] = {RGB(0, 0, 0), RGB(0, 0, 0), RGB(0, 0, 0), RGB(0, 0, 0)};
  int font_size_ = 9;
  int gap_ = 0;
};

}  // namespace vl
