#include "online/signature_check_win.h"

#include <windows.h>
#include <bcrypt.h>
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <vector>

#include "common/text_convert.h"
#include "online/publisher_key.h"

namespace vl {
namespace {

// SHA-256 in lower-case hex; empty on failure.
std::string Sha256Hex(const BYTE* data, DWORD size) {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  if (BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) != 0) return "";
  UCHAR digest[32] = {};
  BCRYPT_HASH_HANDLE hash = nullptr;
  bool ok = BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) == 0;
  if (ok) {
    ok = BCryptHashData(hash, const_cast<BYTE*>(data), size, 0) == 0 &&
         BCryptFinishHash(hash, digest, sizeof digest, 0) == 0;
    BCryptDestroyHash(hash);
  }
  BCryptCloseAlgorithmProvider(algorithm, 0);
  if (!ok) return "";
  static const char kHex[] = "0123456789abcdef";
  std::string hex;
  for (UCHAR b : digest) {
    hex += kHex[b >> 4];
    hex += kHex[b & 15];
  }
  return hex;
}

std::string PublicKeyHash(PCCERT_CONTEXT cert) {
  BYTE* der = nullptr;
  DWORD size = 0;
  if (!CryptEncodeObjectEx(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO,
                           &cert->pCertInfo->SubjectPublicKeyInfo, CRYPT_ENCODE_ALLOC_FLAG, nullptr,
                           &der, &size))
    return "";
  const std::string hash = Sha256Hex(der, size);
  LocalFree(der);
  return hash;
}

// The certificate that made the verified signature (a new reference, to be freed); null when it
// is unknown.
PCCERT_CONTEXT SignerCertificate(CRYPT_PROVIDER_DATA* provider) {
  if (provider == nullptr) return nullptr;
  CRYPT_PROVIDER_SGNR* signer = WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0);
  if (signer == nullptr) return nullptr;
  if (CRYPT_PROVIDER_CERT* cert = WTHelperGetProvCertFromChain(signer, 0)) {
    if (cert->pCert != nullptr) return CertDuplicateCertificateContext(cert->pCert);
  }
  // No chain was built: find the signer by issuer and serial number in the file's own stores.
  if (signer->psSigner == nullptr) return nullptr;
  CERT_INFO wanted = {};
  wanted.Issuer = signer->psSigner->Issuer;
  wanted.SerialNumber = signer->psSigner->SerialNumber;
  for (DWORD i = 0; i < provider->chStores; ++i) {
    PCCERT_CONTEXT found =
        CertFindCertificateInStore(provider->pahStores[i], X509_ASN_ENCODING | PKCS_7_ASN_ENCODING,
                                   0, CERT_FIND_SUBJECT_CERT, &wanted, nullptr);
    if (found != nullptr) return found;
  }
  return nullptr;
}

// Whether `cert` leads, through the certificates the file carries and the machine's stores, to
// a trusted root, valid now and allowed for code signing.
bool ChainsToTrustedRoot(PCCERT_CONTEXT cert, CRYPT_PROVIDER_DATA* provider) {
  HCERTSTORE carried = CertOpenStore(CERT_STORE_PROV_COLLECTION, 0, 0, 0, nullptr);
  if (carried == nullptr) return false;
  for (DWORD i = 0; i < provider->chStores; ++i)
    CertAddStoreToCollection(carried, provider->pahStores[i], 0, 0);
  LPSTR usage[] = {const_cast<LPSTR>(szOID_PKIX_KP_CODE_SIGNING)};
  CERT_CHAIN_PARA para = {};
  para.cbSize = sizeof para;
  para.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
  para.RequestedUsage.Usage.cUsageIdentifier = 1;
  para.RequestedUsage.Usage.rgpszUsageIdentifier = usage;
  PCCERT_CHAIN_CONTEXT chain = nullptr;
  bool trusted = false;
  if (CertGetCertificateChain(nullptr, cert, nullptr, carried, &para, 0, nullptr, &chain)) {
    CERT_CHAIN_POLICY_PARA policy = {};
    policy.cbSize = sizeof policy;
    CERT_CHAIN_POLICY_STATUS status = {};
    status.cbSize = sizeof status;
    trusted = CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_BASE, chain, &policy, &status) &&
              status.dwError == 0 && chain->TrustStatus.dwErrorStatus == CERT_TRUST_NO_ERROR;
    CertFreeCertificateChain(chain);
  }
  CertCloseStore(carried, 0);
  return trusted;
}

}  // namespace

SignatureCheck CheckInstallerSignature(const std::string& path,
                                       const std::string& pinned_key_sha256, void* open_file) {
  const std::u16string wide = AnsiToUtf16(path);
  WINTRUST_FILE_INFO file = {};
  file.cbStruct = sizeof file;
  file.pcwszFilePath = reinterpret_cast<const wchar_t*>(wide.c_str());
  file.hFile = static_cast<HANDLE>(open_file);
  WINTRUST_DATA data = {};
  data.cbStruct = sizeof data;
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  const LONG status = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);

  SignatureCheck result = SignatureCheck::kBadSignature;
  if (status == TRUST_E_NOSIGNATURE || status == TRUST_E_SUBJECT_FORM_UNKNOWN ||
      status == TRUST_E_PROVIDER_UNKNOWN) {
    result = SignatureCheck::kUnsigned;
  } else if (status == ERROR_SUCCESS) {
    // Verification proves the file is as its signer made it, not who the signer is: the
    // signer's key must be ours, in a certificate that leads to a trusted root.
    CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(data.hWVTStateData);
    PCCERT_CONTEXT signer = SignerCertificate(provider);
    const std::string hash = signer != nullptr ? PublicKeyHash(signer) : std::string();
    if (hash.empty() || hash != pinned_key_sha256) {
      result = SignatureCheck::kOtherSigner;
    } else {
      result = ChainsToTrustedRoot(signer, provider) ? SignatureCheck::kTrusted
                                                     : SignatureCheck::kUntrustedChain;
    }
    if (signer != nullptr) CertFreeCertificateContext(signer);
  }
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  return result;
}

const char* PublisherKeySha256() {
  return kPublisherKeySha256;
}

}  // namespace vl
