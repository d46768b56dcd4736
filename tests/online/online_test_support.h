// Support of the Windows online tests: the local HTTP test server (tools/http_test_server) that
// CTest starts around them, files, pictures and scratch folders, and the build tree's test root.
#pragma once

#include <string>
#include <vector>

namespace vl::test {

std::string ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::string& bytes);

class TestServer {
 public:
  TestServer();  // reads VL_TEST_HTTP_PORT / _ROOT / _LOG
  bool available() const { return port_ != 0; }
  int port() const { return port_; }
  std::string Url(const std::string& path) const;
  // The same files over TLS (the server runs with --tls-dir): "https://localhost:<port>" + path
  // with a certificate issued by the test root, or (not `trusted`) one that no root vouches for.
  bool tls_available() const { return https_port_ != 0 && untrusted_https_port_ != 0; }
  std::string SecureUrl(const std::string& path, bool trusted = true) const;
  void PutFile(const std::string& name, const std::string& bytes) const;
  // The first line of each logged request: "GET /path HTTP/1.1", or "TLS <hex>" for a handshake.
  std::vector<std::string> Requests() const;
  void ClearLog() const { WriteWholeFile(log_, ""); }

 private:
  int port_ = 0, https_port_ = 0, untrusted_https_port_ = 0;
  std::string root_, log_;
};

// The repository's own pictures, as bytes: a PNG and a JPEG.
inline std::string PngPicture() {
  return ReadWholeFile(VL_SOURCE_DIR_WIN "\\app\\res\\default.png");
}
inline std::string JpegPicture() {
  return ReadWholeFile(VL_SOURCE_DIR_WIN "\\vcam\\res\\default_h.jpg");
}

// The user's temporary folder, with its trailing backslash.
std::string TempFolder();

// The names of the files and folders that match `pattern` ("folder\\*.png"), blank-separated.
std::string FileNames(const std::string& pattern);

// A new empty folder under the temporary folder, with a trailing backslash; removed with all it
// holds by ~ScratchFolder.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  const std::string& path() const { return path_; }
  // Names of the files in `sub` (relative to the folder).
  std::string Listing(const std::string& sub = "") const { return FileNames(path_ + sub + "*"); }

 private:
  std::string path_;
};

void StartGdiplusForTests();

// The build tree's test root certificate (scripts/lib/make-test-signers) among the trusted roots
// of the current user in the Wine prefix, as a real publisher's root is among Windows' roots:
// signatures and TLS servers of the test publisher then verify as on Windows, and a certificate
// that does not lead to it does not. Added once (idempotent); false on failure.
bool TrustTestRoot();

}  // namespace vl::test
