// Which folder the uninstaller may delete: only a whole, ordinary folder holding the program.
#include <gtest/gtest.h>
#include <shlobj.h>

#include "tests/uninstall/uninstall_test_support.h"
#include "uninstall/install_directory.h"

namespace vl::uninstall {
namespace {

using test::ScratchInstallation;

InstallDirVerdict VerdictFor(const std::wstring& uninstaller) {
  return CheckInstallDirectory(ModulePath{uninstaller, false}, SpecialFolders()).verdict;
}

std::wstring Folder(int csidl) {
  wchar_t path[MAX_PATH] = L"";
  SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
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
  const InstallDirCheck check = CheckInstallDirectory(
      ModulePath{installation.File(L"Uninstall.exe"), true}, SpecialFolders());
  EXPECT_EQ(check.verdict, InstallDirVerdict::kTruncatedPath);
}

TEST(InstallDirectory, AcceptsTheFolderHoldingTheProgram) {
  ScratchInstallation installation;
  const InstallDirCheck check = CheckInstallDirectory(
      ModulePath{installation.File(L"Uninstall.exe"), false}, SpecialFolders());
  EXPECT_EQ(check.verdict, InstallDirVerdict::kInstallation);
  EXPECT_TRUE(SamePath(check.directory, installation.folder()));
}

TEST(InstallDirectory, RefusesAFolderWithoutTheProgram) {
  ScratchInstallation installation;
  DeleteFileW(installation.File(L"Lumaroo.exe").c_str());
  EXPECT_EQ(VerdictFor(installation.File(L"Uninstall.exe")), InstallDirVerdict::kNoMainProgram);
  // A folder named like the program is not the program.
  CreateDirectoryW(installation.File(L"Lumaroo.exe").c_str(), nullptr);
  EXPECT_EQ(VerdictFor(installation.File(L"Uninstall.exe")), InstallDirVerdict::kNoMainProgram);
}

TEST(InstallDirectory, RefusesDriveRoots) {
  EXPECT_EQ(VerdictFor(L"C:\\Uninstall.exe"), InstallDirVerdict::kDriveRoot);
  EXPECT_EQ(VerdictFor(L"Z:\\Uninstall.exe"), InstallDirVerdict::kDriveRoot);
  EXPECT_EQ(VerdictFor(L"\\\\?\\C:\\Uninstall.exe"), InstallDirVerdict::kDriveRoot);
  EXPECT_EQ(VerdictFor(L"\\\\server\\share\\Uninstall.exe"), InstallDirVerdict::kDriveRoot);
  EXPECT_EQ(VerdictFor(L"Uninstall.exe"), InstallDirVerdict::kDriveRoot);
}

TEST(InstallDirectory, RefusesSpecialFoldersAndFoldersHoldingThem) {
  const std::wstring desktop = Folder(CSIDL_DESKTOPDIRECTORY);
  const std::wstring profile = Folder(CSIDL_PROFILE);
  ASSERT_FALSE(desktop.empty());
  ASSERT_FALSE(profile.empty());
  for (const std::wstring& folder :
       {desktop, Folder(CSIDL_PERSONAL), Folder(CSIDL_PROGRAM_FILESX86), Folder(CSIDL_WINDOWS),
        Folder(CSIDL_SYSTEM), Folder(CSIDL_APPDATA), profile,
        profile.substr(0, profile.find_last_of(L'\\'))}) {
    SCOPED_TRACE(testing::Message() << folder.c_str());
    EXPECT_EQ(VerdictFor(folder + L"\\Uninstall.exe"), InstallDirVerdict::kSpecialFolder);
  }
  // The same folder written in another case or with the long-path prefix.
  std::wstring upper = desktop;
  CharUpperBuffW(&upper[0], static_cast<DWORD>(upper.size()));
  EXPECT_EQ(VerdictFor(upper + L"\\Uninstall.exe"), InstallDirVerdict::kSpecialFolder);
  EXPECT_EQ(VerdictFor(L"\\\\?\\" + desktop + L"\\Uninstall.exe"),
            InstallDirVerdict::kSpecialFolder);

  PWSTR downloads = nullptr;
  ASSERT_TRUE(SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Downloads, 0, nullptr, &downloads)));
  EXPECT_EQ(VerdictFor(std::wstring(downloads) + L"\\Uninstall.exe"),
            InstallDirVerdict::kSpecialFolder);
  CoTaskMemFree(downloads);
}

TEST(InstallDirectory, AcceptsAnInstallationInsideProgramFiles) {
  const std::wstring folder =
      Folder(CSIDL_PROGRAM_FILESX86) + L"\\VelloriaTest" + std::to_wstring(GetCurrentProcessId());
  test::MakeFolders(folder);
  test::WriteText(folder + L"\\Lumaroo.exe", "program");
  EXPECT_EQ(VerdictFor(folder + L"\\Uninstall.exe"), InstallDirVerdict::kInstallation);
  test::RemoveTree(folder);
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
