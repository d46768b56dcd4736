// The window of a tab button: its caption, pink with a pink bar while selected, grey over a
// light line otherwise; a release of the left button over it is a click.
#pragma once

#include "panel/control_window_win.h"
#include "panel/dui_tabs.h"

namespace vl {

class TabButtonWindow : public ControlWindow {
 public:
  static constexpr COLORREF kSelectedColour = 0x8959E7;
  static constexpr COLORREF kTextColour = 0x6B6B6B;
  static constexpr COLORREF kLineColour = 0xEDEDED;

  explicit TabButtonWindow(DUITabButton& tab) : ControlWindow(tab), tab_(tab) {}

  BEGIN_MSG_MAP(TabButtonWindow)
  MESSAGE_HANDLER(WM_PAINT, OnPaint)
  MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
  MESSAGE_HANDLER(WM_LBUTTONUP, OnLeftButtonUp)
  MESSAGE_HANDLER(WM_GETTEXT, OnGetText)
  MESSAGE_HANDLER(WM_GETTEXTLENGTH, OnGetText)
  CHAIN_MSG_MAP(ControlWindow)
  END_MSG_MAP()

 private:
  LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
  LRESULT OnLeftButtonUp(UINT, WPARAM, LPARAM, BOOL&) {
    tab_.OnClick();
    return 0;
  }
  LRESULT OnGetText(UINT msg, WPARAM w, LPARAM l, BOOL&);

  DUITabButton& tab_;
};

}  // namespace vl
