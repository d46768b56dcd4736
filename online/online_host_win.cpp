#include "online/online_host_win.h"

#include "online/help_dlg.h"
#include "online/online_context.h"
#include "online/program_version_win.h"
#include "online/remote_config.h"
#include "online/remote_config_fetch_win.h"
#include "online/setting_dlg.h"

namespace vl {

OnlineHost::OnlineHost(ISettingsStore& settings, BalloonSink balloons)
    : settings_(settings), shell_(std::move(balloons)) {}

OnlineHost::~OnlineHost() {
  // The fetch thread may outlive the window: leave it a context without the window.
  SetOnlineContext(OnlineContext());
}

void OnlineHost::LoadCachedSettings() {
  LoadCachedRemoteConfig(settings_);
}

void OnlineHost::Start(HWND main_window, const std::string& program_directory,
                       const std::string& config_endpoint, const std::string& picture_directory) {
  link_ = std::make_unique<MainWindowLink>(main_window);
  download_.SetPrompts(prompts_);
  OnlineContext context;
  context.prompts = prompts_;
  context.settings = &settings_;
  context.downloads = link_.get();
  MainWindowLink* link = link_.get();
  context.help_picture_changed = [link] { link->HelpPictureChanged(); };
  context.config_endpoint = config_endpoint;
  context.program_directory = program_directory;
  context.picture_directory = picture_directory;
  context.program_version = GetProgramVersion();
  SetOnlineContext(std::move(context));
  StartRemoteConfigFetch(false);
}

bool OnlineHost::OnUpdateDownload(HWND main_window, const char* url) {
  if (url == nullptr) return false;
  download_.SetPrompts(prompts_);
  return download_.Start(main_window, url);
}

INT_PTR OnlineHost::ShowSettings(HWND owner) {
  Setting dialog(*prompts_, [] { StartRemoteConfigFetch(true); });
  return dialog.DoModal(owner);
}

INT_PTR OnlineHost::ShowHelp(HWND owner) {
  HelpDlg dialog(*prompts_);
  return dialog.DoModal(owner);
}

}  // namespace vl
