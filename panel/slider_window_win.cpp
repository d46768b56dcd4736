#include "panel/slider_window_win.h"

#include <string>

#include "widgets/font_cache.h"

namespace vl {
namespace {

HWND MakeLabel(HWND parent, const std::string& text, DWORD style, int x, int y, int w, int h,
               int font_pixels) {
  HWND label = ::CreateWindowExA(0, "STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, w,
                                 h, parent, nullptr, ::GetModuleHandleA(nullptr), nullptr);
  if (label) {
    ::SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(GetCachedFont(font_pixels)), FALSE);
  }
  return label;
}

}  // namespace

void SliderWindow::BeforeChildren() {
  RECT rc{};
  ::GetClientRect(m_hWnd, &rc);
  label_brush_.reset(::CreateSolidBrush(RGB(255, 255, 255)));
  slider_.Create(m_hWnd, RECT{50, rc.top, 270, rc.bottom});
  slider_.SetListener(this);
  // The caption stays what it was now; later captions do not reach this label. Both labels
  // centre their line vertically, so caption and value sit on the track's centre line (both
  // label rectangles are centred on it).
  name_label_ =
      MakeLabel(m_hWnd, model_.name(), SS_CENTERIMAGE, 0, rc.top, 40, rc.bottom - rc.top, 14);
  value_label_ = MakeLabel(m_hWnd, model_.name(), SS_RIGHT | SS_CENTERIMAGE, 270, rc.top + 3, 40,
                           (rc.bottom - 3) - (rc.top + 3), 12);
  Refresh();
}

void SliderWindow::Refresh() {
  // Minimum first, then maximum: the control keeps minimum <= maximum, so whatever the widget
  // held before, it ends with exactly the control's range.
  slider_.SetMinimum(model_.minimum());
  slider_.SetMaximum(model_.maximum());
  slider_.SetValue(model_.value());
  if (value_label_) ::SetWindowTextA(value_label_, std::to_string(model_.value()).c_str());
  Repaint();
}

LRESULT SliderWindow::OnLabelColour(UINT, WPARAM w, LPARAM l, BOOL&) {
  HDC dc = reinterpret_cast<HDC>(w);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, reinterpret_cast<HWND>(l) == name_label_ ? kNameColour : kValueColour);
  return reinterpret_cast<LRESULT>(label_brush_.get());
}

}  // namespace vl
