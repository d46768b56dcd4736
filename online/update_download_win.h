// The installer download of an update, on its own worker thread: a fresh per-user temporary
// folder, the transfer with progress, the signature check, the rename and the start.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "online/user_prompts.h"

namespace vl {

// Shared by the update window (progress balloons) and its worker.
struct UpdateDownloadState {
  std::string url;
  std::string offered_version;     // the version the configuration offered for this address
  std::string program_version;     // the running program's
  std::string pinned_key_sha256;   // the publisher whose installers may start
  std::atomic<uint64_t> total{0};  // Content-Length; 0 while unknown
  std::atomic<int> percent{0};     // 0 to 100
  // For tests: called with the file's path once the download is complete, before it is locked
  // and checked.
  std::function<void(const std::string& path)> downloaded;
};

// Why an attempt failed (for tests; the user only sees the retry question).
enum class UpdateAttempt {
  kStarted,
  kBadName,         // the address names no installer file
  kNoFolder,        // no temporary folder could be made
  kDownloadFailed,  // network, status, length or file failure
  kUntrusted,       // unsigned, altered or signed by someone else: deleted
  kNotTheOffer,     // signed by us, but not the offered version of the installer, or not newer
  kRenameFailed,
  kStartFailed,
};

// One attempt: downloads into a new folder under the user's temporary folder as "<name>.tmp",
// renames it to "<name>.exe", locks it (no other program may write, rename or delete it, nor
// rename its folder) and, while it stays locked, checks the signature and the version resource
// (the installer's original name, the offered version, newer than the program) and starts it
// with "?update=true". Every failure removes what it wrote. `installer_path` receives the
// started file's path.
UpdateAttempt DownloadAndStartInstaller(UpdateDownloadState& state, IUserPrompts& prompts,
                                        std::string* installer_path = nullptr);

// The worker: attempts until one succeeds or the user declines "下载更新失败，是否继续尝试下载？";
// true when the installer was started.
bool RunUpdateDownload(UpdateDownloadState& state, IUserPrompts& prompts);

}  // namespace vl
