// The main window as the connection workflow's view, and the workflow's turns handed on to the
// panel and online hosts.
#include "app/main_dlg.h"
#include "app/main_dlg_layout.h"
#include "common/win/message_box.h"
#include "online/remote_config.h"

namespace vl {

void CMainDlg::ShowDevices(const std::vector<std::string>& names, int selected) {
  ComboBox& picker = controls_.picker();
  picker.RemoveAll();
  for (const std::string& name : names) picker.AddItem(name.c_str());
  if (selected >= 0) picker.SetCurSel(selected);
}

void CMainDlg::SetPickerText(const std::string& text) {
  controls_.picker().SetText(text.c_str());
}

int CMainDlg::SelectedDevice() const {
  return const_cast<MainDlgControls&>(controls_).picker().GetCurSel();
}

void CMainDlg::SetNoDeviceHelpVisible(bool visible) {
  ::ShowWindow(controls_.help_button(), visible ? SW_SHOWNA : SW_HIDE);
}

void CMainDlg::EndLoading() {
  controls_.EndLoading();
}

void CMainDlg::SetConnectLook(ConnectLook look, bool enabled) {
  controls_.SetConnectLook(look, enabled);
}

void CMainDlg::SetConnectedLayout(bool connected) {
  SetWindowPos(nullptr, 0, 0, connected ? main_layout::kConnectedWidth : main_layout::kIdleWidth,
               main_layout::kHeight, SWP_NOMOVE | SWP_NOZORDER);
  ::EnableWindow(controls_.picker(), !connected);
  ::EnableWindow(controls_.refresh_button(), !connected);
  preview_host_.SetOverlayButtonsVisible(connected);
}

void CMainDlg::SetPreviewPolling(bool on) {
  if (on)
    preview_host_.StartPolling();
  else
    preview_host_.StopPolling();
}

void CMainDlg::SetOrientationLook(bool portrait) {
  preview_host_.SetOrientationLook(portrait);
}

void CMainDlg::ShowMessage(const std::string& text, const std::string& caption) {
  win::ShowMessageBox(m_hWnd, text, caption, MB_OK);
}

void CMainDlg::OnEmptyDeviceList(int& refresh_count) {
  // Three refreshes or more open the help dialog if the scanner still lists no phone, and the
  // count starts again.
  if (refresh_count < kRefreshesBeforeHelp) return;
  refresh_count = 0;
  if (scanner_->GetEntries().empty()) online_host_.ShowHelp(m_hWnd);
}

void CMainDlg::OnConnectedLayout() {
  // The panel shows (and the events that waited for a connection go out).
  if (panel_host_) panel_host_->OnConnected();
}

void CMainDlg::OnDisconnectedLayout() {
  // The panel hides; its contents stay until the phone sends the next.
  if (panel_host_) panel_host_->OnDisconnected();
}

std::string CMainDlg::AndroidDriverLink() {
  return GetRemoteConfig().adb_drive_url;
}

}  // namespace vl
