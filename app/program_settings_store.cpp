#include "app/program_settings_store.h"

#include "app/settings.h"

namespace vl {

std::string ProgramSettingsStore::Read(const std::string& key) {
  return ReadSetting(key);
}

void ProgramSettingsStore::Write(const std::string& key, const std::string& value) {
  WriteSetting(key, value);
}

}  // namespace vl
