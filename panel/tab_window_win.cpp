#include "panel/tab_window_win.h"

#include "widgets/buffered_paint.h"

namespace vl {

LRESULT TabButtonWindow::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
  BufferedPaint paint(m_hWnd);
  const RECT& rc = paint.client();
  if (tab_.selected()) {
    FillSolid(paint.dc(), RECT{rc.left, rc.bottom - 2, rc.right, rc.bottom}, kSelectedColour);
  } else {
    FillSolid(paint.dc(), RECT{rc.left, rc.bottom - 1, rc.right, rc.bottom}, kLineColour);
  }
  DrawPanelText(paint.dc(), tab_.name(), rc, 14, tab_.selected() ? kSelectedColour : kTextColour,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  return 0;
}

LRESULT TabButtonWindow::OnGetText(UINT msg, WPARAM w, LPARAM l, BOOL&) {
  return AnswerGetText(tab_.name().c_str(), msg, w, l);
}

}  // namespace vl
