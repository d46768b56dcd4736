#include "common/win/user_data_folder.h"

#include <windows.h>
#include <shlobj.h>

namespace vl::win {

std::string UserDataFolder(bool create) {
  char path[MAX_PATH] = {};
  const int folder = CSIDL_LOCAL_APPDATA | (create ? CSIDL_FLAG_CREATE : 0);
  if (FAILED(SHGetFolderPathA(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  const std::string dir = std::string(path) + "\\Velloria";
  const DWORD attributes = GetFileAttributesA(dir.c_str());
  const bool exists =
      attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (!exists && (!create || !CreateDirectoryA(dir.c_str(), nullptr))) return {};
  return dir + "\\";
}

std::string UserPictureFolder(bool create) {
  const std::string data = UserDataFolder(create);
  if (data.empty()) return {};
  const std::string folder = data + "res\\";
  if (create) CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

}  // namespace vl::win
