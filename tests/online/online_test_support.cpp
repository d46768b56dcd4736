#include "tests/online/online_test_support.h"

#include <windows.h>
#include <gdiplus.h>
#include <wincrypt.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace vl::test {

static std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

TestServer::TestServer() {
  port_ = std::atoi(Env("VL_TEST_HTTP_PORT").c_str());
  https_port_ = std::atoi(Env("VL_TEST_HTTPS_PORT").c_str());
  untrusted_https_port_ = std::atoi(Env("VL_TEST_HTTPS_UNTRUSTED_PORT").c_str());
  // Wine shows the Unix file system as drive Z:.
  root_ = "Z:" + Env("VL_TEST_HTTP_ROOT") + "/";
  log_ = "Z:" + Env("VL_TEST_HTTP_LOG");
}

std::string TestServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::string TestServer::SecureUrl(const std::string& path, bool trusted) const {
  return "https://localhost:" + std::to_string(trusted ? https_port_ : untrusted_https_port_) +
         path;
}

void TestServer::PutFile(const std::string& name, const std::string& bytes) const {
  const std::filesystem::path path = std::filesystem::path(root_ + name).make_preferred();
  std::filesystem::create_directories(path.parent_path());
  WriteWholeFile(path.string(), bytes);
}

std::vector<std::string> TestServer::Requests() const {
  std::vector<std::string> lines;
  std::istringstream in(ReadWholeFile(log_));
  bool first = true;  // each request's block ends with an empty line
  for (std::string line; std::getline(in, line); first = line.empty())
    if (first && !line.empty()) lines.push_back(line);
  return lines;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

std::string FileNames(const std::string& pattern) {
  std::string names;
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA(pattern.c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    names += (names.empty() ? "" : " ") + name;
  } while (FindNextFileA(find, &found));
  FindClose(find);
  return names;
}

std::string TempFolder() {
  char temp[MAX_PATH + 1] = {};
  GetTempPathA(sizeof temp, temp);
  return temp;
}

ScratchFolder::ScratchFolder() {
  static int serial = 0;
  do
    path_ = TempFolder() + "vl-online-test-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++serial) + "\\";
  while (!CreateDirectoryA(path_.c_str(), nullptr));
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void StartGdiplusForTests() {
  static ULONG_PTR token = 0;
  const Gdiplus::GdiplusStartupInput input;
  if (token == 0) Gdiplus::GdiplusStartup(&token, &input, nullptr);
}

bool TrustTestRoot() {
  const std::string der = ReadWholeFile(VL_SIGNING_DIR_WIN "\\root.der");
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
