// The build tree's test root certificate (scripts/lib/make-test-signers) among the trusted roots
// of the current user in the Wine prefix, as a real publisher's root is among Windows' roots:
// signatures and TLS servers of the test publisher then verify as on Windows, and a certificate
// that does not lead to it does not.
#pragma once

#include <string>

namespace vl::test {

// Adds the test root to the current user's "Root" store (once; idempotent). False on failure.
bool TrustTestRoot();

// A file of the build tree's signing folder, as a Windows path.
std::string SigningFile(const char* name);

}  // namespace vl::test
