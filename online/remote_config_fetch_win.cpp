#include "online/remote_config_fetch_win.h"

#include <windows.h>

#include <atomic>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "online/config_document.h"
#include "online/http_client_win.h"
#include "online/picture_file_win.h"
#include "online/remote_config.h"

namespace vl {
namespace {

std::atomic<bool> g_fetch_running{false};

DWORD WINAPI RunJob(void* param) {
  std::unique_ptr<std::function<void()>> job(static_cast<std::function<void()>*>(param));
  (*job)();
  return 0;
}

bool StartWindowsThread(std::function<void()> job) {
  auto* owned = new std::function<void()>(std::move(job));
  HANDLE thread = CreateThread(nullptr, 0, RunJob, owned, 0, nullptr);
  if (thread == nullptr) {
    delete owned;
    return false;
  }
  CloseHandle(thread);
  return true;
}

struct HelpPicture {
  std::string RemoteConfig::*address;
  const char* key;
  const char* file;
  bool is_placeholder;  // the preview's picture: tell the main window
};

// Written into the per-user picture folder, where the program and the cameras look first.
const HelpPicture kHelpPictures[] = {
    {&RemoteConfig::image_help_conn, kHelpConnImageKey, "default.png", true},
    {&RemoteConfig::image_help_vcam, kHelpVCamImageKey, "default_v.jpg", false},
    {&RemoteConfig::image_help_hcam, kHelpHCamImageKey, "default_h.jpg", false},
};

}  // namespace

bool StartRemoteConfigFetch(bool notify, const ThreadStarter& start_thread) {
  bool idle = false;
  if (!g_fetch_running.compare_exchange_strong(idle, true)) return false;
  const OnlineContext context = GetOnlineContext();
  auto job = [context, notify] {
    FetchRemoteConfig(context, notify);
    g_fetch_running = false;
  };
  const bool started = start_thread ? start_thread(job) : StartWindowsThread(job);
  // A thread that never started must not keep every later fetch out.
  if (!started) g_fetch_running = false;
  return started;
}

bool IsRemoteConfigFetchRunning() {
  return g_fetch_running;
}

int FetchRemoteConfig(const OnlineContext& context, bool notify) {
  if (!context.complete() || context.program_version.empty()) return 0;
  const std::string url = ConfigRequestUrl(context.config_endpoint, context.program_version,
                                           static_cast<long long>(std::time(nullptr)));
  std::vector<uint8_t> body;
  std::string error;
  if (HttpGet(url, &body, &error, kConnectTimeoutMs, kReceiveTimeoutMs, kSendTimeoutMs) == 0)
    return 0;
  const auto doc = ParseConfigDocument(
      std::string_view(reinterpret_cast<const char*>(body.data()), body.size()));
  if (!doc) return 1;
  ApplyConfigDocument(*doc, *context.settings);
  if (doc->has_update) {
    CheckForUpdate(context.program_version, doc->appupdate_version, doc->appupdate_msg,
                   doc->appupdate_url, notify, *context.prompts, *context.downloads);
    RefreshHelpImages(context);
  }
  return 1;
}

void RefreshHelpImages(const OnlineContext& context) {
  if (context.settings == nullptr || context.picture_directory.empty()) return;
  const RemoteConfig config = GetRemoteConfig();
  for (const HelpPicture& picture : kHelpPictures) {
    const std::string& address = config.*picture.address;
    if (address == context.settings->Read(picture.key)) continue;
    if (!address.empty()) {
      if (!DownloadPictureTo(address, context.picture_directory + picture.file)) continue;
      if (picture.is_placeholder && context.help_picture_changed) context.help_picture_changed();
    }
    context.settings->Write(picture.key, address);
  }
}

}  // namespace vl
