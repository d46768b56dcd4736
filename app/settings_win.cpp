#include <windows.h>
#include <shlobj.h>

#include <optional>

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

// What a copy answers for a key: nothing when the copy has no such key, else its value (which
// may be empty).
std::optional<std::string> ReadFrom(const std::string& file, const std::string& key) {
  if (file.empty()) return std::nullopt;
  // A default no stored line can hold tells an absent key from an empty value.
  static constexpr char kAbsent[] = "\x7F<absent>\x7F";
  // Read with room to spare, then cut on a character boundary.
  char buffer[1024] = {};
  const DWORD n =
      GetPrivateProfileStringA(kSection, key.c_str(), kAbsent, buffer, sizeof buffer, file.c_str());
  const std::string value(buffer, n);
  if (value == kAbsent) return std::nullopt;
  return CutSettingValue(value);
}

}  // namespace

std::string GetUserDataDir() {
  return win::UserDataFolder(true);
}

SettingsFiles::SettingsFiles(std::string user_dir, std::string app_dir)
    : user_file_(FileIn(user_dir)), app_file_(FileIn(app_dir)) {}

std::string SettingsFiles::Read(const std::string& key) const {
  if (!IsValidSettingKey(key)) return {};
  // The fallback copy answers only for keys the user copy does not hold: a value the user copy
  // holds, even an empty one, is the newest, since the fallback copy may have missed writes
  // (a protected program folder keeps whatever an earlier run with more rights left there).
  if (std::optional<std::string> value = ReadFrom(user_file_, key)) return *value;
  return ReadFrom(app_file_, key).value_or(std::string());
}

void SettingsFiles::Write(const std::string& key, const std::string& value) const {
  if (!IsValidSettingKey(key)) return;
  const std::string line = SettingValueForFile(value);
  // A copy that cannot be written (a protected or read-only installation directory) is
  // skipped: it costs that copy only, as the user copy is read first (see Read).
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
