// The iPhone half of the device scan: every attached iPhone that completes the lockdown
// handshake, named by the user's device name in the ANSI code page.
#pragma once

#include <functional>

#include "device/device_entry.h"
#include "device/ios_api.h"

namespace vl {

// Calls `add` for each iPhone in the library's order. Devices that cannot be opened or whose
// handshake fails are left out. A null table lists nothing.
void ListIphones(const IosApi* ios, const std::function<void(DeviceEntry)>& add);

}  // namespace vl
