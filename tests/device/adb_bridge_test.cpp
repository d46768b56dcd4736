// adb output parsing on output as adb prints it (CRLF on Windows, header line, blank end); the
// adb bridge and the process runner with the fake adb as adb\adb.exe, their child: reading to the
// end, the read time-out, and children started from several threads at once.
#include "device/adb_bridge.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "device/adb_output_parser.h"
#include "device/process_runner.h"
#include "tests/device/fake_adb_workdir.h"

namespace vl {
namespace {

using test::AsLogged;
using test::FakeAdbWorkdir;
using test::kTwoPhones;

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
      // Serials that would split the command line are skipped.
      {"List of devices attached\r\n"
       "bad serial\tdevice\r\n"
       "q\"uote\tdevice\r\n"
       "it's\tdevice\r\n"
       "x -s y shell\tdevice\r\n"
       "cr\rin\tdevice\r\n"
       "192.168.1.20:5555\tdevice\r\n"
       "emulator-5554\tdevice\r\n\r\n",
       {"192.168.1.20:5555", "emulator-5554"}},
  };
  for (const auto& c : cases) {
    List serials;
    ParseAdbDeviceSerials(c.output, serials);
    EXPECT_EQ(serials, c.serials) << c.output;
  }
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

// One runner for every call, reused; the command lines exactly as adb receives them.
TEST(AdbBridge, ListsNamesAndForwardsWithExactCommandLinesAndWithoutAdbFails) {
  FakeAdbWorkdir dir(kTwoPhones);
  ProcessRunner runner;
  std::vector<std::string> serials{"kept"};
  ASSERT_TRUE(AdbListDevices(runner, serials));
  EXPECT_EQ(serials, (std::vector<std::string>{"kept", "PIXEL001", "GALAXY02"}));  // appended
  ASSERT_TRUE(AdbListDevices(runner, serials));
  EXPECT_EQ(serials.size(), 5u);
  DeviceEntry entry;
  AdbGetDeviceInfo(runner, "PIXEL001", entry);
  EXPECT_EQ(entry.display_name, "Pixel 7 Pro");
  EXPECT_EQ(entry.identifier, "PIXEL001");
  EXPECT_EQ(entry.kind, 2);
  EXPECT_TRUE(AdbForward(runner, "PIXEL001", 65536 + 8984, 8984));  // their low 16 bits
  EXPECT_EQ(AdbForwardCommand("S", -1, 65536), "adb\\adb.exe -s S forward tcp:65535 tcp:0");
  EXPECT_EQ(dir.ReadLog(), AsLogged("adb\\adb.exe devices") + AsLogged("adb\\adb.exe devices") +
                               AsLogged("adb\\adb.exe -s PIXEL001 shell") +
                               "stdin: getprop\nstdin: exit\n" +
                               AsLogged("adb\\adb.exe -s PIXEL001 forward tcp:8984 tcp:8984"));
  // Without a model, the product name; an unauthorised phone answers with an error: its serial.
  AdbGetDeviceInfo(runner, "GALAXY02", entry);
  EXPECT_EQ(entry.display_name, "beyond1lte");
  AdbGetDeviceInfo(runner, "LOCKED01", entry);
  EXPECT_EQ(entry.display_name, "LOCKED01");
  EXPECT_EQ(entry.identifier, "LOCKED01");
  // A child ending normally is read to its end, not cut off; releasing twice is harmless.
  ASSERT_TRUE(runner.Launch("adb\\adb.exe devices"));
  EXPECT_NE(runner.ReadAll().find("List of devices attached\r\nLOCKED01\tunauthorized\r\n"),
            std::string::npos);
  EXPECT_FALSE(runner.last_read_timed_out());
  runner.Release();
  runner.Release();
  EXPECT_EQ(runner.WriteInput("x"), 0);
  EXPECT_EQ(runner.ReadAll(), "");
  // Without adb the list fails, the serial names the phone and the forward fails; a forward
  // that adb itself rejects still counts as run.
  dir.RemoveAdb();
  serials.clear();
  EXPECT_FALSE(AdbListDevices(runner, serials));
  EXPECT_TRUE(serials.empty());
  DeviceEntry unnamed;
  AdbGetDeviceInfo(runner, "PIXEL001", unnamed);
  EXPECT_EQ(unnamed.display_name, "PIXEL001");
  EXPECT_EQ(unnamed.identifier, "PIXEL001");
  EXPECT_EQ(unnamed.kind, 2);
  EXPECT_FALSE(AdbForward(runner, "PIXEL001", 8984, 8984));
  dir.RestoreAdb();
  dir.WriteConfig("fail forward error: cannot bind listener\n");
  EXPECT_TRUE(AdbForward(runner, "NOPE", 8984, 8984));
}

TEST(ProcessRunner, HungChildIsCutOffAtTheReadTimeout) {
  FakeAdbWorkdir dir("hang devices\n");
  ProcessRunner runner;
  runner.SetReadTimeout(std::chrono::milliseconds(1500));
  std::vector<std::string> serials;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(AdbListDevices(runner, serials));
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_TRUE(runner.last_read_timed_out());
  EXPECT_TRUE(serials.empty());
  // Bounded, not forever (generous margin for a loaded machine).
  EXPECT_LT(seconds, 30.0);
  std::printf("hung adb cut off after %.2f s\n", seconds);
}

TEST(ProcessRunner, ConcurrentChildrenHoldOnlyTheirOwnPipes) {
  // A scan and a connect may start adb at the same moment. A child that inherits the other
  // launch's pipe ends keeps that pipe open for as long as it lives: here the hanging children
  // would hold the quick children's output open, and each quick read would wait for its
  // time-out instead of ending with its child.
  FakeAdbWorkdir dir(std::string(kTwoPhones) + "hang forward\n");
  std::atomic<bool> reading{true};
  std::vector<std::unique_ptr<ProcessRunner>> hanging;
  std::thread launcher([&] {
    // Spread over the whole time the quick children run.
    while (reading && hanging.size() < 80) {
      auto runner = std::make_unique<ProcessRunner>();
      runner->Launch("adb\\adb.exe -s PIXEL001 forward tcp:8984 tcp:8984");
      hanging.push_back(std::move(runner));
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
  int timed_out = 0;
  for (int i = 0; i < 10; ++i) {
    ProcessRunner quick;
    quick.SetReadTimeout(std::chrono::seconds(4));
    ASSERT_TRUE(quick.Launch("adb\\adb.exe devices"));
    const std::string out = quick.ReadAll();
    if (quick.last_read_timed_out()) ++timed_out;
    EXPECT_NE(out.find("PIXEL001\tdevice"), std::string::npos);
  }
  reading = false;
  launcher.join();
  // Ends every hanging child: a read that times out kills it.
  for (auto& runner : hanging) {
    runner->SetReadTimeout(std::chrono::milliseconds(1));
    runner->ReadAll();
  }
  EXPECT_EQ(timed_out, 0);
  std::printf("%zu hanging children started beside 10 quick ones\n", hanging.size());
}

}  // namespace
}  // namespace vl
