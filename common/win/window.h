// A thin wrapper over a window handle; it does not own the window.
#pragma once

#include <windows.h>

namespace vl::win {

class CWindow {
 public:
  CWindow() = default;
  explicit CWindow(HWND wnd) : m_hWnd(wnd) {}

  HWND GetHwnd() const { return m_hWnd; }
  operator HWND() const { return m_hWnd; }
  bool IsWindow() const { return m_hWnd != nullptr && ::IsWindow(m_hWnd); }

  BOOL ShowWindow(int cmd) { return ::ShowWindow(m_hWnd, cmd); }
  BOOL DestroyWindow() { return ::DestroyWindow(m_hWnd); }
  BOOL Invalidate(BOOL erase = TRUE) { return ::InvalidateRect(m_hWnd, nullptr, erase); }
  BOOL GetClientRect(RECT* rc) const { return ::GetClientRect(m_hWnd, rc); }
  BOOL GetWindowRect(RECT* rc) const { return ::GetWindowRect(m_hWnd, rc); }
  BOOL SetWindowPos(HWND after, int x, int y, int cx, int cy, UINT flags) {
    return ::SetWindowPos(m_hWnd, after, x, y, cx, cy, flags);
  }
  BOOL MoveWindow(int x, int y, int cx, int cy, BOOL repaint = TRUE) {
    return ::MoveWindow(m_hWnd, x, y, cx, cy, repaint);
  }
  BOOL EnableWindow(BOOL enable) { return ::EnableWindow(m_hWnd, enable); }
  BOOL SetWindowTextA(const char* text) { return ::SetWindowTextA(m_hWnd, text); }
  LRESULT SendMessage(UINT msg, WPARAM w = 0, LPARAM l = 0) {
    return ::SendMessageA(m_hWnd, msg, w, l);
  }
  BOOL PostMessage(UINT msg, WPARAM w = 0, LPARAM l = 0) {
    return ::PostMessageA(m_hWnd, msg, w, l);
  }
  HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
  UINT_PTR SetTimer(UINT_PTR id, UINT ms) { return ::SetTimer(m_hWnd, id, ms, nullptr); }
  BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
  LONG_PTR GetStyle() const { return ::GetWindowLongPtrA(m_hWnd, GWL_STYLE); }
  LONG_PTR ModifyStyle(LONG_PTR remove, LONG_PTR add) {
    const LONG_PTR style = (GetStyle() & ~remove) | add;
    return ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, style);
  }

  HWND m_hWnd = nullptr;
};

}  // namespace vl::win
