#include "online/remote_config.h"

#include <mutex>

namespace vl {
namespace {

// Never destroyed: the fetch thread, which is never joined, may still write while the process
// ends and its static objects are destroyed.
std::mutex& RecordLock() {
  static auto* lock = new std::mutex;
  return *lock;
}

RemoteConfig& Record() {
  static auto* record = new RemoteConfig;
  return *record;
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  for (;;) {
    const size_t hit = text.find(from, pos);
    if (hit == std::string_view::npos) break;
    out.append(text.substr(pos, hit - pos)).append(to);
    pos = hit + from.size();
  }
  out.append(text.substr(pos));
  return out;
}

}  // namespace

RemoteConfig GetRemoteConfig() {
  std::lock_guard<std::mutex> hold(RecordLock());
  return Record();
}

void UpdateRemoteConfig(const std::function<void(RemoteConfig&)>& change) {
  std::lock_guard<std::mutex> hold(RecordLock());
  change(Record());
}

std::string EncodeLineBreaks(std::string_view text) {
  const std::string crlf = ReplaceAll(text, "\r\n", "</br>");
  return ReplaceAll(ReplaceAll(crlf, "\n", "</br>"), "\r", "</br>");
}

std::string DecodeLineBreaks(std::string_view text) {
  return ReplaceAll(text, "</br>", "\n");
}

void LoadCachedRemoteConfig(ISettingsStore& settings) {
  const std::string tips = DecodeLineBreaks(settings.Read(kConnTipsKey));
  const std::string app_name = settings.Read(kAppNameKey);
  const std::string app_url = settings.Read(kAppUrlKey);
  const std::string debug_url = settings.Read(kOpenDebugModeUrlKey);
  const std::string driver_url = settings.Read(kAdbDriveUrlKey);
  UpdateRemoteConfig([&](RemoteConfig& c) {
    c.tips_conn = tips;
    if (!app_name.empty()) c.app_name = app_name;
    if (!app_url.empty()) c.app_url = app_url;
    c.open_debug_mode_url = debug_url;
    c.adb_drive_url = driver_url;
  });
}

}  // namespace vl
