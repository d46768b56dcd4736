#include "device/adb_bridge.h"

#include "device/adb_output_parser.h"

namespace vl {

bool AdbListDevices(ProcessRunner& runner, std::vector<std::string>& serials) {
  if (!runner.Launch(AdbDevicesCommand())) return false;
  ParseAdbDeviceSerials(runner.ReadAll(), serials);
  return true;
}

void AdbGetDeviceInfo(ProcessRunner& runner, const std::string& serial, DeviceEntry& entry) {
  entry.kind = kDeviceKindAndroid;
  entry.display_name = serial;
  entry.identifier = serial;
  if (!runner.Launch(AdbShellCommand(serial))) return;
  // The shell ends at "exit"; its input stays open until the output has been read.
  runner.WriteInput("getprop\r\n");
  runner.WriteInput("exit\r\n");
  std::string name;
  if (ParseGetpropProductName(runner.ReadAll(), name)) entry.display_name = name;
}

bool AdbForward(ProcessRunner& runner, const std::string& serial, int32_t local_port,
                int32_t remote_port) {
  if (!runner.Launch(AdbForwardCommand(serial, local_port, remote_port))) return false;
  runner.ReadAll();
  return true;
}

}  // namespace vl
