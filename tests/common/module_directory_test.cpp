#include "common/module_directory.h"

#include <gtest/gtest.h>

namespace vl {
namespace {

TEST(ModuleDirectory, IsTheModulePathUpToItsLastBackslash) {
  EXPECT_EQ(DirectoryOfModulePath("C:\\Program Files\\Velloria\\Lumaroo.exe"),
            "C:\\Program Files\\Velloria\\");
  EXPECT_EQ(DirectoryOfModulePath("D:\\Lumaroo.exe"), "D:\\");
  // Forward slashes are not separators for this purpose; only the last backslash counts.
  EXPECT_EQ(DirectoryOfModulePath("C:\\a/b\\c.d\\x.exe"), "C:\\a/b\\c.d\\");
  // Chinese directory names in the ANSI code page stay byte for byte ("视频" in GBK).
  EXPECT_EQ(DirectoryOfModulePath("C:\\\xCA\xD3\xC6\xB5\\Lumaroo.exe"), "C:\\\xCA\xD3\xC6\xB5\\");
}

TEST(ModuleDirectory, PathWithoutDirectoryGivesEmptyDirectory) {
  EXPECT_EQ(DirectoryOfModulePath("Lumaroo.exe"), "");
  EXPECT_EQ(DirectoryOfModulePath(""), "");
}

}  // namespace
}  // namespace vl
