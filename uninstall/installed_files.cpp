#include "uninstall/installed_files.h"

#include <windows.h>

#include "common/text_convert.h"
#include "common/win/handles.h"
#include "uninstall/install_directory.h"

namespace vl::uninstall {
namespace {

std::wstring Wide(const std::string& utf8) {
  const std::u16string text = Utf8ToUtf16(utf8);
  return std::wstring(text.begin(), text.end());
}

DWORD Attributes(const std::wstring& path) {
  return GetFileAttributesW(path.c_str());
}

bool IsLink(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// True when no folder between the installation and `relative` (exclusive) is a link: a listed
// file is reached only through the installation's own folders.
bool ReachedWithoutLinks(const std::wstring& installation, const std::wstring& relative) {
  for (size_t slash = relative.find(L'\\'); slash != std::wstring::npos;
       slash = relative.find(L'\\', slash + 1)) {
    const DWORD attributes = Attributes(installation + L"\\" + relative.substr(0, slash));
    if (attributes == INVALID_FILE_ATTRIBUTES || IsLink(attributes) ||
        !(attributes & FILE_ATTRIBUTE_DIRECTORY))
      return false;
  }
  return true;
}

}  // namespace

std::optional<InstalledLayout> ReadInstalledLayout(const std::wstring& installation) {
  const std::wstring path = installation + L"\\" + Wide(kInstalledLayoutFile);
  const DWORD attributes = Attributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES || IsLink(attributes) ||
      (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return std::nullopt;
  win::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file) return std::nullopt;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > static_cast<LONGLONG>(kMaxLayoutBytes))
    return std::nullopt;
  std::string text(static_cast<size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!text.empty() &&
      (!ReadFile(file.get(), &text[0], static_cast<DWORD>(text.size()), &read, nullptr) ||
       read != text.size()))
    return std::nullopt;
  return ParseInstalledLayout(text);
}

InstalledFilesRemoval RemoveInstalledFiles(const std::wstring& installation,
                                           const InstalledLayout& layout,
                                           const std::wstring& keep) {
  InstalledFilesRemoval removal;
  for (const std::string& file : layout.files) {
    const std::wstring relative = Wide(file);
    if (!ReachedWithoutLinks(installation, relative)) continue;
    const std::wstring path = installation + L"\\" + relative;
    const DWORD attributes = Attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    // A read-only copy is still ours; a link in the place of a file goes as a link.
    if (attributes & FILE_ATTRIBUTE_READONLY)
      SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    DeleteFileW(path.c_str());
  }
  for (const std::string& folder : layout.folders) {
    const std::wstring relative = Wide(folder);
    if (!ReachedWithoutLinks(installation, relative)) continue;
    // Only when empty; a link in its place is removed as a link.
    RemoveDirectoryW((installation + L"\\" + relative).c_str());
  }
  removal.left = FolderEntries(installation, keep);
  if (removal.left.empty()) {
    removal.folder_removed = RemoveDirectoryW(installation.c_str()) != FALSE;
  }
  return removal;
}

std::vector<std::wstring> FolderEntries(const std::wstring& folder, const std::wstring& keep) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW entry;
  win::UniqueFindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &entry));
  for (bool more = static_cast<bool>(find); more;
       more = FindNextFileW(find.get(), &entry) != FALSE) {
    const std::wstring name = entry.cFileName;
    if (name == L"." || name == L"..") continue;
    if (!keep.empty() && SamePath(folder + L"\\" + name, keep)) continue;
    names.push_back(name);
  }
  return names;
}

}  // namespace vl::uninstall
