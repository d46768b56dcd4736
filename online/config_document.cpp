#include "online/config_document.h"

#include <tinyxml2.h>

#include <cctype>

#include "common/text_convert.h"
#include "online/remote_config.h"

namespace vl {
namespace {

enum class TextEncoding { kUtf8, kAnsi, kUnsupported };

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// The encoding the XML declaration names ("<?xml version="1.0" encoding="GBK"?>"); UTF-8 when
// there is no declaration or it names none.
TextEncoding DeclaredEncoding(const tinyxml2::XMLDocument& xml) {
  const tinyxml2::XMLNode* first = xml.FirstChild();
  const tinyxml2::XMLDeclaration* declaration = first ? first->ToDeclaration() : nullptr;
  if (declaration == nullptr || declaration->Value() == nullptr) return TextEncoding::kUtf8;
  const std::string text = declaration->Value();
  const size_t key = text.find("encoding");
  if (key == std::string::npos) return TextEncoding::kUtf8;
  const size_t open = text.find_first_of("\"'", key);
  if (open == std::string::npos) return TextEncoding::kUnsupported;
  const size_t close = text.find(text[open], open + 1);
  if (close == std::string::npos) return TextEncoding::kUnsupported;
  const std::string name = Lower(std::string_view(text).substr(open + 1, close - open - 1));
  if (name == "utf-8" || name == "utf8") return TextEncoding::kUtf8;
  if (name == "gbk" || name == "gb2312" || name == "cp936") return TextEncoding::kAnsi;
  return TextEncoding::kUnsupported;
}

std::optional<std::string> ChildText(const tinyxml2::XMLElement* parent, const char* name,
                                     TextEncoding encoding) {
  const tinyxml2::XMLElement* child = parent->FirstChildElement(name);
  if (child == nullptr) return std::nullopt;
  const char* text = child->GetText();
  if (text == nullptr) return std::string();
  return encoding == TextEncoding::kUtf8 ? Utf8ToAnsi(text) : std::string(text);
}

}  // namespace

std::optional<ConfigDocument> ParseConfigDocument(std::string_view body) {
  tinyxml2::XMLDocument xml;
  // Parse takes the length, so a body without a terminating zero is fine.
  if (xml.Parse(body.data(), body.size()) != tinyxml2::XML_SUCCESS) return std::nullopt;
  const tinyxml2::XMLElement* root = xml.RootElement();
  if (root == nullptr) return std::nullopt;
  const TextEncoding encoding = DeclaredEncoding(xml);
  if (encoding == TextEncoding::kUnsupported) return std::nullopt;
  const auto text = [encoding](const tinyxml2::XMLElement* parent, const char* name) {
    return ChildText(parent, name, encoding);
  };
  ConfigDocument doc;
  doc.tips_conn = text(root, "tips_conn");
  doc.app_name = text(root, "app_name");
  doc.app_url = text(root, "app_url");
  doc.open_debug_mode_url = text(root, "open_debug_mode_url");
  doc.adb_drive_url = text(root, "adb_drive_url");
  doc.image_help_conn = text(root, "image_help_conn");
  doc.image_help_vcam = text(root, "image_help_vcam");
  doc.image_help_hcam = text(root, "image_help_hcam");
  if (const tinyxml2::XMLElement* update = root->FirstChildElement("update")) {
    doc.has_update = true;
    doc.appupdate_version = text(update, "appupdate_version").value_or("");
    doc.appupdate_url = text(update, "appupdate_url").value_or("");
    doc.appupdate_msg = text(update, "appupdate_msg").value_or("");
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
