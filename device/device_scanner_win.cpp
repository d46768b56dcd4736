// The scan's result as kMsgDeviceListArrived sent to the main window.
#include <windows.h>

#include "device/device_scanner.h"

namespace vl {

void DeviceScanner::SetResultWindow(HWND window) {
  // Only the handle is kept: a window destroyed meanwhile makes the send fail harmlessly.
  SetResultHandler([window](const std::vector<DeviceEntry>& entries) {
    SendMessageA(window, kMsgDeviceListArrived, static_cast<WPARAM>(entries.size()),
                 reinterpret_cast<LPARAM>(entries.data()));
  });
}

}  // namespace vl
