#include "uninstall/uninstaller.h"

#include <shlobj.h>

#include "common/win/registry.h"
#include "uninstall/camera_modules.h"
#include "uninstall/directory_tree.h"
#include "uninstall/product_identity.h"
#include "uninstall/running_product.h"

namespace vl::uninstall {
namespace {

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring SpecialFolder(int csidl) {
  wchar_t path[MAX_PATH];
  if (!SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE)) return std::wstring();
  return path;
}

void RemoveUninstallEntry() {
  win::RegistryKey uninstall;
  if (uninstall.Open(HKEY_CURRENT_USER, kUninstallKeyPath, KEY_ALL_ACCESS) != ERROR_SUCCESS) return;
  // Values only, normally; anything below the entry goes with it.
  win::DeleteKeyTree(uninstall.get(), kUninstallEntryName);
}

// Asks until the product no longer runs; false when the user gives up.
bool StopRunningProduct(IUserPrompts& prompts, const UninstallSetup& setup,
                        const std::wstring& installation) {
  std::wstring adb_path;
  while (FindRunningProduct(installation, &adb_path)) {
    CloseMainWindow(setup.close_timeout_ms);
    if (!adb_path.empty()) StopAdbServer(adb_path);
    if (prompts.Show(GetActiveWindow(), kRunningText, kRunningCaption, MB_RETRYCANCEL) != IDRETRY)
      return false;
  }
  return true;
}

// The running uninstaller cannot delete its own file: that file, and then the folder once it is
// empty, are removed when Windows next starts.
void RemoveAtRestart(const std::wstring& uninstaller, const std::wstring& installation) {
  if (!PathIsWithin(uninstaller, installation) || !Exists(uninstaller)) return;
  MoveFileExW(uninstaller.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  MoveFileExW(installation.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

}  // namespace

UninstallSetup ProgramSetup() {
  UninstallSetup setup;
  setup.uninstaller = win::ModuleFilePathWide(nullptr);
  setup.special_folders = SpecialFolders();
  return setup;
}

std::wstring FinalMessage(const InstallDirCheck& installation) {
  std::wstring text = kDoneText;
  const std::wstring folder = L"“" + installation.directory + L"”";
  switch (installation.verdict) {
    case InstallDirVerdict::kInstallation:
      break;
    case InstallDirVerdict::kTruncatedPath:
      text += L"\n\n卸载程序所在文件夹的路径过长，无法确定，未删除其中的文件。";
      break;
    case InstallDirVerdict::kNoMainProgram:
      text += L"\n\n" + folder + L"中没有Velloria主程序，不是安装文件夹，未删除其中的文件。";
      break;
    case InstallDirVerdict::kDriveRoot:
      text += L"\n\n" + folder + L"是磁盘的根目录，未删除其中的文件。";
      break;
    case InstallDirVerdict::kSpecialFolder:
      text += L"\n\n" + folder + L"是系统文件夹，未删除其中的文件。";
      break;
  }
  return text;
}

UninstallReport RunUninstall(HWND dialog, IUserPrompts& prompts, const UninstallSetup& setup) {
  UninstallReport report;
  const int confirm = prompts.Show(dialog, kConfirmText, kConfirmCaption, MB_OKCANCEL);
  if (confirm != IDOK && confirm != IDYES) return report;

  report.installation = CheckInstallDirectory(setup.uninstaller, setup.special_folders);
  const bool delete_installation = report.installation.verdict == InstallDirVerdict::kInstallation;
  const std::wstring installation =
      delete_installation ? report.installation.directory : std::wstring();
  if (!StopRunningProduct(prompts, setup, installation)) return report;
  Sleep(setup.settle_ms);

  RemoveUninstallEntry();
  const std::wstring desktop = SpecialFolder(CSIDL_DESKTOP);
  if (!desktop.empty() && Exists(desktop + kDesktopShortcut))
    DeleteFileW((desktop + kDesktopShortcut).c_str());
  const std::wstring programs = SpecialFolder(CSIDL_PROGRAMS);
  if (!programs.empty() && Exists(programs + kStartMenuFolder))
    DeleteDirectoryTree(programs + kStartMenuFolder);

  if (delete_installation) {
    // Cameras registered from files that are about to go would stay listed, dead.
    UnregisterCameraModules(installation);
    report.installation_removed = DeleteDirectoryTree(installation);
    if (!report.installation_removed) RemoveAtRestart(setup.uninstaller.path, installation);
  }
  report.outcome = UninstallOutcome::kCompleted;
  prompts.Show(dialog, FinalMessage(report.installation).c_str(), L"", MB_OK);
  return report;
}

}  // namespace vl::uninstall
