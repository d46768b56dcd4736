// The list of what an installation put on the disk, as the installer records it beside the
// program ("installed.lst"): one path per line, relative to the installation folder, backslashes
// between folders, a folder marked by a trailing backslash; UTF-8, empty lines ignored. The
// build writes it from the laid-out installation, so what the installer brings and what the
// uninstaller removes come from one place.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vl::uninstall {

inline constexpr char kInstalledLayoutFile[] = "installed.lst";
// Bounds of a list the uninstaller reads (it runs elevated: nothing unbounded).
inline constexpr size_t kMaxLayoutBytes = 256 * 1024;
inline constexpr size_t kMaxLayoutEntries = 4096;
inline constexpr size_t kMaxLayoutPathLength = 200;

struct InstalledLayout {
  std::vector<std::string> files;    // "res\\default.png"
  std::vector<std::string> folders;  // "res", deepest first
};

// Nothing when the list is too long or any line is not a plain relative path inside the
// installation: empty components, "." or "..", a drive, a leading backslash, forward slashes,
// wildcards, quotes, angle brackets, "|", ":" or control characters.
std::optional<InstalledLayout> ParseInstalledLayout(std::string_view text);

}  // namespace vl::uninstall
