// Whole uninstall runs on scratch installations, with the questions answered by the test: what
// goes, what stays, and how a running or hung program is handled.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <chrono>
#include <future>
#include <thread>

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

const wchar_t kEntryKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumaroo";
const wchar_t kLandscapeCamera[] = L"Velloria(\u6A2A\u5C4F)";
const wchar_t kPortraitCamera[] = L"Velloria(\u7AD6\u5C4F)";

std::wstring ShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = L"";
  SHGetSpecialFolderPathW(nullptr, path, csidl, TRUE);
  return path;
}

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
                              L"vlux_vertical.dll", L"res\\default.png", L"adb\\adb.exe"}) {
    if (!Exists(installation.File(file))) return false;
  }
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

TEST_F(UninstallRun, RemovesTheInstallationItsTracesAndCamerasAndNothingElse) {
  // A folder outside, reached through a link inside the installation.
  const std::wstring outside = installation.scratch() + L"\\Elsewhere";
  test::MakeFolders(outside);
  test::WriteText(outside + L"\\marker.txt", "keep");
  ASSERT_TRUE(test::MakeFolderLink(installation.File(L"linked"), outside));
  ASSERT_TRUE(RegisterModule(installation.File(L"vlux_horizontal.dll")));
  ASSERT_TRUE(RegisterModule(installation.File(L"vlux_vertical.dll")));
  ASSERT_TRUE(CameraListed(kLandscapeCamera));
  ASSERT_TRUE(CameraListed(kPortraitCamera));

  ScriptedPrompts prompts({IDOK, IDOK});
  const UninstallReport report = Run(prompts);

  EXPECT_EQ(report.outcome, UninstallOutcome::kCompleted);
  ASSERT_EQ(prompts.asked().size(), 2u);
  // The link was not the installer's: it stays, and the final message says so.
  EXPECT_EQ(prompts.asked()[1].text.rfind(kDoneText, 0), 0u);
  EXPECT_NE(prompts.asked()[1].text.find(L"linked"), std::wstring::npos);
  EXPECT_EQ(report.left, std::vector<std::wstring>{L"linked"});
  EXPECT_EQ(prompts.asked()[1].caption, L"");
  EXPECT_EQ(prompts.asked()[1].type, static_cast<UINT>(MB_OK));
  EXPECT_FALSE(EntryExists());
  EXPECT_FALSE(Exists(ShellFolder(CSIDL_DESKTOP) + L"\\Velloria.lnk"));
  EXPECT_FALSE(Exists(ShellFolder(CSIDL_PROGRAMS) + L"\\Velloria"));
  for (const wchar_t* file : {L"Lumaroo.exe", L"Uninstall.exe", L"vlux_horizontal.dll",
                              L"vlux_vertical.dll", L"res", L"adb", L"installed.lst"}) {
    EXPECT_FALSE(Exists(installation.File(file))) << file;
  }
  EXPECT_FALSE(CameraListed(kLandscapeCamera));
  EXPECT_FALSE(CameraListed(kPortraitCamera));
  EXPECT_EQ(test::ReadText(installation.MarkerBeside()), "not part of the installation");
  EXPECT_EQ(test::ReadText(outside + L"\\marker.txt"), "keep");
}

TEST_F(UninstallRun, CopyOnTheDesktopDeletesNothingThere) {
  const std::wstring desktop = ShellFolder(CSIDL_DESKTOPDIRECTORY);
  // The desktop must be a folder of the test machine's own, not a link to a real home folder.
  const DWORD attributes = GetFileAttributesW(desktop.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  ASSERT_FALSE(attributes & FILE_ATTRIBUTE_REPARSE_POINT) << "the desktop links out of the prefix";

  const std::wstring tag = std::to_wstring(GetCurrentProcessId());
  const std::wstring copy = desktop + L"\\Uninstall.exe";
  const std::wstring marker = desktop + L"\\keep-" + tag + L".txt";
  const std::wstring program = desktop + L"\\Lumaroo.exe";
  test::CopyFileTo(test::BuiltFile(VL_UNINSTALL_EXE), copy);
  test::WriteText(marker, "keep");
  test::WriteText(program, "program");
  // Recorded: nothing, the real installation elsewhere, or (a tampered entry) the desktop.
  for (const std::wstring& recorded : {std::wstring(), installation.folder(), desktop}) {
    SCOPED_TRACE(testing::Message() << "recorded: " << recorded.c_str());
    RemoveInstallerTraces();
    if (!recorded.empty()) MakeInstallerTraces(recorded);
    ScriptedPrompts prompts({IDOK, IDOK});
    const UninstallReport report = RunUninstall(nullptr, SetupFor(copy));
    EXPECT_EQ(report.outcome, UninstallOutcome::kCompleted);
    EXPECT_FALSE(report.installation_removed);
    EXPECT_TRUE(Exists(copy));
    EXPECT_TRUE(Exists(program));
    EXPECT_EQ(test::ReadText(marker), "keep");
    EXPECT_TRUE(InstallationIntact(installation));
    EXPECT_EQ(InstallerTracesExist(), !recorded.empty()) << "the real entry and shortcuts stay";
    ASSERT_EQ(prompts.asked().size(), 2u);
    EXPECT_NE(prompts.asked()[1].text, kDoneText) << "the final box says why nothing went";
  }
  DeleteFileW(copy.c_str());
  DeleteFileW(marker.c_str());
  DeleteFileW(program.c_str());
}

TEST_F(UninstallRun, APortableCopyElsewhereDeletesNothing) {
  // A copy unpacked into a tools folder, with a file of the user's beside the program.
  const std::wstring tools = installation.scratch() + L"\\Tools";
  test::MakeFolders(tools);
  for (const wchar_t* file : {L"Lumaroo.exe", L"Uninstall.exe", L"installed.lst"})
    test::CopyFileTo(installation.File(file), tools + L"\\" + file);
  test::WriteText(tools + L"\\notes.txt", "mine");

  ScriptedPrompts prompts({IDOK, IDOK});
  const UninstallReport report = RunUninstall(nullptr, SetupFor(tools + L"\\Uninstall.exe"));
  EXPECT_EQ(report.installation.verdict, InstallDirVerdict::kNotInInstallation);
  EXPECT_EQ(test::ReadText(tools + L"\\notes.txt"), "mine");
  EXPECT_TRUE(Exists(tools + L"\\Lumaroo.exe"));
  EXPECT_TRUE(Exists(tools + L"\\Uninstall.exe"));
  EXPECT_TRUE(InstallationIntact(installation));
  EXPECT_TRUE(InstallerTracesExist());
  ASSERT_EQ(prompts.asked().size(), 2u);
  EXPECT_NE(prompts.asked()[1].text.find(tools), std::wstring::npos);
}

TEST_F(UninstallRun, FilesThatAreNotTheInstallersStayAndAreNamed) {
  test::WriteText(installation.File(L"my-notes.txt"), "mine");
  test::MakeFolders(installation.File(L"recordings"));
  test::WriteText(installation.File(L"recordings\\clip.mp4"), "mine");
  test::WriteText(installation.File(L"res\\my-picture.png"), "mine");
  for (const wchar_t* file : {L"a.txt", L"b.txt"}) test::WriteText(installation.File(file), "mine");

  ScriptedPrompts prompts({IDOK, IDOK});
  const UninstallReport report = Run(prompts);
  EXPECT_EQ(report.outcome, UninstallOutcome::kCompleted);
  EXPECT_EQ(test::ReadText(installation.File(L"my-notes.txt")), "mine");
  EXPECT_EQ(test::ReadText(installation.File(L"recordings\\clip.mp4")), "mine");
  EXPECT_EQ(test::ReadText(installation.File(L"res\\my-picture.png")), "mine");
  for (const wchar_t* file :
       {L"Lumaroo.exe", L"vlux_horizontal.dll", L"res\\default.png", L"adb", L"installed.lst"}) {
    EXPECT_FALSE(Exists(installation.File(file))) << file;
  }
  EXPECT_FALSE(InstallerTracesExist());
  ASSERT_EQ(prompts.asked().size(), 2u);
  // Five kept names are all listed; only more than five are cut to a count.
  ASSERT_EQ(report.left.size(), 5u);
  for (const wchar_t* name : {L"my-notes.txt", L"recordings", L"res", L"a.txt", L"b.txt"})
    EXPECT_NE(prompts.asked()[1].text.find(name), std::wstring::npos) << name;
  EXPECT_EQ(prompts.asked()[1].text.find(L"等5项"), std::wstring::npos);
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

TEST_F(UninstallRun, AnAdbPlacedByAnotherProgramIsNeverStarted) {
  // Another program's adb in a folder named like the product's, running.
  const std::wstring planted = installation.scratch() + L"\\Orsel\\adb";
  test::MakeFolders(planted);
  test::CopyFileTo(test::ProductStub(), planted + L"\\adb.exe");
  ChildProcess server;
  ASSERT_TRUE(server.Start(planted + L"\\adb.exe", L"server"));
  Sleep(300);

  ScriptedPrompts prompts({IDOK, IDOK});
  const UninstallReport report = Run(prompts);
  EXPECT_EQ(report.outcome, UninstallOutcome::kCompleted);
  // Not the product's: no retry question, nothing started from that folder, still running.
  ASSERT_EQ(prompts.asked().size(), 2u);
  EXPECT_NE(prompts.asked()[1].text, kRunningText);
  Sleep(500);
  EXPECT_FALSE(Exists(planted + L"\\kill-server.log"));
  EXPECT_TRUE(server.Running());
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
  std::promise<UninstallReport> done;
  std::thread run([&] { done.set_value(Run(prompts)); });
  auto result = done.get_future();
  const bool finished = result.wait_for(std::chrono::seconds(30)) == std::future_status::ready;
  hung.Kill();  // frees a run that is stuck in the window's message
  run.join();
  ASSERT_TRUE(finished) << "the uninstaller waited for the hung window";
  EXPECT_EQ(result.get().outcome, UninstallOutcome::kCancelled);
  ASSERT_EQ(prompts.asked().size(), 2u);
  EXPECT_EQ(prompts.asked()[1].text, kRunningText);
  EXPECT_TRUE(InstallationIntact(installation));
}

}  // namespace
}  // namespace vl::uninstall
