// Decides whether the folder that holds the running uninstaller is an installation of the
// program that may be deleted: it must hold the main program beside the uninstaller, must not be
// a drive root, a special folder of the system or an ancestor of one, and its path must be whole.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "common/win/module_path.h"

namespace vl::uninstall {

// The uninstaller's own path, wide and with its truncation flag.
using ModulePath = win::WideModulePath;

enum class InstallDirVerdict {
  kInstallation,   // delete it
  kTruncatedPath,  // the uninstaller's own path was cut: its folder is unknown
  kNoMainProgram,  // no Lumaroo.exe beside the uninstaller
  kDriveRoot,
  kSpecialFolder,  // a system folder (Desktop, Downloads, Program Files, ...) or holds one
};

struct InstallDirCheck {
  InstallDirVerdict verdict = InstallDirVerdict::kTruncatedPath;
  std::wstring directory;  // without a trailing backslash; empty when unknown
};

// The folders a deletion must never remove or reach: the user's and the machine's special
// folders and the temporary folder.
std::vector<std::wstring> SpecialFolders();

// Checks the folder of `uninstaller` against the rules above.
InstallDirCheck CheckInstallDirectory(const ModulePath& uninstaller,
                                      const std::vector<std::wstring>& special_folders);

// Case-insensitive comparison of two paths as Windows compares file names; a trailing
// backslash is ignored.
bool SamePath(const std::wstring& a, const std::wstring& b);
// True when `inner` lies below `outer` (or is it).
bool PathIsWithin(const std::wstring& inner, const std::wstring& outer);

}  // namespace vl::uninstall
