#include "app/setting_value.h"

#include "common/text_convert.h"

namespace vl {

std::string SettingValueForFile(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < value.size() && value[i + 1] == '\n') ++i;
      out += kStoredLineBreak;
    } else {
      out += c;
    }
  }
  return out;
}

bool IsValidSettingKey(std::string_view key) {
  return !key.empty() && key.front() != '[' && key.find_first_of("\r\n=") == std::string_view::npos;
}

std::string CutSettingValue(std::string_view value) {
  return CutAnsiText(value, kSettingValueLimit);
}

}  // namespace vl
