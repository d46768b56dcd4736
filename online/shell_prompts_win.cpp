#include "online/shell_prompts_win.h"

#include <shellapi.h>

#include "common/win/message_box.h"

namespace vl {

bool ShellPrompts::AskYesNo(const std::string& text, const std::string& caption) {
  return win::ShowMessageBox(nullptr, text, caption, MB_YESNO) == IDYES;
}

void ShellPrompts::Inform(const std::string& text, const std::string& caption) {
  win::ShowMessageBox(nullptr, text, caption, MB_OK);
}

void ShellPrompts::ShowBalloon(const std::string& text, const std::string& title) {
  if (balloons_) balloons_(text, title);
}

bool ShellPrompts::OpenWebPage(const std::string& url) {
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}

bool ShellPrompts::StartProgram(const std::string& path, const std::string& parameters) {
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteA(nullptr, "open", path.c_str(), parameters.c_str(), nullptr, SW_SHOWNORMAL));
  return result > 32;
}

}  // namespace vl
