// The process runner with the fake adb as its child: reading to the end, the read time-out,
// and children started from several threads at once.
#include "device/process_runner.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "device/adb_bridge.h"
#include "tests/device/fake_adb_workdir.h"

namespace vl {
namespace {

using test::FakeAdbWorkdir;
using test::kTwoPhones;

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

TEST(ProcessRunner, ChildEndingNormallyIsNotATimeout) {
  FakeAdbWorkdir dir(kTwoPhones);
  ProcessRunner runner;
  ASSERT_TRUE(runner.Launch("adb\\adb.exe devices"));
  const std::string out = runner.ReadAll();
  EXPECT_FALSE(runner.last_read_timed_out());
  EXPECT_NE(out.find("List of devices attached\r\n"), std::string::npos);
  EXPECT_NE(out.find("PIXEL001\tdevice\r\n"), std::string::npos);
  runner.Release();
  runner.Release();  // harmless twice
  EXPECT_EQ(runner.WriteInput("x"), 0);
  EXPECT_EQ(runner.ReadAll(), "");
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
