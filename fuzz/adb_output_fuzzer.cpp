// adb's output as the device list and the device name read it: any bytes a child process (or
// whatever answers in its place) may write.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "device/adb_output_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string output(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> serials;
  vl::ParseAdbDeviceSerials(output, serials);
  for (const std::string& serial : serials) {
    // Every listed serial goes on a command line as one argument.
    if (!vl::IsPlainSerial(serial)) __builtin_trap();
    (void)vl::AdbShellCommand(serial);
  }
  std::string name;
  vl::ParseGetpropProductName(output, name);
  return 0;
}
