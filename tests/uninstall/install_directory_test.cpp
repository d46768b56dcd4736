// Which folder the uninstaller may work on: only the installation folder recorded by the
// installer, only by the uninstaller inside it, and never a root or a system folder.
#include <gtest/gtest.h>
#include <shlobj.h>

#include "common/win/registry.h"
#include "tests/uninstall/uninstall_test_support.h"
#include "uninstall/install_directory.h"

namespace vl::uninstall {
namespace {

using test::ScratchInstallation;
using test::ShellFolder;

InstallDirVerdict VerdictFor(const std::wstring& uninstaller, const std::wstring& location) {
  return CheckInstallDirectory(ModulePath{uninstaller, false}, location, SpecialFolders()).verdict;
}

TEST(InstallDirectory, ModulePathCutToTheBufferCountsAsTruncated) {
  const ModulePath whole = win::ModuleFilePathWide(nullptr);
  EXPECT_FALSE(whole.truncated);
  EXPECT_NE(whole.path.find(L"uninstall_test.exe"), std::wstring::npos) << whole.path.c_str();
  const ModulePath cut = win::ModuleFilePathWide(nullptr, 12);
  EXPECT_TRUE(cut.truncated);
  EXPECT_TRUE(cut.path.empty());
  // Exactly as long as the path plus its terminator: not cut.
  EXPECT_FALSE(win::ModuleFilePathWide(nullptr, whole.path.size() + 1).truncated);
  EXPECT_TRUE(win::ModuleFilePathWide(nullptr, whole.path.size()).truncated);

  ScratchInstallation installation;
  const InstallDirCheck check =
      CheckInstallDirectory(ModulePath{installation.File(L"Uninstall.exe"), true},
                            installation.folder(), SpecialFolders());
  EXPECT_EQ(check.verdict, InstallDirVerdict::kTruncatedPath);
}

TEST(InstallDirectory, OnlyTheRecordedFolderHoldingThisUninstallerIsTheInstallation) {
  ScratchInstallation installation;
  const std::wstring tools = installation.scratch() + L"\\Tools";
  test::MakeFolders(tools);
  test::CopyFileTo(installation.File(L"Lumaroo.exe"), tools + L"\\Lumaroo.exe");
  test::CopyFileTo(installation.File(L"Uninstall.exe"), tools + L"\\Uninstall.exe");
  const std::wstring link = installation.scratch() + L"\\Linked";
  ASSERT_TRUE(test::MakeFolderLink(link, installation.folder()));
  std::wstring upper = installation.folder();
  CharUpperBuffW(&upper[0], static_cast<DWORD>(upper.size()));
  const struct {
    const char* what;
    std::wstring uninstaller, location;
    InstallDirVerdict verdict;
  } cases[] = {
      {"recorded and inside", installation.File(L"Uninstall.exe"), installation.folder(),
       InstallDirVerdict::kInstallation},
      {"recorded in another case", installation.File(L"Uninstall.exe"), upper,
       InstallDirVerdict::kInstallation},
      {"recorded through a link", installation.File(L"Uninstall.exe"), link,
       InstallDirVerdict::kInstallation},
      {"run through a link", link + L"\\Uninstall.exe", installation.folder(),
       InstallDirVerdict::kInstallation},
      {"nothing recorded", installation.File(L"Uninstall.exe"), L"",
       InstallDirVerdict::kNoInstallLocation},
      {"recorded folder gone", installation.File(L"Uninstall.exe"),
       installation.scratch() + L"\\Gone", InstallDirVerdict::kNoInstallLocation},
      // A portable copy with the program beside it is still not the installation.
      {"copy elsewhere", tools + L"\\Uninstall.exe", installation.folder(),
       InstallDirVerdict::kNotInInstallation},
      {"recorded folder is the copy's parent", tools + L"\\Uninstall.exe", installation.scratch(),
       InstallDirVerdict::kNotInInstallation},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const InstallDirCheck check =
        CheckInstallDirectory(ModulePath{c.uninstaller, false}, c.location, SpecialFolders());
    EXPECT_EQ(check.verdict, c.verdict);
    if (c.verdict == InstallDirVerdict::kInstallation) {
      EXPECT_TRUE(SamePath(check.directory, FinalPath(installation.folder())))
          << check.directory.c_str();
    }
  }
}

// Never a drive root, a special folder or a folder holding one (a profile, the users' folder);
// a folder of its own inside Program Files is an installation.
TEST(InstallDirectory, RefusesDriveRootsAndSpecialFoldersButNotAFolderInsideOne) {
  for (const std::wstring root : {L"C:\\", L"Z:\\", L"\\\\?\\C:\\"})
    EXPECT_EQ(VerdictFor(root + L"Uninstall.exe", root), InstallDirVerdict::kDriveRoot) << root;
  const std::wstring profile = ShellFolder(CSIDL_PROFILE);
  // The native Program Files, which a 32-bit process gets only from the 64-bit registry view.
  std::wstring native_program_files;
  win::RegistryKey key;
  ASSERT_EQ(key.Open(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                     KEY_READ | KEY_WOW64_64KEY),
            ERROR_SUCCESS);
  ASSERT_EQ(key.GetString(L"ProgramFilesDir", &native_program_files), ERROR_SUCCESS);
  PWSTR known = nullptr;
  ASSERT_TRUE(SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Downloads, 0, nullptr, &known)));
  const std::wstring downloads = known;
  CoTaskMemFree(known);
  for (const std::wstring& folder :
       {ShellFolder(CSIDL_DESKTOPDIRECTORY), ShellFolder(CSIDL_PERSONAL),
        ShellFolder(CSIDL_PROGRAM_FILESX86), native_program_files, ShellFolder(CSIDL_WINDOWS),
        ShellFolder(CSIDL_SYSTEM), ShellFolder(CSIDL_APPDATA), profile,
        profile.substr(0, profile.find_last_of(L'\\')), downloads}) {
    SCOPED_TRACE(testing::Message() << folder.c_str());
    EXPECT_EQ(VerdictFor(folder + L"\\Uninstall.exe", folder), InstallDirVerdict::kSpecialFolder);
  }
  const std::wstring ours = ShellFolder(CSIDL_PROGRAM_FILESX86) + L"\\VelloriaTest" +
                            std::to_wstring(GetCurrentProcessId());
  test::MakeFolders(ours);
  test::WriteText(ours + L"\\Uninstall.exe", "uninstaller");
  EXPECT_EQ(VerdictFor(ours + L"\\Uninstall.exe", ours), InstallDirVerdict::kInstallation);
  test::RemoveTree(ours);
}

TEST(InstallDirectory, PathsCompareWithoutCaseAndTrailingBackslash) {
  EXPECT_TRUE(SamePath(L"C:\\Program Files\\Velloria\\", L"c:\\PROGRAM FILES\\velloria"));
  EXPECT_FALSE(SamePath(L"C:\\Velloria", L"C:\\Velloria2"));
  EXPECT_TRUE(PathIsWithin(L"C:\\Users\\me\\Desktop", L"C:\\users"));
  EXPECT_FALSE(PathIsWithin(L"C:\\Users2\\x", L"C:\\Users"));
  EXPECT_FALSE(PathIsWithin(L"C:\\Users", L"C:\\Users\\me"));
  EXPECT_FALSE(PathIsWithin(L"C:\\x", L""));
}

}  // namespace
}  // namespace vl::uninstall
