// The installer's list of its files as the elevated uninstaller reads it from the installation
// folder: every path it accepts stays inside that folder.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "uninstall/installed_layout.h"

namespace {

bool StaysInside(const std::string& path) {
  return !path.empty() && path.front() != '\\' && path.find(':') == std::string::npos &&
         path.find('/') == std::string::npos && path.find("..") == std::string::npos &&
         path.size() <= vl::uninstall::kMaxLayoutPathLength;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto layout = vl::uninstall::ParseInstalledLayout(
      std::string_view(reinterpret_cast<const char*>(data), size));
  if (!layout) return 0;
  for (const auto* paths : {&layout->files, &layout->folders}) {
    for (const std::string& path : *paths) {
      if (!StaysInside(path)) __builtin_trap();
    }
  }
  return 0;
}
