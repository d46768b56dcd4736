// The real prompts: message boxes without owner (through the program's message box seam), the
// shell's "open" verb, and balloons through whoever owns the tray icon (the main window).
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>

#include "online/update_check.h"
#include "online/user_prompts.h"

namespace vl {

class ShellPrompts : public IUserPrompts {
 public:
  using BalloonSink = std::function<void(const std::string& text, const std::string& title)>;
  explicit ShellPrompts(BalloonSink balloons) : balloons_(std::move(balloons)) {}

  bool AskYesNo(const std::string& text, const std::string& caption) override;
  void Inform(const std::string& text, const std::string& caption) override;
  void ShowBalloon(const std::string& text, const std::string& title) override;
  bool OpenWebPage(const std::string& url) override;
  bool StartProgram(const std::string& path, const std::string& parameters) override;

 private:
  BalloonSink balloons_;
};

// The hand-overs to the main window's thread, sent and waited for.
inline constexpr UINT kUpdateDownloadMessage = 0x467;  // lParam: the installer address (char*)
inline constexpr UINT kHelpPictureChangedMessage = 0x468;

class MainWindowLink : public IUpdateDownloadStarter {
 public:
  explicit MainWindowLink(HWND window) : window_(window) {}
  // The address stays the sender's: the send returns only after the window has copied it.
  // Only addresses sent this way are taken by the window (IsUpdateOfferFromThisProcess).
  void StartUpdateDownload(const std::string& url) override;
  void HelpPictureChanged();
  // The window is going: nothing more is sent to it.
  void Close() { window_ = nullptr; }

 private:
  std::atomic<HWND> window_;
};

// Message 0x467 carries an address in this process: the window reads it only when this process
// sent it through a MainWindowLink and is still waiting for the answer. Any program can send a
// window any message; an address from elsewhere is never read.
bool IsUpdateOfferFromThisProcess(LPARAM lparam);

}  // namespace vl
