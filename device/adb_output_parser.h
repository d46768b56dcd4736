// Parsing of adb's output and formatting of its command lines; no process handling here, so
// the rules are tested natively on recorded adb output.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vl {

// Appends the serial of every line "<serial>\t device": only devices in the "device" state, and
// only serials that are plain (IsPlainSerial): others are skipped, not listed.
void ParseAdbDeviceSerials(const std::string& output, std::vector<std::string>& serials);

// A serial that goes onto adb's command line as exactly one argument: not empty, and without
// blanks, control characters or quotes (which would split it or add arguments of their own).
bool IsPlainSerial(const std::string& serial);

// The value of the first of [ro.product.model], [ro.product.name], [ro.build.product] that
// has a bracketed value after it (possibly empty). False when none has.
bool ParseGetpropProductName(const std::string& output, std::string& name);

std::string AdbDevicesCommand();
std::string AdbShellCommand(const std::string& serial);
// Ports are written as the decimal value of their low 16 bits.
std::string AdbForwardCommand(const std::string& serial, int32_t local_port, int32_t remote_port);

}  // namespace vl
