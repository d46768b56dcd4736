// One phone as the device lists show it; copied into the stream worker to pick the transport.
#pragma once

#include <cstdint>
#include <string>

namespace vl {

enum DeviceKind : int32_t {
  kDeviceKindIos = 1,      // reached through libimobiledevice, identified by its UDID
  kDeviceKindAndroid = 2,  // reached through adb, identified by its adb serial
};

struct DeviceEntry {
  std::string display_name;  // ANSI
  std::string identifier;    // ANSI: UDID or adb serial
  int32_t kind = 0;
};

}  // namespace vl
