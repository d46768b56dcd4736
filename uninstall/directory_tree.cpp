#include "uninstall/directory_tree.h"

#include <windows.h>

#include "common/win/handles.h"
#include "uninstall/product_identity.h"

namespace vl::uninstall {
namespace {

bool IsSpared(const std::wstring& path) {
  std::wstring lower = path;
  if (!lower.empty()) CharLowerBuffW(&lower[0], static_cast<DWORD>(lower.size()));
  return lower.find(kSparedFileName) != std::wstring::npos;
}

}  // namespace

bool DeleteDirectoryTree(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    // The folder itself is a junction or link: it goes, what it points to stays.
    return RemoveDirectoryW(path.c_str()) != FALSE;
  }
  WIN32_FIND_DATAW entry;
  {
    win::UniqueFindHandle find(FindFirstFileW((path + L"\\*").c_str(), &entry));
    for (bool more = static_cast<bool>(find); more;
         more = FindNextFileW(find.get(), &entry) != FALSE) {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring full = path + L"\\" + name;
      const bool directory = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        // A junction or symbolic link: the link goes, its target stays as it is.
        if (directory) {
          RemoveDirectoryW(full.c_str());
        } else {
          DeleteFileW(full.c_str());
        }
      } else if (directory) {
        DeleteDirectoryTree(full);
      } else if (!IsSpared(full)) {
        DeleteFileW(full.c_str());
      }
    }
  }
  return RemoveDirectoryW(path.c_str()) != FALSE;
}

}  // namespace vl::uninstall
