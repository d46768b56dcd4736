// The Windows tests' view of the local HTTP test server (tools/http_test_server) that CTest
// starts around them: its port, the folder it serves and the requests it logged.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace vl::test {

struct LoggedRequest {
  std::string line;  // "GET /path HTTP/1.1", or "TLS <hex>" for a TLS handshake
  std::vector<std::pair<std::string, std::string>> headers;
  std::string Header(const std::string& name) const;  // "" when absent
  bool Has(const std::string& name) const;
};

class TestServer {
 public:
  TestServer();  // reads VL_TEST_HTTP_PORT / _ROOT / _LOG
  bool available() const { return port_ != 0; }
  int port() const { return port_; }
  // "http://127.0.0.1:<port>" + path.
  std::string Url(const std::string& path) const;
  // The same files over TLS (the server runs with --tls-dir): "https://localhost:<port>" + path
  // with a certificate issued by the test root, or one that no root vouches for.
  bool tls_available() const { return https_port_ != 0 && untrusted_https_port_ != 0; }
  std::string SecureUrl(const std::string& path) const;
  std::string UntrustedSecureUrl(const std::string& path) const;
  // The served folder as a Windows path, with a trailing backslash.
  const std::string& root() const { return root_; }
  void PutFile(const std::string& name, const std::string& bytes) const;
  std::vector<LoggedRequest> Requests() const;
  void ClearLog() const;

 private:
  int port_ = 0;
  int https_port_ = 0;
  int untrusted_https_port_ = 0;
  std::string root_, log_;
};

std::string ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);

}  // namespace vl::test
