// The remote configuration record: texts, links, help-picture addresses and update offer that
// the configuration endpoint sends, cached between runs in the settings file.
#pragma once

#include <functional>
#include <string>

#include "online/i_settings_store.h"

namespace vl {

struct RemoteConfig {
  std::string tips_conn;
  std::string app_name;
  std::string app_url;
  std::string open_debug_mode_url;
  std::string adb_drive_url;
  std::string image_help_conn;
  std::string image_help_vcam;
  std::string image_help_hcam;
  std::string appupdate_version;
  std::string appupdate_url;
  std::string appupdate_msg;
};

// The one process-wide record. The fetch thread writes it while the window thread reads it, so
// both go through a lock: readers get a copy, writers change it in one step.
RemoteConfig GetRemoteConfig();
void UpdateRemoteConfig(const std::function<void(RemoteConfig&)>& change);

// Settings keys of the cached values.
inline constexpr char kConnTipsKey[] = "ConnTips";
inline constexpr char kAppNameKey[] = "AppName";
inline constexpr char kAppUrlKey[] = "AppUrl";
inline constexpr char kOpenDebugModeUrlKey[] = "OpenDebugModeUrl";
inline constexpr char kAdbDriveUrlKey[] = "AdbDriveUrl";
inline constexpr char kHelpConnImageKey[] = "HelpConnImage";
inline constexpr char kHelpVCamImageKey[] = "HelpVCamImage";
inline constexpr char kHelpHCamImageKey[] = "HelpHCamImage";

// Settings values are single lines: line breaks ("\r\n", then "\n", then a lone "\r") are stored
// as "</br>" and turned back into "\n" when read.
std::string EncodeLineBreaks(std::string_view text);
std::string DecodeLineBreaks(std::string_view text);

// At start, before any fetch: the cached connection tip (line breaks restored), the product name
// and page when stored non-empty, and the two help links as stored.
void LoadCachedRemoteConfig(ISettingsStore& settings);

}  // namespace vl
