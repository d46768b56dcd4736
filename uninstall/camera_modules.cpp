#include "uninstall/camera_modules.h"

#include <windows.h>

#include "common/win/handles.h"
#include "uninstall/product_identity.h"

namespace vl::uninstall {
namespace {

// How long the 64-bit regsvr32 may take.
constexpr DWORD kRegistrarTimeoutMs = 30000;

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool UnregisterInProcess(const std::wstring& module_path) {
  HMODULE module = LoadLibraryExW(module_path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (module == nullptr) return false;
  using UnregisterFn = HRESULT(STDAPICALLTYPE*)();
  auto unregister = reinterpret_cast<UnregisterFn>(
      reinterpret_cast<void*>(GetProcAddress(module, "DllUnregisterServer")));
  const bool ok = unregister != nullptr && SUCCEEDED(unregister());
  FreeLibrary(module);
  return ok;
}

bool IsWow64() {
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

// A 32-bit process cannot load a 64-bit module: the system's own 64-bit regsvr32 does it. The
// file system redirection is lifted so that "system32" names the 64-bit folder.
bool UnregisterThrough64BitRegistrar(const std::wstring& module_path) {
  wchar_t system[MAX_PATH];
  const UINT length = GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  const std::wstring registrar = std::wstring(system) + L"\\regsvr32.exe";
  std::wstring command = L"\"" + registrar + L"\" /s /u \"" + module_path + L"\"";

  void* redirection = nullptr;
  const bool lifted = Wow64DisableWow64FsRedirection(&redirection) != FALSE;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  const BOOL started = CreateProcessW(registrar.c_str(), &command[0], nullptr, nullptr, FALSE,
                                      CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info);
  if (lifted) Wow64RevertWow64FsRedirection(redirection);
  if (!started) return false;
  win::UniqueHandle process(info.hProcess);
  win::UniqueHandle thread(info.hThread);
  if (WaitForSingleObject(process.get(), kRegistrarTimeoutMs) != WAIT_OBJECT_0) return false;
  DWORD exit_code = 1;
  return GetExitCodeProcess(process.get(), &exit_code) && exit_code == 0;
}

}  // namespace

bool UnregisterCameraModules(const std::wstring& installation) {
  bool ok = true;
  for (const wchar_t* name : kCameraModules) {
    const std::wstring module = installation + L"\\" + name;
    if (Exists(module) && !UnregisterInProcess(module)) ok = false;
  }
  if (!IsWow64()) return ok;
  for (const wchar_t* name : kCameraModules) {
    const std::wstring module = installation + L"\\" + kCameraModules64Folder + L"\\" + name;
    if (Exists(module) && !UnregisterThrough64BitRegistrar(module)) ok = false;
  }
  return ok;
}

}  // namespace vl::uninstall
