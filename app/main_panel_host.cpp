#include "app/main_panel_host.h"

namespace vl {

RECT MainPanelHost::PanelRect(int width, int height) {
  return RECT{728, 68, width - 2, height - 8};
}

void MainPanelHost::OnStarted() {
  // The panel subsystem creates its panel manager here.
}

void MainPanelHost::SetPanelWindow(IPanelWindow* panel) {
  if (!panel || !main_) return;
  RECT client{};
  GetClientRect(main_, &client);
  panel_ = panel;
  panel_hwnd_ = panel->CreatePanelWindow(main_, PanelRect(client.right, client.bottom));
  if (panel_hwnd_ && IsWindow(panel_hwnd_)) ShowWindow(panel_hwnd_, connected_ ? SW_SHOW : SW_HIDE);
}

void MainPanelHost::OnConnectedLayout() {
  connected_ = true;
  if (panel_hwnd_ && IsWindow(panel_hwnd_)) ShowWindow(panel_hwnd_, SW_SHOW);
}

void MainPanelHost::OnDisconnectedLayout() {
  connected_ = false;
  if (panel_hwnd_ && IsWindow(panel_hwnd_)) ShowWindow(panel_hwnd_, SW_HIDE);
}

LRESULT MainPanelHost::OnPanelCommand(UINT, WPARAM, LPARAM lparam, BOOL&) {
  // A copy: the text is the sender's and valid only during this call.
  if (lparam && on_command_) on_command_(std::string(reinterpret_cast<const char*>(lparam)));
  return 0;
}

}  // namespace vl
