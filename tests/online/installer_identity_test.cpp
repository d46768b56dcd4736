// Whether a signed download is the offered installer: its own version resource decides.
#include <gtest/gtest.h>

#include "online/installer_identity.h"

namespace vl {
namespace {

TEST(InstallerIdentity, OnlyTheOfferedNewerInstallerIsAccepted) {
  const InstallerIdentity installer{{1, 0, 11, 0}, "setup.exe"};
  const struct {
    const char* what;
    std::optional<InstallerIdentity> identity;
    const char* offered;
    const char* program;
    InstallerVerdict verdict;
  } cases[] = {
      {"the offer", installer, "1.0.11.0", "1.0.10.100", InstallerVerdict::kAccepted},
      {"offered with three fields", installer, "1.0.11", "1.0.10.100", InstallerVerdict::kAccepted},
      {"original name in capitals", InstallerIdentity{{1, 0, 11, 0}, "SETUP.EXE"}, "1.0.11.0",
       "1.0.10.0", InstallerVerdict::kAccepted},
      {"no version resource", std::nullopt, "1.0.11.0", "1.0.10.0",
       InstallerVerdict::kNotAnInstaller},
      {"the uninstaller", InstallerIdentity{{1, 0, 11, 0}, "Uninstall.exe"}, "1.0.11.0", "1.0.10.0",
       InstallerVerdict::kNotAnInstaller},
      {"no original name", InstallerIdentity{{1, 0, 11, 0}, ""}, "1.0.11.0", "1.0.10.0",
       InstallerVerdict::kNotAnInstaller},
      {"an old installer offered as newer", InstallerIdentity{{1, 0, 9, 0}, "setup.exe"},
       "99.0.0.0", "1.0.10.0", InstallerVerdict::kNotTheOfferedVersion},
      {"no offered version", installer, "", "1.0.10.0", InstallerVerdict::kNotTheOfferedVersion},
      // 256 and 0 pack alike in the offer's 8-bit comparison; the file's fields are exact.
      {"a field past 255", InstallerIdentity{{1, 0, 256, 0}, "setup.exe"}, "1.0.0.0", "0.9.0.0",
       InstallerVerdict::kNotTheOfferedVersion},
      {"the same version as the program", installer, "1.0.11.0", "1.0.11.0",
       InstallerVerdict::kNotNewer},
      {"older than the program", installer, "1.0.11.0", "2.0.0.0", InstallerVerdict::kNotNewer},
      {"the program's version unknown", installer, "1.0.11.0", "", InstallerVerdict::kNotNewer},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(JudgeInstaller(c.identity, c.offered, c.program), c.verdict);
  }
}

}  // namespace
}  // namespace vl
