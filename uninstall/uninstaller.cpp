#include "uninstall/uninstaller.h"

#include <shlobj.h>

#include "common/win/message_box.h"
#include "common/win/registry.h"
#include "uninstall/camera_modules.h"
#include "uninstall/directory_tree.h"
#include "uninstall/installed_files.h"
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

// Asks until nothing runs from the installation any more; false when the user gives up. The
// adb server is asked to stop by the installation's own adb; one that still runs from the
// installation at the next pass (or when that adb cannot be started) is ended by its id.
bool StopRunningProduct(const UninstallSetup& setup, const std::wstring& installation) {
  bool adb_asked = false;
  for (RunningProduct product = FindRunningProduct(installation); product.running();
       product = FindRunningProduct(installation)) {
    CloseMainWindows(product.main_programs, setup.close_timeout_ms);
    if (!product.adb_servers.empty()) {
      if (!adb_asked && StopAdbServer(installation)) {
        adb_asked = true;
      } else {
        EndProcessesWithin(product.adb_servers, installation);
      }
    }
    if (win::ShowMessageBox(GetActiveWindow(), kRunningText, kRunningCaption, MB_RETRYCANCEL) !=
        IDRETRY)
      return false;
  }
  return true;
}

// Up to this many names of what stayed are listed in the final message.
constexpr size_t kListedLeftovers = 5;

std::wstring ListOf(const std::vector<std::wstring>& names) {
  std::wstring text;
  for (size_t i = 0; i < names.size() && i < kListedLeftovers; ++i)
    text += (i == 0 ? L"" : L"、") + names[i];
  if (names.size() > kListedLeftovers) text += L"等" + std::to_wstring(names.size()) + L"项";
  return text;
}

// The running uninstaller cannot delete its own file: that file, and then the folder once it is
// empty, are removed when Windows next starts.
void RemoveAtRestart(const std::wstring& uninstaller, const std::wstring& installation,
                     bool with_folder) {
  if (!PathIsWithin(uninstaller, installation) || !Exists(uninstaller)) return;
  MoveFileExW(uninstaller.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  if (with_folder) MoveFileExW(installation.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

}  // namespace

UninstallSetup ProgramSetup() {
  UninstallSetup setup;
  setup.uninstaller = win::ModuleFilePathWide(nullptr);
  setup.special_folders = SpecialFolders();
  return setup;
}

std::wstring RecordedInstallLocation() {
  win::RegistryKey entry;
  const std::wstring path = std::wstring(kUninstallKeyPath) + L"\\" + kUninstallEntryName;
  if (entry.Open(HKEY_CURRENT_USER, path.c_str(), KEY_READ) != ERROR_SUCCESS) return std::wstring();
  std::wstring location;
  if (entry.GetString(kInstallLocationValue, &location) != ERROR_SUCCESS) return std::wstring();
  return location;
}

std::wstring FinalMessage(const UninstallReport& report) {
  std::wstring text = kDoneText;
  const std::wstring folder = L"“" + report.installation.directory + L"”";
  switch (report.installation.verdict) {
    case InstallDirVerdict::kInstallation:
      if (!report.layout_found) {
        text += L"\n\n安装文件夹" + folder + L"中没有安装文件清单，未删除其中的文件。";
      } else if (!report.left.empty()) {
        text += L"\n\n安装文件夹" + folder + L"中不属于Velloria的内容已保留：" +
                ListOf(report.left) + L"。";
      }
      break;
    case InstallDirVerdict::kTruncatedPath:
      text += L"\n\n卸载程序所在文件夹的路径过长，无法确定，未删除任何内容。";
      break;
    case InstallDirVerdict::kNoInstallLocation:
      text += L"\n\n没有找到Velloria的安装记录，未删除任何内容。";
      break;
    case InstallDirVerdict::kNotInInstallation:
      text += L"\n\n" + folder + L"不是Velloria的安装文件夹，未删除任何内容。";
      break;
    case InstallDirVerdict::kDriveRoot:
      text += L"\n\n" + folder + L"是磁盘的根目录，未删除任何内容。";
      break;
    case InstallDirVerdict::kSpecialFolder:
      text += L"\n\n" + folder + L"是系统文件夹，未删除任何内容。";
      break;
  }
  return text;
}

UninstallReport RunUninstall(HWND dialog, const UninstallSetup& setup) {
  UninstallReport report;
  const int confirm = win::ShowMessageBox(dialog, kConfirmText, kConfirmCaption, MB_OKCANCEL);
  if (confirm != IDOK && confirm != IDYES) return report;

  report.installation =
      CheckInstallDirectory(setup.uninstaller, RecordedInstallLocation(), setup.special_folders);
  if (report.installation.verdict != InstallDirVerdict::kInstallation) {
    // Not the installation's own uninstaller: the entry, the shortcuts and every file stay.
    report.outcome = UninstallOutcome::kCompleted;
    win::ShowMessageBox(dialog, FinalMessage(report), L"", MB_OK);
    return report;
  }
  const std::wstring installation = report.installation.directory;
  if (!StopRunningProduct(setup, installation)) return report;
  Sleep(setup.settle_ms);

  // Read before anything goes: the list is itself one of the installation's files.
  const std::optional<InstalledLayout> layout = ReadInstalledLayout(installation);
  report.layout_found = layout.has_value();

  RemoveUninstallEntry();
  const std::wstring desktop = SpecialFolder(CSIDL_DESKTOP);
  if (!desktop.empty() && Exists(desktop + kDesktopShortcut))
    DeleteFileW((desktop + kDesktopShortcut).c_str());
  const std::wstring programs = SpecialFolder(CSIDL_PROGRAMS);
  if (!programs.empty() && Exists(programs + kStartMenuFolder))
    DeleteDirectoryTree(programs + kStartMenuFolder);

  // Cameras registered from files that are about to go would stay listed, dead.
  UnregisterCameraModules(installation);
  const std::wstring own_file = FinalPath(setup.uninstaller.path);
  if (layout) {
    const InstalledFilesRemoval removal = RemoveInstalledFiles(installation, *layout, own_file);
    report.left = removal.left;
    report.installation_removed = removal.folder_removed;
    // The folder goes with the uninstaller only when nothing else stays in it.
    if (!report.installation_removed) RemoveAtRestart(own_file, installation, report.left.empty());
  } else {
    report.left = FolderEntries(installation, own_file);
  }
  report.outcome = UninstallOutcome::kCompleted;
  win::ShowMessageBox(dialog, FinalMessage(report), L"", MB_OK);
  return report;
}

}  // namespace vl::uninstall
