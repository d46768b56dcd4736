// Removing a folder tree: spared batch files, files in use, and links that must not be followed.
#include <gtest/gtest.h>

#include "tests/uninstall/uninstall_test_support.h"
#include "uninstall/directory_tree.h"

namespace vl::uninstall {
namespace {

using test::Exists;
using test::MakeFolders;
using test::ScratchFolder;
using test::WriteText;

// A tree of files and folders goes whole. What stays of another: an uninstall batch file in any
// case with the folders above it, a file in use, and the folder a link points to, which is never
// followed.
TEST(DirectoryTree, RemovesWholeTreesButSparesUninstallBatFilesInUseAndWhatLinksPointTo) {
  ScratchFolder scratch;
  const std::wstring whole = scratch.path() + L"\\whole";
  MakeFolders(whole + L"\\a\\b\\c");
  MakeFolders(whole + L"\\empty");
  WriteText(whole + L"\\top.txt", "1");
  WriteText(whole + L"\\a\\b\\c\\deep.dll", "2");
  WriteText(whole + L"\\a\\\u4e2d\u6587.png", "3");
  EXPECT_TRUE(DeleteDirectoryTree(whole));
  EXPECT_FALSE(Exists(whole));
  EXPECT_TRUE(Exists(scratch.path()));

  const std::wstring root = scratch.path() + L"\\tree", outside = scratch.path() + L"\\outside";
  MakeFolders(outside + L"\\nested");
  MakeFolders(root + L"\\sub");
  WriteText(outside + L"\\marker.txt", "keep");
  WriteText(outside + L"\\nested\\marker2.txt", "keep");
  for (const wchar_t* file :
       {L"\\sub\\Uninstall.BAT", L"\\sub\\other.txt", L"\\gone.txt", L"\\busy.log"})
    WriteText(root + file, "x");
  win::UniqueHandle busy(CreateFileW((root + L"\\busy.log").c_str(), GENERIC_READ, 0, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(busy);
  ASSERT_TRUE(test::MakeFolderLink(root + L"\\sub\\link", outside));
  ASSERT_TRUE(Exists(root + L"\\sub\\link\\marker.txt"));

  EXPECT_FALSE(DeleteDirectoryTree(root));
  EXPECT_TRUE(Exists(root + L"\\sub\\Uninstall.BAT"));
  EXPECT_TRUE(Exists(root + L"\\busy.log"));
  EXPECT_FALSE(Exists(root + L"\\sub\\other.txt"));
  EXPECT_FALSE(Exists(root + L"\\gone.txt"));
  // Windows removes the junction itself; Wine cannot remove a link to a folder that holds
  // files, so there the link may stay, still pointing at the intact folder.
  EXPECT_TRUE(!Exists(root + L"\\sub\\link") || Exists(root + L"\\sub\\link\\marker.txt"));
  // A folder that is itself a link (a Start-menu folder replaced by a link to a folder of the
  // user's) goes as a link only.
  const std::wstring link = scratch.path() + L"\\Velloria";
  ASSERT_TRUE(test::MakeFolderLink(link, outside));
  ASSERT_TRUE(Exists(link + L"\\marker.txt"));
  DeleteDirectoryTree(link);
  EXPECT_EQ(test::ReadText(outside + L"\\marker.txt"), "keep");
  EXPECT_EQ(test::ReadText(outside + L"\\nested\\marker2.txt"), "keep");
}

}  // namespace
}  // namespace vl::uninstall
