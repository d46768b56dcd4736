#include "online/version_number.h"

namespace vl {

VersionNumber ParseVersion(std::string_view text) {
  VersionNumber version{};
  size_t field = 0;
  size_t pos = 0;
  while (field < version.size()) {
    uint32_t value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
      value = value * 10 + static_cast<uint32_t>(text[pos] - '0');
      if (value > 0xFFFF) value = 0xFFFF + 1;  // saturate; no overflow on long digit runs
      ++pos;
    }
    version[field++] = static_cast<uint16_t>(value > 0xFFFF ? 0xFFFF : value);
    const size_t dot = text.find('.', pos);
    if (dot == std::string_view::npos) break;
    pos = dot + 1;
  }
  return version;
}

std::string FormatVersion(const VersionNumber& version) {
  return std::to_string(version[0]) + "." + std::to_string(version[1]) + "." +
         std::to_string(version[2]) + "." + std::to_string(version[3]);
}

bool IsNewerVersion(std::string_view program, std::string_view offered) {
  if (program.empty()) return false;
  return ParseVersion(program) < ParseVersion(offered);
}

}  // namespace vl
