// Stands in for the running parts of an installation in the uninstaller tests. It is copied under
// the name of the part it plays:
//   Lumaroo.exe hung-window  opens a top-level window of the program's class titled "Velloria",
//                            then stops answering messages (a hung main program);
//   adb.exe [server]         runs like an adb server until "kill-server" is started from the
//                            same file, then ends;
//   adb.exe kill-server      stops the server of its own folder and notes the call in
//                            "kill-server.log" beside itself.
// Every mode ends by itself after two minutes at the latest, so no test leaves it behind.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "common/main_window_class.h"

namespace {

constexpr DWORD kLifetimeMs = 120000;

std::wstring OwnPath() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return std::wstring(path, length < MAX_PATH ? length : 0);
}

// One stop event per folder: a server is stopped only by a kill-server from its own folder.
std::wstring StopEventName() {
  std::wstring folder = OwnPath();
  folder = folder.substr(0, folder.find_last_of(L'\\'));
  if (!folder.empty()) CharLowerBuffW(&folder[0], static_cast<DWORD>(folder.size()));
  return L"Local\\VlTestAdbServer-" + std::to_wstring(std::hash<std::wstring>()(folder));
}

int RunServer() {
  HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, StopEventName().c_str());
  if (stop == nullptr) return 1;
  WaitForSingleObject(stop, kLifetimeMs);
  CloseHandle(stop);
  return 0;
}

int KillServer() {
  std::wstring log = OwnPath();
  log = log.substr(0, log.find_last_of(L'\\') + 1) + L"kill-server.log";
  std::ofstream(std::filesystem::path(log), std::ios::app | std::ios::binary) << "kill-server\r\n";
  // A server started a moment ago may not have made its event yet: give it a few seconds.
  HANDLE stop = nullptr;
  for (int i = 0; i < 100 && stop == nullptr; ++i) {
    stop = OpenEventW(EVENT_MODIFY_STATE, FALSE, StopEventName().c_str());
    if (stop == nullptr) Sleep(50);
  }
  if (stop == nullptr) return 1;
  SetEvent(stop);
  CloseHandle(stop);
  return 0;
}

int RunHungWindow() {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = DefWindowProcW;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.lpszClassName = vl::kMainWindowClassW;
  RegisterClassW(&window_class);
  HWND window = CreateWindowW(vl::kMainWindowClassW, L"Velloria", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                              100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (window == nullptr) return 1;
  // Never looks at its messages again.
  Sleep(kLifetimeMs);
  return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR command_line, int) {
  const std::wstring mode = command_line;
  if (mode == L"hung-window") return RunHungWindow();
  if (mode == L"kill-server") return KillServer();
  if (mode.empty() || mode == L"server") return RunServer();
  return 1;
}
