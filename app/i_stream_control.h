// The stream worker as the connection workflow drives it (StreamWorker behind the main window).
#pragma once

#include <string>

#include "device/device_entry.h"

namespace vl {

// The stream worker as the workflow drives it.
class IStreamControl {
 public:
  virtual void Start(const DeviceEntry& device) = 0;
  virtual void Stop() = 0;
  virtual bool IsRunning() const = 0;
  virtual std::string GetErrorText() const = 0;
  virtual void SetMirror(int mirror, int flip) = 0;
  virtual void SetPortrait(int portrait) = 0;

 protected:
  ~IStreamControl() = default;
};

}  // namespace vl
