// Where an accepted update's installer address goes: the main window's background download.
#pragma once

#include <string>

namespace vl {

// Receives an installer address on the window thread (kMsgUpdateOffer of the main window).
class IUpdateDownloadStarter {
 public:
  virtual ~IUpdateDownloadStarter() = default;
  virtual void StartUpdateDownload(const std::string& url) = 0;
};

}  // namespace vl
