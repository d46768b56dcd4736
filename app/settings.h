// The program's local settings: "AppConfig.ini", section "Config", in the user data directory
// (the primary copy, read first) and beside the program (the fallback copy); both are written
// on every change.
#pragma once

#include <string>
#include <vector>

namespace vl {

// The per-user local application data folder + "Velloria\", created if missing; "" when it
// cannot be found or created.
std::string GetUserDataDir();

// The two copies, given by their directories (each with its final backslash, or "" when there
// is none: that copy is then neither read nor written, never resolved elsewhere).
class SettingsFiles {
 public:
  SettingsFiles(std::string user_dir, std::string app_dir);

  // The user copy's value, or the program directory copy's when the user copy does not hold
  // the key (a key the user copy holds with an empty value reads as empty); "" when neither
  // holds it. At most 258 bytes, never half a double-byte character.
  std::string Read(const std::string& key) const;
  // Writes the value (as one line, line breaks stored as "</br>") into both copies; a copy
  // that cannot be written is skipped. Invalid keys are not written.
  void Write(const std::string& key, const std::string& value) const;

  // Full paths of the copies in use, user copy first.
  std::vector<std::string> Paths() const;

 private:
  std::string user_file_;
  std::string app_file_;
};

// Both copies of this installation: GetUserDataDir() and the application directory.
SettingsFiles ProgramSettingsFiles();
std::string ReadSetting(const std::string& key);
void WriteSetting(const std::string& key, const std::string& value);

}  // namespace vl
