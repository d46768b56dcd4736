#include "widgets/button_base.h"

#include "widgets/buffered_paint.h"
#include "widgets/image_loader.h"

namespace vl {

ButtonBase::~ButtonBase() {
  if (IsWindow()) ::DestroyWindow(m_hWnd);
}

HWND ButtonBase::Create(HWND parent, const RECT& rc, UINT id, const char* caption, DWORD style) {
  if (caption) caption_ = caption;
  return win::CWindowImpl<ButtonBase>::Create(parent, rc, caption_.c_str(), style, 0, id);
}

void ButtonBase::SetImages(int normal, int hover, int pressed, int disabled) {
  SetImageBitmaps(LoadPngResourceBitmap(normal), LoadPngResourceBitmap(hover),
                  LoadPngResourceBitmap(pressed), LoadPngResourceBitmap(disabled));
}

void ButtonBase::SetImageBitmaps(win::UniqueBitmap normal, win::UniqueBitmap hover,
                                 win::UniqueBitmap pressed, win::UniqueBitmap disabled) {
  // The fade and the last drawn picture refer to the bitmaps about to be deleted.
  StopFade();
  last_drawn_ = nullptr;
  pictures_[0] = std::move(normal);
  pictures_[1] = std::move(hover);
  pictures_[2] = std::move(pressed);
  pictures_[3] = std::move(disabled);
  Repaint();
}

void ButtonBase::SetParentDrawn(bool parent_drawn, HWND painter) {
  parent_drawn_ = parent_drawn;
  painter_ = painter;
  Repaint();
}

void ButtonBase::PaintInto(HDC painter_dc) {
  if (!parent_drawn_ || !m_hWnd || !painter_ || !::IsWindowVisible(m_hWnd)) return;
  RECT rc;
  ::GetWindowRect(m_hWnd, &rc);
  ::MapWindowPoints(nullptr, painter_, reinterpret_cast<POINT*>(&rc), 2);
  Draw(painter_dc, rc);
}

void ButtonBase::ShowState(State state) {
  StopFade();
  state_ = state;
  Repaint();
}

HBITMAP ButtonBase::CurrentPicture() const {
  if (m_hWnd && !::IsWindowEnabled(m_hWnd) && pictures_[3]) return pictures_[3].get();
  switch (state_) {
    case kPressed:
      return pictures_[2].get();
    case kHover:
      return pictures_[1].get();
    default:
      return pictures_[0].get();
  }
}

void ButtonBase::DrawCentred(HDC dc, HBITMAP picture, const RECT& rc, BYTE alpha) {
  if (!picture) return;
  const SIZE size = BitmapSize(picture);
  const int x = rc.left + (rc.right - rc.left - size.cx) / 2;
  const int y = rc.top + (rc.bottom - rc.top - size.cy) / 2;
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, rc.left, rc.top, rc.right, rc.bottom);
  DrawAlphaBitmap(dc, picture, x, y, alpha);
  RestoreDC(dc, saved);
}

void ButtonBase::SetCaption(const char* text) {
  caption_ = text ? text : "";
  // The window text too, for readers in other processes, which do not send WM_GETTEXT.
  if (m_hWnd) ::SetWindowTextA(m_hWnd, caption_.c_str());
  Repaint();
}

void ButtonBase::Repaint() {
  if (!m_hWnd) return;
  ::InvalidateRect(m_hWnd, nullptr, FALSE);
  if (parent_drawn_ && painter_ && ::IsWindow(painter_)) {
    RECT rc;
    ::GetWindowRect(m_hWnd, &rc);
    ::MapWindowPoints(nullptr, painter_, reinterpret_cast<POINT*>(&rc), 2);
    ::InvalidateRect(painter_, &rc, FALSE);
  }
}

void ButtonBase::Notify(bool post) {
  HWND parent = ::GetParent(m_hWnd);
  if (!parent) return;
  const WPARAM command = MAKEWPARAM(::GetDlgCtrlID(m_hWnd), 0);
  if (post)
    ::PostMessageA(parent, WM_COMMAND, command, 0);
  else
    ::SendMessageA(parent, WM_COMMAND, command, 0);
}

void ButtonBase::StartFade() {
  if (!fade_) {  // a button without fading shows the new state at once
    StopFade();
    return;
  }
  fade_from_ = last_drawn_;
  alpha_ = 0;
  if (m_hWnd) fade_timer_on_ = ::SetTimer(m_hWnd, kFadeTimer, kFadePeriodMs, nullptr) != 0;
  if (!fade_timer_on_) {  // no timer: show the new state at once
    alpha_ = 255;
    fade_from_ = nullptr;
  }
}

void ButtonBase::StopFade() {
  if (m_hWnd && fade_timer_on_) ::KillTimer(m_hWnd, kFadeTimer);
  fade_timer_on_ = false;
  fade_from_ = nullptr;
  alpha_ = 255;
}

LRESULT ButtonBase::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
  state_ = kNormal;
  OnCreated();
  return 0;
}

LRESULT ButtonBase::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
  StopFade();
  handled = FALSE;
  return 0;
}

LRESULT ButtonBase::OnMouseMove(UINT, WPARAM, LPARAM, BOOL&) {
  if (!tracking_leave_) {
    TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, m_hWnd, 0};
    tracking_leave_ = ::TrackMouseEvent(&track) != FALSE;
  }
  if (state_ == kNormal) {
    state_ = kHover;
    StartFade();
    Repaint();
  }
  return 0;
}

LRESULT ButtonBase::OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&) {
  tracking_leave_ = false;
  if (state_ != kNormal) {
    state_ = kNormal;
    StartFade();
    Repaint();
  }
  return 0;
}

LRESULT ButtonBase::OnLeftButtonDown(UINT, WPARAM, LPARAM, BOOL&) {
  if (state_ != kPressed) {
    state_ = kPressed;
    StopFade();
    Repaint();
  }
  return 0;
}

LRESULT ButtonBase::OnLeftButtonUp(UINT, WPARAM, LPARAM, BOOL&) {
  const bool was_pressed = state_ == kPressed;
  state_ = kHover;
  StopFade();
  Repaint();
  OnRelease(was_pressed);  // last: the parent may destroy the button
  return 0;
}

LRESULT ButtonBase::OnKeyDown(UINT, WPARAM key, LPARAM, BOOL& handled) {
  if (key != VK_RETURN) {
    handled = FALSE;
    return 0;
  }
  Notify(false);
  return 0;
}

LRESULT ButtonBase::OnTimer(UINT, WPARAM id, LPARAM, BOOL& handled) {
  if (id != kFadeTimer) {
    if (!OnOtherTimer(id)) handled = FALSE;
    return 0;
  }
  alpha_ += kFadeStep;
  if (alpha_ >= 255) StopFade();
  Repaint();
  return 0;
}

LRESULT ButtonBase::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
  if (parent_drawn_) {
    PAINTSTRUCT ps;
    ::BeginPaint(m_hWnd, &ps);
    ::EndPaint(m_hWnd, &ps);
    return 0;
  }
  BufferedPaint paint(m_hWnd);
  if (paint.dc()) Draw(paint.dc(), paint.client());
  return 0;
}

LRESULT ButtonBase::OnEnable(UINT, WPARAM, LPARAM, BOOL&) {
  Repaint();
  return 0;
}

LRESULT ButtonBase::OnGetText(UINT msg, WPARAM w, LPARAM l, BOOL&) {
  return AnswerGetText(caption_.c_str(), msg, w, l);
}

}  // namespace vl
