// Finds the phones the user can connect to, on a short-lived thread of its own: iPhones first
// (IosApi, in its order), then Android phones in adb's order. The combined list is
// kept under a lock and handed to the result handler (on Windows: message 0x464 sent to the
// main window) at the end of each scan.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "device/device_entry.h"
#include "device/ios_api.h"

#ifdef _WIN32
struct HWND__;  // <windows.h>'s HWND under STRICT
#endif

namespace vl {

// Sent (synchronously) to the result window: wParam the entry count, lParam the address of a
// copy of the entries, valid only during the call.
constexpr unsigned kMsgDeviceListArrived = 0x464;  // WM_USER + 100

class DeviceScanner {
 public:
  // Called on the scan's thread with the scan's result; the scan waits for it to return.
  using ResultHandler = std::function<void(const std::vector<DeviceEntry>& entries)>;

  // iPhones through the process's IosApi (looked up on the scan's thread).
  DeviceScanner();
  // iPhones through the given table (null: none).
  explicit DeviceScanner(const IosApi* ios);
  // A scan still running keeps what it uses alive until it ends (adb may take its full
  // time-out); it then delivers nothing.
  ~DeviceScanner();
  DeviceScanner(const DeviceScanner&) = delete;
  DeviceScanner& operator=(const DeviceScanner&) = delete;

  // Set before the first scan.
  void SetResultHandler(ResultHandler handler);
#ifdef _WIN32
  // Results become message 0x464 sent to this window.
  void SetResultWindow(HWND__* window);
#endif

  // Starts a scan; true when one was started. While one runs, the request is remembered and
  // one more scan follows when the running one has delivered its result (however many requests
  // came meanwhile): a phone plugged in or a refresh pressed during a scan is not lost.
  bool StartScan();
  bool IsScanning() const;
  // A copy of the entries of the last (or the running) scan.
  std::vector<DeviceEntry> GetEntries() const;
  // Whether the latest scan could not start adb (adb\adb.exe missing or unusable); set before
  // its result is handed over.
  bool AdbMissing() const;

  // Scan threads of every scanner that have not finished yet.
  static int RunningScanThreads();

 private:
  struct Shared;
  static void Scan(std::shared_ptr<Shared> shared);
  static void ScanOnce(Shared& shared);

  std::shared_ptr<Shared> shared_;
};

}  // namespace vl
