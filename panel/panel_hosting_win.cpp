#include "panel/panel_hosting_win.h"

#include <exception>
#include <string>

#include "panel/control_window_win.h"

namespace vl {

PanelHosting::PanelHosting(HWND window, const PanelRect& area) : window_(window), area_(area) {}

void PanelHosting::ApplyCommand(const char* text) {
  if (!text) return;
  // Called inside kMsgPanelCommand, which another thread sent: nothing may leave this handler
  // (the program would end). A command that runs out of memory is dropped (the manager's
  // ApplyCommand), and so is one whose copy cannot be made.
  try {
    const std::string copy(text);  // the sender's buffer is valid only during the call
    manager_.ApplyCommand(copy.c_str());
  } catch (const std::exception&) {
  }
}

HWND PanelHosting::panel_window() const {
  // The manager's root is the panel shown; a root handed over earlier may be gone.
  DUICtrl* root = manager_.root();
  if (!root || root != panel_) return nullptr;
  auto* view = static_cast<ControlWindow*>(root->view());
  return view ? view->m_hWnd : nullptr;
}

void PanelHosting::SetPanelWindow(DUICtrl* root) {
  if (!root) return;
  panel_ = root;
  root->Create(window_, area_);
  if (HWND panel = panel_window()) ::ShowWindow(panel, connected_ ? SW_SHOW : SW_HIDE);
}

void PanelHosting::OnConnected() {
  connected_ = true;
  if (HWND panel = panel_window()) ::ShowWindow(panel, SW_SHOW);
  manager_.FlushEvents();
}

void PanelHosting::OnDisconnected() {
  connected_ = false;
  if (HWND panel = panel_window()) ::ShowWindow(panel, SW_HIDE);
}

}  // namespace vl
