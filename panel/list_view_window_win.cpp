#include "panel/list_view_window_win.h"

namespace vl {

void ListViewWindow::BeforeChildren() {
  RECT rc{};
  ::GetClientRect(m_hWnd, &rc);
  container_.Create(m_hWnd, RECT{rc.left, rc.top, rc.right - kScrollBarWidth, rc.bottom}, nullptr,
                    WS_CHILD | WS_VISIBLE);
  scroll_bar_.Create(m_hWnd, RECT{rc.right - kScrollBarWidth, rc.top, rc.right, rc.bottom});
  scroll_bar_.SetPage(rc.bottom - rc.top);
  scroll_bar_.SetRange(rc.bottom - rc.top);
  scroll_bar_.SetListener(this);
}

void ListViewWindow::AfterChildren() {
  SetTimer(kPointerTimer, kPointerPeriodMs);
}

void ListViewWindow::ScrollContainer(int dy) {
  if (dy == 0 || !container_.m_hWnd) return;
  ::ScrollWindowEx(container_.m_hWnd, 0, dy, nullptr, nullptr, nullptr, nullptr,
                   SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
}

void ListViewWindow::ResetScroll() {
  ScrollContainer(scroll_offset_);
  scroll_offset_ = 0;
}

void ListViewWindow::SetContentHeight(int32_t height) {
  scroll_bar_.SetRange(height + kScrollTail);
  scroll_bar_.SetPos(0, false);
  const bool show = scroll_bar_.GetPage() < height && pointer_inside_;
  scroll_bar_.ShowWindow(show ? SW_SHOW : SW_HIDE);
}

void ListViewWindow::OnScroll(MiniScrollBar*, int position) {
  ScrollContainer(scroll_offset_ - position);
  scroll_offset_ = position;
}

void ListViewWindow::UpdateScrollBarVisibility() {
  const bool show = scroll_bar_.GetRange() > scroll_bar_.GetPage();
  scroll_bar_.ShowWindow(show ? SW_SHOW : SW_HIDE);
}

LRESULT ListViewWindow::OnTimer(UINT, WPARAM w, LPARAM, BOOL& handled) {
  if (w != kPointerTimer) {
    handled = FALSE;
    return 0;
  }
  POINT cursor{};
  RECT rc{};
  ::GetCursorPos(&cursor);
  ::GetWindowRect(m_hWnd, &rc);
  if (::PtInRect(&rc, cursor)) {
    if (!pointer_inside_) {
      pointer_inside_ = true;
      UpdateScrollBarVisibility();
    }
  } else if (pointer_inside_ && !scroll_bar_.IsDragging()) {
    scroll_bar_.ShowWindow(SW_HIDE);
    pointer_inside_ = false;
  }
  return 0;
}

LRESULT ListViewWindow::OnMouseWheel(UINT, WPARAM w, LPARAM, BOOL&) {
  const int delta = GET_WHEEL_DELTA_WPARAM(w);
  const int row = list_.RowStep();
  if (delta < 0) {
    scroll_bar_.SetPos(scroll_bar_.GetPos() + row, true);
  } else if (delta > 0) {
    scroll_bar_.SetPos(scroll_bar_.GetPos() - row, true);
  }
  return 0;
}

LRESULT ListViewWindow::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
  KillTimer(kPointerTimer);
  handled = FALSE;
  return 0;
}

}  // namespace vl
