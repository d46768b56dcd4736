#include <windows.h>
#include <shlobj.h>

#include "common/module_directory.h"
#include "app/setting_value.h"
#include "app/settings.h"
#include "common/win/user_data_folder.h"

namespace vl {
namespace {

constexpr char kFileName[] = "AppConfig.ini";
constexpr char kSection[] = "Config";

std::string FileIn(const std::string& dir) {
  return dir.empty() ? std::string() : dir + kFileName;
}

std::string ReadFrom(const std::string& file, const std::string& key) {
  if (file.empty()) return {};
  // Read with room to spare, then cut on a character boundary.
  char buffer[1024] = {};
  const DWORD n =
      GetPrivateProfileStringA(kSection, key.c_str(), "", buffer, sizeof buffer, file.c_str());
  return CutSettingValue(std::string(buffer, n));
}

}  // namespace

std::string GetUserDataDir() {
  return win::UserDataFolder(true);
}

SettingsFiles::SettingsFiles(std::string user_dir, std::string app_dir)
    : user_file_(FileIn(user_dir)), app_file_(FileIn(app_dir)) {}

std::string SettingsFiles::Read(const std::string& key) const {
  if (!IsValidSettingKey(key)) return {};
  std::string value = ReadFrom(user_file_, key);
  if (value.empty()) value = ReadFrom(app_file_, key);
  return value;
}

void SettingsFiles::Write(const std::string& key, const std::string& value) const {
  if (!IsValidSettingKey(key)) return;
  const std::string line = SettingValueForFile(value);
  // A copy that cannot be written (a read-only installation directory) is skipped.
  for (const std::string& file : Paths())
    WritePrivateProfileStringA(kSection, key.c_str(), line.c_str(), file.c_str());
}

std::vector<std::string> SettingsFiles::Paths() const {
  std::vector<std::string> paths;
  if (!user_file_.empty()) paths.push_back(user_file_);
  if (!app_file_.empty()) paths.push_back(app_file_);
  return paths;
}

SettingsFiles ProgramSettingsFiles() {
  return SettingsFiles(GetUserDataDir(), ApplicationDirectory());
}

std::string ReadSetting(const std::string& key) {
  return ProgramSettingsFiles().Read(key);
}

void WriteSetting(const std::string& key, const std::string& value) {
  ProgramSettingsFiles().Write(key, value);
}

}  // namespace vl
