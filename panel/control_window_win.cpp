#include "panel/control_window_win.h"

#include <cstdio>
#include <exception>
#include <string>

#include "widgets/font_cache.h"

namespace vl {

ControlWindow::~ControlWindow() = default;

const char* ControlWindow::GetWndClassName() {
  // One class for every panel control; the name is made once, at first use.
  static char name[48];
  if (!name[0]) {
    std::snprintf(name, sizeof name, "VelloriaPanel%08lX",
                  static_cast<unsigned long>(::GetCurrentProcessId()));
  }
  return name;
}

bool ControlWindow::Open(ViewParent parent, const PanelRect& rect) {
  return Create(static_cast<HWND>(parent), ToRect(rect), nullptr, WS_CHILD | WS_VISIBLE) != nullptr;
}

PanelRect ControlWindow::ClientRect() const {
  RECT rc{};
  ::GetClientRect(m_hWnd, &rc);
  return PanelRect{rc.left, rc.top, rc.right, rc.bottom};
}

void ControlWindow::Move(const PanelRect& rect) {
  ::MoveWindow(m_hWnd, rect.left, rect.top, rect.width(), rect.height(), TRUE);
  ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

void ControlWindow::Show(bool visible) {
  ::ShowWindow(m_hWnd, visible ? SW_SHOW : SW_HIDE);
}

bool ControlWindow::IsShown() const {
  return (::GetWindowLongPtrA(m_hWnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

void ControlWindow::DestroyOwnWindow() {
  if (m_hWnd && ::IsWindow(m_hWnd)) {
    ::SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, 0);
    ::DestroyWindow(m_hWnd);
  }
  m_hWnd = nullptr;
}

void ControlWindow::Repaint() {
  ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

LRESULT ControlWindow::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
  // Nothing may leave a window procedure: children that cannot get their windows for want of
  // memory stay without them, as when the system refuses a window.
  try {
    BeforeChildren();
    control_.OnWindowCreated();
    AfterChildren();
  } catch (const std::exception&) {
  }
  return 0;
}

RECT ToRect(const PanelRect& r) {
  return RECT{r.left, r.top, r.right, r.bottom};
}

void DrawPanelText(HDC dc, const std::string& text, RECT rc, int pixels, COLORREF colour,
                   UINT format) {
  const HGDIOBJ old = ::SelectObject(dc, GetCachedFont(pixels));
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, colour);
  ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rc, format | DT_NOPREFIX);
  ::SelectObject(dc, old);
}

}  // namespace vl
