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

// Each case works in a scratch folder; `root` is the tree to remove.
class DirectoryTree : public testing::Test {
 protected:
  ScratchFolder scratch;
  const std::wstring root = scratch.path() + L"\\tree";
};

TEST_F(DirectoryTree, RemovesEverythingBelowAndTheFolder) {
  MakeFolders(root + L"\\a\\b\\c");
  MakeFolders(root + L"\\empty");
  WriteText(root + L"\\top.txt", "1");
  WriteText(root + L"\\a\\b\\c\\deep.dll", "2");
  WriteText(root + L"\\a\\\u4e2d\u6587.png", "3");
  EXPECT_TRUE(DeleteDirectoryTree(root));
  EXPECT_FALSE(Exists(root));
  EXPECT_TRUE(Exists(scratch.path()));
}

TEST_F(DirectoryTree, SparesUninstallBatInAnyCaseAndKeepsItsFolders) {
  MakeFolders(root + L"\\sub");
  WriteText(root + L"\\sub\\Uninstall.BAT", "spared");
  WriteText(root + L"\\sub\\other.txt", "x");
  WriteText(root + L"\\gone.txt", "x");
  EXPECT_FALSE(DeleteDirectoryTree(root));
  EXPECT_TRUE(Exists(root + L"\\sub\\Uninstall.BAT"));
  EXPECT_FALSE(Exists(root + L"\\sub\\other.txt"));
  EXPECT_FALSE(Exists(root + L"\\gone.txt"));
}

TEST_F(DirectoryTree, FileInUseStaysWithItsFolder) {
  MakeFolders(root);
  WriteText(root + L"\\busy.log", "x");
  WriteText(root + L"\\free.txt", "x");
  win::UniqueHandle busy(CreateFileW((root + L"\\busy.log").c_str(), GENERIC_READ, 0, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(busy);
  EXPECT_FALSE(DeleteDirectoryTree(root));
  EXPECT_TRUE(Exists(root + L"\\busy.log"));
  EXPECT_FALSE(Exists(root + L"\\free.txt"));
}

TEST_F(DirectoryTree, LinkInsideIsNeverFollowed) {
  const std::wstring outside = scratch.path() + L"\\outside";
  MakeFolders(outside + L"\\nested");
  MakeFolders(root + L"\\sub");
  WriteText(outside + L"\\marker.txt", "keep");
  WriteText(outside + L"\\nested\\marker2.txt", "keep");
  WriteText(root + L"\\file.txt", "x");
  ASSERT_TRUE(test::MakeFolderLink(root + L"\\sub\\link", outside));
  ASSERT_TRUE(Exists(root + L"\\sub\\link\\marker.txt"));

  DeleteDirectoryTree(root);
  EXPECT_EQ(test::ReadText(outside + L"\\marker.txt"), "keep");
  EXPECT_EQ(test::ReadText(outside + L"\\nested\\marker2.txt"), "keep");
  EXPECT_FALSE(Exists(root + L"\\file.txt"));
  // Windows removes the junction itself; Wine cannot remove a link to a folder that holds
  // files, so there the link (and the folders above it) may stay, still pointing at the intact
  // folder.
  if (Exists(root + L"\\sub\\link")) {
    EXPECT_TRUE(Exists(root + L"\\sub\\link\\marker.txt"));
  }
}

TEST_F(DirectoryTree, AFolderThatIsItselfALinkIsNotFollowed) {
  // A Start-menu folder replaced by a link to a folder of the user's.
  const std::wstring marker_folder = scratch.path() + L"\\marker";
  MakeFolders(marker_folder + L"\\inner");
  WriteText(marker_folder + L"\\marker.txt", "keep");
  WriteText(marker_folder + L"\\inner\\marker2.txt", "keep");
  const std::wstring link = scratch.path() + L"\\Velloria";
  ASSERT_TRUE(test::MakeFolderLink(link, marker_folder));
  ASSERT_TRUE(Exists(link + L"\\marker.txt"));

  DeleteDirectoryTree(link);
  EXPECT_EQ(test::ReadText(marker_folder + L"\\marker.txt"), "keep");
  EXPECT_EQ(test::ReadText(marker_folder + L"\\inner\\marker2.txt"), "keep");
}

}  // namespace
}  // namespace vl::uninstall
