#include "device/adb_output_parser.h"

namespace vl {
namespace {

constexpr char kAdbPath[] = "adb\\adb.exe";
constexpr char kDeviceState[] = "\tdevice";
constexpr size_t kDeviceStateLength = sizeof kDeviceState - 1;

std::string LowPort(int32_t port) {
  return std::to_string(static_cast<uint32_t>(port) & 0xFFFFu);
}

}  // namespace

void ParseAdbDeviceSerials(const std::string& output, std::vector<std::string>& serials) {
  size_t position = 0;
  for (size_t p = output.find(kDeviceState, position); p != std::string::npos;
       p = output.find(kDeviceState, position)) {
    std::string segment = output.substr(position, p - position);
    const size_t line_feed = segment.rfind('\n');
    if (line_feed != std::string::npos) segment.erase(0, line_feed + 1);
    if (IsPlainSerial(segment)) serials.push_back(segment);
    position = p + kDeviceStateLength;
  }
}

bool IsPlainSerial(const std::string& serial) {
  if (serial.empty()) return false;
  for (const char c : serial) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7F || c == '"' || c == '\'') return false;
  }
  return true;
}

bool ParseGetpropProductName(const std::string& output, std::string& name) {
  static const char* const kKeys[] = {"[ro.product.model]", "[ro.product.name]",
                                      "[ro.build.product]"};
  for (const char* key : kKeys) {
    const size_t at = output.find(key);
    if (at == std::string::npos) continue;
    const size_t open = output.find('[', at + std::char_traits<char>::length(key));
    if (open == std::string::npos) continue;
    const size_t close = output.find(']', open + 1);
    if (close == std::string::npos) continue;
    name = output.substr(open + 1, close - open - 1);
    return true;
  }
  return false;
}

std::string AdbDevicesCommand() {
  return std::string(kAdbPath) + " devices";
}

std::string AdbShellCommand(const std::string& serial) {
  return std::string(kAdbPath) + " -s " + serial + " shell";
}

std::string AdbForwardCommand(const std::string& serial, int32_t local_port, int32_t remote_port) {
  return std::string(kAdbPath) + " -s " + serial + " forward tcp:" + LowPort(local_port) +
         " tcp:" + LowPort(remote_port);
}

}  // namespace vl
