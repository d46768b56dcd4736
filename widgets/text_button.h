// An image button with its caption centred on it: the dialogs' push buttons in the toolkit's
// look (for example the connect button's pictures, the cached font of 12 pixels). Mouse clicks
// as ImageButton; for the keyboard it behaves as a dialog's push button: a tab stop, the
// dialog's default while focused (Return), Space clicks it, and a focus ring while the window
// shows keyboard cues.
#pragma once

#include "widgets/image_button.h"

namespace vl {

class TextButton : public ImageButton {
 public:
  static constexpr DWORD kStyle = kChildStyle | WS_TABSTOP;

  HWND Create(HWND parent, const RECT& rc, UINT id, const char* caption) {
    return ImageButton::Create(parent, rc, id, caption, kStyle);
  }
  void SetText(const char* text) { SetCaption(text); }
  const std::string& text() const { return caption(); }
  // The caption's colour; a disabled button's caption is `disabled`.
  void SetTextColors(COLORREF normal, COLORREF disabled);
  // Whether the dialog manager made it the default button (BM_SETSTYLE).
  bool is_default() const { return default_; }

  void Draw(HDC dc, const RECT& rc) override;

  BEGIN_MSG_MAP(TextButton)
  MESSAGE_HANDLER(WM_GETDLGCODE, OnGetDlgCode)
  MESSAGE_HANDLER(BM_SETSTYLE, OnSetStyle)
  MESSAGE_HANDLER(WM_SETFOCUS, OnFocusChange)
  MESSAGE_HANDLER(WM_KILLFOCUS, OnFocusChange)
  MESSAGE_HANDLER(WM_UPDATEUISTATE, OnUpdateUiState)
  MESSAGE_HANDLER(WM_KEYDOWN, OnKeyDown)
  MESSAGE_HANDLER(WM_KEYUP, OnKeyUp)
  CHAIN_MSG_MAP(ImageButton)
  END_MSG_MAP()

 private:
  LRESULT OnGetDlgCode(UINT, WPARAM, LPARAM, BOOL&) {
    return DLGC_BUTTON | (default_ ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
  }
  LRESULT OnSetStyle(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnFocusChange(UINT, WPARAM, LPARAM, BOOL& handled);
  LRESULT OnUpdateUiState(UINT, WPARAM, LPARAM, BOOL& handled);
  LRESULT OnKeyDown(UINT, WPARAM, LPARAM, BOOL& handled);
  LRESULT OnKeyUp(UINT, WPARAM, LPARAM, BOOL& handled);

  COLORREF normal_ = RGB(255, 255, 255);
  COLORREF disabled_ = RGB(255, 255, 255);
  bool default_ = false;
  bool space_down_ = false;
};

}  // namespace vl
