// The file names an installer download is saved under, taken from its address.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vl {

struct InstallerNames {
  std::string final_name;  // "setup_2.1.exe"
  std::string temp_name;   // "setup_2.1.tmp", renamed to the final name once complete
};

// The last segment of the address's path (query and fragment cut off). Nothing when the address
// is not a web address, or the name is empty, holds "..", a path separator, a drive colon or
// any character Windows forbids in file names, is a device name ("con.exe"), or does not end in
// ".exe". The names are plain file names: the caller joins them to a folder of its own.
std::optional<InstallerNames> InstallerNamesFromUrl(std::string_view url);

}  // namespace vl
