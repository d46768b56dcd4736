#include "uninstall/running_product.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <cwchar>

#include "common/win/handles.h"
#include "uninstall/install_directory.h"
#include "uninstall/product_identity.h"

namespace vl::uninstall {
namespace {

// The full path of a process's executable: its first module, or (for a process whose modules
// cannot be listed from here, such as a 64-bit one) the image name the system keeps.
std::wstring ImagePath(DWORD process_id) {
  win::UniqueHandle modules(
      CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, process_id));
  if (modules) {
    MODULEENTRY32W module;
    module.dwSize = sizeof(module);
    if (Module32FirstW(modules.get(), &module)) return module.szExePath;
  }
  win::UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id));
  if (!process) return std::wstring();
  wchar_t path[MAX_PATH];
  DWORD length = MAX_PATH;
  if (!QueryFullProcessImageNameW(process.get(), 0, path, &length)) return std::wstring();
  return std::wstring(path, length);
}

// Calls `visit(process id)` for every process with exactly this image name until it returns
// false.
template <typename Visit>
void ForEachProcessNamed(const wchar_t* image_name, Visit visit) {
  win::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return;
  PROCESSENTRY32W entry;
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
       more = Process32NextW(snapshot.get(), &entry)) {
    if (std::wcscmp(entry.szExeFile, image_name) == 0 && !visit(entry.th32ProcessID)) return;
  }
}

}  // namespace

std::wstring FolderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L'\\');
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

bool IsProductAdb(const std::wstring& adb_folder, const std::wstring& main_folder,
                  const std::wstring& installation, bool main_running) {
  if (adb_folder.empty()) return false;
  // Exact folders: an adb elsewhere below the program's folder, or any adb when the program's
  // folder is unknown, is somebody else's.
  if (!main_folder.empty() && SamePath(adb_folder, main_folder + kAdbFolderName)) return true;
  if (!installation.empty() && SamePath(adb_folder, installation + L"\\" + kAdbFolderName))
    return true;
  return !main_running && adb_folder.find(kBrandWord) != std::wstring::npos;
}

bool FindRunningProduct(const std::wstring& installation, std::wstring* adb_path) {
  adb_path->clear();
  bool running = false;
  std::wstring main_folder;
  ForEachProcessNamed(kMainImageName, [&](DWORD id) {
    running = true;
    // With several instances the last one whose path can be read wins.
    const std::wstring folder = FolderOf(ImagePath(id));
    if (!folder.empty()) main_folder = folder;
    return true;
  });

  ForEachProcessNamed(kAdbImageName, [&](DWORD id) {
    const std::wstring path = ImagePath(id);
    if (!IsProductAdb(FolderOf(path), main_folder, installation, running)) return true;
    running = true;
    *adb_path = path;
    return false;
  });
  return running;
}

bool CloseMainWindow(DWORD timeout_ms) {
  HWND window = FindWindowW(nullptr, kMainWindowTitle);
  if (window == nullptr) return false;
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, timeout_ms, &result);
  return true;
}

void StopAdbServer(const std::wstring& adb_path) {
  ShellExecuteW(nullptr, L"open", adb_path.c_str(), L"kill-server", nullptr, SW_HIDE);
}

}  // namespace vl::uninstall
