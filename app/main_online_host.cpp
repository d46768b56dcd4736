#include "app/main_online_host.h"

#include "device/device_scanner.h"
#include "media/player_ctrl.h"

namespace vl {

void MainOnlineHost::Attach(const Parts& parts) {
  parts_ = parts;
  tray_.SetOwner(parts.main, parts.small_icon);
}

void MainOnlineHost::OnReadCachedSettings() {
  // The online services read the cached remote values ("ConnTips", "AppName", ...) here.
}

void MainOnlineHost::OnStarted() {
  // The online services start the remote configuration fetch here.
}

void MainOnlineHost::OnEmptyDeviceList(int& refresh_count) {
  if (refresh_count < 3) return;
  refresh_count = 0;
  if (parts_.scanner && parts_.scanner->GetEntries().empty()) ShowHelpDialog();
}

void MainOnlineHost::ShowHelpDialog() {
  // The online services show their help dialog (modal, owned by the main window) here.
}

void MainOnlineHost::ShowBalloon(const char* text, const char* title, DWORD info_flags,
                                 UINT timeout_ms) {
  tray_.ShowBalloon(text, title, info_flags, timeout_ms);
}

LRESULT MainOnlineHost::OnUpdateOffer(UINT, WPARAM, LPARAM, BOOL&) {
  // The online services take the installer URL here (starting the download window once) and
  // release the sender's buffer.
  return 0;
}

LRESULT MainOnlineHost::OnHelpPictures(UINT, WPARAM, LPARAM, BOOL&) {
  if (parts_.preview) parts_.preview->ReloadPlaceholder(true);
  return 0;
}

LRESULT MainOnlineHost::OnSettingsCommand(WORD, WORD, HWND, BOOL&) {
  // The online services show their settings dialog (modal, owned by the active window) here.
  return 0;
}

LRESULT MainOnlineHost::OnHelpCommand(WORD, WORD, HWND, BOOL&) {
  ShowHelpDialog();
  return 0;
}

}  // namespace vl
