// The online services as the main window hosts them: cached settings read at start, the
// configuration fetch, the update download (kMsgUpdateOffer) and the settings and help dialogs
// (kCommandSettings, kCommandNoDeviceHelp). The main window owns one, calls its start-up turns
// and chains its message map; the help-picture news (kMsgHelpPictures) is the window's own.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "common/main_window_messages.h"
#include "common/win/message_map.h"
#include "common/win/user_data_folder.h"
#include "online/download_update_wnd.h"
#include "online/online_context.h"
#include "online/i_settings_store.h"
#include "online/main_window_link_win.h"
#include "online/shell_prompts_win.h"

namespace vl {

class OnlineHost : public win::CMessageMap {
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
  void LoadCachedRemoteConfig();
  // Last turn: the context of the fetch thread (this window, the program's folder and version,
  // the configuration endpoint the program was built with, the folder the help pictures go to:
  // by default the user's own) and the first fetch. The dialogs and downloads that the message
  // map starts belong to `main_window` from then on.
  void Start(HWND main_window, const std::string& program_directory,
             const std::string& config_endpoint = ConfigEndpoint(),
             const std::string& picture_directory = win::UserPictureFolder(true));

  // kMsgUpdateOffer: `url` is the installer address (the sender keeps the buffer). Dropped while a
  // download runs. True when a download started.
  bool StartUpdateDownload(HWND main_window, const char* url);
  bool downloading() const { return download_.running(); }

  // The settings (kCommandSettings) and help (kCommandNoDeviceHelp) dialogs, modal.
  INT_PTR ShowSettings(HWND owner);
  INT_PTR ShowHelp(HWND owner);

  BEGIN_MSG_MAP(OnlineHost)
  MESSAGE_HANDLER(kMsgUpdateOffer, OnUpdateOffer)
  COMMAND_ID_HANDLER(kCommandSettings, OnSettingsCommand)
  COMMAND_ID_HANDLER(kCommandNoDeviceHelp, OnHelpCommand)
  END_MSG_MAP()

 private:
  struct Shared;

  // Only an address this process's update check is sending: any program can send kMsgUpdateOffer.
  LRESULT OnUpdateOffer(UINT, WPARAM, LPARAM lparam, BOOL&);
  LRESULT OnSettingsCommand(WORD, WORD, HWND, BOOL&);
  LRESULT OnHelpCommand(WORD, WORD, HWND, BOOL&);

  HWND window_ = nullptr;  // the main window, from Start

  std::shared_ptr<Shared> shared_;
  ISettingsStore& settings_;
  IUserPrompts* prompts_;
  CDownloadUpdate download_;
};

}  // namespace vl
