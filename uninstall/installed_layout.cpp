#include "uninstall/installed_layout.h"

#include <algorithm>
#include <cstring>

namespace vl::uninstall {
namespace {

size_t Depth(const std::string& path) {
  return static_cast<size_t>(std::count(path.begin(), path.end(), '\\'));
}

bool IsPlainComponent(std::string_view component) {
  if (component.empty() || component == "." || component == "..") return false;
  // Windows drops trailing dots and blanks: "res." would name "res".
  if (component.back() == '.' || component.back() == ' ') return false;
  for (char c : component) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F || std::strchr("<>:\"/|?*", c) != nullptr) return false;
  }
  return true;
}

bool IsPlainRelativePath(std::string_view path) {
  if (path.empty() || path.size() > kMaxLayoutPathLength) return false;
  size_t start = 0;
  for (;;) {
    const size_t slash = path.find('\\', start);
    if (!IsPlainComponent(path.substr(start, slash - start))) return false;
    if (slash == std::string_view::npos) return true;
    start = slash + 1;
  }
}

}  // namespace

std::optional<InstalledLayout> ParseInstalledLayout(std::string_view text) {
  if (text.size() > kMaxLayoutBytes) return std::nullopt;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  InstalledLayout layout;
  size_t entries = 0;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;
    if (++entries > kMaxLayoutEntries) return std::nullopt;
    const bool folder = line.back() == '\\';
    if (folder) line.remove_suffix(1);
    if (!IsPlainRelativePath(line)) return std::nullopt;
    (folder ? layout.folders : layout.files).emplace_back(line);
  }
  // A folder goes after everything below it.
  std::stable_sort(layout.folders.begin(), layout.folders.end(),
                   [](const std::string& a, const std::string& b) { return Depth(a) > Depth(b); });
  return layout;
}

}  // namespace vl::uninstall
