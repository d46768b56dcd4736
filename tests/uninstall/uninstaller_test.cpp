// Whole uninstall runs on scratch installations, with the questions answered by the test: what
// goes, what stays, and how a running or hung program is handled.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <chrono>
#include <future>

#include "common/win/registry.h"
#include "tests/uninstall/uninstall_test_support.h"
#include "tools/vcam_capture/capture_graph.h"
#include "uninstall/product_identity.h"
#include "uninstall/uninstaller.h"

namespace vl::uninstall {
namespace {

using test::ChildProcess;
using test::Exists;
using test::ScratchInstallation;
using test::ScriptedPrompts;
using test::ShellFolder;

const wchar_t kEntryKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumaroo";
const wchar_t kLandscapeCamera[] = L"Velloria(\u6A2A\u5C4F)";
const wchar_t kPortraitCamera[] = L"Velloria(\u7AD6\u5C4F)";

bool EntryExists() {
  win::RegistryKey key;
  return key.Open(HKEY_CURRENT_USER, kEntryKey) == ERROR_SUCCESS;
}

// What an installer leaves outside the installation folder: the uninstall entry, the desktop
// shortcut and the Start-menu folder.
void MakeInstallerTraces(const std::wstring& folder) {
  win::RegistryKey key;
  ASSERT_EQ(key.Create(HKEY_CURRENT_USER, kEntryKey), ERROR_SUCCESS);
  ASSERT_EQ(key.SetString(L"UninstallString", L"\"" + folder + L"\\Uninstall.exe\""),
            ERROR_SUCCESS);
  ASSERT_EQ(key.SetString(L"InstallLocation", folder), ERROR_SUCCESS);
  test::WriteText(ShellFolder(CSIDL_DESKTOP) + L"\\Velloria.lnk", "shortcut");
  test::MakeFolders(ShellFolder(CSIDL_PROGRAMS) + L"\\Velloria");
  test::WriteText(ShellFolder(CSIDL_PROGRAMS) + L"\\Velloria\\Velloria.lnk", "shortcut");
}

bool InstallerTracesExist() {
  return EntryExists() && Exists(ShellFolder(CSIDL_DESKTOP) + L"\\Velloria.lnk") &&
         Exists(ShellFolder(CSIDL_PROGRAMS) + L"\\Velloria\\Velloria.lnk");
}

void RemoveInstallerTraces() {
  win::DeleteKeyTree(HKEY_CURRENT_USER, kEntryKey);
  DeleteFileW((ShellFolder(CSIDL_DESKTOP) + L"\\Velloria.lnk").c_str());
  test::RemoveTree(ShellFolder(CSIDL_PROGRAMS) + L"\\Velloria");
}

// Every installation file still there.
bool InstallationIntact(const ScratchInstallation& installation) {
  for (const wchar_t* file : {L"Lumaroo.exe", L"Uninstall.exe", L"vlux_horizontal.dll",
                              L"vlux_vertical.dll", L"res\\default.png", L"adb\\adb.exe"})
    if (!Exists(installation.File(file))) return false;
  return true;
}

UninstallSetup SetupFor(const std::wstring& uninstaller, bool truncated = false) {
  UninstallSetup setup;
  setup.uninstaller = ModulePath{truncated ? std::wstring() : uninstaller, truncated};
  setup.special_folders = SpecialFolders();
  setup.close_timeout_ms = 2000;
  setup.settle_ms = 0;
  return setup;
}

bool CameraListed(const wchar_t* name) {
  std::vector<tools::VideoDevice> devices;
  if (FAILED(tools::ListVideoDevices(&devices))) return false;
  for (const auto& device : devices)
    if (device.name == name) return true;
  return false;
}

bool RegisterModule(const std::wstring& path) {
  HMODULE module = LoadLibraryW(path.c_str());
  if (module == nullptr) return false;
  using Fn = HRESULT(STDAPICALLTYPE*)();
  auto fn =
      reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, "DllRegisterServer")));
  const bool ok = fn != nullptr && SUCCEEDED(fn());
  FreeLibrary(module);
  return ok;
}

// Each case starts from a scratch installation with the installer's traces around it.
class UninstallRun : public testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    MakeInstallerTraces(installation.folder());
  }
  void TearDown() override {
    RemoveInstallerTraces();
    CoUninitialize();
  }
  // The installation's own uninstaller, its questions answered by the prompts (which answer
  // every message box while they live).
  UninstallReport Run(const ScriptedPrompts& /*answering*/) {
    return RunUninstall(nullptr, SetupFor(installation.File(L"Uninstall.exe")));
  }
  ScratchInstallation installation;
};

TEST_F(UninstallRun, CancelOrNoAtTheFirstQuestionChangesNothing) {
  for (int answer : {IDCANCEL, IDNO}) {
    ScriptedPrompts prompts({answer});
    const UninstallReport report = Run(prompts);
    EXPECT_EQ(report.outcome, UninstallOutcome::kCancelled);
    ASSERT_EQ(prompts.asked().size(), 1u);
    EXPECT_EQ(prompts.asked()[0].text, kConfirmText);
    EXPECT_EQ(prompts.asked()[0].caption, kConfirmCaption);
    EXPECT_EQ(prompts.asked()[0].type, static_cast<UINT>(MB_OKCANCEL));
    EXPECT_TRUE(InstallationIntact(installation));
    EXPECT_TRUE(InstallerTracesExist());
  }
}

// Beside the installer's files: a link to a folder outside and files of the user's. (Another
// program's adb, from a folder named like the product's, is neither found nor stopped:
// running_product_test.)
TEST_F(UninstallRun, RemovesTheInstallationItsTracesAndCamerasAndNothingElse) {
  const std::wstring outside = installation.scratch() + L"\\Elsewhere";
  test::MakeFolders(outside);
  test::WriteText(outside + L"\\marker.txt", "keep");
  ASSERT_TRUE(test::MakeFolderLink(installation.File(L"linked"), outside));
  test::MakeFolders(installation.File(L"recordings"));
  const wchar_t* const mine[] = {L"my-notes.txt", L"recordings\\clip.mp4", L"res\\my-picture.png",
                                 L"a.txt"};
  for (const wchar_t* file : mine) test::WriteText(installation.File(file), "mine");
  ASSERT_TRUE(RegisterModule(installation.File(L"vlux_horizontal.dll")));
  ASSERT_TRUE(RegisterModule(installation.File(L"vlux_vertical.dll")));
  ASSERT_TRUE(CameraListed(kLandscapeCamera));
  ASSERT_TRUE(CameraListed(kPortraitCamera));

  ScriptedPrompts prompts({IDOK, IDOK});
  const UninstallReport report = Run(prompts);

  EXPECT_EQ(report.outcome, UninstallOutcome::kCompleted);
  ASSERT_EQ(prompts.asked().size(), 2u);
  EXPECT_EQ(prompts.asked()[1].text.rfind(kDoneText, 0), 0u);
  EXPECT_EQ(prompts.asked()[1].caption, L"");
  EXPECT_EQ(prompts.asked()[1].type, static_cast<UINT>(MB_OK));
  // What was not the installer's stays, and the final message names it: five names are all
  // listed; only more than five are cut to a count.
  ASSERT_EQ(report.left.size(), 5u);
  for (const wchar_t* name : {L"linked", L"my-notes.txt", L"recordings", L"res", L"a.txt"})
    EXPECT_NE(prompts.asked()[1].text.find(name), std::wstring::npos) << name;
  EXPECT_EQ(prompts.asked()[1].text.find(L"等5项"), std::wstring::npos);
  for (const wchar_t* file : mine)
    EXPECT_EQ(test::ReadText(installation.File(file)), "mine") << file;
  EXPECT_FALSE(EntryExists());
  EXPECT_FALSE(Exists(ShellFolder(CSIDL_DESKTOP) + L"\\Velloria.lnk"));
  EXPECT_FALSE(Exists(ShellFolder(CSIDL_PROGRAMS) + L"\\Velloria"));
  for (const wchar_t* file : {L"Lumaroo.exe", L"Uninstall.exe", L"vlux_horizontal.dll",
                              L"vlux_vertical.dll", L"res\\default.png", L"adb", L"installed.lst"})
    EXPECT_FALSE(Exists(installation.File(file))) << file;
  EXPECT_FALSE(CameraListed(kLandscapeCamera));
  EXPECT_FALSE(CameraListed(kPortraitCamera));
  EXPECT_EQ(test::ReadText(installation.MarkerBeside()), "not part of the installation");
  EXPECT_EQ(test::ReadText(outside + L"\\marker.txt"), "keep");
}

// A copy of the uninstaller outside the installation (on the desktop, or unpacked with the
// program and a file of the user's into a tools folder) deletes nothing, whatever the entry
// records (nothing, the real installation, or a tampered desktop); the final box says why.
TEST_F(UninstallRun, ACopyOutsideTheInstallationDeletesNothing) {
  const std::wstring desktop = ShellFolder(CSIDL_DESKTOPDIRECTORY);
  // The desktop must be a folder of the test machine's own, not a link to a real home folder.
  const DWORD attributes = GetFileAttributesW(desktop.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  ASSERT_FALSE(attributes & FILE_ATTRIBUTE_REPARSE_POINT) << "the desktop links out of the prefix";
  const std::wstring tools = installation.scratch() + L"\\Tools";
  test::MakeFolders(tools);
  const std::wstring mine = L"\\keep-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
  const wchar_t* const copied[] = {L"\\Uninstall.exe", L"\\Lumaroo.exe", L"\\installed.lst"};
  for (const std::wstring& folder : {desktop, tools}) {
    for (const wchar_t* file : copied)
      test::CopyFileTo(installation.folder() + file, folder + file);
    test::WriteText(folder + mine, "keep");
  }
  const struct {
    std::wstring copy, recorded;
    InstallDirVerdict verdict;
  } cases[] = {{desktop, L"", InstallDirVerdict::kNoInstallLocation},
               {desktop, installation.folder(), InstallDirVerdict::kNotInInstallation},
               {desktop, desktop, InstallDirVerdict::kSpecialFolder},
               {tools, installation.folder(), InstallDirVerdict::kNotInInstallation}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.copy.c_str() << ", recorded: " << c.recorded.c_str());
    RemoveInstallerTraces();
    if (!c.recorded.empty()) MakeInstallerTraces(c.recorded);
    ScriptedPrompts prompts({IDOK, IDOK});
    const UninstallReport report = RunUninstall(nullptr, SetupFor(c.copy + L"\\Uninstall.exe"));
    EXPECT_EQ(report.outcome, UninstallOutcome::kCompleted);
    EXPECT_EQ(report.installation.verdict, c.verdict);
    EXPECT_FALSE(report.installation_removed);
    for (const wchar_t* file : copied) EXPECT_TRUE(Exists(c.copy + file)) << file;
    EXPECT_EQ(test::ReadText(c.copy + mine), "keep");
    EXPECT_TRUE(InstallationIntact(installation));
    EXPECT_EQ(InstallerTracesExist(), !c.recorded.empty()) << "the real entry and shortcuts stay";
    ASSERT_EQ(prompts.asked().size(), 2u);
    EXPECT_NE(prompts.asked()[1].text, kDoneText) << "the final box says why nothing went";
    EXPECT_TRUE(c.copy != tools || prompts.asked()[1].text.find(tools) != std::wstring::npos)
        << "the final box names the tools folder";
  }
  for (const wchar_t* file : copied) DeleteFileW((desktop + file).c_str());
  DeleteFileW((desktop + mine).c_str());
}

// With its own path cut short, or without the installer's list, no file goes and the final box
// says why; the entry and the shortcuts, which need no list, go in the second case only.
TEST_F(UninstallRun, ATruncatedOwnPathOrNoInstallersListDeletesNoFile) {
  for (const bool truncated : {true, false}) {
    SCOPED_TRACE(truncated ? "own path truncated" : "no list");
    if (!truncated) DeleteFileW(installation.File(L"installed.lst").c_str());
    ScriptedPrompts prompts({IDOK, IDOK});
    const UninstallReport report =
        RunUninstall(nullptr, SetupFor(installation.File(L"Uninstall.exe"), truncated));
    EXPECT_EQ(report.outcome, UninstallOutcome::kCompleted);
    EXPECT_FALSE(report.layout_found);
    EXPECT_TRUE(InstallationIntact(installation));
    EXPECT_EQ(InstallerTracesExist(), truncated);
    ASSERT_EQ(prompts.asked().size(), 2u);
    const wchar_t* why =
        truncated ? L"\u8def\u5f84\u8fc7\u957f" : L"\u5b89\u88c5\u6587\u4ef6\u6e05\u5355";
    EXPECT_NE(prompts.asked()[1].text.find(why), std::wstring::npos);
  }
}

TEST_F(UninstallRun, RunningProgramIsClosedWithItsAdbServerAndRetryProceeds) {
  ChildProcess program, adb;
  ASSERT_TRUE(program.Start(installation.File(L"Lumaroo.exe")));
  ASSERT_TRUE(adb.Start(installation.File(L"adb\\adb.exe"), L"server"));
  ASSERT_NE(test::WaitForWindow(kMainWindowTitle, 30000), nullptr);

  DWORD program_exit = 0;
  bool program_ended = false, adb_ended = false;
  std::string kill_log;
  ScriptedPrompts prompts({IDOK, IDRETRY, IDOK});
  prompts.before_answer = [&](size_t index, const ScriptedPrompts::Prompt&) {
    if (index != 1) return;
    // The retry question: by now the program was asked to close and adb to stop.
    program_ended = program.WaitForExit(60000, &program_exit);
    adb_ended = adb.WaitForExit(60000);
    kill_log = test::ReadText(installation.File(L"adb\\kill-server.log"));
  };
  const UninstallReport report = Run(prompts);

  EXPECT_TRUE(program_ended);
  EXPECT_EQ(program_exit, 2u);
  EXPECT_TRUE(adb_ended);
  EXPECT_EQ(kill_log, "kill-server\r\n");
  ASSERT_EQ(prompts.asked().size(), 3u);
  EXPECT_EQ(prompts.asked()[1].text, kRunningText);
  EXPECT_EQ(prompts.asked()[1].caption, kRunningCaption);
  EXPECT_EQ(prompts.asked()[1].type, static_cast<UINT>(MB_RETRYCANCEL));
  EXPECT_EQ(report.outcome, UninstallOutcome::kCompleted);
  EXPECT_TRUE(report.installation_removed);
  EXPECT_FALSE(Exists(installation.folder()));
  EXPECT_FALSE(InstallerTracesExist());
}

TEST_F(UninstallRun, HungProgramDoesNotHoldTheUninstaller) {
  test::CopyFileTo(test::ProductStub(), installation.File(L"Lumaroo.exe"));
  ChildProcess hung;
  ASSERT_TRUE(hung.Start(installation.File(L"Lumaroo.exe"), L"hung-window"));
  ASSERT_NE(test::WaitForWindow(kMainWindowTitle, 30000), nullptr);

  ScriptedPrompts prompts({IDOK, IDCANCEL});
  auto result = std::async(std::launch::async, [&] { return Run(prompts); });
  const bool finished = result.wait_for(std::chrono::seconds(30)) == std::future_status::ready;
  hung.Kill();  // frees a run that is stuck in the window's message
  ASSERT_TRUE(finished) << "the uninstaller waited for the hung window";
  EXPECT_EQ(result.get().outcome, UninstallOutcome::kCancelled);
  ASSERT_EQ(prompts.asked().size(), 2u);
  EXPECT_EQ(prompts.asked()[1].text, kRunningText);
  EXPECT_TRUE(InstallationIntact(installation));
}

}  // namespace
}  // namespace vl::uninstall
