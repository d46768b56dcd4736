// The installer's signature: only an intact signature by the pinned publisher passes.
#include <gtest/gtest.h>

#include <string>

#include "online/signature_check_win.h"

namespace vl {
namespace {

std::string Installer(const char* name) {
  return std::string(VL_TEST_INSTALLERS_DIR) + "\\" + name;
}

TEST(SignatureCheck, OurPublishersSignaturePasses) {
  ASSERT_EQ(std::string(PublisherKeySha256()).size(), 64u);
  EXPECT_EQ(CheckInstallerSignature(Installer("signed.exe"), PublisherKeySha256()),
            SignatureCheck::kTrusted);
}

TEST(SignatureCheck, AStrangersValidSignatureDoesNot) {
  // Under Wine any self-signed certificate verifies: only the pinned key tells them apart.
  EXPECT_EQ(CheckInstallerSignature(Installer("stranger.exe"), PublisherKeySha256()),
            SignatureCheck::kOtherSigner);
  // And our own file fails against another pin.
  EXPECT_EQ(CheckInstallerSignature(Installer("signed.exe"), std::string(64, '0')),
            SignatureCheck::kOtherSigner);
}

TEST(SignatureCheck, UnsignedAlteredAndMissingFilesFail) {
  EXPECT_EQ(CheckInstallerSignature(Installer("unsigned.exe"), PublisherKeySha256()),
            SignatureCheck::kUnsigned);
  EXPECT_EQ(CheckInstallerSignature(Installer("altered.exe"), PublisherKeySha256()),
            SignatureCheck::kBadSignature);
  EXPECT_NE(CheckInstallerSignature(Installer("missing.exe"), PublisherKeySha256()),
            SignatureCheck::kTrusted);
}

}  // namespace
}  // namespace vl
