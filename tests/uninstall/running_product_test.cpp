// Which running processes make the product count as running, and which adb server belongs to
// it; real processes started from scratch folders.
#include <gtest/gtest.h>

#include "tests/uninstall/uninstall_test_support.h"
#include "uninstall/install_directory.h"
#include "uninstall/running_product.h"

namespace vl::uninstall {
namespace {

using test::ChildProcess;
using test::CopyFileTo;
using test::MakeFolders;
using test::ProductStub;
using test::ScratchFolder;

// Waits until FindRunningProduct sees what the test started (processes appear asynchronously).
bool FindEventually(const std::wstring& installation, std::wstring* adb_path, bool want_running) {
  for (int i = 0; i < 100; ++i) {
    if (FindRunningProduct(installation, adb_path) == want_running) return true;
    Sleep(50);
  }
  return false;
}

// An adb stand-in started from `folder`\adb.exe.
void StartAdb(ChildProcess* process, const std::wstring& folder) {
  MakeFolders(folder);
  CopyFileTo(ProductStub(), folder + L"\\adb.exe");
  ASSERT_TRUE(process->Start(folder + L"\\adb.exe", L"server"));
}

// A process named Lumaroo.exe (the stand-in, idle) started from `folder`.
void StartMain(ChildProcess* process, const std::wstring& folder) {
  MakeFolders(folder);
  CopyFileTo(ProductStub(), folder + L"\\Lumaroo.exe");
  ASSERT_TRUE(process->Start(folder + L"\\Lumaroo.exe", L"server"));
}

TEST(ProductAdb, OnlyTheProgramsOwnAdbFolderCounts) {
  const std::wstring main = L"C:\\Programs\\Velloria\\";
  EXPECT_TRUE(IsProductAdb(L"C:\\Programs\\Velloria\\adb\\", main, L"", true));
  EXPECT_TRUE(IsProductAdb(L"c:\\programs\\VELLORIA\\ADB\\", main, L"", true));
  // Below the program's folder but not its adb folder; or a folder that merely contains it.
  EXPECT_FALSE(IsProductAdb(L"C:\\Programs\\Velloria\\tools\\adb\\", main, L"", true));
  EXPECT_FALSE(IsProductAdb(L"D:\\C:\\Programs\\Velloria\\adb\\", main, L"", true));
  EXPECT_FALSE(IsProductAdb(L"C:\\Programs\\Velloria\\", main, L"", true));
}

TEST(ProductAdb, UnknownProgramFolderClaimsNoAdb) {
  // The program runs but its folder could not be read: no adb is its own.
  EXPECT_FALSE(IsProductAdb(L"C:\\Android\\platform-tools\\", L"", L"", true));
  EXPECT_FALSE(IsProductAdb(L"C:\\Orsel\\adb\\", L"", L"", true));
  EXPECT_FALSE(IsProductAdb(L"", L"", L"", false));
}

TEST(ProductAdb, BrandOrInstallationFolderCountsWhileTheProgramIsNotRunning) {
  EXPECT_TRUE(IsProductAdb(L"C:\\Program Files\\Orsel\\adb\\", L"", L"", false));
  EXPECT_FALSE(IsProductAdb(L"C:\\Android\\platform-tools\\", L"", L"", false));
  EXPECT_TRUE(
      IsProductAdb(L"C:\\Programs\\Velloria\\adb\\", L"", L"C:\\Programs\\Velloria", false));
  EXPECT_FALSE(
      IsProductAdb(L"C:\\Programs\\Velloria2\\adb\\", L"", L"C:\\Programs\\Velloria", false));
}

TEST(RunningProduct, NothingRunningIsNotRunning) {
  std::wstring adb = L"stale";
  EXPECT_FALSE(FindRunningProduct(L"", &adb));
  EXPECT_TRUE(adb.empty());
}

TEST(RunningProduct, AdbBesideTheRunningProgramIsItsServer) {
  ScratchFolder scratch;
  const std::wstring main = scratch.path() + L"\\Velloria";
  ChildProcess program, own_adb, nested_adb;
  StartMain(&program, main);
  StartAdb(&nested_adb, main + L"\\tools\\adb");
  StartAdb(&own_adb, main + L"\\adb");
  std::wstring adb;
  for (int i = 0; i < 100 && adb.empty(); ++i) {
    FindRunningProduct(L"", &adb);
    if (adb.empty()) Sleep(50);
  }
  EXPECT_TRUE(SamePath(adb, main + L"\\adb\\adb.exe")) << adb.c_str();
}

TEST(RunningProduct, AdbElsewhereIsNotStoppedButTheProgramStillRuns) {
  ScratchFolder scratch;
  ChildProcess program, other_adb;
  StartMain(&program, scratch.path() + L"\\Velloria");
  // Below the program's folder, but not its adb folder (a substring match would take it).
  StartAdb(&other_adb, scratch.path() + L"\\Velloria\\extras\\adb");
  Sleep(300);
  std::wstring adb;
  ASSERT_TRUE(FindEventually(L"", &adb, true));
  EXPECT_TRUE(adb.empty()) << adb.c_str();
}

TEST(RunningProduct, UnrelatedAdbAloneIsNotTheProduct) {
  ScratchFolder scratch;
  ChildProcess other_adb;
  StartAdb(&other_adb, scratch.path() + L"\\platform-tools");
  Sleep(300);
  std::wstring adb;
  EXPECT_FALSE(FindRunningProduct(L"", &adb));
  EXPECT_TRUE(adb.empty());
}

TEST(RunningProduct, BrandedOrInstalledAdbAloneIsTheProduct) {
  ScratchFolder scratch;
  {
    ChildProcess branded;
    StartAdb(&branded, scratch.path() + L"\\Orsel\\adb");
    std::wstring adb;
    ASSERT_TRUE(FindEventually(L"", &adb, true));
    EXPECT_NE(adb.find(L"\\Orsel\\adb\\adb.exe"), std::wstring::npos) << adb.c_str();
  }
  ChildProcess installed;
  StartAdb(&installed, scratch.path() + L"\\Velloria\\adb");
  std::wstring adb;
  ASSERT_TRUE(FindEventually(scratch.path() + L"\\Velloria", &adb, true));
  EXPECT_NE(adb.find(L"\\Velloria\\adb\\adb.exe"), std::wstring::npos) << adb.c_str();
  // The same server is nobody's when the uninstaller is not in that installation.
  EXPECT_FALSE(FindRunningProduct(L"", &adb));
}

TEST(RunningProduct, KillServerStopsTheServerOfItsFolder) {
  ScratchFolder scratch;
  ChildProcess server;
  StartAdb(&server, scratch.path() + L"\\Orsel\\adb");
  std::wstring adb;
  ASSERT_TRUE(FindEventually(L"", &adb, true));
  StopAdbServer(adb);
  // ShellExecute starts a second process to ask the server to stop; on a loaded machine Wine
  // can take many seconds to start it. The wait ends as soon as the server exits.
  EXPECT_TRUE(server.WaitForExit(60000));
  EXPECT_EQ(test::ReadText(scratch.path() + L"\\Orsel\\adb\\kill-server.log"), "kill-server\r\n");
}

}  // namespace
}  // namespace vl::uninstall
