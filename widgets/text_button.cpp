#include "widgets/text_button.h"

#include "widgets/font_cache.h"

namespace vl {
namespace {
constexpr int kFocusInset = 3;
}

void TextButton::SetTextColors(COLORREF normal, COLORREF disabled) {
  normal_ = normal;
  disabled_ = disabled;
  Repaint();
}

void TextButton::Draw(HDC dc, const RECT& rc) {
  DrawPictures(dc, rc);
  RECT text_rc = rc;
  const int saved = SaveDC(dc);
  SetBkMode(dc, TRANSPARENT);
  const bool enabled = !m_hWnd || ::IsWindowEnabled(m_hWnd);
  ::SetTextColor(dc, enabled ? normal_ : disabled_);
  if (HFONT font = GetCachedFont(12)) SelectObject(dc, font);
  DrawTextA(dc, caption().c_str(), -1, &text_rc,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  // The focus ring, only once the user works the window with the keyboard.
  const bool cues = m_hWnd && !(::SendMessageA(m_hWnd, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
  if (cues && ::GetFocus() == m_hWnd) {
    RECT ring = rc;
    ::InflateRect(&ring, -kFocusInset, -kFocusInset);
    ::DrawFocusRect(dc, &ring);
  }
  RestoreDC(dc, saved);
}

LRESULT TextButton::OnSetStyle(UINT, WPARAM style, LPARAM redraw, BOOL&) {
  default_ = (style & 0x0F) == BS_DEFPUSHBUTTON;
  if (redraw) Repaint();
  return 0;
}

LRESULT TextButton::OnFocusChange(UINT, WPARAM, LPARAM, BOOL& handled) {
  Repaint();
  handled = FALSE;
  return 0;
}

LRESULT TextButton::OnUpdateUiState(UINT msg, WPARAM w, LPARAM l, BOOL&) {
  const LRESULT result = ::DefWindowProcA(m_hWnd, msg, w, l);
  Repaint();
  return result;
}

LRESULT TextButton::OnKeyDown(UINT, WPARAM key, LPARAM, BOOL& handled) {
  if (key != VK_SPACE) {
    handled = FALSE;  // Return: the image button's own handling
    return 0;
  }
  if (!space_down_) {
    space_down_ = true;
    ShowState(kPressed);
  }
  return 0;
}

LRESULT TextButton::OnKeyUp(UINT, WPARAM key, LPARAM, BOOL& handled) {
  if (key != VK_SPACE || !space_down_) {
    handled = FALSE;
    return 0;
  }
  space_down_ = false;
  ShowState(kNormal);
  Notify(true);
  return 0;
}

}  // namespace vl
