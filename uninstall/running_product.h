// Finding and stopping what runs from the installation: the main program and its adb server.
// Only processes whose image lies inside the installation folder count, and the only file ever
// started is the installation's own "adb\adb.exe": a path read from the process list could name
// a program that another program placed there.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vl::uninstall {

struct RunningProduct {
  std::vector<DWORD> main_programs;  // "Lumaroo.exe" from the installation
  std::vector<DWORD> adb_servers;    // "adb.exe" from the installation
  bool running() const { return !main_programs.empty() || !adb_servers.empty(); }
};

// The product's processes from `installation` (a resolved folder path; empty: none count).
RunningProduct FindRunningProduct(const std::wstring& installation);

// Whether the executable of process `id` lies inside `installation` (resolved paths).
bool ProcessImageIsWithin(DWORD id, const std::wstring& installation);

// Asks the main windows (top-level windows of the program's own class) of these processes to
// close. A hung window cannot hold the uninstaller: each request gives up after `timeout_ms`.
// Returns how many windows were asked.
int CloseMainWindows(const std::vector<DWORD>& process_ids, DWORD timeout_ms);

// Starts the installation's own "adb\adb.exe kill-server", hidden; does not wait. False when
// that file is missing or is a link, or could not be started.
bool StopAdbServer(const std::wstring& installation);

// Ends the processes whose image still lies inside `installation` (checked again just before,
// so a reused process id is never ended). Returns how many were ended.
int EndProcessesWithin(const std::vector<DWORD>& process_ids, const std::wstring& installation);

}  // namespace vl::uninstall
