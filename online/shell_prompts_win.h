// The real prompts: message boxes without owner (through the program's message box seam), the
// shell's "open" verb, and balloons through whoever owns the tray icon (the main window).
#pragma once

#include <windows.h>

#include <functional>
#include <string>

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

}  // namespace vl
