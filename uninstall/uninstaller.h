// The uninstall run: confirmation, establishing the installation (the folder the uninstall entry
// records, holding this uninstaller), closing what runs from it, removing the uninstall entry, the
// shortcuts, the camera registration and what the installation put into its folder, and the
// final message. A run from anywhere else changes nothing.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "uninstall/install_directory.h"

namespace vl::uninstall {

// Texts of the questions and messages.
inline constexpr wchar_t kConfirmText[] = L"确定要卸载Velloria吗？";
inline constexpr wchar_t kConfirmCaption[] = L"Velloria卸载程序";
inline constexpr wchar_t kRunningText[] = L"安装程序检查到Velloria正在运行中，请先关闭后重试";
inline constexpr wchar_t kRunningCaption[] = L"程序正在运行";
inline constexpr wchar_t kDoneText[] = L"Velloria卸载完毕！";

// What a run works on. The program passes its own module path and the system's special folders.
struct UninstallSetup {
  ModulePath uninstaller;
  std::vector<std::wstring> special_folders;
  // How long a WM_CLOSE to the main window may take before the program counts as hung.
  DWORD close_timeout_ms = 3000;
  // Pause after the product stopped, for files still being released.
  DWORD settle_ms = 200;
};

enum class UninstallOutcome { kCancelled, kCompleted };

struct UninstallReport {
  UninstallOutcome outcome = UninstallOutcome::kCancelled;
  InstallDirCheck installation;
  bool layout_found = false;          // the installer's list of its files was there and sound
  std::vector<std::wstring> left;     // what stayed in the installation folder
  bool installation_removed = false;  // the folder itself is gone
};

// The installation folder recorded in the uninstall entry ("" when there is none).
std::wstring RecordedInstallLocation();

// The setup of the running program: its own path and the special folders of this machine.
UninstallSetup ProgramSetup();

// Runs the whole uninstall; every question is a message box owned by `dialog`, shown through the
// program's message-box seam (common/win/message_box.h), which tests answer.
UninstallReport RunUninstall(HWND dialog, const UninstallSetup& setup);

// The final message: the done text, and what was kept and why.
std::wstring FinalMessage(const UninstallReport& report);

}  // namespace vl::uninstall
