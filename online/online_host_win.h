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

  // `settings` is the program's settings file, which outlives every fetch; `balloons` shows a
  // tray balloon (the main window's ShowBalloon), called until the host is destroyed.
  OnlineHost(ISettingsStore& settings, BalloonSink balloons);
  // The settings shared with the threads: they keep them while they run.
  OnlineHost(std::shared_ptr<ISettingsStore> settings, BalloonSink balloons);
  // The threads it started may go on (a slow server, an open question box): they keep what they
  // use -- the prompts, the settings, the link to the window -- and from now on show no balloon
  // and reach no window.
  ~OnlineHost();

  // Replaces the message boxes, shell opens and balloons (tests record them instead). Must
  // outlive every download and fetch; the host's own are shared with them.
  void SetPrompts(IUserPrompts* prompts) { prompts_ = prompts; }
  IUserPrompts& prompts() { return *prompts_; }
  // What the threads share with the host (for tests: it lives as long as a thread holds it).
  std::weak_ptr<const void> shared_with_threads() const { return shared_; }

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
  struct Shared;

  std::shared_ptr<Shared> shared_;
  ISettingsStore& settings_;
  IUserPrompts* prompts_;
  CDownloadUpdate download_;
};

}  // namespace vl
