#include "tools/fake_usbmuxd/pair_identity.h"

#include <mbedtls/bignum.h>
#include <mbedtls/ctr_drbg.h>
#include <mbedtls/entropy.h>
#include <mbedtls/pk.h>
#include <mbedtls/rsa.h>
#include <mbedtls/x509_crt.h>

#include <cstdlib>
#include <stdexcept>

namespace vl::fake_usbmuxd {
namespace {

class Random {
 public:
  Random() {
    mbedtls_entropy_init(&entropy_);
    mbedtls_ctr_drbg_init(&drbg_);
    static const char kSeed[] = "fake usbmuxd pairing";
    if (mbedtls_ctr_drbg_seed(&drbg_, mbedtls_entropy_func, &entropy_,
                              reinterpret_cast<const unsigned char*>(kSeed), sizeof kSeed - 1) != 0)
      throw std::runtime_error("cannot seed the random generator");
  }
  ~Random() {
    mbedtls_ctr_drbg_free(&drbg_);
    mbedtls_entropy_free(&entropy_);
  }
  mbedtls_ctr_drbg_context* get() { return &drbg_; }

 private:
  mbedtls_entropy_context entropy_;
  mbedtls_ctr_drbg_context drbg_;
};

void Check(int result, const char* what) {
  if (result != 0) throw std::runtime_error(what);
}

std::string Certificate(mbedtls_pk_context* key, Random& random, const char* subject,
                        const char* issuer, int serial, bool authority) {
  mbedtls_x509write_cert crt;
  mbedtls_x509write_crt_init(&crt);
  mbedtls_mpi number;
  mbedtls_mpi_init(&number);
  unsigned char pem[8192] = {};
  try {
    mbedtls_x509write_crt_set_version(&crt, MBEDTLS_X509_CRT_VERSION_3);
    mbedtls_x509write_crt_set_md_alg(&crt, MBEDTLS_MD_SHA256);
    mbedtls_x509write_crt_set_subject_key(&crt, key);
    mbedtls_x509write_crt_set_issuer_key(&crt, key);
    Check(mbedtls_x509write_crt_set_subject_name(&crt, subject), "subject");
    Check(mbedtls_x509write_crt_set_issuer_name(&crt, issuer), "issuer");
    Check(mbedtls_mpi_lset(&number, serial), "serial");
    Check(mbedtls_x509write_crt_set_serial(&crt, &number), "serial");
    Check(mbedtls_x509write_crt_set_validity(&crt, "20200101000000", "20491231235959"), "validity");
    Check(mbedtls_x509write_crt_set_basic_constraints(&crt, authority ? 1 : 0, -1), "constraints");
    Check(mbedtls_x509write_crt_pem(&crt, pem, sizeof pem, mbedtls_ctr_drbg_random, random.get()),
          "certificate");
  } catch (...) {
    mbedtls_mpi_free(&number);
    mbedtls_x509write_crt_free(&crt);
    throw;
  }
  mbedtls_mpi_free(&number);
  mbedtls_x509write_crt_free(&crt);
  return reinterpret_cast<const char*>(pem);
}

PairIdentity Generate() {
  Random random;
  mbedtls_pk_context key;
  mbedtls_pk_init(&key);
  PairIdentity id;
  try {
    Check(mbedtls_pk_setup(&key, mbedtls_pk_info_from_type(MBEDTLS_PK_RSA)), "key");
    Check(mbedtls_rsa_gen_key(mbedtls_pk_rsa(key), mbedtls_ctr_drbg_random, random.get(), 2048,
                              65537),
          "RSA key");
    unsigned char pem[8192] = {};
    Check(mbedtls_pk_write_key_pem(&key, pem, sizeof pem), "key PEM");
    id.private_key = reinterpret_cast<const char*>(pem);
    id.root_certificate =
        Certificate(&key, random, "CN=Fake Root", "CN=Fake Root", 1, /*authority=*/true);
    id.host_certificate =
        Certificate(&key, random, "CN=Fake Host", "CN=Fake Root", 2, /*authority=*/false);
    id.device_certificate =
        Certificate(&key, random, "CN=Fake Device", "CN=Fake Root", 3, /*authority=*/false);
  } catch (...) {
    mbedtls_pk_free(&key);
    throw;
  }
  mbedtls_pk_free(&key);
  id.host_id = "5C4A1C9E-6B87-4D1A-9D5E-0000FEEDFACE";
  id.system_buid = "A1B2C3D4-0000-4000-8000-00000000B01D";
  return id;
}

}  // namespace

const PairIdentity& GeneratedPairIdentity() {
  static const PairIdentity identity = Generate();
  return identity;
}

}  // namespace vl::fake_usbmuxd
