// Removing what the installation put into its folder, by the list the installer recorded
// there, and nothing else: files of the user (or of anybody) in that folder stay and are named.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "uninstall/installed_layout.h"

namespace vl::uninstall {

// The list recorded in `installation`; nothing when it is missing, a link, too long or damaged.
std::optional<InstalledLayout> ReadInstalledLayout(const std::wstring& installation);

struct InstalledFilesRemoval {
  bool folder_removed = false;     // the installation folder itself is gone
  std::vector<std::wstring> left;  // names left in the folder (files and folders, top level)
};

// Deletes the listed files and then the listed folders once they are empty, never following a
// junction or link (one in the place of a listed folder is removed as a link), then the
// installation folder if nothing is left in it. `keep` (the running uninstaller) is not reported
// as left: it goes when Windows next starts.
InstalledFilesRemoval RemoveInstalledFiles(const std::wstring& installation,
                                           const InstalledLayout& layout, const std::wstring& keep);

// The names of the entries of `folder` (top level), `keep` left out.
std::vector<std::wstring> FolderEntries(const std::wstring& folder, const std::wstring& keep);

}  // namespace vl::uninstall
