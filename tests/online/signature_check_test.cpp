// The installer's signature: only an intact signature by the pinned publisher, in a certificate
// that leads to a trusted root, passes. The build's test root is trusted as a real publisher's
// root is on Windows.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "common/win/handles.h"
#include "online/signature_check_win.h"
#include "tests/online/test_root.h"

namespace vl {
namespace {

std::string Installer(const char* name) {
  return std::string(VL_TEST_INSTALLERS_DIR) + "\\" + name;
}

class SignatureCheckTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(test::TrustTestRoot()); }
};

TEST_F(SignatureCheckTest, EachKindOfFileGetsItsVerdict) {
  ASSERT_EQ(std::string(PublisherKeySha256()).size(), 64u);
  const struct {
    const char* file;
    SignatureCheck verdict;
  } cases[] = {
      {"signed.exe", SignatureCheck::kTrusted},
      // Under Wine any certificate verifies: only the pinned key tells a stranger apart...
      {"stranger.exe", SignatureCheck::kOtherSigner},
      // ...and only the chain tells our key in a certificate nobody vouches for.
      {"rogue.exe", SignatureCheck::kUntrustedChain},
      {"unsigned.exe", SignatureCheck::kUnsigned},
      {"altered.exe", SignatureCheck::kBadSignature},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    EXPECT_EQ(CheckInstallerSignature(Installer(c.file), PublisherKeySha256()), c.verdict);
  }
  EXPECT_EQ(CheckInstallerSignature(Installer("signed.exe"), std::string(64, '0')),
            SignatureCheck::kOtherSigner);
  EXPECT_NE(CheckInstallerSignature(Installer("missing.exe"), PublisherKeySha256()),
            SignatureCheck::kTrusted);
}

TEST_F(SignatureCheckTest, AFileHeldOpenIsCheckedThroughItsHandle) {
  win::UniqueHandle file(CreateFileA(Installer("signed.exe").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file);
  EXPECT_EQ(CheckInstallerSignature(Installer("signed.exe"), PublisherKeySha256(), file.get()),
            SignatureCheck::kTrusted);
}

}  // namespace
}  // namespace vl
