// Which running processes belong to the installation, and which adb is started to stop the
// server: real processes started from scratch folders.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/uninstall/uninstall_test_support.h"
#include "uninstall/install_directory.h"
#include "uninstall/running_product.h"

namespace vl::uninstall {
namespace {

using test::ChildProcess;
using test::ScratchFolder;

// The stand-in started from `folder`\`name` ("adb.exe" as a server, "Lumaroo.exe" idle).
void StartStub(ChildProcess* process, const std::wstring& folder, const wchar_t* name) {
  test::MakeFolders(folder);
  test::CopyFileTo(test::ProductStub(), folder + L"\\" + name);
  ASSERT_TRUE(process->Start(folder + L"\\" + name, L"server"));
}

DWORD IdOf(const ChildProcess& process) {
  return GetProcessId(process.handle());
}

bool Has(const std::vector<DWORD>& ids, DWORD id) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

// Waits until the product's processes include `want` (processes appear asynchronously).
RunningProduct FindWith(const std::wstring& installation, DWORD want) {
  RunningProduct product;
  for (int i = 0; i < 100; ++i) {
    product = FindRunningProduct(installation);
    if (Has(product.main_programs, want) || Has(product.adb_servers, want)) break;
    Sleep(50);
  }
  return product;
}

// Found, ended by id and stopped with kill-server: only what runs from the installation (or
// through a link into it), never what runs from a folder elsewhere or named like the product's.
TEST(RunningProduct, OnlyProcessesFromTheInstallationCountAreEndedAndStopped) {
  ScratchFolder scratch;
  test::MakeFolders(scratch.path() + L"\\Velloria");
  const std::wstring installation = FinalPath(scratch.path() + L"\\Velloria");
  ChildProcess program, linked, own_adb, nested_adb, other_adb, branded_adb, other_program;
  StartStub(&program, installation, L"Lumaroo.exe");
  StartStub(&own_adb, installation + L"\\adb", L"adb.exe");
  StartStub(&nested_adb, installation + L"\\extras\\adb", L"adb.exe");
  StartStub(&other_adb, scratch.path() + L"\\platform-tools", L"adb.exe");
  StartStub(&branded_adb, scratch.path() + L"\\Orsel\\adb", L"adb.exe");
  StartStub(&other_program, scratch.path() + L"\\Portable", L"Lumaroo.exe");
  const std::wstring link = scratch.path() + L"\\Shortcut";
  ASSERT_TRUE(test::MakeFolderLink(link, installation));
  ASSERT_TRUE(linked.Start(link + L"\\Lumaroo.exe", L"server"));

  FindWith(installation, IdOf(linked));
  const RunningProduct product = FindWith(installation, IdOf(nested_adb));
  EXPECT_TRUE(product.running());
  EXPECT_EQ(product.main_programs.size(), 2u);
  EXPECT_TRUE(Has(product.main_programs, IdOf(program)));
  EXPECT_TRUE(Has(product.main_programs, IdOf(linked)));
  EXPECT_TRUE(Has(product.adb_servers, IdOf(own_adb)));
  EXPECT_TRUE(Has(product.adb_servers, IdOf(nested_adb)));
  EXPECT_FALSE(Has(product.adb_servers, IdOf(other_adb)));
  EXPECT_FALSE(Has(product.adb_servers, IdOf(branded_adb)));
  // Without an established installation nothing is the product's.
  EXPECT_FALSE(FindRunningProduct(L"").running());

  EXPECT_EQ(EndProcessesWithin({IdOf(nested_adb), IdOf(other_adb)}, installation), 1);
  EXPECT_TRUE(nested_adb.WaitForExit(30000));
  EXPECT_TRUE(other_adb.Running());

  ASSERT_TRUE(StopAdbServer(installation));
  // ShellExecute and Wine may take many seconds to start a process on a loaded machine; the
  // wait ends as soon as the server exits.
  EXPECT_TRUE(own_adb.WaitForExit(60000));
  EXPECT_EQ(test::ReadText(installation + L"\\adb\\kill-server.log"), "kill-server\r\n");
  EXPECT_TRUE(branded_adb.Running());
  EXPECT_FALSE(test::Exists(scratch.path() + L"\\Orsel\\adb\\kill-server.log"));
  // Without an adb of its own nothing is started. (The kill-server process may still hold the
  // file for a moment.)
  const std::wstring own_file = installation + L"\\adb\\adb.exe";
  for (int i = 0; i < 200 && !DeleteFileW(own_file.c_str()); ++i) Sleep(50);
  ASSERT_FALSE(test::Exists(own_file));
  EXPECT_FALSE(StopAdbServer(installation));
}

TEST(CloseMainWindows, AWindowOfAnotherClassTitledLikeTheProgramIsLeftAlone) {
  // An Explorer window of a folder named "Velloria" is titled like the program.
  HWND other = CreateWindowW(L"STATIC", L"Velloria", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(CloseMainWindows({GetCurrentProcessId()}, 1000), 0);
  EXPECT_TRUE(IsWindow(other));
  DestroyWindow(other);
}

}  // namespace
}  // namespace vl::uninstall
