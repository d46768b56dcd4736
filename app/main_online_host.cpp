#include "app/main_online_host.h"

#include "common/module_directory.h"
#include "app/settings.h"
#include "device/device_scanner.h"
#include "media/player_ctrl.h"
#include "media/stream_worker.h"
#include "online/remote_config.h"
#include "online/shell_prompts_win.h"

namespace vl {

std::string ProgramSettingsStore::Read(const std::string& key) {
  return ReadSetting(key);
}

void ProgramSettingsStore::Write(const std::string& key, const std::string& value) {
  WriteSetting(key, value);
}

MainOnlineHost::MainOnlineHost()
    : services_(std::make_unique<OnlineHost>(
          std::make_shared<ProgramSettingsStore>(),
          [this](const std::string& text, const std::string& title) {
            ShowBalloon(text.c_str(), title.c_str(), NIIF_INFO, kBalloonTimeoutMs);
          })) {}

MainOnlineHost::~MainOnlineHost() = default;

void MainOnlineHost::Attach(const Parts& parts) {
  parts_ = parts;
  tray_.SetOwner(parts.main, parts.small_icon);
  // The connection tip of the record (cached, or fetched since) is the worker's failure text.
  if (parts_.worker) {
    parts_.worker->SetConnectionTipsSource([] { return GetRemoteConfig().tips_conn; });
  }
}

void MainOnlineHost::OnReadCachedSettings() {
  services_->LoadCachedSettings();
}

void MainOnlineHost::OnStarted() {
  services_->Start(parts_.main, ApplicationDirectory());
}

void MainOnlineHost::OnEmptyDeviceList(int& refresh_count) {
  if (refresh_count < 3) return;
  refresh_count = 0;
  if (parts_.scanner && parts_.scanner->GetEntries().empty()) ShowHelpDialog();
}

void MainOnlineHost::ShowHelpDialog() {
  services_->ShowHelp(parts_.main);
}

void MainOnlineHost::ShowBalloon(const char* text, const char* title, DWORD info_flags,
                                 UINT timeout_ms) {
  tray_.ShowBalloon(text, title, info_flags, timeout_ms);
}

LRESULT MainOnlineHost::OnUpdateOffer(UINT, WPARAM, LPARAM lparam, BOOL&) {
  // Any program on the desktop can send this message with any number: only an address that this
  // process's update check is sending (and waits with) is read.
  if (!IsUpdateOfferFromThisProcess(lparam)) return 0;
  // The address stays the sender's (it waits for this message); the download window copies it.
  services_->OnUpdateDownload(parts_.main, reinterpret_cast<const char*>(lparam));
  return 0;
}

LRESULT MainOnlineHost::OnHelpPictures(UINT, WPARAM, LPARAM, BOOL&) {
  if (parts_.preview) parts_.preview->ReloadPlaceholder(true);
  return 0;
}

LRESULT MainOnlineHost::OnSettingsCommand(WORD, WORD, HWND, BOOL&) {
  HWND active = ::GetActiveWindow();
  services_->ShowSettings(active != nullptr ? active : parts_.main);
  return 0;
}

LRESULT MainOnlineHost::OnHelpCommand(WORD, WORD, HWND, BOOL&) {
  ShowHelpDialog();
  return 0;
}

}  // namespace vl
