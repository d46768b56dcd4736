// The device scan: iPhones through a stand-in libimobiledevice table, Android phones through
// the fake adb, on the scanner's own thread, delivered to the result handler.
#include "device/device_scanner.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "tests/device/fake_adb_workdir.h"
#include "tests/device/fake_ios_table.h"

namespace vl {
namespace {

using test::AsLogged;
using test::FakeAdbWorkdir;
using test::FakeIos;
using test::FakeIosPhone;

// "测试的iPhone" in UTF-8 as the phone reports it, and in GBK as the PC shows it.
const char kChineseUtf8[] = "\xE6\xB5\x8B\xE8\xAF\x95\xE7\x9A\x84iPhone";
const char kChineseGbk[] = "\xB2\xE2\xCA\xD4\xB5\xC4iPhone";

const char kTwoAndroidPhones[] =
    "device PIXEL001 device\n"
    "device LOCKED02 unauthorized\n"
    "device GALAXY03 device\n"
    "prop PIXEL001 ro.product.model Pixel 7\n";

// Collects the results the scanner delivers.
struct Results {
  DeviceScanner::ResultHandler Handler() {
    return [this](const std::vector<DeviceEntry>& entries) {
      std::lock_guard<std::mutex> guard(lock);
      lists.push_back(entries);
    };
  }
  std::vector<std::vector<DeviceEntry>> Lists() {
    std::lock_guard<std::mutex> guard(lock);
    return lists;
  }
  bool WaitForCount(size_t n) {
    for (int i = 0; i < 2000 && Lists().size() < n; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return Lists().size() >= n;
  }

  std::mutex lock;
  std::vector<std::vector<DeviceEntry>> lists;
};

bool WaitForScanThreadsToEnd() {
  for (int i = 0; i < 2000 && DeviceScanner::RunningScanThreads() > 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return DeviceScanner::RunningScanThreads() == 0;
}

// Each entry as "name|identifier|kind" (kind 1 an iPhone, 2 an Android phone).
std::vector<std::string> Rows(const std::vector<DeviceEntry>& list) {
  std::vector<std::string> rows;
  for (const DeviceEntry& e : list)
    rows.push_back(e.display_name + "|" + e.identifier + "|" + std::to_string(e.kind));
  return rows;
}

// One scan to its end: the list it delivered. `adb_missing` gets what the scanner knew of adb as
// it handed the list over (the main window tells the user there).
std::vector<DeviceEntry> ScanOnce(DeviceScanner& scanner,
                                  std::vector<bool>* adb_missing = nullptr) {
  Results results;
  const auto deliver = results.Handler();
  scanner.SetResultHandler([&](const std::vector<DeviceEntry>& entries) {
    if (adb_missing) adb_missing->push_back(scanner.AdbMissing());
    deliver(entries);
  });
  EXPECT_TRUE(scanner.StartScan());
  EXPECT_TRUE(results.WaitForCount(1));
  EXPECT_TRUE(WaitForScanThreadsToEnd());
  scanner.SetResultHandler(nullptr);
  const auto lists = results.Lists();
  return lists.empty() ? std::vector<DeviceEntry>{} : lists[0];
}

TEST(DeviceScanner, ListsIphonesFirstThenAndroidPhonesInAdbOrder) {
  FakeAdbWorkdir adb(kTwoAndroidPhones);
  FakeIos::Reset({{"UDID-CN", kChineseUtf8}, {"UDID-PAD", "iPad"}});
  DeviceScanner scanner(FakeIos::Table());
  // GALAXY03 has no properties: its serial names it. The scanner keeps the list it delivered.
  const std::vector<std::string> rows = Rows(ScanOnce(scanner));
  EXPECT_EQ(rows,
            (std::vector<std::string>{std::string(kChineseGbk) + "|UDID-CN|1", "iPad|UDID-PAD|1",
                                      "Pixel 7|PIXEL001|2", "GALAXY03|GALAXY03|2"}));
  EXPECT_EQ(Rows(scanner.GetEntries()), rows);
  EXPECT_FALSE(scanner.IsScanning());
}

// Left out, with every handle and string released (names through the library's own release
// function): an iPhone that cannot be opened, one that refuses the handshake.
TEST(DeviceScanner, LeavesOutIphonesThatCannotBeOpenedOrRefuseTheHandshakeReleasingAll) {
  FakeAdbWorkdir adb("");
  FakeIosPhone closed{"UDID-CLOSED", "Closed"};
  closed.opens = false;
  FakeIosPhone refusing{"UDID-REFUSE", "Refuses"};
  refusing.accepts_handshake = false;
  FakeIosPhone nameless{"UDID-NONAME", ""};
  nameless.has_name = false;
  FakeIos& ios =
      FakeIos::Reset({closed, refusing, nameless, {"UDID-OK", "Fine"}, {"UDID-2", "Two"}});
  DeviceScanner scanner(FakeIos::Table());
  // The nameless one is listed, with an empty name.
  EXPECT_EQ(Rows(ScanOnce(scanner)),
            (std::vector<std::string>{"|UDID-NONAME|1", "Fine|UDID-OK|1", "Two|UDID-2|1"}));
  EXPECT_EQ(ios.live_handles(), 0);
  EXPECT_EQ(ios.live_strings(), 0);
  EXPECT_EQ(ios.strings_freed_by_library(), 2);
}

// A phone plugged in (or a refresh pressed) while a scan runs is not lost: however many
// requests come meanwhile, one more scan follows the running one and lists what is there then.
// The requests come while the scan asks the library, and while its result is being handled
// (the main window may hold it there, a help dialog open).
TEST(DeviceScanner, RequestsDuringAScanGetOneMoreScanAfterIt) {
  for (const bool during_handler : {false, true}) {
    SCOPED_TRACE(during_handler ? "while the result is handled" : "while the library is asked");
    FakeAdbWorkdir adb("");
    FakeIos& ios = FakeIos::Reset({});
    Results results;
    DeviceScanner scanner(FakeIos::Table());
    std::mutex hold;
    std::unique_lock<std::mutex> holding(hold, std::defer_lock);
    std::atomic<bool> in_handler{false};
    const auto deliver = results.Handler();
    scanner.SetResultHandler([&](const std::vector<DeviceEntry>& entries) {
      in_handler = true;
      std::lock_guard<std::mutex> wait(hold);  // held by the test while it asks again
      in_handler = false;
      deliver(entries);
    });
    if (during_handler)
      holding.lock();
    else
      ios.CloseGate();
    ASSERT_TRUE(scanner.StartScan());
    if (during_handler) {
      for (int i = 0; i < 2000 && !in_handler; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      ASSERT_TRUE(in_handler.load());
    } else {
      ASSERT_TRUE(ios.WaitUntilHeld(10000));
    }
    EXPECT_TRUE(scanner.IsScanning());
    adb.WriteConfig(kTwoAndroidPhones);  // a phone arrives during the scan
    EXPECT_FALSE(scanner.StartScan());   // not started now...
    EXPECT_FALSE(scanner.StartScan());
    if (during_handler)
      holding.unlock();
    else
      ios.OpenGate();
    ASSERT_TRUE(results.WaitForCount(2));  // ...but after the running one, once
    ASSERT_TRUE(WaitForScanThreadsToEnd());
    const auto lists = results.Lists();
    ASSERT_EQ(lists.size(), 2u);
    // Held in the handler, the first scan had found no phone: an empty list.
    EXPECT_TRUE(!during_handler || lists[0].empty());
    EXPECT_EQ(Rows(lists[1]),
              (std::vector<std::string>{"Pixel 7|PIXEL001|2", "GALAXY03|GALAXY03|2"}));
    EXPECT_FALSE(scanner.IsScanning());
    // Idle again: the next request starts a scan at once.
    EXPECT_TRUE(scanner.StartScan());
    ASSERT_TRUE(results.WaitForCount(3));
    ASSERT_TRUE(WaitForScanThreadsToEnd());
  }
}

TEST(DeviceScanner, ScannerDestroyedDuringAScanIsNotUsedByIt) {
  FakeAdbWorkdir adb(kTwoAndroidPhones);
  FakeIos& ios = FakeIos::Reset({{"UDID-1", "One"}});
  ios.CloseGate();
  Results results;
  {
    DeviceScanner scanner(FakeIos::Table());
    scanner.SetResultHandler(results.Handler());
    ASSERT_TRUE(scanner.StartScan());
    ASSERT_TRUE(ios.WaitUntilHeld(10000));
  }  // destroyed while its scan waits inside the library
  ios.OpenGate();
  ASSERT_TRUE(WaitForScanThreadsToEnd());
  // The scan finished its work on what it shares with the dead scanner and delivered nothing.
  EXPECT_TRUE(results.Lists().empty());
  EXPECT_EQ(ios.live_handles(), 0);
  EXPECT_NE(adb.ReadLog().find(AsLogged("adb\\adb.exe devices")), std::string::npos);
}

TEST(DeviceScanner, WithoutAdbOrLibraryTheOtherHalfStillLists) {
  FakeAdbWorkdir adb(kTwoAndroidPhones);
  adb.RemoveAdb();
  FakeIos::Reset({{"UDID-1", "One"}});
  DeviceScanner scanner(FakeIos::Table());
  std::vector<bool> missing;
  EXPECT_EQ(Rows(ScanOnce(scanner, &missing)), std::vector<std::string>{"One|UDID-1|1"});
  // adb back in place: the next scan lists its phones and no longer counts it missing.
  adb.RestoreAdb();
  EXPECT_EQ(ScanOnce(scanner, &missing).size(), 3u);
  EXPECT_EQ(missing, (std::vector<bool>{true, false}));
  DeviceScanner android_only(nullptr);  // no iPhone library
  EXPECT_EQ(Rows(ScanOnce(android_only)),
            (std::vector<std::string>{"Pixel 7|PIXEL001|2", "GALAXY03|GALAXY03|2"}));
  EXPECT_FALSE(android_only.AdbMissing());
}

}  // namespace
}  // namespace vl
