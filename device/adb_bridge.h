// The three adb operations the program needs, run through the caller's ProcessRunner.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "device/device_entry.h"
#include "device/process_runner.h"

namespace vl {

// Appends the serials of attached, authorised devices. False only when adb cannot be started.
bool AdbListDevices(ProcessRunner& runner, std::vector<std::string>& serials);
// Always leaves a usable Android entry: named by its product model when getprop tells it,
// else by the serial.
void AdbGetDeviceInfo(ProcessRunner& runner, const std::string& serial, DeviceEntry& entry);
// Asks adb to forward local to remote (low 16 bits of each). True when adb ran to its end;
// whether it accepted the forward shows later as a failing TCP connect.
bool AdbForward(ProcessRunner& runner, const std::string& serial, int32_t local_port,
                int32_t remote_port);

}  // namespace vl
