// Requests to the mobile-device service on loopback, one connection each: the attached
// devices, a device's pair record, the service's system BUID, and a connection to a port of a
// device. When nothing listens on the service's port every call fails at once (no iTunes or
// Apple mobile-device support installed).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/service_socket.h"
#include "device/usbmux_protocol.h"

namespace vl::usbmux {

// The service's port (kDefaultServicePort unless a test moved it; the program never does).
uint16_t ServicePort();
void SetServicePort(uint16_t port);

// Each reply from the service is waited for at most this long.
inline constexpr int kReplyWaitMs = 5000;

// Nothing when the service cannot be reached or answers something unusable.
std::optional<std::vector<AttachedDevice>> ListDevices();
// The attached USB device with this UDID.
std::optional<AttachedDevice> FindDevice(const std::string& udid);
// Nothing when the device was never paired with this computer.
std::optional<PairRecord> ReadPairRecord(const std::string& udid);
std::optional<std::string> ReadBuid();
// The byte stream to `port` of the device, or null when the service or the device refuses.
std::unique_ptr<ServiceSocket> ConnectToDevice(uint32_t device_id, uint16_t port);

}  // namespace vl::usbmux
