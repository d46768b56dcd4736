#include "device/tls_client.h"

#include <mbedtls/ctr_drbg.h>
#include <mbedtls/entropy.h>
#include <mbedtls/net_sockets.h>
#include <mbedtls/pk.h>
#include <mbedtls/ssl.h>
#include <mbedtls/x509_crt.h>

#include <climits>

#include "device/deadline.h"

namespace vl {
namespace {

constexpr char kPersonalisation[] = "velloria lockdown";

}  // namespace

struct TlsClient::Session {
  net::NativeSocket socket = net::kInvalidSocket;
  Deadline deadline;
  mbedtls_entropy_context entropy;
  mbedtls_ctr_drbg_context random;
  mbedtls_x509_crt certificate;
  mbedtls_pk_context key;
  mbedtls_ssl_config config;
  mbedtls_ssl_context ssl;

  Session() {
    mbedtls_entropy_init(&entropy);
    mbedtls_ctr_drbg_init(&random);
    mbedtls_x509_crt_init(&certificate);
    mbedtls_pk_init(&key);
    mbedtls_ssl_config_init(&config);
    mbedtls_ssl_init(&ssl);
  }
  ~Session() {
    mbedtls_ssl_free(&ssl);
    mbedtls_ssl_config_free(&config);
    mbedtls_pk_free(&key);
    mbedtls_x509_crt_free(&certificate);
    mbedtls_ctr_drbg_free(&random);
    mbedtls_entropy_free(&entropy);
  }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // The record layer's transport: the socket, each wait bounded by the current deadline.
  static int Send(void* context, const unsigned char* data, size_t length) {
    auto* self = static_cast<Session*>(context);
    const int chunk = static_cast<int>(length < INT_MAX ? length : INT_MAX);
    for (;;) {
      const int n = net::SendSome(self->socket, data, chunk);
      if (n > 0) return n;
      if (n != net::kIoWouldBlock) return MBEDTLS_ERR_NET_SEND_FAILED;
      if (net::WaitWritable(self->socket, self->deadline.RemainingMs()) != net::WaitResult::kReady)
        return MBEDTLS_ERR_SSL_TIMEOUT;
    }
  }
  static int Receive(void* context, unsigned char* data, size_t length) {
    auto* self = static_cast<Session*>(context);
    const int chunk = static_cast<int>(length < INT_MAX ? length : INT_MAX);
    for (;;) {
      const int n = net::ReceiveSome(self->socket, data, chunk);
      if (n >= 0) return n;  // 0: the phone closed the connection
      if (n != net::kIoWouldBlock) return MBEDTLS_ERR_NET_RECV_FAILED;
      if (net::WaitReadable(self->socket, self->deadline.RemainingMs()) != net::WaitResult::kReady)
        return MBEDTLS_ERR_SSL_TIMEOUT;
    }
  }
};

TlsClient::TlsClient() = default;
TlsClient::~TlsClient() = default;

bool TlsClient::Handshake(net::NativeSocket socket, const std::string& certificate_pem,
                          const std::string& private_key_pem, int timeout_ms) {
  session_ = std::make_unique<Session>();
  Session& s = *session_;
  s.socket = socket;
  s.deadline = Deadline(timeout_ms);
  // PEM parsing wants the terminating NUL counted in the length.
  if (mbedtls_ctr_drbg_seed(&s.random, mbedtls_entropy_func, &s.entropy,
                            reinterpret_cast<const unsigned char*>(kPersonalisation),
                            sizeof kPersonalisation - 1) != 0 ||
      mbedtls_x509_crt_parse(&s.certificate,
                             reinterpret_cast<const unsigned char*>(certificate_pem.c_str()),
                             certificate_pem.size() + 1) != 0 ||
      mbedtls_pk_parse_key(&s.key, reinterpret_cast<const unsigned char*>(private_key_pem.c_str()),
                           private_key_pem.size() + 1, nullptr, 0) != 0 ||
      mbedtls_ssl_config_defaults(&s.config, MBEDTLS_SSL_IS_CLIENT, MBEDTLS_SSL_TRANSPORT_STREAM,
                                  MBEDTLS_SSL_PRESET_DEFAULT) != 0) {
    session_.reset();
    return false;
  }
  mbedtls_ssl_conf_authmode(&s.config, MBEDTLS_SSL_VERIFY_NONE);
  mbedtls_ssl_conf_rng(&s.config, mbedtls_ctr_drbg_random, &s.random);
  if (mbedtls_ssl_conf_own_cert(&s.config, &s.certificate, &s.key) != 0 ||
      mbedtls_ssl_setup(&s.ssl, &s.config) != 0) {
    session_.reset();
    return false;
  }
  mbedtls_ssl_set_bio(&s.ssl, &s, &Session::Send, &Session::Receive, nullptr);
  for (;;) {
    const int r = mbedtls_ssl_handshake(&s.ssl);
    if (r == 0) return true;
    if (r != MBEDTLS_ERR_SSL_WANT_READ && r != MBEDTLS_ERR_SSL_WANT_WRITE) break;
  }
  session_.reset();
  return false;
}

bool TlsClient::WriteAll(const void* data, size_t length, int timeout_ms) {
  if (!session_) return false;
  session_->deadline = Deadline(timeout_ms);
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

bool TlsClient::ReadExact(void* data, size_t length, int timeout_ms) {
  if (!session_) return false;
  session_->deadline = Deadline(timeout_ms);
  auto* out = static_cast<unsigned char*>(data);
  while (length > 0) {
    const int n = mbedtls_ssl_read(&session_->ssl, out, length);
    if (n == MBEDTLS_ERR_SSL_WANT_READ || n == MBEDTLS_ERR_SSL_WANT_WRITE) continue;
    if (n <= 0) return false;  // an error, or the end of the session
    out += n;
    length -= static_cast<size_t>(n);
  }
  return true;
}

void TlsClient::Notify() {
  if (!session_) return;
  session_->deadline = Deadline(0);  // no waiting: the socket is closed right after
  mbedtls_ssl_close_notify(&session_->ssl);
}

}  // namespace vl
