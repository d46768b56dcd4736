// What the online services show or start on the user's desktop: question and notice boxes,
// tray balloons and shell opens. An interface so tests answer and record them instead.
#pragma once

#include <string>

namespace vl {

class IUserPrompts {
 public:
  virtual ~IUserPrompts() = default;
  // A Yes/No box without owner; true for Yes. Texts in the ANSI code page.
  virtual bool AskYesNo(const std::string& text, const std::string& caption) = 0;
  // An OK box without owner.
  virtual void Inform(const std::string& text, const std::string& caption) = 0;
  // A balloon of the main window's tray icon (info icon, 10 s).
  virtual void ShowBalloon(const std::string& text, const std::string& title) = 0;
  // The shell's "open" verb, shown normally; true when the shell accepted it. Callers pass only
  // web addresses to OpenWebPage (see OpenWebAddress).
  virtual bool OpenWebPage(const std::string& url) = 0;
  virtual bool StartProgram(const std::string& path, const std::string& parameters) = 0;
};

}  // namespace vl
