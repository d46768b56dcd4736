// The adb bridge running the fake adb as adb\adb.exe through the real ProcessRunner.
#include "device/adb_bridge.h"

#include <gtest/gtest.h>

#include <chrono>

#include "device/process_runner.h"
#include "tests/device/fake_adb_workdir.h"

namespace vl {
namespace {

using test::AsLogged;
using test::FakeAdbWorkdir;
using test::kTwoPhones;

TEST(AdbBridge, ListsOnlyAuthorisedPhonesAndAppends) {
  FakeAdbWorkdir dir(kTwoPhones);
  ProcessRunner runner;
  std::vector<std::string> serials{"kept"};
  ASSERT_TRUE(AdbListDevices(runner, serials));
  EXPECT_EQ(serials, (std::vector<std::string>{"kept", "PIXEL001", "GALAXY02"}));
  // The runner is reused for the next call.
  ASSERT_TRUE(AdbListDevices(runner, serials));
  EXPECT_EQ(serials.size(), 5u);
  EXPECT_EQ(dir.ReadLog(), AsLogged("adb\\adb.exe devices") + AsLogged("adb\\adb.exe devices"));
}

TEST(AdbBridge, MissingAdbFailsTheListAndKeepsTheSerialAsName) {
  FakeAdbWorkdir dir(kTwoPhones);
  dir.RemoveAdb();
  ProcessRunner runner;
  std::vector<std::string> serials;
  EXPECT_FALSE(AdbListDevices(runner, serials));
  EXPECT_TRUE(serials.empty());
  DeviceEntry entry;
  AdbGetDeviceInfo(runner, "PIXEL001", entry);
  EXPECT_EQ(entry.display_name, "PIXEL001");
  EXPECT_EQ(entry.identifier, "PIXEL001");
  EXPECT_EQ(entry.kind, 2);
  EXPECT_FALSE(AdbForward(runner, "PIXEL001", 8984, 8984));
}

// The command lines exactly as adb receives them (forward ports: their low 16 bits).
TEST(AdbBridge, DeviceInfoAsksGetpropThenExitAndUsesTheModelAndForwardIsExact) {
  FakeAdbWorkdir dir(kTwoPhones);
  ProcessRunner runner;
  DeviceEntry entry;
  AdbGetDeviceInfo(runner, "PIXEL001", entry);
  EXPECT_EQ(entry.display_name, "Pixel 7 Pro");
  EXPECT_EQ(entry.identifier, "PIXEL001");
  EXPECT_EQ(entry.kind, 2);
  EXPECT_TRUE(AdbForward(runner, "PIXEL001", 65536 + 8984, 8984));
  EXPECT_EQ(dir.ReadLog(), AsLogged("adb\\adb.exe -s PIXEL001 shell") +
                               "stdin: getprop\nstdin: exit\n" +
                               AsLogged("adb\\adb.exe -s PIXEL001 forward tcp:8984 tcp:8984"));
}

TEST(AdbBridge, DeviceInfoFallsBackToProductNameOrSerial) {
  FakeAdbWorkdir dir(kTwoPhones);
  ProcessRunner runner;
  DeviceEntry entry;
  AdbGetDeviceInfo(runner, "GALAXY02", entry);
  EXPECT_EQ(entry.display_name, "beyond1lte");
  // An unauthorised phone answers with an error: named by its serial.
  AdbGetDeviceInfo(runner, "LOCKED01", entry);
  EXPECT_EQ(entry.display_name, "LOCKED01");
  EXPECT_EQ(entry.identifier, "LOCKED01");
}

TEST(AdbBridge, ForwardRejectedByAdbStillCountsAsRun) {
  FakeAdbWorkdir dir("fail forward error: cannot bind listener\n");
  ProcessRunner runner;
  EXPECT_TRUE(AdbForward(runner, "NOPE", 8984, 8984));
}

}  // namespace
}  // namespace vl
