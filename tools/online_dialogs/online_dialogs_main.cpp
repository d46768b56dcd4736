// Shows one of the online services' windows on its own, for screenshots and for tests that
// drive it with real input. Shell opens, boxes and balloons are recorded in a log file instead
// of executed; the screen rectangles of the controls are logged once the window is up.
//
//   online_dialogs.exe help|setting|balloon --log FILE [--adb-driver URL] [--debug-mode URL]
//                      [--app-name NAME] [--app-url URL]
// Exit code: the dialog's result (balloon: 0 after 12 s).
#include <windows.h>
#include <gdiplus.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "common/text_convert.h"
#include "online/download_progress.h"
#include "online/help_dlg.h"
#include "online/remote_config.h"
#include "online/setting_dlg.h"

namespace {

std::string g_log;

void Log(const std::string& line) {
  if (FILE* f = std::fopen(g_log.c_str(), "ab")) {
    std::fprintf(f, "%s\n", line.c_str());
    std::fclose(f);
  }
}

class LoggingPrompts : public vl::IUserPrompts {
 public:
  bool AskYesNo(const std::string& text, const std::string&) override {
    Log("ask " + text);
    return false;
  }
  void Inform(const std::string& text, const std::string&) override { Log("inform " + text); }
  void ShowBalloon(const std::string& text, const std::string&) override { Log("balloon " + text); }
  bool OpenWebPage(const std::string& url) override {
    Log("open " + url);
    return true;
  }
  bool StartProgram(const std::string& path, const std::string& parameters) override {
    Log("start " + path + " " + parameters);
    return true;
  }
};

// Logs "rect <id> <x> <y> <width> <height>" (screen pixels) of the window and its children.
BOOL CALLBACK LogChild(HWND child, LPARAM) {
  RECT rc;
  GetWindowRect(child, &rc);
  Log("rect " + std::to_string(GetDlgCtrlID(child)) + " " + std::to_string(rc.left) + " " +
      std::to_string(rc.top) + " " + std::to_string(rc.right - rc.left) + " " +
      std::to_string(rc.bottom - rc.top) + (IsWindowVisible(child) ? "" : " hidden"));
  return TRUE;
}

void CALLBACK LogLayout(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = GetActiveWindow();
  if (dialog == nullptr) return;
  KillTimer(nullptr, timer);
  RECT rc;
  GetWindowRect(dialog, &rc);
  Log("window " + std::to_string(rc.left) + " " + std::to_string(rc.top) + " " +
      std::to_string(rc.right - rc.left) + " " + std::to_string(rc.bottom - rc.top));
  EnumChildWindows(dialog, LogChild, 0);
  Log("ready");
}

// A tray icon with the download's progress balloon, as the main window shows it.
int ShowProgressBalloon() {
  HWND window = CreateWindowExA(0, "STATIC", "Velloria", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  NOTIFYICONDATAA data = {};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = 99;
  data.uFlags = NIF_ICON | NIF_TIP;
  data.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  std::strcpy(data.szTip, "Velloria");
  Shell_NotifyIconA(NIM_ADD, &data);
  data.uFlags = NIF_INFO;
  const std::string text = vl::ProgressBalloonText(48u * 1048576 + 314573, 37);
  const std::string title = vl::Utf8ToAnsi("软件更新");
  std::strncpy(data.szInfo, text.c_str(), sizeof data.szInfo - 1);
  std::strncpy(data.szInfoTitle, title.c_str(), sizeof data.szInfoTitle - 1);
  data.dwInfoFlags = NIIF_INFO;
  data.uTimeout = 10000;
  Shell_NotifyIconA(NIM_MODIFY, &data);
  Log("ready");
  const DWORD end = GetTickCount() + 12000;
  MSG msg;
  while (GetTickCount() < end) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(20);
  }
  data.uFlags = 0;
  Shell_NotifyIconA(NIM_DELETE, &data);
  DestroyWindow(window);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: online_dialogs help|setting|balloon --log FILE [options]\n");
    return 64;
  }
  const std::string what = argv[1];
  vl::RemoteConfig config;
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    const std::string value = argv[i + 1];
    if (option == "--log")
      g_log = value;
    else if (option == "--adb-driver")
      config.adb_drive_url = value;
    else if (option == "--debug-mode")
      config.open_debug_mode_url = value;
    else if (option == "--app-name")
      config.app_name = value;
    else if (option == "--app-url")
      config.app_url = value;
  }
  vl::UpdateRemoteConfig([&](vl::RemoteConfig& c) { c = config; });
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartup(&token, &input, nullptr);
  LoggingPrompts prompts;
  SetTimer(nullptr, 0, 400, LogLayout);
  INT_PTR result = 64;
  if (what == "help") {
    vl::HelpDlg dialog(prompts);
    result = dialog.DoModal(nullptr);
  } else if (what == "setting") {
    vl::Setting dialog(prompts, [] { Log("check"); });
    result = dialog.DoModal(nullptr);
  } else if (what == "balloon") {
    result = ShowProgressBalloon();
  }
  Log("result " + std::to_string(result));
  Gdiplus::GdiplusShutdown(token);
  return static_cast<int>(result);
}
