// The installer's list of its files: what the uninstaller accepts as a path inside the
// installation, and the order in which folders are removed.
#include <gtest/gtest.h>

#include <string>

#include "uninstall/installed_layout.h"

namespace vl::uninstall {
namespace {

TEST(InstalledLayout, ReadsFilesAndFoldersWithCrLfOrLf) {
  const auto layout = ParseInstalledLayout(
      "\xEF\xBB\xBFLumaroo.exe\r\nres\\\r\nres\\default.png\r\n\r\nx64\\\nx64\\res\\\n"
      "x64\\res\\default_h.jpg\nadb\\adb.exe");
  ASSERT_TRUE(layout);
  EXPECT_EQ(layout->files, (std::vector<std::string>{"Lumaroo.exe", "res\\default.png",
                                                     "x64\\res\\default_h.jpg", "adb\\adb.exe"}));
  // Deepest first: a folder is removed after the folders inside it.
  EXPECT_EQ(layout->folders, (std::vector<std::string>{"x64\\res", "res", "x64"}));
  EXPECT_TRUE(ParseInstalledLayout("")->files.empty());
}

TEST(InstalledLayout, RefusesTheWholeListForAnyPathThatLeavesTheFolder) {
  // Up, absolute, drive-relative, network, forward or doubled separators, dot folders,
  // wildcards and characters no file name has, a folder name ending in a dot or a space.
  for (const char* line :
       {"..\\Windows\\x.dll", "res\\..\\..\\x", "C:\\Windows\\x.dll", "\\Windows\\x.dll", "C:x.dll",
        "\\\\server\\share", "res/default.png", "res\\\\x", "res\\.\\x", "*.dll", "a?.exe",
        "\"quoted\"", "a<b", "a|b", "res.\\x", "res \\x", "tab\there", "\\", "x\\\\"}) {
    SCOPED_TRACE(line);
    EXPECT_FALSE(ParseInstalledLayout(std::string("Lumaroo.exe\r\n") + line + "\r\n"));
  }
}

TEST(InstalledLayout, IsBoundedInSizeEntriesAndPathLength) {
  EXPECT_FALSE(ParseInstalledLayout(std::string(kMaxLayoutBytes + 1, 'a')));
  std::string many;
  for (size_t i = 0; i <= kMaxLayoutEntries; ++i) many += "f" + std::to_string(i) + "\n";
  EXPECT_FALSE(ParseInstalledLayout(many));
  EXPECT_TRUE(ParseInstalledLayout(std::string(kMaxLayoutPathLength, 'a')));
  EXPECT_FALSE(ParseInstalledLayout(std::string(kMaxLayoutPathLength + 1, 'a')));
}

}  // namespace
}  // namespace vl::uninstall
