// Removal of a folder with everything below it.
#pragma once

#include <string>

namespace vl::uninstall {

// Deletes the files and folders below `path`, then `path` itself; returns whether `path` is gone.
// A junction or symbolic link, below it or `path` itself, is removed as a link: what it points
// to is never touched.
// Files whose lower-cased path contains "uninstall.bat" are spared, and so are files that cannot
// be deleted (in use, read-only); the folders holding them stay.
bool DeleteDirectoryTree(const std::wstring& path);

}  // namespace vl::uninstall
