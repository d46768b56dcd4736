// The main window's update downloader: a hidden child window that exists while an installer
// downloads, shows the progress as tray balloons and ends with the worker's message 0x465.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "common/win/window_impl.h"
#include "online/update_download_win.h"
#include "online/user_prompts.h"

namespace vl {

class CDownloadUpdate : public win::CWindowImpl<CDownloadUpdate> {
 public:
  static constexpr UINT kDownloadEnded = 0x465;  // wParam 1: installer started, 0: given up
  static constexpr UINT_PTR kProgressTimer = 1;
  static constexpr UINT kProgressPeriodMs = 2000;

  CDownloadUpdate() = default;
  ~CDownloadUpdate() override;

  static const char* GetWndClassName() { return "VelloriaDownloadUpdate"; }

  // The prompts the download uses (balloons, the retry question, starting the installer); they
  // must outlive the worker, which may end after this window: `keep_alive`, when given, owns
  // them, and the worker holds it until it ends.
  void SetPrompts(IUserPrompts* prompts, std::shared_ptr<const void> keep_alive = nullptr) {
    prompts_ = prompts;
    keep_alive_ = std::move(keep_alive);
  }

  // Message 0x467 of the main window: creates the hidden child window of `parent` and starts
  // the download, unless a download runs already (then the request is dropped: false).
  bool Start(HWND parent, const std::string& url);
  bool running() const { return IsWindow(); }

  BEGIN_MSG_MAP(CDownloadUpdate)
  MESSAGE_HANDLER(WM_CREATE, OnCreate)
  MESSAGE_HANDLER(WM_TIMER, OnTimer)
  MESSAGE_HANDLER(kDownloadEnded, OnDownloadEnded)
  END_MSG_MAP()

 private:
  // Announces the download and starts the worker thread.
  bool StartBackgroundDownload(const std::string& url);
  LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnTimer(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnDownloadEnded(UINT, WPARAM, LPARAM, BOOL&);

  IUserPrompts* prompts_ = nullptr;
  std::shared_ptr<const void> keep_alive_;
  std::shared_ptr<UpdateDownloadState> state_;
};

}  // namespace vl
