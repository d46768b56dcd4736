// Where the online services keep values between runs: the program's settings file
// ("AppConfig.ini", section "Config"). An interface so tests can watch what is written.
#pragma once

#include <string>

namespace vl {

class ISettingsStore {
 public:
  virtual ~ISettingsStore() = default;
  virtual std::string Read(const std::string& key) = 0;
  virtual void Write(const std::string& key, const std::string& value) = 0;
};

}  // namespace vl
