#include "uninstall/install_directory.h"

#include <shlobj.h>

#include <knownfolders.h>

#include "common/win/handles.h"
#include "common/win/registry.h"
#include "uninstall/product_identity.h"

namespace vl::uninstall {
namespace {

// "\\?\C:\x" -> "C:\x", "\\?\UNC\srv\share" -> "\\srv\share"; trailing backslashes dropped.
std::wstring Normalised(std::wstring path) {
  if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0) {
    path = L"\\\\" + path.substr(8);
  } else if (path.compare(0, 4, L"\\\\?\\") == 0) {
    path = path.substr(4);
  }
  while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  return path;
}

bool EqualNoCase(const wchar_t* a, size_t a_length, const wchar_t* b, size_t b_length) {
  return CompareStringOrdinal(a, static_cast<int>(a_length), b, static_cast<int>(b_length), TRUE) ==
         CSTR_EQUAL;
}

// "C:", "\\server\share" and every mount point count as roots.
bool IsRoot(const std::wstring& directory) {
  if (directory.size() <= 2) return true;  // "", "C:", "\" and the like
  if (directory.compare(0, 2, L"\\\\") == 0) {
    const size_t server_end = directory.find(L'\\', 2);
    if (server_end == std::wstring::npos) return true;
    if (directory.find(L'\\', server_end + 1) == std::wstring::npos) return true;
  }
  wchar_t volume[MAX_PATH];
  const std::wstring with_slash = directory + L"\\";
  if (GetVolumePathNameW(with_slash.c_str(), volume, MAX_PATH)) {
    if (SamePath(volume, directory)) return true;
  }
  return false;
}

// A folder as written and as the file system resolves it, when that differs.
void AddFolder(std::vector<std::wstring>* folders, const std::wstring& folder) {
  const std::wstring written = Normalised(folder);
  if (written.empty()) return;
  folders->push_back(written);
  const std::wstring resolved = FinalPath(written);
  if (!resolved.empty() && !SamePath(resolved, written)) folders->push_back(resolved);
}

// The 64-bit Program Files folders, which a 32-bit process on 64-bit Windows does not get from
// the special-folder calls (they answer with the x86 ones).
void AddNativeProgramFiles(std::vector<std::wstring>* folders) {
  win::RegistryKey key;
  if (key.Open(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
               KEY_READ | KEY_WOW64_64KEY) != ERROR_SUCCESS)
    return;
  for (const wchar_t* name : {L"ProgramW6432Dir", L"CommonW6432Dir", L"ProgramFilesDir"}) {
    std::wstring folder;
    if (key.GetString(name, &folder) == ERROR_SUCCESS) AddFolder(folders, folder);
  }
}

}  // namespace

std::wstring FinalPath(const std::wstring& path) {
  // No access asked for: only the name is read, whatever the file's sharing.
  win::UniqueHandle handle(
      CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle) return std::wstring();
  std::wstring buffer(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    const DWORD length =
        GetFinalPathNameByHandleW(handle.get(), &buffer[0], static_cast<DWORD>(buffer.size()),
                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) return std::wstring();
    if (length < buffer.size()) {
      buffer.resize(length);
      return Normalised(buffer);
    }
    buffer.assign(length + 1, L'\0');
  }
  return std::wstring();
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  const std::wstring x = Normalised(a);
  const std::wstring y = Normalised(b);
  return EqualNoCase(x.c_str(), x.size(), y.c_str(), y.size());
}

bool PathIsWithin(const std::wstring& inner, const std::wstring& outer) {
  const std::wstring in = Normalised(inner);
  const std::wstring out = Normalised(outer);
  if (out.empty()) return false;
  if (in.size() < out.size()) return false;
  if (!EqualNoCase(in.c_str(), out.size(), out.c_str(), out.size())) return false;
  return in.size() == out.size() || in[out.size()] == L'\\';
}

std::vector<std::wstring> SpecialFolders() {
  static const int kFolders[] = {
      CSIDL_DESKTOPDIRECTORY,
      CSIDL_COMMON_DESKTOPDIRECTORY,
      CSIDL_PERSONAL,
      CSIDL_COMMON_DOCUMENTS,
      CSIDL_MYMUSIC,
      CSIDL_MYPICTURES,
      CSIDL_MYVIDEO,
      CSIDL_FAVORITES,
      CSIDL_PROFILE,
      CSIDL_APPDATA,
      CSIDL_LOCAL_APPDATA,
      CSIDL_COMMON_APPDATA,
      CSIDL_PROGRAMS,
      CSIDL_COMMON_PROGRAMS,
      CSIDL_STARTMENU,
      CSIDL_COMMON_STARTMENU,
      CSIDL_STARTUP,
      CSIDL_TEMPLATES,
      CSIDL_PROGRAM_FILES,
      CSIDL_PROGRAM_FILESX86,
      CSIDL_PROGRAM_FILES_COMMON,
      CSIDL_PROGRAM_FILES_COMMONX86,
      CSIDL_WINDOWS,
      CSIDL_SYSTEM,
      CSIDL_SYSTEMX86,
      CSIDL_FONTS,
      CSIDL_INTERNET_CACHE,
  };
  std::vector<std::wstring> folders;
  wchar_t path[MAX_PATH];
  for (int csidl : kFolders) {
    if (SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
      AddFolder(&folders, path);
  }
  PWSTR downloads = nullptr;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Downloads, 0, nullptr, &downloads)))
    AddFolder(&folders, downloads);
  CoTaskMemFree(downloads);
  const DWORD temp_length = GetTempPathW(MAX_PATH, path);
  if (temp_length > 0 && temp_length < MAX_PATH) AddFolder(&folders, path);
  if (GetWindowsDirectoryW(path, MAX_PATH)) AddFolder(&folders, path);
  AddNativeProgramFiles(&folders);
  return folders;
}

InstallDirCheck CheckInstallDirectory(const ModulePath& uninstaller,
                                      const std::wstring& install_location,
                                      const std::vector<std::wstring>& special_folders) {
  InstallDirCheck check;
  if (uninstaller.truncated || uninstaller.path.empty()) {
    check.verdict = InstallDirVerdict::kTruncatedPath;
    return check;
  }
  // The folder the uninstaller really runs from, whatever links or short names its path has.
  std::wstring own = FinalPath(uninstaller.path);
  if (own.empty()) {
    // A path the file system cannot open: its folder is still resolved the way the recorded
    // location is, so that both compare alike (on 64-bit Windows a 32-bit process's "System32"
    // resolves to SysWOW64).
    const std::wstring written = Normalised(uninstaller.path);
    const size_t cut = written.find_last_of(L'\\');
    const std::wstring folder =
        cut == std::wstring::npos ? std::wstring() : FinalPath(written.substr(0, cut + 1));
    own = folder.empty() ? written : folder + written.substr(cut);
  }
  const size_t slash = own.find_last_of(L'\\');
  check.directory = Normalised(slash == std::wstring::npos ? std::wstring() : own.substr(0, slash));

  const std::wstring location =
      install_location.empty() ? std::wstring() : FinalPath(install_location);
  if (location.empty()) {
    check.verdict = InstallDirVerdict::kNoInstallLocation;
    return check;
  }
  if (!SamePath(check.directory, location)) {
    check.verdict = InstallDirVerdict::kNotInInstallation;
    return check;
  }
  check.directory = location;
  if (IsRoot(location)) {
    check.verdict = InstallDirVerdict::kDriveRoot;
    return check;
  }
  for (const std::wstring& special : special_folders) {
    // The folder itself, or one that holds a special folder (C:\Users, a profile, ...).
    if (PathIsWithin(special, location)) {
      check.verdict = InstallDirVerdict::kSpecialFolder;
      return check;
    }
  }
  check.verdict = InstallDirVerdict::kInstallation;
  return check;
}

}  // namespace vl::uninstall
