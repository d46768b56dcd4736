#include "tests/online/test_root.h"

#include <windows.h>
#include <wincrypt.h>

#include "tests/online/test_server_client.h"

namespace vl::test {

std::string SigningFile(const char* name) {
  return std::string(VL_SIGNING_DIR_WIN) + "\\" + name;
}

bool TrustTestRoot() {
  const std::string der = ReadWholeFile(SigningFile("root.der"));
  if (der.empty()) return false;
  HCERTSTORE roots =
      CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"Root");
  if (roots == nullptr) return false;
  const BOOL added = CertAddEncodedCertificateToStore(
      roots, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
      static_cast<DWORD>(der.size()), CERT_STORE_ADD_USE_EXISTING, nullptr);
  CertCloseStore(roots, 0);
  return added != FALSE;
}

}  // namespace vl::test
