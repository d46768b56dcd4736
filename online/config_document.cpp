#include "online/config_document.h"

#include <tinyxml2.h>

#include "online/remote_config.h"

namespace vl {
namespace {

std::optional<std::string> ChildText(const tinyxml2::XMLElement* parent, const char* name) {
  const tinyxml2::XMLElement* child = parent->FirstChildElement(name);
  if (child == nullptr) return std::nullopt;
  const char* text = child->GetText();
  return std::string(text ? text : "");
}

}  // namespace

std::optional<ConfigDocument> ParseConfigDocument(std::string_view body) {
  tinyxml2::XMLDocument xml;
  // Parse takes the length, so a body without a terminating zero is fine.
  if (xml.Parse(body.data(), body.size()) != tinyxml2::XML_SUCCESS) return std::nullopt;
  const tinyxml2::XMLElement* root = xml.RootElement();
  if (root == nullptr) return std::nullopt;
  ConfigDocument doc;
  doc.tips_conn = ChildText(root, "tips_conn");
  doc.app_name = ChildText(root, "app_name");
  doc.app_url = ChildText(root, "app_url");
  doc.open_debug_mode_url = ChildText(root, "open_debug_mode_url");
  doc.adb_drive_url = ChildText(root, "adb_drive_url");
  doc.image_help_conn = ChildText(root, "image_help_conn");
  doc.image_help_vcam = ChildText(root, "image_help_vcam");
  doc.image_help_hcam = ChildText(root, "image_help_hcam");
  if (const tinyxml2::XMLElement* update = root->FirstChildElement("update")) {
    doc.has_update = true;
    doc.appupdate_version = ChildText(update, "appupdate_version").value_or("");
    doc.appupdate_url = ChildText(update, "appupdate_url").value_or("");
    doc.appupdate_msg = ChildText(update, "appupdate_msg").value_or("");
  }
  return doc;
}

void ApplyConfigDocument(const ConfigDocument& doc, ISettingsStore& settings) {
  UpdateRemoteConfig([&](RemoteConfig& c) {
    if (doc.tips_conn) c.tips_conn = *doc.tips_conn;
    if (doc.app_name) c.app_name = *doc.app_name;
    if (doc.app_url) c.app_url = *doc.app_url;
    if (doc.open_debug_mode_url) c.open_debug_mode_url = *doc.open_debug_mode_url;
    if (doc.adb_drive_url) c.adb_drive_url = *doc.adb_drive_url;
    if (doc.image_help_conn) c.image_help_conn = *doc.image_help_conn;
    if (doc.image_help_vcam) c.image_help_vcam = *doc.image_help_vcam;
    if (doc.image_help_hcam) c.image_help_hcam = *doc.image_help_hcam;
    if (doc.has_update) {
      c.appupdate_version = doc.appupdate_version;
      c.appupdate_url = doc.appupdate_url;
      c.appupdate_msg = doc.appupdate_msg;
    }
  });
  // The settings file is written outside the record's lock: the profile functions are slow.
  if (doc.tips_conn) settings.Write(kConnTipsKey, EncodeLineBreaks(*doc.tips_conn));
  if (doc.app_name) settings.Write(kAppNameKey, *doc.app_name);
  if (doc.app_url) settings.Write(kAppUrlKey, *doc.app_url);
  if (doc.open_debug_mode_url) settings.Write(kOpenDebugModeUrlKey, *doc.open_debug_mode_url);
  if (doc.adb_drive_url) settings.Write(kAdbDriveUrlKey, *doc.adb_drive_url);
}

std::string ConfigRequestUrl(std::string_view endpoint, std::string_view version, long long now) {
  std::string url(endpoint);
  url.append("?ver=").append(version).append("&rand=").append(std::to_string(now));
  return url;
}

}  // namespace vl
