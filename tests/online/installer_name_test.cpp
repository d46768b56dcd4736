// Installer file names from download addresses: the plain case and every way out of the folder.
#include <gtest/gtest.h>

#include "online/installer_name.h"

namespace vl {
namespace {

TEST(InstallerNames, LastSegmentBeforeTheQueryWithATmpTwin) {
  auto names = InstallerNamesFromUrl("http://d.velloria.com.cn/pc/setup_2.1.exe?from=app&x=/y");
  ASSERT_TRUE(names);
  EXPECT_EQ(names->final_name, "setup_2.1.exe");
  EXPECT_EQ(names->temp_name, "setup_2.1.tmp");
  names = InstallerNamesFromUrl("https://h:8443/Velloria_Setup.EXE#top");
  ASSERT_TRUE(names);
  EXPECT_EQ(names->final_name, "Velloria_Setup.EXE");
  EXPECT_EQ(names->temp_name, "Velloria_Setup.tmp");
}

TEST(InstallerNames, RefusesNamesThatLeaveTheFolderOrAreNoInstaller) {
  const char* const bad[] = {
      "http://h/..exe",                         //
      "http://h/a/..\\..\\evil.exe",            // backslashes
      "http://h/c:evil.exe",                    // drive colon
      "http://h/dir/?file=/x/setup.exe",        // the name part is empty; ".exe" only in the query
      "http://h/app/vlux_horizontal.dll?.exe",  // would delete a module of the program
      "http://setup.exe/",                      // the "." only in the host
      "http://h/",                              //
      "http://h/setup.exe/",                    // a folder
      "http://h/setup.zip",                     // no installer
      "http://h/.exe",                          // no name
      "http://h/setup .exe",                    // trailing blank, stripped by Windows
      "http://h/setup..exe",                    //
      "http://h/a..b.exe",                      // ".." anywhere
      "http://h/con.exe",                       // a device
      "http://h/LPT1.exe",                      //
      "http://h/a|b.exe",                       //
      "http://h/a*b.exe",                       //
      "http://h/a\"b.exe",                      //
      "http://h/a<b>.exe",                      //
      "setup.exe",                              // not a web address
      "file://c:/setup.exe",                    //
      "\\\\server\\share\\setup.exe",           //
  };
  for (const char* url : bad) EXPECT_FALSE(InstallerNamesFromUrl(url)) << url;
}

TEST(InstallerNames, OnlyTheLastSegmentCounts) {
  // Earlier segments never reach the file system.
  const auto names = InstallerNamesFromUrl("http://h/../../Windows/setup.exe");
  ASSERT_TRUE(names);
  EXPECT_EQ(names->final_name, "setup.exe");
}

TEST(InstallerNames, ABoundedLength) {
  EXPECT_TRUE(InstallerNamesFromUrl("http://h/" + std::string(196, 'a') + ".exe"));
  EXPECT_FALSE(InstallerNamesFromUrl("http://h/" + std::string(197, 'a') + ".exe"));
}

}  // namespace
}  // namespace vl
