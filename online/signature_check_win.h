// Whether a downloaded installer may be started: its Authenticode signature must be intact and
// made by our publisher, whose public key is pinned when the program is built.
#pragma once

#include <string>

namespace vl {

enum class SignatureCheck {
  kTrusted,         // intact signature by the pinned publisher
  kUnsigned,        // no signature at all
  kBadSignature,    // the file was changed after signing, or the signature is broken
  kOtherSigner,     // intact, but signed by someone else
  kUntrustedChain,  // our key, but its certificate does not lead to a trusted root
};

// `pinned_key_sha256` is the SHA-256 of the publisher certificate's SubjectPublicKeyInfo (DER)
// in lower-case hex. The signer's certificate must also lead to a root the machine trusts for
// code signing (checked here too: Wine's WinVerifyTrust does not). `open_file`, when given, is a
// handle of the file open for reading, through which it is read. Checking a signature never
// starts or loads the file.
SignatureCheck CheckInstallerSignature(const std::string& path,
                                       const std::string& pinned_key_sha256,
                                       void* open_file = nullptr);

// The key hash of our publisher, fixed at build time.
const char* PublisherKeySha256();

}  // namespace vl
