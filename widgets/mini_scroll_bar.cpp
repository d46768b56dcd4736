#include "widgets/mini_scroll_bar.h"

#include <algorithm>

#include "widgets/buffered_paint.h"
#include "widgets/image_loader.h"
#include "widgets/picture_ids.h"

namespace vl {
namespace {
constexpr NinePartInsets kThumbInsets = {3, 3, 4, 14};
}

MiniScrollBar::~MiniScrollBar() {
  if (IsWindow()) ::DestroyWindow(m_hWnd);
}

HWND MiniScrollBar::Create(HWND parent, const RECT& rc, UINT id, DWORD style) {
  return win::CWindowImpl<MiniScrollBar>::Create(parent, rc, nullptr, style, 0, id);
}

LRESULT MiniScrollBar::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
  thumbs_[kThumbNormal] =
      NinePartImage(LoadPngResourceBitmap(pictures::kScrollThumbNormal), kThumbInsets);
  thumbs_[kThumbHover] =
      NinePartImage(LoadPngResourceBitmap(pictures::kScrollThumbHover), kThumbInsets);
  thumbs_[kThumbPressed] =
      NinePartImage(LoadPngResourceBitmap(pictures::kScrollThumbPressed), kThumbInsets);
  return 0;
}

int MiniScrollBar::ClientHeight() const {
  RECT rc = {};
  if (m_hWnd) ::GetClientRect(m_hWnd, &rc);
  return rc.bottom - rc.top;
}

RECT MiniScrollBar::ThumbRect() const {
  RECT rc = {};
  if (m_hWnd) ::GetClientRect(m_hWnd, &rc);
  const int height = rc.bottom - rc.top;
  const int thumb = ScrollThumbHeight(state_, height);
  const int top = dragging_ ? drag_top_ : ScrollThumbTop(state_, height);
  return {rc.left, rc.top + top, rc.right, rc.top + top + thumb};
}

void MiniScrollBar::SetPage(int page) {
  state_.page = std::max(page, 0);
  state_.range = std::max(state_.range, state_.page);
  state_.position = ClampScrollPosition(state_, state_.position);
  Repaint();
}

void MiniScrollBar::SetRange(int range) {
  state_.range = std::max(range, state_.page);
  state_.position = ClampScrollPosition(state_, state_.position);
  Repaint();
}

void MiniScrollBar::SetPos(int position, bool notify) {
  const int clamped = ClampScrollPosition(state_, position);
  if (clamped == state_.position) return;
  state_.position = clamped;
  Repaint();
  if (notify && listener_) listener_->OnScroll(this, state_.position);
}

void MiniScrollBar::ScrollBy(int delta) {
  const long long target = static_cast<long long>(state_.position) + delta;
  SetPos(static_cast<int>(std::clamp<long long>(target, INT32_MIN, INT32_MAX)), true);
}

void MiniScrollBar::SetThumbState(ThumbState state) {
  if (thumb_state_ == state) return;
  thumb_state_ = state;
  Repaint();
}

LRESULT MiniScrollBar::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
  BufferedPaint paint(m_hWnd);
  if (paint.dc()) thumbs_[thumb_state_].Draw(paint.dc(), ThumbRect(), paint.scratch());
  return 0;
}

LRESULT MiniScrollBar::OnLeftButtonDown(UINT, WPARAM, LPARAM l, BOOL&) {
  const POINT pt = {static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))};
  const RECT thumb = ThumbRect();
  if (::PtInRect(&thumb, pt)) {
    ::SetCapture(m_hWnd);
    captured_ = true;
    // Measured from the press, so the thumb stays under the pointer from the first move on.
    press_point_ = pt;
    press_top_ = thumb.top;
    SetThumbState(kThumbPressed);
  } else if (pt.y < thumb.top) {
    ScrollBy(-state_.page);
    ::SetTimer(m_hWnd, kPageUpTimer, kRepeatMs, nullptr);
  } else {
    ScrollBy(state_.page);
    ::SetTimer(m_hWnd, kPageDownTimer, kRepeatMs, nullptr);
  }
  return 0;
}

LRESULT MiniScrollBar::OnMouseMove(UINT, WPARAM, LPARAM l, BOOL&) {
  const POINT pt = {static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))};
  if (!tracking_leave_) {
    TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, m_hWnd, 0};
    tracking_leave_ = ::TrackMouseEvent(&track) != FALSE;
  }
  if (!captured_) {
    const RECT thumb = ThumbRect();
    SetThumbState(::PtInRect(&thumb, pt) ? kThumbHover : kThumbNormal);
    return 0;
  }
  if (!dragging_) {
    drag_start_ = press_point_;
    drag_start_top_ = press_top_;
    drag_top_ = drag_start_top_;
    dragging_ = true;
  }
  const int height = ClientHeight();
  const int free = std::max(height - ScrollThumbHeight(state_, height), 0);
  drag_top_ = std::clamp(drag_start_top_ + static_cast<int>(pt.y - drag_start_.y), 0, free);
  const int position = ScrollPositionForThumbTop(state_, height, drag_top_);
  Repaint();
  SetPos(position, true);
  return 0;
}

void MiniScrollBar::EndPress(POINT cursor) {
  ::KillTimer(m_hWnd, kPageUpTimer);
  ::KillTimer(m_hWnd, kPageDownTimer);
  dragging_ = false;
  if (captured_) {
    captured_ = false;
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
  }
  const RECT thumb = ThumbRect();
  SetThumbState(::PtInRect(&thumb, cursor) ? kThumbHover : kThumbNormal);
  Repaint();
}

LRESULT MiniScrollBar::OnLeftButtonUp(UINT, WPARAM, LPARAM l, BOOL&) {
  EndPress({static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))});
  return 0;
}

LRESULT MiniScrollBar::OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&) {
  tracking_leave_ = false;
  // A drag goes on outside the narrow bar until the button is released.
  if (!captured_) EndPress({-1, -1});
  return 0;
}

LRESULT MiniScrollBar::OnCaptureChanged(UINT, WPARAM, LPARAM l, BOOL&) {
  if (captured_ && reinterpret_cast<HWND>(l) != m_hWnd) {
    captured_ = false;
    EndPress({-1, -1});
  }
  return 0;
}

LRESULT MiniScrollBar::OnTimer(UINT, WPARAM id, LPARAM, BOOL& handled) {
  if (id == kPageUpTimer)
    ScrollBy(-state_.page);
  else if (id == kPageDownTimer)
    ScrollBy(state_.page);
  else
    handled = FALSE;
  return 0;
}

LRESULT MiniScrollBar::OnSize(UINT, WPARAM, LPARAM, BOOL&) {
  dragging_ = false;
  Repaint();
  return 0;
}

LRESULT MiniScrollBar::OnCommand(UINT, WPARAM w, LPARAM, BOOL& handled) {
  if (LOWORD(w) == kLineUp)
    ScrollBy(-line_step_);
  else if (LOWORD(w) == kLineDown)
    ScrollBy(line_step_);
  else
    handled = FALSE;
  return 0;
}

}  // namespace vl
