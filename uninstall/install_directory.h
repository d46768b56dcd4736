// Which folder the uninstaller may work on: the installation folder that the installer recorded
// in the uninstall entry ("InstallLocation"), and only when the running uninstaller is the one
// inside it. Paths are compared as the file system resolves them (through junctions, symbolic
// links and short names). A drive root, a special folder of the system or an ancestor of one is
// never an installation, whatever the entry says.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "common/win/module_path.h"

namespace vl::uninstall {

// The uninstaller's own path, wide and with its truncation flag.
using ModulePath = win::WideModulePath;

enum class InstallDirVerdict {
  kInstallation,       // the recorded installation, and this uninstaller is inside it
  kTruncatedPath,      // the uninstaller's own path was cut: its folder is unknown
  kNoInstallLocation,  // no installation folder recorded, or it is gone
  kNotInInstallation,  // this uninstaller is not the one in the recorded installation folder
  kDriveRoot,          // the recorded folder is a drive root
  kSpecialFolder,      // the recorded folder is a system folder (Program Files, ...) or holds one
};

struct InstallDirCheck {
  InstallDirVerdict verdict = InstallDirVerdict::kTruncatedPath;
  // The installation folder (resolved, without a trailing backslash) for kInstallation and the
  // two folder verdicts; the uninstaller's own folder otherwise; empty when unknown.
  std::wstring directory;
};

// The folders a deletion must never remove or reach: the user's and the machine's special
// folders (the native Program Files too, which a 32-bit process does not see as such), the
// temporary folder, each also as the file system resolves it.
std::vector<std::wstring> SpecialFolders();

// Checks the recorded `install_location` against the uninstaller's own path and the rules above.
InstallDirCheck CheckInstallDirectory(const ModulePath& uninstaller,
                                      const std::wstring& install_location,
                                      const std::vector<std::wstring>& special_folders);

// The path of an existing file or folder as the file system resolves it (links followed, short
// names made long), without the "\\?\" prefix or a trailing backslash; "" when it cannot be
// opened.
std::wstring FinalPath(const std::wstring& path);

// Case-insensitive comparison of two paths as Windows compares file names; a trailing
// backslash is ignored.
bool SamePath(const std::wstring& a, const std::wstring& b);
// True when `inner` lies below `outer` (or is it).
bool PathIsWithin(const std::wstring& inner, const std::wstring& outer);

}  // namespace vl::uninstall
