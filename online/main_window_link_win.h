// How the online services' threads reach the main window: the update offer (kMsgUpdateOffer)
// and the news of a new help picture (kMsgHelpPictures), both sent and waited for.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

#include "online/i_update_download_starter.h"

namespace vl {

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

// kMsgUpdateOffer carries an address in this process: the window reads it only when this process
// sent it through a MainWindowLink and is still waiting for the answer. Any program can send a
// window any message; an address from elsewhere is never read.
bool IsUpdateOfferFromThisProcess(LPARAM lparam);

}  // namespace vl
