// adb output parsing on output as adb prints it (CRLF on Windows, header line, blank end).
#include "device/adb_output_parser.h"

#include <gtest/gtest.h>

namespace vl {
namespace {

std::vector<std::string> Serials(const std::string& output) {
  std::vector<std::string> s;
  ParseAdbDeviceSerials(output, s);
  return s;
}

TEST(AdbDeviceList, OnlyAuthorisedDevicesAreListedInOrderWithoutCarriageReturns) {
  using List = std::vector<std::string>;
  const struct {
    std::string output;
    List serials;
  } cases[] = {
      {"List of devices attached\r\nR58M123ABC\tdevice\r\n\r\n", {"R58M123ABC"}},
      {"List of devices attached\nemulator-5554\tdevice\n\n", {"emulator-5554"}},
      {"* daemon not running; starting now at tcp:5037\r\n"
       "* daemon started successfully\r\n"
       "List of devices attached\r\n"
       "UNAUTH01\tunauthorized\r\n"
       "GOOD0001\tdevice\r\n"
       "OFF00001\toffline\r\n"
       "GOOD0002\tdevice\r\n\r\n",
       {"GOOD0001", "GOOD0002"}},
      {"List of devices attached\r\n\r\n", {}},
      {"", {}},
      {"List of devices attached\r\nX1\tunauthorized\r\n\r\n", {}},
      {"List of devices attached\r\n\tdevice\r\n", {}},  // no empty serial
  };
  for (const auto& c : cases) EXPECT_EQ(Serials(c.output), c.serials) << c.output;
}

TEST(AdbDeviceList, SerialsThatWouldSplitTheCommandLineAreSkipped) {
  const std::string out =
      "List of devices attached\r\n"
      "bad serial\tdevice\r\n"
      "q\"uote\tdevice\r\n"
      "it's\tdevice\r\n"
      "x -s y shell\tdevice\r\n"
      "cr\rin\tdevice\r\n"
      "192.168.1.20:5555\tdevice\r\n"
      "emulator-5554\tdevice\r\n\r\n";
  EXPECT_EQ(Serials(out), (std::vector<std::string>{"192.168.1.20:5555", "emulator-5554"}));
  EXPECT_TRUE(IsPlainSerial("R58M123ABC"));
  EXPECT_TRUE(IsPlainSerial("\xCA\xD3\xC6\xB5"));  // GBK bytes stay one argument
  EXPECT_FALSE(IsPlainSerial(""));
  EXPECT_FALSE(IsPlainSerial("a\tb"));
  EXPECT_FALSE(IsPlainSerial("a\x7F"));
}

// The model, else the product name, else the build product; an empty model is a name too.
TEST(GetpropName, ModelThenProductNameThenBuildProduct) {
  const struct {
    const char* output;
    const char* name;  // nullptr: none found
  } cases[] = {
      {"[ro.build.product]: [walleye]\r\n[ro.product.model]: [Pixel 2]\r\n"
       "[ro.product.name]: [walleye_x]\r\n",
       "Pixel 2"},
      {"[ro.product.name]: [cheetah]\r\n[ro.build.product]: [x]\r\n", "cheetah"},
      {"[ro.build.product]: [bluejay]\r\n", "bluejay"},
      {"[ro.product.model]: []\r\n[ro.product.name]: [n]\r\n", ""},
      // The model key is the last thing in the output: no value bracket after it.
      {"[ro.product.name]: [sunfish]\r\n[ro.product.model]", "sunfish"},
      {"[ro.serialno]: [123]\r\n", nullptr},
      {"[ro.product.model]", nullptr},
      {"[ro.product.model]: [unterminated", nullptr},
  };
  for (const auto& c : cases) {
    std::string name = "unchanged";
    EXPECT_EQ(ParseGetpropProductName(c.output, name), c.name != nullptr) << c.output;
    EXPECT_EQ(name, c.name ? c.name : "unchanged") << c.output;
  }
}

TEST(AdbCommands, AreWrittenExactlyWithLow16BitPorts) {
  EXPECT_EQ(AdbDevicesCommand(), "adb\\adb.exe devices");
  EXPECT_EQ(AdbShellCommand("R58M"), "adb\\adb.exe -s R58M shell");
  EXPECT_EQ(AdbForwardCommand("R58M", 8984, 8984),
            "adb\\adb.exe -s R58M forward tcp:8984 tcp:8984");
  // Forward ports: their low 16 bits.
  EXPECT_EQ(AdbForwardCommand("S", 65536 + 8984, 8984),
            "adb\\adb.exe -s S forward tcp:8984 tcp:8984");
  EXPECT_EQ(AdbForwardCommand("S", -1, 65536), "adb\\adb.exe -s S forward tcp:65535 tcp:0");
}

}  // namespace
}  // namespace vl
