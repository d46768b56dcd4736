// Finding and stopping a running main program and the adb server that belongs to the product.
#pragma once

#include <windows.h>

#include <string>

namespace vl::uninstall {

// True when the product counts as running: a process named "Lumaroo.exe" exists, or (when none
// does) an adb server runs from a folder carrying the brand word or from the adb folder of
// `installation` (the verified installation folder, or empty). `adb_path` receives the adb server
// that belongs to the product, or stays empty: with the main program running, only an adb from
// the main program's own "adb" folder (compared exactly) or from the installation's counts.
bool FindRunningProduct(const std::wstring& installation, std::wstring* adb_path);

// Whether an adb server running from `adb_folder` belongs to the product: it runs from the adb
// folder of the running main program (`main_folder`, empty when unknown) or of `installation`
// (empty when unknown), or, while no main program runs, from a folder carrying the brand word.
// Trailing backslashes do not matter.
bool IsProductAdb(const std::wstring& adb_folder, const std::wstring& main_folder,
                  const std::wstring& installation, bool main_running);

// Asks the main window (a top-level window titled "Velloria") to close. A hung window cannot
// hold the uninstaller: the request gives up after `timeout_ms`. Returns whether a window was
// found.
bool CloseMainWindow(DWORD timeout_ms);

// Starts `adb_path` with "kill-server", hidden, through the shell; does not wait.
void StopAdbServer(const std::wstring& adb_path);

// The folder of a file path, with its trailing backslash ("" when there is none).
std::wstring FolderOf(const std::wstring& path);

}  // namespace vl::uninstall
