#include "tests/panel/panel_win_test_support.h"

#include <cstdlib>

#include "app/main_dlg_layout.h"
#include "panel/control_window_win.h"

namespace vl::test {

PanelHostWindow::PanelHostWindow() {
  // At the screen's top-left corner, above everything: clicks land where the tests aim.
  Create(nullptr, RECT{0, 0, kUnconnectedWidth, kHeight}, "Velloria panel test",
         WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, WS_EX_TOPMOST);
  hosting_ = std::make_unique<PanelHosting>(m_hWnd, main_layout::kPanel);
  ::SetForegroundWindow(m_hWnd);
  PumpFor(50);
}

PanelHostWindow::~PanelHostWindow() {
  hosting_.reset();
}

void PanelHostWindow::SetWidth(int width) {
  ::SetWindowPos(m_hWnd, nullptr, 0, 0, width, kHeight, SWP_NOMOVE | SWP_NOZORDER);
}

void PanelHostWindow::SendCommand(const std::string& ansi_text) {
  ::SendMessageA(m_hWnd, kMsgPanelCommand, 0, reinterpret_cast<LPARAM>(ansi_text.c_str()));
}

LRESULT PanelHostWindow::OnConnected(UINT, WPARAM, LPARAM, BOOL&) {
  connected_ = true;
  SetWidth(main_layout::kConnectedWidth);
  hosting_->OnConnected();
  return 0;
}

LRESULT PanelHostWindow::OnDisconnected(UINT msg, WPARAM, LPARAM, BOOL&) {
  connected_ = false;
  if (msg == kMsgStreamRunEnded) ++runs_ended_;
  if (!keep_panel_) {
    SetWidth(kUnconnectedWidth);
    hosting_->OnDisconnected();
  }
  return 0;
}

LRESULT PanelHostWindow::OnPanelCommand(UINT, WPARAM, LPARAM l, BOOL&) {
  hosting_->ApplyCommand(reinterpret_cast<const char*>(l));
  return 0;
}

bool Near(COLORREF a, COLORREF b, int tolerance) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance &&
         std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

RECT RectIn(HWND child, HWND parent) {
  RECT rc{};
  ::GetWindowRect(child, &rc);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
  return rc;
}

HWND WindowOf(const DUICtrl* control) {
  if (!control || !control->view()) return nullptr;
  return static_cast<ControlWindow*>(control->view())->m_hWnd;
}

}  // namespace vl::test
