// The program's own iPhone client behind the IosApi table: the mobile-device service on
// loopback (usbmux_client) for the device list and device connections, and the lockdown
// service (lockdown_client) for the handshake and the device name. The Windows program uses
// it in place of libimobiledevice; the native build also has it, so it is tested side by side
// with the real library.
#pragma once

#include "device/ios_api.h"

namespace vl {

// Always available; without the mobile-device service it simply finds no device.
const IosApi* IosClientApi();

}  // namespace vl
