#include "online/installer_name.h"

#include <cctype>
#include <cstring>

#include "online/url_parts.h"

namespace vl {
namespace {

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool IsDeviceName(std::string_view name) {
  const std::string stem = Lower(name.substr(0, name.find('.')));
  static const char* const kDevices[] = {"con", "prn", "aux", "nul", "clock$"};
  for (const char* device : kDevices) {
    if (stem == device) return true;
  }
  return stem.size() == 4 && (stem.compare(0, 3, "com") == 0 || stem.compare(0, 3, "lpt") == 0) &&
         stem[3] >= '0' && stem[3] <= '9';
}

constexpr size_t kMaxNameLength = 200;

}  // namespace

std::optional<InstallerNames> InstallerNamesFromUrl(std::string_view url) {
  if (!IsWebAddress(url)) return std::nullopt;
  UrlParts parts;
  SplitUrl(url, &parts);
  std::string_view path = parts.path;
  path = path.substr(0, path.find('?'));
  const std::string_view name = path.substr(path.rfind('/') + 1);
  if (name.empty() || name.size() > kMaxNameLength) return std::nullopt;
  if (name.find("..") != std::string_view::npos) return std::nullopt;
  for (char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F || std::strchr("<>:\"/\\|?*", c) != nullptr) return std::nullopt;
  }
  constexpr std::string_view kExe = ".exe";
  if (name.size() <= kExe.size() || Lower(name.substr(name.size() - kExe.size())) != kExe)
    return std::nullopt;
  const std::string_view base = name.substr(0, name.size() - kExe.size());
  if (base.back() == '.' || base.back() == ' ' || base.front() == ' ' || IsDeviceName(name))
    return std::nullopt;
  InstallerNames names;
  names.final_name.assign(name);
  names.temp_name.assign(base).append(".tmp");
  return names;
}

}  // namespace vl
