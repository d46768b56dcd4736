// The online services as the main window hosts them: cached settings read at start, the
// configuration fetch, the update download (message 0x467), the help-picture refresh (0x468) and
// the settings and help dialogs. The main window owns one and forwards those turns to it.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "common/win/user_data_folder.h"
#include "online/download_update_wnd.h"
#include "online/online_context.h"
#include "online/settings_store.h"
#include "online/shell_prompts_win.h"

namespace vl {

class OnlineHost {
 public:
  using BalloonSink = ShellPrompts::BalloonSink;

  // `settings` is the program's settings file; `balloons` shows a tray balloon (the main
  // window's ShowBalloon). Both outlive the host.
  OnlineHost(ISettingsStore& settings, BalloonSink balloons);
  ~OnlineHost();

  // Replaces the message boxes, shell opens and balloons (tests record them instead). Must
  // outlive every download and fetch.
  void SetPrompts(IUserPrompts* prompts) { prompts_ = prompts; }
  IUserPrompts& prompts() { return *prompts_; }

  // First turn of the main window's start: the cached values into the configuration record.
  void LoadCachedSettings();
  // Last turn: the context of the fetch thread (this window, the program's folder and version,
  // the configuration endpoint the program was built with, the folder the help pictures go to:
  // by default the user's own) and the first fetch.
  void Start(HWND main_window, const std::string& program_directory,
             const std::string& config_endpoint = ConfigEndpoint(),
             const std::string& picture_directory = win::UserPictureFolder(true));

  // 0x467: `url` is the installer address (the sender keeps the buffer). Dropped while a
  // download runs. True when a download started.
  bool OnUpdateDownload(HWND main_window, const char* url);
  bool downloading() const { return download_.running(); }

  // The settings (command 7) and help (command 9) dialogs, modal.
  INT_PTR ShowSettings(HWND owner);
  INT_PTR ShowHelp(HWND owner);

 private:
  ISettingsStore& settings_;
  ShellPrompts shell_;
  IUserPrompts* prompts_ = &shell_;
  std::unique_ptr<MainWindowLink> link_;
  CDownloadUpdate download_;
};

}  // namespace vl
