// The program's settings file ("AppConfig.ini", both copies) as the online services' store.
#pragma once

#include <string>

#include "online/i_settings_store.h"

namespace vl {

class ProgramSettingsStore : public ISettingsStore {
 public:
  std::string Read(const std::string& key) override;
  void Write(const std::string& key, const std::string& value) override;
};

}  // namespace vl
