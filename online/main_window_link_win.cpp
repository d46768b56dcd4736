#include "online/main_window_link_win.h"

#include <mutex>
#include <set>

#include "common/main_window_messages.h"

namespace vl {
namespace {

// The addresses this process's threads are sending with kMsgUpdateOffer right now.
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
  ::SendMessageA(window, kMsgUpdateOffer, 0, address);
  std::lock_guard<std::mutex> hold(p.lock);
  p.addresses.erase(p.addresses.find(address));
}

void MainWindowLink::HelpPictureChanged() {
  if (HWND window = window_) ::SendMessageA(window, kMsgHelpPictures, 0, 0);
}

}  // namespace vl
