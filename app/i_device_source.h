// The device scanner as the connection workflow uses it (DeviceScanner behind the main window).
#pragma once

#include <vector>

#include "device/device_entry.h"

namespace vl {

// The device scanner as the workflow uses it.
class IDeviceSource {
 public:
  virtual bool StartScan() = 0;
  virtual std::vector<DeviceEntry> GetEntries() const = 0;
  // The latest scan could not start adb\adb.exe (Android phones cannot be listed).
  virtual bool AdbMissing() const = 0;

 protected:
  ~IDeviceSource() = default;
};

}  // namespace vl
