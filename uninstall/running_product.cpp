#include "uninstall/running_product.h"

#include <tlhelp32.h>

#include <cwchar>

#include "common/main_window_class.h"
#include "common/win/handles.h"
#include "uninstall/install_directory.h"
#include "uninstall/product_identity.h"

namespace vl::uninstall {
namespace {

// The executable of a process as the file system resolves it; "" when it cannot be read.
std::wstring ImagePath(DWORD process_id) {
  win::UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id));
  if (!process) return std::wstring();
  std::wstring path(32768, L'\0');
  DWORD length = static_cast<DWORD>(path.size());
  if (!QueryFullProcessImageNameW(process.get(), 0, &path[0], &length)) return std::wstring();
  path.resize(length);
  const std::wstring resolved = FinalPath(path);
  return resolved.empty() ? path : resolved;
}

// Calls `visit(process id)` for every process with exactly this image name.
template <typename Visit>
void ForEachProcessNamed(const wchar_t* image_name, Visit visit) {
  win::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return;
  PROCESSENTRY32W entry;
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
       more = Process32NextW(snapshot.get(), &entry)) {
    if (_wcsicmp(entry.szExeFile, image_name) == 0) visit(entry.th32ProcessID);
  }
}

struct WindowSearch {
  const std::vector<DWORD>* process_ids;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectMainWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  wchar_t class_name[64] = L"";
  if (!GetClassNameW(window, class_name, 64) || std::wcscmp(class_name, kMainWindowClassW) != 0)
    return TRUE;
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  for (DWORD id : *search->process_ids) {
    if (id == owner) search->found.push_back(window);
  }
  return TRUE;
}

}  // namespace

bool ProcessImageIsWithin(DWORD id, const std::wstring& installation) {
  if (installation.empty()) return false;
  const std::wstring image = ImagePath(id);
  return !image.empty() && PathIsWithin(image, installation);
}

RunningProduct FindRunningProduct(const std::wstring& installation) {
  RunningProduct product;
  if (installation.empty()) return product;
  ForEachProcessNamed(kMainImageName, [&](DWORD id) {
    if (ProcessImageIsWithin(id, installation)) product.main_programs.push_back(id);
  });
  ForEachProcessNamed(kAdbImageName, [&](DWORD id) {
    if (ProcessImageIsWithin(id, installation)) product.adb_servers.push_back(id);
  });
  return product;
}

int CloseMainWindows(const std::vector<DWORD>& process_ids, DWORD timeout_ms) {
  WindowSearch search{&process_ids, {}};
  EnumWindows(CollectMainWindow, reinterpret_cast<LPARAM>(&search));
  for (HWND window : search.found) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, timeout_ms,
                        &result);
  }
  return static_cast<int>(search.found.size());
}

bool StopAdbServer(const std::wstring& installation) {
  const std::wstring adb = installation + L"\\" + kAdbFolderName + L"\\" + kAdbImageName;
  const DWORD attributes = GetFileAttributesW(adb.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
    return false;
  // Started by its full path (no search of the current folder or PATH), in its own folder.
  std::wstring command = L"\"" + adb + L"\" kill-server";
  const std::wstring folder = installation + L"\\" + kAdbFolderName;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(adb.c_str(), &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                      folder.c_str(), &startup, &info))
    return false;
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return true;
}

int EndProcessesWithin(const std::vector<DWORD>& process_ids, const std::wstring& installation) {
  int ended = 0;
  for (DWORD id : process_ids) {
    win::UniqueHandle process(
        OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    if (!process) continue;
    // The id is held open from here: it cannot be reused while it is checked and ended.
    if (!ProcessImageIsWithin(id, installation)) continue;
    if (TerminateProcess(process.get(), 1)) ++ended;
  }
  return ended;
}

}  // namespace vl::uninstall
