#include "online/shell_prompts_win.h"

#include <shellapi.h>

#include <mutex>
#include <set>

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

namespace {

// The addresses this process's threads are sending with 0x467 right now.
struct PendingOffers {
  std::mutex lock;
  std::multiset<LPARAM> addresses;
};

PendingOffers& Pending() {
  static auto* pending = new PendingOffers;  // never destroyed: senders are never joined
  return *pending;
}

}  // namespace

bool IsUpdateOfferFromThisProcess(LPARAM lparam) {
  if (lparam == 0) return false;
  PendingOffers& p = Pending();
  std::lock_guard<std::mutex> hold(p.lock);
  return p.addresses.count(lparam) > 0;
}

void MainWindowLink::StartUpdateDownload(const std::string& url) {
  HWND window = window_;
  if (!window) return;
  const LPARAM address = reinterpret_cast<LPARAM>(url.c_str());
  PendingOffers& p = Pending();
  {
    std::lock_guard<std::mutex> hold(p.lock);
    p.addresses.insert(address);
  }
  ::SendMessageA(window, kUpdateDownloadMessage, 0, address);
  std::lock_guard<std::mutex> hold(p.lock);
  p.addresses.erase(p.addresses.find(address));
}

void MainWindowLink::HelpPictureChanged() {
  if (HWND window = window_) ::SendMessageA(window, kHelpPictureChangedMessage, 0, 0);
}

}  // namespace vl
