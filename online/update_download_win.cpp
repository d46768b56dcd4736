#include "online/update_download_win.h"

#include <windows.h>
#include <wininet.h>

#include "common/text_convert.h"
#include "common/win/handles.h"
#include "online/download_progress.h"
#include "online/http_client_win.h"
#include "online/installer_identity_win.h"
#include "online/installer_name.h"
#include "online/signature_check_win.h"

namespace vl {
namespace {

constexpr uint64_t kMaxInstallerBytes = 1ull << 30;

// A folder of our own under the user's temporary folder, new for every attempt, so nothing the
// download writes can meet a file of the program or of an earlier attempt.
std::string MakeFreshFolder() {
  char temp[MAX_PATH + 1] = {};
  const DWORD n = GetTempPathA(sizeof temp, temp);
  if (n == 0 || n > MAX_PATH) return "";
  std::string base(temp, n);
  if (base.back() != '\\') base += '\\';
  for (int i = 0; i < 100; ++i) {
    const std::string folder = base + "VelloriaUpdate-" + std::to_string(GetCurrentProcessId()) +
                               "-" + std::to_string(GetTickCount()) + "-" + std::to_string(i);
    if (CreateDirectoryA(folder.c_str(), nullptr)) return folder + "\\";
    if (GetLastError() != ERROR_ALREADY_EXISTS) return "";
  }
  return "";
}

void RemoveFolder(const std::string& folder) {
  RemoveDirectoryA(folder.substr(0, folder.size() - 1).c_str());
}

// A handle on the folder that lets others read and write in it but not rename or delete it, so
// the path of a locked file inside keeps naming that file.
win::UniqueHandle LockFolder(const std::string& folder) {
  return win::UniqueHandle(CreateFileA(folder.substr(0, folder.size() - 1).c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// Read access shared for reading only: nobody can write, rename or delete the file while the
// handle is held, and starting it (which only reads it) still works.
win::UniqueHandle LockFile(const std::string& path) {
  return win::UniqueHandle(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool DownloadToFile(UpdateDownloadState& state, const std::string& path) {
  win::UniqueHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                     CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  HttpOptions options;
  options.request_flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
  options.connect_timeout_ms = kConnectTimeoutMs;
  options.receive_timeout_ms = kReceiveTimeoutMs;
  options.send_timeout_ms = kSendTimeoutMs;
  options.max_bytes = kMaxInstallerBytes;
  const auto sink = [&](const uint8_t* data, size_t size) {
    DWORD written = 0;
    return WriteFile(file.get(), data, static_cast<DWORD>(size), &written, nullptr) &&
           written == size;
  };
  const auto progress = [&](uint64_t received, uint64_t total) {
    state.total = total;
    state.percent = ProgressPercent(received, total);
  };
  std::string error;
  return HttpTransfer(state.url, options, sink, progress, &error) > 0 && error.empty();
}

}  // namespace

UpdateAttempt DownloadAndStartInstaller(UpdateDownloadState& state, IUserPrompts& prompts,
                                        std::string* installer_path) {
  state.total = 0;
  state.percent = 0;
  const auto names = InstallerNamesFromUrl(state.url);
  if (!names) return UpdateAttempt::kBadName;
  const std::string folder = MakeFreshFolder();
  if (folder.empty()) return UpdateAttempt::kNoFolder;
  const std::string temp_path = folder + names->temp_name;
  const std::string final_path = folder + names->final_name;
  win::UniqueHandle folder_lock = LockFolder(folder);
  win::UniqueHandle file_lock;
  const auto give_up = [&](const std::string& file, UpdateAttempt why) {
    file_lock.reset();
    DeleteFileA(file.c_str());
    folder_lock.reset();
    RemoveFolder(folder);
    return why;
  };
  if (!folder_lock) return give_up(temp_path, UpdateAttempt::kNoFolder);
  if (!DownloadToFile(state, temp_path)) return give_up(temp_path, UpdateAttempt::kDownloadFailed);
  if (state.downloaded) state.downloaded(temp_path);
  if (!MoveFileExA(temp_path.c_str(), final_path.c_str(), 0))
    return give_up(temp_path, UpdateAttempt::kRenameFailed);
  // From here to the start the file cannot change: what is checked is what starts. (A change
  // before the lock is judged by the checks.)
  file_lock = LockFile(final_path);
  if (!file_lock) return give_up(final_path, UpdateAttempt::kRenameFailed);
  if (CheckInstallerSignature(final_path, state.pinned_key_sha256, file_lock.get()) !=
      SignatureCheck::kTrusted)
    return give_up(final_path, UpdateAttempt::kUntrusted);
  if (JudgeInstaller(ReadInstallerIdentity(final_path), state.offered_version,
                     state.program_version) != InstallerVerdict::kAccepted)
    return give_up(final_path, UpdateAttempt::kNotTheOffer);
  if (!prompts.StartProgram(final_path, "?update=true"))
    return give_up(final_path, UpdateAttempt::kStartFailed);
  if (installer_path) *installer_path = final_path;
  return UpdateAttempt::kStarted;
}

bool RunUpdateDownload(UpdateDownloadState& state, IUserPrompts& prompts) {
  for (;;) {
    if (DownloadAndStartInstaller(state, prompts) == UpdateAttempt::kStarted) return true;
    if (!prompts.AskYesNo(Utf8ToAnsi("下载更新失败，是否继续尝试下载？"), Utf8ToAnsi("提示")))
      return false;
  }
}

}  // namespace vl
