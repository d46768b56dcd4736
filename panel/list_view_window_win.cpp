#include "panel/list_view_window_win.h"

#include <unordered_map>

namespace vl {
namespace {

// The UI thread's lists by window, and the one the pointer was over at the last tick.
struct Watch {
  std::unordered_map<HWND, ListViewWindow*> lists;
  ListViewWindow* inside = nullptr;
  UINT_PTR timer = 0;
};

Watch& TheWatch() {
  static Watch watch;
  return watch;
}

void CALLBACK OnWatchTimer(HWND, UINT, UINT_PTR, DWORD) {
  ListPointerWatch::Tick();
}

}  // namespace

void ListPointerWatch::Join(ListViewWindow* list) {
  Watch& w = TheWatch();
  w.lists[list->m_hWnd] = list;
  if (!w.timer) w.timer = ::SetTimer(nullptr, 0, kPeriodMs, OnWatchTimer);
}

void ListPointerWatch::Leave(ListViewWindow* list) {
  Watch& w = TheWatch();
  for (auto it = w.lists.begin(); it != w.lists.end(); ++it) {
    if (it->second == list) {
      w.lists.erase(it);
      break;
    }
  }
  if (w.inside == list) w.inside = nullptr;
  if (w.lists.empty() && w.timer) {
    ::KillTimer(nullptr, w.timer);
    w.timer = 0;
  }
}

size_t ListPointerWatch::Watched() {
  return TheWatch().lists.size();
}

bool ListPointerWatch::Ticking() {
  return TheWatch().timer != 0;
}

void ListPointerWatch::Tick() {
  Watch& w = TheWatch();
  POINT cursor{};
  ::GetCursorPos(&cursor);
  // The list under the pointer: the window there or the nearest of its ancestors that is one.
  ListViewWindow* under = nullptr;
  for (HWND h = ::WindowFromPoint(cursor); h && !under; h = ::GetParent(h)) {
    const auto it = w.lists.find(h);
    if (it != w.lists.end()) under = it->second;
  }
  if (w.inside && w.inside != under) {
    ListViewWindow* left = w.inside;
    w.inside = nullptr;
    left->OnPointerOutside();
    if (left->pointer_inside()) w.inside = left;  // held while its bar is dragged
  }
  if (under && !w.inside) {
    w.inside = under;
    under->OnPointerInside();
  }
}

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
  ListPointerWatch::Join(this);
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

void ListViewWindow::OnPointerInside() {
  if (!pointer_inside_) {
    pointer_inside_ = true;
    UpdateScrollBarVisibility();
  }
}

void ListViewWindow::OnPointerOutside() {
  if (pointer_inside_ && !scroll_bar_.IsDragging()) {
    scroll_bar_.ShowWindow(SW_HIDE);
    pointer_inside_ = false;
  }
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
  ListPointerWatch::Leave(this);
  handled = FALSE;
  return 0;
}

}  // namespace vl
