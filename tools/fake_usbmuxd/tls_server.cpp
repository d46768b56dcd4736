#include "tools/fake_usbmuxd/tls_server.h"

#include <mbedtls/ctr_drbg.h>
#include <mbedtls/entropy.h>
#include <mbedtls/net_sockets.h>
#include <mbedtls/pk.h>
#include <mbedtls/ssl.h>
#include <mbedtls/x509_crt.h>
#include <sys/socket.h>

#include <cstring>

#include "tools/fake_usbmuxd/pair_identity.h"

namespace vl::fake_usbmuxd {
namespace {

bool ParseCertificate(mbedtls_x509_crt* crt, const std::string& pem) {
  return mbedtls_x509_crt_parse(crt, reinterpret_cast<const unsigned char*>(pem.c_str()),
                                pem.size() + 1) == 0;
}

bool SameCertificate(const mbedtls_x509_crt* a, const mbedtls_x509_crt* b) {
  return a->raw.len == b->raw.len && std::memcmp(a->raw.p, b->raw.p, a->raw.len) == 0;
}

}  // namespace

struct TlsServer::Session {
  int fd;
  mbedtls_entropy_context entropy;
  mbedtls_ctr_drbg_context random;
  mbedtls_x509_crt device;  // our own certificate
  mbedtls_x509_crt root;    // the authority the client's certificate must come from
  mbedtls_x509_crt host;
  mbedtls_pk_context key;
  mbedtls_ssl_config config;
  mbedtls_ssl_context ssl;

  explicit Session(int socket) : fd(socket) {
    mbedtls_entropy_init(&entropy);
    mbedtls_ctr_drbg_init(&random);
    mbedtls_x509_crt_init(&device);
    mbedtls_x509_crt_init(&root);
    mbedtls_x509_crt_init(&host);
    mbedtls_pk_init(&key);
    mbedtls_ssl_config_init(&config);
    mbedtls_ssl_init(&ssl);
  }
  ~Session() {
    mbedtls_ssl_free(&ssl);
    mbedtls_ssl_config_free(&config);
    mbedtls_pk_free(&key);
    mbedtls_x509_crt_free(&host);
    mbedtls_x509_crt_free(&root);
    mbedtls_x509_crt_free(&device);
    mbedtls_ctr_drbg_free(&random);
    mbedtls_entropy_free(&entropy);
  }

  static int Send(void* context, const unsigned char* data, size_t length) {
    const ssize_t n = ::send(static_cast<Session*>(context)->fd, data, length, MSG_NOSIGNAL);
    return n < 0 ? MBEDTLS_ERR_NET_SEND_FAILED : static_cast<int>(n);
  }
  static int Receive(void* context, unsigned char* data, size_t length) {
    const ssize_t n = ::recv(static_cast<Session*>(context)->fd, data, length, 0);
    return n < 0 ? MBEDTLS_ERR_NET_RECV_FAILED : static_cast<int>(n);
  }
};

TlsServer::TlsServer(int fd) : session_(std::make_unique<Session>(fd)) {}
TlsServer::~TlsServer() = default;

bool TlsServer::Handshake(PresentedCertificate* presented) {
  *presented = PresentedCertificate::kNone;
  Session& s = *session_;
  const PairIdentity& pair = GeneratedPairIdentity();
  static const char kSeed[] = "fake lockdown";
  if (mbedtls_ctr_drbg_seed(&s.random, mbedtls_entropy_func, &s.entropy,
                            reinterpret_cast<const unsigned char*>(kSeed), sizeof kSeed - 1) != 0 ||
      !ParseCertificate(&s.device, pair.device_certificate) ||
      !ParseCertificate(&s.root, pair.root_certificate) ||
      !ParseCertificate(&s.host, pair.host_certificate) ||
      mbedtls_pk_parse_key(&s.key, reinterpret_cast<const unsigned char*>(pair.private_key.c_str()),
                           pair.private_key.size() + 1, nullptr, 0) != 0 ||
      mbedtls_ssl_config_defaults(&s.config, MBEDTLS_SSL_IS_SERVER, MBEDTLS_SSL_TRANSPORT_STREAM,
                                  MBEDTLS_SSL_PRESET_DEFAULT) != 0)
    return false;
  mbedtls_ssl_conf_rng(&s.config, mbedtls_ctr_drbg_random, &s.random);
  // The client's certificate is asked for and judged below: the phone knows its host.
  mbedtls_ssl_conf_authmode(&s.config, MBEDTLS_SSL_VERIFY_OPTIONAL);
  mbedtls_ssl_conf_ca_chain(&s.config, &s.root, nullptr);
  if (mbedtls_ssl_conf_own_cert(&s.config, &s.device, &s.key) != 0 ||
      mbedtls_ssl_setup(&s.ssl, &s.config) != 0)
    return false;
  mbedtls_ssl_set_bio(&s.ssl, &s, &Session::Send, &Session::Receive, nullptr);
  int r;
  do {
    r = mbedtls_ssl_handshake(&s.ssl);
  } while (r == MBEDTLS_ERR_SSL_WANT_READ || r == MBEDTLS_ERR_SSL_WANT_WRITE);
  if (r != 0) return false;
  const mbedtls_x509_crt* peer = mbedtls_ssl_get_peer_cert(&s.ssl);
  if (!peer) return true;
  if (SameCertificate(peer, &s.host)) {
    *presented = PresentedCertificate::kHost;
  } else if (SameCertificate(peer, &s.root)) {
    *presented = PresentedCertificate::kRoot;
  } else {
    *presented = PresentedCertificate::kStranger;
  }
  return true;
}

bool TlsServer::ReadExact(void* data, size_t length) {
  auto* out = static_cast<unsigned char*>(data);
  while (length > 0) {
    const int n = mbedtls_ssl_read(&session_->ssl, out, length);
    if (n == MBEDTLS_ERR_SSL_WANT_READ || n == MBEDTLS_ERR_SSL_WANT_WRITE) continue;
    if (n <= 0) return false;
    out += n;
    length -= static_cast<size_t>(n);
  }
  return true;
}

bool TlsServer::WriteAll(const void* data, size_t length) {
  const auto* in = static_cast<const unsigned char*>(data);
  while (length > 0) {
    const int n = mbedtls_ssl_write(&session_->ssl, in, length);
    if (n == MBEDTLS_ERR_SSL_WANT_READ || n == MBEDTLS_ERR_SSL_WANT_WRITE) continue;
    if (n <= 0) return false;
    in += n;
    length -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace vl::fake_usbmuxd
